#include "DrvCXD2856_tasks.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_task_steps.h"
#include "DrvDefCodes.h"

#include "chipkit/kit_demod_isdbt.h"

using namespace drvcxd2856;

namespace {

constexpr uint8_t kBank = 0x60;
constexpr uint32_t kPacketBits = 1632;
constexpr int kMerSamples = 32;
constexpr int kMerSamplesBeforeCancel = 8;
// The MER-estimated CBER is shown between these bounds.
constexpr float kCberAbove = 0.01f;
constexpr float kCberBelow = 1e-6f;

// The layer the measurements follow: 1 B, 2 C, else A.
int measuredLayer(const st_t_isdbt_CXD2856& t) { return t.measure_layer == 1 ? 1 : t.measure_layer == 2 ? 2 : 0; }

const t_mer_calibration_table* merTable(const st_t_data_CXD2856* s)
{
    if (!s->plugplag || !tablesAllowed(s))
        return nullptr;
    const st_t_isdbt_CXD2856& t = s->isdbt;
    const uint32_t bw = t.bw.value == eBW_6MHZ ? 0 : t.bw.value == eBW_8MHZ ? 2 : 1;
    const uint32_t mode = t.mode == eFFT_2K ? 0 : t.mode == eFFT_4K ? 1 : 2;
    return &s->plugplag->isdbt.mer_table[bw * 3 + mode];
}

const t_ber_correction_table* cberTable(const st_t_data_CXD2856* s)
{
    if (!s->plugplag || !tablesAllowed(s))
        return nullptr;
    const uint32_t c = s->isdbt.tmcc.layer[measuredLayer(s->isdbt)].constellation;
    const int index = c == eCONST_DQPSK ? 0 : c == eCONST_QPSK ? 1 : c == eCONST_64QAM ? 3 : 2;
    return &s->plugplag->isdbt.ber_table[index];
}

MeasureResult berResult(uint32_t status, float value)
{
    MeasureResult r;
    r.status = status;
    r.value.f32 = value;
    return r;
}

} // namespace

void DrvCXD2856_isdbt_read_signal_status_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_isdbt_CXD2856& t = s->isdbt;
    const uint32_t code = DrvCXD2856_m_isdbt_read_signal_status(err, s);
    if (code != eDEMOD_LOCK_STATUS_TS_LOCKED) {
        t.status = code;
        return;
    }
    if (!t.sp_inv.automatic) {
        uint32_t inverted = t.sp_inv.value;
        DrvCXD2856_m_isdbt_read_sp(err, &inverted, s);
        if (inverted != t.sp_inv.value)
            t.status = 2;
    }
}

void DrvCXD2856_isdbt_read_tmcc_info_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_isdbt_CXD2856& t = s->isdbt;
    KxlDrvLibError own{};
    st_t_isdbt_tmcc_CXD2856 tmcc{};
    kit_isdbt_tmcc_info_t kit{};
    DrvCXD2856_m_isdbt_read_tmcc_info(&own, &tmcc, &kit, s);
    if (KxlDrvLib_error_is_ok(&own)) {
        t.tmcc = tmcc;
        t.tmcc_kit = kit;
    }
    t.tmcc_locked = locked(t.status);
    KxlDrvLib_error_keep_first(err, &own);
}

void DrvCXD2856_isdbt_read_frequency_offset_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    offsetStep(s, s->isdbt.status, [err, s] {
        int32_t hz = 0;
        Burst b(err, s);
        b.kit(kit_demod_isdbt_monitor_CarrierOffset(&s->demod, &hz));
        return hz;
    });
}

void DrvCXD2856_isdbt_read_mer_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_isdbt_CXD2856& t = s->isdbt;
    if (!locked(t.status)) {
        MEASURE_MER_unlocked(&t.mer, &t.mer_object);
        return;
    }
    int32_t samples[kMerSamples];
    int n = 0;
    {
        Burst b(err, s);
        for (int i = 0; i < kMerSamples; ++i) {
            if (i >= kMerSamplesBeforeCancel && b.cancelled())
                break;
            int32_t snr = 0;
            if (b.kit(kit_demod_isdbt_monitor_SNR(&s->demod, &snr)) != KIT_RESULT_OK)
                break;
            samples[n++] = snr / 100;
        }
    }
    MEASURE_MER_process(&t.mer, &t.mer_object, samples, n, merTable(s));
}

void DrvCXD2856_isdbt_read_cber_toc(KxlDrvLibError*, st_t_data_CXD2856* s)
{
    st_t_isdbt_CXD2856& t = s->isdbt;
    if (!locked(t.status)) {
        t.cber = berResult(eRANGE_below, kCberBelow);
        return;
    }
    const double estimate = MEASURE_BER_get_factor(t.mer.value.s32, cberTable(s));
    const double ber = MEASURE_BER_smooth(&t.cber_smoothing, estimate, 1e-8);
    if (ber >= kCberAbove)
        t.cber = berResult(eRANGE_above, kCberAbove);
    else if (ber <= kCberBelow)
        t.cber = berResult(eRANGE_below, kCberBelow);
    else
        t.cber = berResult(eRANGE_valid, static_cast<float>(ber));
}

void DrvCXD2856_isdbt_read_vber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_isdbt_CXD2856& t = s->isdbt;
    st_t_counter_CXD2856 c{};
    if (locked(t.status)) {
        uint8_t counts[9] = {};
        uint8_t window[2] = {};
        {
            Burst b(err, s);
            b.freeze();
            b.read(kBank, 0x16, counts, sizeof counts) && b.read(0x5B, window, sizeof window);
        }
        const int layer = measuredLayer(t);
        const uint32_t packets = drvcxd2856::bigEndian(window, 2) & 0x7FFF;
        c = {static_cast<uint8_t>(packets != 0),
             static_cast<uint32_t>(counts[3 * layer] & 0x7F) << 16 | drvcxd2856::bigEndian(counts + 3 * layer + 1, 2)};
        // The window the chip counted over, whoever wrote it.
        if (packets)
            t.vber_bits = packets * kPacketBits;
    }
    berStep(s, t.status, c,
            {&t.vber_object, &t.vber, &t.vber_bits, t.mer.value.s32, nullptr,
             [err, s] { return DrvCXD2856_m_isdbt_write_vber_window(err, 400, s); }});
}

void DrvCXD2856_isdbt_read_per_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    perStep(err, s, s->isdbt.status, &s->isdbt.per_object, &s->isdbt.per, [s](KxlDrvLibError* e) {
        uint8_t d[7] = {};
        {
            Burst b(e, s);
            b.read(kBank, 0xA1, d, sizeof d);
        }
        const uint32_t layer[3] = {drvcxd2856::bigEndian(d + 1, 2), drvcxd2856::bigEndian(d + 3, 2), drvcxd2856::bigEndian(d + 5, 2)};
        const st_t_isdbt_CXD2856& t = s->isdbt;
        uint32_t count;
        switch (t.measure_layer) {
        case 1:
            count = layer[1];
            break;
        case 2:
            count = layer[2];
            break;
        case 3:
            count = layer[0] + layer[1] + layer[2];
            break;
        case 4:
            count = layer[DrvCXD2856_isdbt_get_highest_layer(&t.tmcc_kit)];
            break;
        default:
            count = layer[0];
            break;
        }
        return st_t_counter_CXD2856{static_cast<uint8_t>(d[0] & 1), count};
    });
}

void DrvCXD2856_m_isdbt_fill_tasks(st_t_data_CXD2856* s, uint32_t a1, uint32_t a2, uint32_t a3)
{
    DrvCXD2856_m_clear_tasks(s);
    DrvCXD2856_m_set_task(s, 0, DrvCXD2856_isdbt_read_signal_status_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 1, DrvCXD2856_isdbt_read_tmcc_info_toc, 1, 5);
    DrvCXD2856_m_set_task(s, 2, DrvCXD2856_isdbt_read_frequency_offset_toc, 1, 2);
    DrvCXD2856_m_set_task(s, 3, DrvCXD2856_isdbt_read_mer_toc, a3 != 0, 1);
    DrvCXD2856_m_set_task(s, 4, DrvCXD2856_isdbt_read_cber_toc, a2 != 0, 4);
    DrvCXD2856_m_set_task(s, 5, DrvCXD2856_isdbt_read_vber_toc, a1 != 0, 4);
    DrvCXD2856_m_set_task(s, 6, DrvCXD2856_isdbt_read_per_toc, a1 != 0, 1);
}
