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

using platform::sim::DigitalChannel;
using platform::sim::DigitalLayer;
using platform::sim::DigitalPlp;
using platform::sim::Modulation;

// The channels of the family tests: DVB-T 8k 64QAM 2/3 guard 1/4; DVB-T2 32k 1/128 with PLPs
// 0 and 5; ISDB-T 8k 1/8 with layers A and B; DVB-C2 with PLPs 1 and 2; single carriers.
inline DigitalChannel dvbtChannel(int fft = 8192)
{
    DigitalChannel d;
    d.fftSize = fft;
    d.modulation = Modulation::Qam64;
    d.codeRate = "2/3";
    d.guardInterval = "1/4";
    return d;
}
inline DigitalChannel dvbt2Channel(std::vector<DigitalPlp> plps = {DigitalPlp{0, Modulation::Qam256, "2/3", 0},
                                                                   DigitalPlp{5, Modulation::Qam16, "1/2", 0}})
{
    DigitalChannel d;
    d.fftSize = 32768;
    d.guardInterval = "1/128";
    d.plps = std::move(plps);
    return d;
}
inline DigitalChannel isdbtChannel()
{
    DigitalChannel d;
    d.fftSize = 8192;
    d.guardInterval = "1/8";
    d.layers = {DigitalLayer{1, Modulation::Qpsk, "2/3", 2}, DigitalLayer{12, Modulation::Qam64, "3/4", 2}};
    return d;
}
inline DigitalChannel dvbc2Channel()
{
    DigitalChannel d;
    d.plps = {DigitalPlp{1, Modulation::Qam256, "5/6", 0}, DigitalPlp{2, Modulation::Qam1024, "3/4", 0}};
    return d;
}
inline DigitalChannel qam(Modulation m, double symbolRateBd = 0)
{
    DigitalChannel d;
    d.modulation = m;
    d.symbolRateBd = symbolRateBd;
    return d;
}

// One channel of each standard, at channelHz of its standard (DVB-S at 1550 MHz, 27.5 MBd;
// DVB-S2 at 1210 MHz, 22 MBd).
inline double channelHz(Std std)
{
    static const double hz[] = {602e6, 610e6, 474e6, 866e6, 573e6, 1550e6, 1210e6, 629e6};
    return hz[int(std)];
}
inline uint32_t channelKBd(Std std) { return std == Std::DvbS2 ? 22000 : 27500; }
inline void standardScene(platform::sim::RfScene& s)
{
    namespace standard = platform::sim::standard;
    s.addOfdm(602e6, 8e6, 66, standard::kDvbT, 32, dvbtChannel());
    s.addOfdm(610e6, 8e6, 66, standard::kDvbT2, 33, dvbt2Channel());
    s.addDigital(474e6, 8e6, 66, standard::kDvbC, 38, qam(Modulation::Qam256, 6900000));
    s.addOfdm(866e6, 8e6, 66, standard::kDvbC2, 37, dvbc2Channel());
    s.addDigital(573e6, 6e6, 64, standard::kJ83B, 36, qam(Modulation::Qam256));
    s.addOfdm(629e6, 6e6, 66, standard::kIsdbT, 31, isdbtChannel());
    s.addSatellite(1550e6, 27500000, standard::kDvbS, 12);
    s.addSatellite(1210e6, 22000000, standard::kDvbS2, 12);
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

    // One family's operations with the words the engine gives them: the look-for with every
    // automatic flag set and the first word (its IF, for ISDB-T the automatic-bandwidth flag),
    // symbol rate in kBd; every measurement armed as after a look-for.
    struct Family {
        void (*init)(KxlDrvLibError*, bool callbacks);
        KxlDrvLibError* (*update)(KxlDrvLibError*);
        KxlDrvLibError* (*poweron)(KxlDrvLibError*);
        uint32_t (*status)(uint32_t*);
        void (*lookFor)(KxlDrvLibError*, uint8_t* locked, uint32_t kBd);
        void (*initMeasures)(KxlDrvLibError*);
    };
    // The host's init words the driver keeps: no power query, reader, predicate or events.
    template <class Init, class... Tail>
    static void host(Init init, KxlDrvLibError* e, Tail... tail)
    {
        init(e, nullptr, 0, nullptr, nullptr, nullptr, nullptr, tail...);
    }
    static const Family& family(Std std)
    {
        using E = KxlDrvLibError;
        static const auto cfg = [](bool cb) { return cb ? recordedConfiguration : nullptr; };
        static const auto ifHz = [](bool cb) { return cb ? tuner_if_frequency_hz : nullptr; };
        static const Family families[] = {
            {[](E* e, bool cb) { host(DrvCXD2856_dvbt_init, e, cfg(cb), ifHz(cb), ~0u); },
             DrvCXD2856_dvbt_update_adjusts, DrvCXD2856_dvbt_poweron, DrvCXD2856_dvbt_get_system_status,
             [](E* e, uint8_t* l, uint32_t) { DrvCXD2856_dvbt_look_for(e, {3900000, 1, 0, 1, 8, 1, 0, 1, 0, 1, 0, 0}, l); },
             [](E* e) { DrvCXD2856_dvbt_init_measures_without_event(e, 1, 1, 1, 1); }},
            {[](E* e, bool cb) { host(DrvCXD2856_dvbt2_init, e, cfg(cb), ifHz(cb), ~0u); },
             DrvCXD2856_dvbt2_update_adjusts, DrvCXD2856_dvbt2_poweron, DrvCXD2856_dvbt2_get_system_status,
             [](E* e, uint8_t* l, uint32_t) {
                 DrvCXD2856_dvbt2_look_for(e, {3900000, 1, 8, KIT_DVBT2_PROFILE_ANY, 1, 0, 1, 0, 0}, l);
             },
             [](E* e) { DrvCXD2856_dvbt2_init_measures_without_event(e, 1, 1, 1, 1); }},
            {[](E* e, bool cb) { host(DrvCXD2856_dvbc_init, e, 0u, 0u, 0u, cfg(cb), ifHz(cb), ~0u); },
             DrvCXD2856_dvbc_update_adjusts, DrvCXD2856_dvbc_poweron, DrvCXD2856_dvbc_get_system_status,
             [](E* e, uint8_t* l, uint32_t) { DrvCXD2856_dvbc_look_for(e, {3900000, 1, 0, 1, 0, 0}, l); },
             [](E* e) { DrvCXD2856_dvbc_init_measures_without_event(e, 1, 1, 1, 1); }},
            {[](E* e, bool cb) {
                 host(DrvCXD2856_dvbc2_init, e, cfg(cb), ifHz(cb), cb ? get_tuner_frequency_hz : nullptr, ~0u);
             },
             DrvCXD2856_dvbc2_update_adjusts, DrvCXD2856_dvbc2_poweron, DrvCXD2856_dvbc2_get_system_status,
             [](E* e, uint8_t* l, uint32_t) { DrvCXD2856_dvbc2_look_for(e, {3900000, 1, 8, 1, 0, 1, 0, 1, 0}, l); },
             [](E* e) { DrvCXD2856_dvbc2_init_measures_without_event(e, 1, 1, 1, 1); }},
            {[](E* e, bool cb) { host(DrvCXD2856_annexb_init, e, 0u, 0u, 0u, cfg(cb), ifHz(cb), ~0u); },
             DrvCXD2856_annexb_update_adjusts, DrvCXD2856_annexb_poweron, DrvCXD2856_annexb_get_system_status,
             [](E* e, uint8_t* l, uint32_t) { DrvCXD2856_annexb_look_for(e, {3900000, 1, 0, 1, 0, 0}, l); },
             [](E* e) { DrvCXD2856_annexb_init_measures_without_event(e, 1, 1, 1, 1); }},
            {[](E* e, bool cb) { DrvCXD2856_dvbs_init(e, cb ? tuner_configuration_sat : nullptr, ifHz(cb), ~0u); },
             DrvCXD2856_dvbs_update_adjusts, DrvCXD2856_dvbs_poweron, DrvCXD2856_dvbs_get_system_status,
             [](E* e, uint8_t* l, uint32_t kBd) { DrvCXD2856_dvbs_look_for(e, {3900000, 1, kBd, 0}, l); },
             [](E* e) { DrvCXD2856_dvbs_init_measures_without_event(e, 1, 1, 1, 1); }},
            {[](E* e, bool cb) { DrvCXD2856_dvbs_init(e, cb ? tuner_configuration_sat : nullptr, ifHz(cb), ~0u); },
             DrvCXD2856_dvbs_update_adjusts, DrvCXD2856_dvbs_poweron, DrvCXD2856_dvbs_get_system_status,
             [](E* e, uint8_t* l, uint32_t kBd) { DrvCXD2856_dvbs2_look_for(e, {3900000, 1, kBd, 0}, l); },
             [](E* e) { DrvCXD2856_dvbs2_init_measures_without_event(e, 1, 1, 1, 1); }},
            {[](E* e, bool cb) { host(DrvCXD2856_isdbt_init, e, cfg(cb), ifHz(cb), ~0u); },
             DrvCXD2856_isdbt_update_adjusts, DrvCXD2856_isdbt_poweron, DrvCXD2856_isdbt_get_system_status,
             [](E* e, uint8_t* l, uint32_t) { DrvCXD2856_isdbt_look_for(e, {1, 6, 1, 0, 0}, l); },
             [](E* e) { DrvCXD2856_isdbt_init_measures_without_event(e, 1, 1, 1, 1, 1, 0, 7); }},
        };
        return families[int(std)];
    }

    // init, tuner init, adjustment update, power-on, tuner power-on, the tuner on hz.
    KxlDrvLibError bringUp(Std std, uint32_t hz, bool callbacks = true)
    {
        KxlDrvLibError e{}, t{};
        family(std).init(&e, callbacks);
        DrvCXD2858_init(&t, nullptr, nullptr, DrvCXD2856_opengate, DrvCXD2856_closegate, 0, 0xC0, 0xFFFFFFFF);
        family(std).update(&t);
        family(std).poweron(&t);
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
    static KxlDrvLibError lookFor(Std std, uint8_t* locked, uint32_t symbolRateKBd = 0)
    {
        KxlDrvLibError e{};
        family(std).lookFor(&e, locked, symbolRateKBd);
        return e;
    }
    // Brought up on hz and searched: whether the search locked.
    bool locksOn(Std std, uint32_t hz)
    {
        uint8_t locked = 0;
        return bringUp(std, hz).code == 0 && (lookFor(std, &locked), locked == 1);
    }
    static void initMeasures(Std std)
    {
        KxlDrvLibError e{};
        family(std).initMeasures(&e);
    }
    static uint32_t status(Std std)
    {
        uint32_t st = 0;
        family(std).status(&st);
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
