// The driver core: the cancel flag and MER source accessors, TS output and the chip probe on
// the bus, a failed read under a freeze, the common power-on and the window and interleaving
// arithmetic.
#include "DriverOnChip.h"

#include "demod/DrvCXD2856_kit_result.h"
#include "demod/DrvCXD2856_readers.h"
#include "demod/DrvDefCodes.h"
#include "demod/embedded_rtos.h"
#include "platform/sim/Faults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

using drivertest::DriverOnChip;
using Bytes = std::vector<uint8_t>;

namespace {

// The I2C writes of the log since it was cleared, 8-bit address first.
std::vector<Bytes> writes(DriverOnChip& d)
{
    std::vector<Bytes> out;
    for (const auto& t : d.board->log().entries("i2c-write")) {
        Bytes b{static_cast<uint8_t>(std::stoi(t.device, nullptr, 16) << 1)};
        b.insert(b.end(), t.bytes.begin(), t.bytes.end());
        out.push_back(b);
    }
    return out;
}

} // namespace

TEST(DrvCXD2856Core, CancelFlagMerSourceAndBoardFlag)
{
    st_t_data_CXD2856 s{};
    // Any value but 0 raises the integration handle's stop, 0 lowers it.
    DrvCXD2856_m_set_cancel_flag(0x1234, &s);
    EXPECT_EQ(kit_integ_CheckCancellation(&s.integ), 9u) << "the integration handle's flag is the driver's";
    EXPECT_EQ(DrvCXD2856_m_get_cancel_flag(&s), 1);
    DrvCXD2856_m_set_cancel_flag(0, &s);
    EXPECT_EQ(DrvCXD2856_m_get_cancel_flag(&s), 0);
    DrvCXD2856_m_set_measure_mode(0x101, &s);
    EXPECT_EQ(s.mer_source, 1);

    DrvCXD2856_set_flag();
    EXPECT_EQ(DrvCXD2856_get_cancel_flag(), 1);
    DrvCXD2856_clear_flag();
    EXPECT_EQ(DrvCXD2856_get_cancel_flag(), 0);
    EXPECT_EQ(DrvCXD2856_m_is_installed_external_board(&s), 0u) << "no adjustment data";
}

TEST(DrvCXD2856Core, TsOutputIsRegisterC3OfBankZero)
{
    DriverOnChip d;
    d.powerUp();
    d.board->log().clear();
    KxlDrvLibError e{};
    DrvCXD2856_m_enable_ts(&e, 1, &d.s());
    DrvCXD2856_m_enable_ts(&e, 0, &d.s());
    // The bank is written once.
    EXPECT_EQ(std::make_tuple(e.code, writes(d)),
              std::make_tuple(0u, std::vector<Bytes>{{0xD8, 0x00, 0x00}, {0xD8, 0xC3, 0x00}, {0xD8, 0xC3, 0x01}}));
    d.board->faults().fail(platform::sim::Device::i2c(0x6C));
    DrvCXD2856_m_enable_ts(&e, 1, &d.s());
    EXPECT_EQ(e.code, 20u);
    EXPECT_STREQ(e.text, DRVI2CMUX_TEXT_WRITE_ERROR);
}

TEST(DrvCXD2856Core, ReadIdTriesThreeAddressesAndTakesTheFirstThatAnswers)
{
    DriverOnChip d;
    d.powerUp();
    const struct {
        const char* what;
        uint32_t address8;
        uint8_t chipId, present;
        uint32_t code;
        std::vector<std::string> devices; // the addresses written to, 7-bit
    } cases[] = {
        {"at the address given", 0xD8, 0x90, 1, 0, {"0x6C"}},
        {"the SLVX port first, then SLVT", 0xD4, 0x90, 1, 0, {"0x6A", "0x6C"}},
        {"another chip", 0xD8, 0x92, 0, 0, {"0x6C"}},
        {"nobody answers", 0x10, 0x90, 0, 20, {"0x08", "0x0A", "0x0C"}},
    };
    for (const auto& c : cases) {
        d.chip->setChipId(c.chipId);
        d.board->log().clear();
        uint8_t present = 0;
        KxlDrvLibError e{};
        DrvCXD2856_read_id(&e, c.address8, 0xFFFFFFFF, &present);
        std::vector<std::string> devices;
        for (const auto& t : d.board->log().entries("i2c-write"))
            if (t.bytes == Bytes{0x00, 0x00})
                devices.push_back(t.device);
        EXPECT_EQ(std::make_tuple(present, e.code, devices), std::make_tuple(c.present, c.code, c.devices)) << c.what;
    }
}

TEST(DrvCXD2856Core, AFailedReadUnderAFreezeStillReleasesItAndReportsTheBus)
{
    using platform::sim::bankedRegister;
    using platform::sim::Device;
    const struct {
        const char* what;
        uint8_t bank, reg;
        std::function<void(KxlDrvLibError*, st_t_data_CXD2856*)> read;
    } cases[] = {
        {"TPS", 0x10, 0x2F, [](KxlDrvLibError* e, st_t_data_CXD2856* s) { DrvCXD2856_m_dvbt_read_tps_data(e, nullptr, s); }},
        {"ISDB-T VBER", 0x60, 0x16, [](KxlDrvLibError* e, st_t_data_CXD2856* s) {
             s->isdbt.status = 12;
             DrvCXD2856_isdbt_read_vber_toc(e, s);
         }},
    };
    for (const auto& c : cases) {
        DriverOnChip d;
        ASSERT_EQ(kit_demod_Initialize(&d.s().demod), KIT_RESULT_OK);
        d.board->faults().failRegister(Device::i2c(0x6C), bankedRegister(c.bank, c.reg));
        const int releases = d.chip->releaseCount();
        KxlDrvLibError e{};
        c.read(&e, &d.s());
        EXPECT_STREQ(e.text, DRVI2CMUX_TEXT_READ_ERROR) << c.what;
        EXPECT_EQ(d.chip->releaseCount(), releases + 1) << c.what;
        DrvCXD2856_m_release_standards(&d.s());
    }
}

TEST(DrvCXD2856Core, CommonPowerOnConfiguresFromTheAdjustmentDataAndSendsTheBanksAgain)
{
    // Bit 6 of 0x10 0xCB is the TS flag's item; the DVB-C and DVB-T packet windows 11.
    DriverOnChip d;
    d.pp->common.ts_flag = 1;
    d.pp->common.external_board = 1;
    KxlDrvLibError e{};
    DrvCXD2856_m_common_poweron(0, &e, &d.s());
    EXPECT_EQ(std::make_tuple(e.code, d.s().demod.state, d.chip->powered(), d.s().demod.tunerFilter),
              std::make_tuple(0u, KIT_DEMOD_STATE_SLEEP, true, 1));
    EXPECT_EQ((std::vector<int>{d.chip->slvtRegister(0xA0, 0xB9) & 0x01, d.chip->slvtRegister(0x10, 0xCB) & 0x40,
                                d.chip->slvtRegister(0x40, 0x5C) & 0x1F, d.chip->slvtRegister(0x10, 0x5C) & 0x0F}),
              (std::vector<int>{1, 0x40, 11, 11}));

    // A power-up resets the chip, so banks the binding remembers from before go out again.
    for (uint8_t port : {0xD8, 0xDC})
        d.s().i2c.WriteOneRegister(&d.s().i2c, port, 0x00, 0x00);
    d.board->log().clear();
    DrvCXD2856_m_common_poweron(1, &e, &d.s());
    const std::vector<Bytes> w = writes(d);
    const auto slvt = std::find_if(w.begin(), w.end(), [](const Bytes& b) { return b[0] == 0xD8; });
    ASSERT_NE(slvt, w.end());
    EXPECT_EQ(std::make_tuple(w.front(), *slvt), std::make_tuple(Bytes{0xDC, 0x00, 0x00}, Bytes{0xD8, 0x00, 0x00}));
}

TEST(DrvCXD2856Core, WindowExponentsStayInsideTheRegisterAndTheCount)
{
    // 1632 x 2^21 is the last that fits 32 bits.
    for (const auto& [bits, packetBits, maxExponent, exponent] :
         {std::tuple<uint64_t, uint32_t, uint32_t, uint32_t>{0, 1632, 31, 0}, {3264, 1632, 31, 1}, {1632u * 4096 + 1, 1632, 31, 12},
          {uint64_t(1) << 60, 1632, 31, 21}, {uint64_t(1) << 60, 1504, 15, 15}, {uint64_t(1) << 40, 0, 31, 0}})
        EXPECT_EQ(DrvCXD2856_window_exponent(bits, packetBits, maxExponent), exponent) << bits << " bits in packets of " << packetBits;
}

TEST(DrvCXD2856Core, IsdbtInterleavingIsTheSameTimeInEveryMode)
{
    // Mode 1 (2k): 4, 8, 16; Mode 2 (4k): 2, 4, 8; Mode 3 (8k): 1, 2, 4 symbols.
    for (const auto& [code, mode, length] : {std::array<uint32_t, 3>{1, eFFT_2K, 4}, {3, eFFT_2K, 16}, {3, eFFT_4K, 8},
                                             {1, eFFT_8K, 1}, {3, eFFT_8K, 4}, {0, eFFT_2K, 0}, {4, eFFT_8K, 0}})
        EXPECT_EQ(DrvCXD2856_isdbt_translate_time_interleaving(code, mode), length) << code << "/" << mode;
    // The highest layer in use; 13 segments is no layer C.
    kit_isdbt_tmcc_info_t t{};
    std::vector<uint32_t> highest = {DrvCXD2856_isdbt_get_highest_layer(&t)};
    for (auto [b, c] : {std::pair{12, 0}, {12, 3}, {12, 13}}) {
        t.currentInfo.layerB.segmentsNum = uint8_t(b), t.currentInfo.layerC.segmentsNum = uint8_t(c);
        highest.push_back(DrvCXD2856_isdbt_get_highest_layer(&t));
    }
    EXPECT_EQ(highest, (std::vector<uint32_t>{0, 1, 2, 1}));
}
