// The DVB-C tasks' own rules on the simulated demodulator: a constellation fixed by the user
// must be the channel's, a MER register of 0 is no reading, and the symbol-rate fraction is
// signed.
#include "DriverOnChip.h"

#include "demod/DrvCXD2856_readers.h"
#include "demod/DrvDefCodes.h"
#include "platform/sim/Faults.h"

#include "chipkit/kit_demod_dvbc.h"

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

TEST(DrvCXD2856CableTasks, AFixedConstellationMustMatchTheChannelAndAMerRegisterOfZeroIsNoReading)
{
    OnChip t;
    t.scene->addDigital(474e6, 8e6, 60.0, standard::kDvbC, 30.0, qam(Modulation::Qam64, 6900000, 0, 0));
    ASSERT_TRUE(t.dvbc(474, 0));
    st_t_data_CXD2856& s = t.s();
    DrvCXD2856_m_create_measures(DRVCXD2856_STD_DVBC, &s);
    DrvCXD2856_m_dvbc_set_default_measures(&s);
    t.searched(s.dvbc, eCONST_64QAM, 0, 6900000);
    DrvCXD2856_m_dvbc_fill_tasks(&s, 1);
    t.tick(3);
    EXPECT_EQ(s.dvbc.status, 12u);
    // The channel is 64QAM; fixed at 256QAM the lock does not count.
    s.dvbc.constellation = {0, eCONST_256QAM};
    t.tick();
    EXPECT_EQ(s.dvbc.status, 3u);

    KxlDrvLibError e{};
    int32_t mer = -1;
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

TEST(DrvCXD2856CableTasks, TheSymbolRateFractionIsSigned)
{
    // bank 0x40 0x1A-0x1B, then 0x9B-0x9F: -2^24 at a shift of 25; the high nibble is not the rate's.
    for (const auto& [integer, fraction, bd] :
         {std::tuple<std::vector<uint8_t>, std::vector<uint8_t>, int32_t>{{0x01, 0x00}, {0xFF, 0x00, 0x00, 0x00, 1}, 748535},
          {{0xF1, 0x00}, {0, 0, 0, 0, 0}, 750000}}) {
        OnChip t;
        for (int i = 0; i < 7; ++i)
            t.board->faults().stickRegister(Device::i2c(0x6C), bankedRegister(0x40, i < 2 ? 0x1A + i : 0x99 + i),
                                            i < 2 ? integer[i] : fraction[i - 2]);
        KxlDrvLibError e{};
        int32_t rate = 0;
        DrvCXD2856_m_dvbc_read_symbolrate(&e, &rate, &t.s());
        EXPECT_EQ(std::make_tuple(e.code, rate), std::make_tuple(0u, bd));
    }
}
