// Single-cable operation of the integration layer: sending EN 50494 and EN 50607 commands
// over the DiSEqC engine, the single-cable tuner that wraps the real satellite tuner and
// asks the outdoor unit for the channel before every tune, and two searches on the
// satellite spectrum: where one user band lies, and whether a CW carrier is there.
#pragma once

#include "kit_common.h"
#include "kit_demod_sat_device_ctrl_detect_cw_seq.h"
#include "kit_demod_sat_device_ctrl_find1ub_seq.h"
#include "kit_diseqc_command.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
    KIT_SINGLECABLE_VERSION_EN50494 = 0,
    KIT_SINGLECABLE_VERSION_EN50607 = 1,
    KIT_SINGLECABLE_VERSION_NONE = 2,
};

// A transmission of the caller's own, used instead of the built-in one.
typedef kit_result_t (*kit_integ_singlecable_transmit_t)(kit_integ_t* integ, const kit_diseqc_message_t* message);

typedef struct kit_integ_singlecable_data_t {
    kit_integ_t* integ;
    kit_tuner_sat_t* tunerSat;  // the real tuner
    uint32_t version;           // KIT_SINGLECABLE_VERSION_*
    // EN 50494.
    uint32_t address;
    uint32_t bank;         // 0..7
    uint32_t userband;     // 1..8
    uint32_t ubFreqKHz;
    uint8_t isMdu;         // PIN-protected commands
    uint8_t pin;
    // EN 50607.
    uint8_t userband2;     // 1..32
    uint32_t ubFreqMHz;
    uint8_t highNibble, lowNibble;
    uint8_t isPin2;
    uint8_t pin2;
    kit_integ_singlecable_transmit_t transmit;  // null: the built-in transmission
} kit_integ_singlecable_data_t;

// The tuner the integration layer sees while single-cable operation is on; its user pointer
// leads to the data, its frequency is the satellite frequency the real tuner now receives.
typedef struct kit_integ_singlecable_tuner_t {
    kit_tuner_sat_t tuner;
    kit_integ_singlecable_data_t data;
} kit_integ_singlecable_tuner_t;

// Every operation needs an LNB controller with a SetVoltage slot and every argument (else 1),
// the controller's tone left to the demodulator and the demodulator asleep or active (else
// 3), and clears the cancel flag.

// EN 50494: one sending, at high LNB voltage unless a TXEN pin switches the supply; the
// voltage is put back low even after a failed sending.
kit_result_t kit_integ_sat_device_ctrl_TransmitSinglecableCommand(kit_integ_t* integ,
                                                                  const kit_diseqc_message_t* message);
// EN 50607: the same; 4 when a TXEN pin is in use.
kit_result_t kit_integ_sat_device_ctrl_TransmitSinglecable2Command(kit_integ_t* integ,
                                                                   const kit_diseqc_message_t* message);
kit_result_t kit_integ_sat_device_ctrl_TransmitSinglecable2CommandWithReply(kit_integ_t* integ,
                                                                            const kit_diseqc_message_t* command,
                                                                            kit_diseqc_message_t* reply);
// Wraps the current satellite tuner (which must have an Initialize slot) in tuner and makes
// it the satellite tuner; nothing to do when single-cable operation is already on.
kit_result_t kit_integ_sat_device_ctrl_EnableSinglecable(kit_integ_t* integ, kit_integ_singlecable_tuner_t* tuner,
                                                         kit_integ_singlecable_transmit_t transmit);
// Back to the real tuner; 3 when the satellite tuner is no single-cable tuner.
kit_result_t kit_integ_sat_device_ctrl_DisableSinglecable(kit_integ_t* integ);
// The outdoor unit's settings; single-cable operation must be on (else 3).
kit_result_t kit_integ_sat_device_ctrl_SetSinglecableTunerParams(kit_integ_t* integ, uint32_t address,
                                                                 uint32_t bank, uint32_t userband,
                                                                 uint32_t ubFreqKHz, uint8_t isMdu, uint8_t pin);
kit_result_t kit_integ_sat_device_ctrl_SetSinglecable2TunerParams(kit_integ_t* integ, uint8_t userband,
                                                                  uint32_t ubFreqMHz, uint8_t highNibble,
                                                                  uint8_t lowNibble, uint8_t isPin, uint8_t pin);
// Where user band 1..8 of an EN 50494 outdoor unit lies between lowerKHz and upperKHz: 0 with
// its frequency, 6 and frequency 0 when none is found. Needs a satellite tuner that tunes and
// converts AGC values (else 1) and single-cable operation off (else 3).
kit_result_t kit_integ_sat_device_ctrl_Find1UB(kit_integ_t* integ, kit_demod_sat_device_ctrl_find1ub_seq_t* seq,
                                               uint32_t lowerKHz, uint32_t upperKHz, uint8_t userband,
                                               uint32_t* freqKHz);
// Compares the strongest power within range1 of freqKHz with that within range2 of freqKHz +
// stepKHz: 1 when the second is more than 10 dB above, 0 when more than 10 dB below, else 2.
kit_result_t kit_integ_sat_device_ctrl_DetectYesNo(kit_integ_t* integ, kit_demod_sat_device_ctrl_detect_cw_seq_t* seq,
                                                   uint32_t freqKHz, int32_t stepKHz, uint32_t range1,
                                                   uint32_t range2, uint8_t* result);

#ifdef __cplusplus
}
#endif
