// The constellation engine's satellite routines: DVB-S and DVB-S2 find the symbol rate among
// the usual transponder rates and then on a 4 % ladder, and measure while the lock holds,
// looking for the signal again every period.
#include "mesuraiq.h"

#include "common/embedded_timers.h"
#include "demod/DrvCXD2856.h"
#include "demod/DrvCXD2858.h"
#include "demod/tuner_host_callbacks.h"

namespace {

constexpr uint32_t kNoChannel = 0xFFFFFFFFu;
constexpr uint32_t kSearchIfHz = 3900000u;
constexpr int kCandidates[] = {27500, 22000, 26000, 13333, 26657, 23000, 6670, 10000, 11000, 16000, 20000, 29000};
constexpr int kCandidateCount = sizeof kCandidates / sizeof kCandidates[0];
constexpr int kLadderLast = 30000;
constexpr double kLadderStep = 1.04;

bool readSample(uint32_t, int16_t* i, int16_t* q)
{
    KxlDrvLibError err{};
    uint8_t sampled = 0;
    DrvCXD2856_dvbs_read_full_iq(&err, i, q, &sampled);
    return sampled != 0;
}

} // namespace

void MesuraIQ::mesuraIQ_dvbs_kit() { runSatellite(false); }
void MesuraIQ::mesuraIQ_dvbs2_kit() { runSatellite(true); }

uint8_t MesuraIQ::lookForSatellite(bool dvbs2, uint32_t symbolRate)
{
    KxlDrvLibError err{};
    uint8_t locked = 0;
    const st_t_dvbs_search_CXD2856 search{kSearchIfHz, 1, symbolRate, 0};
    if (dvbs2)
        DrvCXD2856_dvbs2_look_for(&err, search, &locked);
    else
        DrvCXD2856_dvbs_look_for(&err, search, &locked);
    return locked;
}

void MesuraIQ::runSatellite(bool dvbs2)
{
    KxlDrvLibError err{};
    locked_ = 0;
    DrvCXD2856_dvbs_init(&err, tuner_configuration_sat, tuner_if_frequency_hz, kNoChannel);
    bringUpTuner();
    DrvCXD2856_dvbs_update_adjusts(&err);
    DrvCXD2856_dvbs_poweron(&err);
    DrvCXD2858_poweron(&err);
    const Settings s = settings();
    DrvCXD2858_write_sat_frequency(&err, s.frequency);
    // The search replaces the rate asked for before its first look.
    uint32_t symbolRate = static_cast<uint32_t>(s.symbolRate);
    SymbolRateSearch& search = dvbs2 ? dvbs2Search_ : dvbsSearch_;
    bool done = false;
    while (isNonStopMesures() && !done) {
        if (!locked_) {
            // Each look may take the whole lock time: a stop is honoured between them.
            while (!locked_ && search.idx_sr_candidate < kCandidateCount && isNonStopMesures()) {
                symbolRate = kCandidates[search.idx_sr_candidate++];
                locked_ = lookForSatellite(dvbs2, symbolRate);
            }
            while (!locked_ && search.sr_candidate <= kLadderLast && isNonStopMesures()) {
                symbolRate = static_cast<uint32_t>(search.sr_candidate);
                locked_ = lookForSatellite(dvbs2, symbolRate);
                search.sr_candidate = static_cast<int>(search.sr_candidate * kLadderStep);
            }
            if (!locked_ || search.sr_candidate > kLadderLast) {
                search = SymbolRateSearch{};
                done = true;
            }
        }
        m_dades_iq = QVariantMap();
        if (dvbs2)
            DrvCXD2856_dvbs2_init_measures_without_event(&err, 1, 1, 1, 1);
        else
            DrvCXD2856_dvbs_init_measures_without_event(&err, 1, 1, 1, 1);
        int16_t iScale = 0, qScale = 0;
        DrvCXD2856_dvbs_get_iq_top_right(&err, &iScale, &qScale);
        get_info_auto_demod(locked_);
        emitMap();
        const uint32_t period = DrvCXD2856_dvbs_get_execution_period();
        while (isNonStopMesures() && locked_) {
            DrvCXD2856_toc(&err);
            locked_ = lookForSatellite(dvbs2, symbolRate);
            // The look takes the lock time again, which may outlast the period: the period of
            // points starts after it.
            const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
            const int squares = get_info_auto_demod(locked_);
            get_constellation_points(start, period, squares, nextCarrier(), iScale, qScale, readSample);
            emitMap();
        }
    }
}
