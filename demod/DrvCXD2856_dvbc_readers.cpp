#include "DrvCXD2856_readers.h"

#include "DrvCXD2856_burst.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBC.h"

#include "chipkit/kit_demod_dvbc_monitor.h"
#include "chipkit/kit_demod_dvbs_s2_monitor.h"
#include "chipkit/kit_demod_j83b_monitor.h"
#include "chipkit/kit_math.h"

#include <cmath>

using drvcxd2856::bigEndian;
using drvcxd2856::Burst;

namespace {

constexpr uint8_t kBank = 0x40;
constexpr uint32_t kWindowExponentMax = 31;

uint32_t lockCode(kit_result_t r, uint8_t ar, uint8_t ts)
{
    if (r != KIT_RESULT_OK || !ar)
        return eDEMOD_LOCK_STATUS_UNLOCKED;
    return ts ? eDEMOD_LOCK_STATUS_TS_LOCKED : 3;
}

uint32_t writeCberWindow(KxlDrvLibError* err, uint32_t windowMs, uint32_t packetBits, st_t_dvbc_CXD2856& block,
                         st_t_data_CXD2856* s)
{
    const uint64_t rate = DRVDEFDVBC_get_bitrate_before_reed_solomon(block.constellation.value, block.symbol_rate.value);
    const uint32_t e = DrvCXD2856_window_exponent(rate / 1000 * windowMs, packetBits, kWindowExponentMax);
    {
        Burst b(err, s);
        b.bank(kBank) && b.write(0x60, static_cast<uint8_t>(e));
    }
    return packetBits << e;
}

} // namespace

uint32_t DrvCXD2856_m_dvbc_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t ar = 0, ts = 0, unlock = 0;
    Burst b(err, s);
    const kit_result_t r = b.kit(kit_demod_dvbc_monitor_SyncStat(&s->demod, &ar, &ts, &unlock));
    return lockCode(r, ar, ts);
}

uint32_t DrvCXD2856_m_annexb_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t ar = 0, ts = 0, unlock = 0;
    Burst b(err, s);
    const kit_result_t r = b.kit(kit_demod_j83b_monitor_SyncStat(&s->demod, &ar, &ts, &unlock));
    return lockCode(r, ar, ts);
}

uint32_t DrvCXD2856_m_dvbs_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t ts = 0;
    Burst b(err, s);
    if (b.kit(kit_demod_dvbs_s2_monitor_SyncStat(&s->demod, &ts)) != KIT_RESULT_OK || !ts)
        return eDEMOD_LOCK_STATUS_UNLOCKED;
    return eDEMOD_LOCK_STATUS_TS_LOCKED;
}

uint32_t public_dvbc_read_signal_status(KxlDrvLibError* err)
{
    return DrvCXD2856_m_dvbc_read_signal_status(err, DrvCXD2856_state());
}

uint32_t public_dvbs_read_signal_status(KxlDrvLibError* err)
{
    return DrvCXD2856_m_dvbs_read_signal_status(err, DrvCXD2856_state());
}

KxlDrvLibError* DrvCXD2856_m_dvbc_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* s)
{
    uint8_t v = 0;
    {
        Burst b(err, s);
        b.kit(kit_demod_dvbc_monitor_SpectrumSense(&s->demod, &v));
    }
    if (inverted)
        *inverted = v ? 1 : 0;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_annexb_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* s)
{
    uint8_t v = 0;
    {
        Burst b(err, s);
        b.kit(kit_demod_j83b_monitor_SpectrumSense(&s->demod, &v));
    }
    if (inverted)
        *inverted = v ? 1 : 0;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbc_read_constellation(KxlDrvLibError* err, uint32_t* constellation,
                                                   st_t_data_CXD2856* s)
{
    kit_scqam_constellation_t qam = KIT_SCQAM_64QAM;
    {
        Burst b(err, s);
        b.kit(kit_demod_dvbc_monitor_QAM(&s->demod, &qam));
    }
    static const uint32_t kLibrary[] = {eCONST_16QAM, eCONST_32QAM, eCONST_64QAM, eCONST_128QAM, eCONST_256QAM};
    if (constellation)
        *constellation = qam <= KIT_SCQAM_256QAM ? kLibrary[qam] : static_cast<uint32_t>(eCONST_64QAM);
    return err;
}

KxlDrvLibError* DrvCXD2856_m_annexb_read_constellation(KxlDrvLibError* err, uint32_t* constellation,
                                                     st_t_data_CXD2856* s)
{
    kit_scqam_constellation_t qam = KIT_SCQAM_64QAM;
    {
        Burst b(err, s);
        b.kit(kit_demod_j83b_monitor_QAM(&s->demod, &qam));
    }
    if (constellation)
        *constellation = static_cast<uint32_t>(qam == KIT_SCQAM_256QAM ? eCONST_256QAM : eCONST_64QAM);
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbc_read_symbolrate(KxlDrvLibError* err, int32_t* bd, st_t_data_CXD2856* s)
{
    uint8_t whole[2] = {}, fraction[5] = {};
    {
        Burst b(err, s);
        b.freeze();
        b.read(kBank, 0x1A, whole, sizeof whole) && b.read(0x9B, fraction, sizeof fraction);
    }
    // The fraction is signed: it corrects the integer part either way.
    const int32_t f = static_cast<int32_t>(bigEndian(fraction, 4));
    const double steps = ((whole[0] & 0x0F) << 8 | whole[1]) + std::ldexp(static_cast<double>(f), -(24 + (fraction[4] & 3)));
    if (bd)
        *bd = static_cast<int32_t>(std::trunc(0.5 + 2929.6875 * steps));
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbc_read_frequency_offset(KxlDrvLibError* err, int32_t* hz, st_t_data_CXD2856* s)
{
    uint8_t d[2] = {};
    {
        Burst b(err, s);
        b.freeze();
        b.read(kBank, 0x15, d, sizeof d);
    }
    const int32_t v = kit_Convert2SComplement(static_cast<uint32_t>(d[0] & 0x3F) << 8 | d[1], 14);
    if (hz)
        *hz = static_cast<int32_t>(std::trunc(0.5 + v * 48000000.0 / 16384));
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbc_read_pre_rs_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c, st_t_data_CXD2856* s)
{
    uint8_t d[3] = {};
    {
        Burst b(err, s);
        b.read(kBank, 0x62, d, sizeof d);
    }
    if (c)
        *c = {static_cast<uint8_t>(d[0] >> 7), static_cast<uint32_t>(d[0] & 0x3F) << 16 | bigEndian(d + 1, 2)};
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbc_read_wrong_packets(KxlDrvLibError* err, st_t_counter_CXD2856* c, st_t_data_CXD2856* s)
{
    uint8_t d[3] = {};
    {
        Burst b(err, s);
        b.read(kBank, 0xEA, d, sizeof d);
    }
    if (c)
        *c = {static_cast<uint8_t>(d[2] & 1), bigEndian(d, 2)};
    return err;
}

uint8_t DrvCXD2856_m_dvbc_read_mer_sample(KxlDrvLibError* err, uint32_t constellation, int32_t* mer,
                                        st_t_data_CXD2856* s)
{
    uint8_t d[2] = {};
    {
        Burst b(err, s);
        b.freeze();
        b.read(kBank, 0x4C, d, sizeof d);
    }
    const uint32_t v = static_cast<uint32_t>(d[0] & 0x1F) << 8 | d[1];
    if (mer)
        *mer = 0;
    // A register of 0 is the chip without a noise estimate, not an infinite MER.
    if (v == 0)
        return 0;
    const int32_t log = kit_math_log(v);
    const bool odd = constellation == eCONST_32QAM || constellation == eCONST_128QAM;
    if (mer)
        *mer = odd ? (-88 * log + 86999) / 100 : (-95 * log + 95941) / 100;
    return 1;
}

uint32_t DrvCXD2856_m_dvbc_write_cber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* s)
{
    return writeCberWindow(err, windowMs, 1632, s->dvbc, s);
}

uint32_t DrvCXD2856_dvbc_write_cber_window(KxlDrvLibError* err, uint32_t windowMs)
{
    return DrvCXD2856_m_dvbc_write_cber_window(err, windowMs, DrvCXD2856_state());
}

uint32_t DrvCXD2856_m_annexb_write_cber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* s)
{
    return writeCberWindow(err, windowMs, 1504, s->annexb, s);
}
