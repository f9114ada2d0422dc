// What the operation families of the demodulator driver share: the init that binds the kit
// handles and keeps the host's parameters, the adjustment update, power on and off, the
// event registrations of init-measures, the tuner callbacks as the searches call them, the
// IF words, the ending every look-for shares, and the copies the result getters hand out.
#pragma once

#include "DrvCXD2856_adjust.h"
#include "DrvCXD2856_state.h"
#include "DrvCXD2856_tasks.h"

#include "common/KxlDrvLibError.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace drvcxd2856 {

// Every standard reports MER within these link-margin limits and frequency offset.
constexpr int32_t kMaxLinkMargin = 400;
constexpr int32_t kMinLinkMargin = -400;
constexpr uint32_t kMaxFreqOffsetHz = 500000;
// The host runs the tick at this period, ms.
constexpr uint32_t kExecutionPeriodMs = 100;

// Keeps the host's parameters and the I2C channel, creates standard's post-processing
// objects (releasing every other standard's), binds the driver's I2C table and creates the
// integration handle with the null tuner (none when withTuner is false). A creation failure
// of the objects is not reported. Returns err.
KxlDrvLibError* initFamily(KxlDrvLibError* err, eDrvCXD2856_standard standard, const st_t_host_CXD2856& host,
                           uint32_t channel, bool withTuner, st_t_data_CXD2856* s);

// The adjustment data of section from reader (or the compiled defaults) into the record's
// adjustment data, the static one when the record has none. Returns err.
KxlDrvLibError* updateAdjusts(KxlDrvLibError* err, eDrvCXD2856_pp_section section, DrvCXD2856_adjust_reader_t reader,
                              st_t_data_CXD2856* s);

// The power-state query under the bus lock (a flag left at 0 waits the power-on delay and
// forces a full start), the common power-on, then an empty task table and status 0.
KxlDrvLibError* powerOn(KxlDrvLibError* err, eDEMOD_LOCK_STATUS* status, st_t_data_CXD2856* s);
// The chip asleep and the cancel flag cleared; the family resets its results after it.
KxlDrvLibError* sleep(KxlDrvLibError* err, st_t_data_CXD2856* s);
// The host's event registrations (without them the cancel flag is cleared), then an empty
// task table.
void registerEvents(st_t_data_CXD2856* s);

// IF word of the demodulator: IF / 48 MHz x 2^24, rounded; 0 for a negative IF.
uint32_t ifWord(int32_t hz);
// The tuner set for a signal type and bandwidth through the host's callback; its failure is
// kept in err. False when there is no callback.
bool configureTuner(KxlDrvLibError* err, uint32_t type, uint32_t bandwidthHz, st_t_data_CXD2856* s);
// The IF the host's callback reports (its failure kept in err), fallbackHz without one.
int32_t tunerIfHz(KxlDrvLibError* err, int32_t fallbackHz, st_t_data_CXD2856* s);
// How every look-for ends: status 12 sets *locked and switches the TS output on, any other
// status clears it and switches the output off.
void finishLookFor(KxlDrvLibError* err, eDEMOD_LOCK_STATUS status, uint8_t* locked, st_t_data_CXD2856* s);
// DVB-T and ISDB-T bandwidth candidates: the requested id, then, when it may try others,
// 7 and 8 after 6, 8 and 6 after 7, 7 and 6 after any other.
std::vector<uint32_t> terrestrialCandidates(uint32_t requested, bool automatic);
// A parameter the search found: kept when automatic, else compared with the one asked for, a
// difference giving mismatch in place of status.
uint32_t settleParameter(st_t_param_CXD2856& p, uint32_t found, uint32_t status, uint32_t mismatch);
// Polls cond every intervalMs until it holds on two looks confirmMs apart (one look with
// confirmMs 0); false once limitMs have passed without it, or when the cancel flag is set.
bool pollUntil(st_t_data_CXD2856* s, uint32_t intervalMs, uint32_t confirmMs, uint32_t limitMs,
               const std::function<bool()>& cond);

// The stored results as the getters hand them out; each returns the tick counter.
uint32_t copyMer(const MeasureResult& r, uint32_t* status, int32_t* mer, const st_t_data_CXD2856* s);
uint32_t copyBer(const MeasureResult& r, uint32_t* status, float* ber, const st_t_data_CXD2856* s);
uint32_t copyEsr(const t_esr_result& r, uint32_t* status, float* esr, uint32_t* seconds, const st_t_data_CXD2856* s);
uint32_t copyPer(const t_per_result& r, uint32_t* overflow, uint32_t* errors, uint64_t* ms,
                 const st_t_data_CXD2856* s);
// The stored lock status (returning the tick counter), and whether it is TS lock.
uint32_t statusOf(eDEMOD_LOCK_STATUS status, uint32_t* out, const st_t_data_CXD2856* s);
KxlDrvLibError* lockedOf(KxlDrvLibError* err, eDEMOD_LOCK_STATUS status, uint8_t* locked);
// The constellation scale getters' outputs.
KxlDrvLibError* topRight(KxlDrvLibError* err, int16_t iValue, int16_t qValue, int16_t* i, int16_t* q);
// The channel-response scale getters' outputs: first 0, last, the time per point.
KxlDrvLibError* responseScale(KxlDrvLibError* err, uint32_t last, double step, uint32_t* first, uint32_t* lastOut,
                              float* stepOut);
// DVB-T and ISDB-T: last points (divided by 8 when decimating), each (Tu + 1.5) / 3 / points
// of the guard unit.
KxlDrvLibError* ofdmResponseScale(KxlDrvLibError* err, uint32_t points, uint32_t decimate, uint32_t tuNs,
                                  uint32_t* first, uint32_t* last, float* step);
// MER minus the required MER of the modulation; status 3 while not locked when lockTest.
uint32_t linkMargin(const MeasureResult& mer, int32_t required, bool unlocked, uint32_t* status, int32_t* lm,
                    const st_t_data_CXD2856* s);
// Hz to kHz, rounded half up and truncated toward zero: 1500 gives 2, -1499 gives 0.
int32_t toKHz(int32_t hz);
// The column of a code rate (eCODE_RATE_TYPE) in the DVB-T and ISDB-T link-margin tables:
// 1/2, 2/3, 3/4, 5/6, 7/8, any other as 2/3.
uint32_t rateColumn(uint32_t codeRate);
// The span of the echo diagram for a guard interval of tgNs: ((Tg x 1.1) / 50000 + 1) x 500,
// at least minimum.
int32_t echoesScale(uint32_t tgNs, int32_t minimum);
// The parameters of a pair, its automatic flag in *automatic; a value the chip always reports
// gives 1 as its flag.
uint32_t pairValue(const st_t_param_CXD2856& p, uint8_t* automatic);
uint32_t reportedValue(uint32_t value, uint8_t* flag);
// The maximum of a MER calibration table (500 without one), and the least MER any standard
// reports.
int32_t maxMer(const t_mer_calibration_table* table);
int32_t minMer();

} // namespace drvcxd2856
