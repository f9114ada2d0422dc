// The integration layer on the fake register files: life cycle with the repeater around every
// tuner call, argument checks, lock waits at their limits on the virtual clock, cancellation,
// blind tunes, scans, RF level and SSI.
#include "IntegBench.h"
#include "KitTrail.h"
#include "SatBench.h"

#include "chipkit/kit_demod.h"
#include "chipkit/kit_integ_dvbc.h"
#include "chipkit/kit_integ_dvbc2.h"
#include "chipkit/kit_integ_dvbt.h"
#include "chipkit/kit_integ_dvbt2.h"
#include "chipkit/kit_integ_dvbt_t2.h"
#include "chipkit/kit_integ_isdbt.h"
#include "chipkit/kit_integ_j83b.h"
#include "common/embedded_timers.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kittest;
using Lock = IntegBench::Lock;

namespace {

constexpr uint32_t kHz = 474000;

// ---- A lock check driven by the test, each reading costing the bus some time ----
struct ScriptedLock {
    uint64_t lockAtMs = UINT64_MAX;
    uint64_t unlockAtMs = UINT64_MAX;
    uint32_t costMs = 0;
    int checks = 0;
    int hooks = 0;
    uint64_t startMs = 0;
};
ScriptedLock script;

kit_result_t scriptedCheck(kit_demod_t*, kit_demod_lock_result_t* lock)
{
    const uint64_t at = EMBEDDEDTIMERS_GeticksInMs() - script.startMs;
    ++script.checks;
    EMBEDDEDTIMERS_delayms(static_cast<uint16_t>(script.costMs));
    *lock = at >= script.unlockAtMs ? KIT_DEMOD_LOCK_RESULT_UNLOCKED
          : at >= script.lockAtMs   ? KIT_DEMOD_LOCK_RESULT_LOCKED
                                    : KIT_DEMOD_LOCK_RESULT_NOTDETECT;
    return KIT_RESULT_OK;
}

kit_result_t countHook(kit_demod_t*)
{
    ++script.hooks;
    return KIT_RESULT_OK;
}

std::vector<std::string> ops(const FakeTuner& t)
{
    std::vector<std::string> out;
    for (const TunerCall& c : t.calls)
        out.push_back(c.op);
    return out;
}

} // namespace

TEST(KitIntegLifeCycle, TunersAndLnbAroundTheDemodulatorWithTheRepeaterAroundTheTuners)
{
    IntegBench b;
    FakeLnbc lnbc;
    lnbc.lnbc.Initialize = [](kit_lnbc_t* l) -> kit_result_t {
        FakeLnbc::self(l)->calls.push_back("initialize");
        return KIT_RESULT_OK;
    };
    FakeSatTuner sat;
    b.integ.lnbc = &lnbc.lnbc;
    b.integ.tunerSat = &sat.tuner;
    ASSERT_EQ(kit_integ_Initialize(&b.integ), 0u);
    EXPECT_EQ(ops(b.tuner), std::vector<std::string>{"Initialize"});
    EXPECT_EQ(std::make_tuple(b.demod.state, b.tuner.calls[0].repeater, sat.initializes, b.i2c.reg(SLVX, 0, 0x08)),
              std::make_tuple(KIT_DEMOD_STATE_SLEEP, 1, 1, 0));
    EXPECT_EQ(lnbc.calls, (std::vector<std::string>{"initialize", "sleep"}));

    b.tuner.calls.clear();
    b.makeActive(KIT_DTV_SYSTEM_DVBC);
    ASSERT_EQ(kit_integ_Sleep(&b.integ), 0u);
    EXPECT_EQ(b.demod.state, KIT_DEMOD_STATE_SLEEP);
    ASSERT_EQ(kit_integ_Shutdown(&b.integ), 0u);
    EXPECT_EQ(ops(b.tuner), (std::vector<std::string>{"Sleep", "Shutdown"}));
    for (const TunerCall& c : b.tuner.calls)
        EXPECT_EQ(c.repeater, 1) << c.op;
    EXPECT_EQ(std::make_tuple(b.demod.state, sat.sleeps, lnbc.calls.back()),
              std::make_tuple(KIT_DEMOD_STATE_SHUTDOWN, 1, std::string("sleep")));
    const int accesses = b.i2c.accesses();
    EXPECT_EQ(kit_integ_Shutdown(&b.integ), 0u);  // down already: nothing
    EXPECT_EQ(b.i2c.accesses(), accesses);

    // A tuner that fails: its result, the repeater off all the same, the LNB left alone.
    IntegBench f;
    f.tuner.result = KIT_RESULT_ERROR_I2C;
    lnbc.calls.clear();
    f.integ.lnbc = &lnbc.lnbc;
    EXPECT_EQ(kit_integ_Initialize(&f.integ), 2u);
    EXPECT_EQ(std::make_tuple(f.i2c.reg(SLVX, 0, 0x08), lnbc.calls.size()), std::make_tuple(0, size_t(0)));

    // Wrong states, nulls, the cancel flag.
    IntegBench s;
    kit_integ_t i;
    kit_demod_t d;
    const kit_demod_create_param_t p = {1, 0xD8, 1};
    EXPECT_EQ((std::vector<kit_result_t>{kit_integ_Sleep(&s.integ), kit_integ_Shutdown(&s.integ), kit_integ_Sleep(nullptr),
                                         kit_integ_CheckCancellation(&s.integ), kit_integ_Cancel(&s.integ),
                                         kit_integ_CheckCancellation(&s.integ), kit_integ_CheckCancellation(nullptr),
                                         kit_integ_Create(&i, &d, &p, nullptr, nullptr, nullptr, nullptr),
                                         kit_integ_Create(&i, nullptr, &p, s.i2c.table(), nullptr, nullptr, nullptr)}),
              (std::vector<kit_result_t>{3, 3, 1, 0, 0, 9, 1, 1, 1}));
}

TEST(KitIntegTune, ArgumentsAreCheckedBeforeTheChipIsTouched)
{
    kit_dvbc_tune_param_t c = {kHz, KIT_DTV_BW_8_MHZ};
    kit_dvbt_tune_param_t t = {kHz, KIT_DTV_BW_8_MHZ, 0};
    kit_dvbt2_tune_param_t t2 = {kHz, KIT_DTV_BW_8_MHZ, 0, 0, 0};
    kit_dvbc2_tune_param_t c2 = {kHz, KIT_DTV_BW_8_MHZ, 0, 0, 0, 0};
    uint32_t profile = 0;
    kit_dtv_system_t system = 0;
    using Call = std::function<kit_result_t(kit_integ_t*)>;
    const struct {
        const char* what;
        Call call;
        kit_result_t result;
    } cases[] = {
        {"DVB-C 5 MHz", [&](kit_integ_t* i) { kit_dvbc_tune_param_t x = {kHz, 5}; return kit_integ_dvbc_Tune(i, &x); }, 8},
        {"DVB-C at 0 kHz", [&](kit_integ_t* i) { kit_dvbc_tune_param_t x = {0, 8}; return kit_integ_dvbc_Tune(i, &x); }, 1},
        {"DVB-C without parameters", [&](kit_integ_t* i) { return kit_integ_dvbc_Tune(i, nullptr); }, 1},
        {"J.83B 8 MHz", [&](kit_integ_t* i) { return kit_integ_j83b_Tune(i, &c); }, 8},
        {"J.83B at 0 kHz", [&](kit_integ_t* i) { kit_j83b_tune_param_t x = {0, 50}; return kit_integ_j83b_Tune(i, &x); }, 1},
        {"ISDB-T 5 MHz", [&](kit_integ_t* i) { kit_isdbt_tune_param_t x = {kHz, 5}; return kit_integ_isdbt_Tune(i, &x); }, 8},
        {"ISDB-T EWS 1.7 MHz", [&](kit_integ_t* i) { kit_isdbt_tune_param_t x = {kHz, 1}; return kit_integ_isdbt_EWSTune(i, &x); }, 8},
        {"DVB-T 1.7 MHz", [&](kit_integ_t* i) { t.bandwidth = 1; return kit_integ_dvbt_Tune(i, &t); }, 8},
        {"DVB-T blind 6 MHz J.83B id", [&](kit_integ_t* i) { return kit_integ_dvbt_BlindTune(i, kHz, 50); }, 8},
        {"DVB-T2 4 MHz", [&](kit_integ_t* i) { t2.bandwidth = 4; return kit_integ_dvbt2_Tune(i, &t2); }, 8},
        {"DVB-T2 either profile", [&](kit_integ_t* i) { t2.bandwidth = 8; t2.profile = 2; return kit_integ_dvbt2_Tune(i, &t2); }, 1},
        {"DVB-T2 blind profile 3", [&](kit_integ_t* i) { return kit_integ_dvbt2_BlindTune(i, kHz, 8, 3, &profile); }, 1},
        {"DVB-T2 blind without output", [&](kit_integ_t* i) { return kit_integ_dvbt2_BlindTune(i, kHz, 8, 0, nullptr); }, 1},
        {"T/T2 system DVB-C", [&](kit_integ_t* i) { return kit_integ_dvbt_t2_BlindTune(i, kHz, 8, 3, 0, &system, &profile); }, 8},
        {"T/T2 1.7 MHz DVB-T", [&](kit_integ_t* i) { return kit_integ_dvbt_t2_BlindTune(i, kHz, 1, 1, 0, &system, &profile); }, 8},
        {"T/T2 1.7 MHz either", [&](kit_integ_t* i) { return kit_integ_dvbt_t2_BlindTune(i, kHz, 1, 12, 0, &system, &profile); }, 8},
        {"DVB-C2 7 MHz", [&](kit_integ_t* i) { c2.bandwidth = 7; return kit_integ_dvbc2_Tune(i, &c2); }, 8},
        {"DVB-C2 at 0 kHz", [&](kit_integ_t* i) { kit_dvbc2_tune_param_t x = {0, 8, 0, 0, 0, 0}; return kit_integ_dvbc2_Tune(i, &x); }, 1},
    };
    for (const auto& c : cases) {
        IntegBench b;
        ASSERT_EQ(b.initialize(), 0u);
        const int before = b.i2c.accesses();
        EXPECT_EQ(c.call(&b.integ), c.result) << c.what;
        EXPECT_EQ(b.i2c.accesses(), before) << c.what;
        EXPECT_TRUE(b.tuner.calls.empty()) << c.what;
    }
    // A demodulator neither asleep nor active.
    IntegBench n;
    EXPECT_EQ(kit_integ_dvbc_Tune(&n.integ, &c), 3u);
    EXPECT_EQ(kit_integ_dvbt_Tune(&n.integ, &t), 3u);
    EXPECT_EQ(n.i2c.accesses(), 0);
}

TEST(KitIntegTune, TheRepeaterIsOffAfterEveryTunerCallAndTheTunersFailureIsReturned)
{
    IntegBench b;
    ASSERT_EQ(b.initialize(), 0u);
    b.setLock(KIT_DTV_SYSTEM_DVBC, Lock::Yes);
    const kit_dvbc_tune_param_t p = {kHz, KIT_DTV_BW_8_MHZ};
    ASSERT_EQ(kit_integ_dvbc_Tune(&b.integ, &p), 0u);
    ASSERT_EQ(b.tuner.calls.size(), 1u);
    const TunerCall& call = b.tuner.calls[0];
    EXPECT_EQ(std::make_tuple(call.kHz, call.system, call.bandwidth, call.repeater, b.i2c.reg(SLVX, 0, 0x08)),
              std::make_tuple(kHz, KIT_DTV_SYSTEM_DVBC, 8u, 1, 0));

    // The tuner fails: its result, the repeater off, no tune end.
    b.tuner.result = KIT_RESULT_ERROR_RANGE;
    b.i2c.clearLog();
    EXPECT_EQ(kit_integ_dvbc_Tune(&b.integ, &p), 7u);
    EXPECT_EQ(b.i2c.writesTo(SLVX, 0).back(), std::make_pair(0x08, 0x00));
    for (const Step& s : b.i2c.writes())
        EXPECT_FALSE(s.port == SLVT && s.bank == 0 && s.reg == 0xFE) << "tune end after a failed tuner";

    // The tuner is fine but the repeater cannot be switched off: that failure is returned.
    b.tuner.result = KIT_RESULT_OK;
    b.tuner.failNextAccessAfterTune = true;
    EXPECT_EQ(kit_integ_dvbc_Tune(&b.integ, &p), 2u);

    // Without a tuner record the demodulator is tuned and waited for all the same.
    IntegBench none(false);
    ASSERT_EQ(none.initialize(), 0u);
    none.setLock(KIT_DTV_SYSTEM_DVBC, Lock::Yes);
    EXPECT_EQ(kit_integ_dvbc_Tune(&none.integ, &p), 0u);
    EXPECT_EQ(none.demod.state, KIT_DEMOD_STATE_ACTIVE);
    for (const auto& w : none.i2c.writesTo(SLVX, 0))
        EXPECT_NE(w.first, 0x08) << "the repeater switched for no tuner";
}

TEST(KitIntegWait, TheLockIsReadOnceMoreAfterTheLimit)
{
    // Each reading costs 3 ms, so the polls come at 0, 13, 26 ... 91, 104 of a 100 ms wait.
    const struct {
        uint64_t lockAt, unlockAt;
        kit_result_t result;
        int checks;
    } cases[] = {
        {104, UINT64_MAX, 0, 9},           // first seen past the limit: it counts
        {105, UINT64_MAX, 5, 9},           // not seen by then: time-out at the poll past the limit
        {UINT64_MAX, UINT64_MAX, 5, 9}, {0, UINT64_MAX, 0, 1},
        {UINT64_MAX, 30, 6, 4},            // unlock ends it at once
    };
    for (const auto& c : cases) {
        IntegBench b;
        ASSERT_EQ(b.initialize(), 0u);
        b.makeActive(KIT_DTV_SYSTEM_DVBC);
        script = ScriptedLock{c.lockAt, c.unlockAt, 3, 0, 0, b.nowMs()};
        EXPECT_EQ(kit_integ_WaitLock(&b.integ, scriptedCheck, countHook, 100), c.result) << c.lockAt;
        EXPECT_EQ(script.checks, c.checks) << c.lockAt;
        EXPECT_EQ(script.hooks, c.checks);
    }
    IntegBench s;
    script = ScriptedLock{};
    EXPECT_EQ(kit_integ_WaitLock(&s.integ, scriptedCheck, nullptr, 100), 3u);  // not active
    EXPECT_EQ(script.checks, 0);
}

TEST(KitIntegWait, EachStandardsLimit)
{
    using Wait = std::function<kit_result_t(kit_integ_t*)>;
    const struct {
        const char* what;
        kit_dtv_system_t system;
        Wait wait;
        uint64_t limitMs;
    } cases[] = {
        {"DVB-C TS", KIT_DTV_SYSTEM_DVBC, kit_integ_dvbc_WaitTSLock, 1000},
        {"J.83B TS", KIT_DTV_SYSTEM_J83B, kit_integ_j83b_WaitTSLock, 1000},
        {"DVB-C2 TS", KIT_DTV_SYSTEM_DVBC2, kit_integ_dvbc2_WaitTSLock, 2000},
        {"DVB-T TS", KIT_DTV_SYSTEM_DVBT, kit_integ_dvbt_WaitTSLock, 1000},
        {"DVB-T demod", KIT_DTV_SYSTEM_DVBT, kit_integ_dvbt_WaitDemodLock, 1000},
        {"ISDB-T TS", KIT_DTV_SYSTEM_ISDBT, kit_integ_isdbt_WaitTSLock, 1500},
        {"ISDB-T demod", KIT_DTV_SYSTEM_ISDBT, kit_integ_isdbt_WaitDemodLock, 1500},
        {"DVB-T2 demod base", KIT_DTV_SYSTEM_DVBT2, [](kit_integ_t* i) { return kit_integ_dvbt2_WaitDemodLock(i, 0); }, 3500},
        {"DVB-T2 demod lite", KIT_DTV_SYSTEM_DVBT2, [](kit_integ_t* i) { return kit_integ_dvbt2_WaitDemodLock(i, 1); }, 5000},
        {"DVB-T2 demod either", KIT_DTV_SYSTEM_DVBT2, [](kit_integ_t* i) { return kit_integ_dvbt2_WaitDemodLock(i, 2); }, 5000},
        {"DVB-T2 TS base", KIT_DTV_SYSTEM_DVBT2, [](kit_integ_t* i) { return kit_integ_dvbt2_WaitTSLock(i, 0); }, 1500},
        {"DVB-T2 TS lite", KIT_DTV_SYSTEM_DVBT2, [](kit_integ_t* i) { return kit_integ_dvbt2_WaitTSLock(i, 1); }, 2300},
        {"DVB-T2 L1-post", KIT_DTV_SYSTEM_DVBT2, kit_integ_dvbt2_WaitL1PostLock, 500},
    };
    for (const auto& c : cases) {
        IntegBench b;
        ASSERT_EQ(b.initialize(), 0u);
        b.makeActive(c.system);
        uint64_t start = b.nowMs();
        EXPECT_EQ(c.wait(&b.integ), 5u) << c.what;
        EXPECT_EQ(b.nowMs() - start, c.limitMs) << c.what;
        b.setLock(c.system, Lock::Yes);
        start = b.nowMs();
        EXPECT_EQ(c.wait(&b.integ), 0u) << c.what;
        EXPECT_EQ(b.nowMs(), start) << c.what;
        kit_integ_Cancel(&b.integ);
        b.setLock(c.system, Lock::No);
        EXPECT_EQ(c.wait(&b.integ), 9u) << c.what;
        EXPECT_EQ(b.nowMs(), start) << c.what;
    }
    // In scan mode a DVB-C unlock ends the wait at once; outside it the chip's verdict is not asked.
    IntegBench u;
    ASSERT_EQ(u.initialize(), 0u);
    u.makeActive(KIT_DTV_SYSTEM_DVBC);
    u.setLock(KIT_DTV_SYSTEM_DVBC, Lock::Unlock);
    EXPECT_EQ(kit_integ_dvbc_WaitTSLock(&u.integ), 5u);
    u.demod.scanMode = 1;
    EXPECT_EQ(kit_integ_dvbc_WaitTSLock(&u.integ), 6u);
}

// A tune starts afresh from a stop the kit has answered, never from one raised since: that
// one is for the tune now starting. A scan keeps even an answered stop through its tunes.
TEST(KitIntegTune, TunesClearOnlyTheStopTheyAnswered)
{
    const kit_dvbc_tune_param_t c = {kHz, KIT_DTV_BW_8_MHZ};
    const kit_dvbt_tune_param_t t = {kHz, KIT_DTV_BW_8_MHZ, 0};
    enum Stop { kNone, kAnswered, kRaised, kNewerThanAnswered, kHostCleared };
    const struct {
        const char* what;
        Stop stop;
        bool scan, dvbt;
        kit_result_t result;
        uint64_t ms; // the lock wait's time: 0 when the stop ends it at its first poll
        bool raisedAfter;
    } rows[] = {
        {"DVB-T, an answered stop", kAnswered, false, true, 5, 1000, false},
        {"DVB-T, a stop raised a moment before", kRaised, false, true, 9, 0, true},
        {"DVB-T, a newer stop than the one answered", kNewerThanAnswered, false, true, 9, 0, true},
        {"DVB-T, a stop the host cleared", kHostCleared, false, true, 5, 1000, false},
        {"DVB-C, an answered stop", kAnswered, false, false, 5, 1000, false},
        {"DVB-C, a stop raised a moment before", kRaised, false, false, 9, 0, true},
        {"DVB-C scanning, an answered stop", kAnswered, true, false, 9, 0, true},
        {"DVB-T scanning, an answered stop", kAnswered, true, true, 5, 1000, false},
        {"no stop", kNone, false, true, 5, 1000, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        IntegBench b;
        ASSERT_EQ(b.initialize(), 0u);
        b.demod.scanMode = row.scan;
        if (row.stop != kNone) {
            ASSERT_EQ(kit_integ_Cancel(&b.integ), 0u);
        }
        if (row.stop == kAnswered || row.stop == kNewerThanAnswered) {
            ASSERT_EQ(kit_integ_CheckCancellation(&b.integ), 9u);
        }
        if (row.stop == kNewerThanAnswered)
            kit_integ_Cancel(&b.integ);
        if (row.stop == kHostCleared)
            kit_integ_ClearCancellation(&b.integ);
        const uint64_t start = b.nowMs();
        EXPECT_EQ(row.dvbt ? kit_integ_dvbt_Tune(&b.integ, &t) : kit_integ_dvbc_Tune(&b.integ, &c), row.result);
        EXPECT_EQ(b.nowMs() - start, row.ms);
        EXPECT_EQ(kit_integ_CheckCancellation(&b.integ), row.raisedAfter ? 9u : 0u);
    }
    // The handle made anew, as the driver makes it for each standard, clears the same way.
    IntegBench b;
    const kit_demod_create_param_t param = {1, FakeKitI2c::kSlvt, KIT_DEMOD_TUNER_I2C_REPEATER};
    auto remake = [&] { return kit_integ_Create(&b.integ, &b.demod, &param, b.i2c.table(), nullptr, nullptr, nullptr); };
    kit_integ_Cancel(&b.integ);
    ASSERT_EQ(remake(), 0u);
    EXPECT_EQ(kit_integ_CheckCancellation(&b.integ), 9u);
    ASSERT_EQ(remake(), 0u);
    EXPECT_EQ(kit_integ_CheckCancellation(&b.integ), 0u);
}

TEST(KitIntegTune, DvbT2WaitsInTurnAndReportsADataPlpError)
{
    IntegBench b;
    ASSERT_EQ(b.initialize(), 0u);
    b.setLock(KIT_DTV_SYSTEM_DVBT2, Lock::Yes);
    kit_dvbt2_tune_param_t p = {kHz, KIT_DTV_BW_8_MHZ, 3, KIT_DVBT2_PROFILE_BASE, 9};
    EXPECT_EQ(kit_integ_dvbt2_Tune(&b.integ, &p), 0u);
    EXPECT_EQ(b.tuner.tunedSystems(), std::vector<uint32_t>{KIT_DTV_SYSTEM_DVBT2});
    // The PLP asked for.
    EXPECT_EQ(std::make_tuple(p.tuneInfo, b.i2c.reg(SLVT, 0x23, 0xAF), b.i2c.reg(SLVT, 0x23, 0xAD)), std::make_tuple(0u, 3, 1));

    b.i2c.setReg(SLVT, 0x22, 0x13, 0x01);
    EXPECT_EQ(kit_integ_dvbt2_Tune(&b.integ, &p), 12u);
    EXPECT_EQ(std::make_tuple(p.tuneInfo, b.demod.state), std::make_tuple(1u, KIT_DEMOD_STATE_ACTIVE));

    // Locked, but no TS within the lite profile's limit: demodulator at once, TS after 2300 ms.
    b.i2c.setReg(SLVT, 0x20, 0x10, 0x06);
    p.profile = KIT_DVBT2_PROFILE_LITE;
    const uint64_t start = b.nowMs();
    EXPECT_EQ(kit_integ_dvbt2_Tune(&b.integ, &p), 5u);
    EXPECT_EQ(b.nowMs() - start, 2300u);
}

TEST(KitIntegScan, EveryFrequencyUpToTheEndNeverWrappingAndCancellable)
{
    struct Seen {
        std::vector<uint32_t> kHz;
        std::vector<kit_result_t> results;
        std::vector<uint8_t> scanMode;
        bool cancelAfterFirst = false;
    };
    static Seen seen;
    auto callback = [](kit_integ_t* integ, kit_integ_dvbc_scan_result_t* r, kit_integ_dvbc_scan_param_t*) {
        seen.kHz.push_back(r->centerFreqKHz);
        seen.results.push_back(r->tuneResult);
        seen.scanMode.push_back(integ->demod->scanMode);
        if (seen.cancelAfterFirst)
            kit_integ_Cancel(integ);
    };
    IntegBench b;
    ASSERT_EQ(b.initialize(), 0u);
    b.setLock(KIT_DTV_SYSTEM_DVBC, Lock::Yes);
    kit_integ_dvbc_scan_param_t p = {474000, 490000, 8000, KIT_DTV_BW_8_MHZ};
    seen = Seen{};
    ASSERT_EQ(kit_integ_dvbc_Scan(&b.integ, &p, callback), 0u);
    EXPECT_EQ(seen.kHz, (std::vector<uint32_t>{474000, 482000, 490000}));
    EXPECT_EQ(std::make_tuple(seen.results, seen.scanMode, b.demod.scanMode, b.i2c.reg(SLVT, 0x40, 0x86) & 0x20),
              std::make_tuple(std::vector<kit_result_t>{0, 0, 0}, std::vector<uint8_t>{1, 1, 1}, 0, 0));

    // At the top of the 32-bit range the next step would wrap to the bottom: the scan stops.
    p = {0xFFFFFC00u, 0xFFFFFFFFu, 0x200, KIT_DTV_BW_8_MHZ};
    seen = Seen{};
    ASSERT_EQ(kit_integ_dvbc_Scan(&b.integ, &p, callback), 0u);
    EXPECT_EQ(seen.kHz, (std::vector<uint32_t>{0xFFFFFC00u, 0xFFFFFE00u}));

    // Time-outs are reported and the scan goes on; a cancel ends it after the frequency.
    b.setLock(KIT_DTV_SYSTEM_DVBC, Lock::No);
    p = {474000, 490000, 8000, KIT_DTV_BW_8_MHZ};
    seen = Seen{};
    seen.cancelAfterFirst = true;
    EXPECT_EQ(kit_integ_dvbc_Scan(&b.integ, &p, callback), 9u);
    EXPECT_EQ(std::make_tuple(seen.results, b.demod.scanMode), std::make_tuple(std::vector<kit_result_t>{5}, 0));

    // A failing tune ends the scan with its result and reports nothing.
    b.tuner.result = KIT_RESULT_ERROR_I2C;
    seen = Seen{};
    EXPECT_EQ(kit_integ_dvbc_Scan(&b.integ, &p, callback), 2u);
    EXPECT_EQ(std::make_tuple(seen.kHz.size(), b.demod.scanMode), std::make_tuple(size_t(0), 0));

    p = {490000, 474000, 8000, KIT_DTV_BW_8_MHZ};
    EXPECT_EQ(kit_integ_dvbc_Scan(&b.integ, &p, callback), 1u);
    p = {474000, 490000, 0, KIT_DTV_BW_8_MHZ};
    EXPECT_EQ(kit_integ_dvbc_Scan(&b.integ, &p, callback), 1u);
    EXPECT_EQ(kit_integ_dvbc_Scan(&b.integ, &p, nullptr), 1u);
}

TEST(KitIntegScan, DvbT2ReportsEveryDataPlpAndBothProfilesOfAMixedChannel)
{
    static std::vector<kit_integ_dvbt2_scan_result_t> seen;
    static std::vector<uint64_t> at;
    auto callback = [](kit_integ_t*, kit_integ_dvbt2_scan_result_t* r, kit_integ_dvbt2_scan_param_t*) {
        seen.push_back(*r);
        at.push_back(EMBEDDEDTIMERS_GeticksInMs());
    };
    for (uint8_t mixed : {0, 1}) {
        IntegBench b;
        ASSERT_EQ(b.initialize(), 0u);
        b.setLock(KIT_DTV_SYSTEM_DVBT2, Lock::Yes);
        setBytes(b.i2c, 0x22, 0x7F, {3, 7, 1, 4});  // three data PLPs: 7, 1, 4
        b.i2c.setReg(SLVT, 0x20, 0x5C, mixed ? 0x20 : 0x00);
        kit_integ_dvbt2_scan_param_t p = {474000, 474000, 8000, KIT_DTV_BW_8_MHZ, KIT_DVBT2_PROFILE_ANY};
        seen.clear();
        at.clear();
        ASSERT_EQ(kit_integ_dvbt2_Scan(&b.integ, &p, callback), 0u);
        std::vector<std::pair<uint32_t, uint32_t>> plps;  // (PLP, profile)
        for (const auto& r : seen) {
            EXPECT_EQ(r.tuneResult, 0u);
            plps.emplace_back(r.tuneParam.dataPlpId, r.tuneParam.profile);
        }
        // The base profile was found (0x2E 0x20 = 0x02); a mixed channel is tried as lite too.
        std::vector<std::pair<uint32_t, uint32_t>> expected = {{7, 0}, {1, 0}, {4, 0}};
        if (mixed)
            expected.insert(expected.end(), {{7, 1}, {1, 1}, {4, 1}});
        EXPECT_EQ(plps, expected);
        // Each further PLP is given its time to come through.
        EXPECT_EQ(at[1] - at[0], mixed ? 510u : 260u);
        if (mixed) {
            EXPECT_EQ(at[5] - at[4], 1260u);
        }
    }
    // A cancel during the PLP switch ends the scan.
    IntegBench b;
    ASSERT_EQ(b.initialize(), 0u);
    b.setLock(KIT_DTV_SYSTEM_DVBT2, Lock::Yes);
    b.i2c.setReg(SLVT, 0x22, 0x7F, 2);
    static kit_integ_t* integ = &b.integ;
    auto cancelling = [](kit_integ_t*, kit_integ_dvbt2_scan_result_t*, kit_integ_dvbt2_scan_param_t*) {
        kit_integ_Cancel(integ);
    };
    kit_integ_dvbt2_scan_param_t p = {474000, 490000, 8000, KIT_DTV_BW_8_MHZ, KIT_DVBT2_PROFILE_BASE};
    const uint64_t start = b.nowMs();
    EXPECT_EQ(kit_integ_dvbt2_Scan(&b.integ, &p, cancelling), 9u);
    EXPECT_EQ(std::make_tuple(b.nowMs() - start, b.demod.scanMode), std::make_tuple(uint64_t(0), 0));
}

TEST(KitIntegLevels, RfLevelThroughTheTunerOrFromTheAgcAndSsi)
{
    IntegBench b;
    ASSERT_EQ(b.initialize(), 0u);
    int32_t level = 0;
    EXPECT_EQ(kit_integ_dvbc_monitor_RFLevel(&b.integ, &level), 3u);  // not active
    b.makeActive(KIT_DTV_SYSTEM_DVBC);
    EXPECT_EQ(kit_integ_j83b_monitor_RFLevel(&b.integ, &level), 3u);  // another system
    b.tuner.rfLevel = -51234;
    EXPECT_EQ(value(kit_integ_dvbc_monitor_RFLevel, &b.integ), -51234);
    EXPECT_EQ(std::make_pair(b.tuner.calls.back().repeater, int(b.i2c.reg(SLVX, 0, 0x08))), std::make_pair(1, 0));

    // Without the tuner's own reading: the demodulator's IF AGC, converted by the tuner.
    b.tuner.record.ReadRFLevel = nullptr;
    setBytes(b.i2c, 0x40, 0x49, {0xF3, 0x21});
    EXPECT_EQ(value(kit_integ_dvbc_monitor_RFLevel, &b.integ), -0x321);
    b.tuner.record.CalcRFLevelFromAGC = nullptr;
    EXPECT_EQ(kit_integ_dvbc_monitor_RFLevel(&b.integ, &level), 8u);
    IntegBench none(false);
    none.makeActive(KIT_DTV_SYSTEM_DVBT2);
    EXPECT_EQ(kit_integ_dvbt_t2_monitor_RFLevel(&none.integ, &level), 8u);
    none.makeActive(KIT_DTV_SYSTEM_ISDBT);
    EXPECT_EQ(kit_integ_dvbt_t2_monitor_RFLevel(&none.integ, &level), 3u);

    // SSI: the distance to the reference level of the modulation.
    const struct {
        int32_t d;
        uint8_t ssi;
    } points[] = {{-15001, 0}, {-15000, 0}, {-7500, 5}, {-1, 10}, {0, 10}, {10000, 50},
                  {19999, 90}, {20000, 90}, {34999, 100}, {35000, 100}};
    for (const auto& p : points)
        EXPECT_EQ(kit_integ_CalcSSI(-78000 + p.d, -78000), p.ssi) << p.d;

    IntegBench t;
    ASSERT_EQ(t.initialize(), 0u);
    t.makeActive(KIT_DTV_SYSTEM_DVBT);
    t.setLock(KIT_DTV_SYSTEM_DVBT, Lock::Yes);
    t.i2c.setReg(SLVT, 0x10, 0x2F, 0x81);  // 64QAM, HP 2/3: reference -80 dBm
    t.tuner.rfLevel = -70000;
    uint8_t ssi = 0;
    EXPECT_EQ(value(kit_integ_dvbt_monitor_SSI, &t.integ), 50);
    t.i2c.setReg(SLVT, 0x10, 0x2F, 0xC1);  // a constellation the table does not have
    EXPECT_EQ(kit_integ_dvbt_monitor_SSI(&t.integ, &ssi), 10u);

    t.makeActive(KIT_DTV_SYSTEM_DVBT2);
    t.setLock(KIT_DTV_SYSTEM_DVBT2, Lock::Yes);
    setBytes(t.i2c, 0x22, 0x5B, {0x07, 0x03});  // 256QAM, code rate 2/5: reference -84 dBm
    t.tuner.rfLevel = -99000;
    EXPECT_EQ(value(kit_integ_dvbt2_monitor_SSI, &t.integ), 0);
    t.tuner.rfLevel = -84000;
    EXPECT_EQ(value(kit_integ_dvbt2_monitor_SSI, &t.integ), 10);
}

TEST(KitIntegTune, DvbC2ThroughTheSequencerWithItsTunerMoves)
{
    IntegBench b;
    ASSERT_EQ(b.initialize(), 0u);
    b.setLock(KIT_DTV_SYSTEM_DVBC2, Lock::Yes);
    const kit_dvbc2_tune_param_t p = {kHz, KIT_DTV_BW_8_MHZ, 1, 2, 0, 476000};
    ASSERT_EQ(kit_integ_dvbc2_Tune(&b.integ, &p), 0u);
    ASSERT_EQ(b.tuner.calls.size(), 1u);  // no notch: the tuner goes to the data slice once
    EXPECT_EQ(std::make_tuple(b.tuner.calls[0].kHz, b.tuner.calls[0].system, b.tuner.calls[0].repeater, b.demod.system),
              std::make_tuple(476000u, KIT_DTV_SYSTEM_DVBC2, 1, KIT_DTV_SYSTEM_DVBC2));

    // No lock: the sequencer's own wait ends it; a cancel ends it at the next step.
    b.setLock(KIT_DTV_SYSTEM_DVBC2, Lock::No);
    uint64_t start = b.nowMs();
    EXPECT_EQ(kit_integ_dvbc2_Tune(&b.integ, &p), 5u);
    EXPECT_NEAR(static_cast<double>(b.nowMs() - start), 2000, 20);
    b.demod.scanMode = 1;
    kit_integ_Cancel(&b.integ);
    start = b.nowMs();
    EXPECT_EQ(kit_integ_dvbc2_Tune(&b.integ, &p), 9u);
    EXPECT_EQ(b.nowMs() - start, 0u);
    b.tuner.result = KIT_RESULT_ERROR_I2C;
    kit_integ_ClearCancellation(&b.integ);
    EXPECT_EQ(kit_integ_dvbc2_Tune(&b.integ, &p), 2u);
    EXPECT_EQ(b.i2c.reg(SLVX, 0, 0x08), 0);
}
