#include "kit_demod_config.h"

#include "kit_demod.h"

#include <stddef.h>
#include <string.h>

// How an item's value becomes the bits of one register.
enum {
    X_BITS,         // the value, shifted by arg (negative: right)
    X_IF_SET,       // the mask when the value is non-zero, else 0
    X_IF_CLEAR,     // 0 when the value is non-zero, else the mask
    X_IF_TWO,       // the mask when the value is 2
    X_LOW2_TIMES,   // (value AND 3) x arg
    X_LOOKUP,       // lookup[value]; the item's range keeps the index inside
    X_PERIOD_HIGH,  // bits 10-8 of the period word round(value x 375 / 512)
    X_PERIOD_LOW,   // bits 7-0 of it
};

typedef struct {
    uint8_t port, bank, reg, mask;  // mask 0 ends the item's list
    uint8_t xform;
    int8_t arg;
    const uint8_t* lookup;
} reg_effect_t;

enum { K_REGISTERS, K_FLAG, K_STORE };

typedef struct {
    uint8_t sleepOnly;         // reconfigures the output: only while asleep
    uint8_t kind;              // K_REGISTERS, K_FLAG (stores value != 0), K_STORE (stores value)
    uint8_t busFailureOnly;    // any failure, a full memory too, reads as a bus failure
    uint32_t min, max;         // inclusive
    uint16_t fieldOffset;      // K_FLAG and K_STORE: where in the handle
    uint8_t fieldSize;
    reg_effect_t regs[3];
} config_item_t;

// The largest period value whose word (375 x value + 256) >> 9 stays below 2048. Checked
// before multiplying, so no value wraps into the range.
#define PERIOD_MAX ((2048u * 512u - 256u - 1u) / 375u)

static const uint8_t item23Values[3] = {0x50, 0x39, 0x28};
static const uint8_t item40Values[3] = {0x01, 0x80, 0x81};

#define T KIT_DEMOD_SLVT
#define X KIT_DEMOD_SLVX
#define ANY 0, UINT32_MAX
#define R(lo, hi) lo, hi
#define FIELD(f) (uint16_t)offsetof(kit_demod_t, f), (uint8_t)sizeof(((kit_demod_t*)0)->f)

#define BITS(p, b, r, m) {p, b, r, m, X_BITS, 0, NULL}
#define BITS_SHIFTED(p, b, r, m, s) {p, b, r, m, X_BITS, s, NULL}
#define SET_IF(p, b, r, m) {p, b, r, m, X_IF_SET, 0, NULL}
#define CLEAR_IF(p, b, r, m) {p, b, r, m, X_IF_CLEAR, 0, NULL}
#define SET_IF_TWO(p, b, r, m) {p, b, r, m, X_IF_TWO, 0, NULL}
#define LOW2_TIMES(p, b, r, m, k) {p, b, r, m, X_LOW2_TIMES, k, NULL}
#define LOOKUP(p, b, r, table) {p, b, r, 0xFF, X_LOOKUP, 0, table}
#define PERIOD(b, r) {T, b, r, 0x07, X_PERIOD_HIGH, 0, NULL}, {T, b, (r) + 1, 0xFF, X_PERIOD_LOW, 0, NULL}

#define REGS(range, ...) {0, K_REGISTERS, 0, range, 0, 0, {__VA_ARGS__}}
#define SLEEP_REGS(range, ...) {1, K_REGISTERS, 0, range, 0, 0, {__VA_ARGS__}}
#define BUS_REGS(range, ...) {0, K_REGISTERS, 1, range, 0, 0, {__VA_ARGS__}}
#define FLAG(f) {0, K_FLAG, 0, ANY, FIELD(f), {{0}}}
#define SLEEP_FLAG(f) {1, K_FLAG, 0, ANY, FIELD(f), {{0}}}
#define STORE(range, f) {0, K_STORE, 0, range, FIELD(f), {{0}}}
#define SLEEP_STORE(range, f) {1, K_STORE, 0, range, FIELD(f), {{0}}}

static const config_item_t items[KIT_DEMOD_CONFIG_COUNT] = {
    // TS output interface
    [0] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x00, 0xC4, 0x80)),
    [1] = SLEEP_REGS(ANY, SET_IF(T, 0x00, 0xC4, 0x08)),
    [2] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x00, 0xC4, 0x10)),
    [3] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x00, 0xC5, 0x02)),
    [4] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x00, 0xC5, 0x04)),
    [5] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x00, 0xCB, 0x01)),
    [6] = SLEEP_REGS(ANY, SET_IF(T, 0x00, 0xC5, 0x01)),
    [7] = SLEEP_FLAG(serialTsClockRow),
    [8] = SLEEP_REGS(R(0, 31), BITS(T, 0x00, 0xC6, 0x1F), BITS(T, 0x60, 0x52, 0x1F)),
    [9] = SLEEP_REGS(R(0, 31), BITS(T, 0x00, 0xC8, 0x1F)),
    [10] = SLEEP_REGS(R(0, 31), BITS(T, 0x00, 0xC9, 0x1F)),
    [11] = SLEEP_STORE(R(0, 255), parallelTsClock),
    [12] = SLEEP_REGS(R(0, 7), BITS(T, 0x00, 0xD6, 0x07)),
    [13] = SLEEP_FLAG(tsClockGating),
    [14] = REGS(R(0, 4096), SET_IF(T, 0x00, 0xB7, 0x01), BITS_SHIFTED(T, 0x00, 0xB2, 0x1F, -8),
                BITS(T, 0x00, 0xB3, 0xFF)),
    [15] = SLEEP_REGS(ANY, BITS(T, 0x00, 0x95, 0x03)),
    [16] = SLEEP_REGS(ANY, LOW2_TIMES(T, 0x00, 0x95, 0x3C, 0x14), LOW2_TIMES(T, 0x00, 0x96, 0xFF, 0x55),
                      LOW2_TIMES(T, 0x00, 0x97, 0xFF, 0x55)),
    [17] = REGS(ANY, BITS(X, 0x00, 0x86, 0x03)),
    [18] = BUS_REGS(ANY, BITS_SHIFTED(X, 0x00, 0x86, 0x0C, 2)),
    [19] = BUS_REGS(ANY, BITS_SHIFTED(X, 0x00, 0x86, 0x30, 4)),
    [20] = SLEEP_STORE(R(1, 5), serialTsRate),
    [21] = SLEEP_STORE(ANY, tunerFilter),
    // Terrestrial and cable options
    [22] = REGS(ANY, SET_IF(T, 0x10, 0xCB, 0x40)),
    [23] = REGS(R(0, 2), LOOKUP(T, 0x10, 0xCD, item23Values)),
    [24] = FLAG(ifSpectrumInverted),
    [25] = FLAG(blindTuneT2First),
    [26] = REGS(R(0, 31), BITS(T, 0x10, 0x60, 0x1F)),
    [27] = REGS(R(0, 31), BITS(T, 0x40, 0x60, 0x1F)),
    [28] = REGS(R(0, 7), BITS(T, 0x10, 0x6F, 0x07)),
    [29] = REGS(R(0, 15), BITS(T, 0x20, 0x72, 0x0F)),
    [30] = REGS(R(0, 15), BITS(T, 0x20, 0x6F, 0x0F)),
    [31] = REGS(R(0, 15), BITS(T, 0x10, 0x5C, 0x0F)),
    [32] = REGS(R(0, 31), BITS(T, 0x40, 0x5C, 0x1F)),
    [33] = REGS(R(0, 15), BITS(T, 0x24, 0xDC, 0x0F)),
    [34] = REGS(ANY, BITS_SHIFTED(T, 0x60, 0x5B, 0x7F, -8), BITS(T, 0x60, 0x5C, 0xFF)),
    // Error-counter periods
    [35] = SLEEP_REGS(ANY, SET_IF(T, 0x10, 0x84, 0x01)),
    [36] = SLEEP_REGS(R(1, PERIOD_MAX), PERIOD(0x10, 0x82)),
    [37] = SLEEP_REGS(ANY, SET_IF(T, 0x20, 0x7C, 0x01)),
    [38] = SLEEP_REGS(R(1, PERIOD_MAX), PERIOD(0x20, 0x7A)),
    [39] = SLEEP_REGS(R(1, PERIOD_MAX), PERIOD(0x02, 0x48)),
    [40] = REGS(R(0, 2), LOOKUP(T, 0x63, 0x3B, item40Values)),
    [41] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x49, 0x36, 0x04)),
    [42] = SLEEP_REGS(ANY, SET_IF(T, 0x49, 0x36, 0x02)),
    // Satellite
    [43] = SLEEP_STORE(R(0, 5), satSerialTsRate),
    [44] = FLAG(satIQInverted),
    [45] = REGS(ANY, SET_IF(T, 0xA0, 0xB9, 0x01)),
    [46] = REGS(R(0, 15), BITS(T, 0xA0, 0xBA, 0xFF)),
    [47] = REGS(R(0, 15), BITS(T, 0xA0, 0xBC, 0xFF)),
    [48] = REGS(R(0, 15), BITS(T, 0xA0, 0xBB, 0xFF)),
    [49] = REGS(R(0, 15), BITS(T, 0xA0, 0x7A, 0xFF)),
    [50] = STORE(R(0, 7), satSearch),
    [51] = REGS(ANY, SET_IF(T, 0xC0, 0xA6, 0x01)),
    [52] = REGS(R(0, 15), BITS(T, 0xC0, 0xB1, 0x0F)),
    [53] = REGS(R(0, 15), BITS(T, 0xC0, 0xB2, 0x0F)),
    [54] = REGS(R(0, 7), BITS(T, 0xC0, 0xB0, 0x07)),
    [55] = REGS(R(0, 15), BITS(T, 0xD0, 0xD0, 0x0F)),
    [56] = REGS(R(0, 15), BITS(T, 0xD0, 0xD1, 0x0F)),
    [57] = REGS(R(0, 15), BITS(T, 0xD0, 0xB3, 0x0F)),
    [58] = REGS(R(0, 15), BITS(T, 0xD0, 0xB4, 0x0F)),
    // TLV output interface
    [59] = SLEEP_FLAG(tlvOutputSystem10),
    [60] = SLEEP_FLAG(tlvOutputDvbc2),
    [61] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x01, 0xC1, 0x80), SET_IF_TWO(T, 0x01, 0xCF, 0x01)),
    [62] = SLEEP_REGS(ANY, SET_IF(T, 0x01, 0xC1, 0x08)),
    [63] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x01, 0xC1, 0x10)),
    [64] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x01, 0xC2, 0x02)),
    [65] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x01, 0xC2, 0x04)),
    [66] = SLEEP_REGS(ANY, CLEAR_IF(T, 0x01, 0xC8, 0x01)),
    [67] = SLEEP_REGS(ANY, SET_IF(T, 0x01, 0xC2, 0x01)),
    [68] = SLEEP_FLAG(serialTlvClockRow),
    [69] = SLEEP_REGS(R(0, 31), BITS(T, 0x01, 0xC3, 0x1F)),
    [70] = SLEEP_REGS(R(0, 31), BITS(T, 0x01, 0xC5, 0x1F)),
    [71] = SLEEP_REGS(R(0, 31), BITS(T, 0x01, 0xC6, 0x1F)),
    [72] = SLEEP_STORE(R(1, 5), tlvRateSerialDvbc2),
    [73] = SLEEP_STORE(R(0, 5), tlvRateSerialSystem10),
    [74] = SLEEP_STORE(R(1, 2), tlvRateParallelDvbc2),
    [75] = SLEEP_STORE(R(1, 2), tlvRateParallelSystem10),
};

static uint8_t registerBits(const reg_effect_t* e, uint32_t value)
{
    const uint32_t period = 375 * value + 256;  // only for items whose range keeps this small
    switch (e->xform) {
    case X_IF_SET:
        return value ? e->mask : 0;
    case X_IF_CLEAR:
        return value ? 0 : e->mask;
    case X_IF_TWO:
        return value == 2 ? e->mask : 0;
    case X_LOW2_TIMES:
        return (uint8_t)((value & 3) * (uint8_t)e->arg);
    case X_LOOKUP:
        return e->lookup[value];
    case X_PERIOD_HIGH:
        return (uint8_t)(period >> 17);
    case X_PERIOD_LOW:
        return (uint8_t)(period >> 9);
    default:
        return (uint8_t)(e->arg >= 0 ? value << e->arg : value >> -e->arg);
    }
}

static void storeField(kit_demod_t* demod, const config_item_t* item, uint32_t value)
{
    uint8_t* field = (uint8_t*)demod + item->fieldOffset;
    if (item->fieldSize == sizeof(uint8_t))
        *field = (uint8_t)value;
    else
        memcpy(field, &value, sizeof(value));
}

kit_result_t kit_demod_SetConfig(kit_demod_t* demod, kit_demod_config_id_t id, uint32_t value)
{
    if (!demod || !demod->i2c)
        return KIT_RESULT_ERROR_ARG;
    if (demod->state != KIT_DEMOD_STATE_SLEEP && demod->state != KIT_DEMOD_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    if (id >= KIT_DEMOD_CONFIG_COUNT)
        return KIT_RESULT_ERROR_NOSUPPORT;
    const config_item_t* item = &items[id];
    if (item->sleepOnly && demod->state != KIT_DEMOD_STATE_SLEEP)
        return KIT_RESULT_ERROR_SW_STATE;
    if (value < item->min || value > item->max)
        return KIT_RESULT_ERROR_RANGE;

    if (item->kind == K_FLAG) {
        storeField(demod, item, value != 0);
        return KIT_RESULT_OK;
    }
    if (item->kind == K_STORE) {
        storeField(demod, item, value);
        return KIT_RESULT_OK;
    }
    for (size_t i = 0; i < sizeof(item->regs) / sizeof(item->regs[0]) && item->regs[i].mask; ++i) {
        const reg_effect_t* e = &item->regs[i];
        const kit_result_t r = kit_demod_SetAndSaveRegisterBits(
            demod, kit_demod_PortAddress(demod, (kit_demod_port_t)e->port), e->bank, e->reg,
            registerBits(e, value), e->mask);
        if (r != KIT_RESULT_OK)
            return item->busFailureOnly ? KIT_RESULT_ERROR_I2C : r;
    }
    return KIT_RESULT_OK;
}
