// What the DVB-T2 and DVB-C2 operations share beside their measures record: restarting the
// measures when the tasks are armed, the MER of one carrier through the DVB-T2 analysis
// unit, and the frequency offset of the DVB-T2 reader at a given elementary clock.
#pragma once

#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

namespace drvcxd2856 {

// Every post-processing object restarted and every result unlocked.
void restartFecMeasures(st_t_fec_measures_CXD2856& m);
// One carrier's MER, calibrated without clamping by table when the host allows the tables.
KxlDrvLibError* fecCarrierMer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer, uint32_t* status,
                              const t_mer_calibration_table* table, st_t_data_CXD2856* s);
// The carrier offset now, in kHz.
KxlDrvLibError* fecFreqOffset(KxlDrvLibError* err, double elementaryClockHz, int32_t* khz, st_t_data_CXD2856* s);

} // namespace drvcxd2856
