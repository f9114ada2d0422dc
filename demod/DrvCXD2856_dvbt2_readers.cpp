#include "DrvCXD2856_readers.h"

#include "DrvCXD2856_analysis.h"
#include "DrvCXD2856_burst.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBC2.h"
#include "DrvDefDVBT2.h"
#include "embedded_rtos.h"
#include "common/embedded_timers.h"

#include "chipkit/kit_demod_dvbc2_monitor.h"
#include "chipkit/kit_demod_dvbt2.h"
#include "chipkit/kit_math.h"

#include <cmath>

using drvcxd2856::Burst;

namespace {

constexpr uint8_t kBank = 0x20;
constexpr uint8_t kAnalysisBank = 0x21;
constexpr uint8_t kL1Bank = 0x22;
constexpr uint8_t kFecBank = 0x24;
constexpr uint8_t kLdpcWindow = 0x6F;
constexpr uint8_t kBchWindow = 0x72;

// Restarts a count by writing its window register changed, then back as it was.
KxlDrvLibError* restartCount(KxlDrvLibError* err, uint8_t reg, st_t_data_CXD2856* s)
{
    Burst b(err, s);
    uint8_t v = 0;
    b.read(kBank, reg, &v, 1) && b.write(reg, static_cast<uint8_t>(v + 1)) && b.write(reg, v);
    return err;
}

uint32_t writeWindow(KxlDrvLibError* err, uint8_t reg, uint32_t exponent, uint64_t frameBits, st_t_data_CXD2856* s)
{
    {
        Burst b(err, s);
        b.bank(kBank) && b.write(reg, static_cast<uint8_t>(exponent & 0x0F));
    }
    const uint64_t bits = frameBits << exponent;
    return bits > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bits);
}

} // namespace

uint32_t DrvCXD2856_m_dvbt2_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
    uint32_t settled = 0;
    uint32_t code = eDEMOD_LOCK_STATUS_UNLOCKED;
    for (;;) {
        uint8_t sync = 0, ts = 0, unlock = 0;
        {
            Burst b(err, s);
            if (b.kit(kit_demod_dvbt2_monitor_SyncStat(&s->demod, &sync, &ts, &unlock)) != KIT_RESULT_OK)
                sync = ts = 0;
            if (ts) {
                code = eDEMOD_LOCK_STATUS_TS_LOCKED;
            } else if (sync < 4) {
                code = eDEMOD_LOCK_STATUS_UNLOCKED;
            } else if (sync == 4) {
                code = 6;
            } else {
                uint8_t l1 = 0;
                b.read(kL1Bank, 0x12, &l1, 1);
                code = (l1 & 1) ? 7 : 6;
            }
        }
        // A measure mode in use means the caller only wants a look, not a wait.
        if (s->measure_mode != DRVCXD2856_MEASURE_NONE || drvcxd2856::cancelled(s))
            return code;
        if (ts || sync < 4) {
            if (++settled >= 4)
                return code;
        } else {
            settled = 0;
            if (EMBEDDEDTIMERS_GeticksInMs() - start >= 500)
                return code;
        }
        EMBEDDEDTIMERS_delayms(25);
    }
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* s)
{
    uint8_t v = 0;
    {
        Burst b(err, s);
        b.freeze();
        b.read(0x28, 0xE6, &v, 1);
    }
    if (inverted)
        *inverted = v & 1;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_frequency_offset(KxlDrvLibError* err, double clock, int32_t* hz,
                                                       st_t_data_CXD2856* s)
{
    uint8_t d[4] = {};
    {
        Burst b(err, s);
        b.freeze();
        b.read(kBank, 0x4C, d, sizeof d);
    }
    const int32_t v = kit_Convert2SComplement(static_cast<uint32_t>(d[0] & 0x0F) << 24 | drvcxd2856::bigEndian(d + 1, 3), 28);
    if (hz)
        *hz = static_cast<int32_t>(std::trunc(-(0.5 + v * clock / 1073741824.0)));
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_current_plp_id(KxlDrvLibError* err, uint8_t* id, st_t_data_CXD2856* s)
{
    uint8_t v = 0;
    {
        Burst b(err, s);
        b.read(kL1Bank, 0x54, &v, 1);
    }
    if (id)
        *id = v;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_ldpc_interations(KxlDrvLibError* err, uint32_t* iterations,
                                                       st_t_data_CXD2856* s)
{
    uint8_t v = 0;
    {
        Burst b(err, s);
        b.read(kFecBank, 0x16, &v, 1);
    }
    if (iterations)
        *iterations = v ? v : 1;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_wrong_packets(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                    st_t_data_CXD2856* s)
{
    uint8_t d[3] = {};
    {
        Burst b(err, s);
        static const uint8_t kClear[2] = {0x00, 0x00};
        b.read(kFecBank, 0xFD, d, sizeof d) && b.write(0xFE, kClear, sizeof kClear);
    }
    if (c)
        *c = {static_cast<uint8_t>(d[0] & 1), drvcxd2856::bigEndian(d + 1, 2)};
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_clear_wrong_packets(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    static const uint8_t kClear[2] = {0x00, 0x00};
    Burst b(err, s);
    b.bank(kFecBank) && b.write(0xFE, kClear, sizeof kClear);
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_pre_ldpc_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                      st_t_data_CXD2856* s)
{
    uint8_t d[4] = {};
    {
        Burst b(err, s);
        b.freeze();
        b.read(kBank, 0x39, d, sizeof d);
    }
    if (c)
        *c = {static_cast<uint8_t>((d[0] >> 4) & 1), static_cast<uint32_t>(d[0] & 0x0F) << 24 | drvcxd2856::bigEndian(d + 1, 3)};
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_pre_bch_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                     st_t_data_CXD2856* s)
{
    uint8_t d[4] = {};
    {
        Burst b(err, s);
        b.freeze();
        b.read(kFecBank, 0x40, d, sizeof d);
    }
    if (c)
        *c = {static_cast<uint8_t>(d[0] & 1), static_cast<uint32_t>(d[1] & 0x3F) << 16 | drvcxd2856::bigEndian(d + 2, 2)};
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_post_bch_frame_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                            st_t_data_CXD2856* s)
{
    uint8_t d[3] = {};
    {
        Burst b(err, s);
        b.read(kBank, 0x75, d, sizeof d);
    }
    if (c)
        *c = {static_cast<uint8_t>(d[0] & 1), static_cast<uint32_t>(d[1] & 0x7F) << 8 | d[2]};
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_reset_pre_ldpc_system(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return restartCount(err, kLdpcWindow, s);
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_reset_pre_bch_system(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return restartCount(err, kBchWindow, s);
}

uint32_t DrvCXD2856_m_dvbt2_write_cber_window(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return writeWindow(err, kLdpcWindow, 8, DRVDEFDVBT2_get_fecframe_size(s->dvbt2.fec_frame), s);
}

uint32_t DrvCXD2856_m_dvbc2_write_cber_window(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return writeWindow(err, kLdpcWindow, 4, DRVDEFDVBC2_get_fecframe_size(s->dvbc2.fec_type), s);
}

uint32_t DrvCXD2856_m_dvbt2_write_ldpcber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* s)
{
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    const double frames = DRVDEFDVBT2_get_fecrate(t.bw.value, t.fft_mode, t.guard, t.data_symbols, t.fec_blocks,
                                                  t.fef_interval, t.fef_length)
        * windowMs / 1000.0;
    // The nearest power of two of the frames, within the register's four bits.
    const double e = frames >= 1 ? std::trunc(std::log10(frames) / 0.30103 + 0.5) : 0;
    const uint32_t exponent = static_cast<uint32_t>(std::min(std::max(e, 0.0), 15.0));
    return writeWindow(err, kBchWindow, exponent,
                       DRVDEFDVBT2_get_fecframe_size_afterldpc(t.fec_frame, t.plp_code_rate), s);
}

uint32_t DrvCXD2856_m_dvbc2_write_ldpcber_window(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    const st_t_dvbc2_CXD2856& c = s->dvbc2;
    return writeWindow(err, kBchWindow, 5, DRVDEFDVBC2_get_fecframe_size_afterldpc(c.fec_type, c.plp_code_rate), s);
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_write_measure_mode(KxlDrvLibError* err, uint32_t mode, st_t_data_CXD2856* s)
{
    Burst b(err, s);
    if (!b.bank(kAnalysisBank))
        return err;
    if (mode == DRVCXD2856_MEASURE_CHANNEL_RESPONSE)
        b.write(0xC3, 0x01);
    else if (mode == DRVCXD2856_MEASURE_NONE)
        b.write(0xC3, 0x00);
    else
        b.write(0xC3, 0x00) && b.write(0x97, mode == DRVCXD2856_MEASURE_CARRIER_MER ? 0x02 : 0x00);
    s->measure_mode = mode;
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_write_carrier(KxlDrvLibError* err, uint32_t carrier, st_t_data_CXD2856* s)
{
    const uint8_t d[3] = {static_cast<uint8_t>((carrier >> 8) & 0x7F), static_cast<uint8_t>(carrier), 0x01};
    Burst b(err, s);
    b.bank(kAnalysisBank) && b.write(0x98, d, sizeof d);
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_mer_per_carrier(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                      st_t_data_CXD2856* s)
{
    if (mer)
        *mer = 0;
    if (s->measure_mode != DRVCXD2856_MEASURE_CARRIER_MER)
        DrvCXD2856_m_dvbt2_write_measure_mode(err, DRVCXD2856_MEASURE_CARRIER_MER, s);
    DrvCXD2856_m_dvbt2_write_carrier(err, carrier, s);
    uint8_t d[7] = {};
    Burst b(err, s);
    if (drvcxd2856::pollAnalysis(b, kAnalysisBank, d, sizeof d, drvcxd2856::kCarrierMerPoll) && mer) {
        const uint32_t v = drvcxd2856::bigEndian(d + 5, 2);
        *mer = static_cast<int32_t>(std::trunc(0.5 + 100.0 * std::log10((v ? v : 1) / 8.0)));
    }
    return err;
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_write_channelresponse_mode(KxlDrvLibError* err, uint32_t on, st_t_data_CXD2856* s)
{
    Burst b(err, s);
    b.bank(kAnalysisBank) && b.write(0xC4, on ? 1 : 0);
    return err;
}

void DrvCXD2856_dvbt2_free_l1_post(st_t_dvbt2_CXD2856* t)
{
    EMBEDDEDRTOS_free(t->l1post);
    EMBEDDEDRTOS_free(t->plps);
    t->l1post = nullptr;
    t->plps = nullptr;
    t->plp_records = 0;
}

void DrvCXD2856_dvbc2_free_l1_part2(st_t_dvbc2_CXD2856* c)
{
    EMBEDDEDRTOS_free(c->l1_part2);
    EMBEDDEDRTOS_free(c->dslices);
    EMBEDDEDRTOS_free(c->plps);
    c->l1_part2 = nullptr;
    c->dslices = nullptr;
    c->plps = nullptr;
    c->plp_records = 0;
    c->l1_part2_valid = 0;
}

uint8_t DrvCXD2856_m_dvbc2_read_if_l1_ready(KxlDrvLibError* err, uint32_t keepFreeze, st_t_data_CXD2856* s)
{
    KxlDrvLibError own{};
    uint8_t header = 0, part2 = 0;
    bool read = false;
    {
        Burst b(&own, s);
        b.freeze();
        read = b.read(0x52, 0x1F, &header, 1) && b.read(0x50, 0xC4, &part2, 1);
        if (read && keepFreeze && (header & part2 & 1))
            b.keepFrozen();
    }
    KxlDrvLib_error_keep_first(err, &own);
    return read && (header & part2 & 1) ? 1 : 0;
}

uint32_t DrvCXD2856_m_dvbc2_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t sync = 0, ts = 0, unlock = 0;
    {
        Burst b(err, s);
        if (b.kit(kit_demod_dvbc2_monitor_SyncStat(&s->demod, &sync, &ts, &unlock)) != KIT_RESULT_OK)
            return eDEMOD_LOCK_STATUS_UNLOCKED;
    }
    if (ts)
        return eDEMOD_LOCK_STATUS_TS_LOCKED;
    if (sync < 4)
        return eDEMOD_LOCK_STATUS_UNLOCKED;
    return sync > 4 && DrvCXD2856_m_dvbc2_read_if_l1_ready(err, 0, s) ? 9 : 8;
}

namespace {

KxlDrvLibError* readPlpByte(KxlDrvLibError* err, uint8_t reg, uint8_t shift, uint8_t mask, uint32_t* out,
                            st_t_data_CXD2856* s)
{
    uint8_t v = 0;
    {
        Burst b(err, s);
        b.read(0x52, reg, &v, 1);
    }
    if (out)
        *out = (v >> shift) & mask;
    return err;
}

} // namespace

KxlDrvLibError* DrvCXD2856_m_dvbc2_read_current_fec_type(KxlDrvLibError* err, uint32_t* type, st_t_data_CXD2856* s)
{
    return readPlpByte(err, 0x15, 4, 0x01, type, s);
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_read_current_mod(KxlDrvLibError* err, uint32_t* mod, st_t_data_CXD2856* s)
{
    return readPlpByte(err, 0x16, 4, 0x07, mod, s);
}

KxlDrvLibError* DrvCXD2856_m_dvbc2_read_current_cod(KxlDrvLibError* err, uint32_t* cod, st_t_data_CXD2856* s)
{
    return readPlpByte(err, 0x16, 0, 0x07, cod, s);
}
