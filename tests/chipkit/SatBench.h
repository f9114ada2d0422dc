// Satellite parts of the kit under test: a satellite tuner and an LNB controller that record
// what they are asked, and an integration handle binding them to a demodulator handle.
#pragma once

#include "chipkit/kit_common.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kittest {

// A satellite tuner that lands where it is told (plus an error, if set) and converts AGC
// values by a rule of the test's.
struct FakeSatTuner {
    struct Tune {
        uint32_t kHz;
        kit_dtv_system_t system;
        uint32_t ksps;
        bool operator==(const Tune& o) const { return kHz == o.kHz && system == o.system && ksps == o.ksps; }
    };

    FakeSatTuner()
    {
        tuner.Initialize = [](kit_tuner_sat_t* t) -> kit_result_t { return ++self(t)->initializes, KIT_RESULT_OK; };
        tuner.Tune = [](kit_tuner_sat_t* t, uint32_t kHz, kit_dtv_system_t system, uint32_t ksps) -> kit_result_t {
            FakeSatTuner* f = self(t);
            f->tunes.push_back({kHz, system, ksps});
            t->frequencyKHz = uint32_t(int64_t(kHz) + f->landingErrorKHz);
            if (f->onTune)
                f->onTune(t->frequencyKHz);
            return f->tuneResult;
        };
        tuner.Sleep = [](kit_tuner_sat_t* t) -> kit_result_t { return ++self(t)->sleeps, KIT_RESULT_OK; };
        tuner.Shutdown = [](kit_tuner_sat_t*) { return kit_result_t(KIT_RESULT_OK); };
        tuner.AGCLevel2AGCdB = [](kit_tuner_sat_t* t, uint32_t agc, int32_t* dB) {
            *dB = self(t)->agcRule(agc);
            return kit_result_t(KIT_RESULT_OK);
        };
        tuner.symbolRateKSps = 30000;
        tuner.user = this;
    }
    FakeSatTuner(const FakeSatTuner&) = delete;
    FakeSatTuner& operator=(const FakeSatTuner&) = delete;

    static FakeSatTuner* self(kit_tuner_sat_t* t) { return static_cast<FakeSatTuner*>(t->user); }

    kit_tuner_sat_t tuner{};
    std::vector<Tune> tunes;
    int initializes = 0;
    int sleeps = 0;
    int64_t landingErrorKHz = 0;
    kit_result_t tuneResult = KIT_RESULT_OK;
    std::function<int32_t(uint32_t)> agcRule = [](uint32_t agc) { return int32_t(agc); };
    std::function<void(uint32_t)> onTune;  // where the tuner landed, in kHz
};

// An LNB controller record as the supply's driver fills it: values kept, calls logged.
struct FakeLnbc {
    FakeLnbc()
    {
        lnbc.state = KIT_LNBC_STATE_ACTIVE;
        lnbc.voltage = KIT_LNBC_VOLTAGE_LOW;
        lnbc.tone = KIT_LNBC_TONE_AUTO;
        lnbc.SetVoltage = [](kit_lnbc_t* l, uint32_t v) {
            self(l)->calls.push_back(v ? "V high" : "V low");
            if (self(l)->onVoltage)
                self(l)->onVoltage(v);
            return self(l)->voltageResult;
        };
        lnbc.SetTransmitMode = [](kit_lnbc_t* l, uint32_t m) {
            self(l)->calls.push_back(m ? "receive" : "transmit");
            return kit_result_t(KIT_RESULT_OK);
        };
        lnbc.Sleep = [](kit_lnbc_t* l) {
            self(l)->calls.push_back("sleep");
            l->state = KIT_LNBC_STATE_SLEEP;
            return kit_result_t(KIT_RESULT_OK);
        };
        lnbc.WakeUp = [](kit_lnbc_t* l) {
            self(l)->calls.push_back("wake");
            l->state = KIT_LNBC_STATE_ACTIVE;
            return kit_result_t(KIT_RESULT_OK);
        };
        lnbc.user = this;
    }
    FakeLnbc(const FakeLnbc&) = delete;
    FakeLnbc& operator=(const FakeLnbc&) = delete;

    static FakeLnbc* self(kit_lnbc_t* l) { return static_cast<FakeLnbc*>(l->user); }

    kit_lnbc_t lnbc{};
    std::vector<std::string> calls;
    kit_result_t voltageResult = KIT_RESULT_OK;
    std::function<void(uint32_t)> onVoltage;
};

inline kit_integ_t integrationOf(kit_demod_t& demod, FakeSatTuner* tuner, FakeLnbc* lnbc)
{
    return kit_integ_t{&demod, nullptr, tuner ? &tuner->tuner : nullptr, lnbc ? &lnbc->lnbc : nullptr, 0, 0};
}

} // namespace kittest
