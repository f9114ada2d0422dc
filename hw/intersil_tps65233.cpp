#include "intersil_tps65233.h"

namespace {

constexpr uint32_t kDefaultConfig[3] = {0, 0, 10};

// Settings are kept only while the controller sleeps or is active.
kit_result_t usable(const kit_lnbc_t* lnbc)
{
    if (!lnbc)
        return KIT_RESULT_ERROR_ARG;
    if (lnbc->state != KIT_LNBC_STATE_SLEEP && lnbc->state != KIT_LNBC_STATE_ACTIVE)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

void setDefaults(kit_lnbc_t* lnbc)
{
    lnbc->voltage = KIT_LNBC_VOLTAGE_LOW;
    lnbc->tone = KIT_LNBC_TONE_AUTO;
    lnbc->transmitMode = 0;
    for (int i = 0; i < 3; ++i)
        lnbc->config[i] = kDefaultConfig[i];
}

kit_result_t initialize(kit_lnbc_t* lnbc)
{
    if (!lnbc)
        return KIT_RESULT_ERROR_ARG;
    lnbc->state = KIT_LNBC_STATE_SLEEP;
    setDefaults(lnbc);
    return KIT_RESULT_OK;
}

kit_result_t setConfig(kit_lnbc_t* lnbc, uint32_t id, uint32_t value)
{
    if (kit_result_t r = usable(lnbc))
        return r;
    if (id >= 3)
        return KIT_RESULT_ERROR_ARG;
    lnbc->config[id] = value;
    return KIT_RESULT_OK;
}

kit_result_t setVoltage(kit_lnbc_t* lnbc, uint32_t voltage)
{
    if (kit_result_t r = usable(lnbc))
        return r;
    if (voltage > KIT_LNBC_VOLTAGE_AUTO)
        return KIT_RESULT_ERROR_ARG;
    lnbc->voltage = voltage;
    return KIT_RESULT_OK;
}

kit_result_t setTone(kit_lnbc_t* lnbc, uint32_t tone)
{
    if (kit_result_t r = usable(lnbc))
        return r;
    lnbc->tone = tone;
    return KIT_RESULT_OK;
}

kit_result_t setTransmitMode(kit_lnbc_t* lnbc, uint32_t mode)
{
    if (kit_result_t r = usable(lnbc))
        return r;
    lnbc->transmitMode = mode;
    return KIT_RESULT_OK;
}

// from -> to; staying in to is fine, any other state is not.
kit_result_t move(kit_lnbc_t* lnbc, uint32_t from, uint32_t to)
{
    if (!lnbc)
        return KIT_RESULT_ERROR_ARG;
    if (lnbc->state == from)
        lnbc->state = to;
    else if (lnbc->state != to)
        return KIT_RESULT_ERROR_SW_STATE;
    return KIT_RESULT_OK;
}

kit_result_t sleep(kit_lnbc_t* lnbc) { return move(lnbc, KIT_LNBC_STATE_ACTIVE, KIT_LNBC_STATE_SLEEP); }

kit_result_t wakeUp(kit_lnbc_t* lnbc) { return move(lnbc, KIT_LNBC_STATE_SLEEP, KIT_LNBC_STATE_ACTIVE); }

} // namespace

kit_result_t intersil_tps65233_Create(kit_lnbc_t* lnbc, uint8_t i2cAddress, kit_i2c_t* i2c)
{
    if (!lnbc || !i2c)
        return KIT_RESULT_ERROR_ARG;
    *lnbc = kit_lnbc_t{};
    lnbc->i2cAddress = i2cAddress;
    lnbc->i2c = i2c;
    lnbc->state = KIT_LNBC_STATE_ACTIVE;
    setDefaults(lnbc);
    lnbc->Initialize = initialize;
    lnbc->SetConfig = setConfig;
    lnbc->SetVoltage = setVoltage;
    lnbc->SetTone = setTone;
    lnbc->SetTransmitMode = setTransmitMode;
    lnbc->Sleep = sleep;
    lnbc->WakeUp = wakeUp;
    return KIT_RESULT_OK;
}
