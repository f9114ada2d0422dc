// The integration layer on the fake register files, with a terrestrial tuner that records its
// calls (and whether the demodulator's repeater was on at each), and the register values that
// make each standard's lock checks say "locked".
#pragma once

#include "DemodBench.h"
#include "chipkit/kit_integ.h"

#include <string>
#include <vector>

namespace kittest {

struct TunerCall {
    std::string op;
    uint32_t kHz;
    uint32_t system;
    uint32_t bandwidth;
    int repeater;  // SLVX 0x08 when the call was made
};

class FakeTuner {
public:
    explicit FakeTuner(FakeKitI2c& i2c);
    ~FakeTuner();
    FakeTuner(const FakeTuner&) = delete;
    FakeTuner& operator=(const FakeTuner&) = delete;

    kit_tuner_terr_cable_t record{};
    std::vector<TunerCall> calls;
    kit_result_t result = KIT_RESULT_OK;  // what every slot answers
    int32_t rfLevel = -60000;
    bool failNextAccessAfterTune = false;  // the bus fails right after a tune
    // The tuner systems of the Tune calls, in order.
    std::vector<uint32_t> tunedSystems() const;

private:
    static FakeTuner* of(kit_tuner_terr_cable_t* t);
    kit_result_t note(const char* op, uint32_t kHz = 0, uint32_t system = 0, uint32_t bandwidth = 0);
    FakeKitI2c& i2c_;
};

struct IntegBench : DemodBench {
    FakeTuner tuner{i2c};
    kit_integ_t integ{};

    explicit IntegBench(bool withTuner = true);
    // Initialises; asleep, logs cleared.
    kit_result_t initialize();
    // The demodulator as a standard's tune leaves it, without its register sequence.
    void makeActive(kit_dtv_system_t system);
    // Lock registers of the standard: locked, not yet (all clear) or unlock detected.
    enum class Lock { No, Yes, Unlock };
    void setLock(kit_dtv_system_t system, Lock lock);
    uint64_t nowMs();
};

} // namespace kittest
