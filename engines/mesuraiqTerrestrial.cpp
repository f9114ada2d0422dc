// The constellation engine's terrestrial and cable routines: one shape for the six families
// (DVB-C, J.83 Annex B, DVB-T, DVB-T2, ISDB-T, DVB-C2), each family giving its own driver
// operations, search record and sample read.
#include "mesuraiq.h"

#include "common/embedded_timers.h"
#include "demod/DrvCXD2856.h"
#include "demod/DrvCXD2858.h"
#include "demod/DrvDefCodes.h"
#include "demod/tuner_host_callbacks.h"

namespace {

constexpr uint32_t kNoChannel = 0xFFFFFFFFu;
constexpr uint32_t kSearchIfHz = 3900000u;
constexpr int kTries = 5;
constexpr uint32_t kTsLocked = 12;
constexpr uint32_t kFixedCarrier = 1000;

// How a family picks the carrier its samples come from.
enum class Carrier { Ignored, Fixed, Cycled, First };

} // namespace

struct MesuraIQ::TerrestrialFamily {
    void (*init)(KxlDrvLibError* err);
    KxlDrvLibError* (*updateAdjusts)(KxlDrvLibError* err);
    KxlDrvLibError* (*poweron)(KxlDrvLibError* err);
    // The family's search record with every automatic flag set; the locked flag.
    uint8_t (*lookFor)(KxlDrvLibError* err);
    void (*initMeasures)(KxlDrvLibError* err);
    KxlDrvLibError* (*topRight)(KxlDrvLibError* err, int16_t* i, int16_t* q);
    uint32_t (*period)();
    uint32_t (*status)(uint32_t* status);
    SampleReader readSample;
    Carrier carrier;
    bool powerOffAfter;
};

namespace {

using Family = MesuraIQ::TerrestrialFamily;

// The family's look-for with the record it is given; the locked flag.
template <class Search, KxlDrvLibError* (*LookFor)(KxlDrvLibError*, Search, uint8_t*), Search (*Record)()>
uint8_t lookFor(KxlDrvLibError* err)
{
    uint8_t locked = 0;
    LookFor(err, Record(), &locked);
    return locked;
}

// Every measurement of the family armed.
template <KxlDrvLibError* (*Arm)(KxlDrvLibError*, uint32_t, uint32_t, uint32_t, uint32_t)>
void armAll(KxlDrvLibError* err)
{
    Arm(err, 1, 1, 1, 1);
}

// One sample, of the carrier given or of whatever the standard's read takes.
template <KxlDrvLibError* (*Read)(KxlDrvLibError*, uint32_t, int16_t*, int16_t*, uint8_t*)>
bool carrierSample(uint32_t carrier, int16_t* i, int16_t* q)
{
    KxlDrvLibError err{};
    uint8_t sampled = 0;
    Read(&err, carrier, i, q, &sampled);
    return sampled != 0;
}

template <KxlDrvLibError* (*Read)(KxlDrvLibError*, int16_t*, int16_t*, uint8_t*)>
bool sample(uint32_t, int16_t* i, int16_t* q)
{
    KxlDrvLibError err{};
    uint8_t sampled = 0;
    Read(&err, i, q, &sampled);
    return sampled != 0;
}

// The search records: every automatic flag set. The terrestrial searches start from the
// bandwidth of their region's channels and try the others: 8 MHz for DVB-T, DVB-T2 and
// DVB-C2, 6 MHz for ISDB-T.
st_t_dvbc_search_CXD2856 cableRecord() { return {kSearchIfHz, 1, 0, 1, 0, 0}; }
st_t_dvbt_search_CXD2856 dvbtRecord() { return {0, 1, 0, 1, eBW_8MHZ, 1, 0, 1, 0, 1, 0, 0}; }
st_t_dvbt2_search_CXD2856 dvbt2Record() { return {kSearchIfHz, 1, eBW_8MHZ, KIT_DVBT2_PROFILE_ANY, 1, 0, 1, 0, 0}; }
st_t_isdbt_search_CXD2856 isdbtRecord() { return {1, eBW_6MHZ, 1, 0, 0}; }
st_t_dvbc2_search_CXD2856 dvbc2Record() { return {kSearchIfHz, 1, eBW_8MHZ, 1, 0, 1, 0, 1, 0}; }

// The host parameters every family but DVB-S takes before its tuner callbacks: none of the
// power query, adjustment reader and predicate, or event registrations.
#define NO_HOST nullptr, 0, nullptr, nullptr, nullptr, nullptr

const Family kDvbc = {
    [](KxlDrvLibError* e) {
        DrvCXD2856_dvbc_init(e, NO_HOST, 0, 0, 0, tuner_configuration, tuner_if_frequency_hz, kNoChannel);
    },
    DrvCXD2856_dvbc_update_adjusts,
    DrvCXD2856_dvbc_poweron,
    lookFor<st_t_dvbc_search_CXD2856, DrvCXD2856_dvbc_look_for, cableRecord>,
    armAll<DrvCXD2856_dvbc_init_measures_without_event>,
    DrvCXD2856_dvbc_get_iq_top_right,
    DrvCXD2856_dvbc_get_execution_period,
    DrvCXD2856_dvbc_get_system_status,
    sample<DrvCXD2856_dvbc_read_full_iq>,
    Carrier::Ignored,
    true,
};

const Family kAnnexb = {
    [](KxlDrvLibError* e) {
        DrvCXD2856_annexb_init(e, NO_HOST, 0, 0, 0, tuner_configuration, tuner_if_frequency_hz, kNoChannel);
    },
    DrvCXD2856_annexb_update_adjusts,
    DrvCXD2856_annexb_poweron,
    lookFor<st_t_annexb_search_CXD2856, DrvCXD2856_annexb_look_for, cableRecord>,
    armAll<DrvCXD2856_annexb_init_measures_without_event>,
    DrvCXD2856_annexb_get_iq_top_right,
    DrvCXD2856_annexb_get_execution_period,
    DrvCXD2856_annexb_get_system_status,
    sample<DrvCXD2856_annexb_read_full_iq>,
    Carrier::Ignored,
    false,
};

const Family kDvbt = {
    [](KxlDrvLibError* e) {
        DrvCXD2856_dvbt_init(e, NO_HOST, tuner_configuration, tuner_if_frequency_hz, kNoChannel);
    },
    DrvCXD2856_dvbt_update_adjusts,
    DrvCXD2856_dvbt_poweron,
    lookFor<st_t_dvbt_search_CXD2856, DrvCXD2856_dvbt_look_for, dvbtRecord>,
    armAll<DrvCXD2856_dvbt_init_measures_without_event>,
    DrvCXD2856_dvbt_get_iq_top_right,
    DrvCXD2856_dvbt_get_execution_period,
    DrvCXD2856_dvbt_get_system_status,
    carrierSample<DrvCXD2856_dvbt_read_full_iq>,
    Carrier::Cycled,
    false,
};

const Family kDvbt2 = {
    [](KxlDrvLibError* e) {
        DrvCXD2856_dvbt2_init(e, NO_HOST, tuner_configuration, tuner_if_frequency_hz, kNoChannel);
    },
    DrvCXD2856_dvbt2_update_adjusts,
    DrvCXD2856_dvbt2_poweron,
    lookFor<st_t_dvbt2_search_CXD2856, DrvCXD2856_dvbt2_look_for, dvbt2Record>,
    armAll<DrvCXD2856_dvbt2_init_measures_without_event>,
    DrvCXD2856_dvbt2_get_iq_top_right,
    DrvCXD2856_dvbt2_get_execution_period,
    DrvCXD2856_dvbt2_get_system_status,
    carrierSample<DrvCXD2856_dvbt2_read_full_iq>,
    Carrier::Fixed,
    false,
};

// The layer measured and the TS layer of the ISDB-T measurement arming.
constexpr uint32_t kIsdbtMeasureLayer = 0, kIsdbtTsLayer = 7;

const Family kIsdbt = {
    [](KxlDrvLibError* e) {
        DrvCXD2856_isdbt_init(e, NO_HOST, tuner_configuration, tuner_if_frequency_hz, kNoChannel);
    },
    DrvCXD2856_isdbt_update_adjusts,
    DrvCXD2856_isdbt_poweron,
    lookFor<st_t_isdbt_search_CXD2856, DrvCXD2856_isdbt_look_for, isdbtRecord>,
    [](KxlDrvLibError* e) {
        DrvCXD2856_isdbt_init_measures_without_event(e, 1, 1, 1, 1, 1, kIsdbtMeasureLayer, kIsdbtTsLayer);
    },
    DrvCXD2856_isdbt_get_iq_top_right,
    DrvCXD2856_isdbt_get_execution_period,
    DrvCXD2856_isdbt_get_system_status,
    carrierSample<DrvCXD2856_isdbt_read_full_iq>,
    Carrier::First,
    false,
};

const Family kDvbc2 = {
    [](KxlDrvLibError* e) {
        DrvCXD2856_dvbc2_init(e, NO_HOST, tuner_configuration, tuner_if_frequency_hz, get_tuner_frequency_hz,
                              kNoChannel);
    },
    DrvCXD2856_dvbc2_update_adjusts,
    DrvCXD2856_dvbc2_poweron,
    lookFor<st_t_dvbc2_search_CXD2856, DrvCXD2856_dvbc2_look_for, dvbc2Record>,
    armAll<DrvCXD2856_dvbc2_init_measures_without_event>,
    DrvCXD2856_dvbc2_get_iq_top_right,
    DrvCXD2856_dvbc2_get_execution_period,
    DrvCXD2856_dvbc2_get_system_status,
    carrierSample<DrvCXD2856_dvbc2_read_full_iq>,
    Carrier::Fixed,
    false,
};

#undef NO_HOST

} // namespace

void MesuraIQ::mesuraIQ_dvbc_kit() { runTerrestrial(kDvbc); }
void MesuraIQ::mesuraIQ_annexb_kit() { runTerrestrial(kAnnexb); }
void MesuraIQ::mesuraIQ_dvbt_kit() { runTerrestrial(kDvbt); }
void MesuraIQ::mesuraIQ_dvbt2_kit() { runTerrestrial(kDvbt2); }
void MesuraIQ::mesuraIQ_isdb_kit() { runTerrestrial(kIsdbt); }
void MesuraIQ::mesuraIQ_dvbc2_kit() { runTerrestrial(kDvbc2); }

void MesuraIQ::bringUpTuner()
{
    KxlDrvLibError err{};
    DrvCXD2858_init(&err, nullptr, nullptr, DrvCXD2856_opengate, DrvCXD2856_closegate, 0, 0xC0, kNoChannel);
}

uint32_t MesuraIQ::nextCarrier()
{
    const uint32_t carrier = kFixedCarrier + dvbtCarrier_;
    dvbtCarrier_ = dvbtCarrier_ < kFixedCarrier ? dvbtCarrier_ + 1 : 0;
    return carrier;
}

// No driver error is examined: the lock flag and the system status decide.
void MesuraIQ::runTerrestrial(const TerrestrialFamily& f)
{
    KxlDrvLibError err{};
    locked_ = 0;
    f.init(&err);
    bringUpTuner();
    f.updateAdjusts(&err);
    f.poweron(&err);
    DrvCXD2858_poweron(&err);
    for (int attempt = 0; attempt < kTries && isNonStopMesures(); ++attempt) {
        const Settings s = settings();
        m_dades_iq = QVariantMap();
        DrvCXD2858_write_ter_frequency(&err, s.frequency);
        locked_ = f.lookFor(&err);
        f.initMeasures(&err);
        int16_t iScale = 0, qScale = 0;
        f.topRight(&err, &iScale, &qScale);
        if (!s.automatic) {
            get_info_auto_demod(locked_);
            emitMap();
        }
        const uint32_t period = f.period();
        while (isNonStopMesures() && locked_) {
            DrvCXD2856_toc(&err);
            const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
            uint32_t status = 0;
            f.status(&status);
            locked_ = status == kTsLocked;
            const int squares = get_info_auto_demod(locked_);
            const uint32_t carrier = f.carrier == Carrier::Cycled ? nextCarrier()
                                     : f.carrier == Carrier::First ? 0
                                                                   : kFixedCarrier;
            get_constellation_points(start, period, squares, carrier, iScale, qScale, f.readSample);
            emitMap();
        }
    }
    if (f.powerOffAfter) {
        DrvCXD2858_poweroff(&err);
        DrvCXD2856_dvbc_poweroff(&err);
    }
}
