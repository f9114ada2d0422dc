// The DVB-T2 search: per bandwidth candidate the tuner and the demodulator's IF set, a blind
// tune and the waits for the demodulator lock and the L1-pre (again with the other profile of
// a signal that carries both), the L1-post, every PLP of the list visited for its parameters,
// the PLP kept tuned, and the lock status read. Every wait polls the cancel flag and ends
// after its time, a PLP that never comes through after about a second included.
#include "DrvCXD2856_dvbt2.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_family.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBT2.h"
#include "embedded_rtos.h"

#include "chipkit/kit_demod_dvbt2.h"
#include "chipkit/kit_demod_dvbt2_monitor.h"
#include "chipkit/kit_integ_dvbt2.h"

#include <cstdint>
#include <cstring>
#include <vector>

using namespace drvcxd2856;

namespace {

constexpr uint32_t kTunerDvbt2 = 9; // eSIGNAL_TYPE of the tuner callback
constexpr uint8_t kT2Bank = 0x20;
constexpr uint8_t kL1Bank = 0x22;
constexpr uint8_t kPlpBank = 0x23;
constexpr uint32_t kPollMs = 20;
constexpr uint32_t kConfirmMs = 2;
constexpr uint32_t kWaitMs = 60;
constexpr uint32_t kPlpConfirmMs = 5;
constexpr uint32_t kPlpSwitchMs = 1000;
constexpr uint32_t kL1PostBytes = KIT_DVBT2_L1POST_BYTES + 4;

std::vector<uint32_t> candidates(uint32_t requested, bool automatic)
{
    std::vector<uint32_t> list;
    switch (requested) {
    case eBW_5MHZ:
        list = {eBW_5MHZ, eBW_8MHZ, eBW_7MHZ, eBW_6MHZ, eBW_1_7MHZ};
        break;
    case eBW_6MHZ:
        list = {eBW_6MHZ, eBW_8MHZ, eBW_7MHZ, eBW_5MHZ, eBW_1_7MHZ};
        break;
    case eBW_7MHZ:
        list = {eBW_7MHZ, eBW_8MHZ, eBW_6MHZ, eBW_5MHZ, eBW_1_7MHZ};
        break;
    case eBW_1_7MHZ:
        list = {eBW_1_7MHZ, eBW_8MHZ, eBW_7MHZ, eBW_6MHZ, eBW_5MHZ};
        break;
    default:
        list = {eBW_8MHZ, eBW_7MHZ, eBW_6MHZ, eBW_5MHZ, eBW_1_7MHZ};
        break;
    }
    if (!automatic)
        list.resize(1);
    return list;
}

bool known(uint32_t id) { return id == eBW_1_7MHZ || (id >= eBW_5MHZ && id <= eBW_8MHZ); }

kit_dtv_bandwidth_t kitBandwidth(uint32_t id)
{
    return id == eBW_1_7MHZ ? uint32_t(KIT_DTV_BW_1_7_MHZ) : known(id) ? id : uint32_t(KIT_DTV_BW_8_MHZ);
}

uint32_t bandwidthHz(uint32_t id) { return known(id) ? DRVDEFDVBT2_get_bw_hz_from_id(id) : 8000000u; }

uint8_t syncState(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t v = 0;
    Burst b(err, s);
    b.read(kT2Bank, 0x10, &v, 1);
    return v & 0x07;
}

bool profileDetected(KxlDrvLibError* err, uint32_t* profile, st_t_data_CXD2856* s)
{
    kit_dvbt2_profile_t p = 0;
    Burst b(err, s);
    if (b.kit(kit_demod_dvbt2_monitor_Profile(&s->demod, &p)) != KIT_RESULT_OK)
        return false;
    *profile = p;
    return true;
}

bool l1PostValid(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t v = 0;
    Burst b(err, s);
    return b.read(kL1Bank, 0x12, &v, 1) && (v & 0x01);
}

// The library's FFT mode of the L1-pre's size and carrier mode.
uint32_t fftMode(uint32_t kitMode, uint8_t extended)
{
    switch (kitMode) {
    case 0:
        return eFFT_2K;
    case 1:
        return extended ? eFFT_8K_EXT : eFFT_8K;
    case 2:
        return eFFT_4K;
    case 3:
        return eFFT_1K;
    case 4:
        return extended ? eFFT_16K_EXT : eFFT_16K;
    default:
        return extended ? eFFT_32K_EXT : eFFT_32K;
    }
}

// What one tune and its L1-pre wait found.
struct Attempt {
    uint32_t profile = KIT_DVBT2_PROFILE_BASE;
    uint32_t l1State[2] = {};
    kit_dvbt2_l1pre_t l1pre{};
    uint8_t demodLocked = 0;
    uint8_t l1preRead = 0;
};

Attempt attempt(kit_dtv_bandwidth_t bandwidth, uint32_t profile, KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    Attempt a;
    DrvCXD2856_m_dvbt2_tune_wait_l1_pre(bandwidth, profile, a.l1State, &a.l1pre, &a.demodLocked, &a.l1preRead, err,
                                        s);
    a.profile = a.l1State[1];
    return a;
}

// The L1-post's configurable part when it comes, and its PLP list.
struct Post {
    bool read = false;
    kit_dvbt2_l1post_t l1post{};
    uint8_t bytes[kL1PostBytes] = {};
    uint32_t count = 0;
    uint8_t ids[KIT_DVBT2_DATA_PLP_MAX] = {};
};

void readPost(KxlDrvLibError* err, Post& p, st_t_data_CXD2856* s)
{
    if (!pollUntil(s, kPollMs, kConfirmMs, kWaitMs, [&] { return l1PostValid(err, s); }))
        return;
    {
        Burst b(err, s);
        b.freeze();
        p.read = b.read(kL1Bank, 0x45, p.bytes, KIT_DVBT2_L1POST_BYTES)
              && b.read(0x7B, p.bytes + KIT_DVBT2_L1POST_BYTES, 4);
    }
    // Bit 0 after the configurable part flags an L1-post the chip could not decode.
    if (!p.read || (p.bytes[KIT_DVBT2_L1POST_BYTES] & 0x01)) {
        p.read = false;
        return;
    }
    kit_demod_dvbt2_DecodeL1Post(p.bytes, &p.l1post);
    Burst b(err, s);
    b.freeze();
    uint8_t valid = 0, n = 0;
    if (!b.read(kL1Bank, 0x12, &valid, 1) || !(valid & 0x01) || !b.read(0x7F, &n, 1))
        return;
    // The count is a byte: it never passes the list, and the first 128 are in bank 0x22.
    static_assert(KIT_DVBT2_DATA_PLP_MAX > UINT8_MAX, "a byte count must fit the PLP list");
    const uint32_t count = n;
    const uint32_t first = count < 128 ? count : 128;
    if ((first == 0 || b.read(0x80, p.ids, first)) && (count == first || b.read(kPlpBank, 0x10, p.ids + first, count - first)))
        p.count = count;
}

uint8_t currentPlp(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t id = 0;
    DrvCXD2856_m_dvbt2_read_current_plp_id(err, &id, s);
    return id;
}

// Each PLP of the list presented in turn for its record; one that does not come through is
// left with its id only. Returns the records (on the driver heap) or none.
kit_dvbt2_plp_t* readPlps(KxlDrvLibError* err, const Post& p, st_t_data_CXD2856* s)
{
    if (p.count == 0)
        return nullptr;
    auto* plps = static_cast<kit_dvbt2_plp_t*>(EMBEDDEDRTOS_malloc(sizeof(kit_dvbt2_plp_t) * p.count));
    if (!plps) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_heap, 0, DRVCXD2856_TEXT_HEAP_DVBT2);
        return nullptr;
    }
    for (uint32_t k = 0; k < p.count; ++k) {
        kit_dvbt2_plp_t& plp = plps[k];
        plp = kit_dvbt2_plp_t{};
        plp.id = p.ids[k];
        if (cancelled(s))
            continue;
        if (currentPlp(err, s) != plp.id) {
            {
                Burst b(err, s);
                b.kit(kit_demod_dvbt2_SetPLPConfig(&s->demod, 0, plp.id));
            }
            if (!pollUntil(s, kPollMs, kPlpConfirmMs, kPlpSwitchMs, [&] { return currentPlp(err, s) == plp.id; }))
                continue;
        }
        uint8_t bytes[KIT_DVBT2_PLP_BYTES] = {};
        bool read = false;
        {
            Burst b(err, s);
            b.freeze();
            read = b.read(kL1Bank, 0x54, bytes, sizeof bytes);
        }
        if (read)
            kit_demod_dvbt2_DecodePLP(bytes, 0, &plp);
    }
    return plps;
}

// The search's findings into the block.
void store(const Attempt& a, const Post& p, kit_dvbt2_plp_t* plps, uint8_t keep, st_t_data_CXD2856* s)
{
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    DrvCXD2856_dvbt2_free_l1_post(&t);
    t.demod_locked = a.demodLocked;
    std::memcpy(t.l1_state, a.l1State, sizeof t.l1_state);
    t.l1pre_read = a.l1preRead;
    t.l1pre = a.l1pre;
    t.profile = a.profile;
    t.profile_mixed = a.l1preRead ? a.l1pre.mixed : 0;
    if (a.l1preRead) {
        t.fft_mode = fftMode(a.l1pre.fftMode, a.l1pre.bwExt);
        t.guard = DRVDEFDVBT2_translate_gi(a.l1pre.gi);
        t.pilot_pattern = a.l1pre.pp;
        t.bw_extended = a.l1pre.bwExt;
        t.data_symbols = a.l1pre.numSymbols;
    }
    t.l1post_read = p.read ? 1 : 0;
    if (p.read) {
        t.l1post = static_cast<kit_dvbt2_l1post_t*>(EMBEDDEDRTOS_malloc(sizeof(kit_dvbt2_l1post_t)));
        if (t.l1post)
            *t.l1post = p.l1post;
        t.fef_interval = p.l1post.fefInterval;
        t.fef_length = p.l1post.fefLength;
        std::memcpy(t.l1_buffer + KIT_DVBT2_L1PRE_BYTES, p.bytes, kL1PostBytes);
    }
    t.plp_count = plps ? p.count : 0;
    std::memcpy(t.plp_ids, p.ids, sizeof t.plp_ids);
    t.plps = plps;
    t.plp_records = plps ? p.count : 0;
    t.plp_id = keep;
    for (uint32_t k = 0; k < t.plp_records; ++k) {
        if (plps[k].id != keep)
            continue;
        t.plp_code_rate = plps[k].plpCr;
        t.plp_constellation = plps[k].constell;
        t.plp_rotation = plps[k].rot;
        t.fec_frame = plps[k].fec;
        t.fec_blocks = plps[k].numBlocksMax;
    }
}

} // namespace

void DrvCXD2856_m_dvbt2_tune_wait_l1_pre(kit_dtv_bandwidth_t bandwidth, uint32_t profile, uint32_t* l1State,
                                         kit_dvbt2_l1pre_t* l1pre, uint8_t* demodLocked, uint8_t* l1preRead,
                                         KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    l1State[0] = l1State[1] = 0;
    *l1pre = kit_dvbt2_l1pre_t{};
    *demodLocked = 0;
    *l1preRead = 0;
    uint32_t found = profile;
    {
        Burst b(err, s);
        b.kit(kit_integ_dvbt2_BlindTune(&s->integ, 1, bandwidth, profile, &found));
    }
    uint8_t sync = 0;
    uint32_t detected = found == KIT_DVBT2_PROFILE_LITE ? KIT_DVBT2_PROFILE_LITE : KIT_DVBT2_PROFILE_BASE;
    *demodLocked = pollUntil(s, kPollMs, kConfirmMs, kWaitMs, [&] {
        sync = syncState(err, s);
        return sync > 2 && profileDetected(err, &detected, s);
    });
    if (*demodLocked)
        *l1preRead = pollUntil(s, kPollMs, kConfirmMs, kWaitMs, [&] { return (sync = syncState(err, s)) >= 4; });
    l1State[0] = sync;
    l1State[1] = detected;
    if (!*l1preRead)
        return;
    uint8_t* bytes = s->dvbt2.l1_buffer;
    bool read = false;
    {
        Burst b(err, s);
        b.freeze();
        read = b.read(kL1Bank, 0x20, bytes, KIT_DVBT2_L1PRE_BYTES);
    }
    if (!read || kit_demod_dvbt2_DecodeL1Pre(bytes, detected == KIT_DVBT2_PROFILE_LITE, l1pre) != KIT_RESULT_OK)
        *l1preRead = 0;
}

uint32_t DrvCXD2856_m_dvbt2_search_run(st_t_dvbt2_search_CXD2856 search, KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    st_t_dvbt2_CXD2856& t = s->dvbt2;
    DrvCXD2856_dvbt2_free_l1_post(&t);
    std::memset(t.l1_buffer, 0, sizeof t.l1_buffer);
    t.l1pre = kit_dvbt2_l1pre_t{};
    const uint32_t profile = search.profile == KIT_DVBT2_PROFILE_ANY    ? uint32_t(KIT_DVBT2_PROFILE_ANY)
                           : search.profile == KIT_DVBT2_PROFILE_LITE ? uint32_t(KIT_DVBT2_PROFILE_LITE)
                                                                      : uint32_t(KIT_DVBT2_PROFILE_BASE);
    uint32_t code = eDEMOD_LOCK_STATUS_UNLOCKED;
    for (const uint32_t bw : candidates(search.bw, search.bw_auto != 0)) {
        if (cancelled(s))
            break;
        configureTuner(err, kTunerDvbt2, bandwidthHz(bw), s);
        const uint32_t word = ifWord(tunerIfHz(err, static_cast<int32_t>(search.if_hz), s));
        kit_demod_iffreq_config_t& f = s->demod.ifFreq;
        f.dvbt2_1_7 = f.dvbt2_5 = f.dvbt2_6 = f.dvbt2_7 = f.dvbt2_8 = word;

        Attempt a = attempt(kitBandwidth(bw), profile, err, s);
        // A signal carrying both profiles: the base one is preferred.
        if (profile == KIT_DVBT2_PROFILE_ANY && a.l1preRead && a.l1pre.mixed
            && a.profile != KIT_DVBT2_PROFILE_BASE && !cancelled(s)) {
            const Attempt base = attempt(kitBandwidth(bw), KIT_DVBT2_PROFILE_BASE, err, s);
            a = base.l1preRead ? base : attempt(kitBandwidth(bw), a.profile, err, s);
        }
        {
            Burst b(err, s);
            b.freeze();
            b.read(kT2Bank, 0x5C, t.frame_parameters, sizeof t.frame_parameters);
        }
        Post p;
        if (a.l1preRead)
            readPost(err, p, s);
        const uint8_t first = currentPlp(err, s);
        kit_dvbt2_plp_t* plps = readPlps(err, p, s);
        uint8_t keep = first;
        for (uint32_t k = 0; plps && !search.plp_auto && k < p.count; ++k)
            if (p.ids[k] == search.plp_id)
                keep = p.ids[k];
        store(a, p, plps, keep, s);

        if (!cancelled(s)) {
            const bool switchPlp = p.count && currentPlp(err, s) != keep;
            Burst b(err, s);
            if (switchPlp) {
                kit_dvbt2_tune_param_t param = {1, kitBandwidth(bw), keep, a.profile, 0};
                b.kit(kit_integ_dvbt2_Tune(&s->integ, &param));
            } else {
                b.kit(kit_integ_dvbt2_WaitTSLock(&s->integ, a.profile));
            }
        }
        code = DrvCXD2856_m_dvbt2_read_signal_status(err, s);
        if (code <= 4)
            continue;
        t.bw.value = bw;
        uint32_t inverted = 0;
        DrvCXD2856_m_dvbt2_read_sp(err, &inverted, s);
        if (t.sp_inv.automatic) {
            t.sp_inv.value = inverted;
        } else if (t.sp_inv.value != inverted) {
            code = 1;
            break;
        }
        if (code == 5)
            break;
        kit_demod_dvbt2_adv_monitor_InitMERFilter(&t.mer_filter);
        return cancelled(s) ? uint32_t(eDEMOD_LOCK_STATUS_UNLOCKED) : code;
    }
    t.plp_count = 0;
    kit_demod_dvbt2_adv_monitor_InitMERFilter(&t.mer_filter);
    return cancelled(s) ? uint32_t(eDEMOD_LOCK_STATUS_UNLOCKED) : code;
}
