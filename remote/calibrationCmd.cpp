#include "calibrationCmd.h"

#include "exceptionlog.h"
#include "tokens.h"

#include "rf/calibrations.h"

namespace remote {

int CalibrationCmd::run(const std::string& line, bool level)
{
    (void)level;
    return remotelog::guarded("CalibrationCmd", -1, [&] {
        if (!tokens::find(RESET_FILE_CALIBRATION_, line))
            return 0;
        return Calibrations::getInstance()->loadCalibracion() ? 0 : -1;
    });
}

} // namespace remote
