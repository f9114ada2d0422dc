// The demodulator's life cycle on the fake register files: initialise, sleep and shutdown trails,
// chip-id and crystal errors, a failure at every transfer, the saved-register memory at its limit
// and its replay, and the transitions the standards build on.
#include "KitTrail.h"
#include "chipkit/kit_demod_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

using namespace kittest;
using ::testing::Each;

namespace {

const std::vector<Step> kPowerUpTrail = {
    W(SLVX, 0, 0x10, 0x01), W(SLVX, 0, 0x18, 0x01), W(SLVX, 0, 0x28, 0x13), W(SLVX, 0, 0x17, 0x01),
    W(SLVX, 0, 0x1D, 0x00), W(SLVX, 0, 0x14, 0x01), W(SLVX, 0, 0x1C, 0x03), Wait(4),
    W(SLVX, 0, 0x50, 0x00), Wait(1),                W(SLVX, 0, 0x10, 0x00), Wait(1),
    W(SLVX, 0, 0x1A, 0x01),  // tuner path through the repeater, saved
    W(SLVX, 0, 0x1A, 0x01),  // and replayed with the rest of the memory
};
constexpr int kInitializeAccesses = 16;

void makeActive(kit_demod_t& demod, kit_dtv_system_t system) { kit_demod_FinishTransition(&demod, system, KIT_RESULT_OK); }

} // namespace

TEST(KitDemodCreate, DefaultsAndArguments)
{
    FakeKitI2c f;
    kit_demod_t d;
    std::memset(&d, 0xEE, sizeof d);
    const kit_demod_create_param_t p = {2, 0xD8, 0};
    ASSERT_EQ(kit_demod_Create(&d, &p, f.table()), 0u);
    EXPECT_EQ(std::make_tuple(d.slvxAddress, d.state, d.savedRegisterCount), std::make_tuple(0xDC, KIT_DEMOD_STATE_UNKNOWN, 0));
    kit_demod_iffreq_config_t mine = d.ifFreq;
    mine.dvbc8 = 0x123456;
    EXPECT_EQ(std::make_tuple(kit_demod_SetIFFreqConfig(&d, &mine), d.ifFreq.dvbc8), std::make_tuple(0u, 0x123456u));
    EXPECT_THAT((std::vector<kit_result_t>{kit_demod_SetIFFreqConfig(&d, nullptr), kit_demod_Create(&d, nullptr, f.table()),
                                           kit_demod_Create(&d, &p, nullptr), kit_demod_Create(nullptr, &p, f.table())}),
                Each(1u));
    EXPECT_EQ(f.accesses(), 0);
}

TEST(KitDemodInitialize, PowerUpTrailWaitsAndChipId)
{
    DemodBench b;
    EXPECT_EQ(kit_demod_Initialize(&b.demod), 0u);
    EXPECT_EQ(std::make_tuple(b.i2c.trail(), b.i2c.accesses(), b.demod.state, b.demod.chipId),
              std::make_tuple(kPowerUpTrail, kInitializeAccesses, KIT_DEMOD_STATE_SLEEP, 0x90u));

    // Crystal id 3: the first six writes, then "not supported" with the state still 0.
    DemodBench x(3);
    EXPECT_EQ(kit_demod_Initialize(&x.demod), 8u);
    EXPECT_EQ(std::make_tuple(x.i2c.trail(), x.demod.state),
              std::make_tuple(std::vector<Step>(kPowerUpTrail.begin(), kPowerUpTrail.begin() + 5), KIT_DEMOD_STATE_UNKNOWN));

    for (uint8_t id : {0x91, 0x92, 0x00}) {
        DemodBench c;
        c.i2c.setChipId(id);
        const bool known = id == 0x91;
        EXPECT_EQ(kit_demod_Initialize(&c.demod), known ? 0u : 8u) << int(id);
        EXPECT_EQ(std::make_tuple(c.demod.state, c.demod.chipId),
                  std::make_tuple(known ? KIT_DEMOD_STATE_SLEEP : KIT_DEMOD_STATE_INVALID, uint32_t(id)));
        // Invalid answers sleep and shutdown with "wrong state"; only initialise recovers.
        EXPECT_THAT((std::vector<kit_result_t>{kit_demod_Sleep(&c.demod), kit_demod_Shutdown(&c.demod)}), Each(known ? 0u : 3u));
    }
}

TEST(KitDemodInitialize, AFailedTransferAtEveryStepGivesTheBusResultAndASoundState)
{
    for (int n = 1; n <= kInitializeAccesses; ++n) {
        DemodBench b;
        b.i2c.failAccess(n);
        const kit_result_t r = kit_demod_Initialize(&b.demod);
        // Power-up writes: nothing claimed; SLVT silent (13): the chip id comes from SLVX; tuner
        // path, chip id read, replay: powered but not trusted.
        const auto expected = n <= 10 ? std::make_tuple(2u, KIT_DEMOD_STATE_UNKNOWN)
                              : n == 13 ? std::make_tuple(0u, KIT_DEMOD_STATE_SLEEP)
                                        : std::make_tuple(2u, KIT_DEMOD_STATE_INVALID);
        EXPECT_EQ(std::make_tuple(r, b.demod.state, b.demod.system), std::tuple_cat(expected, std::make_tuple(0u))) << n;
        EXPECT_EQ(kit_demod_Initialize(&b.demod), 0u) << n;
    }
}

TEST(KitDemodLifeCycle, FailuresInsideTransitionsLeaveTheHandleInvalid)
{
    const struct {
        kit_demod_state_t from;
        int port, reg;
        kit_result_t (*op)(kit_demod_t*);
    } cases[] = {
        {KIT_DEMOD_STATE_SLEEP, SLVX, 0x1C, kit_demod_Shutdown},
        {KIT_DEMOD_STATE_SHUTDOWN, SLVX, 0x10, kit_demod_Sleep},
        {KIT_DEMOD_STATE_SHUTDOWN, SLVX, 0x1A, kit_demod_Sleep},  // the replay
    };
    for (const auto& c : cases) {
        DemodBench b;
        ASSERT_EQ(b.initialize(), 0u);
        if (c.from == KIT_DEMOD_STATE_SHUTDOWN) {
            ASSERT_EQ(kit_demod_Shutdown(&b.demod), 0u);
        }
        b.i2c.failRegister(c.port, 0, static_cast<uint8_t>(c.reg));
        EXPECT_EQ(std::make_tuple(c.op(&b.demod), b.demod.state), std::make_tuple(2u, KIT_DEMOD_STATE_INVALID));
    }
    for (kit_demod_state_t s : {KIT_DEMOD_STATE_UNKNOWN, KIT_DEMOD_STATE_INVALID}) {
        DemodBench b;
        b.demod.state = s;
        EXPECT_THAT((std::vector<kit_result_t>{kit_demod_Sleep(&b.demod), kit_demod_Shutdown(&b.demod),
                                               kit_demod_SoftReset(&b.demod), kit_demod_TuneEnd(&b.demod)}),
                    Each(3u));
        EXPECT_EQ(b.i2c.accesses(), 0);
    }
}

TEST(KitDemodLifeCycle, SleepFromActiveDispatchesToTheSystem)
{
    // Ids 8 to 10 are never run by this chip build: "not supported", and the handle cannot
    // be trusted afterwards. A system without a row answers the same.
    for (kit_dtv_system_t sys = KIT_DTV_SYSTEM_DVBT; sys <= KIT_DTV_SYSTEM_ANY; ++sys) {
        ASSERT_NE(kit_demod_SystemOps(sys), nullptr);
        if (kit_demod_SystemOps(sys)->Sleep)
            continue;
        DemodBench b;
        ASSERT_EQ(b.initialize(), 0u);
        makeActive(b.demod, sys);
        EXPECT_EQ(std::make_tuple(kit_demod_Sleep(&b.demod), b.demod.state, b.demod.system),
                  std::make_tuple(8u, KIT_DEMOD_STATE_INVALID, 0u)) << sys;
    }
    for (kit_dtv_system_t sys : {8u, 9u, 10u})
        EXPECT_EQ(kit_demod_SystemOps(sys)->Sleep, nullptr);
    for (kit_dtv_system_t sys : {0u, 13u, 99u}) {
        EXPECT_EQ(kit_demod_SystemOps(sys), nullptr);
        DemodBench b;
        ASSERT_EQ(b.initialize(), 0u);
        makeActive(b.demod, sys);
        EXPECT_EQ(std::make_tuple(kit_demod_Sleep(&b.demod), b.demod.state), std::make_tuple(3u, KIT_DEMOD_STATE_ACTIVE));
        // Its sleep failed: the shutdown fails with it.
        EXPECT_EQ(std::make_tuple(kit_demod_Shutdown(&b.demod), b.demod.state), std::make_tuple(3u, KIT_DEMOD_STATE_INVALID));
    }
}

TEST(KitDemodSavedRegisters, MergeAndTheLimit)
{
    DemodBench b;
    EXPECT_EQ(kit_demod_SetAndSaveRegisterBits(&b.demod, 0xD8, 0x10, 0x01, 1, 0xFF), 3u);  // not initialised
    ASSERT_EQ(b.initialize(), 0u);
    kit_demod_t& d = b.demod;
    ASSERT_EQ(kit_demod_SetAndSaveRegisterBits(&d, 0xD8, 0x20, 0x30, 0xA5, 0x0F), 0u);
    ASSERT_EQ(kit_demod_SetAndSaveRegisterBits(&d, 0xD8, 0x20, 0x30, 0x5A, 0xF0), 0u);
    EXPECT_EQ(kit_demod_SetAndSaveRegisterBits(&d, 0xD8, 0x20, 0x31, 0x77, 0x00), 0u);  // mask 0: nothing
    // After the tuner path: one merged entry.
    EXPECT_EQ(std::make_tuple(d.savedRegisterCount, d.savedRegisters[1].value, d.savedRegisters[1].mask,
                              b.i2c.reg(SLVT, 0x20, 0x30)),
              std::make_tuple(2, 0x55, 0xFF, 0x55));

    for (int i = 2; i < KIT_DEMOD_SAVED_REGISTERS_MAX; ++i)
        ASSERT_EQ(kit_demod_SetAndSaveRegisterBits(&d, 0xD8, 0x30, static_cast<uint8_t>(i), 0x11, 0xFF), 0u);
    // The 101st distinct register: written, not remembered, "overflow".
    EXPECT_EQ(kit_demod_SetAndSaveRegisterBits(&d, 0xDC, 0x30, 0x02, 0x66, 0xFF), 11u);
    EXPECT_EQ(std::make_tuple(b.i2c.reg(SLVX, 0x30, 0x02), d.savedRegisterCount), std::make_tuple(0x66, KIT_DEMOD_SAVED_REGISTERS_MAX));
    // A merge into a held entry still succeeds.
    EXPECT_EQ(kit_demod_SetAndSaveRegisterBits(&d, 0xD8, 0x30, 0x02, 0x22, 0xFF), 0u);
    EXPECT_EQ(d.savedRegisters[2].value, 0x22);

    // Shut down once, all 100 come back in order after the wake-up, a masked one merged with
    // what the chip holds; the one that did not fit stays 0.
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_Shutdown(&d), 0u);
    ASSERT_EQ(kit_demod_Shutdown(&d), 0u);
    EXPECT_EQ(b.i2c.trail(), (std::vector<Step>{W(SLVX, 0, 0x10, 0x01), W(SLVX, 0, 0x1C, 0x00)}));
    b.i2c.clearRegisters();
    b.i2c.setReg(SLVT, 0x20, 0x30, 0xE0);
    d.savedRegisters[1].mask = 0x1F;
    b.i2c.clearLog();
    ASSERT_EQ(kit_demod_Sleep(&d), 0u);
    const auto t = b.i2c.trail();
    EXPECT_EQ(std::vector<Step>(t.begin(), t.begin() + 6),
              (std::vector<Step>{W(SLVX, 0, 0x1C, 0x03), Wait(4), W(SLVX, 0, 0x10, 0x00), Wait(1), W(SLVX, 0, 0x1A, 0x01),
                                 W(SLVT, 0x20, 0x30, 0xF5)}));
    EXPECT_EQ(std::make_tuple(b.i2c.writes().size(), b.i2c.writes().back(), b.i2c.reg(SLVX, 0x30, 0x02)),
              std::make_tuple(2u + KIT_DEMOD_SAVED_REGISTERS_MAX, W(SLVT, 0x30, KIT_DEMOD_SAVED_REGISTERS_MAX - 1, 0x11), 0));
}

TEST(KitDemodTuner, PathRepeaterAndChipIdFallback)
{
    // Before initialise there is no memory to keep the path in, but the path still opens.
    DemodBench b(1, KIT_DEMOD_TUNER_I2C_DIRECT);
    EXPECT_EQ(kit_demod_TunerI2cEnable(&b.demod, 1), 0u);
    EXPECT_EQ(std::make_pair(b.i2c.writes(), b.demod.savedRegisterCount),
              std::make_pair(std::vector<Step>{W(SLVX, 0, 0x1A, 0x01)}, uint8_t(0)));
    ASSERT_EQ(b.initialize(), 0u);  // applies the mode it was created with
    EXPECT_EQ(std::make_tuple(b.demod.tunerI2cMode, b.i2c.reg(SLVX, 0, 0x1A)), std::make_tuple(0u, 0));

    // The repeater only switches in repeater mode, on SLVX 0x08 with no bank write.
    EXPECT_EQ(kit_demod_I2cRepeaterEnable(&b.demod, 1), 0u);
    EXPECT_EQ(b.i2c.reg(SLVX, 0, 0x08), 0) << "direct mode: no repeater";
    ASSERT_EQ(kit_demod_TunerI2cEnable(&b.demod, 1), 0u);
    const int before = b.i2c.accesses();
    EXPECT_EQ(kit_demod_I2cRepeaterEnable(&b.demod, 1), 0u);
    EXPECT_EQ(kit_demod_I2cRepeaterEnable(&b.demod, 0), 0u);
    EXPECT_EQ(b.i2c.accesses(), before + 2);
    EXPECT_EQ(b.i2c.writes().back(), W(SLVX, 0, 0x08, 0));
    b.i2c.failAccess(1);
    EXPECT_EQ(kit_demod_I2cRepeaterEnable(&b.demod, 1), 2u);

    // SLVT silent: the id comes from SLVX.
    b.i2c.setReg(SLVT, 0, 0xFD, 0x11);
    uint32_t id = 0;
    EXPECT_EQ(value(kit_demod_ChipID, &b.demod), 0x11u);
    b.i2c.failRegister(SLVT, 0, 0x00);
    EXPECT_EQ(value(kit_demod_ChipID, &b.demod), 0x90u);
    b.i2c.failRegister(SLVX, 0, 0xFD);
    EXPECT_EQ(std::make_pair(kit_demod_ChipID(&b.demod, &id), kit_demod_ChipID(&b.demod, nullptr)), std::make_pair(2u, 1u));
}

TEST(KitDemodActive, TuneEndSoftResetScanModeAndAgc)
{
    DemodBench b;
    ASSERT_EQ(b.initialize(), 0u);
    uint32_t agc = 0;
    EXPECT_EQ(std::make_tuple(kit_demod_SoftReset(&b.demod), kit_demod_terr_cable_monitor_InternalDigitalAGCOut(&b.demod, &agc)),
              std::make_tuple(0u, 3u));
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0xFE, 1)}));

    // The tune end switches on the TS output, or the TLV output of DVB-C2 (when asked) and system 10.
    const struct {
        kit_dtv_system_t system;
        uint8_t tlvDvbc2;
        Step outputOn;
    } tuneEnds[] = {
        {KIT_DTV_SYSTEM_DVBC, 0, W(SLVT, 0x00, 0xC3, 0x00)}, {KIT_DTV_SYSTEM_DVBC2, 0, W(SLVT, 0x00, 0xC3, 0x00)},
        {KIT_DTV_SYSTEM_DVBC2, 1, W(SLVT, 0x01, 0xC0, 0x00)}, {KIT_DTV_SYSTEM_RESERVED10, 0, W(SLVT, 0x01, 0xC0, 0x00)},
    };
    for (const auto& t : tuneEnds) {
        makeActive(b.demod, t.system);
        b.demod.tlvOutputDvbc2 = t.tlvDvbc2;
        b.i2c.clearLog();
        EXPECT_EQ(kit_demod_TuneEnd(&b.demod), 0u);
        EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{W(SLVT, 0, 0xFE, 1), t.outputOn})) << t.system;
    }
    setBytes(b.i2c, 0x11, 0x6D, {0xFF, 0x34});
    EXPECT_EQ(value(kit_demod_terr_cable_monitor_InternalDigitalAGCOut, &b.demod), 0x3F34u);

    b.i2c.clearLog();
    b.i2c.setReg(SLVT, 0x40, 0x86, 0x41);
    for (kit_dtv_system_t sys : {KIT_DTV_SYSTEM_DVBC, KIT_DTV_SYSTEM_DVBT, KIT_DTV_SYSTEM_J83B})
        for (uint8_t on : {1, 0}) {
            EXPECT_EQ(kit_demod_terr_cable_SetScanMode(&b.demod, sys, on), 0u);
            EXPECT_EQ(b.demod.scanMode, on);
        }
    const Step on = W(SLVT, 0x40, 0x86, 0x61), off = W(SLVT, 0x40, 0x86, 0x41);
    EXPECT_EQ(b.i2c.writes(), (std::vector<Step>{on, off, on, off}));  // DVB-T keeps the chip's bit alone
    b.demod.state = KIT_DEMOD_STATE_SHUTDOWN;
    EXPECT_EQ(kit_demod_terr_cable_SetScanMode(&b.demod, KIT_DTV_SYSTEM_DVBC, 1), 3u);
}

namespace {

kit_result_t writeMarker(kit_demod_t* demod, const void* param)
{
    return kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x70, *static_cast<const uint8_t*>(param));
}

kit_result_t failingSequence(kit_demod_t*, const void*) { return KIT_RESULT_ERROR_I2C; }

} // namespace

TEST(KitDemodTransition, TuneSystemEndsActiveOrInvalid)
{
    DemodBench b;
    kit_demod_t& d = b.demod;
    const uint8_t toActive = 0xA1, retune = 0xB2;
    EXPECT_EQ(kit_demod_TuneSystem(&d, 3, 8, writeMarker, writeMarker, &toActive), 3u);  // not initialised
    ASSERT_EQ(b.initialize(), 0u);

    ASSERT_EQ(kit_demod_TuneSystem(&d, KIT_DTV_SYSTEM_DVBC, 8, writeMarker, failingSequence, &toActive), 0u);
    EXPECT_EQ(std::make_tuple(d.state, d.system, d.bandwidth), std::make_tuple(KIT_DEMOD_STATE_ACTIVE, KIT_DTV_SYSTEM_DVBC, 8u));
    ASSERT_EQ(kit_demod_TuneSystem(&d, KIT_DTV_SYSTEM_DVBC, 6, failingSequence, writeMarker, &retune), 0u);
    EXPECT_EQ(std::make_tuple(b.i2c.writes(), d.bandwidth),
              std::make_tuple(std::vector<Step>{W(SLVT, 0, 0x70, 0xA1), W(SLVT, 0, 0x70, 0xB2)}, 6u));

    // A retune that fails half-way: invalid, system 0, and power-on must initialise again.
    EXPECT_EQ(kit_demod_TuneSystem(&d, KIT_DTV_SYSTEM_DVBC, 8, writeMarker, failingSequence, &toActive), 2u);
    EXPECT_EQ(std::make_tuple(d.state, d.system), std::make_tuple(KIT_DEMOD_STATE_INVALID, 0u));
    EXPECT_EQ(kit_demod_TuneSystem(&d, KIT_DTV_SYSTEM_DVBC, 8, writeMarker, writeMarker, &toActive), 3u);

    // So does a failed sleep-to-active, and a failed sleep of the system left behind.
    ASSERT_EQ(b.initialize(), 0u);
    EXPECT_EQ(kit_demod_TuneSystem(&d, KIT_DTV_SYSTEM_DVBT, 8, failingSequence, writeMarker, &toActive), 2u);
    EXPECT_EQ(d.state, KIT_DEMOD_STATE_INVALID);
    ASSERT_EQ(b.initialize(), 0u);
    makeActive(d, KIT_DTV_SYSTEM_RESERVED8);
    EXPECT_EQ(kit_demod_TuneSystem(&d, KIT_DTV_SYSTEM_DVBC, 8, writeMarker, writeMarker, &toActive), 8u);
    EXPECT_EQ(std::make_tuple(d.state, b.i2c.writes().size()), std::make_tuple(KIT_DEMOD_STATE_INVALID, size_t(0)));
}
