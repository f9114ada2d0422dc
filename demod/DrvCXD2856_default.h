// The compiled adjustment defaults of the demodulator driver, in force whenever no
// adjustment blob is read or a blob is rejected. Each fills the common block or one
// standard's section of the record; the tables themselves live in the
// DrvCXD2856_default_<standard> files as data.
#pragma once

#include "DrvCXD2856_plugplag.h"

#ifdef __cplusplus
extern "C" {
#endif

// Power-on delay 600 ms, TS flag 1, external-board flag 1.
void DrvCXD2856_default_common_configuration(st_t_plugplag_CXD2856* record);
void DrvCXD2856_default_dvbt_configuration(st_t_plugplag_CXD2856* record);
void DrvCXD2856_default_dvbt2_configuration(st_t_plugplag_CXD2856* record);
// DVB-C and DVB-S share one section, so these two are the same.
void DrvCXD2856_default_dvbs_configuration(st_t_plugplag_CXD2856* record);
void DrvCXD2856_default_dvbc_configuration(st_t_plugplag_CXD2856* record);
void DrvCXD2856_default_dvbc2_configuration(st_t_plugplag_CXD2856* record);
void DrvCXD2856_default_annexb_configuration(st_t_plugplag_CXD2856* record);
// The four MER-to-BER tables have no source: they are left as they are (empty from start).
void DrvCXD2856_default_isdbt_configuration(st_t_plugplag_CXD2856* record);

#ifdef __cplusplus
}
#endif
