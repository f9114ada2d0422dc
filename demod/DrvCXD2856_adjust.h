// Reading the demodulator's adjustment blob: a little-endian, unaligned blob that starts
// with a common header (0x5B, version 16, power-on delay) followed by one standard's tables
// back to back in fixed slots. The parsers clamp what is out of range and report it; the
// update reads a blob through the host's reader and falls back to the compiled defaults
// when there is no reader or the blob is rejected.
#pragma once

#include "DrvCXD2856_host.h"
#include "DrvCXD2856_plugplag.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DRVCXD2856_TEXT_PP_HEADER "[CXD2856]->P&P header error."
#define DRVCXD2856_TEXT_PP_VERSION "[CXD2856]->P&P version error."
#define DRVCXD2856_TEXT_PP_DELAY "[CXD2856]->P&P power-on delay error."
#define DRVCXD2856_TEXT_PP_LINKMARGIN "[CXD2856]->Format error loading link margin table."
#define DRVCXD2856_TEXT_HEAP "[CXD2856]->Heap error."
#define DRVCXD2856_TEXT_HEAP_DVBT2 "[CXD2856] Heap error"
#define DRVCXD2856_TEXT_HEAP_DVBC2 "[CXD2856]->Heap Error."

enum {
    DRVCXD2856_PP_HEADER = 0x5B,
    DRVCXD2856_PP_VERSION = 16,
    // Blob buffers per standard, bytes.
    DRVCXD2856_PP_SIZE_DVBT = 65535,
    DRVCXD2856_PP_SIZE_DVBT2 = 5480,
    DRVCXD2856_PP_SIZE_DVBC = 3036, // DVB-S reads the DVB-C blob
    DRVCXD2856_PP_SIZE_DVBC2 = 1356,
    DRVCXD2856_PP_SIZE_ANNEXB = 3036,
    DRVCXD2856_PP_SIZE_ISDBT = 65535,
};

// The standard whose adjustment section a blob fills.
typedef enum eDrvCXD2856_pp_section {
    DRVCXD2856_PP_DVBT,
    DRVCXD2856_PP_DVBT2,
    DRVCXD2856_PP_DVBC, // DVB-C and DVB-S
    DRVCXD2856_PP_DVBC2,
    DRVCXD2856_PP_ANNEXB,
    DRVCXD2856_PP_ISDBT,
} eDrvCXD2856_pp_section;

// Header: 0x5B, 16, u16 power-on delay 0..5000 ms. A field off its rule is clamped and
// raises code 26, argument 2, unless err holds an error. The TS and external-board flags
// are not in the blob and are left as they are. Returns the position after the header.
const uint8_t* DrvCXD2856_load_common_configuration(st_t_plugplag_common_CXD2856* common, const uint8_t* position,
                                                    KxlDrvLibError* err);
// count s16 values, each clamped to -1000..1000; nothing for a count below 1.
const uint8_t* DrvCXD2856_load_linkmargin_table(int16_t* table, int32_t count, const uint8_t* position,
                                                KxlDrvLibError* err);

// One standard's tables, after the header; each returns the position after them.
// DVB-T: 42 constellation-MER configurations, 6 MER tables (20-pair slots), 15 link margins.
const uint8_t* DrvCXD2856_dvbt_load_configuration(st_t_plugplag_CXD2856* record, const uint8_t* position,
                                                  KxlDrvLibError* err);
// DVB-T2: 30 MER tables (20-pair slots), 128 link margins.
const uint8_t* DrvCXD2856_dvbt2_load_configuration(st_t_plugplag_CXD2856* record, const uint8_t* position,
                                                   KxlDrvLibError* err);
// DVB-C and DVB-S: 5 MER tables (32-pair slots), 5 link margins, 5 BER tables.
const uint8_t* DrvCXD2856_dvbc_load_configuration(st_t_plugplag_CXD2856* record, const uint8_t* position,
                                                  KxlDrvLibError* err);
// DVB-C2: 2 MER tables (20-pair slots), 26 link margins.
const uint8_t* DrvCXD2856_dvbc2_load_configuration(st_t_plugplag_CXD2856* record, const uint8_t* position,
                                                   KxlDrvLibError* err);
// J.83B: 2 MER tables (32-pair slots), 2 link margins, 2 BER tables.
const uint8_t* DrvCXD2856_annexb_load_configuration(st_t_plugplag_CXD2856* record, const uint8_t* position,
                                                    KxlDrvLibError* err);
// ISDB-T: 2 MER tables (20-pair slots) into the 6 MHz 2k and 4k places, 20 link margins.
const uint8_t* DrvCXD2856_isdbt_load_configuration(st_t_plugplag_CXD2856* record, const uint8_t* position,
                                                   KxlDrvLibError* err);

// The common block and the section from a blob or from the compiled defaults:
// - with a reader: a buffer of the section's size on the driver heap (code 10 with the
//   section's heap text when there is none, and then the reader is not called), filled by
//   the reader (its error is the record's), parsed (a header error stops it), freed;
// - the defaults are installed first, so the settings the blob does not carry keep them,
//   and again over whatever was parsed when any error was raised.
// Returns err: ok, or the first error of the load.
KxlDrvLibError* DrvCXD2856_update_adjustments(KxlDrvLibError* err, eDrvCXD2856_pp_section section,
                                              DrvCXD2856_adjust_reader_t reader, st_t_plugplag_CXD2856* record);

#ifdef __cplusplus
}
#endif
