// DiSEqC and single-cable control on the fake register files: every builder's bytes, the
// engine's registers at their limits, the LNB controller's part in a sending, time-outs on the
// virtual clock, and the single-cable tuner's frequency arithmetic.
#include "KitTrail.h"
#include "SatBench.h"
#include "chipkit/kit_demod_sat_device_ctrl.h"
#include "chipkit/kit_diseqc_command.h"
#include "chipkit/kit_integ.h"
#include "chipkit/kit_integ_sat_device_ctrl.h"
#include "chipkit/kit_integ_singlecable.h"
#include "chipkit/kit_singlecable_command.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>

using namespace kittest;

namespace {

using V = std::vector<int>;
V bytes(const kit_diseqc_message_t& m) { return V(m.data, m.data + m.length); }
// The message a builder made, its result checked on the way.
V built(kit_result_t r, const kit_diseqc_message_t& m)
{
    EXPECT_EQ(r, 0u);
    return r == 0 ? bytes(m) : V{};
}

struct Engine : DemodBench {
    Engine() : integ(integrationOf(demod, &tuner, &lnb)) { EXPECT_EQ(initialize(), 0u); }
    uint64_t nowMs() { return board.clock().monotonicMs(); }
    // Configures pin (0-2 GPIO, 3-10 TS pins) with a function code (9 RXEN, 8 TXEN).
    void pinFunction(int pin, uint8_t code)
    {
        if (pin < 3) {
            i2c.setReg(SLVX, 0, uint8_t(0xA3 + pin), code);
        } else {
            const uint8_t reg = uint8_t(0xB3 + (pin - 3) / 2);
            const int shift = (pin - 3) % 2 ? 4 : 0;
            i2c.setReg(SLVX, 0, reg, uint8_t(i2c.reg(SLVX, 0, reg) | code << shift));
        }
    }
    FakeSatTuner tuner;
    FakeLnbc lnb;
    kit_integ_t integ;
};

} // namespace

TEST(KitDiseqcCommand, BuildersWriteFramingAddressCommandAndData)
{
    using Build = kit_result_t (*)(kit_diseqc_message_t*, uint8_t, uint8_t);
    const std::pair<Build, int> plain[] = {
        {kit_diseqc_command_Reset, 0x00}, {kit_diseqc_command_Standby, 0x02}, {kit_diseqc_command_SetLo, 0x20},
        {kit_diseqc_command_SetHi, 0x24}, {kit_diseqc_command_SetS1A, 0x28}, {kit_diseqc_command_SetS4B, 0x2F},
    };
    kit_diseqc_message_t m;
    for (const auto& b : plain) {
        std::memset(&m, 0xAA, sizeof m);
        ASSERT_EQ(b.first(&m, 0xE0, 0x10), 0u);
        EXPECT_EQ(std::make_tuple(bytes(m), m.data[3], b.first(nullptr, 0xE0, 0x10)),  // cleared first
                  std::make_tuple(V{0xE0, 0x10, b.second}, 0, 1u));
    }
    EXPECT_EQ(built(kit_diseqc_command_WriteN0(&m, 0xE0, 0x00, 0xF8), m), (V{0xE0, 0x00, 0x38, 0xF8}));
    EXPECT_EQ(built(kit_diseqc_command_WriteN1(&m, 0xE1, 0x31, 0xF2), m), (V{0xE1, 0x31, 0x39, 0xF2}));

    const struct {
        uint32_t kHz;
        kit_result_t result;
        V bytes;
    } freqs[] = {
        {11250000, 0, {0xE0, 0x31, 0x58, 0x11, 0x25}},        {11250100, 0, {0xE0, 0x31, 0x58, 0x11, 0x25, 0x01}},
        {11250049, 0, {0xE0, 0x31, 0x58, 0x11, 0x25}},        {11250050, 0, {0xE0, 0x31, 0x58, 0x11, 0x25, 0x01}},
        {99999949, 0, {0xE0, 0x31, 0x58, 0x99, 0x99, 0x99}}, {99999950, 1, {}}, {0xFFFFFFFF, 1, {}},
    };
    for (const auto& f : freqs) {
        EXPECT_EQ(kit_diseqc_command_WriteFreq(&m, 0xE0, 0x31, f.kHz), f.result) << f.kHz;
        EXPECT_TRUE(f.result || bytes(m) == f.bytes) << f.kHz;
    }
}

TEST(KitSinglecableCommand, En50494AndEn50607Messages)
{
    kit_diseqc_message_t m;
    const struct {
        uint32_t kHz, ubKHz;
        uint8_t userband, bank;
        kit_result_t result;
        V bytes;
    } changes[] = {
        {1210000, 1210000, 1, 0, 0, {0xE0, 0x10, 0x5A, 0x00, 0xFF}},  // T = 255
        {2300000, 1400000, 4, 6, 0, {0xE0, 0x10, 0x5A, 0x7A, 0x3F}},  // T = 575
        {3340000, 2150000, 8, 7, 0, {0xE0, 0x10, 0x5A, 0xFF, 0xFF}},  // T = 1023
        {3344000, 2150000, 8, 7, 7, {}},                              // T = 1024
        {200000, 1000000, 1, 0, 7, {}},                               // T below 0
        {1210000, 1210000, 0, 0, 7, {}},                              {1210000, 1210000, 9, 0, 7, {}},
    };
    for (const auto& c : changes) {
        EXPECT_EQ(kit_singlecable_command_ODU_Channel_change(&m, 0x10, c.userband, c.kHz, c.bank, c.ubKHz), c.result)
            << c.kHz;
        EXPECT_TRUE(c.result || bytes(m) == c.bytes) << c.kHz;
    }
    EXPECT_EQ(built(kit_singlecable_command_ODU_Channel_change_MDU(&m, 0x10, 4, 2300000, 6, 1400000, 0x5C), m),
              (V{0xE0, 0x10, 0x5C, 0x7A, 0x3F, 0x5C}));
    EXPECT_EQ(built(kit_singlecable_command_ODU_PowerOFF(&m, 0x10, 3), m), (V{0xE0, 0x10, 0x5A, 0x40, 0x00}));
    EXPECT_EQ(built(kit_singlecable_command_ODU_PowerOFF_MDU(&m, 0x10, 3, 0x77), m),
              (V{0xE0, 0x10, 0x5C, 0x40, 0x00, 0x77}));
    EXPECT_EQ(built(kit_singlecable_command_ODU_UbxSignal_ON(&m, 0x00), m), (V{0xE0, 0x00, 0x5B, 0x00, 0x00}));
    EXPECT_EQ(built(kit_singlecable_command_ODU_UbxSignal_ON_MDU(&m, 0x00, 1), m),
              (V{0xE0, 0x00, 0x5D, 0x00, 0x00, 0x01}));
    EXPECT_EQ(built(kit_singlecable_command_ODU_Config(&m, 0x10, 2, 1, 0, 3), m), (V{0xE0, 0x10, 0x5B, 0x21, 0x1B}));
    EXPECT_EQ(built(kit_singlecable_command_ODU_Config_MDU(&m, 0x10, 2, 0, 1, 0, 9), m),
              (V{0xE0, 0x10, 0x5D, 0x21, 0x14, 0x09}));
    for (auto abc : {std::array<uint8_t, 3>{0, 0, 4}, {2, 0, 0}, {0, 2, 0}})
        EXPECT_EQ(kit_singlecable_command_ODU_Config(&m, 0x10, 2, abc[0], abc[1], abc[2]), 1u);
    EXPECT_EQ(built(kit_singlecable_command_ODU_LoFreq(&m, 0x10, 8, 0x22), m), (V{0xE0, 0x10, 0x5B, 0xE2, 0x22}));
    EXPECT_EQ(built(kit_singlecable_command_ODU_LoFreq_MDU(&m, 0x10, 8, 0x22, 0x33), m),
              (V{0xE0, 0x10, 0x5D, 0xE2, 0x22, 0x33}));
    EXPECT_EQ(kit_singlecable_command_ODU_PowerOFF(nullptr, 0x10, 3), 1u);

    // The second generation: word = frequency - 100 MHz, small values as they are.
    EXPECT_EQ(built(kit_singlecable2_command_ODU_Channel_change(&m, 3, 1500, 0x0A, 0x05), m),
              (V{0x70, 0x15, 0x78, 0xA5}));
    EXPECT_EQ(built(kit_singlecable2_command_ODU_Channel_change(&m, 32, 2147, 0x0F, 0x0F), m),
              (V{0x70, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(built(kit_singlecable2_command_ODU_Channel_change(&m, 1, 9, 0, 0), m), (V{0x70, 0x00, 0x09, 0x00}));
    for (auto bad : {std::array<uint32_t, 4>{0, 1500, 0, 0}, {33, 1500, 0, 0}, {1, 2148, 0, 0},
                     {1, 50, 0, 0}, {1, 1500, 16, 0}, {1, 1500, 0, 16}})
        EXPECT_EQ(kit_singlecable2_command_ODU_Channel_change(&m, uint8_t(bad[0]), bad[1], uint8_t(bad[2]),
                                                              uint8_t(bad[3])),
                  7u);
    EXPECT_EQ(built(kit_singlecable2_command_ODU_Channel_change_PIN(&m, 3, 1500, 0x0A, 0x05, 0xC3), m),
              (V{0x71, 0x15, 0x78, 0xA5, 0xC3}));
    EXPECT_EQ(built(kit_singlecable2_command_ODU_PowerOFF(&m, 5), m), (V{0x70, 0x20, 0x00, 0x00}));
    EXPECT_EQ(built(kit_singlecable2_command_ODU_PowerOFF_PIN(&m, 5, 0x42), m), (V{0x71, 0x20, 0x00, 0x00, 0x42}));
    EXPECT_EQ((std::vector<V>{built(kit_singlecable2_command_ODU_UB_avail(&m), m), built(kit_singlecable2_command_ODU_UB_PIN(&m), m),
                              built(kit_singlecable2_command_ODU_UB_inuse(&m), m), built(kit_singlecable2_command_ODU_UB_freq(&m, 32), m),
                              built(kit_singlecable2_command_ODU_UB_switches(&m, 2), m)}),
              (std::vector<V>{{0x7A}, {0x7B}, {0x7C}, {0x7D, 0xF8}, {0x7E, 0x08}}));
    EXPECT_EQ(kit_singlecable2_command_ODU_UB_freq(&m, 0), 7u);
}

TEST(KitSatDeviceCtrl, EngineRegistersAndTheirLimits)
{
    Engine e;
    kit_diseqc_message_t a, b;
    kit_diseqc_command_WriteN0(&a, 0xE0, 0x10, 0xF3);
    kit_diseqc_command_SetLo(&b, 0xE0, 0x10);
    ASSERT_EQ(kit_demod_sat_device_ctrl_SetDiseqcCommand(&e.demod, 1, &a, 2, &b, 3), 0u);
    std::vector<std::pair<int, int>> expected = {{0x33, 1}, {0x3D, 4}};
    for (int i = 0; i < 12; ++i)
        expected.emplace_back(0x3E + i, i < 4 ? a.data[i] : 0);
    expected.emplace_back(0x37, 2);
    expected.emplace_back(0x4A, 3);
    for (int i = 0; i < 12; ++i)
        expected.emplace_back(0x4B + i, i < 3 ? b.data[i] : 0);
    expected.emplace_back(0x38, 3);
    EXPECT_EQ(e.i2c.writesTo(SLVT, 0xBB), expected);
    e.i2c.clearLog();
    ASSERT_EQ(kit_demod_sat_device_ctrl_SetDiseqcCommand(&e.demod, 1, &a, 1, &b, 0), 0u);
    EXPECT_EQ(e.i2c.writesTo(SLVT, 0xBB).back(), (std::pair<int, int>{0x38, 0}));
    a.length = 13;
    e.i2c.clearLog();
    EXPECT_EQ((std::vector<kit_result_t>{kit_demod_sat_device_ctrl_SetDiseqcCommand(&e.demod, 1, &b, 0, nullptr, 0),
                                         kit_demod_sat_device_ctrl_SetDiseqcCommand(&e.demod, 1, &b, 16, nullptr, 0),
                                         kit_demod_sat_device_ctrl_SetDiseqcCommand(&e.demod, 1, &a, 1, nullptr, 0),
                                         kit_demod_sat_device_ctrl_SetDiseqcCommand(&e.demod, 1, nullptr, 1, nullptr, 0)}),
              std::vector<kit_result_t>(4, 1));
    EXPECT_TRUE(e.i2c.writes().empty()) << "refused before any register";
    ASSERT_EQ(kit_demod_sat_device_ctrl_SetDiseqcCommand(&e.demod, 0, nullptr, 0, nullptr, 0), 0u);
    EXPECT_EQ(e.i2c.writesTo(SLVT, 0xBB), (std::vector<std::pair<int, int>>{{0x33, 0}}));

    // Times: what the registers hold is taken, a millisecond more is refused.
    using SetTime = kit_result_t (*)(kit_demod_t*, uint32_t);
    const struct {
        SetTime set;
        uint8_t reg;
        uint32_t lastMs, lastCount;
    } times[] = {
        {kit_demod_sat_device_ctrl_SetTxIdleTime, 0x39, 186, 4092},
        {kit_demod_sat_device_ctrl_SetRxIdleTime, 0x67, 297, 65340},
        {kit_demod_sat_device_ctrl_SetR2RTime, 0x71, 744, 16368},
        {[](kit_demod_t* d, uint32_t ms) { return kit_demod_sat_device_ctrl_SetDiseqcReplyMode(d, 1, ms); }, 0x3B, 744,
         16368},
    };
    for (const auto& t : times) {
        e.i2c.clearLog();
        ASSERT_EQ(t.set(&e.demod, t.lastMs), 0u) << int(t.reg);
        const auto w = e.i2c.writesTo(SLVT, 0xBB);
        ASSERT_GE(w.size(), 2u);
        EXPECT_EQ(std::make_pair(w[0], w[1]), std::make_pair(std::make_pair(int(t.reg), int(t.lastCount >> 8)),
                                                             std::make_pair(t.reg + 1, int(t.lastCount & 0xFF))));
        e.i2c.clearLog();
        for (uint32_t ms : {t.lastMs + 1, 0x80000000u, 0xFFFFFFFFu})
            EXPECT_EQ(t.set(&e.demod, ms), 1u) << int(t.reg) << " " << ms;
        EXPECT_TRUE(e.i2c.writes().empty());
    }
    e.i2c.clearLog();
    ASSERT_EQ(kit_demod_sat_device_ctrl_SetDiseqcReplyMode(&e.demod, 1, 400), 0u);
    EXPECT_EQ(e.i2c.writesTo(SLVT, 0xBB),
              (std::vector<std::pair<int, int>>{{0x3B, 0x22}, {0x3C, 0x60}, {0x6A, 1}, {0x74, 0x12}}));

    // Tone, bursts and the pin settings, the latter kept for the wake-up.
    e.i2c.clearLog();
    ASSERT_EQ(kit_demod_sat_device_ctrl_SetToneBurst(&e.demod, 2), 0u);
    ASSERT_EQ(kit_demod_sat_device_ctrl_SetToneBurst(&e.demod, 1), 0u);
    ASSERT_EQ(kit_demod_sat_device_ctrl_SetToneBurst(&e.demod, 0), 0u);
    EXPECT_EQ(kit_demod_sat_device_ctrl_SetToneBurst(&e.demod, 3), 1u);
    ASSERT_EQ(kit_demod_sat_device_ctrl_OutputTone(&e.demod, 7), 0u);
    EXPECT_EQ(e.i2c.writesTo(SLVT, 0xBB), (std::vector<std::pair<int, int>>{
                                              {0x34, 1}, {0x35, 1}, {0x34, 1}, {0x35, 0}, {0x34, 0}, {0x36, 1}}));
    const uint8_t saved = e.demod.savedRegisterCount;
    ASSERT_EQ(kit_demod_sat_device_ctrl_DSQOUTSetting(&e.demod, 1, 44), 0u);
    ASSERT_EQ(kit_demod_sat_device_ctrl_RXENSetting(&e.demod, 2, 10), 0u);
    ASSERT_EQ(kit_demod_sat_device_ctrl_TXENSetting(&e.demod, 3, 20, 30), 0u);
    EXPECT_EQ(e.demod.savedRegisterCount, saved + 3 + 3 + 5);
    EXPECT_EQ((std::vector<kit_result_t>{kit_demod_sat_device_ctrl_DSQOUTSetting(&e.demod, 1, 33),
                                         kit_demod_sat_device_ctrl_DSQOUTSetting(&e.demod, 2, 22),
                                         kit_demod_sat_device_ctrl_RXENSetting(&e.demod, 4, 10),
                                         kit_demod_sat_device_ctrl_TXENSetting(&e.demod, 0, 2979, 0)}),  // 65,538 counts
              (std::vector<kit_result_t>{7, 1, 1, 1}));
    EXPECT_EQ(std::make_tuple(e.i2c.reg(SLVT, 0xBB, 0x7B), e.i2c.reg(SLVT, 0xBB, 0x7C), e.i2c.reg(SLVT, 0xBB, 0x7D),
                              e.i2c.reg(SLVT, 0xBB, 0x7E)),
              std::make_tuple(2, 0x94, 0, 220));

    e.demod.state = KIT_DEMOD_STATE_SHUTDOWN;
    EXPECT_EQ(kit_demod_sat_device_ctrl_StartTransmit(&e.demod), 3u);
    EXPECT_EQ(kit_demod_sat_device_ctrl_SetDiseqcReplyMask(&e.demod, 0xE4, 0x03), 0u) << "no state check";
    EXPECT_EQ(std::make_tuple(kit_demod_sat_device_ctrl_EnableSinglecable(&e.demod, 1), e.demod.singleCable), std::make_tuple(0u, 1));
}

TEST(KitSatDeviceCtrl, ReplyMessageAndRxenMode)
{
    Engine e;
    kit_diseqc_message_t reply;
    std::memset(&reply, 0x55, sizeof reply);
    setBytes(e.i2c, 0xBB, 0x11, {0x08, 3, 0xE4, 0x12, 0x34, 0x99});
    EXPECT_EQ(built(kit_demod_sat_device_ctrl_GetReplyMessage(&e.demod, &reply), reply), (V{0xE4, 0x12, 0x34}));
    EXPECT_EQ(reply.data[3], 0);
    for (auto [status, length] : {std::pair<uint8_t, uint8_t>{0x09, 3}, {0x08, 13}}) {
        setBytes(e.i2c, 0xBB, 0x11, {status, length});
        std::memset(&reply, 0x55, sizeof reply);
        EXPECT_EQ(std::make_tuple(kit_demod_sat_device_ctrl_GetReplyMessage(&e.demod, &reply), reply.length),
                  std::make_tuple(4u, 0x55));  // left alone
    }
    // With a pin carrying RXEN (function 9) the mode register counts; one the chip lacks is refused.
    e.pinFunction(10, 9);
    e.i2c.setReg(SLVT, 0xBB, 0x78, 4);
    uint8_t inUse = 9;
    EXPECT_EQ(std::make_pair(kit_demod_sat_device_ctrl_GetRXENMode(&e.demod, &inUse), inUse), std::make_pair(4u, uint8_t(9)));
}

TEST(KitIntegSatDeviceCtrl, CommandTrailAndTheLnbController)
{
    Engine e;
    kit_diseqc_message_t m;
    kit_diseqc_command_WriteN0(&m, 0xE0, 0x10, 0xF0);
    e.lnb.lnbc.state = KIT_LNBC_STATE_SLEEP;
    kit_integ_Cancel(&e.integ);
    ASSERT_EQ(kit_integ_CheckCancellation(&e.integ), 9u); // answered: the command starts afresh
    const uint64_t start = e.nowMs();
    ASSERT_EQ(kit_integ_sat_device_ctrl_TransmitDiseqcCommand(&e.integ, 1, 2, 1, &m, 1, nullptr, 0), 0u);
    // A sleeping LNB controller gets 500 ms to wake.
    EXPECT_EQ(std::make_tuple(kit_integ_CheckCancellation(&e.integ), e.nowMs() - start, e.lnb.calls),
              std::make_tuple(0u, uint64_t(500), std::vector<std::string>{"wake", "V high"}));
    EXPECT_EQ(std::make_tuple(e.i2c.writesTo(SLVT, 0)[0], e.i2c.reg(SLVT, 0, 0x9C)), std::make_tuple(std::pair<int, int>{0x80, 0x00}, 0x40));
    const auto w = e.i2c.writesTo(SLVT, 0xBB);
    const std::vector<std::pair<int, int>> head(w.begin(), w.begin() + 3);
    EXPECT_EQ(head, (std::vector<std::pair<int, int>>{{0x36, 0}, {0x33, 1}, {0x3D, 4}}));
    const std::vector<std::pair<int, int>> tail(w.end() - 10, w.end());
    EXPECT_EQ(tail, (std::vector<std::pair<int, int>>{{0x38, 0},
                                                      {0x34, 1},
                                                      {0x35, 1},
                                                      {0x39, 0x03},  // 41 ms: 902 counts
                                                      {0x3A, 0x86},
                                                      {0x71, 0x22},  // 400 ms: 8800 counts
                                                      {0x72, 0x60},
                                                      {0x74, 0x00},
                                                      {0x32, 0x01},
                                                      {0x36, 0x01}}));
    EXPECT_EQ(w.back(), (std::pair<int, int>{0x36, 1})) << "tone as asked at the end";

    // The checks of the LNB controller's settings.
    const struct {
        const char* what;
        std::function<void(Engine&)> spoil;
        kit_result_t result;
    } checks[] = {
        {"tone left to the controller", [](Engine& x) { x.lnb.lnbc.tone = KIT_LNBC_TONE_ON; }, 3},
        {"voltage left to the controller", [](Engine& x) { x.lnb.lnbc.voltage = KIT_LNBC_VOLTAGE_AUTO; }, 3},
        {"no voltage slot", [](Engine& x) { x.lnb.lnbc.SetVoltage = nullptr; }, 1},
        {"no controller", [](Engine& x) { x.integ.lnbc = nullptr; }, 1},
        {"demodulator shut down", [](Engine& x) { x.demod.state = KIT_DEMOD_STATE_SHUTDOWN; }, 3},
    };
    for (const auto& c : checks) {
        Engine x;
        c.spoil(x);
        EXPECT_EQ(std::make_pair(kit_integ_sat_device_ctrl_SetVoltageTone(&x.integ, 1, 1),
                                 kit_integ_sat_device_ctrl_TransmitDiseqcCommand(&x.integ, 1, 0, 1, &m, 1, nullptr, 0)),
                  std::make_pair(c.result, c.result)) << c.what;
    }
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitDiseqcCommand(&e.integ, 1, 0, 1, &m, 0, nullptr, 0), 1u);
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitDiseqcCommand(&e.integ, 1, 3, 1, &m, 1, nullptr, 0), 1u);

    e.lnb.calls.clear();
    ASSERT_EQ(kit_integ_sat_device_ctrl_SetVoltageTone(&e.integ, 0, 0), 0u);
    EXPECT_EQ(std::make_tuple(e.lnb.calls, e.i2c.reg(SLVT, 0xBB, 0x36)), std::make_tuple(std::vector<std::string>{"V low"}, 0));
    ASSERT_EQ(kit_integ_sat_device_ctrl_Disable(&e.integ), 0u);
    EXPECT_EQ(std::make_tuple(e.lnb.calls.back(), e.i2c.reg(SLVT, 0, 0x80) & 0x20, e.i2c.reg(SLVT, 0, 0x9C)),
              std::make_tuple(std::string("sleep"), 0x20, 0));
}

TEST(KitIntegSatDeviceCtrl, TransmitTimeOutsOnTheVirtualClock)
{
    kit_diseqc_message_t m;
    kit_diseqc_command_SetHi(&m, 0xE0, 0x10);
    kit_diseqc_message_t reply;
    // A status that never ends: polled every 10 ms (bursts every 100 ms), given up at the
    // first poll past the limit, the tone then left off.
    enum Op { Diseqc1, Diseqc2And2, Burst, WithReply };
    auto run = [&](Engine& e, Op op) -> kit_result_t {
        switch (op) {
        case Diseqc1: return kit_integ_sat_device_ctrl_TransmitDiseqcCommand(&e.integ, 0, 0, 1, &m, 1, nullptr, 0);
        case Diseqc2And2: return kit_integ_sat_device_ctrl_TransmitDiseqcCommand(&e.integ, 0, 0, 1, &m, 2, &m, 2);
        case Burst: return kit_integ_sat_device_ctrl_TransmitToneBurst(&e.integ, 0, 1, 1);
        case WithReply: return kit_integ_sat_device_ctrl_TransmitDiseqcCommandWithReply(&e.integ, 0, 0, 1, &m, &reply);
        }
        return KIT_RESULT_ERROR_OTHER;
    };
    const struct {
        const char* what;
        uint8_t status;
        int rxenPin;
        Op op;
        kit_result_t result;
        uint64_t ms;
    } cases[] = {
        {"one sending", 1, -1, Diseqc1, 5, 1010}, {"two and two", 1, -1, Diseqc2And2, 5, 4010},
        {"tone burst", 1, -1, Burst, 5, 1100}, {"reply through the RXEN pin", 1, 0, WithReply, 5, 1410},
        {"reply, never sending", 1, -1, WithReply, 5, 501}, {"reply, sending without end", 2, -1, WithReply, 5, 601},
        {"ended at once", 0, -1, Diseqc1, 0, 0},
    };
    for (const auto& c : cases) {
        Engine e;
        e.i2c.setReg(SLVT, 0xBB, 0x10, c.status);
        if (c.rxenPin >= 0)
            e.pinFunction(c.rxenPin, 9);
        const uint64_t start = e.nowMs();
        EXPECT_EQ(run(e, c.op), c.result) << c.what;
        EXPECT_EQ(std::make_tuple(e.nowMs() - start, e.i2c.reg(SLVT, 0xBB, 0x36)), std::make_tuple(c.ms, c.result == 0 ? 1 : 0))
            << c.what;
    }

    // Cancelling ends the wait at its next poll.
    Engine e;
    e.i2c.setReg(SLVT, 0xBB, 0x10, 1);
    e.lnb.onVoltage = [&](uint32_t) { kit_integ_Cancel(&e.integ); };
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitDiseqcCommand(&e.integ, 0, 0, 1, &m, 1, nullptr, 0), 9u);
}

TEST(KitIntegSinglecable, TheTunerAsksTheOutdoorUnitThenTunesItsUserBand)
{
    Engine e;
    e.tuner.landingErrorKHz = 100;
    static std::vector<std::vector<int>> sent;
    sent.clear();
    const kit_integ_singlecable_transmit_t record = [](kit_integ_t*, const kit_diseqc_message_t* m) -> kit_result_t {
        sent.push_back(bytes(*m));
        return KIT_RESULT_OK;
    };
    kit_integ_singlecable_tuner_t sc;
    kit_tuner_sat_t* real = e.integ.tunerSat;
    EXPECT_EQ(kit_integ_sat_device_ctrl_SetSinglecableTunerParams(&e.integ, 0x10, 0, 1, 1210000, 0, 0), 3u);
    ASSERT_EQ(kit_integ_sat_device_ctrl_EnableSinglecable(&e.integ, &sc, record), 0u);
    EXPECT_EQ(std::make_tuple(e.integ.tunerSat, e.demod.singleCable), std::make_tuple(&sc.tuner, 1));
    kit_integ_singlecable_tuner_t other;
    ASSERT_EQ(kit_integ_sat_device_ctrl_EnableSinglecable(&e.integ, &other, record), 0u);
    EXPECT_EQ(e.integ.tunerSat, &sc.tuner) << "already on: nothing to do";
    EXPECT_EQ(sc.tuner.Tune(&sc.tuner, 1211000, 5, 0), 8u) << "no outdoor unit set up yet";

    // The grid frequency g and the user band's centre u: the wanted signal lands at
    // u - (f - g), mirrored by the outdoor unit; the tuner's landing error is mirrored back.
    const struct {
        std::function<void()> setUp;
        uint32_t kHz;
        uint8_t polarity;
        std::vector<int> message;
        uint32_t tunedKHz, reportedKHz;
    } cases[] = {
        {[&] { kit_integ_sat_device_ctrl_SetSinglecableTunerParams(&e.integ, 0x10, 0, 1, 1210000, 0, 0); }, 1211000, 1,
         {0xE0, 0x10, 0x5A, 0x00, 0xFF}, 1209000, 1210900},
        {[&] {}, 1211000, 0, {0xE0, 0x10, 0x5A, 0x00, 0xFF}, 1211000, 1211100},
        {[&] { kit_integ_sat_device_ctrl_SetSinglecableTunerParams(&e.integ, 0x11, 6, 4, 1400000, 1, 0x5C); }, 2300000,
         1, {0xE0, 0x11, 0x5C, 0x7A, 0x3F, 0x5C}, 1400000, 2299900},
        {[&] { kit_integ_sat_device_ctrl_SetSinglecable2TunerParams(&e.integ, 3, 1400, 0xA, 0x5, 0, 0); }, 1500400, 1,
         {0x70, 0x15, 0x78, 0xA5}, 1399600, 1500300},
        {[&] { kit_integ_sat_device_ctrl_SetSinglecable2TunerParams(&e.integ, 3, 1400, 0xA, 0x5, 1, 0x99); },
         2200000, 1, {0x71, 0x17, 0xFF, 0xA5, 0x99}, 1400000 - 53000, 2199900},
    };
    for (const auto& c : cases) {
        c.setUp();
        e.demod.satIQPolarity = c.polarity;
        sent.clear();
        e.tuner.tunes.clear();
        ASSERT_EQ(sc.tuner.Tune(&sc.tuner, c.kHz, KIT_DTV_SYSTEM_DVBS2, 0), 0u) << c.kHz;
        EXPECT_EQ(std::make_tuple(sent, e.tuner.tunes, sc.tuner.frequencyKHz),
                  std::make_tuple(std::vector<std::vector<int>>{c.message},
                                  std::vector<FakeSatTuner::Tune>{{c.tunedKHz, KIT_DTV_SYSTEM_DVBS2, 30000}}, c.reportedKHz))
            << c.kHz;
    }
    int32_t agc = 0;
    e.tuner.agcRule = [](uint32_t v) { return int32_t(v) * 2; };
    ASSERT_EQ(sc.tuner.AGCLevel2AGCdB(&sc.tuner, 21, &agc), 0u);
    ASSERT_EQ(sc.tuner.Initialize(&sc.tuner), 0u);
    ASSERT_EQ(sc.tuner.Sleep(&sc.tuner), 0u);
    EXPECT_EQ(std::make_tuple(agc, e.tuner.initializes, e.tuner.sleeps), std::make_tuple(42, 1, 1));

    ASSERT_EQ(kit_integ_sat_device_ctrl_DisableSinglecable(&e.integ), 0u);
    EXPECT_EQ(std::make_tuple(e.integ.tunerSat, e.demod.singleCable), std::make_tuple(real, 0));
    EXPECT_EQ(kit_integ_sat_device_ctrl_SetSinglecable2TunerParams(&e.integ, 3, 1400, 0, 0, 0, 0), 3u);
    ASSERT_EQ(kit_integ_sat_device_ctrl_DisableSinglecable(&e.integ), 0u) << "off already";
    real->Initialize = nullptr;
    EXPECT_EQ(kit_integ_sat_device_ctrl_EnableSinglecable(&e.integ, &sc, nullptr), 1u);
}

TEST(KitIntegSinglecable, BuiltInSendingRaisesTheLnbVoltageUnlessTxenSwitches)
{
    kit_diseqc_message_t m;
    kit_singlecable_command_ODU_PowerOFF(&m, 0, 2);
    Engine e;
    ASSERT_EQ(kit_integ_sat_device_ctrl_TransmitSinglecableCommand(&e.integ, &m), 0u);
    EXPECT_EQ(e.lnb.calls, (std::vector<std::string>{"V high", "V low"}));
    // 15 ms idle: 330 counts.
    EXPECT_EQ((std::vector<int>{e.i2c.reg(SLVT, 0xBB, 0x3E), e.i2c.reg(SLVT, 0xBB, 0x39), e.i2c.reg(SLVT, 0xBB, 0x3A),
                                e.i2c.reg(SLVT, 0xBB, 0x71)}),
              (std::vector<int>{0xE0, 0x01, 0x4A, 0x00}));

    // A failing sending still puts the voltage back; the lowering's failure wins.
    Engine f;
    f.i2c.setReg(SLVT, 0xBB, 0x10, 1);
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitSinglecableCommand(&f.integ, &m), 5u);
    f.lnb.voltageResult = KIT_RESULT_ERROR_I2C;
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitSinglecableCommand(&f.integ, &m), 2u);
    EXPECT_EQ(f.lnb.calls, (std::vector<std::string>{"V high", "V low", "V high", "V low"}));

    // With a TXEN pin the chip switches the supply itself; EN 50607 then refuses to send.
    Engine t;
    t.pinFunction(9, 8);
    ASSERT_EQ(kit_integ_sat_device_ctrl_TransmitSinglecableCommand(&t.integ, &m), 0u);
    EXPECT_TRUE(t.lnb.calls.empty());
    kit_diseqc_message_t reply;
    t.i2c.clearLog();
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitSinglecable2Command(&t.integ, &m), 4u);
    EXPECT_EQ(kit_integ_sat_device_ctrl_TransmitSinglecable2CommandWithReply(&t.integ, &m, &reply), 4u);
    EXPECT_EQ(t.i2c.reg(SLVT, 0xBB, 0x32), 1) << "only the first, EN 50494, sending started";
    for (const Step& s : t.i2c.writes())
        EXPECT_FALSE(s.bank == 0xBB && s.reg == 0x32) << "nothing sent";
}
