// The steps every standard's measurement tasks share: what a BER task does with a counter
// reading, what a PER task does with a packet count and its time stamp, and whether the
// host lets the adjustment tables be used.
#pragma once

#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_state.h"

#include <functional>

namespace drvcxd2856 {

inline bool locked(eDEMOD_LOCK_STATUS status) { return status == eDEMOD_LOCK_STATUS_TS_LOCKED; }

// The adjustment predicate's answer: tables are used unless it is there and answers 0.
bool tablesAllowed(const st_t_data_CXD2856* state);

struct BerStep {
    t_measure_ber* object;
    MeasureResult* result;
    uint32_t* bits;                 // per counting window
    int32_t merKey;                 // the current MER, keying the correction table
    const t_ber_correction_table* table; // none, or used when the tables are allowed
    std::function<uint32_t()> writeWindow; // programs the window on the first count; none: keep
};

// While locked: a valid count goes through the BER object (the first one also programs the
// counting window); without one, a result with no value yet becomes the upper bound.
// While not locked: the unlocked result.
void berStep(const st_t_data_CXD2856* state, eDEMOD_LOCK_STATUS status, const st_t_counter_CXD2856& counter,
             const BerStep& step);

// While locked: the frequency offset in Hz that read() gives, valid; else no value.
void offsetStep(st_t_data_CXD2856* state, eDEMOD_LOCK_STATUS status, const std::function<int32_t()>& read);

// While locked: reads the packet counter under the bus lock with its time stamp, and feeds
// a valid count with the time since the last one to the PER object.
void perStep(KxlDrvLibError* err, st_t_data_CXD2856* state, eDEMOD_LOCK_STATUS status, t_measure_per* object,
             t_per_result* result, const std::function<st_t_counter_CXD2856(KxlDrvLibError*)>& read);

} // namespace drvcxd2856
