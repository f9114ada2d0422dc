#include "circuitRouting.h"

#include "chainStateRecord.h"
#include "frontEndLines.h"
#include "frontEndSequencer.h"

#include "cablemodem/cableModen.h"

namespace {

using rfchain::Line;

enum class Modem { Off, On };
enum class ModemStep { First, AfterDocsis };

// One row of the routing: -1 leaves a line as it was.
struct Route {
    Modem modem;
    ModemStep modemStep;
    int rfOptic, docsis, dw, up, extCm;
    bool cableSet;
};

constexpr Route kRoutes[] = {
    {Modem::Off, ModemStep::First, 0, 0, 0, 0, 0, true},       // CABLE_RF
    {Modem::On, ModemStep::First, 0, 1, 0, 1, 0, false},       // DOCSIS_ANALYZER_UP
    {Modem::On, ModemStep::AfterDocsis, 0, 1, 1, 0, 0, false}, // DOCSIS_RF
    {Modem::On, ModemStep::AfterDocsis, 0, 1, 1, 0, 1, false}, // EXT_CM_DW
    {Modem::Off, ModemStep::First, 0, 1, 0, 1, 1, true},       // EXT_CM_UP
    {Modem::On, ModemStep::First, 1, 0, -1, -1, 0, true},      // DOCSIS_OPTIC
    {Modem::Off, ModemStep::First, 1, 0, -1, -1, 0, true},     // CABLE_OPTIC
};
constexpr int kRouteCount = static_cast<int>(sizeof kRoutes / sizeof kRoutes[0]);

void drive(Line line, int value)
{
    if (value >= 0)
        rfchain::writeLine(line, value != 0);
}

void switchModem(Modem modem)
{
    if (modem == Modem::On)
        power_ON_CableModem();
    else
        power_OFF_CableModem();
}

void route(int mode)
{
    rfchain::ChainState& st = rfchain::state();
    if (mode == st.circuitMode)
        return;
    const Route& r = kRoutes[mode >= 0 && mode < kRouteCount ? mode : CABLE_RF];
    if (r.modemStep == ModemStep::First)
        switchModem(r.modem);
    drive(rfchain::RF_OPTIC, r.rfOptic);
    drive(rfchain::DOCSIS, r.docsis);
    if (r.modemStep == ModemStep::AfterDocsis)
        switchModem(r.modem);
    drive(rfchain::DW, r.dw);
    drive(rfchain::UP, r.up);
    drive(rfchain::EXT_CM, r.extCm);
    setCalibracioCable(r.cableSet);
    st.circuitMode = mode;
}

} // namespace

int setModeCircuit(int mode)
{
    // The modem's power-off waits process events, so a request can arrive mid-sequence.
    rfchain::runSequence(rfchain::Request::Route, [mode] { route(mode); });
    return 0;
}

int setModeCircuitString(const QString& name)
{
    static const struct {
        const char* name;
        int mode;
    } kNames[] = {
        {"CABLE_RF", CABLE_RF},       {"DOCSIS_RF", DOCSIS_RF},     {"DOCSIS_ANALYZER_UP", DOCSIS_ANALYZER_UP},
        {"EXT_CM_UP", EXT_CM_UP},     {"CABLE_OPTIC", CABLE_OPTIC}, {"DOCSIS_OPTIC", DOCSIS_OPTIC},
        {"EXT_CM_DW", EXT_CM_DW},
    };
    int mode = DOCSIS_RF;
    for (const auto& n : kNames) {
        if (name == QLatin1String(n.name)) {
            mode = n.mode;
            break;
        }
    }
    return setModeCircuit(mode);
}

int getModeCircuit() { return rfchain::state().circuitMode; }
