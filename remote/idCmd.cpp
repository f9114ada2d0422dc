#include "idCmd.h"

#include "exceptionlog.h"

#include "services/hardware.h"
#include "store/screensvariables.h"

namespace remote {

int IdCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("IdCmd", -1, [&] {
        switch (ScreensVariables::getInstance()->getModelHardware()) {
        case HardwareModel::HW_MODEL_CABLE_CM30: *reply = "?.?.CV030A.?"; break;
        case HardwareModel::HW_MODEL_CABLE_CM31: *reply = "?.?.CV031A.?"; break;
        default: *reply = "?.?.CV001M.?"; break; // the compact models and anything unknown
        }
        return 0;
    });
}

} // namespace remote
