// The list algorithms of the satellite searches: cutting a power spectrum at falling levels
// into areas and pairing areas into carrier candidates with a symbol-rate range, merging
// and pruning candidate lists, the bands no detected channel covers, and the orderings the
// searches try candidates in. Every entry comes from the search's pools; 11 when they run out.
#pragma once

#include "kit_demod_dvbs_s2_blindscan_data.h"

#ifdef __cplusplus
extern "C" {
#endif

// Cuts the power list at every levelStep from its highest power down to its lowest; areas
// between minWidth and maxWidth kHz (in pair mode also neighbouring areas taken together)
// of any level that lie within tolerance kHz of each other and whose widths agree make
// candidates, appended to out.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_wagiri(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                     const kit_demod_dvbs_s2_blindscan_power_t* power,
                                                     int32_t levelStep, uint32_t minWidth, uint32_t maxWidth,
                                                     uint32_t tolerance, int pairMode,
                                                     kit_demod_dvbs_s2_blindscan_data_t* out);
// Merges candidates of nearly the same frequency whose ranges overlap; each keeps the
// middle of its range as its estimate.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_delete_duplicated_area(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                                     kit_demod_dvbs_s2_blindscan_data_t* list,
                                                                     uint32_t tolerance);
// Candidates for carriers of minSymbolRate to maxSymbolRate ksps, their ranges clipped to
// that span (candidates left with no range are dropped), appended to out.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_GetCandidateNml(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                              const kit_demod_dvbs_s2_blindscan_power_t* power,
                                                              int32_t levelStep, uint32_t minSymbolRate,
                                                              uint32_t maxSymbolRate, uint32_t tolerance,
                                                              kit_demod_dvbs_s2_blindscan_data_t* out);
// The same in pair mode, on the spectrum as measured and then smoothed (in place) by a
// moving average of 250 points.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_GetCandidateMp(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                             kit_demod_dvbs_s2_blindscan_power_t* power,
                                                             int32_t levelStep, uint32_t minSymbolRate,
                                                             uint32_t maxSymbolRate, uint32_t tolerance,
                                                             kit_demod_dvbs_s2_blindscan_data_t* out);
// Each candidate becomes points 1000 kHz apart across its widest range.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_SeparateCandidate(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                                kit_demod_dvbs_s2_blindscan_data_t* list);
// Drops candidates strictly inside a detected channel.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_ReduceCandidate(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                              kit_demod_dvbs_s2_blindscan_data_t* list,
                                                              const kit_demod_dvbs_s2_blindscan_data_t* detected);
// Drops an entry when a later one has its frequency and rate.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                              kit_demod_dvbs_s2_blindscan_data_t* list);
// Keeps the first entry of each frequency.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_DeleteDuplicate2(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                               kit_demod_dvbs_s2_blindscan_data_t* list);
// Bands (start, end) of the points min, min + step ... max that no detected channel covers;
// a lone point is no band unless it is min itself. Appended to out.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_GetNonDetectedBand(kit_demod_dvbs_s2_blindscan_storage_t* storage,
                                                                 uint32_t minKHz, uint32_t maxKHz, uint32_t stepKHz,
                                                                 const kit_demod_dvbs_s2_blindscan_data_t* detected,
                                                                 kit_demod_dvbs_s2_blindscan_data_t* out);
// Stable sorts by distance from the reference rate or frequency.
kit_result_t kit_demod_dvbs_s2_blindscan_algo_SortBySymbolrate(kit_demod_dvbs_s2_blindscan_data_t* list,
                                                               uint32_t reference);
kit_result_t kit_demod_dvbs_s2_blindscan_algo_SortByFrequency(kit_demod_dvbs_s2_blindscan_data_t* list,
                                                              uint32_t reference);
// Whether freqKHz lies on a detected channel (its centre plus or minus half its rate,
// bounds included).
int kit_demod_dvbs_s2_blindscan_algo_IsDetected(const kit_demod_dvbs_s2_blindscan_data_t* detected, uint32_t freqKHz);

#ifdef __cplusplus
}
#endif
