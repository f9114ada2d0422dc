#include "kit_demod_output.h"

#include "kit_demod.h"

// TS output clock: register 0xC4 bits 1-0, 0xD1 bits 1-0, 0xD9, 0x33 bits 1-0.
typedef struct {
    uint8_t c4, d1, d9, r33;
} ts_clock_row_t;

// Index: rate select + 6 x serial row select.
static const ts_clock_row_t serialTsRows[12] = {
    {3, 1, 0x08, 0}, {3, 1, 0x08, 1}, {3, 1, 0x08, 2}, {0, 2, 0x10, 0}, {0, 2, 0x10, 1}, {0, 2, 0x10, 2},
    {1, 1, 0x08, 0}, {1, 1, 0x08, 1}, {1, 1, 0x08, 2}, {2, 2, 0x10, 0}, {2, 2, 0x10, 1}, {2, 2, 0x10, 2},
};
// Index: serial row select.
static const ts_clock_row_t gatedSerialTsRows[2] = {{3, 1, 0x08, 1}, {1, 1, 0x08, 1}};

// TLV output clock: bank 0x01 register 0xC1 bits 1-0, bank 0x01 0xCC bits 1-0, bank 0x00
// 0x33 bits 1-0, bank 0x56 0x83 bits 2-0.
typedef struct {
    uint8_t c1, cc, r33, r83;
} tlv_clock_row_t;

// Index: TLV rate select + 6 x serial TLV row select.
static const tlv_clock_row_t serialTlvRows[12] = {
    {3, 1, 0, 3}, {3, 1, 1, 4}, {3, 1, 2, 5}, {0, 2, 0, 3}, {0, 2, 1, 4}, {0, 2, 2, 5},
    {1, 1, 0, 3}, {1, 1, 1, 4}, {1, 1, 2, 5}, {2, 2, 0, 3}, {2, 2, 1, 4}, {2, 2, 2, 5},
};
// Index: TLV rate select (parallel).
static const tlv_clock_row_t parallelTlvRows[3] = {{0, 0, 0, 3}, {0, 0, 1, 4}, {0, 0, 2, 5}};

enum { PARALLEL_TS_CLOCK_DEFAULT = 8 };

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))

// A sequence assembled at run time: steps on SLVT, written in one go.
typedef struct {
    kit_demod_reg_step_t steps[20];
    uint32_t count;
} sequence_t;

static void add(sequence_t* s, uint8_t reg, uint8_t value, uint8_t mask)
{
    const kit_demod_reg_step_t step = {KIT_DEMOD_SLVT, reg, value, mask, 0};
    s->steps[s->count++] = step;
}

static kit_result_t usable(kit_demod_t* demod)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

static kit_result_t readInBank(kit_demod_t* demod, uint8_t bank, uint8_t reg, uint8_t* value)
{
    const kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, bank);
    return r != KIT_RESULT_OK ? r : kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, reg, value, 1);
}

static int usesSatelliteRate(kit_dtv_system_t system)
{
    return system == KIT_DTV_SYSTEM_DVBS || system == KIT_DTV_SYSTEM_DVBS2 || system == KIT_DTV_SYSTEM_RESERVED9 ||
           system == KIT_DTV_SYSTEM_RESERVED10;
}

kit_result_t kit_demod_SetTSClockModeAndFreq(kit_demod_t* demod, kit_dtv_system_t system)
{
    if (!demod || system < KIT_DTV_SYSTEM_DVBT || system > KIT_DTV_SYSTEM_J83B)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = usable(demod);
    uint8_t c4 = 0;
    if (r == KIT_RESULT_OK)
        r = readInBank(demod, 0x00, 0xC4, &c4);
    if (r != KIT_RESULT_OK)
        return r;
    const int serial = (c4 & 0x80) != 0;

    uint8_t gate = 0, de = 0, d3 = 0;
    if (system <= KIT_DTV_SYSTEM_DVBS2) {
        gate = demod->tsClockGating ? 1 : 0;
        de = d3 = gate;
    } else if (system == KIT_DTV_SYSTEM_RESERVED10) {
        de = d3 = 1;
    } else if (system != KIT_DTV_SYSTEM_J83B) {
        d3 = 1;
    }
    const uint8_t da = !serial && demod->parallelTsClock != 0;
    if (da)
        d3 = 0;

    sequence_t s = {.count = 0};
    add(&s, 0xD3, d3, 0x01);
    add(&s, 0xDE, de, 0x01);
    add(&s, 0xDA, da, 0x01);
    uint8_t d9, r33;
    if (!serial) {
        d9 = demod->parallelTsClock ? demod->parallelTsClock : PARALLEL_TS_CLOCK_DEFAULT;
        r33 = gate || system == KIT_DTV_SYSTEM_RESERVED10;
    } else {
        const uint32_t rate = usesSatelliteRate(system) ? demod->satSerialTsRate : demod->serialTsRate;
        const uint32_t index = gate ? demod->serialTsClockRow : rate + 6u * demod->serialTsClockRow;
        if (index >= (gate ? COUNT(gatedSerialTsRows) : COUNT(serialTsRows)))
            return KIT_RESULT_ERROR_RANGE;
        const ts_clock_row_t* row = gate ? &gatedSerialTsRows[index] : &serialTsRows[index];
        add(&s, 0xC4, row->c4, 0x03);
        add(&s, 0xD1, row->d1, 0x03);
        d9 = row->d9;
        r33 = row->r33;
    }
    add(&s, 0xD9, d9, 0xFF);
    add(&s, 0x32, 0x00, 0x01);
    add(&s, 0x33, r33, 0x03);
    add(&s, 0x32, 0x01, 0x01);
    add(&s, 0x00, 0x10, 0xFF);
    add(&s, 0x66, !gate, 0x01);
    add(&s, 0x00, 0x40, 0xFF);
    add(&s, 0x66, !gate, 0x01);
    return kit_demod_WriteSequence(demod, s.steps, s.count);
}

kit_result_t kit_demod_SetTLVClockModeAndFreq(kit_demod_t* demod, kit_dtv_system_t system)
{
    if (!demod || (system != KIT_DTV_SYSTEM_DVBC2 && system != KIT_DTV_SYSTEM_RESERVED10))
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = usable(demod);
    uint8_t c1 = 0, cf = 0;
    if (r == KIT_RESULT_OK)
        r = readInBank(demod, 0x01, 0xC1, &c1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0xCF, &cf, 1);
    if (r != KIT_RESULT_OK)
        return r;
    const int serial = (c1 & 0x80) != 0;
    const int dvbc2 = system == KIT_DTV_SYSTEM_DVBC2;

    const tlv_clock_row_t* row;
    if (serial) {
        const uint32_t index =
            (dvbc2 ? demod->tlvRateSerialDvbc2 : demod->tlvRateSerialSystem10) + 6u * demod->serialTlvClockRow;
        if (index >= COUNT(serialTlvRows))
            return KIT_RESULT_ERROR_RANGE;
        row = &serialTlvRows[index];
    } else {
        const uint32_t index =
            !(cf & 0x01) ? 1 : dvbc2 ? demod->tlvRateParallelDvbc2 : demod->tlvRateParallelSystem10;
        if (index >= COUNT(parallelTlvRows))
            return KIT_RESULT_ERROR_RANGE;
        row = &parallelTlvRows[index];
    }

    sequence_t s = {.count = 0};
    add(&s, 0xE7, !dvbc2 && serial ? 0x00 : 0x01, 0x01);
    add(&s, 0x00, 0x56, 0xFF);
    add(&s, 0x83, row->r83, 0x07);
    if (serial) {
        add(&s, 0x00, 0x01, 0xFF);
        add(&s, 0xC1, row->c1, 0x03);
        add(&s, 0xCC, row->cc, 0x03);
    }
    add(&s, 0x00, 0x00, 0xFF);
    add(&s, 0x32, 0x00, 0x01);
    add(&s, 0x33, row->r33, 0x03);
    add(&s, 0x32, 0x01, 0x01);
    return kit_demod_WriteSequence(demod, s.steps, s.count);
}

// The data pins the output in use drives: serial output one pin (0, or 7 when moved to the
// highest pin), the TLV output's chosen pair, parallel output all eight.
static uint8_t dataPins(uint8_t outputReg)
{
    if ((outputReg & 0x88) == 0x80)
        return 0x01;
    return (outputReg & 0x88) == 0x88 ? 0x80 : 0xFF;
}

kit_result_t kit_demod_SetTSDataPinHiZ(kit_demod_t* demod, uint8_t hiZ)
{
    kit_result_t r = usable(demod);
    uint8_t a9 = 0, output = 0, pins = 0xFF;
    if (r == KIT_RESULT_OK)
        r = readInBank(demod, 0x00, 0xA9, &a9);
    if (r == KIT_RESULT_OK && (a9 & 0x01)) {
        r = readInBank(demod, 0x01, 0xC1, &output);
        pins = dataPins(output);
        uint8_t cf = 0, ea = 0;
        if (r == KIT_RESULT_OK && pins == 0xFF)
            r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0xCF, &cf, 1);
        if (r == KIT_RESULT_OK && pins == 0xFF && (cf & 0x01)) {
            r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0xEA, &ea, 1);
            pins = (uint8_t)((1u << (ea & 7)) | (1u << ((ea >> 4) & 7)));
        }
    } else if (r == KIT_RESULT_OK) {
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0xC4, &output, 1);
        pins = dataPins(output);
    }
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00);
    return r != KIT_RESULT_OK ? r : kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x81, hiZ ? 0xFF : 0x00, pins);
}

kit_result_t kit_demod_WriteWakeSequence(kit_demod_t* demod, const kit_demod_reg_step_t* beforeFilter,
                                         uint32_t beforeCount, const kit_demod_reg_step_t* afterFilter,
                                         uint32_t afterCount)
{
    kit_result_t r = kit_demod_WriteSequence(demod, beforeFilter, beforeCount);
    if (r == KIT_RESULT_OK)
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0xA5, demod->tunerFilter == 1 ? 0x01 : 0x00);
    return r != KIT_RESULT_OK ? r : kit_demod_WriteSequence(demod, afterFilter, afterCount);
}

// Register 0x80 bits 4-0 of bank 0x00: 0x08 runs the output block, 0x1F stops it.
static kit_result_t outputBlock(kit_demod_t* demod, uint8_t value, uint8_t hiZ)
{
    kit_result_t r = kit_demod_SetBank(demod, KIT_DEMOD_SLVT, 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetRegBits(demod, KIT_DEMOD_SLVT, 0x80, value, 0x1F);
    return r != KIT_RESULT_OK ? r : kit_demod_SetTSDataPinHiZ(demod, hiZ);
}

kit_result_t kit_demod_StartOutputBlock(kit_demod_t* demod) { return outputBlock(demod, 0x08, 0); }

kit_result_t kit_demod_StopOutputBlock(kit_demod_t* demod) { return outputBlock(demod, 0x1F, 1); }

// ---- General-purpose pins ----

enum { GPIO_ID_MAX = 10, GPIO_FIRST_WIDE = 3 };

static kit_result_t gpioUsable(kit_demod_t* demod, uint8_t id)
{
    if (!demod || !demod->i2c || id > GPIO_ID_MAX)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state < KIT_DEMOD_STATE_SHUTDOWN || demod->state > KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_GPIOSetConfig(kit_demod_t* demod, uint8_t id, uint8_t enable, uint8_t mode)
{
    kit_result_t r = gpioUsable(demod, id);
    if (r != KIT_RESULT_OK)
        return r;
    if (id <= 1 && mode == 4)
        return KIT_RESULT_ERROR_NOSUPPORT;
    mode &= 0x0F;
    const uint8_t slvx = demod->slvxAddress;
    if (id < GPIO_FIRST_WIDE) {
        const uint8_t bit = (uint8_t)(1u << id);
        const int drives = enable && mode != 1;
        r = kit_demod_SetAndSaveRegisterBits(demod, slvx, 0x00, (uint8_t)(0xA3 + id), mode, 0x0F);
        return r != KIT_RESULT_OK ? r
                                  : kit_demod_SetAndSaveRegisterBits(demod, slvx, 0x00, 0x82, drives ? 0 : bit, bit);
    }
    const uint8_t k = (uint8_t)(id - GPIO_FIRST_WIDE);
    const uint8_t bit = (uint8_t)(1u << k);
    const int drives = enable && mode != 1 && mode != 4;
    const uint8_t reg = (uint8_t)(0xB3 + k / 2);
    r = (id & 1) ? kit_demod_SetAndSaveRegisterBits(demod, slvx, 0x00, reg, mode, 0x0F)
                 : kit_demod_SetAndSaveRegisterBits(demod, slvx, 0x00, reg, (uint8_t)(mode << 4), 0xF0);
    return r != KIT_RESULT_OK
               ? r
               : kit_demod_SetAndSaveRegisterBits(demod, demod->slvtAddress, 0x00, 0x81, drives ? 0 : bit, bit);
}

kit_result_t kit_demod_GPIORead(kit_demod_t* demod, uint8_t id, uint8_t* value)
{
    kit_result_t r = gpioUsable(demod, id);
    if (r == KIT_RESULT_OK && !value)
        r = KIT_RESULT_ERROR_ARG;
    const int narrow = id < GPIO_FIRST_WIDE;
    uint8_t levels = 0;
    if (r == KIT_RESULT_OK)
        r = kit_demod_SetBank(demod, KIT_DEMOD_SLVX, 0x00);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVX, narrow ? 0xA0 : 0xB0, &levels, 1);
    if (r != KIT_RESULT_OK)
        return r;
    *value = (levels >> (narrow ? id : id - GPIO_FIRST_WIDE)) & 1;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_GPIOWrite(kit_demod_t* demod, uint8_t id, uint8_t value)
{
    const kit_result_t r = gpioUsable(demod, id);
    if (r != KIT_RESULT_OK)
        return r;
    const int narrow = id < GPIO_FIRST_WIDE;
    const uint8_t bit = (uint8_t)(1u << (narrow ? id : id - GPIO_FIRST_WIDE));
    return kit_demod_SetAndSaveRegisterBits(demod, demod->slvxAddress, 0x00, narrow ? 0xA2 : 0xB2, value ? bit : 0,
                                            bit);
}
