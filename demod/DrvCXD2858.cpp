#include "DrvCXD2858.h"

#include "embedded_debug.h"
#include "embedded_rtos.h"

#include "common/embedded_timers.h"
#include "hw/DrvI2c.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kFlagsOwnOscillator = 0x4000;
constexpr uint32_t kFlagsExternalOscillator = 0x80004000u;
constexpr uint16_t kTuneEndWaitMs = 50;
// An analogue channel is tuned at its vision carrier, 1.25 MHz above the lower edge.
constexpr uint32_t kVisionCarrierHz = 1250000;
constexpr uint32_t kSatSystem = 30;
constexpr uint32_t kSatSystemForType7 = 31;

struct Storage {
    st_t_data_CXD2858 state;
    st_t_plugplag_CXD2858 pnp;
};

Storage& storage()
{
    static Storage s{};
    return s;
}

// The tuner driver's results as the library reports them (no text of their own).
void translate(kit_result_t r, KxlDrvLibError* err)
{
    switch (r) {
    case KIT_RESULT_OK:
    case KIT_RESULT_ERROR_TIMEOUT:
    case KIT_RESULT_ERROR_UNLOCK:
    case KIT_RESULT_ERROR_CANCEL:
        return;
    case KIT_RESULT_ERROR_ARG:
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 0, nullptr);
        return;
    case KIT_RESULT_ERROR_I2C:
        KxlDrvLib_error_set(err, KxlDrvLib_code_i2c, 1, nullptr);
        return;
    case KIT_RESULT_ERROR_HW_STATE:
        KxlDrvLib_error_set(err, KxlDrvLib_code_fail, 1, nullptr);
        return;
    case KIT_RESULT_ERROR_RANGE:
    case KIT_RESULT_ERROR_NOSUPPORT:
        KxlDrvLib_error_set(err, KxlDrvLib_code_range, 0, nullptr);
        return;
    default:
        KxlDrvLib_error_set(err, KxlDrvLib_code_fail, 0, nullptr);
        return;
    }
}

// The bus error the binding kept comes first; the tuner driver's own result after it.
void take(KxlDrvLibError* err, st_t_data_CXD2858* s, kit_result_t r)
{
    DrvCXD2858_i2c_get_error(&s->i2c, err);
    translate(r, err);
}

void gate(KxlDrvLibError* err, const st_t_data_CXD2858* s, DrvCXD2858_gate_t fn)
{
    if (!fn)
        return;
    KxlDrvLibError g;
    KxlDrvLib_error_ok(&g);
    fn(&g, s->gate_argument);
    KxlDrvLib_error_keep_first(err, &g);
}

void lockStep(KxlDrvLibError* err, uint32_t hookResult)
{
    if (hookResult != 0)
        KxlDrvLib_error_set(err, hookResult, 0, nullptr);
}

struct Xtal {
    uint32_t hz;
    uint32_t code;
};
constexpr Xtal kXtals[] = {
    {16000000, KIT_CXD2858_XTAL_16000KHZ},
    {20500000, KIT_CXD2858_XTAL_20500KHZ},
    {24000000, KIT_CXD2858_XTAL_24000KHZ},
    {41000000, KIT_CXD2858_XTAL_41000KHZ},
};

uint32_t xtalCode(uint32_t hz, KxlDrvLibError* err)
{
    for (const Xtal& x : kXtals)
        if (x.hz == hz)
            return x.code;
    KxlDrvLib_error_set(err, KxlDrvLib_code_xtal, 0, DRVCXD2858_TEXT_XTAL);
    return KIT_CXD2858_XTAL_24000KHZ;
}

void runPoweronHandler(KxlDrvLibError* err, st_t_data_CXD2858* s)
{
    lockStep(err, DrvI2cMux_LockBus());
    lockStep(err, DrvI2c_LockBus());
    lockStep(err, EMBEDDEDRTOS_schedulerlock());
    lockStep(err, DrvI2c_UnLockBus());
    lockStep(err, DrvI2cMux_UnLockBus());
    uint8_t done = 1;
    KxlDrvLibError h;
    KxlDrvLib_error_ok(&h);
    s->poweron_handler(&h, &done);
    KxlDrvLib_error_keep_first(err, &h);
    if (done == 0)
        EMBEDDEDTIMERS_delayms(s->pnp->poweron_delay_ms);
    EMBEDDEDRTOS_schedulerunlock();
    EMBEDDEDDEBUG_string("Handler!=NULL");
}

// ---- terrestrial signal translation ----------------------------------------------------

// One bandwidth class of a signal type: up to maxHz (0: any larger).
struct BandwidthRow {
    uint32_t maxHz;
    t_DrvCXD2858_ter_signal signal;
};

template <size_t N>
t_DrvCXD2858_ter_signal byBandwidth(const BandwidthRow (&rows)[N], uint32_t bandwidthHz)
{
    for (const BandwidthRow& r : rows)
        if (r.maxHz == 0 || bandwidthHz <= r.maxHz)
            return r.signal;
    return rows[N - 1].signal;
}

constexpr BandwidthRow kDvbc[] = {{6000000, {23, 3700000, 6000000}}, {0, {24, 4900000, 8000000}}};
constexpr BandwidthRow kDvbt[] = {{5000000, {14, 3600000, 6000000}},
                                  {6000000, {15, 3900000, 6000000}},
                                  {7000000, {16, 4350000, 7000000}},
                                  {0, {17, 4900000, 8000000}}};
constexpr BandwidthRow kDvbt2[] = {{1700000, {18, 3500000, 1700000}},
                                   {5000000, {19, 3600000, 6000000}},
                                   {6000000, {20, 3600000, 6000000}},
                                   {7000000, {21, 4200000, 7000000}},
                                   {0, {22, 4800000, 8000000}}};
constexpr BandwidthRow kIsdbt[] = {
    {6000000, {11, 3550000, 6000000}}, {7000000, {12, 4150000, 7000000}}, {0, {13, 4750000, 8000000}}};
constexpr BandwidthRow kDvbc2[] = {{6000000, {25, 3700000, 6000000}}, {0, {26, 4900000, 8000000}}};
constexpr BandwidthRow kAnalogOther[] = {{7000000, {4, 5050000, 7000000}}, {0, {4, 4550000, 8000000}}};

t_DrvCXD2858_ter_signal analogue(uint32_t bandwidthHz, eCOLOR_SYSTEM colour, eANL_STD standard)
{
    const bool other = colour != 2 && colour != 3;
    if (colour != 3 && standard == 2)
        return {6, 5100000, 8000000};
    if (colour == 2 && standard == 6)
        return {7, 5100000, 8000000};
    if (other && standard == 3)
        return {5, 5100000, 8000000};
    if (colour == 3 || (other && (standard == 4 || standard == 5)))
        return {2, 4000000, 6000000};
    return byBandwidth(kAnalogOther, bandwidthHz);
}

// ---- state -------------------------------------------------------------------------------

void setDefaults(st_t_plugplag_CXD2858* p)
{
    p->poweron_delay_ms = DRVCXD2858_DEFAULT_POWERON_DELAY_MS;
    p->xtal_hz = DRVCXD2858_DEFAULT_XTAL_HZ;
    p->tuner_flag = 1;
    p->ter_max_hz = DRVCXD2858_DEFAULT_TER_MAX_HZ;
    p->ter_min_hz = DRVCXD2858_DEFAULT_TER_MIN_HZ;
    p->sat_max_hz = DRVCXD2858_DEFAULT_SAT_MAX_HZ;
    p->sat_min_hz = DRVCXD2858_DEFAULT_SAT_MIN_HZ;
}

bool usable(KxlDrvLibError* err, const st_t_data_CXD2858* s)
{
    if (!s) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 0, DRVCXD2858_TEXT_NULL_STATE);
        return false;
    }
    if (!s->pnp) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 0, DRVCXD2858_TEXT_NULL_PNP);
        return false;
    }
    return true;
}

} // namespace

st_t_data_CXD2858* DrvCXD2858_state(void) { return &storage().state; }

KxlDrvLibError* DrvCXD2858_m_init(KxlDrvLibError* err, DrvCXD2858_power_handler_t poweron,
                                  DrvCXD2858_power_handler_t poweroff, DrvCXD2858_gate_t open,
                                  DrvCXD2858_gate_t close, uint32_t gateArgument, uint8_t i2cAddress,
                                  uint32_t busHandle, st_t_data_CXD2858* s)
{
    KxlDrvLib_error_ok(err);
    if (!usable(err, s))
        return err;
    setDefaults(s->pnp);
    s->poweron_handler = poweron;
    s->poweroff_handler = poweroff;
    s->gate_open = open;
    s->gate_close = close;
    s->gate_argument = gateArgument;
    s->i2c_address = i2cAddress;
    s->ter_signal_type = eSIGNAL_TYPE_NONE;
    s->color_system = 0;
    s->anl_std = 0;
    s->sat_signal_type = 2;
    s->sat_symbol_rate = 27500000;
    s->ter_frequency = 650000000;
    s->ter_bandwidth = 0;
    s->ter_if_frequency = 0;
    s->sat_frequency = 1500000000;
    s->i2c_context.handle = busHandle;
    DrvCXD2858_i2c_init(&s->i2c, &s->i2c_context);
    s->powered = 0;
    return err;
}

KxlDrvLibError* DrvCXD2858_init(KxlDrvLibError* err, DrvCXD2858_power_handler_t poweron,
                                DrvCXD2858_power_handler_t poweroff, DrvCXD2858_gate_t open,
                                DrvCXD2858_gate_t close, uint32_t gateArgument, uint8_t i2cAddress,
                                uint32_t busHandle)
{
    Storage& st = storage();
    st.state.pnp = &st.pnp;
    return DrvCXD2858_m_init(err, poweron, poweroff, open, close, gateArgument, i2cAddress, busHandle, &st.state);
}

KxlDrvLibError* DrvCXD2858_m_open(KxlDrvLibError* err, DrvCXD2858_power_handler_t poweron,
                                  DrvCXD2858_power_handler_t poweroff, DrvCXD2858_gate_t open,
                                  DrvCXD2858_gate_t close, uint32_t gateArgument, uint8_t i2cAddress,
                                  uint32_t busHandle, st_t_data_CXD2858** handle)
{
    KxlDrvLib_error_ok(err);
    if (!handle) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 0, DRVCXD2858_TEXT_NULL_STATE);
        return err;
    }
    auto* s = static_cast<st_t_data_CXD2858*>(EMBEDDEDRTOS_malloc(sizeof(st_t_data_CXD2858)));
    auto* p = static_cast<st_t_plugplag_CXD2858*>(EMBEDDEDRTOS_malloc(sizeof(st_t_plugplag_CXD2858)));
    if (!s || !p) {
        EMBEDDEDRTOS_free(s);
        EMBEDDEDRTOS_free(p);
        KxlDrvLib_error_set(err, KxlDrvLib_code_heap, 0, DRVCXD2858_TEXT_HEAP);
        return err;
    }
    std::memset(s, 0, sizeof *s);
    std::memset(p, 0, sizeof *p);
    s->magic = DRVCXD2858_MAGIC;
    s->pnp = p;
    *handle = s;
    return DrvCXD2858_m_init(err, poweron, poweroff, open, close, gateArgument, i2cAddress, busHandle, s);
}

KxlDrvLibError* DrvCXD2858_m_close(KxlDrvLibError* err, st_t_data_CXD2858** handle)
{
    KxlDrvLib_error_ok(err);
    if (!handle) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 0, DRVCXD2858_TEXT_NULL_STATE);
        return err;
    }
    st_t_data_CXD2858* s = *handle;
    if (!s) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_null, 0, DRVCXD2858_TEXT_NULL_HANDLE);
        return err;
    }
    if (s->magic != DRVCXD2858_MAGIC) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_handle, 0, DRVCXD2858_TEXT_HANDLE);
        return err;
    }
    if (s->pnp)
        EMBEDDEDRTOS_free(s->pnp);
    else
        KxlDrvLib_error_set(err, KxlDrvLib_code_format, 0, DRVCXD2858_TEXT_NULL_PNP);
    s->magic = 0;
    EMBEDDEDRTOS_free(s);
    *handle = nullptr;
    return err;
}

KxlDrvLibError* DrvCXD2858_m_poweron(KxlDrvLibError* err, st_t_data_CXD2858* s)
{
    KxlDrvLib_error_ok(err);
    if (!usable(err, s))
        return err;
    if (s->poweron_handler)
        runPoweronHandler(err, s);
    if (s->powered)
        return err;
    DrvCXD2858_i2c_clear_error(&s->i2c);
    const uint32_t code = xtalCode(s->pnp->xtal_hz, err);
    const uint32_t flags = s->pnp->tuner_flag ? kFlagsOwnOscillator : kFlagsExternalOscillator;
    const kit_result_t created = kit_cxd2858_Create(&s->tuner, code, s->i2c_address, &s->i2c, flags);
    take(err, s, created);
    gate(err, s, s->gate_open);
    const kit_result_t initialised = kit_cxd2858_Initialize(&s->tuner);
    gate(err, s, s->gate_close);
    take(err, s, initialised);
    // Only a tuner that came up counts: anything else is created again by the next power-on.
    KxlDrvLibError bus;
    KxlDrvLib_error_ok(&bus);
    DrvCXD2858_i2c_get_error(&s->i2c, &bus);
    s->powered = created == KIT_RESULT_OK && initialised == KIT_RESULT_OK && KxlDrvLib_error_is_ok(&bus);
    return err;
}

KxlDrvLibError* DrvCXD2858_m_poweroff(KxlDrvLibError* err, st_t_data_CXD2858* s)
{
    KxlDrvLib_error_ok(err);
    if (!usable(err, s))
        return err;
    if (!s->powered) {
        KxlDrvLibError on;
        KxlDrvLib_error_keep_first(err, DrvCXD2858_m_poweron(&on, s));
    }
    DrvCXD2858_i2c_clear_error(&s->i2c);
    gate(err, s, s->gate_open);
    const kit_result_t r = kit_cxd2858_Sleep(&s->tuner);
    gate(err, s, s->gate_close);
    take(err, s, r);
    if (s->poweroff_handler) {
        uint8_t done = 1;
        KxlDrvLibError h;
        KxlDrvLib_error_ok(&h);
        s->poweroff_handler(&h, &done);
        KxlDrvLib_error_keep_first(err, &h);
    }
    return err;
}

t_DrvCXD2858_ter_signal DrvCXD2858_translate_ter_signal(eSIGNAL_TYPE type, uint32_t bandwidthHz,
                                                        eCOLOR_SYSTEM colour, eANL_STD standard)
{
    switch (type) {
    case eSIGNAL_TYPE_DVBC:
        return byBandwidth(kDvbc, bandwidthHz);
    case eSIGNAL_TYPE_ANALOG:
        return analogue(bandwidthHz, colour, standard);
    case 5:
        return {9, 3700000, 6000000};
    case eSIGNAL_TYPE_J83B:
        return {10, 4000000, 6000000};
    case 8:
        return {18, 3500000, 1700000};
    case eSIGNAL_TYPE_DVBT2:
        return byBandwidth(kDvbt2, bandwidthHz);
    case eSIGNAL_TYPE_ISDBT:
        return byBandwidth(kIsdbt, bandwidthHz);
    case 11:
        return {28, 5100000, 8000000};
    case eSIGNAL_TYPE_DVBC2:
        return byBandwidth(kDvbc2, bandwidthHz);
    default:
        return byBandwidth(kDvbt, bandwidthHz);
    }
}

KxlDrvLibError* DrvCXD2858_m_write_ter_cfg(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t bandwidthHz,
                                           eCOLOR_SYSTEM colour, eANL_STD standard, uint32_t frequencyHz,
                                           st_t_data_CXD2858* s)
{
    KxlDrvLib_error_ok(err);
    if (!usable(err, s))
        return err;
    s->ter_signal_type = type;
    const uint32_t clamped = std::clamp(frequencyHz, s->pnp->ter_min_hz, s->pnp->ter_max_hz);
    if (clamped != frequencyHz)
        KxlDrvLib_error_set(err, KxlDrvLib_code_range, 0, DRVCXD2858_TEXT_OUT_OF_BAND);
    const bool isAnalogue = type == eSIGNAL_TYPE_ANALOG;
    s->color_system = isAnalogue ? colour : 0;
    s->anl_std = isAnalogue ? standard : 0;
    const t_DrvCXD2858_ter_signal signal =
        DrvCXD2858_translate_ter_signal(type, bandwidthHz, s->color_system, s->anl_std);
    s->ter_bandwidth = signal.bandwidth_hz;
    s->ter_if_frequency = signal.if_hz;
    const uint32_t offset = isAnalogue ? signal.bandwidth_hz / 2 - kVisionCarrierHz : 0;
    DrvCXD2858_i2c_clear_error(&s->i2c);
    gate(err, s, s->gate_open);
    const uint32_t tunedKHz = (clamped - offset) / 1000;
    const kit_result_t tuned = kit_cxd2858_terr_Tune(&s->tuner, tunedKHz, signal.system);
    s->ter_frequency = offset + tunedKHz * 1000;
    take(err, s, tuned);
    EMBEDDEDTIMERS_delayms(kTuneEndWaitMs);
    take(err, s, kit_cxd2858_terr_TuneEnd(&s->tuner));
    gate(err, s, s->gate_close);
    return err;
}

KxlDrvLibError* DrvCXD2858_m_write_ter_frequency(KxlDrvLibError* err, uint32_t frequencyHz, st_t_data_CXD2858* s)
{
    if (!s) {
        KxlDrvLib_error_ok(err);
        usable(err, s);
        return err;
    }
    return DrvCXD2858_m_write_ter_cfg(err, s->ter_signal_type, s->ter_bandwidth, s->color_system, s->anl_std,
                                      frequencyHz, s);
}

KxlDrvLibError* DrvCXD2858_m_write_sat_cfg(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t symbolRateBd,
                                           uint32_t frequencyHz, st_t_data_CXD2858* s)
{
    KxlDrvLib_error_ok(err);
    if (!usable(err, s))
        return err;
    s->sat_signal_type = type;
    s->sat_symbol_rate = symbolRateBd;
    DrvCXD2858_i2c_clear_error(&s->i2c);
    gate(err, s, s->gate_open);
    const uint32_t kHz = std::clamp(frequencyHz, s->pnp->sat_min_hz, s->pnp->sat_max_hz) / 1000;
    const uint32_t system = type == eSIGNAL_TYPE_SAT_SYSTEM31 ? kSatSystemForType7 : kSatSystem;
    const kit_result_t r = kit_cxd2858_sat_Tune(&s->tuner, kHz, system, symbolRateBd / 1000);
    // The tuner goes in 4 kHz steps and says where it went.
    s->sat_frequency = (r == KIT_RESULT_OK ? s->tuner.frequencyKHz : kHz) * 1000;
    take(err, s, r);
    gate(err, s, s->gate_close);
    return err;
}

KxlDrvLibError* DrvCXD2858_m_write_sat_frequency(KxlDrvLibError* err, uint32_t frequencyHz, st_t_data_CXD2858* s)
{
    if (!s) {
        KxlDrvLib_error_ok(err);
        usable(err, s);
        return err;
    }
    return DrvCXD2858_m_write_sat_cfg(err, s->sat_signal_type, s->sat_symbol_rate, frequencyHz, s);
}

uint32_t DrvCXD2858_m_get_ter_frequency(const st_t_data_CXD2858* s) { return s ? s->ter_frequency : 0; }
uint32_t DrvCXD2858_m_get_sat_frequency(const st_t_data_CXD2858* s) { return s ? s->sat_frequency : 0; }
uint32_t DrvCXD2858_m_get_ter_if_frequency(const st_t_data_CXD2858* s) { return s ? s->ter_if_frequency : 0; }
uint32_t DrvCXD2858_m_get_ter_bw(const st_t_data_CXD2858* s) { return s ? s->ter_bandwidth : 0; }

uint32_t DrvCXD2858_get_ter_closest_bw(eSIGNAL_TYPE type, uint32_t bandwidthHz, eCOLOR_SYSTEM colour,
                                       eANL_STD standard)
{
    return DrvCXD2858_translate_ter_signal(type, bandwidthHz, colour, standard).bandwidth_hz;
}

void DrvCXD2858_m_get_ter_maxmin_frequency(uint32_t* maxHz, uint32_t* minHz, const st_t_data_CXD2858* s)
{
    const bool known = s && s->pnp;
    if (maxHz)
        *maxHz = known ? s->pnp->ter_max_hz : 0;
    if (minHz)
        *minHz = known ? s->pnp->ter_min_hz : 0;
}

void DrvCXD2858_m_get_sat_maxmin_frequency(uint32_t* maxHz, uint32_t* minHz, const st_t_data_CXD2858* s)
{
    const bool known = s && s->pnp;
    if (maxHz)
        *maxHz = known ? s->pnp->sat_max_hz : 0;
    if (minHz)
        *minHz = known ? s->pnp->sat_min_hz : 0;
}

uint8_t DrvCXD2858_m_is_ter_frequency_in_range(uint32_t hz, const st_t_data_CXD2858* s)
{
    return s && s->pnp && hz >= s->pnp->ter_min_hz && hz <= s->pnp->ter_max_hz;
}

uint8_t DrvCXD2858_m_is_sat_frequency_in_range(uint32_t hz, const st_t_data_CXD2858* s)
{
    return s && s->pnp && hz >= s->pnp->sat_min_hz && hz <= s->pnp->sat_max_hz;
}

// ---- the static state --------------------------------------------------------------------

KxlDrvLibError* DrvCXD2858_poweron(KxlDrvLibError* err) { return DrvCXD2858_m_poweron(err, DrvCXD2858_state()); }
KxlDrvLibError* DrvCXD2858_poweroff(KxlDrvLibError* err) { return DrvCXD2858_m_poweroff(err, DrvCXD2858_state()); }

KxlDrvLibError* DrvCXD2858_write_ter_cfg(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t bandwidthHz,
                                         eCOLOR_SYSTEM colour, eANL_STD standard, uint32_t frequencyHz)
{
    return DrvCXD2858_m_write_ter_cfg(err, type, bandwidthHz, colour, standard, frequencyHz, DrvCXD2858_state());
}

KxlDrvLibError* DrvCXD2858_write_ter_frequency(KxlDrvLibError* err, uint32_t frequencyHz)
{
    return DrvCXD2858_m_write_ter_frequency(err, frequencyHz, DrvCXD2858_state());
}

KxlDrvLibError* DrvCXD2858_write_sat_cfg(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t symbolRateBd,
                                         uint32_t frequencyHz)
{
    return DrvCXD2858_m_write_sat_cfg(err, type, symbolRateBd, frequencyHz, DrvCXD2858_state());
}

KxlDrvLibError* DrvCXD2858_write_sat_frequency(KxlDrvLibError* err, uint32_t frequencyHz)
{
    return DrvCXD2858_m_write_sat_frequency(err, frequencyHz, DrvCXD2858_state());
}

uint32_t DrvCXD2858_get_ter_frequency(void) { return DrvCXD2858_m_get_ter_frequency(DrvCXD2858_state()); }
uint32_t DrvCXD2858_get_sat_frequency(void) { return DrvCXD2858_m_get_sat_frequency(DrvCXD2858_state()); }
uint32_t DrvCXD2858_get_ter_if_frequency(void) { return DrvCXD2858_m_get_ter_if_frequency(DrvCXD2858_state()); }
uint32_t DrvCXD2858_get_ter_bw(void) { return DrvCXD2858_m_get_ter_bw(DrvCXD2858_state()); }

void DrvCXD2858_get_ter_maxmin_frequency(uint32_t* maxHz, uint32_t* minHz)
{
    DrvCXD2858_m_get_ter_maxmin_frequency(maxHz, minHz, DrvCXD2858_state());
}

void DrvCXD2858_get_sat_maxmin_frequency(uint32_t* maxHz, uint32_t* minHz)
{
    DrvCXD2858_m_get_sat_maxmin_frequency(maxHz, minHz, DrvCXD2858_state());
}

uint8_t DrvCXD2858_is_ter_frequency_in_range(uint32_t hz)
{
    return DrvCXD2858_m_is_ter_frequency_in_range(hz, DrvCXD2858_state());
}

uint8_t DrvCXD2858_is_sat_frequency_in_range(uint32_t hz)
{
    return DrvCXD2858_m_is_sat_frequency_in_range(hz, DrvCXD2858_state());
}
