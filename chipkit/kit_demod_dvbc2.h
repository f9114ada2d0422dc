// DVB-C2 on the demodulator. One register sequence cannot do it: the chip first finds the C2
// frame and its layer-1 signalling, and the tuner may have to move to the data slice. So
// besides the tune and sleep sequences this module offers the tune sequencer that the
// integration layer steps (waits and tuner moves are the caller's), the channel search in the
// same style, and the building blocks both share.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- Tune, sleep, lock, PLP -----------------------------------------------------------

// Bandwidth 6 or 8 MHz (else 3 before any write). From sleep: sleep-to-active; active on
// DVB-C2: output off and the band setting; active on another system: its sleep first.
kit_result_t kit_demod_dvbc2_Tune(kit_demod_t* demod, const kit_dvbc2_tune_param_t* param);
// The active-to-sleep sequence (kit_demod_Sleep calls it); state 2 or 3.
kit_result_t kit_demod_dvbc2_Sleep(kit_demod_t* demod);
// Locked at sync state 6; the TS check also needs TS lock. Early unlock gives "unlocked".
// Active on DVB-C2 only; a sync state of 7 gives 4.
kit_result_t kit_demod_dvbc2_CheckDemodLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);
kit_result_t kit_demod_dvbc2_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);
// Selects the data PLP. Active on DVB-C2 only.
kit_result_t kit_demod_dvbc2_SetPlpId(kit_demod_t* demod, uint8_t plpId);

// ---- Carrier words --------------------------------------------------------------------
// The chip counts frequencies in carriers of the bandwidth's carrier spacing from 0 Hz, in
// 24 bits. Other bandwidths give 8; a word beyond 24 bits (0xFFFFFE the highest) gives 1.

enum { KIT_DVBC2_CARRIER_WORD_MAX = 0xFFFFFE };

// The carrier word of a frequency, rounded to a multiple of 12 carriers.
kit_result_t kit_demod_dvbc2_CarrierWord(kit_dtv_bandwidth_t bandwidth, uint32_t kHz, uint32_t* word);
// The frequency of a carrier word.
kit_result_t kit_demod_dvbc2_CarrierWordFrequency(kit_dtv_bandwidth_t bandwidth, uint32_t word, uint32_t* kHz);

// ---- Building blocks of the sequencer and the search ------------------------------------

// Puts the acquisition back to its start: no data-slice preset, default filters.
kit_result_t kit_demod_dvbc2_ReleasePreset(kit_demod_t* demod);
// The data slice to receive at carrier word w (with the data slice and PLP ids of param),
// and the same as a preset the chip starts its acquisition from. Bank 0x50 selected first.
kit_result_t kit_demod_dvbc2_WriteDataSlice(kit_demod_t* demod, uint32_t word, uint8_t dataSliceId,
                                            uint8_t dataPlpId);
kit_result_t kit_demod_dvbc2_PresetDataSlice(kit_demod_t* demod, uint32_t word, uint8_t dataSliceId,
                                             uint8_t dataPlpId);
// The chip's first acquisition trial follows the spectrum sense and guard interval found.
kit_result_t kit_demod_dvbc2_Change1stTrial(kit_demod_t* demod);
// 1 in ready when the layer-1 part 2 data can be read. Reads outside the freeze; the caller
// freezes when it reads the data after it.
kit_result_t kit_demod_dvbc2_CheckL1DataReady(kit_demod_t* demod, uint8_t* ready);
// Writes the channel filter against adjacent channels (index 0..3, narrow to wide; else 1).
kit_result_t kit_demod_dvbc2_WriteACIFilter(kit_demod_t* demod, uint8_t index);

// The layer-1 part 2 header of the C2 system received, as the chip presents it in bank 0x52
// (one field per byte group, in the order of the signalling), with its notch list.
enum { KIT_DVBC2_NOTCHES_MAX = 15 };  // the notch count is four bits

typedef struct kit_dvbc2_notch_t {
    uint16_t start;  // in pilot spacings from the C2 system's start
    uint16_t width;  // in pilot spacings
} kit_dvbc2_notch_t;

typedef struct kit_dvbc2_l1_part2_t {
    uint16_t networkId;
    uint16_t c2SystemId;
    uint32_t startFrequency;  // carrier word of the system's start
    uint16_t c2Bandwidth;     // in pilot spacings
    uint8_t guardInterval;    // 0 1/128 (pilot spacing 24 carriers), 1 1/64 (12)
    uint16_t frameLength;
    uint8_t changeCounter;
    uint8_t numDataSlices;
    uint8_t numNotches;
    kit_dvbc2_notch_t notches[KIT_DVBC2_NOTCHES_MAX];
    uint8_t reservedTone;
} kit_dvbc2_l1_part2_t;

enum { KIT_DVBC2_GI_1_128 = 0, KIT_DVBC2_GI_1_64 = 1 };

// The bytes of the layer-1 view in bank 0x52: the header from 0x20, five bytes per notch
// from 0x4D, three from 0x98; a data slice's signalling from 0x2F and a PLP's from 0x3C.
enum {
    KIT_DVBC2_L1_HEADER_BYTES = 15,
    KIT_DVBC2_NOTCH_BYTES = 5,
    KIT_DVBC2_L1_TAIL_BYTES = 3,
    KIT_DVBC2_DATA_SLICE_BYTES = 13,
    KIT_DVBC2_PLP_BYTES = 16,
};

// Reads the header and the notches; the caller holds the freeze and has checked readiness.
kit_result_t kit_demod_dvbc2_ReadL1Part2(kit_demod_t* demod, kit_dvbc2_l1_part2_t* l1);
// The same from bytes already read (notches: as many as the header counts).
void kit_demod_dvbc2_DecodeL1Part2(const uint8_t* header, const uint8_t* notches, const uint8_t* tail,
                                   kit_dvbc2_l1_part2_t* l1);

// One data slice of the layer-1 part 2, in the order of EN 302 769.
typedef struct kit_dvbc2_data_slice_t {
    uint8_t id;
    uint16_t tunePosition; // in pilot spacings from the system's start
    int16_t offsetLeft;    // edges of the slice from its tuning position, in pilot spacings
    int16_t offsetRight;
    uint8_t tiDepth;
    uint8_t type;
    uint8_t fecHeaderType;
    uint8_t constConf;
    uint8_t leftNotch;
    uint8_t numPLPs;
} kit_dvbc2_data_slice_t;

// One PLP of a data slice.
typedef struct kit_dvbc2_plp_t {
    uint8_t id;
    uint8_t bundled;
    uint8_t type;
    uint8_t payloadType;
    uint16_t start;
    uint8_t fecType;    // 0 16K LDPC, 1 64K
    uint8_t modulation; // 1 16QAM ... 5 4096QAM
    uint8_t codeRate;   // 1 2/3 ... 5 the highest
    uint8_t reprocessing;
    uint16_t transportStreamId;
    uint16_t originalNetworkId;
} kit_dvbc2_plp_t;

// guardInterval (of the header) sizes the position and offset fields.
void kit_demod_dvbc2_DecodeDataSlice(const uint8_t* bytes, uint8_t guardInterval, kit_dvbc2_data_slice_t* slice);
void kit_demod_dvbc2_DecodePLP(const uint8_t* bytes, kit_dvbc2_plp_t* plp);
// Pilot spacing in carriers of a guard-interval code.
uint32_t kit_demod_dvbc2_PilotSpacing(uint8_t guardInterval);

// What the layer-1 view of bank 0x52 (and the id lists of banks 0x22 and 0x23) presents.
enum { KIT_DVBC2_L1_VIEW_DATA_SLICES = 0, KIT_DVBC2_L1_VIEW_DATA_SLICE = 1, KIT_DVBC2_L1_VIEW_PLP = 2 };
kit_result_t kit_demod_dvbc2_SelectL1View(kit_demod_t* demod, uint8_t view, uint8_t id);
// count ids of the id list the view presents (at most 255).
kit_result_t kit_demod_dvbc2_ReadL1IdList(kit_demod_t* demod, uint8_t* ids, uint32_t count);

// ---- Tune sequencer -----------------------------------------------------------------------
// The caller initialises the record, then until running is 0: writes the time into
// currentTimeMs, calls kit_demod_dvbc2_TuneSeq, moves the tuner to retuneFreqKHz when
// tunerRetune is set (and clears it), and waits waitMs when set (and clears it). A failing
// step ends the tune with its result; a sequence that ends by itself leaves its verdict in
// result (0 locked, 5 time-out, 6 unlock).

enum {
    KIT_DVBC2_TUNE_SEQ_STATE_START = 0,
    KIT_DVBC2_TUNE_SEQ_STATE_DIRECT = 1,       // no notch: tune the data slice at once
    KIT_DVBC2_TUNE_SEQ_STATE_SEARCH = 2,       // a notch: find the frame first
    KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT = 3,
    KIT_DVBC2_TUNE_SEQ_STATE_BASE_PRESET = 4,
    KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT_2 = 5,
    KIT_DVBC2_TUNE_SEQ_STATE_NOTCH_PRESET = 6,
    KIT_DVBC2_TUNE_SEQ_STATE_L1_WAIT_3 = 7,
    KIT_DVBC2_TUNE_SEQ_STATE_ACI = 8,
    KIT_DVBC2_TUNE_SEQ_STATE_DATA_SLICE = 9,
    KIT_DVBC2_TUNE_SEQ_STATE_LOCK_WAIT = 10,
    KIT_DVBC2_TUNE_SEQ_STATE_FIRST_TRIAL = 11,
    KIT_DVBC2_TUNE_SEQ_STATE_FINISH = 12,
};

// The layer-1 bytes the sequencer keeps: bank 0x50 registers 0x14-0x2A.
enum { KIT_DVBC2_L1_BUFFER_FIRST = 0x14, KIT_DVBC2_L1_BUFFER_SIZE = 23 };
// Waits of the sequencer and the search.
enum { KIT_DVBC2_WAIT_LIMIT_MS = 2000, KIT_DVBC2_POLL_MS = 10, KIT_DVBC2_L1_PART2_WAIT_LIMIT_MS = 1000 };

typedef struct kit_dvbc2_tune_seq_t {
    uint8_t running;
    uint8_t tunerRetune;
    uint32_t retuneFreqKHz;
    kit_result_t result;
    uint32_t waitMs;
    uint32_t currentTimeMs;
    uint32_t stateStartMs;
    uint32_t centerFreqKHz;
    kit_dtv_bandwidth_t bandwidth;
    const kit_dvbc2_tune_param_t* param;
    uint32_t state;
    uint8_t aciFilterIndex;  // 0..3
    uint16_t aciWord;
    uint16_t offsetWord;     // 16-bit two's complement
    uint8_t savedTrl[5];     // bank 0x20 registers 0x52-0x56
    uint8_t l1[KIT_DVBC2_L1_BUFFER_SIZE];
    uint32_t adjustedWord;
    uint32_t baseWord;
} kit_dvbc2_tune_seq_t;

// State 2 or 3; the record starts running in state 0, everything else 0.
kit_result_t kit_demod_dvbc2_InitTuneSeq(kit_demod_t* demod, const kit_dvbc2_tune_param_t* param,
                                         kit_dvbc2_tune_seq_t* seq);
// One step. State 2 or 3; a sequencer state above 12 gives 1. A layer-1 byte that puts a
// notch outside the carrier range, or its end before its start, gives 10.
kit_result_t kit_demod_dvbc2_TuneSeq(kit_demod_t* demod, kit_dvbc2_tune_seq_t* seq);

// ---- Channel search -----------------------------------------------------------------------
// What one frequency holds: the data slices and PLPs of the C2 system found there, as tune
// parameters, and where to look next. Driven like the tune sequencer; entries and notches
// come from pools in the record.

enum { KIT_DVBC2_SEARCH_ENTRIES_MAX = 64, KIT_DVBC2_DATA_SLICES_MAX = 255 };

enum {
    KIT_DVBC2_SEARCH_STATE_START = 0,
    KIT_DVBC2_SEARCH_STATE_PRESET = 1,
    KIT_DVBC2_SEARCH_STATE_LOCK_WAIT = 2,
    KIT_DVBC2_SEARCH_STATE_FIRST_TRIAL = 3,
    KIT_DVBC2_SEARCH_STATE_L1_WAIT = 4,
    KIT_DVBC2_SEARCH_STATE_L1_PART2 = 5,
    KIT_DVBC2_SEARCH_STATE_DATA_SLICES = 6,  // one selection of the layer-1 view per step
    KIT_DVBC2_SEARCH_STATE_FINISH = 7,
};

typedef struct kit_dvbc2_get_tune_params_seq_t {
    uint8_t running;
    uint8_t tunerRetune;
    uint32_t retuneFreqKHz;
    kit_result_t result;  // 0 found, 5 nothing found in time, 6 unlock, 11 more entries than the pool
    uint32_t waitMs;
    uint32_t currentTimeMs;
    uint32_t stateStartMs;
    uint32_t searchFreqKHz;
    kit_dtv_bandwidth_t bandwidth;
    uint32_t state;
    kit_dvbc2_tune_param_t tuneParam;  // the search's own tune

    kit_dvbc2_l1_part2_t l1;  // the C2 system found
    uint8_t dataSliceIds[KIT_DVBC2_DATA_SLICES_MAX];
    int16_t selection;        // data slice being read, -1 the data-slice list

    uint32_t entryCount;
    kit_dvbc2_tune_param_t entries[KIT_DVBC2_SEARCH_ENTRIES_MAX];
    uint32_t nextFreqKHz;     // where the next search starts
} kit_dvbc2_get_tune_params_seq_t;

// State 2 or 3; bandwidth 6 or 8 (else 8); frequency 0 gives 1.
kit_result_t kit_demod_dvbc2_InitGetTuneParamsSeq(kit_demod_t* demod, uint32_t searchFreqKHz,
                                                  kit_dtv_bandwidth_t bandwidth,
                                                  kit_dvbc2_get_tune_params_seq_t* seq);
kit_result_t kit_demod_dvbc2_GetTuneParamsSeq(kit_demod_t* demod, kit_dvbc2_get_tune_params_seq_t* seq);

#ifdef __cplusplus
}
#endif
