// The DVB-T, DVB-T2 and ISDB-T tasks on the simulated demodulator: a locked channel of the
// scene gives status, offset, MER, BER and PER as the scene has them once the
// post-processing has settled; the channel switched off lowers the status and every result
// falls to no value; no task leaves the monitors frozen.
#include "DriverOnChip.h"

#include "Constellation.h"
#include "demod/DrvCXD2856_burst.h"
#include "demod/DrvCXD2856_readers.h"
#include "demod/DrvDefCodes.h"
#include "demod/DrvDefISDBT.h"
#include "demod/embedded_rtos.h"

#include "chipkit/kit_demod_dvbt2_monitor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using drivertest::DriverOnChip;
using namespace platform::sim;

namespace {

constexpr double kFrequency = 602e6;
constexpr double kTunedOff = 25e3; // the tuner sits this far above the channel

struct Terrestrial : DriverOnChip {
    explicit Terrestrial(const char* standard, double bandwidthHz, double merDb, const DigitalChannel& d)
    {
        scene->addOfdm(kFrequency, bandwidthHz, 60.0, standard, merDb, d);
        chip->setTunedFrequencyHz(kFrequency + kTunedOff);
        EXPECT_EQ(kit_demod_Initialize(&s().demod), KIT_RESULT_OK);
    }

    void switchOff() { scene->clear(); }

    // The ratio of a result to what the scene transmits.
    static double ratio(float value, double expected) { return value / expected; }
};

DigitalChannel dvbtChannel()
{
    DigitalChannel d;
    d.fftSize = 8192;
    d.modulation = Modulation::Qam64;
    d.codeRate = "2/3";
    d.guardInterval = "1/4";
    d.preBer = 2e-4;
    d.packetErrorRate = 1e-3;
    return d;
}

} // namespace

TEST(DrvCXD2856TerrestrialTasks, DvbtFollowsTheChannelAndDropsWhenItIsSwitchedOff)
{
    Terrestrial t(standard::kDvbT, 8e6, 21.0, dvbtChannel());
    const kit_dvbt_tune_param_t p = {602000, KIT_DTV_BW_8_MHZ, KIT_DVBT_PROFILE_HP};
    ASSERT_EQ(kit_demod_dvbt_Tune(&t.s().demod, &p), KIT_RESULT_OK);
    ASSERT_EQ(kit_demod_TuneEnd(&t.s().demod), KIT_RESULT_OK);
    ASSERT_TRUE(t.waitFor([&] {
        kit_demod_lock_result_t lock = 0;
        return kit_demod_dvbt_CheckTSLock(&t.s().demod, &lock) == KIT_RESULT_OK && lock == 1;
    }));

    // What the search leaves: the parameters found, TS lock, the Viterbi window.
    DrvCXD2856_m_create_measures(DRVCXD2856_STD_DVBT, &t.s());
    DrvCXD2856_m_dvbt_set_default_measures(&t.s());
    st_t_dvbt_CXD2856& b = t.s().dvbt;
    b.bw = {0, eBW_8MHZ};
    b.mode = {1, eFFT_2K};
    b.guard = {1, eGI_1_32};
    b.sp_inv = {0, 0};
    b.constellation = eCONST_64QAM;
    b.hp_code_rate = eCR_2_3;
    b.lp_code_rate = eCR_2_3;
    b.tps_valid = 1;
    b.status = 12;
    KxlDrvLibError e{};
    {
        drvcxd2856::Burst w(&e, &t.s());
        w.bank(0x10) && w.write(0x6F, 3); // 4096 x 2^3 bits
    }
    b.cber_bits = 4096 << 3;
    b.vber_bits = DrvCXD2856_m_dvbt_write_vber_window(&e, 400, &t.s());
    EXPECT_EQ(t.chip->slvtRegister(0x10, 0x60), 12) << "2^12 packets of 19.9 Mbit/s last 336 ms";
    EXPECT_EQ(b.vber_bits, static_cast<uint32_t>(1632 * 4096 * 1.1)) << "scaled for the 2/3 rate";
    DrvCXD2856_m_dvbt_fill_tasks(&t.s(), 1, 1, 1);

    EXPECT_EQ(t.tick(40).code, 0u);
    EXPECT_EQ(std::make_tuple(b.status, t.s().freq_offset.status, b.mer.status, b.cber.status, b.vber.status),
              std::make_tuple(12u, 0u, 0u, 0u, 0u));
    EXPECT_EQ(std::make_tuple(b.mode.value, b.guard.value, b.tps.constellation, b.tps.hp_code_rate),
              std::make_tuple(uint32_t(eFFT_8K), uint32_t(eGI_1_4), 2u, 1u)) << "found by the status task";
    EXPECT_NEAR(t.s().freq_offset.value.s32, -kTunedOff, 2);
    EXPECT_NEAR(b.mer.value.s32, 210, 15);
    EXPECT_NEAR(t.ratio(b.cber.value.f32, uncodedBer(Modulation::Qam64, 21.0)), 1.0, 0.3);
    EXPECT_NEAR(t.ratio(b.vber.value.f32, 2e-4 / 1.1), 1.0, 0.2);
    EXPECT_GT(b.per.time, 3000u);
    EXPECT_NEAR(b.per.errors / (b.per.time / 1000.0), 1e-3 * 19.9e6 / 1632, 3.0) << "errored packets a second";
    EXPECT_TRUE(t.freezeReleased());

    t.switchOff();
    EXPECT_EQ(t.tick(3).code, 0u);
    EXPECT_EQ(std::make_tuple(b.status, t.s().freq_offset.status, b.mer.status, b.cber.status),
              std::make_tuple(0u, 3u, 3u, 1u));
    EXPECT_FLOAT_EQ(b.vber.value.f32, MEASURE_BER_PARAMS_DVBT_VBER.maximum_ber);
    EXPECT_TRUE(t.freezeReleased());
}

TEST(DrvCXD2856TerrestrialTasks, Dvbt2FollowsThePlpAndLowersItsStatusStepByStep)
{
    DigitalChannel d;
    d.fftSize = 32768;
    d.guardInterval = "1/128";
    d.plps = {DigitalPlp{0, Modulation::Qam256, "2/3", 0}};
    d.preBer = 1e-5;
    d.packetErrorRate = 1e-4;
    Terrestrial t(standard::kDvbT2, 8e6, 20.0, d);
    st_t_data_CXD2856& s = t.s();
    const kit_dvbt2_tune_param_t p = {602000, KIT_DTV_BW_8_MHZ, 0, KIT_DVBT2_PROFILE_BASE, 0};
    ASSERT_EQ(kit_demod_dvbt2_SetPLPConfig(&s.demod, 0, 0), KIT_RESULT_OK);
    ASSERT_EQ(kit_demod_dvbt2_Tune(&s.demod, &p), KIT_RESULT_OK);
    ASSERT_EQ(kit_demod_TuneEnd(&s.demod), KIT_RESULT_OK);
    ASSERT_TRUE(t.waitFor([&] {
        uint8_t valid = 0;
        return kit_demod_dvbt2_CheckL1PostValid(&s.demod, &valid) == KIT_RESULT_OK && valid;
    }, 5000));
    t.advanceMs(500);

    DrvCXD2856_m_create_measures(DRVCXD2856_STD_DVBT2, &s);
    DrvCXD2856_m_dvbt2_set_default_measures(&s);
    st_t_dvbt2_CXD2856& b = s.dvbt2;
    kit_dvbt2_l1pre_t pre{};
    kit_dvbt2_plp_t plp{};
    ASSERT_EQ(kit_demod_dvbt2_monitor_L1Pre(&s.demod, &pre), KIT_RESULT_OK);
    ASSERT_EQ(kit_demod_dvbt2_monitor_ActivePLP(&s.demod, KIT_DVBT2_PLP_DATA, &plp), KIT_RESULT_OK);
    b.bw = {0, eBW_8MHZ};
    b.sp_inv = {1, 0};
    b.fft_mode = eFFT_32K;
    b.guard = eGI_1_128;
    b.plp_constellation = plp.constell;
    b.plp_code_rate = plp.plpCr;
    b.fec_frame = plp.fec;
    b.data_symbols = pre.numSymbols;
    b.fec_blocks = plp.numBlocksMax;
    b.demod_locked = b.l1pre_read = b.l1post_read = 1;
    b.l1post = static_cast<kit_dvbt2_l1post_t*>(EMBEDDEDRTOS_malloc(sizeof(kit_dvbt2_l1post_t)));
    b.status = 12;
    KxlDrvLibError e{};
    kit_demod_dvbt2_adv_monitor_InitMERFilter(&b.mer_filter);
    b.m.cber_bits = DrvCXD2856_m_dvbt2_write_cber_window(&e, &s);
    b.m.ldpc_bits = DrvCXD2856_m_dvbt2_write_ldpcber_window(&e, 200, &s);
    EXPECT_EQ(b.m.cber_bits, 64800u * 256);
    EXPECT_EQ(b.m.ldpc_bits % 43200, 0u) << "whole frames of K_ldpc bits";
    MEASURE_ESR_start_stopwatch(&b.m.esr_object);
    DrvCXD2856_m_dvbt2_fill_tasks(&s, 1, 1, 1, 1);

    EXPECT_EQ(t.tick(60).code, 0u);
    EXPECT_EQ(std::make_tuple(b.status, b.m.mer.status, b.m.cber.status, b.m.ldpcber.status, b.m.ldpc_iterations),
              std::make_tuple(12u, 0u, 0u, 0u, 4u));
    EXPECT_NEAR(s.freq_offset.value.s32, -kTunedOff, 2);
    EXPECT_NEAR(b.m.mer.value.s32, 200, 10);
    EXPECT_NEAR(t.ratio(b.m.cber.value.f32, uncodedBer(Modulation::Qam256, 20.0)), 1.0, 0.3);
    EXPECT_NEAR(t.ratio(b.m.ldpcber.value.f32, 1e-5), 1.0, 0.3);
    EXPECT_NE(b.m.esr.status, 3u);
    EXPECT_GT(b.m.per.time, 5000u);
    EXPECT_GT(b.m.per.errors, 0u);
    EXPECT_TRUE(t.freezeReleased());

    // Off air: one step to "demodulator once locked", then to "no T2 signal".
    t.switchOff();
    t.tick();
    EXPECT_EQ(std::make_tuple(b.status, b.l1post, b.l1pre_read), std::make_tuple(5u, nullptr, uint8_t(0)))
        << "the decoded layer 1 goes with the signal";
    t.tick();
    EXPECT_EQ(std::make_tuple(b.status, s.freq_offset.status, b.m.mer.status, b.m.ldpcber.status),
              std::make_tuple(1u, 3u, 3u, 1u));
    EXPECT_TRUE(t.freezeReleased());
}

TEST(DrvCXD2856TerrestrialTasks, IsdbtMeasuresTheHighestLayer)
{
    DigitalChannel d;
    d.fftSize = 8192;
    d.guardInterval = "1/8";
    d.layers = {DigitalLayer{1, Modulation::Qpsk, "2/3", 3}, DigitalLayer{12, Modulation::Qam64, "3/4", 2}};
    d.preBer = 3e-4;
    d.packetErrorRate = 1e-3;
    Terrestrial t(standard::kIsdbT, 6e6, 22.0, d);
    st_t_data_CXD2856& s = t.s();
    const kit_isdbt_tune_param_t p = {602000, KIT_DTV_BW_6_MHZ};
    ASSERT_EQ(kit_demod_isdbt_Tune(&s.demod, &p), KIT_RESULT_OK);
    ASSERT_EQ(kit_demod_TuneEnd(&s.demod), KIT_RESULT_OK);
    ASSERT_TRUE(t.waitFor([&] {
        kit_demod_lock_result_t lock = 0;
        return kit_demod_isdbt_CheckTSLock(&s.demod, &lock) == KIT_RESULT_OK && lock == 1;
    }));

    DrvCXD2856_m_create_measures(DRVCXD2856_STD_ISDBT, &s);
    DrvCXD2856_m_isdbt_set_default_measures(&s);
    st_t_isdbt_CXD2856& b = s.isdbt;
    b.bw = {0, eBW_6MHZ};
    b.sp_inv = {0, 0};
    b.mode = eFFT_8K;
    b.guard = eGI_1_8;
    b.measure_layer = 4;
    b.status = 12;
    KxlDrvLibError e{};
    DrvCXD2856_m_isdbt_read_tmcc_info(&e, &b.tmcc, &b.tmcc_kit, &s);
    b.vber_bits = DrvCXD2856_m_isdbt_write_vber_window(&e, 200, &s);
    const uint32_t layerA = DRVDEFISDBT_get_bitrate_after_viberbi(eBW_6MHZ, eFFT_8K, eGI_1_8, eCONST_QPSK, 1, eCR_2_3);
    EXPECT_EQ(b.vber_bits, layerA / 1000 * 200 / 1632 * 1632) << "the window counts whole packets of layer A";
    EXPECT_EQ(t.chip->slvtRegister(0x60, 0x5B) << 8 | t.chip->slvtRegister(0x60, 0x5C), b.vber_bits / 1632);
    DrvCXD2856_m_isdbt_fill_tasks(&s, 1, 1, 1);

    EXPECT_EQ(t.tick(40).code, 0u);
    EXPECT_EQ(std::make_tuple(b.status, b.tmcc_locked, b.tmcc.highest_layer, b.tmcc.layer[1].constellation,
                              b.tmcc.layer[1].code_rate),
              std::make_tuple(12u, 1, 1u, eCONST_64QAM, eCR_3_4));
    EXPECT_EQ(std::make_tuple(b.tmcc.layer[0].interleaving, b.tmcc.layer[1].interleaving, b.tmcc.layer[1].segments),
              std::make_tuple(4u, 2u, 12)) << "code 3 in Mode 3 (8k)";
    // No MER-to-BER table: the estimate stays at its top.
    EXPECT_EQ(std::make_tuple(b.mer.status, b.vber.status, b.cber.status), std::make_tuple(0u, 0u, 1u));
    EXPECT_NEAR(s.freq_offset.value.s32, -kTunedOff, 50);
    EXPECT_NEAR(b.mer.value.s32, 220, 10);
    EXPECT_NEAR(t.ratio(b.vber.value.f32, 3e-4), 1.0, 0.2);
    const double packetsB =
        DRVDEFISDBT_get_bitrate_after_viberbi(eBW_6MHZ, eFFT_8K, eGI_1_8, eCONST_64QAM, 12, eCR_3_4) / 1632.0;
    EXPECT_NEAR(b.per.errors / (b.per.time / 1000.0), 1e-3 * packetsB, 3.0);
    EXPECT_TRUE(t.freezeReleased());

    t.switchOff();
    t.tick(2);
    EXPECT_EQ(std::make_tuple(b.status, b.tmcc_locked, b.cber.status), std::make_tuple(0u, 0, 2u));
    EXPECT_FLOAT_EQ(b.cber.value.f32, 1e-6f);
    EXPECT_EQ(b.mer.status, 3u);
}
