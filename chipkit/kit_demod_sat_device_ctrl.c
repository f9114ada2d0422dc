#include "kit_demod_sat_device_ctrl.h"

#include "kit_demod.h"

#include <string.h>

enum {
    BANK = 0xBB,
    REG_STATUS = 0x10,
    REG_REPLY_STATUS = 0x11,
    REG_REPLY_LENGTH = 0x12,
    REG_REPLY_DATA = 0x13,
    REG_TONE_SELECT_A = 0x30,
    REG_TONE_SELECT_B = 0x31,
    REG_START = 0x32,
    REG_COMMAND_ON = 0x33,
    REG_BURST_ON = 0x34,
    REG_BURST_KIND = 0x35,
    REG_TONE = 0x36,
    REG_REPEATS = 0x37,
    REG_REPEATS2 = 0x38,
    REG_TX_IDLE = 0x39,
    REG_REPLY_TIMEOUT = 0x3B,
    REG_LENGTH = 0x3D,
    REG_DATA = 0x3E,
    REG_LENGTH2 = 0x4A,
    REG_DATA2 = 0x4B,
    REG_RX_IDLE = 0x67,
    REG_REPLY_ENABLE = 0x6A,
    REG_REPLY_PATTERN = 0x6B,
    REG_REPLY_MASK = 0x6C,
    REG_R2R = 0x71,
    REG_REPLY_MODE = 0x74,
    REG_POLARITY = 0x75,
    REG_TXEN_MODE = 0x77,
    REG_RXEN_MODE = 0x78,
    REG_TXEN_BEFORE = 0x79,
    REG_TXEN_AFTER = 0x7B,
    REG_RXEN_DELAY = 0x7D,
    REPLY_RECEIVED = 0x08,
    COUNTS_PER_MS = 22,
    RX_IDLE_COUNTS_PER_MS = 220,
    TX_IDLE_COUNTS_LIMIT = 4096,
    WINDOW_COUNTS_LIMIT = 16384,
    PIN_RXEN = 9,
    PIN_TXEN = 8,
};

static kit_result_t usable(const kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

static kit_result_t writeIn(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t value)
{
    const kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, reg, value);
}

static kit_result_t writeEngine(kit_demod_t* demod, uint8_t reg, uint8_t value)
{
    kit_result_t r = usable(demod);
    return r != KIT_RESULT_OK ? r : writeIn(demod, BANK, reg, value);
}

// A 16-bit count, high byte first.
static kit_result_t writeCount(kit_demod_t* demod, uint8_t reg, uint32_t count)
{
    const uint8_t data[2] = {(uint8_t)(count >> 8), (uint8_t)count};
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, BANK);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, reg, data, 2);
}

static kit_result_t saved(kit_demod_t* demod, uint8_t reg, uint8_t value)
{
    return kit_demod_SetAndSaveRegisterBits(demod, demod->slvtAddress, BANK, reg, value, 0xFF);
}

static kit_result_t savedCount(kit_demod_t* demod, uint8_t reg, uint32_t count)
{
    const kit_result_t r = saved(demod, reg, (uint8_t)(count >> 8));
    return r != KIT_RESULT_OK ? r : saved(demod, (uint8_t)(reg + 1), (uint8_t)count);
}

// ms as register counts; 1 when they do not fit under limit.
static kit_result_t counts(uint32_t ms, uint32_t perMs, uint32_t limit, uint32_t* out)
{
    const uint64_t v = (uint64_t)ms * perMs;
    if (v >= limit)
        return KIT_RESULT_ERROR_ARG;
    *out = (uint32_t)v;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_sat_device_ctrl_Enable(kit_demod_t* demod, uint8_t on)
{
    kit_result_t r = usable(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x80, on ? 0x00 : 0x20, 0x20);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x9C, on ? 0x40 : 0x00);
}

kit_result_t kit_demod_sat_device_ctrl_DSQOUTSetting(kit_demod_t* demod, uint8_t polarity, uint32_t toneKHz)
{
    kit_result_t r = usable(demod);
    if (r != KIT_RESULT_OK)
        return r;
    if (toneKHz != 22 && toneKHz != 44)
        return KIT_RESULT_ERROR_RANGE;
    if (polarity > 1)
        return KIT_RESULT_ERROR_ARG;
    if (toneKHz == 44) {
        r = saved(demod, REG_TONE_SELECT_A, 0x02);
        if (r == KIT_RESULT_OK)
            r = saved(demod, REG_TONE_SELECT_B, 0x21);
    }
    return r != KIT_RESULT_OK ? r : saved(demod, REG_POLARITY, polarity);
}

kit_result_t kit_demod_sat_device_ctrl_RXENSetting(kit_demod_t* demod, uint8_t mode, uint32_t delayMs)
{
    kit_result_t r = usable(demod);
    uint32_t delay = 0;
    if (r != KIT_RESULT_OK)
        return r;
    if (mode > 3 || counts(delayMs, COUNTS_PER_MS, 0x10000, &delay) != KIT_RESULT_OK)
        return KIT_RESULT_ERROR_ARG;
    r = saved(demod, REG_RXEN_MODE, mode);
    return r != KIT_RESULT_OK ? r : savedCount(demod, REG_RXEN_DELAY, delay);
}

kit_result_t kit_demod_sat_device_ctrl_TXENSetting(kit_demod_t* demod, uint8_t mode, uint32_t beforeMs,
                                                   uint32_t afterMs)
{
    kit_result_t r = usable(demod);
    uint32_t before = 0, after = 0;
    if (r != KIT_RESULT_OK)
        return r;
    if (mode > 3 || counts(beforeMs, COUNTS_PER_MS, 0x10000, &before) != KIT_RESULT_OK ||
        counts(afterMs, COUNTS_PER_MS, 0x10000, &after) != KIT_RESULT_OK)
        return KIT_RESULT_ERROR_ARG;
    r = saved(demod, REG_TXEN_MODE, mode);
    if (r == KIT_RESULT_OK)
        r = savedCount(demod, REG_TXEN_BEFORE, before);
    return r != KIT_RESULT_OK ? r : savedCount(demod, REG_TXEN_AFTER, after);
}

kit_result_t kit_demod_sat_device_ctrl_OutputTone(kit_demod_t* demod, uint8_t on)
{
    return writeEngine(demod, REG_TONE, on ? 1 : 0);
}

kit_result_t kit_demod_sat_device_ctrl_SetToneBurst(kit_demod_t* demod, uint8_t burst)
{
    kit_result_t r = usable(demod);
    if (r != KIT_RESULT_OK)
        return r;
    if (burst > 2)
        return KIT_RESULT_ERROR_ARG;
    r = writeIn(demod, BANK, REG_BURST_ON, burst ? 0x01 : 0x00);
    if (r != KIT_RESULT_OK || burst == 0)
        return r;
    return kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_BURST_KIND, burst == 2 ? 0x01 : 0x00);
}

static kit_result_t writeMessage(kit_demod_t* demod, uint8_t lengthReg, const kit_diseqc_message_t* message)
{
    uint8_t data[KIT_DISEQC_MESSAGE_LENGTH_MAX];
    memset(data, 0, sizeof data);
    memcpy(data, message->data, message->length);
    kit_result_t r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, lengthReg, message->length);
    return r != KIT_RESULT_OK ? r
                              : kit_demod_WriteRegs(demod, KIT_DEMOD_SLVT, (uint8_t)(lengthReg + 1), data,
                                                    KIT_DISEQC_MESSAGE_LENGTH_MAX);
}

kit_result_t kit_demod_sat_device_ctrl_SetDiseqcCommand(kit_demod_t* demod, uint8_t on,
                                                        const kit_diseqc_message_t* message, uint32_t repeats,
                                                        const kit_diseqc_message_t* message2, uint32_t repeats2)
{
    kit_result_t r = usable(demod);
    if (r != KIT_RESULT_OK)
        return r;
    if (!on)
        return writeIn(demod, BANK, REG_COMMAND_ON, 0x00);
    const int second = message2 && repeats2 != 0;
    if (!message || repeats == 0 || repeats > 15 || repeats2 > 15 ||
        message->length > KIT_DISEQC_MESSAGE_LENGTH_MAX ||
        (second && message2->length > KIT_DISEQC_MESSAGE_LENGTH_MAX))
        return KIT_RESULT_ERROR_ARG;
    r = writeIn(demod, BANK, REG_COMMAND_ON, 0x01);
    if (r == KIT_RESULT_OK)
        r = writeMessage(demod, REG_LENGTH, message);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_REPEATS, (uint8_t)repeats);
    if (r == KIT_RESULT_OK && second)
        r = writeMessage(demod, REG_LENGTH2, message2);
    return r != KIT_RESULT_OK ? r
                              : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_REPEATS2, second ? (uint8_t)repeats2 : 0);
}

// A time the engine counts in perMs steps a ms, refused when the register cannot hold it.
static kit_result_t writeTime(kit_demod_t* demod, uint8_t reg, uint32_t ms, uint32_t perMs, uint32_t limit)
{
    kit_result_t r = usable(demod);
    uint32_t v = 0;
    if (r == KIT_RESULT_OK)
        r = counts(ms, perMs, limit, &v);
    return r != KIT_RESULT_OK ? r : writeCount(demod, reg, v);
}

kit_result_t kit_demod_sat_device_ctrl_SetTxIdleTime(kit_demod_t* demod, uint32_t ms)
{
    return writeTime(demod, REG_TX_IDLE, ms, COUNTS_PER_MS, TX_IDLE_COUNTS_LIMIT);
}

kit_result_t kit_demod_sat_device_ctrl_SetRxIdleTime(kit_demod_t* demod, uint32_t ms)
{
    return writeTime(demod, REG_RX_IDLE, ms, RX_IDLE_COUNTS_PER_MS, 0x10000);
}

kit_result_t kit_demod_sat_device_ctrl_SetR2RTime(kit_demod_t* demod, uint32_t ms)
{
    return writeTime(demod, REG_R2R, ms, COUNTS_PER_MS, WINDOW_COUNTS_LIMIT);
}

kit_result_t kit_demod_sat_device_ctrl_SetDiseqcReplyMode(kit_demod_t* demod, uint8_t on, uint32_t timeoutMs)
{
    kit_result_t r = usable(demod);
    if (r != KIT_RESULT_OK)
        return r;
    if (!on)
        return writeIn(demod, BANK, REG_REPLY_MODE, 0x00);
    uint32_t v = 0;
    r = counts(timeoutMs, COUNTS_PER_MS, WINDOW_COUNTS_LIMIT, &v);
    if (r == KIT_RESULT_OK)
        r = writeCount(demod, REG_REPLY_TIMEOUT, v);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_REPLY_ENABLE, 0x01);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_REPLY_MODE, 0x12);
}

kit_result_t kit_demod_sat_device_ctrl_SetDiseqcReplyMask(kit_demod_t* demod, uint8_t pattern, uint8_t mask)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = writeIn(demod, BANK, REG_REPLY_PATTERN, pattern);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_REPLY_MASK, mask);
}

kit_result_t kit_demod_sat_device_ctrl_StartTransmit(kit_demod_t* demod)
{
    return writeEngine(demod, REG_START, 0x01);
}

static kit_result_t readIn(kit_demod_t* demod, kit_demod_port_t port, uint8_t bank, uint8_t reg, uint8_t* data,
                           uint32_t length)
{
    const kit_result_t r = kit_demod_SetBank(demod, port, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_ReadRegs(demod, port, reg, data, length);
}

kit_result_t kit_demod_sat_device_ctrl_GetTransmitStatus(kit_demod_t* demod, uint8_t* status)
{
    if (!status)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = usable(demod);
    return r != KIT_RESULT_OK ? r : readIn(demod, KIT_DEMOD_SLVT, BANK, REG_STATUS, status, 1);
}

kit_result_t kit_demod_sat_device_ctrl_GetReplyMessage(kit_demod_t* demod, kit_diseqc_message_t* message)
{
    if (!message)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = usable(demod);
    uint8_t head[2] = {0, 0};
    if (r == KIT_RESULT_OK)
        r = readIn(demod, KIT_DEMOD_SLVT, BANK, REG_REPLY_STATUS, head, 2);
    if (r != KIT_RESULT_OK)
        return r;
    if (head[0] != REPLY_RECEIVED || head[1] > KIT_DISEQC_MESSAGE_LENGTH_MAX)
        return KIT_RESULT_ERROR_HW_STATE;
    uint8_t data[KIT_DISEQC_MESSAGE_LENGTH_MAX];
    if (head[1] > 0) {
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, REG_REPLY_DATA, data, head[1]);
        if (r != KIT_RESULT_OK)
            return r;
    }
    memset(message, 0, sizeof(*message));
    memcpy(message->data, data, head[1]);
    message->length = head[1];
    return KIT_RESULT_OK;
}

// Whether a pin carries function (GPIO 0-2, then TS pins 0-7, each enabled and set to it),
// then what the engine's mode register makes of it.
static kit_result_t pinMode(kit_demod_t* demod, uint8_t function, uint8_t modeReg, uint8_t* inUse)
{
    if (!inUse)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = usable(demod);
    uint8_t gpioDisable = 0, gpioFunction[3] = {0, 0, 0}, tsFunction[4] = {0, 0, 0, 0}, tsDisable = 0;
    if (r == KIT_RESULT_OK)
        r = readIn(demod, KIT_DEMOD_SLVX, 0x00, 0x82, &gpioDisable, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVX, 0xA3, gpioFunction, 3);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVX, 0xB3, tsFunction, 4);
    if (r == KIT_RESULT_OK)
        r = readIn(demod, KIT_DEMOD_SLVT, 0x00, 0x81, &tsDisable, 1);
    if (r != KIT_RESULT_OK)
        return r;
    int found = 0;
    for (int pin = 0; pin < 3; ++pin)
        found |= !((gpioDisable >> pin) & 1) && (gpioFunction[pin] & 0x0F) == function;
    for (int pin = 0; pin < 8; ++pin) {
        const uint8_t code = (uint8_t)((tsFunction[pin / 2] >> (pin % 2 ? 4 : 0)) & 0x0F);
        found |= !((tsDisable >> pin) & 1) && code == function;
    }
    if (!found) {
        *inUse = 0;
        return KIT_RESULT_OK;
    }
    uint8_t mode = 0;
    r = readIn(demod, KIT_DEMOD_SLVT, BANK, modeReg, &mode, 1);
    if (r != KIT_RESULT_OK)
        return r;
    if (mode > 3)
        return KIT_RESULT_ERROR_HW_STATE;
    *inUse = mode <= 1;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_sat_device_ctrl_GetRXENMode(kit_demod_t* demod, uint8_t* inUse)
{
    return pinMode(demod, PIN_RXEN, REG_RXEN_MODE, inUse);
}

kit_result_t kit_demod_sat_device_ctrl_GetTXENMode(kit_demod_t* demod, uint8_t* inUse)
{
    return pinMode(demod, PIN_TXEN, REG_TXEN_MODE, inUse);
}

kit_result_t kit_demod_sat_device_ctrl_EnableSinglecable(kit_demod_t* demod, uint8_t on)
{
    if (!demod)
        return KIT_RESULT_ERROR_ARG;
    demod->singleCable = on ? 1 : 0;
    return KIT_RESULT_OK;
}
