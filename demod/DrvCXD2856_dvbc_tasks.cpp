#include "DrvCXD2856_tasks.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_cable.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_task_steps.h"
#include "DrvDefCodes.h"

#include "chipkit/kit_demod_dvbs_s2_monitor.h"

using namespace drvcxd2856;

namespace {

constexpr int kMerSamples = 32;
constexpr int kMerSamplesBeforeCancel = 4;

int annexbIndex(uint32_t constellation) { return constellation == eCONST_256QAM ? 1 : 0; }

void cableMer(st_t_data_CXD2856* s, KxlDrvLibError* err, st_t_dvbc_CXD2856& c, const t_mer_calibration_table* table)
{
    if (!locked(c.status)) {
        MEASURE_MER_unlocked(&c.mer, &c.mer_object);
        return;
    }
    int32_t samples[kMerSamples];
    int n = 0;
    for (int i = 0; i < kMerSamples; ++i) {
        if (i >= kMerSamplesBeforeCancel && cancelled(s))
            break;
        if (DrvCXD2856_m_dvbc_read_mer_sample(err, c.constellation.value, &samples[n], s))
            ++n;
    }
    MEASURE_MER_process(&c.mer, &c.mer_object, samples, n, tablesAllowed(s) ? table : nullptr);
}

void cableOffset(st_t_data_CXD2856* s, KxlDrvLibError* err, eDEMOD_LOCK_STATUS status)
{
    offsetStep(s, status, [err, s] {
        int32_t hz = 0;
        DrvCXD2856_m_dvbc_read_frequency_offset(err, &hz, s);
        return hz;
    });
}

void cableCber(st_t_data_CXD2856* s, KxlDrvLibError* err, st_t_dvbc_CXD2856& c, const t_ber_correction_table* table,
               uint32_t (*writer)(KxlDrvLibError*, uint32_t, st_t_data_CXD2856*))
{
    st_t_counter_CXD2856 counter{};
    if (locked(c.status))
        DrvCXD2856_m_dvbc_read_pre_rs_errors(err, &counter, s);
    berStep(s, c.status, counter,
            {&c.cber_object, &c.cber, &c.cber_bits, c.mer.value.s32, table,
             [err, s, writer] { return writer(err, 400, s); }});
}

st_t_counter_CXD2856 wrongPackets(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_counter_CXD2856 c{};
    DrvCXD2856_m_dvbc_read_wrong_packets(err, &c, s);
    return c;
}

// The satellite C/N in tenths of a dB: at the top of the chip's scale the value is a lower
// bound, none at all is below it; a monitor without a value leaves the result as it was.
void satelliteMer(MeasureResult* out, st_t_data_CXD2856* s, KxlDrvLibError* err)
{
    int32_t cnr = 0;
    Burst b(err, s);
    if (b.kit(kit_demod_dvbs_s2_monitor_CNR(&s->demod, &cnr)) != KIT_RESULT_OK)
        return;
    out->status = cnr >= 19990 ? eRANGE_above : cnr == 0 ? eRANGE_below : eRANGE_valid;
    out->value.s32 = cnr / 100;
}

// A satellite BER monitor in units of 1/unit: above 1e-4 the display's top, none its floor;
// a monitor without a value leaves the result as it was.
void satelliteBer(MeasureResult* out, kit_result_t r, uint32_t value, double unit)
{
    if (r != KIT_RESULT_OK)
        return;
    const double ber = value / unit;
    if (ber > 1e-4) {
        out->status = eRANGE_above;
        out->value.f32 = 1e-4f;
    } else if (value == 0) {
        out->status = eRANGE_below;
        out->value.f32 = 1e-9f;
    } else {
        out->status = eRANGE_valid;
        out->value.f32 = static_cast<float>(ber);
    }
}

} // namespace

// ---- DVB-C ------------------------------------------------------------------------------

void DrvCXD2856_dvbc_read_signal_status_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbc_CXD2856& c = s->dvbc;
    const uint32_t code = DrvCXD2856_m_dvbc_read_signal_status(err, s);
    if (code != eDEMOD_LOCK_STATUS_TS_LOCKED) {
        c.status = code;
        return;
    }
    uint32_t inverted = c.sp_inv.value;
    DrvCXD2856_m_dvbc_read_sp(err, &inverted, s);
    if (c.sp_inv.automatic)
        c.sp_inv.value = inverted;
    else if (inverted != c.sp_inv.value)
        c.status = 1;
    uint32_t constellation = c.constellation.value;
    DrvCXD2856_m_dvbc_read_constellation(err, &constellation, s);
    if (c.constellation.automatic)
        c.constellation.value = constellation;
    else if (constellation != c.constellation.value)
        c.status = 3;
}

void DrvCXD2856_dvbc_read_frequency_offset_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    cableOffset(s, err, s->dvbc.status);
}

void DrvCXD2856_dvbc_read_mer_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbc_CXD2856& c = s->dvbc;
    cableMer(s, err, c, s->plugplag ? &s->plugplag->dvbc.mer_table[qamIndex(c.constellation.value)] : nullptr);
}

void DrvCXD2856_dvbc_read_cber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbc_CXD2856& c = s->dvbc;
    cableCber(s, err, c, s->plugplag ? &s->plugplag->dvbc.ber_table[qamIndex(c.constellation.value)] : nullptr,
              DrvCXD2856_m_dvbc_write_cber_window);
}

void DrvCXD2856_dvbc_read_per_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    perStep(err, s, s->dvbc.status, &s->dvbc.per_object, &s->dvbc.per,
            [s](KxlDrvLibError* e) { return wrongPackets(e, s); });
}

void DrvCXD2856_m_dvbc_fill_tasks(st_t_data_CXD2856* s, uint32_t a2)
{
    DrvCXD2856_m_clear_tasks(s);
    DrvCXD2856_m_set_task(s, 0, DrvCXD2856_dvbc_read_signal_status_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 1, DrvCXD2856_dvbc_read_frequency_offset_toc, 1, 2);
    DrvCXD2856_m_set_task(s, 2, DrvCXD2856_dvbc_read_mer_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 3, DrvCXD2856_dvbc_read_cber_toc, 1, 4);
    DrvCXD2856_m_set_task(s, 4, DrvCXD2856_dvbc_read_per_toc, a2 != 0, 1);
}

// ---- J.83 Annex B -----------------------------------------------------------------------

void DrvCXD2856_annexb_read_signal_status_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_annexb_CXD2856& c = s->annexb;
    const uint32_t code = DrvCXD2856_m_annexb_read_signal_status(err, s);
    if (code != eDEMOD_LOCK_STATUS_TS_LOCKED) {
        c.status = code;
        return;
    }
    DrvCXD2856_m_annexb_read_sp(err, &c.sp_inv.value, s);
    uint32_t constellation = c.constellation.value;
    DrvCXD2856_m_annexb_read_constellation(err, &constellation, s);
    if (constellation != c.constellation.value)
        c.status = 3;
}

void DrvCXD2856_annexb_read_frequency_offset_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    cableOffset(s, err, s->annexb.status);
}

void DrvCXD2856_annexb_read_mer_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_annexb_CXD2856& c = s->annexb;
    cableMer(s, err, c, s->plugplag ? &s->plugplag->annexb.mer_table[annexbIndex(c.constellation.value)] : nullptr);
}

void DrvCXD2856_annexb_read_cber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_annexb_CXD2856& c = s->annexb;
    cableCber(s, err, c, s->plugplag ? &s->plugplag->annexb.ber_table[annexbIndex(c.constellation.value)] : nullptr,
              DrvCXD2856_m_annexb_write_cber_window);
}

void DrvCXD2856_annexb_read_per_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    perStep(err, s, s->annexb.status, &s->annexb.per_object, &s->annexb.per,
            [s](KxlDrvLibError* e) { return wrongPackets(e, s); });
}

void DrvCXD2856_m_annexb_fill_tasks(st_t_data_CXD2856* s, uint32_t a2)
{
    DrvCXD2856_m_clear_tasks(s);
    DrvCXD2856_m_set_task(s, 0, DrvCXD2856_annexb_read_signal_status_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 1, DrvCXD2856_annexb_read_frequency_offset_toc, 1, 2);
    DrvCXD2856_m_set_task(s, 2, DrvCXD2856_annexb_read_mer_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 3, DrvCXD2856_annexb_read_cber_toc, 1, 4);
    DrvCXD2856_m_set_task(s, 4, DrvCXD2856_annexb_read_per_toc, a2 != 0, 1);
}

// ---- DVB-S and DVB-S2 -------------------------------------------------------------------

void DrvCXD2856_dvbs_read_signal_status_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    const uint32_t code = DrvCXD2856_m_dvbs_read_signal_status(err, s);
    if (code != eDEMOD_LOCK_STATUS_TS_LOCKED)
        s->dvbs.status = code;
}

void DrvCXD2856_dvbs_read_mer_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbs_CXD2856& c = s->dvbs;
    if (!locked(c.status))
        MEASURE_MER_unlocked(&c.mer, &c.mer_object);
    else
        satelliteMer(&c.mer, s, err);
}

void DrvCXD2856_dvbs2_read_mer_toc(KxlDrvLibError* err, st_t_data_CXD2856* s) { DrvCXD2856_dvbs_read_mer_toc(err, s); }

void DrvCXD2856_dvbs_read_cber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbs_CXD2856& c = s->dvbs;
    if (!locked(c.status)) {
        MEASURE_BER_unlocked(&c.cber, &c.cber_object);
        return;
    }
    uint32_t ber = 0;
    Burst b(err, s);
    const kit_result_t r = b.kit(kit_demod_dvbs_monitor_PreRSBER(&s->demod, &ber));
    satelliteBer(&c.cber, r, ber, 1e7);
}

void DrvCXD2856_dvbs2_read_cber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbs_CXD2856& c = s->dvbs;
    if (!locked(c.status)) {
        MEASURE_BER_unlocked(&c.s2_cber, &c.cber_object);
        return;
    }
    uint32_t ber = 0;
    Burst b(err, s);
    const kit_result_t r = b.kit(kit_demod_dvbs2_monitor_PreBCHBER(&s->demod, &ber));
    satelliteBer(&c.s2_cber, r, ber, 1e9);
}

void DrvCXD2856_dvbs_read_per_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    perStep(err, s, s->dvbs.status, &s->dvbs.per_object, &s->dvbs.per,
            [s](KxlDrvLibError* e) { return wrongPackets(e, s); });
}

void DrvCXD2856_m_dvbs_fill_tasks(st_t_data_CXD2856* s, uint32_t a2)
{
    DrvCXD2856_m_clear_tasks(s);
    DrvCXD2856_m_set_task(s, 0, DrvCXD2856_dvbs_read_signal_status_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 1, DrvCXD2856_dvbs_read_mer_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 2, DrvCXD2856_dvbs_read_cber_toc, 1, 4);
    DrvCXD2856_m_set_task(s, 3, DrvCXD2856_dvbs_read_per_toc, a2 != 0, 1);
}

void DrvCXD2856_m_dvbs2_fill_tasks(st_t_data_CXD2856* s, uint32_t a2)
{
    DrvCXD2856_m_clear_tasks(s);
    DrvCXD2856_m_set_task(s, 0, DrvCXD2856_dvbs_read_signal_status_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 1, DrvCXD2856_dvbs2_read_mer_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 2, DrvCXD2856_dvbs2_read_cber_toc, 1, 4);
    DrvCXD2856_m_set_task(s, 3, DrvCXD2856_dvbs_read_per_toc, a2 != 0, 1);
}
