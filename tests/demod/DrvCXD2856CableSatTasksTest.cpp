// The DVB-C, J.83B, DVB-C2, DVB-S and DVB-S2 tasks on the simulated demodulator: locked
// channels of the scene deliver status, offset, MER, BER and PER as the scene has them, a
// mismatch of what was fixed lowers the status, a MER register of 0 is no reading, and the
// channel switched off drops the status.
#include "DriverOnChip.h"

#include "demod/DrvCXD2856_readers.h"
#include "demod/DrvDefCodes.h"
#include "platform/sim/Faults.h"

#include "chipkit/kit_demod_config.h"
#include "chipkit/kit_demod_dvbc.h"
#include "chipkit/kit_demod_dvbc2.h"
#include "chipkit/kit_demod_dvbs_s2.h"
#include "chipkit/kit_demod_j83b.h"
#include "chipkit/kit_stopwatch_port.h"

#include <gtest/gtest.h>

#include <tuple>

using drivertest::DriverOnChip;
using namespace platform::sim;

namespace {

DigitalChannel qam(Modulation m, double symbolRate, double preBer, double per)
{
    DigitalChannel d;
    d.modulation = m;
    d.symbolRateBd = symbolRate;
    d.preBer = preBer;
    d.packetErrorRate = per;
    return d;
}

struct OnChip : DriverOnChip {
    OnChip() { EXPECT_EQ(kit_demod_Initialize(&s().demod), KIT_RESULT_OK); }

    template <class Check>
    bool tsLock(Check check)
    {
        return waitFor([&] {
            kit_demod_lock_result_t lock = 0;
            return check(&s().demod, &lock) == KIT_RESULT_OK && lock == KIT_DEMOD_LOCK_RESULT_LOCKED;
        });
    }

    bool dvbc(double mhz, double tunedOffHz)
    {
        chip->setTunedFrequencyHz(mhz * 1e6 + tunedOffHz);
        const kit_dvbc_tune_param_t p = {uint32_t(mhz * 1000), KIT_DTV_BW_8_MHZ};
        return kit_demod_dvbc_Tune(&s().demod, &p) == KIT_RESULT_OK && kit_demod_TuneEnd(&s().demod) == KIT_RESULT_OK
            && tsLock(kit_demod_dvbc_CheckTSLock);
    }

    // What the DVB-C search leaves behind.
    void searched(st_t_dvbc_CXD2856& c, uint32_t constellation, uint8_t automatic, uint32_t symbolRate)
    {
        c.sp_inv = {1, 0};
        c.constellation = {automatic, constellation};
        c.symbol_rate = {1, symbolRate};
        c.status = 12;
    }
};

} // namespace

TEST(DrvCXD2856CableTasks, DvbcFollowsTheChannelAndAFixedConstellationMustMatch)
{
    OnChip t;
    t.scene->addDigital(474e6, 8e6, 60.0, standard::kDvbC, 30.0, qam(Modulation::Qam64, 6900000, 1e-4, 1e-3));
    ASSERT_TRUE(t.dvbc(474, 20e3));
    st_t_data_CXD2856& s = t.s();
    DrvCXD2856_m_create_measures(DRVCXD2856_STD_DVBC, &s);
    DrvCXD2856_m_dvbc_set_default_measures(&s);
    t.searched(s.dvbc, eCONST_16QAM, 1, 6900000);
    KxlDrvLibError e{};
    s.dvbc.constellation.value = eCONST_64QAM;
    s.dvbc.cber_bits = DrvCXD2856_m_dvbc_write_cber_window(&e, 200, &s);
    EXPECT_EQ(s.dvbc.cber_bits, 1632u << 12) << "41.4 Mbit/s for 200 ms: 2^12 packets";
    int32_t bd = 0;
    DrvCXD2856_m_dvbc_read_symbolrate(&e, &bd, &s);
    EXPECT_NEAR(bd, 6900000, 2);
    DrvCXD2856_m_dvbc_fill_tasks(&s, 1);

    EXPECT_EQ(t.tick(40).code, 0u);
    EXPECT_EQ(std::make_tuple(s.dvbc.status, s.dvbc.constellation.value, s.dvbc.mer.status, s.dvbc.cber.status),
              std::make_tuple(12u, uint32_t(eCONST_64QAM), 0u, 0u));
    EXPECT_NEAR(s.freq_offset.value.s32, -20e3, 1500) << "in steps of 2.9 kHz";
    EXPECT_NEAR(s.dvbc.mer.value.s32, 300, 5);
    EXPECT_NEAR(s.dvbc.cber.value.f32 / 1e-4, 1.0, 0.2);
    EXPECT_GT(s.dvbc.per.errors, 0u);
    EXPECT_TRUE(t.freezeReleased());

    // The channel is 64QAM; fixed at 256QAM the lock does not count.
    s.dvbc.constellation = {0, eCONST_256QAM};
    t.tick();
    EXPECT_EQ(s.dvbc.status, 3u);

    t.scene->clear();
    t.tick(3);
    EXPECT_EQ(std::make_tuple(s.dvbc.status, s.dvbc.mer.status, s.freq_offset.status), std::make_tuple(0u, 3u, 3u));
}

TEST(DrvCXD2856CableTasks, ADvbcMerRegisterOfZeroIsNoReading)
{
    OnChip t;
    t.scene->addDigital(474e6, 8e6, 60.0, standard::kDvbC, 30.0, qam(Modulation::Qam64, 6900000, 0, 0));
    ASSERT_TRUE(t.dvbc(474, 0));
    st_t_data_CXD2856& s = t.s();
    KxlDrvLibError e{};
    int32_t mer = -1;
    EXPECT_EQ(DrvCXD2856_m_dvbc_read_mer_sample(&e, eCONST_64QAM, &mer, &s), 1);
    EXPECT_NEAR(mer, 300, 3);
    EXPECT_EQ(DrvCXD2856_m_dvbc_read_mer_sample(&e, eCONST_128QAM, &mer, &s), 1);
    EXPECT_LT(mer, 300) << "the 32 and 128QAM scale";

    Faults& f = t.board->faults();
    f.stickRegister(Device::i2c(0x6C), bankedRegister(0x40, 0x4C), 0);
    f.stickRegister(Device::i2c(0x6C), bankedRegister(0x40, 0x4D), 0);
    EXPECT_EQ(DrvCXD2856_m_dvbc_read_mer_sample(&e, eCONST_64QAM, &mer, &s), 0);
    DrvCXD2856_m_create_measures(DRVCXD2856_STD_DVBC, &s);
    DrvCXD2856_m_dvbc_set_default_measures(&s);
    t.searched(s.dvbc, eCONST_64QAM, 1, 6900000);
    DrvCXD2856_dvbc_read_mer_toc(&e, &s);
    EXPECT_EQ(std::make_tuple(s.dvbc.mer.status, e.code), std::make_tuple(3u, 0u)) << "not 95.9 dB: no MER at all";
    EXPECT_TRUE(t.freezeReleased());
}

TEST(DrvCXD2856CableTasks, J83bCountsOverPacketsOf188Bytes)
{
    OnChip t;
    t.scene->addDigital(597e6, 6e6, 60.0, standard::kJ83B, 28.0, qam(Modulation::Qam64, 5056941, 2e-4, 0));
    t.chip->setTunedFrequencyHz(597e6);
    st_t_data_CXD2856& s = t.s();
    const kit_j83b_tune_param_t p = {597000, KIT_DTV_BW_J83B_50};
    ASSERT_EQ(kit_demod_j83b_Tune(&s.demod, &p), KIT_RESULT_OK);
    ASSERT_EQ(kit_demod_TuneEnd(&s.demod), KIT_RESULT_OK);
    ASSERT_TRUE(t.tsLock(kit_demod_j83b_CheckTSLock));
    DrvCXD2856_m_create_measures(DRVCXD2856_STD_ANNEXB, &s);
    DrvCXD2856_m_annexb_set_default_measures(&s);
    t.searched(s.annexb, eCONST_64QAM, 0, 5056941);
    KxlDrvLibError e{};
    s.annexb.cber_bits = DrvCXD2856_m_annexb_write_cber_window(&e, 200, &s);
    EXPECT_EQ(s.annexb.cber_bits % 1504, 0u);
    DrvCXD2856_m_annexb_fill_tasks(&s, 1);

    EXPECT_EQ(t.tick(40).code, 0u);
    EXPECT_EQ(std::make_tuple(s.annexb.status, s.annexb.mer.status), std::make_tuple(12u, 0u));
    EXPECT_NEAR(s.annexb.mer.value.s32, 350, 5) << "a reading of 28 dB on the straight 40-to-50 dB table";
    EXPECT_NEAR(s.annexb.cber.value.f32 / 2e-4, 1.0, 0.2);
    EXPECT_TRUE(t.freezeReleased());
}

TEST(DrvCXD2856CableTasks, Dvbc2FollowsTheTunedPlp)
{
    OnChip t;
    RfScene::typicalCableNetwork(*t.scene);
    st_t_data_CXD2856& s = t.s();
    // The tune sequencer, stepped as the integration layer steps it.
    const kit_dvbc2_tune_param_t p = {866000, KIT_DTV_BW_8_MHZ, 0, 1, 0, 0};
    kit_dvbc2_tune_seq_t seq{};
    t.chip->setTunedFrequencyHz(866e6);
    ASSERT_EQ(kit_demod_dvbc2_InitTuneSeq(&s.demod, &p, &seq), KIT_RESULT_OK);
    for (int step = 0; seq.running && step < 1000; ++step) {
        seq.currentTimeMs = static_cast<uint32_t>(common::clock().monotonicMs());
        ASSERT_EQ(kit_demod_dvbc2_TuneSeq(&s.demod, &seq), KIT_RESULT_OK);
        if (seq.tunerRetune)
            t.chip->setTunedFrequencyHz(seq.retuneFreqKHz * 1e3), seq.tunerRetune = 0;
        t.advanceMs(seq.waitMs);
        seq.waitMs = 0;
    }
    ASSERT_EQ(seq.result, KIT_RESULT_OK);
    ASSERT_TRUE(t.waitFor([&] { return t.chip->tsLocked(); }));

    DrvCXD2856_m_create_measures(DRVCXD2856_STD_DVBC2, &s);
    DrvCXD2856_m_dvbc2_set_default_measures(&s);
    st_t_dvbc2_CXD2856& c = s.dvbc2;
    KxlDrvLibError e{};
    c.bw = {0, eBW_8MHZ};
    c.sp_inv = {1, 0};
    DrvCXD2856_m_dvbc2_read_current_fec_type(&e, &c.fec_type, &s);
    DrvCXD2856_m_dvbc2_read_current_mod(&e, &c.plp_constellation, &s);
    DrvCXD2856_m_dvbc2_read_current_cod(&e, &c.plp_code_rate, &s);
    EXPECT_EQ(std::make_tuple(c.fec_type, c.plp_constellation), std::make_tuple(1u, 3u)) << "long frames, 256QAM";
    c.demod_locked = c.l1_read = 1;
    c.status = 12;
    c.m.cber_bits = DrvCXD2856_m_dvbc2_write_cber_window(&e, &s);
    c.m.ldpc_bits = DrvCXD2856_m_dvbc2_write_ldpcber_window(&e, &s);
    EXPECT_EQ(c.m.cber_bits, 64800u * 16);
    EXPECT_EQ(c.m.ldpc_bits, 54000u * 32) << "5/6 of long frames";
    MEASURE_ESR_start_stopwatch(&c.m.esr_object);
    DrvCXD2856_m_dvbc2_fill_tasks(&s, 1, 1, 1, 1);

    EXPECT_EQ(t.tick(40).code, 0u);
    EXPECT_EQ(std::make_tuple(c.status, s.freq_offset.status, c.m.mer.status, c.m.ldpc_iterations),
              std::make_tuple(12u, 0u, 0u, 4u));
    MeasureResult expected{};
    MEASURE_MER_calibrate(&expected, 370, 0, &t.pp->dvbc2.mer_table[1]);
    EXPECT_NEAR(c.m.mer.value.s32, expected.value.s32, 8) << "37 dB through the 8 MHz table";
    EXPECT_TRUE(c.m.cber.status != 3u && c.m.ldpcber.status != 3u);
    EXPECT_GT(c.m.per.time, 2000u);
    EXPECT_TRUE(t.freezeReleased());

    t.scene->clear();
    t.tick(2);
    EXPECT_EQ(std::make_tuple(c.status, c.m.mer.status), std::make_tuple(0u, 3u));
}

TEST(DrvCXD2856SatTasks, DvbsAndDvbs2ReadTheirCarrier)
{
    struct Case {
        const char* standard;
        kit_dtv_system_t system;
        double cnDb;
        uint32_t merStatus;
        int32_t mer;
        double preBer;
        uint32_t berStatus;
        float ber;
    };
    for (const Case& c : {Case{standard::kDvbS, KIT_DTV_SYSTEM_DVBS, 10.0, 0, 100, 5e-5, 0, 5e-5f},
                          Case{standard::kDvbS, KIT_DTV_SYSTEM_DVBS, 10.0, 0, 100, 3e-4, 1, 1e-4f},
                          Case{standard::kDvbS2, KIT_DTV_SYSTEM_DVBS2, 25.0, 1, 200, 5e-5, 0, 5e-5f}}) {
        OnChip t;
        DigitalChannel d = qam(Modulation::Qpsk, 27.5e6, c.preBer, 1e-3);
        d.codeRate = "3/4";
        t.scene->addSatellite(1300e6, 27.5e6, c.standard, c.cnDb, d);
        t.chip->setTunedFrequencyHz(1300e6);
        st_t_data_CXD2856& s = t.s();
        const kit_dvbs_s2_tune_param_t p = {c.system, 1300000, 27500};
        ASSERT_EQ(kit_demod_dvbs_s2_Tune(&s.demod, &p), KIT_RESULT_OK);
        ASSERT_EQ(kit_demod_TuneEnd(&s.demod), KIT_RESULT_OK);
        ASSERT_TRUE(t.waitFor([&] {
            uint32_t lock = 0;
            return kit_demod_dvbs_s2_CheckTSLock(&s.demod, &lock) == KIT_RESULT_OK && lock == 1;
        }));
        ASSERT_EQ(kit_demod_SetConfig(&s.demod, 46, 9), KIT_RESULT_OK); // the kit's error windows
        ASSERT_EQ(kit_demod_SetConfig(&s.demod, 47, 6), KIT_RESULT_OK);
        DrvCXD2856_m_create_measures(DRVCXD2856_STD_DVBS, &s);
        DrvCXD2856_m_dvbs_set_default_measures(&s);
        s.dvbs.status = 12;
        if (c.system == KIT_DTV_SYSTEM_DVBS)
            DrvCXD2856_m_dvbs_fill_tasks(&s, 1);
        else
            DrvCXD2856_m_dvbs2_fill_tasks(&s, 1);

        EXPECT_EQ(t.tick(40).code, 0u) << c.standard;
        const MeasureResult& ber = c.system == KIT_DTV_SYSTEM_DVBS ? s.dvbs.cber : s.dvbs.s2_cber;
        EXPECT_EQ(std::make_tuple(s.dvbs.status, s.dvbs.mer.status, ber.status),
                  std::make_tuple(12u, c.merStatus, c.berStatus)) << c.standard;
        EXPECT_NEAR(s.dvbs.mer.value.s32, c.mer, 2) << c.standard;
        EXPECT_NEAR(ber.value.f32 / c.ber, 1.0, 0.05) << c.standard << ": the monitor's own unit";
        EXPECT_GT(s.dvbs.per.errors, 0u) << c.standard;
        EXPECT_TRUE(t.freezeReleased());

        t.scene->clear();
        t.tick(2);
        EXPECT_EQ(std::make_tuple(s.dvbs.status, s.dvbs.mer.status), std::make_tuple(0u, 3u));
    }
}

TEST(DrvCXD2856CableTasks, TheSymbolRateFractionIsSigned)
{
    struct Case {
        std::vector<uint8_t> integer; // bank 0x40 0x1A-0x1B
        std::vector<uint8_t> fraction; // 0x9B-0x9F
        int32_t bd;
    };
    const std::vector<Case> cases = {
        {{0x00, 0x02}, {0, 0, 0, 0, 0}, 5859},
        {{0x01, 0x00}, {0x00, 0x80, 0x00, 0x00, 0}, 751465}, // 256.5 steps
        {{0x01, 0x00}, {0xFF, 0x80, 0x00, 0x00, 0}, 748535}, // 255.5: the fraction takes half a step off
        {{0x01, 0x00}, {0xFF, 0x00, 0x00, 0x00, 1}, 748535}, // -2^24 at a shift of 25
        {{0xF1, 0x00}, {0, 0, 0, 0, 0}, 750000},             // the high nibble is not the rate's
    };
    for (const Case& c : cases) {
        OnChip t;
        Faults& f = t.board->faults();
        for (int i = 0; i < 2; ++i)
            f.stickRegister(Device::i2c(0x6C), bankedRegister(0x40, 0x1A + i), c.integer[i]);
        for (int i = 0; i < 5; ++i)
            f.stickRegister(Device::i2c(0x6C), bankedRegister(0x40, 0x9B + i), c.fraction[i]);
        KxlDrvLibError e{};
        int32_t bd = 0;
        DrvCXD2856_m_dvbc_read_symbolrate(&e, &bd, &t.s());
        EXPECT_EQ(std::make_tuple(e.code, bd), std::make_tuple(0u, c.bd));
        EXPECT_TRUE(t.freezeReleased());
    }
}
