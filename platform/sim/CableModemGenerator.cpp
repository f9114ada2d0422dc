#include "CableModemGenerator.h"

#include "CableModemReplies.h"

#include <cstdlib>
#include <functional>
#include <sstream>

namespace platform::sim {

namespace {

constexpr double kUnitKsps = 160.0;
// The level of the production test carrier with neither gain nor attenuation, dBuV.
constexpr double kTestReferenceDbuV = 60.0;
// The DOCSIS 3.0 burst's level is 120 dBuV less its gain code.
constexpr double kBurstReferenceDbuV = 120.0;

const char* const kScQamModulations[] = {"", "QPSK", "8QAM", "16QAM", "32QAM", "64QAM"};
const char* const kBurstModulations[] = {"QPSK", "8QAM", "16QAM", "32QAM", "64QAM"};

int arg(const ModemArgs& a, size_t i) { return i < a.size() ? std::atoi(a[i].c_str()) : 0; }
double argReal(const ModemArgs& a, size_t i) { return i < a.size() ? std::atof(a[i].c_str()) : 0.0; }

std::string acknowledge(ModemSession&, const ModemArgs&) { return ""; }

// A production test command: only in test mode; set() takes the arguments.
template <typename Set>
std::function<std::string(ModemSession&, const ModemArgs&)> testCommand(Set set)
{
    return [set](ModemSession& s, const ModemArgs& a) -> std::string {
        if (!s.generator.testMode)
            return "Error: production test mode is off\n";
        set(s.generator, a);
        return "";
    };
}

void ignore(ModemGenerator&, const ModemArgs&) {}

// The OFDMA profile, band and frame settings the modem takes without a word back.
const char* const kOfdmaSettings[] = {
    "Production/Test/UsOfdma/setTXProfileClear", "Production/Test/UsOfdma/setNotUsedClear",
    "Production/Test/UsOfdma/setExcludedClear",  "Production/Test/UsOfdma/setPreambleLen",
    "Production/Test/UsOfdma/setRandSeed",       "Production/Test/UsOfdma/setNir",
    "Production/Test/UsOfdma/setNfr",            "Production/Test/UsOfdma/setSubcSpacing",
    "Production/Test/UsOfdma/setMiniSlot",       "Production/Test/UsOfdma/setExcludedBand",
    "Production/Test/UsOfdma/setSymbolsInFrame", "Production/Test/UsOfdma/setRollof",
    "Production/Test/UsOfdma/setCyclicPrefix",   "Production/Test/UsOfdma/applyUcd",
    "Production/Test/UsOfdma/pllLockTxBurst",    "Production/Test/UsOfdma/testBurstUcdParams",
};

ModemUpstreamBurst burst30(const ModemSession& s)
{
    ModemUpstreamBurst b;
    std::istringstream words(s.burstSettings);
    int channel = 0, code = 0, rate = 0, gain = 0;
    double mhz = 0;
    if (!(words >> channel >> mhz >> code >> rate >> gain))
        return b;
    b.kind = ModemUpstreamBurst::Kind::ScQam;
    b.frequencyHz = mhz * 1e6;
    b.levelDbuV = kBurstReferenceDbuV - gain;
    b.symbolRateKsps = rate >= 0 && rate < 6 ? static_cast<int>(kUnitKsps) << rate : 0;
    b.modulation = code >= 0 && code < 5 ? kBurstModulations[code] : "";
    return b;
}

} // namespace

ModemUpstreamBurst modemUpstreamBurst(const ModemSession& s)
{
    const ModemGenerator& g = s.generator;
    ModemUpstreamBurst b;
    if (g.testMode && g.ofdmaOn) {
        b.kind = ModemUpstreamBurst::Kind::Ofdma;
        b.frequencyHz = static_cast<double>(g.ofdmaSubcarrier0Hz);
    } else if (g.testMode && g.upstreamOn && g.continuous && g.frequencyMhz > 0) {
        b.kind = ModemUpstreamBurst::Kind::ScQam;
        b.frequencyHz = g.frequencyMhz * 1e6;
        b.levelDbuV = kTestReferenceDbuV + g.gainDb - g.attenuationDb;
        b.symbolRateKsps = static_cast<int>(kUnitKsps * g.symbolUnits);
        b.modulation = g.modulation >= 1 && g.modulation <= 5 ? kScQamModulations[g.modulation] : "";
    } else if (s.burstOn) {
        b = burst30(s);
    }
    return b;
}

void resetTransmitterAtBoot(ModemSession& s)
{
    s.generator = ModemGenerator();
    s.burstOn = false;
}

const std::vector<ModemCommandRule>& modemGeneratorCommands()
{
    using S = ModemSession;
    using A = ModemArgs;
    using G = ModemGenerator;
    static const std::vector<ModemCommandRule> table = [] {
        std::vector<ModemCommandRule> rules = {
        {"exit", ModemWhere::Shell, acknowledge},
        {"testmode", ModemWhere::Shell,
         [](S& s, const A&) {
             s.generator.testMode = true;
             return std::string("Production test mode\n");
         }},
        {"system/startup/enable", ModemWhere::Shell,
         [](S& s, const A&) {
             s.autoStart = true;
             return std::string("Automatic startup enabled\n");
         }},
        {"Production/Test/testmode", ModemWhere::Menu, testCommand(ignore)},
        {"Production/Test/UsOfdma", ModemWhere::Menu, testCommand(ignore)},
        {"Production/Test/bmode", ModemWhere::Menu, testCommand(ignore)},
        {"Production/Test/upstream", ModemWhere::Menu, testCommand([](G& g, const A& a) { g.upstreamOn = arg(a, 1) != 0; })},
        {"Production/Test/cont", ModemWhere::Menu, testCommand([](G& g, const A& a) { g.continuous = arg(a, 1) != 0; })},
        {"Production/Test/modulation", ModemWhere::Menu, testCommand([](G& g, const A& a) { g.modulation = arg(a, 1); })},
        {"Production/Test/symb", ModemWhere::Menu, testCommand([](G& g, const A& a) { g.symbolUnits = arg(a, 1); })},
        {"Production/Test/gain", ModemWhere::Menu, testCommand([](G& g, const A& a) { g.gainDb = arg(a, 0); })},
        {"Production/Test/sdattn", ModemWhere::Menu,
         testCommand([](G& g, const A& a) { g.attenuationDb = arg(a, 1); })},
        {"Production/Test/tcm", ModemWhere::Menu, testCommand(ignore)},
        {"Production/Test/freq", ModemWhere::Menu, testCommand([](G& g, const A& a) { g.frequencyMhz = argReal(a, 1); })},
        {"Production/Test/UsOfdma/setCenterFreqSubC0", ModemWhere::Menu,
         testCommand([](G& g, const A& a) { g.ofdmaSubcarrier0Hz = std::strtoull(a.size() > 1 ? a[1].c_str() : "0", nullptr, 10); })},
        {"Production/Test/UsOfdma/startTestBurst", ModemWhere::Menu,
         testCommand([](G& g, const A&) { g.ofdmaOn = true; })},
        {"Production/Test/UsOfdma/cleanTestBurst", ModemWhere::Menu,
         testCommand([](G& g, const A&) { g.ofdmaOn = false; })},
        };
        for (const char* setting : kOfdmaSettings)
            rules.push_back({setting, ModemWhere::Menu, testCommand(ignore)});
        return rules;
    }();
    return table;
}

} // namespace platform::sim
