#include "PathTestSupport.h"

#include "store/screensvariables.h"

#include <algorithm>

namespace modemtest {

void setSettings(const QVariantMap& values)
{
    QVariantMap settings = ScreensVariables::getInstance()->getScreensVariables();
    for (auto it = values.begin(); it != values.end(); ++it)
        settings[it.key()] = it.value();
    ScreensVariables::getInstance()->setScreensVariables(settings);
}

PathBench::PathBench(int hardwareModel, bool registered)
    : link(hardwareModel), engine(passingEngine())
{
    link.setAutoPump(true);
    link.modem().setAutoStart(true);
    link.powerAndBoot();
    SetModemStatusPower(MODEM_STATUS_POWER_ON);
    if (registered)
        link.clock().advanceMs(20000);
    link.pump();
    getStringBufferTrames();
    link.modem().clearCommands();
}

int PathBench::until(const std::function<int()>& step, std::initializer_list<int> results, int maxCalls)
{
    int r = 100;
    for (int i = 0; i < maxCalls; ++i) {
        r = step();
        if (std::find(results.begin(), results.end(), r) != results.end())
            return r;
    }
    return r;
}

} // namespace modemtest
