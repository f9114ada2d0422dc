#include "DrvCXD2856_tasks.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_task_steps.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBC2.h"
#include "DrvDefDVBT2.h"

#include "chipkit/kit_demod_dvbc2_monitor.h"
#include "chipkit/kit_demod_dvbt2.h"

#include <cstring>
#include <functional>

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

// The MER calibration table, when the host allows the tables.
const t_mer_calibration_table* merTable(const st_t_data_CXD2856* s)
{
    return tablesAllowed(s) ? DrvCXD2856_m_dvbt2_mer_calibration_table(s) : nullptr;
}

// What DVB-T2 and DVB-C2 do alike, on one standard's status and measures.
struct Fec {
    eDEMOD_LOCK_STATUS status;
    st_t_fec_measures_CXD2856& m;
};

void fecOffset(KxlDrvLibError* err, st_t_data_CXD2856* s, eDEMOD_LOCK_STATUS status, double clock)
{
    offsetStep(s, status, [err, s, clock] {
        int32_t hz = 0;
        DrvCXD2856_m_dvbt2_read_frequency_offset(err, clock, &hz, s);
        return hz;
    });
}

void fecCber(KxlDrvLibError* err, st_t_data_CXD2856* s, Fec f,
             uint32_t (*writer)(KxlDrvLibError*, st_t_data_CXD2856*))
{
    st_t_counter_CXD2856 c{};
    if (locked(f.status)) {
        DrvCXD2856_m_dvbt2_read_pre_ldpc_errors(err, &c, s);
        // A counted window starts the next one.
        if (c.valid)
            DrvCXD2856_m_dvbt2_reset_pre_ldpc_system(err, s);
    }
    berStep(s, f.status, c,
            {&f.m.cber_object, &f.m.cber, &f.m.cber_bits, f.m.mer.value.s32, nullptr,
             [err, s, writer] { return writer(err, s); }});
}

void fecLdpcEsr(KxlDrvLibError* err, st_t_data_CXD2856* s, Fec f, const std::function<uint32_t()>& writer)
{
    st_t_fec_measures_CXD2856& m = f.m;
    if (!locked(f.status)) {
        MEASURE_BER_unlocked(&m.ldpcber, &m.ldpc_object);
        return;
    }
    st_t_counter_CXD2856 bch{};
    DrvCXD2856_m_dvbt2_read_pre_bch_errors(err, &bch, s);
    // The frame errors and their time belong to one instant.
    DrvCXD2856_i2c_scheduler_lock(err);
    st_t_counter_CXD2856 frames{};
    DrvCXD2856_m_dvbt2_read_post_bch_frame_errors(err, &frames, s);
    const uint32_t elapsed = MEASURE_ESR_get_stopwatch(&m.esr_object);
    DrvCXD2856_i2c_scheduler_unlock();

    berStep(s, f.status, bch, {&m.ldpc_object, &m.ldpcber, &m.ldpc_bits, m.mer.value.s32, nullptr, writer});
    if (!frames.valid)
        return;
    MEASURE_ESR_process(&m.esr, &m.esr_object, frames.count, elapsed);
    DrvCXD2856_i2c_scheduler_lock(err);
    DrvCXD2856_m_dvbt2_reset_pre_bch_system(err, s);
    MEASURE_ESR_start_stopwatch(&m.esr_object);
    DrvCXD2856_i2c_scheduler_unlock();
}

void fecIterations(KxlDrvLibError* err, st_t_data_CXD2856* s, st_t_fec_measures_CXD2856& m)
{
    uint32_t iterations = 0;
    KxlDrvLibError own{};
    DrvCXD2856_m_dvbt2_read_ldpc_interations(&own, &iterations, s);
    if (KxlDrvLib_error_is_ok(&own))
        m.ldpc_iterations = iterations;
    KxlDrvLib_error_keep_first(err, &own);
}

void fecPer(KxlDrvLibError* err, st_t_data_CXD2856* s, Fec f)
{
    perStep(err, s, f.status, &f.m.per_object, &f.m.per, [s](KxlDrvLibError* e) {
        st_t_counter_CXD2856 c{};
        DrvCXD2856_m_dvbt2_read_wrong_packets(e, &c, s);
        return c;
    });
}

} // namespace

const t_mer_calibration_table* DrvCXD2856_m_dvbt2_mer_calibration_table(const st_t_data_CXD2856* s)
{
    if (!s->plugplag)
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

void DrvCXD2856_dvbt2_read_signal_status_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    const uint32_t code = DrvCXD2856_m_dvbt2_read_signal_status(err, s);
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
    fecOffset(err, s, s->dvbt2.status, DRVDEFDVBT2_get_elementary_clock(s->dvbt2.bw.value));
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
    fecCber(err, s, {s->dvbt2.status, s->dvbt2.m}, DrvCXD2856_m_dvbt2_write_cber_window);
}

void DrvCXD2856_dvbt2_read_ldpcber_bchesr_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    fecLdpcEsr(err, s, {s->dvbt2.status, s->dvbt2.m}, [err, s] { return DrvCXD2856_m_dvbt2_write_ldpcber_window(err, 400, s); });
}

void DrvCXD2856_dvbt2_read_ldpc_iterations_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    fecIterations(err, s, s->dvbt2.m);
}

void DrvCXD2856_dvbt2_read_per_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    fecPer(err, s, {s->dvbt2.status, s->dvbt2.m});
}

void DrvCXD2856_m_dvbt2_fill_tasks(st_t_data_CXD2856* s, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4)
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

// ---- DVB-C2 -----------------------------------------------------------------------------

void DrvCXD2856_dvbc2_read_signal_status_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbc2_CXD2856& c = s->dvbc2;
    const uint32_t code = DrvCXD2856_m_dvbc2_read_signal_status(err, s);
    if (code == 9 && c.l1_read) {
        c.status = 9;
    } else if (code == 9 || code == 8) {
        c.status = c.demod_locked ? 8 : 1;
    } else if (code == eDEMOD_LOCK_STATUS_TS_LOCKED) {
        // The search compared the sense; only the chip is asked again.
        if (!c.sp_inv.automatic) {
            uint32_t inverted = 0;
            DrvCXD2856_m_dvbt2_read_sp(err, &inverted, s);
        }
    } else {
        c.status = code;
    }
}

void DrvCXD2856_dvbc2_read_frequency_offset_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    fecOffset(err, s, s->dvbc2.status, DRVDEFDVBC2_get_elementary_clock(s->dvbc2.bw.value));
}

void DrvCXD2856_dvbc2_read_signalling_toc(KxlDrvLibError*, st_t_data_CXD2856*) {}

void DrvCXD2856_dvbc2_read_mer_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbc2_CXD2856& c = s->dvbc2;
    if (!locked(c.status)) {
        MEASURE_MER_unlocked(&c.m.mer, &c.m.mer_object);
        return;
    }
    int32_t samples[2];
    int n = 0;
    {
        Burst b(err, s);
        for (int i = 0; i < 2; ++i) {
            int32_t mer = 0;
            if (b.kit(kit_demod_dvbc2_adv_monitor_MER(&s->demod, &mer)) == KIT_RESULT_OK)
                samples[n++] = mer / 100;
        }
    }
    const t_mer_calibration_table* table = s->plugplag && tablesAllowed(s)
        ? &s->plugplag->dvbc2.mer_table[c.bw.value == eBW_6MHZ ? 0 : 1]
        : nullptr;
    MEASURE_MER_process(&c.m.mer, &c.m.mer_object, samples, n, table);
}

void DrvCXD2856_dvbc2_read_cber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    fecCber(err, s, {s->dvbc2.status, s->dvbc2.m}, DrvCXD2856_m_dvbc2_write_cber_window);
}

void DrvCXD2856_dvbc2_read_ldpcber_bchesr_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    fecLdpcEsr(err, s, {s->dvbc2.status, s->dvbc2.m}, [err, s] { return DrvCXD2856_m_dvbc2_write_ldpcber_window(err, s); });
}

void DrvCXD2856_dvbc2_read_ldpc_iterations_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    fecIterations(err, s, s->dvbc2.m);
}

void DrvCXD2856_dvbc2_read_per_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    fecPer(err, s, {s->dvbc2.status, s->dvbc2.m});
}

void DrvCXD2856_m_dvbc2_fill_tasks(st_t_data_CXD2856* s, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4)
{
    DrvCXD2856_m_clear_tasks(s);
    DrvCXD2856_m_set_task(s, 0, DrvCXD2856_dvbc2_read_signal_status_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 1, DrvCXD2856_dvbc2_read_frequency_offset_toc, a1 != 0, 2);
    DrvCXD2856_m_set_task(s, 2, DrvCXD2856_dvbc2_read_signalling_toc, a4 != 0, 5);
    DrvCXD2856_m_set_task(s, 3, DrvCXD2856_dvbc2_read_mer_toc, a1 != 0, 1);
    DrvCXD2856_m_set_task(s, 4, DrvCXD2856_dvbc2_read_cber_toc, a2 != 0, 2);
    DrvCXD2856_m_set_task(s, 5, DrvCXD2856_dvbc2_read_ldpcber_bchesr_toc, a3 != 0, 4);
    DrvCXD2856_m_set_task(s, 6, DrvCXD2856_dvbc2_read_ldpc_iterations_toc, a3 != 0, 2);
    DrvCXD2856_m_set_task(s, 7, DrvCXD2856_dvbc2_read_per_toc, a3 != 0, 1);
}
