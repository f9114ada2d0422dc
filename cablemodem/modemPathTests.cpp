#include "modemPathTests.h"

#include "modemExchange.h"

#include "services/hardware.h"

namespace {
constexpr int kAnswerMs = 5000;
constexpr int kSettleMs = 1000;
} // namespace

QString modemMenuPath() { return HardwareModel::getInstance()->getDocsis31VersionHardware() ? "docsis/" : ""; }

int serviceFlowStep(int step, uint64_t* startMs, const QString& wake, const QString& flowCommand, int promptFailStep,
                    int flowFailStep)
{
    switch (step) {
    case -15:
        awaitAndSend("mainMenu>", wake, startMs);
        return -14;
    case -14:
        if (modemTimeOver(*startMs, kAnswerMs))
            return promptFailStep;
        if (!GetCondicio1())
            return step;
        return flowCommand.isEmpty() ? -8 : -10;
    case -10:
        awaitAndSend("mainMenu>", flowCommand, startMs);
        return -9;
    case -9:
        if (modemTimeOver(*startMs, kAnswerMs))
            return flowFailStep;
        return GetCondicio1() ? -8 : step;
    case -8:
        *startMs = modemTicksMs();
        return -7;
    case -7:
        return modemTimeOver(*startMs, kSettleMs) ? 0 : step;
    default:
        return step;
    }
}
