#include "kit_integ_singlecable.h"

#include "kit_demod.h"
#include "kit_demod_dvbs_s2.h"
#include "kit_demod_sat_device_ctrl.h"
#include "kit_integ.h"
#include "kit_integ_sat_internal.h"
#include "kit_singlecable_command.h"

#include <stddef.h>
#include <string.h>

enum {
    POLL_MS = 10,
    SEND_LIMIT_MS = 1000,
    REPLY_LIMIT_MS = 1400,
    TX_IDLE_MS = 15,
    RX_IDLE_MS = 5,
    R2R_MS = 0,
    REPLY_TIMEOUT_MS = 100,
    // EN 50607 replies.
    REPLY_PATTERN = 0x74,
    REPLY_MASK = 0x93,
    T2_MAX_MHZ = 2147,
    POWER_MARGIN = 999,  // 10 dB in 0.01 dB, exclusive
};

static kit_result_t usable(kit_integ_t* integ)
{
    const kit_result_t r = kit_integ_sat_CheckDeviceCtrl(integ, 0);
    if (r == KIT_RESULT_OK)
        kit_integ_ClearAnsweredCancel(integ);
    return r;
}

static kit_result_t lnbVoltage(kit_integ_t* integ, uint32_t voltage)
{
    return integ->lnbc->SetVoltage(integ->lnbc, voltage);
}

// Raises the LNB voltage for the sending unless a TXEN pin does the switching; a failure
// still tries to put it back low.
static kit_result_t raise(kit_integ_t* integ, uint8_t txen)
{
    if (txen)
        return KIT_RESULT_OK;
    const kit_result_t r = lnbVoltage(integ, KIT_LNBC_VOLTAGE_HIGH);
    if (r != KIT_RESULT_OK)
        lnbVoltage(integ, KIT_LNBC_VOLTAGE_LOW);
    return r;
}

// The lowering's failure wins over the sending's.
static kit_result_t lower(kit_integ_t* integ, uint8_t txen, kit_result_t sent)
{
    if (txen)
        return sent;
    const kit_result_t r = lnbVoltage(integ, KIT_LNBC_VOLTAGE_LOW);
    return r != KIT_RESULT_OK ? r : sent;
}

static kit_result_t send(kit_integ_t* integ, const kit_diseqc_message_t* message, int refuseTxen)
{
    if (!message)
        return KIT_RESULT_ERROR_ARG;
    uint8_t txen = 0;
    kit_result_t r = kit_integ_sat_EnableDeviceCtrl(integ, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_GetTXENMode(integ->demod, &txen);
    if (r == KIT_RESULT_OK && refuseTxen && txen)
        r = KIT_RESULT_ERROR_HW_STATE;
    const kit_integ_sat_transmit_t t = {message, 1, NULL, 0, 0, TX_IDLE_MS, 0, R2R_MS, 0};
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_PrepareTransmit(integ, &t);
    if (r == KIT_RESULT_OK)
        r = raise(integ, txen);
    if (r != KIT_RESULT_OK)
        return r;
    r = kit_demod_sat_device_ctrl_StartTransmit(integ->demod);
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_WaitTransmit(integ, POLL_MS, SEND_LIMIT_MS);
    return lower(integ, txen, r);
}

kit_result_t kit_integ_sat_SendSinglecable(kit_integ_t* integ, const kit_diseqc_message_t* message)
{
    return send(integ, message, 0);
}

kit_result_t kit_integ_sat_device_ctrl_TransmitSinglecableCommand(kit_integ_t* integ,
                                                                  const kit_diseqc_message_t* message)
{
    const kit_result_t r = usable(integ);
    return r != KIT_RESULT_OK ? r : send(integ, message, 0);
}

kit_result_t kit_integ_sat_device_ctrl_TransmitSinglecable2Command(kit_integ_t* integ,
                                                                   const kit_diseqc_message_t* message)
{
    const kit_result_t r = usable(integ);
    return r != KIT_RESULT_OK ? r : send(integ, message, 1);
}

kit_result_t kit_integ_sat_device_ctrl_TransmitSinglecable2CommandWithReply(kit_integ_t* integ,
                                                                            const kit_diseqc_message_t* command,
                                                                            kit_diseqc_message_t* reply)
{
    kit_result_t r = usable(integ);
    if (r != KIT_RESULT_OK)
        return r;
    if (!command || !reply)
        return KIT_RESULT_ERROR_ARG;
    kit_demod_t* demod = integ->demod;
    uint8_t txen = 0, rxen = 0;
    r = kit_demod_sat_device_ctrl_GetTXENMode(demod, &txen);
    if (r == KIT_RESULT_OK && txen)
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_EnableDeviceCtrl(integ, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_SetDiseqcReplyMask(demod, REPLY_PATTERN, REPLY_MASK);
    const kit_integ_sat_transmit_t t = {command, 1, NULL, 0, 0, TX_IDLE_MS, RX_IDLE_MS, R2R_MS, REPLY_TIMEOUT_MS};
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_PrepareTransmit(integ, &t);
    if (r == KIT_RESULT_OK)
        r = raise(integ, 0);
    if (r != KIT_RESULT_OK)
        return r;
    r = kit_demod_sat_device_ctrl_StartTransmit(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_GetRXENMode(demod, &rxen);
    if (r == KIT_RESULT_OK)
        r = rxen ? kit_integ_sat_WaitTransmit(integ, POLL_MS, REPLY_LIMIT_MS) : kit_integ_sat_WaitTransmitSW(integ);
    r = lower(integ, 0, r);
    return r != KIT_RESULT_OK ? r : kit_demod_sat_device_ctrl_GetReplyMessage(demod, reply);
}

// ---- The single-cable tuner ----

static kit_integ_singlecable_data_t* dataOf(kit_tuner_sat_t* tuner)
{
    return tuner ? (kit_integ_singlecable_data_t*)tuner->user : NULL;
}

static kit_result_t singlecableTunerInitialize(kit_tuner_sat_t* tuner)
{
    kit_integ_singlecable_data_t* d = dataOf(tuner);
    if (!d || !d->tunerSat)
        return KIT_RESULT_ERROR_ARG;
    return d->tunerSat->Initialize ? d->tunerSat->Initialize(d->tunerSat) : KIT_RESULT_OK;
}

static kit_result_t singlecableTunerSleep(kit_tuner_sat_t* tuner)
{
    kit_integ_singlecable_data_t* d = dataOf(tuner);
    if (!d || !d->tunerSat)
        return KIT_RESULT_ERROR_ARG;
    return d->tunerSat->Sleep ? d->tunerSat->Sleep(d->tunerSat) : KIT_RESULT_OK;
}

static kit_result_t singlecableTunerShutdown(kit_tuner_sat_t* tuner)
{
    kit_integ_singlecable_data_t* d = dataOf(tuner);
    if (!d || !d->tunerSat)
        return KIT_RESULT_ERROR_ARG;
    return d->tunerSat->Shutdown ? d->tunerSat->Shutdown(d->tunerSat) : KIT_RESULT_OK;
}

static kit_result_t singlecableTunerAGCLevel2AGCdB(kit_tuner_sat_t* tuner, uint32_t ifAgc, int32_t* agcDb)
{
    kit_integ_singlecable_data_t* d = dataOf(tuner);
    if (!d || !d->tunerSat || !d->tunerSat->AGCLevel2AGCdB)
        return KIT_RESULT_ERROR_ARG;
    return d->tunerSat->AGCLevel2AGCdB(d->tunerSat, ifAgc, agcDb);
}

static kit_result_t transmitOwnOr(kit_integ_singlecable_data_t* d, const kit_diseqc_message_t* message,
                                  int refuseTxen)
{
    return d->transmit ? d->transmit(d->integ, message) : send(d->integ, message, refuseTxen);
}

// Asks the outdoor unit for frequencyKHz in its user band, then tunes the real tuner to where
// the wanted signal lands there: the grid frequency g the unit converts and the user band's
// centre u, mirrored when the path inverts the spectrum.
static kit_result_t singlecableTunerTune(kit_tuner_sat_t* tuner, uint32_t frequencyKHz, kit_dtv_system_t system,
                                         uint32_t symbolRateKSps)
{
    kit_integ_singlecable_data_t* d = dataOf(tuner);
    if (!d || !d->tunerSat || !d->tunerSat->Tune || !d->integ || !d->integ->demod)
        return KIT_RESULT_ERROR_ARG;
    kit_diseqc_message_t message;
    kit_result_t r;
    int64_t g, u;
    if (d->version == KIT_SINGLECABLE_VERSION_EN50607) {
        uint32_t t = (uint32_t)(((uint64_t)frequencyKHz + 500) / 1000);
        if (t > T2_MAX_MHZ)
            t = T2_MAX_MHZ;
        r = d->isPin2 ? kit_singlecable2_command_ODU_Channel_change_PIN(&message, d->userband2, t, d->highNibble,
                                                                         d->lowNibble, d->pin2)
                      : kit_singlecable2_command_ODU_Channel_change(&message, d->userband2, t, d->highNibble,
                                                                    d->lowNibble);
        if (r == KIT_RESULT_OK)
            r = transmitOwnOr(d, &message, 1);
        g = (int64_t)t * 1000;
        u = (int64_t)d->ubFreqMHz * 1000;
    } else if (d->version == KIT_SINGLECABLE_VERSION_EN50494) {
        r = d->isMdu ? kit_singlecable_command_ODU_Channel_change_MDU(&message, (uint8_t)d->address,
                                                                       (uint8_t)d->userband, frequencyKHz,
                                                                       (uint8_t)d->bank, d->ubFreqKHz, d->pin)
                     : kit_singlecable_command_ODU_Channel_change(&message, (uint8_t)d->address, (uint8_t)d->userband,
                                                                  frequencyKHz, (uint8_t)d->bank, d->ubFreqKHz);
        if (r == KIT_RESULT_OK)
            r = transmitOwnOr(d, &message, 0);
        const int64_t t = ((int64_t)(message.data[3] & 0x03) << 8) | message.data[4];
        g = (t + 350) * 4000 - (int64_t)d->ubFreqKHz;
        u = d->ubFreqKHz;
    } else {
        return KIT_RESULT_ERROR_NOSUPPORT;
    }
    if (r != KIT_RESULT_OK)
        return r;
    const int inverted = d->integ->demod->satIQPolarity == 1;
    const int64_t offset = (int64_t)frequencyKHz - g;
    const int64_t tuneKHz = inverted ? u - offset : u + offset;
    if (tuneKHz <= 0 || tuneKHz > 0xFFFFFFFF)
        return KIT_RESULT_ERROR_RANGE;
    kit_tuner_sat_t* real = d->tunerSat;
    r = real->Tune(real, (uint32_t)tuneKHz, system, symbolRateKSps ? symbolRateKSps : real->symbolRateKSps);
    if (r != KIT_RESULT_OK)
        return r;
    const int64_t actual = real->frequencyKHz;
    tuner->frequencyKHz = (uint32_t)(inverted ? g + (u - actual) : g + (actual - u));
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_sat_device_ctrl_EnableSinglecable(kit_integ_t* integ, kit_integ_singlecable_tuner_t* tuner,
                                                         kit_integ_singlecable_transmit_t transmit)
{
    kit_result_t r = usable(integ);
    if (r != KIT_RESULT_OK)
        return r;
    if (!tuner || !integ->tunerSat || !integ->tunerSat->Initialize)
        return KIT_RESULT_ERROR_ARG;
    if (integ->demod->singleCable)
        return KIT_RESULT_OK;
    memset(tuner, 0, sizeof(*tuner));
    tuner->data.integ = integ;
    tuner->data.tunerSat = integ->tunerSat;
    tuner->data.version = KIT_SINGLECABLE_VERSION_NONE;
    tuner->data.transmit = transmit;
    tuner->tuner.Initialize = singlecableTunerInitialize;
    tuner->tuner.Tune = singlecableTunerTune;
    tuner->tuner.Sleep = singlecableTunerSleep;
    tuner->tuner.Shutdown = singlecableTunerShutdown;
    tuner->tuner.AGCLevel2AGCdB = singlecableTunerAGCLevel2AGCdB;
    tuner->tuner.symbolRateKSps = integ->tunerSat->symbolRateKSps;
    tuner->tuner.user = &tuner->data;
    integ->tunerSat = &tuner->tuner;
    return kit_demod_sat_device_ctrl_EnableSinglecable(integ->demod, 1);
}

kit_result_t kit_integ_sat_device_ctrl_DisableSinglecable(kit_integ_t* integ)
{
    kit_result_t r = usable(integ);
    if (r != KIT_RESULT_OK || !integ->demod->singleCable)
        return r;
    kit_integ_singlecable_data_t* d = dataOf(integ->tunerSat);
    if (!d || !d->tunerSat)
        return KIT_RESULT_ERROR_SW_STATE;
    integ->tunerSat = d->tunerSat;
    return kit_demod_sat_device_ctrl_EnableSinglecable(integ->demod, 0);
}

// The single-cable data of the current tuner; 3 when single-cable operation is off.
static kit_result_t singlecableData(kit_integ_t* integ, kit_integ_singlecable_data_t** d)
{
    kit_result_t r = usable(integ);
    if (r != KIT_RESULT_OK)
        return r;
    *d = integ->demod->singleCable ? dataOf(integ->tunerSat) : NULL;
    return *d ? KIT_RESULT_OK : KIT_RESULT_ERROR_SW_STATE;
}

kit_result_t kit_integ_sat_device_ctrl_SetSinglecableTunerParams(kit_integ_t* integ, uint32_t address,
                                                                 uint32_t bank, uint32_t userband,
                                                                 uint32_t ubFreqKHz, uint8_t isMdu, uint8_t pin)
{
    kit_integ_singlecable_data_t* d = NULL;
    const kit_result_t r = singlecableData(integ, &d);
    if (r != KIT_RESULT_OK)
        return r;
    d->address = address;
    d->bank = bank;
    d->userband = userband;
    d->ubFreqKHz = ubFreqKHz;
    d->isMdu = isMdu;
    d->pin = pin;
    d->version = KIT_SINGLECABLE_VERSION_EN50494;
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_sat_device_ctrl_SetSinglecable2TunerParams(kit_integ_t* integ, uint8_t userband,
                                                                  uint32_t ubFreqMHz, uint8_t highNibble,
                                                                  uint8_t lowNibble, uint8_t isPin, uint8_t pin)
{
    kit_integ_singlecable_data_t* d = NULL;
    const kit_result_t r = singlecableData(integ, &d);
    if (r != KIT_RESULT_OK)
        return r;
    d->userband2 = userband;
    d->ubFreqMHz = ubFreqMHz;
    d->highNibble = highNibble;
    d->lowNibble = lowNibble;
    d->isPin2 = isPin;
    d->pin2 = pin;
    d->version = KIT_SINGLECABLE_VERSION_EN50607;
    return KIT_RESULT_OK;
}

// ---- Searches ----

static kit_result_t searchUsable(kit_integ_t* integ)
{
    kit_result_t r = usable(integ);
    if (r != KIT_RESULT_OK)
        return r;
    const kit_tuner_sat_t* tuner = integ->tunerSat;
    if (!tuner || !tuner->Tune || !tuner->AGCLevel2AGCdB)
        return KIT_RESULT_ERROR_ARG;
    return integ->demod->singleCable ? KIT_RESULT_ERROR_SW_STATE : KIT_RESULT_OK;
}

// The tuner and the demodulator asleep after a search; the first failure wins.
static kit_result_t endSearch(kit_integ_t* integ, kit_result_t result)
{
    kit_result_t r = kit_integ_SatTunerSleep(integ);
    if (r == KIT_RESULT_OK)
        r = kit_demod_dvbs_s2_Sleep(integ->demod);
    return result != KIT_RESULT_OK ? result : r;
}

static kit_result_t find1ubStep(void* seq)
{
    return kit_demod_sat_device_ctrl_find1ub_seq_Sequence((kit_demod_sat_device_ctrl_find1ub_seq_t*)seq);
}

kit_result_t kit_integ_sat_device_ctrl_Find1UB(kit_integ_t* integ, kit_demod_sat_device_ctrl_find1ub_seq_t* seq,
                                               uint32_t lowerKHz, uint32_t upperKHz, uint8_t userband,
                                               uint32_t* freqKHz)
{
    kit_result_t r = searchUsable(integ);
    if (r != KIT_RESULT_OK)
        return r;
    if (!seq || !freqKHz)
        return KIT_RESULT_ERROR_ARG;
    *freqKHz = 0;
    r = kit_demod_sat_device_ctrl_find1ub_seq_Initialize(seq, integ->demod, lowerKHz, upperKHz, userband);
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_RunSearch(integ, &seq->common, find1ubStep, seq, NULL, NULL);
    if (r != KIT_RESULT_OK)
        return r;
    r = endSearch(integ, seq->result);
    if (r != KIT_RESULT_OK)
        return r;
    // Nothing found is no frequency at all, never a stale one.
    if (seq->foundKHz == 0)
        return KIT_RESULT_ERROR_UNLOCK;
    *freqKHz = seq->foundKHz;
    return KIT_RESULT_OK;
}

static kit_result_t detectCwStep(void* seq)
{
    return kit_demod_sat_device_ctrl_detect_cw_seq_Sequence((kit_demod_sat_device_ctrl_detect_cw_seq_t*)seq);
}

static kit_result_t cwPower(kit_integ_t* integ, kit_demod_sat_device_ctrl_detect_cw_seq_t* seq, uint32_t freqKHz,
                            uint32_t rangeKHz, int32_t* power)
{
    kit_result_t r = kit_demod_sat_device_ctrl_detect_cw_seq_Initialize(seq, integ->demod, freqKHz, rangeKHz);
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_RunSearch(integ, &seq->common, detectCwStep, seq, NULL, NULL);
    if (r == KIT_RESULT_OK)
        *power = seq->power;
    return r;
}

kit_result_t kit_integ_sat_device_ctrl_DetectYesNo(kit_integ_t* integ, kit_demod_sat_device_ctrl_detect_cw_seq_t* seq,
                                                   uint32_t freqKHz, int32_t stepKHz, uint32_t range1,
                                                   uint32_t range2, uint8_t* result)
{
    kit_result_t r = searchUsable(integ);
    if (r != KIT_RESULT_OK)
        return r;
    const int64_t second = (int64_t)freqKHz + stepKHz;
    if (!seq || !result || second <= 0 || second > 0xFFFFFFFF)
        return KIT_RESULT_ERROR_ARG;
    int32_t first = 0, other = 0;
    r = cwPower(integ, seq, freqKHz, range1, &first);
    if (r == KIT_RESULT_OK)
        r = cwPower(integ, seq, (uint32_t)second, range2, &other);
    if (r != KIT_RESULT_OK)
        return r;
    *result = other - first > POWER_MARGIN ? 1 : first - other > POWER_MARGIN ? 0 : 2;
    return endSearch(integ, KIT_RESULT_OK);
}
