#include "DrvCXD2856_core.h"

#include "DrvCXD2856_burst.h"
#include "embedded_rtos.h"

#include "chipkit/kit_demod.h"
#include "hw/DrvI2c.h"

using drvcxd2856::Burst;

KxlDrvLibError* DrvCXD2856_m_toc(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    KxlDrvLibError result{};
    for (t_toc_task& slot : s->tasks) {
        if (!slot.enabled || !slot.task || slot.period == 0)
            continue;
        if (slot.countdown < 2) {
            slot.task(&result, s);
            slot.countdown = static_cast<int32_t>(slot.period);
        } else {
            --slot.countdown;
        }
    }
    ++s->ticks;
    if (err)
        *err = result;
    return err;
}

KxlDrvLibError* DrvCXD2856_toc(KxlDrvLibError* err) { return DrvCXD2856_m_toc(err, DrvCXD2856_state()); }

void DrvCXD2856_m_clear_tasks(st_t_data_CXD2856* s)
{
    for (t_toc_task& slot : s->tasks)
        slot = t_toc_task{};
}

void DrvCXD2856_m_set_task(st_t_data_CXD2856* s, uint32_t slot, DrvCXD2856_task_t task, uint8_t enabled,
                           uint32_t period)
{
    if (slot < DRVCXD2856_TASKS)
        s->tasks[slot] = {task, enabled, period, 0};
}

// The host raises its stop from another thread than the one tuning: through the kit's
// atomic word, where a clear at a tune's start cannot erase a stop raised since.
void DrvCXD2856_m_set_cancel_flag(uint32_t value, st_t_data_CXD2856* s)
{
    if (value != 0)
        kit_integ_Cancel(&s->integ);
    else
        kit_integ_ClearCancellation(&s->integ);
}
void DrvCXD2856_set_cancel_flag(uint32_t value) { DrvCXD2856_m_set_cancel_flag(value, DrvCXD2856_state()); }
uint8_t DrvCXD2856_m_get_cancel_flag(st_t_data_CXD2856* s) { return drvcxd2856::cancelled(s) ? 1 : 0; }
uint8_t DrvCXD2856_get_cancel_flag(void) { return DrvCXD2856_m_get_cancel_flag(DrvCXD2856_state()); }
void DrvCXD2856_set_flag(void) { DrvCXD2856_set_cancel_flag(1); }
void DrvCXD2856_clear_flag(void) { DrvCXD2856_set_cancel_flag(0); }

void DrvCXD2856_m_set_measure_mode(uint32_t mode, st_t_data_CXD2856* s) { s->mer_source = static_cast<uint8_t>(mode); }
void DrvCXD2856_set_measure_mode(uint32_t mode) { DrvCXD2856_m_set_measure_mode(mode, DrvCXD2856_state()); }

uint32_t DrvCXD2856_m_get_freq_offset_hz(uint32_t* status, int32_t* hz, st_t_data_CXD2856* s)
{
    if (status)
        *status = s->freq_offset.status;
    if (hz)
        *hz = s->freq_offset.value.s32;
    return s->ticks;
}

uint32_t DrvCXD2856_get_freq_offset_hz(uint32_t* status, int32_t* hz)
{
    return DrvCXD2856_m_get_freq_offset_hz(status, hz, DrvCXD2856_state());
}

uint32_t DrvCXD2856_m_dvbs2_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* s)
{
    if (status)
        *status = s->dvbs.s2_cber.status;
    if (ber)
        *ber = s->dvbs.s2_cber.value.f32;
    return s->ticks;
}

uint32_t DrvCXD2856_dvbs2_get_cber(uint32_t* status, float* ber)
{
    return DrvCXD2856_m_dvbs2_get_cber(status, ber, DrvCXD2856_state());
}

namespace {

KxlDrvLibError* writeTsOutput(KxlDrvLibError* err, uint8_t value, st_t_data_CXD2856* s)
{
    Burst b(err, s);
    b.bank(0x00) && b.write(0xC3, value);
    return err;
}

} // namespace

KxlDrvLibError* DrvCXD2856_m_enable_ts_output(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return writeTsOutput(err, 0x00, s);
}

KxlDrvLibError* DrvCXD2856_m_disable_ts_output(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    return writeTsOutput(err, 0x01, s);
}

KxlDrvLibError* DrvCXD2856_m_enable_ts(KxlDrvLibError* err, uint32_t on, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    return on ? DrvCXD2856_m_enable_ts_output(err, s) : DrvCXD2856_m_disable_ts_output(err, s);
}

KxlDrvLibError* DrvCXD2856_enable_ts(KxlDrvLibError* err, uint32_t on)
{
    return DrvCXD2856_m_enable_ts(err, on, DrvCXD2856_state());
}

uint32_t DrvCXD2856_m_is_installed_external_board(st_t_data_CXD2856* s)
{
    return s->plugplag ? s->plugplag->common.external_board : 0;
}

uint32_t DrvCXD2856_is_installed_external_board(void)
{
    return DrvCXD2856_m_is_installed_external_board(DrvCXD2856_state());
}

KxlDrvLibError* DrvCXD2856_read_id(KxlDrvLibError* err, uint32_t address8, uint32_t channel, uint8_t* present)
{
    KxlDrvLibError last{};
    for (uint32_t step = 0; step < 3; ++step) {
        const uint8_t address = static_cast<uint8_t>(address8 + 4 * step);
        uint8_t bank0[3] = {address, 0x00, 0x00};
        KxlDrvLib_error_ok(&last);
        pfnDrvI2cMux_WriteBytes(&last, channel, sizeof bank0, bank0);
        if (!KxlDrvLib_error_is_ok(&last))
            continue;
        uint8_t reg = 0xFD;
        uint8_t id = 0;
        pfnDrvI2cMux_ReadBytes(&last, channel, 0, address, &reg, 1, &id, 1);
        if (!KxlDrvLib_error_is_ok(&last))
            continue;
        if (id == 0x90 && present)
            *present = 1;
        break;
    }
    if (err)
        *err = last;
    return err;
}

KxlDrvLibError* DrvCXD2856_i2c_scheduler_lock(KxlDrvLibError* err)
{
    const auto step = [err](uint32_t code) {
        if (code != 0)
            KxlDrvLib_error_set(err, code, 0, nullptr);
    };
    step(DrvI2cMux_LockBus());
    step(DrvI2c_LockBus());
    step(EMBEDDEDRTOS_schedulerlock());
    step(DrvI2c_UnLockBus());
    step(DrvI2cMux_UnLockBus());
    return err;
}

void DrvCXD2856_i2c_scheduler_unlock(void) { EMBEDDEDRTOS_schedulerunlock(); }

KxlDrvLibError* DrvCXD2856_m_set_scan_mode(uint32_t on, uint32_t system, KxlDrvLibError* err,
                                           st_t_data_CXD2856* s)
{
    Burst b(err, s);
    b.kit(kit_demod_terr_cable_SetScanMode(&s->demod, static_cast<kit_dtv_system_t>(system),
                                           static_cast<uint8_t>(on)));
    return err;
}
