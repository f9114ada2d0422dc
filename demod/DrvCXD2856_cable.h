// What DVB-C, J.83 Annex B and DVB-S share in the driver: the place of a QAM constellation in
// the cable tables, the scale of its outermost point, the sample read of bank 0x40, the
// symbol rate as the getters round it, and arming the MER, CBER and PER measures.
#pragma once

#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

#include <cstdint>

namespace drvcxd2856 {

// 16QAM 0, 32QAM 1, 64QAM 2, 128QAM 3, 256QAM 4; any other 2.
uint32_t qamIndex(uint32_t constellation);
// Outermost point of the constellation in the units of the sample read.
int16_t qamTopRight(uint32_t constellation);
// Two signed bytes at bank 0x40 register 0x47.
KxlDrvLibError* readQamSample(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled, st_t_data_CXD2856* s);
// Bd rounded to whole kBd, in Bd.
uint32_t roundedSymbolRate(uint32_t bd);
// The MER, CBER and PER objects restarted and their results unlocked.
void restartCableMeasures(st_t_dvbc_CXD2856& c);

} // namespace drvcxd2856
