#include "circuitCmd.h"

#include "exceptionlog.h"
#include "textParameter.h"

#include "rf/mesuraRF.h"

namespace remote {

CircuitCmd::CircuitCmd()
{
    circuits_.insert(QStringLiteral("CABLE_RF"), 0);
    circuits_.insert(QStringLiteral("CABLE_OPTIC"), 6);
    circuits_.insert(QStringLiteral("DOCSIS_RF"), 2);
    circuits_.insert(QStringLiteral("DOCSIS_ANALYZER_UP"), 1);
    circuits_.insert(QStringLiteral("DOCSIS_OPTIC"), 5);
    circuits_.insert(QStringLiteral("EXT_CM_UP"), 4);
    circuits_.insert(QStringLiteral("EXT_CM_DW"), 3);
}

int CircuitCmd::run(const std::string& line, bool level)
{
    (void)level;
    return remotelog::guarded("CircuitCmd", -1, [&] {
        int mode = 0;
        if (readWordParameter(line, CIRCUIT_, circuits_, &mode) != ParameterRead::Value)
            return -1;
        setModeCircuit(mode);
        return 0;
    });
}

int CircuitCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("CircuitCmd", -1, [&] {
        const int mode = getModeCircuit();
        for (auto it = circuits_.constBegin(); it != circuits_.constEnd(); ++it) {
            if (it.value() == mode) {
                *reply = std::string(CIRCUIT_) + it.key().toUtf8().toStdString();
                return 0;
            }
        }
        return -1;
    });
}

} // namespace remote
