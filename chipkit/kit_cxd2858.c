#include "kit_cxd2858.h"

#include "kit_i2c.h"
#include "kit_stopwatch_port.h"

#include <stddef.h>

#define COUNT(a) ((uint32_t)(sizeof(a) / sizeof((a)[0])))

// clang-format off
const kit_cxd2858_terr_param_t g_terr_param_table[KIT_CXD2858_TERR_PARAM_ROWS] = {
    /*  0 */ {0xFF, 0x00, {0x00, 0x00, 0x00}, {0x00, 0x00, 0x00}, 0x00, 0x00, 0x00, 0x00, 0x00},
    /*  1 */ {0xFF, 0x05, {0x03, 0x06, 0x03}, {0x01, 0x01, 0x01}, 0x00, 0x00, 0x00, 0x01, 0x00},
    /*  2 */ {0xFF, 0x05, {0x03, 0x06, 0x03}, {0x01, 0x01, 0x01}, 0x00, 0x00, 0x00, 0x01, 0x00},
    /*  3 */ {0xFF, 0x05, {0x03, 0x06, 0x03}, {0x01, 0x01, 0x01}, 0x00, 0x00, 0x03, 0x01, 0x00},
    /*  4 */ {0xFF, 0x05, {0x03, 0x06, 0x03}, {0x01, 0x01, 0x01}, 0x00, 0x01, 0x0B, 0x05, 0x00},
    /*  5 */ {0xFF, 0x05, {0x03, 0x06, 0x03}, {0x01, 0x01, 0x01}, 0x00, 0x02, 0x02, 0x1D, 0x00},
    /*  6 */ {0xFF, 0x05, {0x03, 0x06, 0x03}, {0x01, 0x01, 0x01}, 0x00, 0x02, 0x02, 0x1D, 0x00},
    /*  7 */ {0xFF, 0x03, {0x04, 0x0A, 0x04}, {0x04, 0x04, 0x04}, 0x00, 0x02, 0x02, 0x1D, 0x00},
    /*  8 */ {0xFF, 0x03, {0x04, 0x0A, 0x04}, {0x04, 0x04, 0x04}, 0x00, 0x02, 0x1F, 0x04, 0x00},
    /*  9 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x03, 0x03, 0x03}, 0x00, 0x00, 0x1A, 0x1D, 0x00},
    /* 10 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x00, 0x1A, 0x1D, 0x00},
    /* 11 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x00, 0x17, 0x1B, 0x00},
    /* 12 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x01, 0x19, 0x1A, 0x00},
    /* 13 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x02, 0x1B, 0x19, 0x00},
    /* 14 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x00, 0x18, 0x1D, 0x00},
    /* 15 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x00, 0x18, 0x1D, 0x00},
    /* 16 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x01, 0x1A, 0x1B, 0x00},
    /* 17 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x02, 0x1C, 0x1A, 0x00},
    /* 18 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x03, 0x16, 0x16, 0x00},
    /* 19 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x00, 0x18, 0x1D, 0x00},
    /* 20 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x00, 0x18, 0x1D, 0x00},
    /* 21 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x01, 0x1A, 0x1B, 0x00},
    /* 22 */ {0xFF, 0x08, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x02, 0x1C, 0x1A, 0x00},
    /* 23 */ {0xFF, 0x04, {0x02, 0x02, 0x02}, {0x01, 0x01, 0x01}, 0x00, 0x00, 0x1A, 0x1C, 0x00},
    /* 24 */ {0xFF, 0x04, {0x02, 0x02, 0x02}, {0x01, 0x01, 0x01}, 0x00, 0x02, 0x1E, 0x1D, 0x00},
    /* 25 */ {0xFF, 0x02, {0x09, 0x09, 0x09}, {0x02, 0x02, 0x02}, 0x00, 0x00, 0x1A, 0x1E, 0x00},
    /* 26 */ {0xFF, 0x02, {0x09, 0x09, 0x09}, {0x02, 0x02, 0x02}, 0x00, 0x02, 0x1E, 0x00, 0x00},
    /* 27 */ {0xFF, 0x04, {0x02, 0x02, 0x02}, {0x01, 0x01, 0x01}, 0x00, 0x00, 0x1B, 0x02, 0x00},
    /* 28 */ {0xFF, 0x03, {0x0B, 0x0B, 0x0B}, {0x02, 0x02, 0x02}, 0x00, 0x02, 0x02, 0x01, 0x00},
};
// clang-format on

enum {
    CALIBRATION_KHZ = 666000,
    CALIBRATION_SYSTEM = 17,
    CALIBRATION_SETTLE_MS = 50,
    SAT_FIXED_SYMBOL_RATE_KSPS = 28860,
    SAT_CUTOFF_MAX = 36,
    BAND_LOW_MAX_KHZ = 172000,
    BAND_MID_MAX_KHZ = 464000,
};

// ---- Register access ----

static kit_result_t busResult(kit_result_t slotResult)
{
    return slotResult == KIT_RESULT_OK ? KIT_RESULT_OK : KIT_RESULT_ERROR_I2C;
}

static kit_result_t writeReg(kit_cxd2858_t* t, uint8_t reg, uint8_t value)
{
    return busResult(t->i2c->WriteOneRegister(t->i2c, t->i2cAddress, reg, value));
}

static kit_result_t writeRegs(kit_cxd2858_t* t, uint8_t reg, const uint8_t* data, uint32_t length)
{
    return busResult(t->i2c->WriteRegister(t->i2c, t->i2cAddress, reg, data, length));
}

static kit_result_t readReg(kit_cxd2858_t* t, uint8_t reg, uint8_t* value)
{
    return busResult(t->i2c->ReadRegister(t->i2c, t->i2cAddress, reg, value, 1));
}

static kit_result_t setBits(kit_cxd2858_t* t, uint8_t reg, uint8_t value, uint8_t mask)
{
    return kit_i2c_SetRegisterBits(t->i2c, t->i2cAddress, reg, value, mask);
}

static void waitMs(uint32_t ms)
{
    kit_stopwatch_t sw = {0};
    kit_stopwatch_sleep(&sw, ms);
}

// A step of a fixed sequence: one register, or consecutive registers from reg.
typedef struct {
    uint8_t reg;
    uint8_t length;
    uint8_t data[3];
} reg_write_t;

static kit_result_t writeSequence(kit_cxd2858_t* t, const reg_write_t* steps, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        const kit_result_t r = steps[i].length == 1 ? writeReg(t, steps[i].reg, steps[i].data[0])
                                                    : writeRegs(t, steps[i].reg, steps[i].data, steps[i].length);
        if (r != KIT_RESULT_OK)
            return r;
    }
    return KIT_RESULT_OK;
}

// ---- Flags ----

static int hasFlag(const kit_cxd2858_t* t, uint32_t flag) { return (t->flags & flag) != 0; }
static uint32_t fieldF1(const kit_cxd2858_t* t) { return (t->flags >> KIT_CXD2858_FLAG_F1_SHIFT) & 3u; }
static uint32_t fieldF2(const kit_cxd2858_t* t) { return (t->flags >> KIT_CXD2858_FLAG_F2_SHIFT) & 3u; }

// The driver switches the oscillator only when it owns it and was asked to save its power.
static int switchesOscillator(const kit_cxd2858_t* t)
{
    return hasFlag(t, KIT_CXD2858_FLAG_XTAL_OFF_IN_SLEEP) && !hasFlag(t, KIT_CXD2858_FLAG_EXTERNAL_XTAL);
}

static kit_result_t driveCodeByte(const kit_cxd2858_t* t, uint8_t* byte)
{
    static const uint8_t bytes[] = {0x00, 0x80, 0x81, 0x82, 0x83};
    const uint32_t code = (t->flags >> KIT_CXD2858_FLAG_XOSC_DRIVE_SHIFT) & 7u;
    if (code >= COUNT(bytes))
        return KIT_RESULT_ERROR_NOSUPPORT;
    *byte = bytes[code];
    return KIT_RESULT_OK;
}

// The resting values of registers 0x5E-0x60, chosen by F1.
static kit_result_t restTriple(const kit_cxd2858_t* t, uint8_t triple[3])
{
    const uint32_t f1 = fieldF1(t);
    if (f1 == 3)
        return KIT_RESULT_ERROR_NOSUPPORT;
    triple[0] = f1 == 2 ? 0x06 : 0x15;
    triple[1] = 0x00;
    triple[2] = f1 == 2 ? 0x02 : 0x00;
    return KIT_RESULT_OK;
}

// Registers 0x0C and 0x43 as F1, F2 and bit 27 set them.
static kit_result_t levelRegisters(const kit_cxd2858_t* t, uint8_t* r0c, uint8_t* r43)
{
    const uint32_t f2 = fieldF2(t);
    const int alt = hasFlag(t, KIT_CXD2858_FLAG_ALT_LEVELS);
    if (f2 == 3)
        return KIT_RESULT_ERROR_NOSUPPORT;
    const uint8_t base = fieldF1(t) == 2 ? 0x04 : 0x14;
    *r0c = (uint8_t)(base + (f2 == 2 ? (alt ? 2 : 1) : 0));
    *r43 = f2 == 0 ? (alt ? 5 : 7) : (alt ? 4 : 6);
    return KIT_RESULT_OK;
}

// ---- Oscillator ----

kit_result_t kit_cxd2858_X_oscen(kit_cxd2858_t* tuner)
{
    if (!tuner || !tuner->i2c)
        return KIT_RESULT_ERROR_ARG;
    uint8_t drive = 0;
    kit_result_t r = writeReg(tuner, 0x82, 0x9F);
    if (r == KIT_RESULT_OK)
        r = driveCodeByte(tuner, &drive);
    if (r == KIT_RESULT_OK)
        r = writeReg(tuner, 0x84, drive);
    if (r != KIT_RESULT_OK)
        return r;
    waitMs(10);
    return writeReg(tuner, 0x82, (uint8_t)((tuner->xtalDrive & 0x1F) | 0x80));
}

kit_result_t kit_cxd2858_X_oscdis(kit_cxd2858_t* tuner)
{
    if (!tuner || !tuner->i2c)
        return KIT_RESULT_ERROR_ARG;
    const kit_result_t r = writeReg(tuner, 0x84, 0x00);
    return r != KIT_RESULT_OK ? r : writeReg(tuner, 0x82, 0x00);
}

static kit_result_t oscillatorOn(kit_cxd2858_t* t)
{
    return switchesOscillator(t) ? kit_cxd2858_X_oscen(t) : KIT_RESULT_OK;
}

static kit_result_t oscillatorOff(kit_cxd2858_t* t)
{
    return switchesOscillator(t) ? kit_cxd2858_X_oscdis(t) : KIT_RESULT_OK;
}

// ---- State ----

static void clearTune(kit_cxd2858_t* t)
{
    t->frequencyKHz = 0;
    t->system = 0;
    t->symbolRateKSps = 0;
}

// A transition that fails once it has begun writing leaves the tuner in no known half.
static kit_result_t settle(kit_cxd2858_t* t, kit_result_t r)
{
    if (r != KIT_RESULT_OK) {
        t->state = KIT_CXD2858_STATE_INVALID;
        clearTune(t);
    }
    return r;
}

static int usable(const kit_cxd2858_t* t) { return t && t->i2c; }

static kit_result_t recordTune(kit_cxd2858_t* t, kit_cxd2858_state_t state, uint32_t kHz, uint32_t system,
                               uint32_t symbolRateKSps)
{
    t->state = state;
    t->frequencyKHz = kHz;
    t->system = system;
    t->symbolRateKSps = symbolRateKSps;
    return KIT_RESULT_OK;
}

// ---- Terrestrial half ----

static int isAnalog(uint32_t s) { return s >= 1 && s <= 8; }
static int isCable(uint32_t s) { return s == 23 || s == 24 || s == 27; }

static int usesAltFilter(const kit_cxd2858_t* t, uint32_t s)
{
    return hasFlag(t, KIT_CXD2858_FLAG_ALT_IF_FILTER) && ((s >= 9 && s <= 22) || s == 28);
}

// Bytes 4-8 of the 0x5E block.
static kit_result_t terrFilterBytes(const kit_cxd2858_t* t, uint32_t f, uint32_t s, uint8_t b[5])
{
    static const uint8_t analogLow[] = {0x20, 0x29, 0x30, 0x52};
    static const uint8_t analogHigh[] = {0x08, 0x0A, 0x0C, 0x14};
    static const uint8_t cable[] = {0x10, 0x14, 0x18, 0x28};
    static const uint8_t digital[] = {0x02, 0x02, 0x03, 0x05};
    const uint32_t code = t->xtalCode;
    if (code >= COUNT(digital))
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (isAnalog(s)) {
        const int low = f <= BAND_MID_MAX_KHZ;
        b[0] = low ? analogLow[code] : analogHigh[code];
        b[1] = low ? 0x38 : 0xB4;
        b[2] = 0x78;
        b[3] = 0x08;
        b[4] = low ? 0x1C : 0x3C;
    } else if (isCable(s)) {
        b[0] = cable[code];
        b[1] = 0x1C;
        b[2] = 0x78;
        b[3] = 0x08;
        b[4] = 0x1C;
    } else if (usesAltFilter(t, s)) {
        b[0] = digital[code];
        b[1] = code == KIT_CXD2858_XTAL_20500KHZ ? 0x2C : 0x38;
        b[2] = 0x1E;
        b[3] = 0x02;
        b[4] = 0x24;
    } else {
        b[0] = digital[code];
        b[1] = code == KIT_CXD2858_XTAL_20500KHZ ? 0x8C : 0xB4;
        b[2] = 0x78;
        b[3] = 0x08;
        b[4] = 0x30;
    }
    return KIT_RESULT_OK;
}

// The 17-byte block at 0x68 from the system's row, the band and the frequency.
static void terrTuneBlock(const kit_cxd2858_t* t, uint32_t f, uint32_t s, int tune, uint8_t b[17])
{
    const kit_cxd2858_terr_param_t* row = &t->terrParamTable[s];
    const int band = f <= BAND_LOW_MAX_KHZ ? 0 : f <= BAND_MID_MAX_KHZ ? 1 : 2;
    const int analog = isAnalog(s);
    const uint32_t byte0Flag = analog ? KIT_CXD2858_FLAG_TERR_ANALOG_BYTE0 : KIT_CXD2858_FLAG_TERR_DIGITAL_BYTE0;
    b[0] = hasFlag(t, byte0Flag) ? 1 : 0;
    b[1] = (uint8_t)((row->c0 == 0xFF ? 0x80 : (row->c0 & 7) << 4) | (row->c1 & 0x0F));
    b[2] = 0x00;
    b[3] = row->c2to4[band] & 0x0F;
    b[4] = (uint8_t)((row->c5to7[band] & 7) | 0x20);
    b[5] = (uint8_t)(((row->c8 & 3) << 4) | (row->c9 & 3));
    b[6] = row->c10 & 0x1F;
    b[7] = row->c11 & 0x1F;
    b[8] = (uint8_t)(f & 0xFF);
    b[9] = (uint8_t)((f >> 8) & 0xFF);
    b[10] = (uint8_t)(((f >> 16) & 0x0F) | (s == 8 ? 0x40 : 0) | (analog ? 0x80 : 0));
    b[11] = tune ? 0xFF : 0x8F;
    b[12] = 0x01;
    b[13] = (analog || isCable(s)) ? 0xD9 : 0x99;
    b[14] = (analog || isCable(s)) ? 0x0F : 0x00;
    b[15] = 0x24;
    b[16] = 0x87;
}

// tune: 1 for a tune, 0 for a shift within the band.
static kit_result_t TER_tune(kit_cxd2858_t* t, uint32_t f, uint32_t s, int tune)
{
    kit_result_t r = writeReg(t, 0x01, 0x00);
    if (r == KIT_RESULT_OK && tune)
        r = writeReg(t, 0x74, 0x02);
    const uint8_t mode[2] = {0xC4, 0x40};
    const uint8_t cable[2] = {0x16, 0x26};
    const uint8_t other[2] = {0x10, 0x20};
    const uint8_t r9c[2] = {usesAltFilter(t, s) ? 0x90 : 0x00,
                            (s <= KIT_CXD2858_TERR_SYSTEM_LAST ? t->terrParamTable[s].c12 : 0) & 1};
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x87, mode, 2);
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x91, isCable(s) ? cable : other, 2);
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x9C, r9c, 2);

    uint8_t b5e[9] = {0xEE, 0x02, 0x1E, tune ? 0x67 : 0x45};
    if (r == KIT_RESULT_OK)
        r = terrFilterBytes(t, f, s, b5e + 4);
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x5E, b5e, 9);
    if (r == KIT_RESULT_OK)
        r = setBits(t, 0x67, 0x00, 0x02);
    if (r != KIT_RESULT_OK)
        return r;
    if (s < KIT_CXD2858_TERR_SYSTEM_FIRST || s > KIT_CXD2858_TERR_SYSTEM_LAST)
        return KIT_RESULT_ERROR_ARG;
    uint8_t block[17];
    terrTuneBlock(t, f, s, tune, block);
    return writeRegs(t, 0x68, block, 17);
}

static kit_result_t TER_tune_end(kit_cxd2858_t* t)
{
    static const reg_write_t steps[] = {{0x88, 1, {0x00}}, {0x87, 1, {0xC0}}};
    return writeSequence(t, steps, COUNT(steps));
}

static kit_result_t TER_fin(kit_cxd2858_t* t)
{
    uint8_t triple[3];
    kit_result_t r = writeReg(t, 0x74, 0x02);
    if (r == KIT_RESULT_OK)
        r = setBits(t, 0x67, fieldF1(t) == 1 ? 0x02 : 0x00, 0xFE);
    if (r == KIT_RESULT_OK)
        r = restTriple(t, triple);
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x5E, triple, 3);
    return r != KIT_RESULT_OK ? r : TER_tune_end(t);
}

// ---- Satellite half ----

static uint32_t ceilDiv(uint64_t a, uint64_t b) { return (uint32_t)((a + b - 1) / b); }

// Low-pass cut-off code; 0 for a system that is not satellite.
static uint8_t satCutoff(uint32_t s, uint32_t rateKSps)
{
    uint32_t v;
    if (s == KIT_CXD2858_SAT_SYSTEM_FIXED_RATE)
        return 22;
    if (s != 30 && s != 31)
        return 0;
    if (rateKSps <= 4000)
        return 5;
    if (s == 30)
        v = rateKSps <= 10000 ? ceilDiv(47ull * rateKSps, 40000) : ceilDiv(27ull * rateKSps, 40000) + 5;
    else
        v = rateKSps <= 10000 ? ceilDiv(11ull * rateKSps, 10000) : ceilDiv(3ull * rateKSps, 5000) + 5;
    return (uint8_t)(v > SAT_CUTOFF_MAX ? SAT_CUTOFF_MAX : v);
}

static kit_result_t SAT_tune(kit_cxd2858_t* t, uint32_t f, uint32_t s, uint32_t rateKSps, int tune)
{
    static const uint8_t xtalBytes[] = {2, 2, 3, 5};
    const int alt = hasFlag(t, KIT_CXD2858_FLAG_ALT_LEVELS);
    const uint8_t zeros[2] = {0x00, 0x00};
    kit_result_t r = writeReg(t, 0x43, alt ? 4 : 6);
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x6A, zeros, 2);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x75, 0x99);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x9D, 0x00);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x61, tune ? 7 : 5);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x01, 0x01);
    if (r != KIT_RESULT_OK)
        return r;

    const uint32_t code = t->xtalCode;
    if (code >= COUNT(xtalBytes))
        return KIT_RESULT_ERROR_NOSUPPORT;
    const int code1 = code == KIT_CXD2858_XTAL_20500KHZ;
    const uint8_t cutoff = satCutoff(s, rateKSps);
    if (cutoff == 0)
        return KIT_RESULT_ERROR_ARG;
    const uint32_t n = f + 2;
    uint8_t b[18] = {0xC4, 0x40, xtalBytes[code]};
    if (hasFlag(t, KIT_CXD2858_FLAG_ALT_IF_FILTER)) {
        const uint8_t alt5[] = {0x80, code1 ? 0x58 : 0x70, 0x1E, 0x02, 0x24};
        for (int i = 0; i < 5; ++i)
            b[3 + i] = alt5[i];
    } else {
        const uint8_t v = code1 ? (t->isFreesatMode ? 0x18 : 0x8C) : (t->isFreesatMode ? 0x20 : 0xB4);
        const uint8_t std5[] = {0x00, v, 0x78, 0x08, 0x30};
        for (int i = 0; i < 5; ++i)
            b[3 + i] = std5[i];
    }
    b[8] = (uint8_t)((fieldF1(t) == 2 ? 0xE0 : 0xF0) | (alt ? 0x0E : 0x0F));
    b[9] = 0x02;
    b[10] = 0x1E;
    b[11] = cutoff;
    b[12] = (uint8_t)((n >> 2) & 0xFF);
    b[13] = (uint8_t)((n >> 10) & 0xFF);
    b[14] = (uint8_t)((n >> 18) & 0x0F);
    b[15] = tune ? 0xFF : 0x8F;
    b[16] = hasFlag(t, KIT_CXD2858_FLAG_SAT_BYTE16) ? 1 : 0;
    b[17] = 0x01;
    return writeRegs(t, 0x04, b, 18);
}

static kit_result_t SAT_tune_end(kit_cxd2858_t* t)
{
    static const reg_write_t steps[] = {{0x05, 1, {0x00}}, {0x04, 1, {0xC0}}};
    return writeSequence(t, steps, COUNT(steps));
}

static kit_result_t SAT_fin(kit_cxd2858_t* t)
{
    uint8_t r0c = 0, r43 = 0;
    kit_result_t r = writeReg(t, 0x15, 0x02);
    if (r == KIT_RESULT_OK)
        r = levelRegisters(t, &r0c, &r43);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x43, r43);
    const uint8_t b0c[3] = {r0c, 0x00, fieldF1(t) == 2 ? 0x02 : 0x00};
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x0C, b0c, 3);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x01, 0x00);
    return r != KIT_RESULT_OK ? r : SAT_tune_end(t);
}

// ---- Life cycle ----

kit_result_t kit_cxd2858_Create(kit_cxd2858_t* tuner, uint32_t xtalCode, uint8_t i2cAddress, kit_i2c_t* i2c,
                                uint32_t flags)
{
    if (!tuner || !i2c)
        return KIT_RESULT_ERROR_ARG;
    const int external = (flags & KIT_CXD2858_FLAG_EXTERNAL_XTAL) != 0;
    if (!external && xtalCode == KIT_CXD2858_XTAL_41000KHZ)
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (external && (flags & KIT_CXD2858_FLAG_XTAL_OFF_IN_SLEEP))
        return KIT_RESULT_ERROR_NOSUPPORT;
    tuner->xtalCode = xtalCode;
    tuner->i2cAddress = i2cAddress;
    tuner->i2c = i2c;
    tuner->flags = flags;
    tuner->state = KIT_CXD2858_STATE_UNKNOWN;
    clearTune(tuner);
    tuner->isFreesatMode = 0;
    tuner->user = 0;
    tuner->terrParamTable = g_terr_param_table;
    tuner->xtalDrive = 0;
    tuner->xtalLoad = 0;
    // Every table of the driver has four crystal columns; a code past them would index
    // beyond them, whoever owns the oscillator.
    if (xtalCode > (external ? KIT_CXD2858_XTAL_41000KHZ : KIT_CXD2858_XTAL_24000KHZ))
        return KIT_RESULT_ERROR_NOSUPPORT;
    if (!external) {
        tuner->xtalDrive = 4;
        tuner->xtalLoad = xtalCode == KIT_CXD2858_XTAL_16000KHZ ? 51 : 38;
    }
    return KIT_RESULT_OK;
}

// Initialise after the chip check: everything up to the resting state.
static kit_result_t powerUp(kit_cxd2858_t* t)
{
    static const uint8_t xtalBytes[] = {0x10, 0xD4, 0x18, 0x69};
    const int external = hasFlag(t, KIT_CXD2858_FLAG_EXTERNAL_XTAL);
    uint8_t triple[3], r0c = 0, r43 = 0, drive = 0, value = 0;
    kit_result_t r = writeReg(t, 0x01, 0x00);
    if (r == KIT_RESULT_OK)
        r = restTriple(t, triple);
    if (r == KIT_RESULT_OK)
        r = levelRegisters(t, &r0c, &r43);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x67, fieldF1(t) == 1 ? 0x02 : 0x00);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x43, r43);
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x5E, triple, 3);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x0C, r0c);
    const uint8_t b99[2] = {0x7A, 0x01};
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x99, b99, 2);
    if (r == KIT_RESULT_OK && t->xtalCode >= COUNT(xtalBytes))
        r = KIT_RESULT_ERROR_NOSUPPORT;
    if (r == KIT_RESULT_OK)
        r = driveCodeByte(t, &drive);
    if (r != KIT_RESULT_OK)
        return r;

    const uint8_t block[20] = {xtalBytes[t->xtalCode],
                               external ? 0 : (uint8_t)((t->xtalDrive & 0x1F) | 0x80),
                               external ? 0 : (uint8_t)(t->xtalLoad | 0x80),
                               drive, 0x00, 0x00, 0xC4, 0x40, 0x10, 0x00, 0x45, 0x75, 0x07, 0x1C, 0x3F, 0x02, 0x10,
                               0x20, 0x0A, 0x00};
    r = writeRegs(t, 0x81, block, 20);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x9B, 0x00);
    if (r != KIT_RESULT_OK)
        return r;
    waitMs(10);
    r = readReg(t, 0x1A, &value);
    if (r == KIT_RESULT_OK && value != 0)
        r = KIT_RESULT_ERROR_HW_STATE;
    const uint8_t b17[2] = {0x90, 0x06};
    if (r == KIT_RESULT_OK)
        r = writeRegs(t, 0x17, b17, 2);
    if (r != KIT_RESULT_OK)
        return r;
    waitMs(1);
    r = readReg(t, 0x19, &value);
    if (r == KIT_RESULT_OK)
        r = writeReg(t, 0x95, (uint8_t)(value >> 4));
    static const reg_write_t rest[] = {
        {0x74, 1, {0x02}}, {0x88, 1, {0x00}}, {0x87, 1, {0xC0}}, {0x80, 1, {0x01}}, {0x41, 2, {0x07, 0x00}},
    };
    if (r == KIT_RESULT_OK)
        r = writeSequence(t, rest, COUNT(rest));
    if (r == KIT_RESULT_OK && fieldF1(t) == 2) {
        r = TER_tune(t, CALIBRATION_KHZ, CALIBRATION_SYSTEM, 1);
        if (r == KIT_RESULT_OK) {
            waitMs(CALIBRATION_SETTLE_MS);
            r = TER_tune_end(t);
        }
        if (r == KIT_RESULT_OK)
            r = TER_fin(t);
    }
    return r != KIT_RESULT_OK ? r : oscillatorOff(t);
}

kit_result_t kit_cxd2858_Initialize(kit_cxd2858_t* tuner)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    uint8_t id = 0;
    kit_result_t r = readReg(tuner, 0x7F, &id);
    if (r != KIT_RESULT_OK)
        return r;
    if ((id & 0xF0) != 0x10 && (id & 0xF0) != 0x80)
        return KIT_RESULT_ERROR_NOSUPPORT;
    r = settle(tuner, powerUp(tuner));
    if (r != KIT_RESULT_OK)
        return r;
    return recordTune(tuner, KIT_CXD2858_STATE_SLEEP, 0, 0, 0);
}

// Leaves whatever half runs, or wakes the oscillator from sleep, before a tune of the other
// kind. Other states give 3.
static kit_result_t leaveFor(kit_cxd2858_t* t, kit_cxd2858_state_t target)
{
    switch (t->state) {
    case KIT_CXD2858_STATE_SLEEP:
        t->system = 0;
        return oscillatorOn(t);
    case KIT_CXD2858_STATE_TERR:
    case KIT_CXD2858_STATE_SAT:
        if (t->state == target)
            return KIT_RESULT_OK;
        t->system = 0;
        return t->state == KIT_CXD2858_STATE_TERR ? TER_fin(t) : SAT_fin(t);
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
}

static int terrFrequencyOk(uint32_t f)
{
    return f >= KIT_CXD2858_TERR_MIN_KHZ && f <= KIT_CXD2858_TERR_BAND_MAX_KHZ && f <= KIT_CXD2858_TERR_FIELD_MAX_KHZ;
}

static int satFrequencyOk(uint32_t f) { return f >= KIT_CXD2858_SAT_MIN_KHZ && f <= KIT_CXD2858_SAT_MAX_KHZ; }

static int inTunableState(const kit_cxd2858_t* t)
{
    return t->state >= KIT_CXD2858_STATE_SLEEP && t->state <= KIT_CXD2858_STATE_SAT;
}

kit_result_t kit_cxd2858_terr_Tune(kit_cxd2858_t* tuner, uint32_t frequencyKHz, uint32_t system)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    if (system < KIT_CXD2858_TERR_SYSTEM_FIRST || system > KIT_CXD2858_TERR_SYSTEM_LAST)
        return KIT_RESULT_ERROR_ARG;
    if (!terrFrequencyOk(frequencyKHz))
        return KIT_RESULT_ERROR_RANGE;
    if (!inTunableState(tuner))
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = leaveFor(tuner, KIT_CXD2858_STATE_TERR);
    if (r == KIT_RESULT_OK)
        r = TER_tune(tuner, frequencyKHz, system, 1);
    if (settle(tuner, r) != KIT_RESULT_OK)
        return r;
    return recordTune(tuner, KIT_CXD2858_STATE_TERR, frequencyKHz, system, 0);
}

kit_result_t kit_cxd2858_terr_TuneEnd(kit_cxd2858_t* tuner)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    if (tuner->state != KIT_CXD2858_STATE_TERR)
        return KIT_RESULT_ERROR_SW_STATE;
    return settle(tuner, TER_tune_end(tuner));
}

kit_result_t kit_cxd2858_sat_Tune(kit_cxd2858_t* tuner, uint32_t frequencyKHz, uint32_t system,
                                  uint32_t symbolRateKSps)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    if (system < KIT_CXD2858_SAT_SYSTEM_FIRST || system > KIT_CXD2858_SAT_SYSTEM_LAST)
        return KIT_RESULT_ERROR_ARG;
    if (!satFrequencyOk(frequencyKHz))
        return KIT_RESULT_ERROR_RANGE;
    if (system == KIT_CXD2858_SAT_SYSTEM_FIXED_RATE)
        symbolRateKSps = SAT_FIXED_SYMBOL_RATE_KSPS;
    if (!inTunableState(tuner))
        return KIT_RESULT_ERROR_SW_STATE;
    kit_result_t r = leaveFor(tuner, KIT_CXD2858_STATE_SAT);
    if (r == KIT_RESULT_OK)
        r = writeReg(tuner, 0x15, 0x02);
    if (r == KIT_RESULT_OK)
        r = SAT_tune(tuner, frequencyKHz, system, symbolRateKSps, 1);
    if (r == KIT_RESULT_OK) {
        waitMs(10);
        r = SAT_tune_end(tuner);
    }
    if (settle(tuner, r) != KIT_RESULT_OK)
        return r;
    return recordTune(tuner, KIT_CXD2858_STATE_SAT, (frequencyKHz + 2) & ~3u, system, symbolRateKSps);
}

kit_result_t kit_cxd2858_ShiftFRF(kit_cxd2858_t* tuner, uint32_t frequencyKHz)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r;
    if (tuner->state == KIT_CXD2858_STATE_TERR) {
        if (!terrFrequencyOk(frequencyKHz))
            return KIT_RESULT_ERROR_RANGE;
        r = TER_tune(tuner, frequencyKHz, tuner->system, 0);
        if (r == KIT_RESULT_OK) {
            tuner->frequencyKHz = frequencyKHz;
            waitMs(10);
            r = TER_tune_end(tuner);
        }
    } else if (tuner->state == KIT_CXD2858_STATE_SAT) {
        if (!satFrequencyOk(frequencyKHz))
            return KIT_RESULT_ERROR_RANGE;
        r = SAT_tune(tuner, frequencyKHz, tuner->system, tuner->symbolRateKSps, 0);
        if (r == KIT_RESULT_OK) {
            tuner->frequencyKHz = frequencyKHz;
            waitMs(10);
            r = SAT_tune_end(tuner);
        }
    } else {
        return KIT_RESULT_ERROR_SW_STATE;
    }
    return settle(tuner, r);
}

kit_result_t kit_cxd2858_Sleep(kit_cxd2858_t* tuner)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r;
    switch (tuner->state) {
    case KIT_CXD2858_STATE_SLEEP:
        return KIT_RESULT_OK;
    case KIT_CXD2858_STATE_TERR:
        r = TER_fin(tuner);
        break;
    case KIT_CXD2858_STATE_SAT:
        r = SAT_fin(tuner);
        break;
    default:
        return KIT_RESULT_ERROR_SW_STATE;
    }
    if (r == KIT_RESULT_OK)
        r = oscillatorOff(tuner);
    if (settle(tuner, r) != KIT_RESULT_OK)
        return r;
    return recordTune(tuner, KIT_CXD2858_STATE_SLEEP, 0, 0, 0);
}

// ---- Small operations ----

kit_result_t kit_cxd2858_SetGPO(kit_cxd2858_t* tuner, uint8_t port, uint8_t value)
{
    if (!usable(tuner) || port > 1)
        return KIT_RESULT_ERROR_ARG;
    return writeReg(tuner, port == 0 ? 0x85 : 0x86, value ? 1 : 0);
}

kit_result_t kit_cxd2858_GetGPI1(kit_cxd2858_t* tuner, uint8_t* value)
{
    if (!usable(tuner) || !value)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b = 0;
    kit_result_t r = setBits(tuner, 0x86, 0x10, 0x10);
    if (r == KIT_RESULT_OK)
        r = readReg(tuner, 0x4B, &b);
    if (r == KIT_RESULT_OK)
        *value = b & 1;
    return r;
}

kit_result_t kit_cxd2858_SetRfExtCtrl(kit_cxd2858_t* tuner, uint8_t enable)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    return setBits(tuner, 0x67, enable ? 0x01 : 0x00, 0x01);
}

kit_result_t kit_cxd2858_SetFreesatMode(kit_cxd2858_t* tuner, uint8_t enable)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    tuner->isFreesatMode = enable ? 1 : 0;
    return KIT_RESULT_OK;
}

kit_result_t kit_cxd2858_RFFilterConfig(kit_cxd2858_t* tuner, uint8_t coefficient, uint8_t offset)
{
    if (!usable(tuner))
        return KIT_RESULT_ERROR_ARG;
    if (!inTunableState(tuner))
        return KIT_RESULT_ERROR_SW_STATE;
    const int asleep = tuner->state == KIT_CXD2858_STATE_SLEEP;
    const uint8_t mode[2] = {0xC4, 0x40};
    const uint8_t first[3] = {coefficient, 0x49, 0x03};
    const uint8_t second[3] = {offset, 0x4B, 0x03};
    kit_result_t r = asleep ? oscillatorOn(tuner) : KIT_RESULT_OK;
    if (r == KIT_RESULT_OK)
        r = writeRegs(tuner, 0x87, mode, 2);
    if (r == KIT_RESULT_OK)
        r = writeRegs(tuner, 0x16, first, 3);
    if (r != KIT_RESULT_OK)
        return r;
    waitMs(1);
    r = writeRegs(tuner, 0x16, second, 3);
    if (r != KIT_RESULT_OK)
        return r;
    waitMs(1);
    r = TER_tune_end(tuner);
    if (r == KIT_RESULT_OK && asleep)
        r = oscillatorOff(tuner);
    return r;
}

// ---- RSSI ----

// Frequency term of the RSSI by band, upper bounds inclusive.
static int32_t rssiFrequencyTerm(uint32_t kHz)
{
    static const struct {
        uint32_t maxKHz;
        int32_t term;
    } bands[] = {
        {65000, 4020},  {86000, 4200},  {150000, 4180}, {172000, 4080}, {184000, 3920},
        {215000, 4020}, {285000, 4250}, {320000, 4310}, {350000, 4110}, {400000, 4260},
        {464000, 4280}, {532000, 4050}, {600000, 4170}, {700000, 4130},
    };
    for (uint32_t i = 0; i < COUNT(bands); ++i)
        if (kHz <= bands[i].maxKHz)
            return bands[i].term;
    return 4150;
}

// The frequency term corrected for the larger of the two detector readings.
static int32_t rssiDetectorCorrection(int32_t f, int32_t x)
{
    if (x <= 4895)
        return f;
    if (x <= 5456)
        return f - ((x - 4896) * 70 + 127) / 255;
    if (x <= 8822)
        return f - 154;
    if (x <= 24785)
        return f - 154 - ((x - 8823) * 70 + 127) / 255;
    if (x <= 30089)
        return f - 4536 - ((x - 24786) * 57 + 127) / 255;
    return f - 5722 - ((x - 30090) * 160 + 127) / 255;
}

kit_result_t kit_cxd2858_ReadRssi(kit_cxd2858_t* tuner, int32_t* rssi)
{
    if (!usable(tuner) || !rssi)
        return KIT_RESULT_ERROR_ARG;
    if (tuner->state != KIT_CXD2858_STATE_TERR)
        return KIT_RESULT_ERROR_SW_STATE;
    static const int32_t gain[16] = {0, 0, 0, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 20, 20};
    const uint8_t mode[2] = {0xC4, 0x41};
    const uint8_t selectA[2] = {0x05, 0x01};
    const uint8_t selectB[2] = {0x03, 0x01};
    uint8_t a = 0, b = 0, g = 0;
    kit_result_t r = writeRegs(tuner, 0x87, mode, 2);
    if (r == KIT_RESULT_OK)
        r = writeRegs(tuner, 0x59, selectA, 2);
    if (r == KIT_RESULT_OK)
        r = readReg(tuner, 0x5B, &a);
    if (r == KIT_RESULT_OK)
        r = writeRegs(tuner, 0x59, selectB, 2);
    if (r == KIT_RESULT_OK)
        r = readReg(tuner, 0x5B, &b);
    if (r == KIT_RESULT_OK)
        r = writeReg(tuner, 0x59, 0x04);
    if (r == KIT_RESULT_OK)
        r = TER_tune_end(tuner);
    if (r == KIT_RESULT_OK)
        r = readReg(tuner, 0x69, &g);
    if (r != KIT_RESULT_OK)
        return r;

    int32_t rTerm = 100 * gain[g & 0x0F] + 870;
    if (140 * (int32_t)a < 9946)
        rTerm += (769 * (9945 - 140 * (int32_t)a) + 1275) / 2550;
    const int32_t x = 140 * (int32_t)(a > b ? a : b);
    const int32_t fTerm = rssiDetectorCorrection(rssiFrequencyTerm(tuner->frequencyKHz), x);
    *rssi = -(fTerm + rTerm);
    return KIT_RESULT_OK;
}
