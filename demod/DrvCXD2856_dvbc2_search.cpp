// The DVB-C2 search: the tuner and the demodulator's IF set, the C2 frame acquired through the
// kit's tune, its layer-1 part 2 read, every data slice selected for its signalling and PLP
// list, then each PLP of the request (or of the system, in order) selected, its parameters
// waited for and its data slice tuned, until one is received. Each wait polls the cancel
// flag and ends after its time; a PLP whose parameters never come is skipped.
#include "DrvCXD2856_dvbc2.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_family.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBC2.h"
#include "embedded_rtos.h"
#include "common/embedded_timers.h"

#include "chipkit/kit_demod.h"
#include "chipkit/kit_demod_dvbc2.h"
#include "chipkit/kit_integ_dvbc2.h"

#include <vector>

using namespace drvcxd2856;

namespace {

constexpr uint32_t kTunerDvbc2 = 12; // eSIGNAL_TYPE of the tuner callback
constexpr uint32_t kPollMs = 20;
constexpr uint32_t kSyncReads = 5;
constexpr uint32_t kSyncLimitMs = 200;
constexpr uint32_t kL1LimitMs = 200;
constexpr uint32_t kSelectionLimitMs = 4000;
constexpr uint32_t kParameterConfirmMs = 3;
constexpr uint32_t kParameterLimitMs = 1000;
constexpr uint8_t kL1Bank = 0x52;
constexpr uint32_t kMaxIds = 255;

kit_dtv_bandwidth_t kitBandwidth(uint32_t bw) { return bw == eBW_6MHZ ? KIT_DTV_BW_6_MHZ : KIT_DTV_BW_8_MHZ; }

// The sync state above 3 on kSyncReads reads in a row.
bool frameHeld(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
    uint32_t held = 0;
    while (!cancelled(s)) {
        uint8_t v = 0;
        {
            Burst b(err, s);
            b.read(0x20, 0x10, &v, 1);
        }
        held = (v & 0x07) > 3 ? held + 1 : 0;
        if (held >= kSyncReads)
            return true;
        if (held == 0 && EMBEDDEDTIMERS_GeticksInMs() - start >= kSyncLimitMs)
            return false;
        EMBEDDEDTIMERS_delayms(kPollMs);
    }
    return false;
}

// A selection of the layer-1 view (with the data slice the PLP belongs to), then the wait for
// what it presents.
bool select(KxlDrvLibError* err, uint8_t view, uint8_t slice, uint8_t plp, st_t_data_CXD2856* s)
{
    {
        Burst b(err, s);
        if (view == KIT_DVBC2_L1_VIEW_PLP)
            b.bank(0x50) && b.write(0x7E, slice);
        b.kit(kit_demod_dvbc2_SelectL1View(&s->demod, view, view == KIT_DVBC2_L1_VIEW_PLP ? plp : slice));
    }
    return DrvCXD2856_m_dvbc2_wait_l1_ready(0, kSelectionLimitMs, err, s) != 0;
}

// count ids of the list the view presents, under one freeze.
bool readIds(KxlDrvLibError* err, uint8_t* ids, uint32_t count, st_t_data_CXD2856* s)
{
    Burst b(err, s);
    b.freeze();
    return b.kit(kit_demod_dvbc2_ReadL1IdList(&s->demod, ids, count)) == KIT_RESULT_OK;
}

// The layer-1 part 2 header with its notches.
kit_dvbc2_l1_part2_t* readPart2(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    kit_dvbc2_l1_part2_t l1{};
    {
        Burst b(err, s);
        b.freeze();
        if (b.kit(kit_demod_dvbc2_ReadL1Part2(&s->demod, &l1)) != KIT_RESULT_OK)
            return nullptr;
    }
    auto* record = static_cast<kit_dvbc2_l1_part2_t*>(EMBEDDEDRTOS_malloc(sizeof l1));
    if (!record) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_heap, 0, DRVCXD2856_TEXT_HEAP_DVBC2);
        return nullptr;
    }
    *record = l1;
    return record;
}

// Each data slice of the list selected for its signalling and its PLPs.
bool readSlices(KxlDrvLibError* err, st_t_dvbc2_CXD2856& c, st_t_data_CXD2856* s)
{
    const uint32_t n = c.l1_part2->numDataSlices < kMaxIds ? c.l1_part2->numDataSlices : kMaxIds;
    if (!select(err, KIT_DVBC2_L1_VIEW_DATA_SLICES, 0, 0, s) || !readIds(err, c.dslice_ids, n, s))
        return false;
    c.dslice_count = n;
    c.dslices = static_cast<st_t_dvbc2_dslice_CXD2856*>(EMBEDDEDRTOS_malloc(sizeof(st_t_dvbc2_dslice_CXD2856) * n));
    if (!c.dslices) {
        KxlDrvLib_error_set(err, KxlDrvLib_code_heap, 0, DRVCXD2856_TEXT_HEAP_DVBC2);
        return false;
    }
    for (uint32_t k = 0; k < n; ++k) {
        st_t_dvbc2_dslice_CXD2856& d = c.dslices[k];
        d = st_t_dvbc2_dslice_CXD2856{};
        d.slice.id = c.dslice_ids[k];
        if (cancelled(s) || !select(err, KIT_DVBC2_L1_VIEW_DATA_SLICE, d.slice.id, 0, s)
            || !DrvCXD2856_m_dvbc2_wait_l1_ready(0, kSelectionLimitMs, err, s))
            continue;
        uint8_t bytes[KIT_DVBC2_DATA_SLICE_BYTES] = {};
        Burst b(err, s);
        b.freeze();
        if (!b.read(kL1Bank, 0x2F, bytes, sizeof bytes))
            continue;
        kit_demod_dvbc2_DecodeDataSlice(bytes, c.l1_part2->guardInterval, &d.slice);
        d.plp_count = d.slice.numPLPs;
        if (b.kit(kit_demod_dvbc2_ReadL1IdList(&s->demod, d.plp_ids, d.plp_count)) != KIT_RESULT_OK)
            d.plp_count = 0;
    }
    return true;
}

struct Candidate {
    uint32_t slice; // index in the block's data slices
    uint8_t plp;
};

// The requested data slice and PLP first when they are named and there; then every PLP of
// every data slice in list order.
std::vector<Candidate> candidates(const st_t_dvbc2_search_CXD2856& search, const st_t_dvbc2_CXD2856& c)
{
    std::vector<Candidate> asked, others;
    for (uint32_t k = 0; k < c.dslice_count; ++k) {
        const st_t_dvbc2_dslice_CXD2856& d = c.dslices[k];
        for (uint32_t p = 0; p < d.plp_count; ++p) {
            const bool named = (search.dslice_auto || d.slice.id == search.dslice_id)
                            && (search.plp_auto || d.plp_ids[p] == search.plp_id);
            (named ? asked : others).push_back(Candidate{k, d.plp_ids[p]});
        }
    }
    asked.insert(asked.end(), others.begin(), others.end());
    return asked;
}

uint32_t readPlpField(KxlDrvLibError* err, KxlDrvLibError* (*reader)(KxlDrvLibError*, uint32_t*, st_t_data_CXD2856*),
                      st_t_data_CXD2856* s)
{
    uint32_t v = 0;
    reader(err, &v, s);
    return v;
}

} // namespace

uint32_t DrvCXD2856_dvbc2_position_khz(uint32_t bw, uint64_t position)
{
    // 8 MHz: 125/56 kHz (448 carriers to the megahertz); 6 MHz: 375/224 kHz.
    const uint64_t khz = bw == eBW_6MHZ ? (3000 * position / 256) / 7 : (125 * position / 8) / 7;
    return khz > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(khz);
}

uint8_t DrvCXD2856_m_dvbc2_wait_l1_ready(uint32_t keepFreeze, uint32_t timeoutMs, KxlDrvLibError* err,
                                         st_t_data_CXD2856* s)
{
    const uint64_t start = EMBEDDEDTIMERS_GeticksInMs();
    uint32_t ready = 0;
    while (!cancelled(s)) {
        const bool last = ready + 1 == kSyncReads;
        if (DrvCXD2856_m_dvbc2_read_if_l1_ready(err, keepFreeze && last ? 1 : 0, s)) {
            if (++ready == kSyncReads)
                return 1;
        } else {
            ready = 0;
            if (EMBEDDEDTIMERS_GeticksInMs() - start >= timeoutMs)
                return 0;
        }
        EMBEDDEDTIMERS_delayms(kPollMs);
    }
    return 0;
}

uint32_t DrvCXD2856_m_dvbc2_search_run_full(st_t_dvbc2_search_CXD2856 search, KxlDrvLibError* err,
                                            st_t_data_CXD2856* s)
{
    st_t_dvbc2_CXD2856& c = s->dvbc2;
    c.demod_locked = 0;
    c.l1_read = 0;
    c.preamble_valid = 0;
    const uint32_t bw = search.bw == eBW_6MHZ ? uint32_t(eBW_6MHZ) : uint32_t(eBW_8MHZ);
    configureTuner(err, kTunerDvbc2, DRVDEFDVBC2_get_bw_hz_from_id(bw), s);
    uint32_t tunerHz = 0;
    if (s->host.tuner_frequency) {
        KxlDrvLibError own{};
        s->host.tuner_frequency(&own, &tunerHz);
        KxlDrvLib_error_keep_first(err, &own);
    }
    const uint32_t word = ifWord(tunerIfHz(err, static_cast<int32_t>(search.if_hz), s));
    s->demod.ifFreq.dvbc2_6 = s->demod.ifFreq.dvbc2_8 = word;

    // The chip counts carriers from 0 Hz: it must know where the tuner is.
    const uint32_t centreKHz = tunerHz / 1000 ? tunerHz / 1000 : 1;
    const kit_dvbc2_tune_param_t first = {centreKHz, kitBandwidth(bw), static_cast<uint8_t>(search.dslice_id),
                                          static_cast<uint8_t>(search.plp_id), 0, 0};
    DrvCXD2856_m_set_scan_mode(1, KIT_DTV_SYSTEM_DVBC2, err, s);
    {
        Burst b(err, s);
        b.kit(kit_integ_dvbc2_Tune(&s->integ, &first));
    }
    DrvCXD2856_m_set_scan_mode(0, KIT_DTV_SYSTEM_DVBC2, err, s);

    uint32_t code = eDEMOD_LOCK_STATUS_UNLOCKED;
    bool settled = false; // a PLP whose parameters were read, tuned
    if (frameHeld(err, s)) {
        c.demod_locked = 1;
        uint8_t p[3] = {};
        {
            Burst b(err, s);
            if (b.read(kL1Bank, 0x11, p, sizeof p)) {
                c.preamble = {static_cast<uint32_t>((p[0] & 0x3F) << 8 | p[1]), static_cast<uint32_t>(p[2] & 0x03)};
                c.preamble_valid = 1;
            }
        }
        if (DrvCXD2856_m_dvbc2_wait_l1_ready(0, kL1LimitMs, err, s)) {
            c.l1_read = 1;
            DrvCXD2856_dvbc2_free_l1_part2(&c);
            c.dslice_count = 0;
            c.l1_part2 = readPart2(err, s);
            c.l1_part2_valid = c.l1_part2 ? 1 : 0;
            if (c.l1_part2) {
                c.network_id = c.l1_part2->networkId;
                c.c2_system_id = c.l1_part2->c2SystemId;
                c.guard = c.l1_part2->guardInterval;
            }
        }
        if (c.l1_part2 && c.l1_part2->numDataSlices > 0 && readSlices(err, c, s)) {
            const std::vector<Candidate> list = candidates(search, c);
            c.plps = static_cast<kit_dvbc2_plp_t*>(EMBEDDEDRTOS_malloc(sizeof(kit_dvbc2_plp_t) * (list.size() + 1)));
            if (!c.plps)
                KxlDrvLib_error_set(err, KxlDrvLib_code_heap, 0, DRVCXD2856_TEXT_HEAP_DVBC2);
            for (const Candidate& k : list) {
                if (!c.plps || cancelled(s))
                    break;
                const st_t_dvbc2_dslice_CXD2856& d = c.dslices[k.slice];
                kit_dvbc2_plp_t& plp = c.plps[c.plp_records++];
                plp = kit_dvbc2_plp_t{};
                plp.id = k.plp;
                if (!select(err, KIT_DVBC2_L1_VIEW_PLP, d.slice.id, k.plp, s))
                    continue;
                uint8_t bytes[KIT_DVBC2_PLP_BYTES] = {};
                {
                    Burst b(err, s);
                    b.freeze();
                    if (b.read(kL1Bank, 0x3C, bytes, sizeof bytes))
                        kit_demod_dvbc2_DecodePLP(bytes, &plp);
                }
                // The received PLP's parameters show once the chip has it; one that never
                // comes is left for the next.
                if (!pollUntil(s, kPollMs, kParameterConfirmMs, kParameterLimitMs,
                               [&] { return readPlpField(err, DrvCXD2856_m_dvbc2_read_current_mod, s) != 0; }))
                    continue;
                const uint32_t fec = readPlpField(err, DrvCXD2856_m_dvbc2_read_current_fec_type, s);
                const uint32_t mod = readPlpField(err, DrvCXD2856_m_dvbc2_read_current_mod, s);
                const uint32_t cod = readPlpField(err, DrvCXD2856_m_dvbc2_read_current_cod, s);
                const uint64_t spacing = DRVDEFDVBC2_get_pilots_separation(DRVDEFDVBC2_translate_gi(c.guard));
                const uint64_t position = c.l1_part2->startFrequency + spacing * d.slice.tunePosition;
                const kit_dvbc2_tune_param_t slice = {centreKHz, kitBandwidth(bw), d.slice.id, k.plp, 0,
                                                      DrvCXD2856_dvbc2_position_khz(bw, position)};
                if (cancelled(s))
                    break;
                {
                    Burst b(err, s);
                    b.kit(kit_integ_dvbc2_Tune(&s->integ, &slice));
                }
                code = DrvCXD2856_m_dvbc2_read_signal_status(err, s);
                settled = true;
                c.dslice_id = d.slice.id;
                c.plp_id = k.plp;
                c.plp_count = d.plp_count;
                std::copy(d.plp_ids, d.plp_ids + d.plp_count, c.plp_ids);
                if (code == eDEMOD_LOCK_STATUS_TS_LOCKED) {
                    c.fec_type = plp.fecType = static_cast<uint8_t>(fec);
                    c.plp_constellation = plp.modulation = static_cast<uint8_t>(mod);
                    c.plp_code_rate = plp.codeRate = static_cast<uint8_t>(cod);
                    break;
                }
                if (code > 7)
                    break;
            }
        }
    }
    if (code != eDEMOD_LOCK_STATUS_TS_LOCKED && code <= 7)
        code = DrvCXD2856_m_dvbc2_read_signal_status(err, s);
    // A stream whose PLP parameters were never read is not one the measures can follow.
    if (code == eDEMOD_LOCK_STATUS_TS_LOCKED && !settled)
        code = c.l1_read ? 9 : 8;
    if (!c.sp_inv.automatic) {
        uint32_t inverted = 0;
        DrvCXD2856_m_dvbt2_read_sp(err, &inverted, s);
    }
    return cancelled(s) ? uint32_t(eDEMOD_LOCK_STATUS_UNLOCKED) : code;
}
