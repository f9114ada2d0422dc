#include "IntegBench.h"

#include "chipkit/kit_demod.h"
#include "common/Clock.h"

#include <map>

namespace kittest {

namespace {

// The slots get the record only; the test fakes are found again through it.
std::map<kit_tuner_terr_cable_t*, FakeTuner*>& tuners()
{
    static std::map<kit_tuner_terr_cable_t*, FakeTuner*> all;
    return all;
}

} // namespace

FakeTuner::FakeTuner(FakeKitI2c& i2c) : i2c_(i2c)
{
    tuners()[&record] = this;
    record.Initialize = [](kit_tuner_terr_cable_t* t) { return of(t)->note("Initialize"); };
    record.Tune = [](kit_tuner_terr_cable_t* t, uint32_t kHz, kit_dtv_system_t system, kit_dtv_bandwidth_t bw) {
        FakeTuner* f = of(t);
        const kit_result_t r = f->note("Tune", kHz, system, bw);
        if (f->failNextAccessAfterTune)
            f->i2c_.failAccess(1);
        return r;
    };
    record.Sleep = [](kit_tuner_terr_cable_t* t) { return of(t)->note("Sleep"); };
    record.Shutdown = [](kit_tuner_terr_cable_t* t) { return of(t)->note("Shutdown"); };
    record.ReadRFLevel = [](kit_tuner_terr_cable_t* t, int32_t* level) {
        *level = of(t)->rfLevel;
        return of(t)->note("ReadRFLevel");
    };
    record.CalcRFLevelFromAGC = [](kit_tuner_terr_cable_t* t, uint32_t agc, int32_t* level) {
        *level = -static_cast<int32_t>(agc);
        return of(t)->note("CalcRFLevelFromAGC", agc);
    };
}

FakeTuner::~FakeTuner() { tuners().erase(&record); }

FakeTuner* FakeTuner::of(kit_tuner_terr_cable_t* t) { return tuners().at(t); }

kit_result_t FakeTuner::note(const char* op, uint32_t kHz, uint32_t system, uint32_t bandwidth)
{
    calls.push_back({op, kHz, system, bandwidth, i2c_.reg(SLVX, 0x00, 0x08)});
    return result;
}

std::vector<uint32_t> FakeTuner::tunedSystems() const
{
    std::vector<uint32_t> out;
    for (const TunerCall& c : calls)
        if (c.op == "Tune")
            out.push_back(c.system);
    return out;
}

IntegBench::IntegBench(bool withTuner)
{
    const kit_demod_create_param_t param = {1, FakeKitI2c::kSlvt, KIT_DEMOD_TUNER_I2C_REPEATER};
    kit_integ_Create(&integ, &demod, &param, i2c.table(), withTuner ? &tuner.record : nullptr, nullptr, nullptr);
}

kit_result_t IntegBench::initialize()
{
    const kit_result_t r = kit_integ_Initialize(&integ);
    i2c.clearLog();
    tuner.calls.clear();
    return r;
}

void IntegBench::makeActive(kit_dtv_system_t system) { kit_demod_FinishTransition(&demod, system, KIT_RESULT_OK); }

void IntegBench::setLock(kit_dtv_system_t system, Lock lock)
{
    const bool yes = lock == Lock::Yes;
    const bool unlock = lock == Lock::Unlock;
    switch (system) {
    case KIT_DTV_SYSTEM_DVBC:
    case KIT_DTV_SYSTEM_J83B:  // AR lock and unlock at 0x88, TS lock at 0x10
        i2c.setReg(SLVT, 0x40, 0x88, yes ? 0x01 : unlock ? 0x02 : 0x00);
        i2c.setReg(SLVT, 0x40, 0x10, yes ? 0x20 : 0x00);
        break;
    case KIT_DTV_SYSTEM_DVBT:  // sync state 6, TS lock, early unlock
        i2c.setReg(SLVT, 0x10, 0x10, yes ? 0x26 : unlock ? 0x10 : 0x00);
        break;
    case KIT_DTV_SYSTEM_DVBT2:  // the same, with the L1-post valid and the base profile found
    case KIT_DTV_SYSTEM_DVBC2:
        i2c.setReg(SLVT, 0x20, 0x10, yes ? 0x26 : unlock ? 0x10 : 0x00);
        i2c.setReg(SLVT, 0x22, 0x12, yes ? 0x01 : 0x00);
        i2c.setReg(SLVT, 0x2E, 0x20, yes ? 0x02 : 0x00);
        break;
    case KIT_DTV_SYSTEM_ISDBT:  // TS lock bit 0, demodulator lock bit 1, unlock bit 4
        i2c.setReg(SLVT, 0x60, 0x10, yes ? 0x03 : unlock ? 0x10 : 0x00);
        break;
    default:
        break;
    }
}

uint64_t IntegBench::nowMs() { return common::clock().monotonicMs(); }

} // namespace kittest
