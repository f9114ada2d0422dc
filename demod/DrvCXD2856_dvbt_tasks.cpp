#include "DrvCXD2856_tasks.h"

#include "DrvCXD2856_core.h"
#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_task_steps.h"

using namespace drvcxd2856;

void DrvCXD2856_dvbt_read_signal_status_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt_CXD2856& t = s->dvbt;
    const uint32_t code = DrvCXD2856_m_dvbt_read_signal_status(err, s);
    if (code != 4 && code != eDEMOD_LOCK_STATUS_TS_LOCKED) {
        t.status = code;
        return;
    }
    uint32_t mode = t.mode.value, guard = t.guard.value;
    const bool fixedCofdm = !t.mode.automatic || !t.guard.automatic;
    if (t.mode.automatic || t.guard.automatic || (code == eDEMOD_LOCK_STATUS_TS_LOCKED && fixedCofdm))
        DrvCXD2856_m_dvbt_read_cofdm_parameters(err, &mode, &guard, s);
    if (t.mode.automatic)
        t.mode.value = mode;
    if (t.guard.automatic)
        t.guard.value = guard;
    if (code == 4) {
        t.status = 4;
        return;
    }
    // TS lock: what was fixed must be what is received; the status itself stays the search's.
    bool mismatch = (!t.mode.automatic && mode != t.mode.value) || (!t.guard.automatic && guard != t.guard.value);
    if (!t.sp_inv.automatic) {
        uint32_t inverted = t.sp_inv.value;
        DrvCXD2856_m_dvbt_read_sp(err, &inverted, s);
        mismatch = mismatch || inverted != t.sp_inv.value;
    }
    if (mismatch)
        t.status = 2;
}

void DrvCXD2856_dvbt_read_frequency_offset_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    offsetStep(s, s->dvbt.status, [err, s] {
        int32_t hz = 0;
        DrvCXD2856_m_dvbt_read_frequency_offset(err, &hz, s);
        return hz;
    });
}

void DrvCXD2856_dvbt_read_tps_info_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    KxlDrvLibError own{};
    st_t_dvbt_tps_CXD2856 tps{};
    DrvCXD2856_m_dvbt_read_tps_data(&own, &tps, s);
    if (KxlDrvLib_error_is_ok(&own))
        s->dvbt.tps = tps;
    KxlDrvLib_error_keep_first(err, &own);
}

void DrvCXD2856_dvbt_read_mer_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt_CXD2856& t = s->dvbt;
    if (!locked(t.status)) {
        MEASURE_MER_CONSTELLATION_unlocked(&t.mer, &t.mer_object);
        return;
    }
    DrvCXD2856_m_dvbt_read_mer_by_constellation(err, &t.mer, s);
}

void DrvCXD2856_dvbt_read_cber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt_CXD2856& t = s->dvbt;
    st_t_counter_CXD2856 c{};
    if (locked(t.status))
        DrvCXD2856_m_dvbt_read_pre_viterbi_errors(err, &c, s);
    // The search sizes this window.
    berStep(s, t.status, c, {&t.cber_object, &t.cber, &t.cber_bits, t.mer.value.s32, nullptr, nullptr});
}

void DrvCXD2856_dvbt_read_vber_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt_CXD2856& t = s->dvbt;
    st_t_counter_CXD2856 c{};
    if (locked(t.status))
        DrvCXD2856_m_dvbt_read_pre_rs_errors(err, &c, s);
    berStep(s, t.status, c,
            {&t.vber_object, &t.vber, &t.vber_bits, t.mer.value.s32, nullptr,
             [err, s] { return DrvCXD2856_m_dvbt_write_vber_window(err, 400, s); }});
}

void DrvCXD2856_dvbt_read_per_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    perStep(err, s, s->dvbt.status, &s->dvbt.per_object, &s->dvbt.per, [s](KxlDrvLibError* e) {
        st_t_counter_CXD2856 c{};
        DrvCXD2856_m_dvbt_read_wrong_packets(e, &c, s);
        return c;
    });
}

void DrvCXD2856_m_dvbt_fill_tasks(st_t_data_CXD2856* s, uint32_t a1, uint32_t a2, uint32_t a3)
{
    DrvCXD2856_m_clear_tasks(s);
    DrvCXD2856_m_set_task(s, 0, DrvCXD2856_dvbt_read_signal_status_toc, 1, 1);
    DrvCXD2856_m_set_task(s, 1, DrvCXD2856_dvbt_read_frequency_offset_toc, 1, 2);
    DrvCXD2856_m_set_task(s, 2, DrvCXD2856_dvbt_read_tps_info_toc, 1, 5);
    DrvCXD2856_m_set_task(s, 3, DrvCXD2856_dvbt_read_mer_toc, a3 != 0, 1);
    DrvCXD2856_m_set_task(s, 4, DrvCXD2856_dvbt_read_cber_toc, a2 != 0, 4);
    DrvCXD2856_m_set_task(s, 5, DrvCXD2856_dvbt_read_vber_toc, a1 != 0, 4);
    DrvCXD2856_m_set_task(s, 6, DrvCXD2856_dvbt_read_per_toc, a1 != 0, 2);
}
