#include "kit_demod.h"

#include "kit_demod_system.h"
#include "kit_i2c.h"
#include "kit_stopwatch_port.h"

#include <string.h>

enum {
    REG_BANK = 0x00,
    REG_FREEZE = 0x01,
    REG_CHIP_ID = 0xFD,
    REG_SOFT_RESET = 0xFE,
};

static const kit_demod_iffreq_config_t defaultIFFreq = {
    .dvbt5 = 0x133333, .dvbt6 = 0x133333, .dvbt7 = 0x166666, .dvbt8 = 0x19999A,
    .dvbt2_1_7 = 0x12AAAB, .dvbt2_5 = 0x133333, .dvbt2_6 = 0x133333, .dvbt2_7 = 0x166666, .dvbt2_8 = 0x19999A,
    .dvbc2_6 = 0x13BBBC, .dvbc2_8 = 0x1A2222,
    .dvbc6 = 0x13BBBC, .dvbc7 = 0x1A2222, .dvbc8 = 0x1A2222,
    .isdbt6 = 0x12EEEF, .isdbt7 = 0x162222, .isdbt8 = 0x195555,
    .j83b50 = 0x13BBBC, .j83b51 = 0x140000,
};

#define SLVX_STEP(reg, value, waitMs) {KIT_DEMOD_SLVX, (reg), (value), 0xFF, (waitMs)}

// Power-up before the crystal id (written between the two halves).
static const kit_demod_reg_step_t powerUpStart[] = {
    SLVX_STEP(REG_BANK, 0x00, 0), SLVX_STEP(0x10, 0x01, 0), SLVX_STEP(0x18, 0x01, 0),
    SLVX_STEP(0x28, 0x13, 0),     SLVX_STEP(0x17, 0x01, 0), SLVX_STEP(0x1D, 0x00, 0),
};
static const kit_demod_reg_step_t powerUpEnd[] = {
    SLVX_STEP(0x1C, 0x03, 4),
    SLVX_STEP(0x50, 0x00, 1),
    SLVX_STEP(0x10, 0x00, 1),
};
static const kit_demod_reg_step_t wakeFromShutdown[] = {
    SLVX_STEP(REG_BANK, 0x00, 0),
    SLVX_STEP(0x1C, 0x03, 4),
    SLVX_STEP(0x10, 0x00, 1),
};
static const kit_demod_reg_step_t shutdownFromSleep[] = {
    SLVX_STEP(REG_BANK, 0x00, 0),
    SLVX_STEP(0x10, 0x01, 0),
    SLVX_STEP(0x1C, 0x00, 0),
};

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))

static kit_result_t busResult(kit_result_t slotResult)
{
    return slotResult == KIT_RESULT_OK ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
}

static int inState(const kit_demod_t* demod, kit_demod_state_t lowest, kit_demod_state_t highest)
{
    return demod->state >= lowest && demod->state <= highest;
}

static void invalidate(kit_demod_t* demod)
{
    demod->state = KIT_DEMOD_STATE_INVALID;
    demod->system = KIT_DTV_SYSTEM_UNKNOWN;
}

// ---- Register access ----

uint8_t kit_demod_PortAddress(const kit_demod_t* demod, kit_demod_port_t port)
{
    return port == KIT_DEMOD_SLVX ? demod->slvxAddress : demod->slvtAddress;
}

kit_result_t kit_demod_WriteReg(kit_demod_t* demod, kit_demod_port_t port, uint8_t reg, uint8_t value)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    kit_i2c_t* i2c = demod->i2c;
    return busResult(i2c->WriteOneRegister(i2c, kit_demod_PortAddress(demod, port), reg, value));
}

kit_result_t kit_demod_SetBank(kit_demod_t* demod, kit_demod_port_t port, uint8_t bank)
{
    return kit_demod_WriteReg(demod, port, REG_BANK, bank);
}

kit_result_t kit_demod_WriteRegs(kit_demod_t* demod, kit_demod_port_t port, uint8_t reg, const uint8_t* data,
                                 uint32_t length)
{
    if (!demod || !demod->i2c || !data)
        return KIT_RESULT_ERROR_ARG;
    kit_i2c_t* i2c = demod->i2c;
    return busResult(i2c->WriteRegister(i2c, kit_demod_PortAddress(demod, port), reg, data, length));
}

kit_result_t kit_demod_ReadRegs(kit_demod_t* demod, kit_demod_port_t port, uint8_t reg, uint8_t* data,
                                uint32_t length)
{
    if (!demod || !demod->i2c || !data)
        return KIT_RESULT_ERROR_ARG;
    kit_i2c_t* i2c = demod->i2c;
    return busResult(i2c->ReadRegister(i2c, kit_demod_PortAddress(demod, port), reg, data, length));
}

kit_result_t kit_demod_WriteRegsInBank(kit_demod_t* demod, kit_demod_port_t port, uint8_t bank, uint8_t reg,
                                       const uint8_t* data, uint32_t length)
{
    const kit_result_t r = kit_demod_SetBank(demod, port, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteRegs(demod, port, reg, data, length);
}

kit_result_t kit_demod_ReadRegsInBank(kit_demod_t* demod, kit_demod_port_t port, uint8_t bank, uint8_t reg,
                                      uint8_t* data, uint32_t length)
{
    const kit_result_t r = kit_demod_SetBank(demod, port, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_ReadRegs(demod, port, reg, data, length);
}

// Consecutive registers from reg on, split so that no read passes what the binding carries.
static kit_result_t readRange(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* data, uint32_t length)
{
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, bank);
    for (uint32_t done = 0; r == KIT_RESULT_OK && done < length; done += KIT_DEMOD_READ_MAX) {
        const uint32_t left = length - done;
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, (uint8_t)(reg + done), data + done,
                               left < KIT_DEMOD_READ_MAX ? left : KIT_DEMOD_READ_MAX);
    }
    return r;
}

kit_result_t kit_demod_ReadIdList(kit_demod_t* demod, uint8_t* ids, uint32_t count)
{
    if (!ids || count > 255)
        return KIT_RESULT_ERROR_ARG;
    const uint32_t first = count > 128 ? 128 : count;
    kit_result_t r = first > 0 ? readRange(demod, 0x22, 0x80, ids, first) : KIT_RESULT_OK;
    if (r == KIT_RESULT_OK && count > first)
        r = readRange(demod, 0x23, 0x10, ids + first, count - first);
    return r;
}

kit_result_t kit_demod_SetRegBits(kit_demod_t* demod, kit_demod_port_t port, uint8_t reg, uint8_t value,
                                  uint8_t mask)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    return kit_i2c_SetRegisterBits(demod->i2c, kit_demod_PortAddress(demod, port), reg, value, mask);
}

kit_result_t kit_demod_WriteSequence(kit_demod_t* demod, const kit_demod_reg_step_t* steps, uint32_t count)
{
    if (!demod || (count > 0 && !steps))
        return KIT_RESULT_ERROR_ARG;
    for (uint32_t i = 0; i < count; ++i) {
        const kit_demod_reg_step_t* s = &steps[i];
        const kit_result_t r = kit_demod_SetRegBits(demod, (kit_demod_port_t)s->port, s->reg, s->value, s->mask);
        if (r != KIT_RESULT_OK)
            return r;
        if (s->waitMs) {
            kit_stopwatch_t sw = {0};
            kit_stopwatch_sleep(&sw, s->waitMs);
        }
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_MonitorFreeze(kit_demod_t* demod)
{
    return kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_FREEZE, 0x01);
}

kit_result_t kit_demod_MonitorRelease(kit_demod_t* demod, kit_result_t result)
{
    const kit_result_t r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_FREEZE, 0x00);
    return result != KIT_RESULT_OK ? result : r;
}

// ---- Saved registers ----

static kit_result_t writeBankAndBits(kit_demod_t* demod, uint8_t address, uint8_t bank, uint8_t reg, uint8_t value,
                                     uint8_t mask)
{
    kit_i2c_t* i2c = demod->i2c;
    if (i2c->WriteOneRegister(i2c, address, REG_BANK, bank) != KIT_RESULT_OK)
        return KIT_RESULT_ERROR_I2C;
    return kit_i2c_SetRegisterBits(i2c, address, reg, value, mask);
}

static void rememberRegister(kit_demod_t* demod, uint8_t address, uint8_t bank, uint8_t reg, uint8_t value,
                             uint8_t mask, kit_result_t* result)
{
    for (uint8_t i = 0; i < demod->savedRegisterCount; ++i) {
        kit_demod_saved_register_t* e = &demod->savedRegisters[i];
        if (e->address == address && e->bank == bank && e->reg == reg) {
            e->value = (uint8_t)((e->value & ~mask) | (value & mask));
            e->mask |= mask;
            return;
        }
    }
    if (demod->savedRegisterCount >= KIT_DEMOD_SAVED_REGISTERS_MAX) {
        *result = KIT_RESULT_ERROR_OVERFLOW;
        return;
    }
    kit_demod_saved_register_t* e = &demod->savedRegisters[demod->savedRegisterCount++];
    e->address = address;
    e->bank = bank;
    e->reg = reg;
    e->value = value & mask;
    e->mask = mask;
}

kit_result_t kit_demod_SetAndSaveRegisterBits(kit_demod_t* demod, uint8_t address, uint8_t bank, uint8_t reg,
                                              uint8_t value, uint8_t mask)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (!inState(demod, KIT_DEMOD_STATE_SHUTDOWN, KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = writeBankAndBits(demod, address, bank, reg, value, mask);
    if (r != KIT_RESULT_OK || mask == 0)
        return r;
    rememberRegister(demod, address, bank, reg, value, mask, &r);
    return r;
}

static kit_result_t replaySavedRegisters(kit_demod_t* demod)
{
    for (uint8_t i = 0; i < demod->savedRegisterCount; ++i) {
        const kit_demod_saved_register_t* e = &demod->savedRegisters[i];
        const kit_result_t r = writeBankAndBits(demod, e->address, e->bank, e->reg, e->value, e->mask);
        if (r != KIT_RESULT_OK)
            return r;
    }
    return KIT_RESULT_OK;
}

// ---- Life cycle ----

kit_result_t kit_demod_Create(kit_demod_t* demod, const kit_demod_create_param_t* createParam, kit_i2c_t* i2c)
{
    if (!demod || !createParam || !i2c)
        return KIT_RESULT_ERROR_ARG;
    memset(demod, 0, sizeof(*demod));
    demod->xtalId = createParam->xtalId;
    demod->slvtAddress = createParam->slvtAddress;
    demod->slvxAddress = (uint8_t)(createParam->slvtAddress + 4);
    demod->i2c = i2c;
    demod->tunerI2cMode = createParam->tunerI2cMode;
    demod->tunerI2cModeAtCreate = createParam->tunerI2cMode;
    demod->ifFreq = defaultIFFreq;
    demod->serialTsClockRow = 1;
    demod->tunerFilter = 1;
    demod->serialTsRate = 1;
    demod->satSerialTsRate = 1;
    demod->satIQPolarity = 1;
    demod->satSearch = 1;
    demod->tlvOutputSystem10 = 1;
    demod->serialTlvClockRow = 1;
    demod->tlvRateSerialDvbc2 = 1;
    demod->tlvRateSerialSystem10 = 1;
    demod->tlvRateParallelDvbc2 = 1;
    demod->tlvRateParallelSystem10 = 1;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_Initialize(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    demod->scanMode = 0;
    demod->state = KIT_DEMOD_STATE_UNKNOWN;
    demod->system = KIT_DTV_SYSTEM_UNKNOWN;
    demod->chipId = 0;
    demod->bandwidth = KIT_DTV_BW_UNKNOWN;
    demod->isdbtEwsState = 0;
    demod->satState = 0;

    kit_result_t r = kit_demod_WriteSequence(demod, powerUpStart, COUNT(powerUpStart));
    if (r != KIT_RESULT_OK)
        return r;
    if (demod->xtalId > KIT_DEMOD_XTAL_ID_MAX)
        return KIT_RESULT_ERROR_NOSUPPORT;
    r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVX, 0x14, (uint8_t)demod->xtalId);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteSequence(demod, powerUpEnd, COUNT(powerUpEnd));
    if (r != KIT_RESULT_OK)
        return r;

    demod->state = KIT_DEMOD_STATE_SLEEP;
    r = kit_demod_TunerI2cEnable(demod, demod->tunerI2cModeAtCreate);
    if (r == KIT_RESULT_OK) {
        r = kit_demod_ChipID(demod, &demod->chipId);
        if (r == KIT_RESULT_OK && demod->chipId != KIT_DEMOD_CHIP_ID_A && demod->chipId != KIT_DEMOD_CHIP_ID_B)
            r = KIT_RESULT_ERROR_NOSUPPORT;
    }
    if (r == KIT_RESULT_OK)
        r = replaySavedRegisters(demod);
    if (r != KIT_RESULT_OK)
        invalidate(demod);
    return r;
}

static kit_result_t sleepActiveSystem(kit_demod_t* demod)
{
    const kit_demod_system_ops_t* ops = kit_demod_SystemOps(demod->system);
    if (!ops)
        return KIT_RESULT_ERROR_SW_STATE;
    const kit_result_t r = ops->Sleep ? ops->Sleep(demod) : KIT_RESULT_ERROR_NOSUPPORT;
    if (r != KIT_RESULT_OK)
        invalidate(demod);
    return r;
}

kit_result_t kit_demod_Sleep(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = KIT_RESULT_OK;
    switch (demod->state) {
    case KIT_DEMOD_STATE_SHUTDOWN:
        r = kit_demod_WriteSequence(demod, wakeFromShutdown, COUNT(wakeFromShutdown));
        if (r == KIT_RESULT_OK)
            r = replaySavedRegisters(demod);
        if (r != KIT_RESULT_OK)
            invalidate(demod);
        break;
    case KIT_DEMOD_STATE_ACTIVE:
        r = sleepActiveSystem(demod);
        break;
    case KIT_DEMOD_STATE_SLEEP:
        break;
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
    if (r != KIT_RESULT_OK)
        return r;
    demod->state = KIT_DEMOD_STATE_SLEEP;
    demod->system = KIT_DTV_SYSTEM_UNKNOWN;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_Shutdown(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (!inState(demod, KIT_DEMOD_STATE_SHUTDOWN, KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = KIT_RESULT_OK;
    if (demod->state == KIT_DEMOD_STATE_ACTIVE)
        r = kit_demod_Sleep(demod);
    if (r == KIT_RESULT_OK && demod->state == KIT_DEMOD_STATE_SLEEP)
        r = kit_demod_WriteSequence(demod, shutdownFromSleep, COUNT(shutdownFromSleep));
    if (r != KIT_RESULT_OK) {
        invalidate(demod);
        return r;
    }
    demod->state = KIT_DEMOD_STATE_SHUTDOWN;
    demod->system = KIT_DTV_SYSTEM_UNKNOWN;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_TuneEnd(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = kit_demod_SoftReset(demod);
    if (r != KIT_RESULT_OK)
        return r;
    const int tlv = (demod->system == KIT_DTV_SYSTEM_RESERVED10 && demod->tlvOutputSystem10) ||
                    (demod->system == KIT_DTV_SYSTEM_DVBC2 && demod->tlvOutputDvbc2);
    if (tlv) {
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x01);
        return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xC0, 0x00);
    }
    return kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xC3, 0x00);
}

kit_result_t kit_demod_SoftReset(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (!inState(demod, KIT_DEMOD_STATE_SLEEP, KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, REG_SOFT_RESET, 0x01);
}

kit_result_t kit_demod_ChipID(kit_demod_t* demod, uint32_t* chipId)
{
    if (!demod || !demod->i2c || !chipId)
        return KIT_RESULT_ERROR_ARG;
    // SLVT does not answer while the chip is powered down; SLVX always does.
    kit_demod_port_t port = KIT_DEMOD_SLVT;
    kit_result_t r = kit_demod_SetBank(demod, port, 0x00);
    if (r == KIT_RESULT_ERROR_I2C) {
        port = KIT_DEMOD_SLVX;
        r = kit_demod_SetBank(demod, port, 0x00);
    }
    uint8_t id = 0;
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, port, REG_CHIP_ID, &id, 1);
    if (r != KIT_RESULT_OK)
        return r;
    *chipId = id;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_TunerI2cEnable(kit_demod_t* demod, uint32_t mode)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    const uint8_t value = mode ? 0x01 : 0x00;
    kit_result_t r;
    if (inState(demod, KIT_DEMOD_STATE_SHUTDOWN, KIT_DEMOD_STATE_ACTIVE)) {
        r = kit_demod_SetAndSaveRegisterBits(demod, demod->slvxAddress, 0x00, 0x1A, value, 0xFF);
    } else {
        // No memory to keep it in before initialise; the path still has to open.
        r = writeBankAndBits(demod, demod->slvxAddress, 0x00, 0x1A, value, 0xFF);
    }
    if (r == KIT_RESULT_OK)
        demod->tunerI2cMode = mode;
    return r;
}

kit_result_t kit_demod_I2cRepeaterEnable(kit_demod_t* demod, uint8_t on)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->tunerI2cMode != KIT_DEMOD_TUNER_I2C_REPEATER)
        return KIT_RESULT_OK;
    // SLVX stays on bank 0x00 once powered up.
    return kit_demod_WriteReg(demod, KIT_DEMOD_SLVX, 0x08, on ? 0x01 : 0x00);
}

kit_result_t kit_demod_terr_cable_SetScanMode(kit_demod_t* demod, kit_dtv_system_t system, uint8_t on)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (!inState(demod, KIT_DEMOD_STATE_SLEEP, KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    if (system == KIT_DTV_SYSTEM_DVBC || system == KIT_DTV_SYSTEM_J83B) {
        kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x40);
        if (r == KIT_RESULT_OK)
            r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x86, on ? 0x20 : 0x00, 0x20);
        if (r != KIT_RESULT_OK)
            return r;
    }
    demod->scanMode = on ? 1 : 0;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_SetIFFreqConfig(kit_demod_t* demod, const kit_demod_iffreq_config_t* ifFreq)
{
    if (!demod || !ifFreq)
        return KIT_RESULT_ERROR_ARG;
    demod->ifFreq = *ifFreq;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_terr_cable_monitor_InternalDigitalAGCOut(kit_demod_t* demod, uint32_t* agc)
{
    if (!demod || !demod->i2c || !agc)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    uint8_t b[2] = {0, 0};
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x11);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x6D, b, 2);
    if (r != KIT_RESULT_OK)
        return r;
    *agc = ((uint32_t)(b[0] & 0x3F) << 8) | b[1];
    return KIT_RESULT_OK;
}

// ---- Transitions of the standards ----

kit_result_t kit_demod_FinishTransition(kit_demod_t* demod, kit_dtv_system_t system, kit_result_t result)
{
    if (!demod)
        return KIT_RESULT_ERROR_ARG;
    if (result == KIT_RESULT_OK) {
        demod->state = KIT_DEMOD_STATE_ACTIVE;
        demod->system = system;
    } else {
        invalidate(demod);
    }
    return result;
}

kit_result_t kit_demod_CheckActive(const kit_demod_t* demod, kit_dtv_system_t system)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_ACTIVE || demod->system != system)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_TuneSystem(kit_demod_t* demod, kit_dtv_system_t system, kit_dtv_bandwidth_t bandwidth,
                                  kit_demod_sequence_t sleepToActive, kit_demod_sequence_t retune,
                                  const void* param)
{
    if (!demod || !sleepToActive || !retune)
        return KIT_RESULT_ERROR_ARG;
    if (!inState(demod, KIT_DEMOD_STATE_SLEEP, KIT_DEMOD_STATE_ACTIVE))
        return KIT_RESULT_ERROR_SW_STATE;
    if (demod->state == KIT_DEMOD_STATE_ACTIVE && demod->system == system) {
        demod->bandwidth = bandwidth;
        return kit_demod_FinishTransition(demod, system, retune(demod, param));
    }
    if (demod->state == KIT_DEMOD_STATE_ACTIVE) {
        const kit_result_t r = kit_demod_Sleep(demod);
        if (r != KIT_RESULT_OK)
            return kit_demod_FinishTransition(demod, system, r);
    }
    demod->system = system;
    demod->bandwidth = bandwidth;
    return kit_demod_FinishTransition(demod, system, sleepToActive(demod, param));
}
