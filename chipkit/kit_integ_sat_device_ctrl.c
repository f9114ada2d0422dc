#include "kit_integ_sat_device_ctrl.h"

#include "kit_demod_sat_device_ctrl.h"
#include "kit_integ.h"
#include "kit_integ_sat_internal.h"
#include "kit_stopwatch_port.h"

#include <stddef.h>

enum {
    LNB_WAKE_UP_MS = 500,
    POLL_MS = 10,
    BURST_POLL_MS = 100,
    SEND_LIMIT_MS = 1000,
    REPLY_LIMIT_MS = 1400,
    TX_IDLE_MS = 41,
    RX_IDLE_MS = 5,
    R2R_MS = 400,
    REPLY_TIMEOUT_MS = 400,
    // Framing bytes of a reply: 0xE4 to 0xE7.
    REPLY_PATTERN = 0xE4,
    REPLY_MASK = 0x03,
    TX_WAIT_SENDING = 2,
    // While the LNB controller switches by itself there are no sleeps between polls on the
    // chip; here a poll a millisecond keeps the wait from spinning.
    SW_POLL_MS = 1,
    SW_START_LIMIT_MS = 500,
    SW_SEND_LIMIT_MS = 600,
    SW_REPLY_LIMIT_MS = 1400,
};

kit_result_t kit_integ_sat_CheckDeviceCtrl(const kit_integ_t* integ, int voltageByCaller)
{
    if (!integ || !integ->demod || !integ->lnbc || !integ->lnbc->SetVoltage)
        return KIT_RESULT_ERROR_ARG;
    const kit_demod_state_t state = integ->demod->state;
    if (integ->lnbc->tone != KIT_LNBC_TONE_AUTO || (voltageByCaller && integ->lnbc->voltage == KIT_LNBC_VOLTAGE_AUTO) ||
        (state != KIT_DEMOD_STATE_SLEEP && state != KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

kit_result_t kit_integ_sat_EnableDeviceCtrl(kit_integ_t* integ, uint8_t on)
{
    kit_result_t r = kit_demod_sat_device_ctrl_Enable(integ->demod, on);
    kit_lnbc_t* lnbc = integ->lnbc;
    if (r != KIT_RESULT_OK || !lnbc)
        return r;
    if (on && lnbc->WakeUp && lnbc->state == KIT_LNBC_STATE_SLEEP) {
        r = lnbc->WakeUp(lnbc);
        kit_stopwatch_t sw = {0};
        if (r == KIT_RESULT_OK)
            kit_stopwatch_sleep(&sw, LNB_WAKE_UP_MS);
    } else if (!on && lnbc->Sleep) {
        r = lnbc->Sleep(lnbc);
    }
    return r;
}

kit_result_t kit_integ_sat_PrepareTransmit(kit_integ_t* integ, const kit_integ_sat_transmit_t* t)
{
    kit_demod_t* demod = integ->demod;
    kit_result_t r = kit_demod_sat_device_ctrl_OutputTone(demod, 0);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_SetDiseqcCommand(demod, t->message != NULL, t->message, t->repeats,
                                                       t->message2, t->repeats2);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_SetToneBurst(demod, t->burst);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_SetTxIdleTime(demod, t->txIdleMs);
    if (r == KIT_RESULT_OK && t->rxIdleMs)
        r = kit_demod_sat_device_ctrl_SetRxIdleTime(demod, t->rxIdleMs);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_SetR2RTime(demod, t->r2rMs);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_SetDiseqcReplyMode(demod, t->replyTimeoutMs != 0, t->replyTimeoutMs);
    return r;
}

kit_result_t kit_integ_sat_WaitTransmit(kit_integ_t* integ, uint32_t intervalMs, uint32_t limitMs)
{
    kit_stopwatch_t sw;
    kit_stopwatch_start(&sw);
    for (;;) {
        kit_result_t r = kit_integ_CheckCancellation(integ);
        uint32_t elapsed = 0;
        uint8_t status = 0;
        kit_stopwatch_elapsed(&sw, &elapsed);
        if (r == KIT_RESULT_OK)
            r = kit_demod_sat_device_ctrl_GetTransmitStatus(integ->demod, &status);
        if (r != KIT_RESULT_OK)
            return r;
        if (status == 0)
            return KIT_RESULT_OK;
        if (elapsed > limitMs)
            return KIT_RESULT_ERROR_TIMEOUT;
        kit_stopwatch_sleep(&sw, intervalMs);
    }
}

// Polls until the status is (or, with leave set, is no longer) wanted; 5 once the stopwatch
// has passed limitMs.
static kit_result_t pollStatus(kit_integ_t* integ, kit_stopwatch_t* sw, uint8_t wanted, int leave, uint32_t limitMs)
{
    for (;;) {
        kit_result_t r = kit_integ_CheckCancellation(integ);
        uint8_t status = 0;
        uint32_t elapsed = 0;
        if (r == KIT_RESULT_OK)
            r = kit_demod_sat_device_ctrl_GetTransmitStatus(integ->demod, &status);
        if (r != KIT_RESULT_OK)
            return r;
        if ((status == wanted) != (leave != 0))
            return KIT_RESULT_OK;
        kit_stopwatch_elapsed(sw, &elapsed);
        if (elapsed > limitMs)
            return KIT_RESULT_ERROR_TIMEOUT;
        kit_stopwatch_sleep(sw, SW_POLL_MS);
    }
}

kit_result_t kit_integ_sat_WaitTransmitSW(kit_integ_t* integ)
{
    kit_lnbc_t* lnbc = integ->lnbc;
    if (!lnbc->SetTransmitMode)
        return KIT_RESULT_ERROR_ARG;
    kit_stopwatch_t sw;
    kit_stopwatch_start(&sw);
    kit_result_t r = pollStatus(integ, &sw, TX_WAIT_SENDING, 0, SW_START_LIMIT_MS);
    if (r == KIT_RESULT_OK)
        r = pollStatus(integ, &sw, TX_WAIT_SENDING, 1, SW_SEND_LIMIT_MS);
    if (r == KIT_RESULT_OK)
        r = lnbc->SetTransmitMode(lnbc, 1);
    if (r == KIT_RESULT_OK)
        r = pollStatus(integ, &sw, 0, 0, SW_REPLY_LIMIT_MS);
    return r != KIT_RESULT_OK ? r : lnbc->SetTransmitMode(lnbc, 0);
}

// ---- Operations ----

kit_result_t kit_integ_sat_device_ctrl_Disable(kit_integ_t* integ)
{
    if (!integ || !integ->demod)
        return KIT_RESULT_ERROR_ARG;
    const kit_demod_state_t state = integ->demod->state;
    if (state != KIT_DEMOD_STATE_SLEEP && state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    return kit_integ_sat_EnableDeviceCtrl(integ, 0);
}

static kit_result_t voltageAndTone(kit_integ_t* integ, uint8_t isVoltageHigh, uint8_t isToneOn)
{
    kit_result_t r = integ->lnbc->SetVoltage(integ->lnbc, isVoltageHigh ? KIT_LNBC_VOLTAGE_HIGH : KIT_LNBC_VOLTAGE_LOW);
    return r != KIT_RESULT_OK ? r : kit_demod_sat_device_ctrl_OutputTone(integ->demod, isToneOn);
}

kit_result_t kit_integ_sat_device_ctrl_SetVoltageTone(kit_integ_t* integ, uint8_t isVoltageHigh, uint8_t isToneOn)
{
    kit_result_t r = kit_integ_sat_CheckDeviceCtrl(integ, 1);
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_EnableDeviceCtrl(integ, 1);
    return r != KIT_RESULT_OK ? r : voltageAndTone(integ, isVoltageHigh, isToneOn);
}

// Voltage, start, wait for the end, then the tone as asked.
static kit_result_t send(kit_integ_t* integ, uint8_t isVoltageHigh, uint32_t intervalMs, uint32_t limitMs,
                         uint8_t isToneOn)
{
    kit_result_t r = integ->lnbc->SetVoltage(integ->lnbc, isVoltageHigh ? KIT_LNBC_VOLTAGE_HIGH : KIT_LNBC_VOLTAGE_LOW);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_StartTransmit(integ->demod);
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_WaitTransmit(integ, intervalMs, limitMs);
    return r != KIT_RESULT_OK ? r : kit_demod_sat_device_ctrl_OutputTone(integ->demod, isToneOn);
}

kit_result_t kit_integ_sat_device_ctrl_TransmitToneBurst(kit_integ_t* integ, uint8_t isVoltageHigh, uint8_t burst,
                                                         uint8_t isToneOn)
{
    kit_result_t r = kit_integ_sat_CheckDeviceCtrl(integ, 1);
    if (r != KIT_RESULT_OK)
        return r;
    if (burst > 2)
        return KIT_RESULT_ERROR_ARG;
    r = kit_integ_sat_EnableDeviceCtrl(integ, 1);
    if (r != KIT_RESULT_OK || burst == 0)
        return r != KIT_RESULT_OK ? r : voltageAndTone(integ, isVoltageHigh, isToneOn);
    const kit_integ_sat_transmit_t t = {NULL, 0, NULL, 0, burst, TX_IDLE_MS, 0, R2R_MS, 0};
    r = kit_integ_sat_PrepareTransmit(integ, &t);
    return r != KIT_RESULT_OK ? r : send(integ, isVoltageHigh, BURST_POLL_MS, SEND_LIMIT_MS, isToneOn);
}

kit_result_t kit_integ_sat_device_ctrl_TransmitDiseqcCommand(kit_integ_t* integ, uint8_t isVoltageHigh,
                                                             uint8_t burst, uint8_t isToneOn,
                                                             const kit_diseqc_message_t* message, uint32_t repeats,
                                                             const kit_diseqc_message_t* message2,
                                                             uint32_t repeats2)
{
    kit_result_t r = kit_integ_sat_CheckDeviceCtrl(integ, 1);
    if (r != KIT_RESULT_OK)
        return r;
    if (!message || repeats < 1 || repeats > 15 || repeats2 > 15 || burst > 2)
        return KIT_RESULT_ERROR_ARG;
    kit_integ_ClearAnsweredCancel(integ);
    r = kit_integ_sat_EnableDeviceCtrl(integ, 1);
    const kit_integ_sat_transmit_t t = {message, repeats, message2, repeats2, burst, TX_IDLE_MS, 0, R2R_MS, 0};
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_PrepareTransmit(integ, &t);
    const uint32_t sendings = repeats + (message2 ? repeats2 : 0);
    return r != KIT_RESULT_OK ? r : send(integ, isVoltageHigh, POLL_MS, SEND_LIMIT_MS * sendings, isToneOn);
}

kit_result_t kit_integ_sat_device_ctrl_TransmitDiseqcCommandWithReply(kit_integ_t* integ, uint8_t isVoltageHigh,
                                                                      uint8_t burst, uint8_t isToneOn,
                                                                      const kit_diseqc_message_t* command,
                                                                      kit_diseqc_message_t* reply)
{
    kit_result_t r = kit_integ_sat_CheckDeviceCtrl(integ, 1);
    if (r != KIT_RESULT_OK)
        return r;
    if (!command || !reply || burst > 2)
        return KIT_RESULT_ERROR_ARG;
    kit_integ_ClearAnsweredCancel(integ);
    kit_demod_t* demod = integ->demod;
    r = kit_integ_sat_EnableDeviceCtrl(integ, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_SetDiseqcReplyMask(demod, REPLY_PATTERN, REPLY_MASK);
    const kit_integ_sat_transmit_t t = {command, 1, NULL, 0, burst, TX_IDLE_MS, RX_IDLE_MS, R2R_MS, REPLY_TIMEOUT_MS};
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_PrepareTransmit(integ, &t);
    if (r == KIT_RESULT_OK)
        r = integ->lnbc->SetVoltage(integ->lnbc, isVoltageHigh ? KIT_LNBC_VOLTAGE_HIGH : KIT_LNBC_VOLTAGE_LOW);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_StartTransmit(demod);
    uint8_t rxen = 0;
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_GetRXENMode(demod, &rxen);
    if (r == KIT_RESULT_OK)
        r = rxen ? kit_integ_sat_WaitTransmit(integ, POLL_MS, REPLY_LIMIT_MS) : kit_integ_sat_WaitTransmitSW(integ);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_OutputTone(demod, isToneOn);
    return r != KIT_RESULT_OK ? r : kit_demod_sat_device_ctrl_GetReplyMessage(demod, reply);
}
