// What the demodulator driver reads from the chip for its measurements and writes to size
// them: lock status and signalling per standard, the error counters and the writers of
// their counting windows, the one-carrier readers of the analysis unit, and the frequency
// offsets. Every reader follows the register-burst rule: the first error goes to err, a
// freeze it takes is released on every path, and with a failed read its outputs hold 0.
#pragma once

#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// An error counter: count valid (1) or not yet (0).
typedef struct st_t_counter_CXD2856 {
    uint8_t valid;
    uint32_t count;
} st_t_counter_CXD2856;

// ---- Windows --------------------------------------------------------------------------

// The exponent of a counting window of 2^e packets of packetBits bits that lasts about as
// long as `bits` at the signal's rate: the whole number of doublings (0 for fewer bits than
// one packet, and for none), no more than maxExponent nor than keeps packetBits x 2^e
// within 32 bits, so a window is never empty nor beyond the count's width.
uint32_t DrvCXD2856_window_exponent(uint64_t bits, uint32_t packetBits, uint32_t maxExponent);

// ---- DVB-T ----------------------------------------------------------------------------

// 12 TS lock; 4 synchronised (sync state 6) with the TPS found valid by the search; 2
// synchronised otherwise; 0 below sync state 6.
uint32_t DrvCXD2856_m_dvbt_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt_read_tps_data(KxlDrvLibError* err, st_t_dvbt_tps_CXD2856* tps,
                                              st_t_data_CXD2856* state);
// Mode eFFT_MODE (8k for any non-zero mode of the chip) and guard eGUARD_INTERVAL.
KxlDrvLibError* DrvCXD2856_m_dvbt_read_cofdm_parameters(KxlDrvLibError* err, uint32_t* mode, uint32_t* guard,
                                                      st_t_data_CXD2856* state);
// 1 when inverted.
KxlDrvLibError* DrvCXD2856_m_dvbt_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt_read_frequency_offset(KxlDrvLibError* err, int32_t* hz, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt_read_pre_viterbi_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                        st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt_read_pre_rs_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                   st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt_read_wrong_packets(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                   st_t_data_CXD2856* state);
// The pre-Reed-Solomon window for windowMs of the signal's rate after Viterbi (the block's
// parameters); returns the bits it counts, scaled by the HP code rate as the results expect.
uint32_t DrvCXD2856_m_dvbt_write_vber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* state);
// The analysis unit: its mode (chip measure mode) and the carrier it looks at.
KxlDrvLibError* DrvCXD2856_m_dvbt_write_measure_mode(KxlDrvLibError* err, uint32_t mode, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt_write_carrier(KxlDrvLibError* err, uint32_t carrier, st_t_data_CXD2856* state);
// One carrier's I/Q (10-bit signed), the carrier taken modulo the carriers of the mode.
// When the chip gives none, I and Q are 0 and *sampled (may be null) is 0: no point.
KxlDrvLibError* DrvCXD2856_m_dvbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                             uint8_t* sampled, st_t_data_CXD2856* state);
// One carrier's MER in tenths of a dB (0 when the chip gives none within 1000 ms).
KxlDrvLibError* DrvCXD2856_m_dvbt_read_mer_per_carrier(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                     st_t_data_CXD2856* state);
// The constellation-MER configuration of the block's bandwidth, mode, constellation and
// hierarchy (none when the adjustment data is missing).
const t_mer_constellation_config* DrvCXD2856_m_dvbt_get_mer_by_constellation_data(const st_t_data_CXD2856* state);
// The MER from a walk over the data carriers of the spectrum.
KxlDrvLibError* DrvCXD2856_m_dvbt_read_mer_by_constellation(KxlDrvLibError* err, MeasureResult* mer,
                                                          st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt_write_channelresponse_mode(KxlDrvLibError* err, uint32_t on,
                                                           st_t_data_CXD2856* state);

// ---- DVB-T2 and DVB-C2 ----------------------------------------------------------------

// 12 TS lock; 7 synchronised with the L1-post valid; 6 at sync state 4 or synchronised
// without it; 0 below sync state 4. Reads the sync state until it settles (25 ms apart).
uint32_t DrvCXD2856_m_dvbt2_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* state);
// The offset in Hz from the elementary clock of the given bandwidth id.
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_frequency_offset(KxlDrvLibError* err, double elementaryClockHz, int32_t* hz,
                                                       st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_current_plp_id(KxlDrvLibError* err, uint8_t* id, st_t_data_CXD2856* state);
// Iterations of the LDPC decoder; 0 reads as 1.
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_ldpc_interations(KxlDrvLibError* err, uint32_t* iterations,
                                                       st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_wrong_packets(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                    st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_clear_wrong_packets(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_pre_ldpc_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                      st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_pre_bch_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                     st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_post_bch_frame_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                            st_t_data_CXD2856* state);
// Restart a count: the window register is written once changed and once back.
KxlDrvLibError* DrvCXD2856_m_dvbt2_reset_pre_ldpc_system(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_reset_pre_bch_system(KxlDrvLibError* err, st_t_data_CXD2856* state);
// Counting windows; each returns the bits it counts. Pre-LDPC: 2^8 FEC frames (DVB-T2) or
// 2^4 (DVB-C2). Pre-BCH: DVB-T2 the frames of windowMs, DVB-C2 2^5 frames.
uint32_t DrvCXD2856_m_dvbt2_write_cber_window(KxlDrvLibError* err, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_m_dvbt2_write_ldpcber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_m_dvbc2_write_cber_window(KxlDrvLibError* err, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_m_dvbc2_write_ldpcber_window(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_write_measure_mode(KxlDrvLibError* err, uint32_t mode, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_write_carrier(KxlDrvLibError* err, uint32_t carrier, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_mer_per_carrier(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                      st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbt2_write_channelresponse_mode(KxlDrvLibError* err, uint32_t on,
                                                            st_t_data_CXD2856* state);
// DVB-C2: 12 TS lock; 9 synchronised with the layer 1 ready; 8 at sync state 4, or
// synchronised without it; 0 below sync state 4.
uint32_t DrvCXD2856_m_dvbc2_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* state);
// 1 when the layer-1 part 2 is ready. With keepFreeze, a ready read leaves the monitors
// frozen for the caller to read the layer 1 consistently (and release them).
uint8_t DrvCXD2856_m_dvbc2_read_if_l1_ready(KxlDrvLibError* err, uint32_t keepFreeze, st_t_data_CXD2856* state);
// The received PLP: FEC-type bit, modulation code, code-rate code.
KxlDrvLibError* DrvCXD2856_m_dvbc2_read_current_fec_type(KxlDrvLibError* err, uint32_t* type, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbc2_read_current_mod(KxlDrvLibError* err, uint32_t* mod, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbc2_read_current_cod(KxlDrvLibError* err, uint32_t* cod, st_t_data_CXD2856* state);
// The decoded L1-post records the block owns: freed, pointers cleared.
void DrvCXD2856_dvbt2_free_l1_post(st_t_dvbt2_CXD2856* block);
void DrvCXD2856_dvbc2_free_l1_part2(st_t_dvbc2_CXD2856* block);

// ---- DVB-C, J.83 Annex B, DVB-S/S2 ----------------------------------------------------

// 12 TS lock; 3 AR lock without TS lock; 0 no AR lock.
uint32_t DrvCXD2856_m_dvbc_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_m_annexb_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* state);
// 12 TS lock, else 0.
uint32_t DrvCXD2856_m_dvbs_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* state);
// The same readers on the static record.
uint32_t public_dvbc_read_signal_status(KxlDrvLibError* err);
uint32_t public_dvbs_read_signal_status(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbc_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_annexb_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* state);
// eCONSTELLATION_TYPE: DVB-C 16QAM ... 256QAM (64QAM for a code it does not know), J.83B
// 64QAM or 256QAM.
KxlDrvLibError* DrvCXD2856_m_dvbc_read_constellation(KxlDrvLibError* err, uint32_t* constellation,
                                                   st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_annexb_read_constellation(KxlDrvLibError* err, uint32_t* constellation,
                                                     st_t_data_CXD2856* state);
// Bd: the integer part and the signed fraction of the chip's symbol-rate words.
KxlDrvLibError* DrvCXD2856_m_dvbc_read_symbolrate(KxlDrvLibError* err, int32_t* bd, st_t_data_CXD2856* state);
// DVB-C, J.83B and DVB-S: the carrier offset in Hz from bank 0x40.
KxlDrvLibError* DrvCXD2856_m_dvbc_read_frequency_offset(KxlDrvLibError* err, int32_t* hz, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbc_read_pre_rs_errors(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                   st_t_data_CXD2856* state);
// DVB-C, J.83B, DVB-S and DVB-S2: the errored packets since the last read.
KxlDrvLibError* DrvCXD2856_m_dvbc_read_wrong_packets(KxlDrvLibError* err, st_t_counter_CXD2856* c,
                                                   st_t_data_CXD2856* state);
// One MER reading in tenths of a dB at a constellation (the 32 and 128QAM scale differs);
// 0 when the chip has no noise estimate (a register of 0), which is no reading.
uint8_t DrvCXD2856_m_dvbc_read_mer_sample(KxlDrvLibError* err, uint32_t constellation, int32_t* mer,
                                        st_t_data_CXD2856* state);
// The pre-Reed-Solomon windows for windowMs of the block's rate before Reed-Solomon
// (204-byte packets for DVB-C, 188-byte ones for J.83B); each returns the bits it counts.
uint32_t DrvCXD2856_m_dvbc_write_cber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* state);
// The DVB-C one on the static record.
uint32_t DrvCXD2856_dvbc_write_cber_window(KxlDrvLibError* err, uint32_t windowMs);
uint32_t DrvCXD2856_m_annexb_write_cber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* state);

// ---- ISDB-T ---------------------------------------------------------------------------

// 12 TS lock; 2 demodulator lock only; 0 none.
uint32_t DrvCXD2856_m_isdbt_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_isdbt_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_isdbt_read_tmcc_info(KxlDrvLibError* err, st_t_isdbt_tmcc_CXD2856* tmcc,
                                                kit_isdbt_tmcc_info_t* kitTmcc, st_t_data_CXD2856* state);
// 2 (C) when layer C has 1..11 segments, else 1 (B) when layer B has 1..12, else 0 (A).
uint32_t DrvCXD2856_isdbt_get_highest_layer(const kit_isdbt_tmcc_info_t* tmcc);
// Interleaving length in symbols of the chip's length code in a mode (eFFT_MODE).
uint32_t DrvCXD2856_isdbt_translate_time_interleaving(uint32_t code, uint32_t mode);
// The pre-Reed-Solomon window: packets of windowMs at the signal's rate after Viterbi
// (the block's layer A parameters), written as the packet count of the measuring window;
// returns the bits it counts.
uint32_t DrvCXD2856_m_isdbt_write_vber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_isdbt_write_channelresponse_mode(KxlDrvLibError* err, uint32_t on,
                                                            st_t_data_CXD2856* state);

#ifdef __cplusplus
}
#endif
