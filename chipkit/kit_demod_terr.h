// What the three terrestrial standards (DVB-T, DVB-T2, ISDB-T) share: state checks, banked
// reads under the monitor freeze, the steps that wake the chip into a standard and put it
// back to sleep, the tuner filter sets, the lock rule over the sync state, error-rate and
// offset arithmetic that cannot overflow, and the trigger of the analysis point reads.
#pragma once

#include "kit_common.h"
#include "kit_demod.h"

#ifdef __cplusplus
extern "C" {
#endif

// Returns the result of a step that failed; for sequences with nothing to undo.
#define KIT_TRY(step)                                                                              \
    do {                                                                                           \
        const kit_result_t kitTryResult_ = (step);                                                 \
        if (kitTryResult_ != KIT_RESULT_OK)                                                        \
            return kitTryResult_;                                                                  \
    } while (0)

// ---- State and register access ----

// A null handle gives 1; a handle not active on system gives 3.
kit_result_t kit_demod_terr_CheckActive(const kit_demod_t* demod, kit_dtv_system_t system);
// A null handle gives 1; a handle neither asleep nor active gives 3.
kit_result_t kit_demod_terr_CheckAwake(const kit_demod_t* demod);

// Banked access on SLVT: the bank is selected first.
kit_result_t kit_demod_terr_Read(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* data, uint32_t length);
kit_result_t kit_demod_terr_Write(kit_demod_t* demod, uint8_t bank, uint8_t reg, const uint8_t* data,
                                  uint32_t length);
kit_result_t kit_demod_terr_WriteOne(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t value);

// A condition in the chip a monitor needs (locked, synchronised): 0 when it holds, 4 when
// not, or the failure of reading it.
typedef kit_result_t (*kit_demod_terr_ready_t)(kit_demod_t* demod);

// Freezes the monitors, checks ready (none when null), reads, and releases on every path.
kit_result_t kit_demod_terr_FrozenRead(kit_demod_t* demod, kit_demod_terr_ready_t ready, uint8_t bank, uint8_t reg,
                                       uint8_t* data, uint32_t length);

// ---- Sync state and lock (DVB-T and DVB-T2) ----

enum { KIT_DEMOD_TERR_SYNC_LOCKED = 6, KIT_DEMOD_TERR_SYNC_INVALID = 7 };

// Register 0x10 of bank: sync state bits 2-0, early unlock bit 4, TS lock bit 5. The flags
// are written even for the invalid sync state 7, which gives 4.
kit_result_t kit_demod_terr_SyncStat(kit_demod_t* demod, uint8_t bank, uint8_t* syncState, uint8_t* tsLock,
                                     uint8_t* earlyUnlock);
// The lock rule on that register: early unlock gives 2; sync state 6 (and, when needTsLock,
// the TS lock) gives 1; else 0. lock is 0 on any failure.
kit_result_t kit_demod_terr_CheckLock(kit_demod_t* demod, uint8_t bank, uint8_t needTsLock,
                                      kit_demod_lock_result_t* lock);

// The sync-state monitor and the lock checks of a standard on that register, with their
// argument and state checks (active on system).
kit_result_t kit_demod_terr_MonitorSyncStat(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank,
                                            uint8_t* syncState, uint8_t* tsLock, uint8_t* earlyUnlock);
kit_result_t kit_demod_terr_CheckLockOf(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank,
                                        uint8_t needTsLock, kit_demod_lock_result_t* lock);

// ---- Common monitors ----

// The 12-bit IF AGC value of registers 0x26-0x27 of bank.
kit_result_t kit_demod_terr_IFAGCOut(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint32_t* ifAgc);
// Bit 0 of reg, read under freeze once ready holds, flipped when the IF spectrum is inverted.
kit_result_t kit_demod_terr_SpectrumSense(kit_demod_t* demod, kit_dtv_system_t system, kit_demod_terr_ready_t ready,
                                          uint8_t bank, uint8_t reg, uint32_t* inverted);
// SNR (dB x 1000) from the chip's SNR register v: v' = min(v, cap), then
// 100 x (log10(v') - log10(total - v')) + offset; v = 0 gives 4.
kit_result_t kit_demod_terr_SNRFromRegister(uint32_t v, uint32_t cap, uint32_t total, int32_t offset, int32_t* snr);

// ---- Waking and sleeping ----

// What SLVX register 0x17 selects.
enum {
    KIT_DEMOD_TERR_CODE_SLEEP = 0x01,
    KIT_DEMOD_TERR_CODE_DVBT = 0x01,
    KIT_DEMOD_TERR_CODE_DVBT2 = 0x02,
    KIT_DEMOD_TERR_CODE_ISDBT = 0x06,
};

// Wakes the chip's core into the standard of code; ews keeps the TS generator stopped.
kit_result_t kit_demod_terr_WakeCore(kit_demod_t* demod, uint8_t code, uint8_t ews);
// The output side at the end of a start: TS output on (ews: off, pins tri-stated).
kit_result_t kit_demod_terr_OutputOn(kit_demod_t* demod, uint8_t ews);
// The output side at the start of a sleep: stopTs also stops the TS output.
kit_result_t kit_demod_terr_OutputOff(kit_demod_t* demod, uint8_t stopTs);
// Puts the core back to sleep (ews also clears the emergency-warning mode).
kit_result_t kit_demod_terr_SleepCore(kit_demod_t* demod, uint8_t ews);

// A standard's tune: handle and bandwidth checks (a bandwidth bandOk refuses gives 3 before
// the chip is touched, so a bad channel never leaves it half switched), then
// kit_demod_TuneSystem with the standard's start and retune sequences.
kit_result_t kit_demod_terr_Tune(kit_demod_t* demod, kit_dtv_system_t system, kit_dtv_bandwidth_t bandwidth,
                                 uint8_t bandOk, kit_demod_sequence_t start, kit_demod_sequence_t retune,
                                 const void* param);

// The 14-byte tuner filter set of a 5/6, 7 or 8 MHz channel (bank 0x10 registers
// 0xA6-0xB3); any other bandwidth gives 1 with nothing written.
kit_result_t kit_demod_terr_WriteFilterSet(kit_demod_t* demod, kit_dtv_bandwidth_t bandwidth);
// The IF frequency word, big-endian into bank 0x10 registers 0xB6-0xB8.
kit_result_t kit_demod_terr_WriteIFWord(kit_demod_t* demod, uint32_t word);

// ---- Arithmetic ----

// round(num / den), half up; den 0 gives 0.
uint64_t kit_demod_terr_DivRound(uint64_t num, uint64_t den);
// num / den rounded half away from zero; den must be positive.
int64_t kit_demod_terr_DivRoundSigned(int64_t num, int64_t den);
// An error ratio of count events in a window of events, times scale, rounded: a window of 0
// or a count the window cannot hold gives 4 (not ready) and leaves rate alone.
kit_result_t kit_demod_terr_ErrorRate(uint64_t count, uint64_t window, uint64_t scale, uint32_t* rate);
// A big-endian unsigned value of length (1..4) bytes.
uint32_t kit_demod_terr_BigEndian(const uint8_t* data, uint32_t length);

// The sampling-frequency offset of DVB-T and DVB-T2 from the tracked (0x52) and nominal
// (0x9F) five-byte words of bank, read under freeze once ready holds.
kit_result_t kit_demod_terr_SamplingOffset(kit_demod_t* demod, kit_demod_terr_ready_t ready, uint8_t bank,
                                           int32_t* offset);

// ---- BER and SNR history (bank 0x02) ----

// The rounded mean of the valid SNR register values of the history (24 bytes from 0x30:
// eight entries {bit 0 valid, 16-bit value}, up to the first invalid one); 4 when none.
kit_result_t kit_demod_terr_HistorySNR(kit_demod_t* demod, uint32_t* mean);
// Sums the error history (32 bytes from 0x10: eight entries {bit 7 valid, 23-bit error count,
// period exponent in bits 3-0 of the fourth byte}) up to the first invalid entry; 4 when
// none. With perEntry the window is sum(2^(p_i - p_min)) blocks of 2^p_min, *period = p_min;
// else n blocks of 2^period. errors and blocks count from there.
kit_result_t kit_demod_terr_HistoryErrors(const uint8_t* history, uint8_t perEntry, uint32_t* period,
                                          uint64_t* errors, uint64_t* blocks);

// ---- Analysis points ----

enum { KIT_DEMOD_TERR_POINT_POLLS = 60, KIT_DEMOD_TERR_POINT_POLL_MS = 10 };

// Asks the analysis unit of bank for point index (registers 0x98-0x99, trigger 0x9A) and
// polls length bytes from 0x9B every 10 ms until bit 6 of the first is set: 5 after 60
// polls without it.
kit_result_t kit_demod_terr_AnalysisPoint(kit_demod_t* demod, uint8_t bank, uint32_t index, uint8_t* data,
                                          uint32_t length);
// The point monitors of a standard (active on system), on the analysis unit of bank: a
// constellation point (14-bit fields when wide), a channel-spectrum and a delay-profile power.
kit_result_t kit_demod_terr_PointConstellation(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank,
                                               uint32_t index, uint8_t wide, int32_t* i, int32_t* q);
kit_result_t kit_demod_terr_PointSpectrum(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint32_t index,
                                          int32_t* power);
kit_result_t kit_demod_terr_PointDelay(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint32_t index,
                                       int32_t* power);
// The analysis unit's tap (register 0x97) and delay-profile switch (0xC3-0xC4: enable, mode).
kit_result_t kit_demod_terr_SetTap(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank, uint8_t tap);
kit_result_t kit_demod_terr_SetDelayProfileRegs(kit_demod_t* demod, kit_dtv_system_t system, uint8_t bank,
                                                uint8_t enable, uint8_t mode);

// I and Q of a constellation point (five bytes): 10-bit fields (bytes 1-2 and 3-4), or
// 14-bit when wide.
void kit_demod_terr_PointIQ(const uint8_t* data, uint8_t wide, int32_t* i, int32_t* q);
// Power of a channel-spectrum point (seven bytes, value in bytes 5-6), dB x 1000.
int32_t kit_demod_terr_SpectrumPower(const uint8_t* data);
// Power of a delay-profile point (seven bytes, a 30-bit value), dB x 1000; -50000 for none.
int32_t kit_demod_terr_DelayPower(const uint8_t* data);

enum { KIT_DEMOD_TERR_DELAY_LEVEL_FLOOR = -50000 };

#ifdef __cplusplus
}
#endif
