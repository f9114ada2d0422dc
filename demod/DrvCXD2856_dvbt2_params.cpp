// The DVB-T2 signal parameters and signalling as the search left them, the constellation
// samples with their scale and cell range, and the channel response with its scales.
#include "DrvCXD2856_dvbt2.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_family.h"
#include "DrvCXD2856_samples.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBT2.h"

#include "chipkit/kit_demod_dvbt2.h"

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

bool t2Synchronised(Burst& b)
{
    uint8_t sync = 0, ts = 0, unlock = 0;
    return b.kit(kit_demod_dvbt2_monitor_SyncStat(&b.state()->demod, &sync, &ts, &unlock)) == KIT_RESULT_OK
        && sync >= 6;
}

// Last point of the channel response by FFT mode (2k, 8k, 4k, 1k, 16k, 32k) and pilot
// pattern; the first table for an extended carrier mode.
const uint16_t kResponseExtended[6][8] = {
    {511, 0, 511, 511, 511, 0, 0, 0},       {1023, 0, 511, 511, 511, 0, 0, 511},
    {511, 0, 511, 511, 511, 0, 0, 0},       {511, 0, 511, 0, 0, 0, 0, 0},
    {2047, 0, 1023, 511, 511, 0, 0, 1023},  {0, 2047, 0, 1023, 0, 511, 0, 2047},
};
const uint16_t kResponseNormal[6][8] = {
    {511, 511, 511, 511, 511, 0, 511, 0},           {2047, 1023, 1023, 511, 511, 0, 511, 1023},
    {1023, 511, 511, 511, 511, 0, 511, 0},          {511, 511, 511, 511, 511, 0, 0, 0},
    {2047, 2047, 2047, 1023, 1023, 511, 511, 2047}, {0, 2047, 0, 2047, 0, 1023, 1023, 2047},
};

uint32_t responseRow(uint32_t fft)
{
    switch (fft > eFFT_32K_EXT ? uint32_t(eFFT_32K) : fft) {
    case eFFT_2K:
        return 0;
    case eFFT_4K:
        return 2;
    case eFFT_1K:
        return 3;
    case eFFT_16K:
    case eFFT_16K_EXT:
        return 4;
    case eFFT_32K:
    case eFFT_32K_EXT:
        return 5;
    default:
        return 1;
    }
}

} // namespace

uint32_t DrvCXD2856_m_dvbt2_get_bw(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbt2.bw, automatic); }
uint32_t DrvCXD2856_dvbt2_get_bw(uint8_t* automatic) { return DrvCXD2856_m_dvbt2_get_bw(automatic, S()); }
uint32_t DrvCXD2856_m_dvbt2_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbt2.sp_inv, automatic); }
uint32_t DrvCXD2856_dvbt2_get_sp_inv(uint8_t* automatic) { return DrvCXD2856_m_dvbt2_get_sp_inv(automatic, S()); }
uint32_t DrvCXD2856_m_dvbt2_get_mode(uint8_t* valid, st_t_data_CXD2856* s) { return reportedValue(s->dvbt2.fft_mode, valid); }
uint32_t DrvCXD2856_dvbt2_get_mode(uint8_t* valid) { return DrvCXD2856_m_dvbt2_get_mode(valid, S()); }
uint32_t DrvCXD2856_m_dvbt2_get_guard(uint8_t* valid, st_t_data_CXD2856* s) { return reportedValue(s->dvbt2.guard, valid); }
uint32_t DrvCXD2856_dvbt2_get_guard(uint8_t* valid) { return DrvCXD2856_m_dvbt2_get_guard(valid, S()); }
uint32_t DrvCXD2856_m_dvbt2_get_pilot_pattern(st_t_data_CXD2856* s) { return s->dvbt2.pilot_pattern; }
uint32_t DrvCXD2856_dvbt2_get_pilot_pattern(void) { return DrvCXD2856_m_dvbt2_get_pilot_pattern(S()); }

uint32_t DrvCXD2856_m_dvbt2_get_profile(uint8_t* base, uint8_t* lite, st_t_data_CXD2856* s)
{
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    if (base)
        *base = t.l1pre_read && (t.profile == KIT_DVBT2_PROFILE_BASE || t.profile_mixed) ? 1 : 0;
    if (lite)
        *lite = t.l1pre_read && (t.profile == KIT_DVBT2_PROFILE_LITE || t.profile_mixed) ? 1 : 0;
    return t.profile;
}

uint32_t DrvCXD2856_dvbt2_get_profile(uint8_t* base, uint8_t* lite) { return DrvCXD2856_m_dvbt2_get_profile(base, lite, S()); }
uint32_t DrvCXD2856_dvbt2_get_siso_or_miso(void) { return 0; }
uint32_t DrvCXD2856_m_dvbt2_get_cell_id(st_t_data_CXD2856* s) { return s->dvbt2.l1pre.cellId; }
uint32_t DrvCXD2856_dvbt2_get_cell_id(void) { return DrvCXD2856_m_dvbt2_get_cell_id(S()); }
uint32_t DrvCXD2856_m_dvbt2_get_network_id(st_t_data_CXD2856* s) { return s->dvbt2.l1pre.networkId; }
uint32_t DrvCXD2856_dvbt2_get_network_id(void) { return DrvCXD2856_m_dvbt2_get_network_id(S()); }
uint32_t DrvCXD2856_m_dvbt2_get_t2_system_id(st_t_data_CXD2856* s) { return s->dvbt2.l1pre.sysId; }
uint32_t DrvCXD2856_dvbt2_get_t2_system_id(void) { return DrvCXD2856_m_dvbt2_get_t2_system_id(S()); }
uint32_t DrvCXD2856_m_dvbt2_get_plp_id(st_t_data_CXD2856* s) { return s->dvbt2.plp_id; }
uint32_t DrvCXD2856_dvbt2_get_plp_id(void) { return DrvCXD2856_m_dvbt2_get_plp_id(S()); }

void DrvCXD2856_m_dvbt2_get_plp_list(uint32_t* count, const uint8_t** ids, st_t_data_CXD2856* s)
{
    if (count)
        *count = s->dvbt2.plp_count;
    if (ids)
        *ids = s->dvbt2.plp_ids;
}

void DrvCXD2856_dvbt2_get_plp_list(uint32_t* count, const uint8_t** ids) { DrvCXD2856_m_dvbt2_get_plp_list(count, ids, S()); }

uint32_t DrvCXD2856_m_dvbt2_get_plp_coderate(st_t_data_CXD2856* s)
{
    return DRVDEFDVBT2_translate_coderate(s->dvbt2.plp_code_rate);
}

uint32_t DrvCXD2856_dvbt2_get_plp_coderate(void) { return DrvCXD2856_m_dvbt2_get_plp_coderate(S()); }

uint32_t DrvCXD2856_m_dvbt2_get_plp_constellation_type(st_t_data_CXD2856* s)
{
    return DRVDEFDVBT2_translate_constellation(s->dvbt2.plp_constellation);
}

uint32_t DrvCXD2856_dvbt2_get_plp_constellation_type(void) { return DrvCXD2856_m_dvbt2_get_plp_constellation_type(S()); }
uint32_t DrvCXD2856_m_dvbt2_get_plp_constellation_rotation(st_t_data_CXD2856* s) { return s->dvbt2.plp_rotation ? 1 : 0; }
uint32_t DrvCXD2856_dvbt2_get_plp_constellation_rotation(void) { return DrvCXD2856_m_dvbt2_get_plp_constellation_rotation(S()); }

uint32_t DrvCXD2856_m_dvbt2_get_L1pre_signalling(const kit_dvbt2_l1pre_t** l1pre, st_t_data_CXD2856* s)
{
    if (l1pre)
        *l1pre = &s->dvbt2.l1pre;
    return s->dvbt2.status > 5 ? 1 : 0;
}

uint32_t DrvCXD2856_dvbt2_get_L1pre_signalling(const kit_dvbt2_l1pre_t** l1pre) { return DrvCXD2856_m_dvbt2_get_L1pre_signalling(l1pre, S()); }

uint32_t DrvCXD2856_m_dvbt2_get_L1post_signalling(const kit_dvbt2_l1post_t** l1post, st_t_data_CXD2856* s)
{
    if (l1post)
        *l1post = s->dvbt2.l1post;
    return s->dvbt2.status > 6 && s->dvbt2.l1post ? 1 : 0;
}

uint32_t DrvCXD2856_dvbt2_get_L1post_signalling(const kit_dvbt2_l1post_t** l1post) { return DrvCXD2856_m_dvbt2_get_L1post_signalling(l1post, S()); }

uint32_t DrvCXD2856_m_dvbt2_get_L1post_info(const uint8_t** bytes, st_t_data_CXD2856* s)
{
    if (bytes)
        *bytes = s->dvbt2.l1_buffer;
    return s->dvbt2.status > 6 ? 1 : 0;
}

uint32_t DrvCXD2856_dvbt2_get_L1post_info(const uint8_t** bytes) { return DrvCXD2856_m_dvbt2_get_L1post_info(bytes, S()); }

uint32_t DrvCXD2856_m_dvbt2_get_L1post_plp(const kit_dvbt2_plp_t** plps, st_t_data_CXD2856* s)
{
    if (plps)
        *plps = s->dvbt2.plps;
    return s->dvbt2.status > 6 && s->dvbt2.plps ? 1 : 0;
}

uint32_t DrvCXD2856_dvbt2_get_L1post_plp(const kit_dvbt2_plp_t** plps) { return DrvCXD2856_m_dvbt2_get_L1post_plp(plps, S()); }

uint32_t DrvCXD2856_m_dvbt2_get_tg(st_t_data_CXD2856* s)
{
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    return DRVDEFDVBT2_get_tgi(t.bw.value, t.fft_mode, t.guard) / 100;
}

uint32_t DrvCXD2856_dvbt2_get_tg(void) { return DrvCXD2856_m_dvbt2_get_tg(S()); }

KxlDrvLibError* DrvCXD2856_m_dvbt2_set_carrier(KxlDrvLibError* err, uint32_t carrier, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    return DrvCXD2856_m_dvbt2_write_carrier(err, carrier, s);
}

KxlDrvLibError* DrvCXD2856_dvbt2_set_carrier(KxlDrvLibError* err, uint32_t carrier)
{
    return DrvCXD2856_m_dvbt2_set_carrier(err, carrier, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                                uint8_t* sampled, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    const AnalysisPoll poll = {kAnalysisReadsPerSecond, 1000, 52, 52, t2Synchronised};
    return readCarrierSample(err, kDvbt2Analysis, carrier, poll, 10, i, q, sampled, s);
}

KxlDrvLibError* DrvCXD2856_dvbt2_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                              uint8_t* sampled)
{
    return DrvCXD2856_m_dvbt2_read_full_iq(err, carrier, i, q, sampled, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_get_iq_margins(KxlDrvLibError* err, uint32_t* first, uint32_t* last,
                                                  st_t_data_CXD2856* s)
{
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    if (first)
        *first = 0;
    if (last)
        *last = DRVDEFDVBT2_get_fecframe_size(t.fec_frame) / DRVDEFDVBT2_get_bits_per_symbol(t.plp_constellation) - 1;
    return KxlDrvLib_error_ok(err);
}

KxlDrvLibError* DrvCXD2856_dvbt2_get_iq_margins(KxlDrvLibError* err, uint32_t* first, uint32_t* last)
{
    return DrvCXD2856_m_dvbt2_get_iq_margins(err, first, last, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q, st_t_data_CXD2856* s)
{
    // By the kit's code (QPSK, 16, 64, 256QAM); a rotated constellation is wider on Q.
    static const int16_t kPlain[4] = {248, 272, 286, 296};
    static const int16_t kRotatedI[4] = {104, 160, 234, 278};
    static const int16_t kRotatedQ[4] = {364, 304, 316, 318};
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    const uint32_t c = t.plp_constellation <= 3 ? t.plp_constellation : 3;
    return topRight(err, t.plp_rotation ? kRotatedI[c] : kPlain[c], t.plp_rotation ? kRotatedQ[c] : kPlain[c], i, q);
}

KxlDrvLibError* DrvCXD2856_dvbt2_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q)
{
    return DrvCXD2856_m_dvbt2_get_iq_top_right(err, i, q, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                        uint8_t* valid, int32_t* level, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    return readChannelResponse(err, kDvbt2Analysis, mode, point, valid, level, s);
}

KxlDrvLibError* DrvCXD2856_dvbt2_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                      uint8_t* valid, int32_t* level)
{
    return DrvCXD2856_m_dvbt2_read_channelresponse(err, mode, point, valid, level, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt2_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate,
                                                             uint32_t* first, uint32_t* last, float* step,
                                                             st_t_data_CXD2856* s)
{
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    const uint32_t pp = t.pilot_pattern > 7 ? 7 : t.pilot_pattern;
    const auto& table = t.bw_extended == 1 ? kResponseExtended : kResponseNormal;
    uint32_t points = table[responseRow(t.fft_mode)][pp];
    if (decimate)
        points /= 8;
    const double tu = DRVDEFDVBT2_get_tu(t.bw.value, t.fft_mode);
    return responseScale(err, points, tu / DRVDEFDVBT2_get_pilots_separation(t.pilot_pattern) / (points + 1) / 100.0,
                         first, last, step);
}

KxlDrvLibError* DrvCXD2856_dvbt2_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                           uint32_t* last, float* step)
{
    return DrvCXD2856_m_dvbt2_get_channelresponse_scale(err, decimate, first, last, step, S());
}

int32_t DrvCXD2856_m_dvbt2_get_echoes_scale(st_t_data_CXD2856* s)
{
    const st_t_dvbt2_CXD2856& t = s->dvbt2;
    return echoesScale(DRVDEFDVBT2_get_tgi(t.bw.value, t.fft_mode, t.guard), 0);
}

int32_t DrvCXD2856_dvbt2_get_echoes_scale(void) { return DrvCXD2856_m_dvbt2_get_echoes_scale(S()); }
