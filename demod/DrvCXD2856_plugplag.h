// The demodulator's adjustment data ("P&P"): three common settings and, per standard, the
// MER calibration tables, BER correction tables, DVB-T constellation-MER configurations and
// link-margin tables (required MER per modulation) that correct its measurements. One
// record serves every standard; each standard rewrites only its own section.
#pragma once

#include "measure_ber.h"
#include "measure_mer.h"
#include "measure_mer_constellation.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    // Table places per standard; the order of each is given beside its field.
    DRVCXD2856_DVBT_LM = 15,
    DRVCXD2856_DVBT_MER_CONSTELLATION = 42,
    DRVCXD2856_DVBT_MER_TABLES = 6,
    DRVCXD2856_DVBT2_MER_TABLES = 30,
    DRVCXD2856_DVBT2_LM = 128,
    DRVCXD2856_DVBC_TABLES = 5,
    DRVCXD2856_DVBC2_MER_TABLES = 2,
    DRVCXD2856_DVBC2_LM = 26,
    DRVCXD2856_ANNEXB_TABLES = 2,
    DRVCXD2856_ISDBT_LM = 20,
    DRVCXD2856_ISDBT_MER_TABLES = 9,
    DRVCXD2856_ISDBT_BER_TABLES = 4,
    // Link-margin values, tenths of a dB.
    DRVCXD2856_LM_MIN = -1000,
    DRVCXD2856_LM_MAX = 1000,
    // Power-on delay, ms.
    DRVCXD2856_POWERON_DELAY_MAX = 5000,
};

typedef struct st_t_plugplag_common_CXD2856 {
    uint16_t poweron_delay_ms;
    uint32_t ts_flag;
    uint8_t external_board;
} st_t_plugplag_common_CXD2856;

typedef struct st_t_plugplag_dvbt_CXD2856 {
    int16_t linkmargin[DRVCXD2856_DVBT_LM]; // [QPSK, 16QAM, 64QAM][1/2, 2/3, 3/4, 5/6, 7/8]
    // [6, 7, 8 MHz][2k, 8k][QPSK; 16QAM hierarchy none or 1, 2, 3; 64QAM hierarchy none or 1, 2, 3]
    t_mer_constellation_config mer_constellation[DRVCXD2856_DVBT_MER_CONSTELLATION];
    t_mer_calibration_table mer_table[DRVCXD2856_DVBT_MER_TABLES]; // [6, 7, 8 MHz][2k, 8k]
} st_t_plugplag_dvbt_CXD2856;

typedef struct st_t_plugplag_dvbt2_CXD2856 {
    // [1.7, 5, 6, 7, 8 MHz][1k, 2k, 4k, 8k, 16k, 32k]
    t_mer_calibration_table mer_table[DRVCXD2856_DVBT2_MER_TABLES];
    // [QPSK, 16QAM, 64QAM, 256QAM][1/3, 2/5, 1/2, 3/5, 2/3, 3/4, 4/5, 5/6][16K, 64K][rotation off, on]
    int16_t linkmargin[DRVCXD2856_DVBT2_LM];
} st_t_plugplag_dvbt2_CXD2856;

// DVB-C and DVB-S share this section: [16QAM, 32QAM, 64QAM, 128QAM, 256QAM].
typedef struct st_t_plugplag_dvbc_CXD2856 {
    t_mer_calibration_table mer_table[DRVCXD2856_DVBC_TABLES];
    int16_t linkmargin[DRVCXD2856_DVBC_TABLES];
    t_ber_correction_table ber_table[DRVCXD2856_DVBC_TABLES];
} st_t_plugplag_dvbc_CXD2856;

typedef struct st_t_plugplag_dvbc2_CXD2856 {
    t_mer_calibration_table mer_table[DRVCXD2856_DVBC2_MER_TABLES]; // [6 MHz, 8 MHz]
    int16_t linkmargin[DRVCXD2856_DVBC2_LM]; // [13 constellation and code-rate combinations][FEC type 0, other]
} st_t_plugplag_dvbc2_CXD2856;

// [64QAM, 256QAM] throughout.
typedef struct st_t_plugplag_annexb_CXD2856 {
    t_mer_calibration_table mer_table[DRVCXD2856_ANNEXB_TABLES];
    int16_t linkmargin[DRVCXD2856_ANNEXB_TABLES];
    t_ber_correction_table ber_table[DRVCXD2856_ANNEXB_TABLES];
} st_t_plugplag_annexb_CXD2856;

typedef struct st_t_plugplag_isdbt_CXD2856 {
    int16_t linkmargin[DRVCXD2856_ISDBT_LM]; // [QPSK, DQPSK, 16QAM, 64QAM][1/2, 2/3, 3/4, 5/6, 7/8]
    t_mer_calibration_table mer_table[DRVCXD2856_ISDBT_MER_TABLES]; // [6, 7, 8 MHz][2k, 4k, 8k]
    // MER-to-BER estimates [DQPSK, QPSK, 16QAM, 64QAM]: no source fills them.
    t_ber_correction_table ber_table[DRVCXD2856_ISDBT_BER_TABLES];
} st_t_plugplag_isdbt_CXD2856;

typedef struct st_t_plugplag_CXD2856 {
    st_t_plugplag_common_CXD2856 common;
    st_t_plugplag_dvbt_CXD2856 dvbt;
    st_t_plugplag_dvbt2_CXD2856 dvbt2;
    st_t_plugplag_dvbc_CXD2856 dvbc;
    st_t_plugplag_dvbc2_CXD2856 dvbc2;
    st_t_plugplag_annexb_CXD2856 annexb;
    st_t_plugplag_isdbt_CXD2856 isdbt;
} st_t_plugplag_CXD2856;

// The one record, zero until the first update of adjustments.
st_t_plugplag_CXD2856* DrvCXD2856_plugplag(void);

#ifdef __cplusplus
}
#endif
