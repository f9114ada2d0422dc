#include "DrvCXD2856_tasks.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_task_steps.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBT2.h"

#include "chipkit/kit_demod_dvbt2.h"

#include <cstring>

using namespace drvcxd2856;

namespace {

// What the search read of the L1 no longer holds: flags, L1-pre, PLP counts, decoded post.
void clearL1(st_t_dvbt2_CXD2856& t)
{
    t.demod_locked = 0;
    t.l1pre_read = 0;
    t.l1post_read = 0;
    t.l1pre = kit_dvbt2_l1pre_t{};
    t.plp_count = 0;
    DrvCXD2856_dvbt2_free_l1_post(&t);
}

// The MER calibration table of a bandwidth and FFT size.
const t_mer_calibration_table* merTable(const st_t_data_CXD2856* s)
{
    if (!s->plugplag || !tablesAllowed(s))
        return nullptr;
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    uint32_t group;
    switch (t.bw.value) {
    case eBW_1_7MHZ:
        group = 0;
        break;
    case eBW_5MHZ:
        group = 1;
        break;
    case eBW_6MHZ:
        group = 2;
        break;
    case eBW_7MHZ:
        group = 3;
        break;
    default:
        group = 4;
        break;
    }
    uint32_t fft;
    switch (t.fft_mode) {
    case eFFT_1K:
        fft = 0;
        break;
    case eFFT_2K:
        fft = 1;
        break;
    case eFFT_4K:
        fft = 2;
        break;
    case eFFT_16K:
    case eFFT_16K_EXT:
        fft = 4;
        break;
    case eFFT_32K:
    case eFFT_32K_EXT:
        fft = 5;
        break;
    default:
        fft = 3;
        break;
    }
    return &s->plugplag->dvbt2.mer_table[group * 6 + fft];
}

} // namespace

void DrvCXD2856_dvbt2_read_signal_status_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    const uint32_t code = DrvCXD2856_dvbt2_read_signal_status(err, s);
    if (code == t.status || code == eDEMOD_LOCK_STATUS_TS_LOCKED)
        return;
    if (code == 7 && t.l1post_read) {
        t.status = 7;
        return;
    }
    if ((code == 6 || code == 7) && t.l1pre_read) {
        if (t.status != 6) {
            // The L1-post must be read again before anything of it is believed.
            t.l1post_read = 0;
            DrvCXD2856_dvbt2_free_l1_post(&t);
            std::memset(t.l1_buffer, 0, sizeof t.l1_buffer);
            t.l1_buffer_stale = 1;
        }
        t.status = 6;
        return;
    }
    const uint32_t lowered = t.demod_locked ? 5 : 1;
    std::memset(t.l1_state, 0, sizeof t.l1_state);
    if (code <= 4 || lowered != t.status)
        clearL1(t);
    t.status = lowered;
}

void DrvCXD2856_dvbt2_read_frequency_offset_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    if (!locked(s->dvbt2.status)) {
        s->freq_offset = {eRANGE_unlocked, {}};
        return;
    }
    int32_t hz = 0;
    DrvCXD2856_dvbt2_read_frequency_offset(err, DRVDEFDVBT2_get_elementary_clock(s->dvbt2.bw.value), &hz, s);
    s->freq_offset.status = eRANGE_valid;
    s->freq_offset.value.s32 = hz;
}

void DrvCXD2856_dvbt2_read_signalling_toc(KxlDrvLibError*, st_t_data_CXD2856*) {}

void DrvCXD2856_dvbt2_read_mer_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    if (!locked(t.status)) {
        MEASURE_MER_unlocked(&t.m.mer, &t.m.mer_object);
        return;
    }
    int32_t last = 0, filtered = 0;
    {
        Burst b(err, s);
        if (b.kit(kit_demod_dvbt2_adv_monitor_FilteredMER(&s->demod, &t.mer_filter, &last, &filtered))
            != KIT_RESULT_OK)
            return;
    }
    if (s->mer_source == 1)
        filtered = t.mer_window_last ? kit_window_get_last_value(&t.mer_filter.raw)
                                     : kit_estimate_mer_from_window(&t.mer_filter.raw);
    MEASURE_MER_calibrate(&t.m.mer, filtered / 100, 1, merTable(s));
}

void DrvCXD2856_dvbt2_read_cber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    st_t_counter_CXD2856 c{};
    if (locked(t.status)) {
        DrvCXD2856_dvbt2_read_pre_ldpc_errors(err, &c, s);
        // A counted window starts the next one.
        if (c.valid)
            DrvCXD2856_dvbt2_reset_pre_ldpc_system(err, s);
    }
    berStep(s, t.status, c,
            {&t.m.cber_object, &t.m.cber, &t.m.cber_bits, t.m.mer.value.s32, nullptr,
             [err, s] { return DrvCXD2856_dvbt2_write_cber_window(err, s); }});
}

void DrvCXD2856_dvbt2_read_ldpcber_bchesr_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    if (!locked(t.status)) {
        MEASURE_BER_unlocked(&t.m.ldpcber, &t.m.ldpc_object);
        return;
    }
    st_t_counter_CXD2856 bch{};
    DrvCXD2856_dvbt2_read_pre_bch_errors(err, &bch, s);
    DrvCXD2856_i2c_scheduler_lock(err);
    st_t_counter_CXD2856 frames{};
    DrvCXD2856_dvbt2_read_post_bch_frame_errors(err, &frames, s);
    const uint32_t elapsed = MEASURE_ESR_get_stopwatch(&t.m.esr_object);
    DrvCXD2856_i2c_scheduler_unlock();

    berStep(s, t.status, bch,
            {&t.m.ldpc_object, &t.m.ldpcber, &t.m.ldpc_bits, t.m.mer.value.s32, nullptr,
             [err, s] { return DrvCXD2856_dvbt2_write_ldpcber_window(err, 400, s); }});
    if (!frames.valid)
        return;
    MEASURE_ESR_process(&t.m.esr, &t.m.esr_object, frames.count, elapsed);
    DrvCXD2856_i2c_scheduler_lock(err);
    DrvCXD2856_dvbt2_reset_pre_bch_system(err, s);
    MEASURE_ESR_start_stopwatch(&t.m.esr_object);
    DrvCXD2856_i2c_scheduler_unlock();
}

void DrvCXD2856_dvbt2_read_ldpc_iterations_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint32_t iterations = 0;
    KxlDrvLibError own{};
    DrvCXD2856_dvbt2_read_ldpc_interations(&own, &iterations, s);
    if (KxlDrvLib_error_is_ok(&own))
        s->dvbt2.m.ldpc_iterations = iterations;
    KxlDrvLib_error_keep_first(err, &own);
}

void DrvCXD2856_dvbt2_read_per_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    perStep(err, s, s->dvbt2.status, &s->dvbt2.m.per_object, &s->dvbt2.m.per, [s](KxlDrvLibError* e) {
        st_t_counter_CXD2856 c{};
        DrvCXD2856_dvbt2_read_wrong_packets(e, &c, s);
        return c;
    });
}

void DrvCXD2856_dvbt2_fill_tasks(st_t_data_CXD2856* s, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4)
{
    DrvCXD2856_m_clear_tasks(s);
    DrvCXD2856_m_set_task(s, 0, DrvCXD2856_dvbt2_read_signal_status_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 1, DrvCXD2856_dvbt2_read_frequency_offset_toc, a1 != 0, 2);
    DrvCXD2856_m_set_task(s, 2, DrvCXD2856_dvbt2_read_signalling_toc, a4 != 0, 5);
    DrvCXD2856_m_set_task(s, 3, DrvCXD2856_dvbt2_read_mer_toc, a1 != 0, 1);
    DrvCXD2856_m_set_task(s, 4, DrvCXD2856_dvbt2_read_cber_toc, a2 != 0, 2);
    DrvCXD2856_m_set_task(s, 5, DrvCXD2856_dvbt2_read_ldpcber_bchesr_toc, a3 != 0, 4);
    DrvCXD2856_m_set_task(s, 6, DrvCXD2856_dvbt2_read_ldpc_iterations_toc, a3 != 0, 2);
    DrvCXD2856_m_set_task(s, 7, DrvCXD2856_dvbt2_read_per_toc, a3 != 0, 1);
}
