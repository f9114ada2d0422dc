// The demodulator driver's operation families on the simulated board, driven as the
// constellation engine drives them: the static driver record with the host's tuner
// callbacks (each configuration recorded), the CXD2858 tuner behind the demodulator's gate
// on the scene, a standard brought up and the tuner tuned, then the family's look-for. A
// host can be made to raise the cancel flag from some moment on.
#pragma once

#include "Cxd2856Bench.h"
#include "platform/sim/Cxd2858Model.h"

#include "common/embedded_timers.h"
#include "demod/DrvCXD2856.h"
#include "demod/DrvCXD2858.h"
#include "demod/tuner_host_callbacks.h"
#include "hw/DrvI2c.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace drivertest {

enum class Std { DvbT, DvbT2, DvbC, DvbC2, J83b, DvbS, DvbS2, IsdbT };

// A DVB-T channel: 8k, 64QAM 2/3, guard 1/4.
inline platform::sim::DigitalChannel dvbtChannel()
{
    platform::sim::DigitalChannel d;
    d.fftSize = 8192;
    d.modulation = platform::sim::Modulation::Qam64;
    d.codeRate = "2/3";
    d.guardInterval = "1/4";
    return d;
}

// What the host's tuner callbacks were asked: signal type and bandwidth in Hz.
inline std::vector<std::pair<uint32_t, uint32_t>>& configurations()
{
    static std::vector<std::pair<uint32_t, uint32_t>> list;
    return list;
}

inline KxlDrvLibError* recordedConfiguration(KxlDrvLibError* err, eSIGNAL_TYPE type, eCOLOR_SYSTEM colour,
                                             eANL_STD standard, uint32_t bandwidthHz)
{
    configurations().emplace_back(type, bandwidthHz);
    return tuner_configuration(err, type, colour, standard, bandwidthHz);
}

// The moment from which every bus read of the driver finds the cancel flag raised (0: never).
inline uint64_t& cancelFromMs()
{
    static uint64_t ms = 0;
    return ms;
}

inline DrvI2cMux_ReadBytes_t& busRead()
{
    static DrvI2cMux_ReadBytes_t read = nullptr;
    return read;
}

inline void cancellingRead(KxlDrvLibError* err, uint32_t channel, uint32_t handle, uint8_t address8, uint8_t* sub,
                           uint32_t subLength, uint8_t* out, uint16_t length)
{
    if (cancelFromMs() && EMBEDDEDTIMERS_GeticksInMs() >= cancelFromMs())
        DrvCXD2856_set_cancel_flag(1);
    busRead()(err, channel, handle, address8, sub, subLength, out, length);
}

struct FamilyBench : testsupport::Cxd2856Bench {
    FamilyBench() : tuner(platform::sim::installCxd2858(*board, chip, scene))
    {
        DrvCXD2856_m_release_standards(DrvCXD2856_state());
        *DrvCXD2856_state() = st_t_data_CXD2856{};
        *DrvCXD2858_state() = st_t_data_CXD2858{};
        configurations().clear();
        cancelFromMs() = 0;
        DrvI2c_LinkAndInit();
        KxlDrvLibError e{};
        DrvI2cMux_LinkAndInit(&e);
        busRead() = pfnDrvI2cMux_ReadBytes;
        pfnDrvI2cMux_ReadBytes = cancellingRead;
    }
    ~FamilyBench() { DrvCXD2856_m_release_standards(DrvCXD2856_state()); }

    static st_t_data_CXD2856& s() { return *DrvCXD2856_state(); }
    static bool satellite(Std std) { return std == Std::DvbS || std == Std::DvbS2; }

    // init, tuner init, adjustment update, power-on, tuner power-on, the tuner on hz.
    KxlDrvLibError bringUp(Std std, uint32_t hz, bool callbacks = true)
    {
        KxlDrvLibError e{};
        const auto cfg = callbacks ? recordedConfiguration : nullptr;
        const auto ifHz = callbacks ? tuner_if_frequency_hz : nullptr;
        switch (std) {
        case Std::DvbT:
            DrvCXD2856_dvbt_init(&e, nullptr, 0, nullptr, nullptr, nullptr, nullptr, cfg, ifHz, 0xFFFFFFFF);
            break;
        case Std::DvbT2:
            DrvCXD2856_dvbt2_init(&e, nullptr, 0, nullptr, nullptr, nullptr, nullptr, cfg, ifHz, 0xFFFFFFFF);
            break;
        case Std::DvbC:
            DrvCXD2856_dvbc_init(&e, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, cfg, ifHz, 0xFFFFFFFF);
            break;
        case Std::DvbC2:
            DrvCXD2856_dvbc2_init(&e, nullptr, 0, nullptr, nullptr, nullptr, nullptr, cfg, ifHz,
                                  callbacks ? get_tuner_frequency_hz : nullptr, 0xFFFFFFFF);
            break;
        case Std::J83b:
            DrvCXD2856_annexb_init(&e, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, cfg, ifHz,
                                   0xFFFFFFFF);
            break;
        case Std::DvbS:
        case Std::DvbS2:
            DrvCXD2856_dvbs_init(&e, callbacks ? tuner_configuration_sat : nullptr, ifHz, 0xFFFFFFFF);
            break;
        case Std::IsdbT:
            DrvCXD2856_isdbt_init(&e, nullptr, 0, nullptr, nullptr, nullptr, nullptr, cfg, ifHz, 0xFFFFFFFF);
            break;
        }
        KxlDrvLibError t{};
        DrvCXD2858_init(&t, nullptr, nullptr, DrvCXD2856_opengate, DrvCXD2856_closegate, 0, 0xC0, 0xFFFFFFFF);
        switch (std) {
        case Std::DvbT:
            DrvCXD2856_dvbt_update_adjusts(&t), DrvCXD2856_dvbt_poweron(&t);
            break;
        case Std::DvbT2:
            DrvCXD2856_dvbt2_update_adjusts(&t), DrvCXD2856_dvbt2_poweron(&t);
            break;
        case Std::DvbC:
            DrvCXD2856_dvbc_update_adjusts(&t), DrvCXD2856_dvbc_poweron(&t);
            break;
        case Std::DvbC2:
            DrvCXD2856_dvbc2_update_adjusts(&t), DrvCXD2856_dvbc2_poweron(&t);
            break;
        case Std::J83b:
            DrvCXD2856_annexb_update_adjusts(&t), DrvCXD2856_annexb_poweron(&t);
            break;
        case Std::DvbS:
        case Std::DvbS2:
            DrvCXD2856_dvbs_update_adjusts(&t), DrvCXD2856_dvbs_poweron(&t);
            break;
        case Std::IsdbT:
            DrvCXD2856_isdbt_update_adjusts(&t), DrvCXD2856_isdbt_poweron(&t);
            break;
        }
        KxlDrvLib_error_keep_first(&e, &t);
        KxlDrvLib_error_ok(&t);
        DrvCXD2858_poweron(&t);
        if (satellite(std))
            DrvCXD2858_write_sat_frequency(&t, hz);
        else
            DrvCXD2858_write_ter_frequency(&t, hz);
        KxlDrvLib_error_keep_first(&e, &t);
        return e;
    }

    // The look-for each family runs with every automatic flag set and the first word the
    // engine gives (its IF, for ISDB-T the automatic-bandwidth flag); symbol rate in kBd.
    static KxlDrvLibError lookFor(Std std, uint8_t* locked, uint32_t symbolRateKBd = 0)
    {
        KxlDrvLibError e{};
        switch (std) {
        case Std::DvbT:
            DrvCXD2856_dvbt_look_for(&e, {3900000, 1, 0, 1, 8, 1, 0, 1, 0, 1, 0, 0}, locked);
            break;
        case Std::DvbT2:
            DrvCXD2856_dvbt2_look_for(&e, {3900000, 1, 8, KIT_DVBT2_PROFILE_ANY, 1, 0, 1, 0, 0}, locked);
            break;
        case Std::DvbC:
            DrvCXD2856_dvbc_look_for(&e, {3900000, 1, 0, 1, 0, 0}, locked);
            break;
        case Std::DvbC2:
            DrvCXD2856_dvbc2_look_for(&e, {3900000, 1, 8, 1, 0, 1, 0, 1, 0}, locked);
            break;
        case Std::J83b:
            DrvCXD2856_annexb_look_for(&e, {3900000, 1, 0, 1, 0, 0}, locked);
            break;
        case Std::DvbS:
            DrvCXD2856_dvbs_look_for(&e, {3900000, 1, symbolRateKBd, 0}, locked);
            break;
        case Std::DvbS2:
            DrvCXD2856_dvbs2_look_for(&e, {3900000, 1, symbolRateKBd, 0}, locked);
            break;
        case Std::IsdbT:
            DrvCXD2856_isdbt_look_for(&e, {1, 6, 1, 0, 0}, locked);
            break;
        }
        return e;
    }

    // Every measurement armed, as the engine arms them after a look-for.
    static void initMeasures(Std std)
    {
        KxlDrvLibError e{};
        switch (std) {
        case Std::DvbT:
            DrvCXD2856_dvbt_init_measures_without_event(&e, 1, 1, 1, 1);
            break;
        case Std::DvbT2:
            DrvCXD2856_dvbt2_init_measures_without_event(&e, 1, 1, 1, 1);
            break;
        case Std::DvbC:
            DrvCXD2856_dvbc_init_measures_without_event(&e, 1, 1, 1, 1);
            break;
        case Std::DvbC2:
            DrvCXD2856_dvbc2_init_measures_without_event(&e, 1, 1, 1, 1);
            break;
        case Std::J83b:
            DrvCXD2856_annexb_init_measures_without_event(&e, 1, 1, 1, 1);
            break;
        case Std::DvbS:
            DrvCXD2856_dvbs_init_measures_without_event(&e, 1, 1, 1, 1);
            break;
        case Std::DvbS2:
            DrvCXD2856_dvbs2_init_measures_without_event(&e, 1, 1, 1, 1);
            break;
        case Std::IsdbT:
            DrvCXD2856_isdbt_init_measures_without_event(&e, 1, 1, 1, 1, 1, 0, 7);
            break;
        }
    }

    static uint32_t status(Std std)
    {
        uint32_t st = 0;
        switch (std) {
        case Std::DvbT:
            DrvCXD2856_dvbt_get_system_status(&st);
            break;
        case Std::DvbT2:
            DrvCXD2856_dvbt2_get_system_status(&st);
            break;
        case Std::DvbC:
            DrvCXD2856_dvbc_get_system_status(&st);
            break;
        case Std::DvbC2:
            DrvCXD2856_dvbc2_get_system_status(&st);
            break;
        case Std::J83b:
            DrvCXD2856_annexb_get_system_status(&st);
            break;
        case Std::DvbS:
        case Std::DvbS2:
            DrvCXD2856_dvbs_get_system_status(&st);
            break;
        case Std::IsdbT:
            DrvCXD2856_isdbt_get_system_status(&st);
            break;
        }
        return st;
    }

    // n ticks of the task table, an execution period apart.
    void tick(int n)
    {
        for (int k = 0; k < n; ++k) {
            KxlDrvLibError e{};
            DrvCXD2856_toc(&e);
            advanceMs(100);
        }
    }

    // The chip's TS output switch (bank 0 register 0xC3: 0 on).
    bool tsOutputOn() const { return chip->slvtRegister(0x00, 0xC3) == 0x00; }
    uint64_t nowMs() const { return EMBEDDEDTIMERS_GeticksInMs(); }

    std::shared_ptr<platform::sim::Cxd2858Model> tuner;
};

} // namespace drivertest
