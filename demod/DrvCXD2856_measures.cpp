#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_tasks.h"

namespace {

MeasureResult noOffset() { return {eRANGE_unlocked, {}}; }

void resetPer(t_measure_per* object, t_per_result* result)
{
    MEASURE_PER_resest(object);
    MEASURE_PER_unlocked(result, object);
}

void releaseDvbt(st_t_dvbt_CXD2856& t)
{
    MEASURE_MER_CONSTELLATION_destroy(&t.mer_object);
    MEASURE_BER_destroy(&t.cber_object);
    MEASURE_BER_destroy(&t.vber_object);
}

void releaseFec(st_t_fec_measures_CXD2856& m)
{
    MEASURE_MER_destroy(&m.mer_object);
    MEASURE_BER_destroy(&m.cber_object);
    MEASURE_BER_destroy(&m.ldpc_object);
    MEASURE_ESR_destroy(&m.esr_object);
}

void fecDefaults(st_t_fec_measures_CXD2856& m)
{
    MEASURE_MER_unlocked(&m.mer, &m.mer_object);
    MEASURE_BER_unlocked(&m.cber, &m.cber_object);
    MEASURE_BER_unlocked(&m.ldpcber, &m.ldpc_object);
    MEASURE_ESR_unlocked(&m.esr, &m.esr_object);
    resetPer(&m.per_object, &m.per);
}

void releaseCable(st_t_dvbc_CXD2856& c)
{
    MEASURE_MER_destroy(&c.mer_object);
    MEASURE_BER_destroy(&c.cber_object);
}

void releaseSat(st_t_dvbs_CXD2856& c)
{
    MEASURE_MER_destroy(&c.mer_object);
    MEASURE_BER_destroy(&c.cber_object);
}

void releaseIsdbt(st_t_isdbt_CXD2856& t)
{
    MEASURE_MER_destroy(&t.mer_object);
    MEASURE_BER_destroy(&t.vber_object);
}

} // namespace

void DrvCXD2856_m_release_standards(st_t_data_CXD2856* s)
{
    releaseDvbt(s->dvbt);
    releaseFec(s->dvbt2.m);
    DrvCXD2856_dvbt2_free_l1_post(&s->dvbt2);
    releaseFec(s->dvbc2.m);
    DrvCXD2856_dvbc2_free_l1_part2(&s->dvbc2);
    releaseCable(s->dvbc);
    releaseCable(s->annexb);
    releaseSat(s->dvbs);
    releaseIsdbt(s->isdbt);
}

void DrvCXD2856_m_create_measures(eDrvCXD2856_standard standard, st_t_data_CXD2856* s)
{
    DrvCXD2856_m_release_standards(s);
    // A creation failure leaves the object without history; the init does not report it.
    KxlDrvLibError scratch{};
    switch (standard) {
    case DRVCXD2856_STD_DVBT:
        MEASURE_MER_CONSTELLATION_create_with(&scratch, &s->dvbt.mer_object, &MEASURE_MER_CONSTELLATION_PARAMS_DVBT);
        MEASURE_BER_create_with(&scratch, &s->dvbt.cber_object, &MEASURE_BER_PARAMS_DVBT_CBER);
        MEASURE_BER_create_with(&scratch, &s->dvbt.vber_object, &MEASURE_BER_PARAMS_DVBT_VBER);
        break;
    case DRVCXD2856_STD_DVBT2:
        MEASURE_MER_create_with(&scratch, &s->dvbt2.m.mer_object, &MEASURE_MER_PARAMS_DVBT2);
        MEASURE_BER_create_with(&scratch, &s->dvbt2.m.cber_object, &MEASURE_BER_PARAMS_T2C2_CBER);
        MEASURE_BER_create_with(&scratch, &s->dvbt2.m.ldpc_object, &MEASURE_BER_PARAMS_DVBT2_LDPC);
        MEASURE_ESR_create(&scratch, &s->dvbt2.m.esr_object, MEASURE_ESR_RING_T2C2, MEASURE_ESR_WINDOW_S_T2C2,
                           MEASURE_ESR_SETTLE_T2C2);
        MEASURE_PER_create(&scratch, &s->dvbt2.m.per_object, MEASURE_PER_SETTLE_T2C2);
        break;
    case DRVCXD2856_STD_DVBC2:
        MEASURE_MER_create_with(&scratch, &s->dvbc2.m.mer_object, &MEASURE_MER_PARAMS_DVBC2);
        MEASURE_BER_create_with(&scratch, &s->dvbc2.m.cber_object, &MEASURE_BER_PARAMS_T2C2_CBER);
        MEASURE_BER_create_with(&scratch, &s->dvbc2.m.ldpc_object, &MEASURE_BER_PARAMS_DVBC2_LDPC);
        MEASURE_ESR_create(&scratch, &s->dvbc2.m.esr_object, MEASURE_ESR_RING_T2C2, MEASURE_ESR_WINDOW_S_T2C2,
                           MEASURE_ESR_SETTLE_T2C2);
        MEASURE_PER_create(&scratch, &s->dvbc2.m.per_object, MEASURE_PER_SETTLE_T2C2);
        break;
    case DRVCXD2856_STD_DVBC:
        MEASURE_MER_create_with(&scratch, &s->dvbc.mer_object, &MEASURE_MER_PARAMS_DVBC);
        MEASURE_BER_create_with(&scratch, &s->dvbc.cber_object, &MEASURE_BER_PARAMS_DVBC_CBER);
        break;
    case DRVCXD2856_STD_ANNEXB:
        MEASURE_MER_create_with(&scratch, &s->annexb.mer_object, &MEASURE_MER_PARAMS_DVBC);
        MEASURE_BER_create_with(&scratch, &s->annexb.cber_object, &MEASURE_BER_PARAMS_ANNEXB_CBER);
        break;
    case DRVCXD2856_STD_DVBS:
        MEASURE_MER_create_with(&scratch, &s->dvbs.mer_object, &MEASURE_MER_PARAMS_DVBC);
        MEASURE_BER_create_with(&scratch, &s->dvbs.cber_object, &MEASURE_BER_PARAMS_DVBC_CBER);
        break;
    case DRVCXD2856_STD_ISDBT:
        MEASURE_MER_create_with(&scratch, &s->isdbt.mer_object, &MEASURE_MER_PARAMS_ISDBT);
        MEASURE_BER_create_with(&scratch, &s->isdbt.vber_object, &MEASURE_BER_PARAMS_ISDBT_VBER);
        s->isdbt.cber_smoothing = MEASURE_BER_SMOOTHING_ISDBT_CBER;
        break;
    }
}

void DrvCXD2856_m_dvbt_set_default_measures(st_t_data_CXD2856* s)
{
    st_t_dvbt_CXD2856& t = s->dvbt;
    s->freq_offset = noOffset();
    t.status = eDEMOD_LOCK_STATUS_UNLOCKED;
    MEASURE_MER_CONSTELLATION_unlocked(&t.mer, &t.mer_object);
    MEASURE_BER_unlocked(&t.cber, &t.cber_object);
    MEASURE_BER_unlocked(&t.vber, &t.vber_object);
    resetPer(&t.per_object, &t.per);
}

void DrvCXD2856_m_dvbt2_set_default_measures(st_t_data_CXD2856* s)
{
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    s->freq_offset = noOffset();
    t.status = eDEMOD_LOCK_STATUS_UNLOCKED;
    fecDefaults(t.m);
}

void DrvCXD2856_m_dvbc2_set_default_measures(st_t_data_CXD2856* s)
{
    st_t_dvbc2_CXD2856& c = s->dvbc2;
    s->freq_offset = noOffset();
    c.status = eDEMOD_LOCK_STATUS_UNLOCKED;
    fecDefaults(c.m);
    c.m.ldpc_iterations = 0;
}

namespace {

void cableDefaults(st_t_data_CXD2856* s, st_t_dvbc_CXD2856& c)
{
    s->freq_offset = noOffset();
    c.status = eDEMOD_LOCK_STATUS_UNLOCKED;
    MEASURE_MER_unlocked(&c.mer, &c.mer_object);
    MEASURE_BER_unlocked(&c.cber, &c.cber_object);
    resetPer(&c.per_object, &c.per);
}

} // namespace

void DrvCXD2856_m_dvbc_set_default_measures(st_t_data_CXD2856* s) { cableDefaults(s, s->dvbc); }

void DrvCXD2856_m_annexb_set_default_measures(st_t_data_CXD2856* s) { cableDefaults(s, s->annexb); }

void DrvCXD2856_m_dvbs_set_default_measures(st_t_data_CXD2856* s)
{
    st_t_dvbs_CXD2856& c = s->dvbs;
    s->freq_offset = noOffset();
    c.status = eDEMOD_LOCK_STATUS_UNLOCKED;
    MEASURE_MER_unlocked(&c.mer, &c.mer_object);
    MEASURE_BER_unlocked(&c.cber, &c.cber_object);
    MEASURE_BER_unlocked(&c.s2_cber, &c.cber_object);
    resetPer(&c.per_object, &c.per);
}

void DrvCXD2856_m_isdbt_set_default_measures(st_t_data_CXD2856* s)
{
    st_t_isdbt_CXD2856& t = s->isdbt;
    s->freq_offset = noOffset();
    t.status = eDEMOD_LOCK_STATUS_UNLOCKED;
    MEASURE_MER_unlocked(&t.mer, &t.mer_object);
    t.cber.status = eRANGE_below;
    t.cber.value.f32 = 1e-6f;
    MEASURE_BER_unlocked(&t.vber, &t.vber_object);
    resetPer(&t.per_object, &t.per);
    t.tmcc_locked = 0;
}
