#include "DrvCXD2856_fec.h"

#include "DrvCXD2856_family.h"
#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_task_steps.h"

namespace drvcxd2856 {

void restartFecMeasures(st_t_fec_measures_CXD2856& m)
{
    MEASURE_MER_restart(&m.mer_object);
    MEASURE_BER_restart(&m.cber_object);
    MEASURE_BER_restart(&m.ldpc_object);
    MEASURE_ESR_restart(&m.esr_object);
    MEASURE_PER_restart(&m.per_object);
    MEASURE_MER_unlocked(&m.mer, &m.mer_object);
    MEASURE_BER_unlocked(&m.cber, &m.cber_object);
    MEASURE_BER_unlocked(&m.ldpcber, &m.ldpc_object);
    MEASURE_ESR_unlocked(&m.esr, &m.esr_object);
    MEASURE_PER_unlocked(&m.per, &m.per_object);
}

KxlDrvLibError* fecCarrierMer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer, uint32_t* status,
                              const t_mer_calibration_table* table, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    int32_t raw = 0;
    DrvCXD2856_m_dvbt2_read_mer_per_carrier(err, carrier, &raw, s);
    MeasureResult r{};
    MEASURE_MER_calibrate(&r, raw, 0, tablesAllowed(s) ? table : nullptr);
    copyMer(r, status, mer, s);
    return err;
}

KxlDrvLibError* fecFreqOffset(KxlDrvLibError* err, double elementaryClockHz, int32_t* khz, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    int32_t hz = 0;
    DrvCXD2856_m_dvbt2_read_frequency_offset(err, elementaryClockHz, &hz, s);
    if (khz)
        *khz = toKHz(hz);
    return err;
}

} // namespace drvcxd2856
