// The ISDB-T signal parameters (per layer from the TMCC the search read), the constellation
// samples with their scale, and the channel response with its scales.
#include "DrvCXD2856_isdbt.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_family.h"
#include "DrvCXD2856_samples.h"
#include "DrvDefCodes.h"
#include "DrvDefISDBT.h"

#include "chipkit/kit_demod_isdbt.h"

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

const st_t_isdbt_layer_CXD2856& layerOf(const st_t_data_CXD2856* s, uint32_t layer)
{
    return s->isdbt.tmcc.layer[layer == 1 ? 1 : layer == 2 ? 2 : 0];
}

bool isdbtLocked(Burst& b)
{
    uint8_t demod = 0, ts = 0, unlock = 0;
    return b.kit(kit_demod_isdbt_monitor_SyncStat(&b.state()->demod, &demod, &ts, &unlock)) == KIT_RESULT_OK && demod;
}

uint32_t segments(uint8_t count) { return count >= 1 && count <= 13 ? count : 0; }

} // namespace

uint32_t DrvCXD2856_m_isdbt_get_bw(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->isdbt.bw, automatic); }
uint32_t DrvCXD2856_isdbt_get_bw(uint8_t* automatic) { return DrvCXD2856_m_isdbt_get_bw(automatic, S()); }
uint32_t DrvCXD2856_m_isdbt_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->isdbt.sp_inv, automatic); }
uint32_t DrvCXD2856_isdbt_get_sp_inv(uint8_t* automatic) { return DrvCXD2856_m_isdbt_get_sp_inv(automatic, S()); }
uint32_t DrvCXD2856_m_isdbt_get_mode(uint8_t* valid, st_t_data_CXD2856* s) { return reportedValue(s->isdbt.mode, valid); }
uint32_t DrvCXD2856_isdbt_get_mode(uint8_t* valid) { return DrvCXD2856_m_isdbt_get_mode(valid, S()); }
uint32_t DrvCXD2856_m_isdbt_get_guard(uint8_t* valid, st_t_data_CXD2856* s) { return reportedValue(s->isdbt.guard, valid); }
uint32_t DrvCXD2856_isdbt_get_guard(uint8_t* valid) { return DrvCXD2856_m_isdbt_get_guard(valid, S()); }

uint32_t DrvCXD2856_m_isdbt_get_constellation(uint32_t layer, uint8_t* valid, st_t_data_CXD2856* s)
{
    return reportedValue(layerOf(s, layer).constellation, valid);
}

uint32_t DrvCXD2856_isdbt_get_constellation(uint32_t layer, uint8_t* valid)
{
    return DrvCXD2856_m_isdbt_get_constellation(layer, valid, S());
}

uint32_t DrvCXD2856_m_isdbt_get_coderate(uint32_t layer, uint8_t* valid, st_t_data_CXD2856* s)
{
    return reportedValue(layerOf(s, layer).code_rate, valid);
}

uint32_t DrvCXD2856_isdbt_get_coderate(uint32_t layer, uint8_t* valid) { return DrvCXD2856_m_isdbt_get_coderate(layer, valid, S()); }
uint32_t DrvCXD2856_m_isdbt_get_time_interleaving(uint32_t layer, st_t_data_CXD2856* s) { return layerOf(s, layer).interleaving; }
uint32_t DrvCXD2856_isdbt_get_time_interleaving(uint32_t layer) { return DrvCXD2856_m_isdbt_get_time_interleaving(layer, S()); }

void DrvCXD2856_m_isdbt_get_segment_layers(uint32_t* a, uint32_t* b, uint32_t* c, uint32_t* highest,
                                           st_t_data_CXD2856* s)
{
    const st_t_isdbt_CXD2856& t = s->isdbt;
    const bool locked = t.status >= eDEMOD_LOCK_STATUS_TS_LOCKED;
    if (a)
        *a = locked ? segments(t.tmcc.layer[0].segments) : 0;
    if (b)
        *b = locked ? segments(t.tmcc.layer[1].segments) : 0;
    if (c)
        *c = locked ? segments(t.tmcc.layer[2].segments) : 0;
    if (highest)
        *highest = locked ? t.tmcc.highest_layer : 0;
}

void DrvCXD2856_isdbt_get_segment_layers(uint32_t* a, uint32_t* b, uint32_t* c, uint32_t* highest)
{
    DrvCXD2856_m_isdbt_get_segment_layers(a, b, c, highest, S());
}

uint32_t DrvCXD2856_m_isdbt_get_measure_layer(st_t_data_CXD2856* s) { return s->isdbt.measure_layer; }
uint32_t DrvCXD2856_isdbt_get_measure_layer(void) { return DrvCXD2856_m_isdbt_get_measure_layer(S()); }
uint32_t DrvCXD2856_m_isdbt_get_ts_layer(st_t_data_CXD2856* s) { return s->isdbt.ts_layer; }
uint32_t DrvCXD2856_isdbt_get_ts_layer(void) { return DrvCXD2856_m_isdbt_get_ts_layer(S()); }

const st_t_isdbt_tmcc_CXD2856* DrvCXD2856_m_isdbt_get_extended_data(uint8_t* valid, st_t_data_CXD2856* s)
{
    if (valid)
        *valid = s->isdbt.tmcc_valid;
    return &s->isdbt.tmcc;
}

const st_t_isdbt_tmcc_CXD2856* DrvCXD2856_isdbt_get_extended_data(uint8_t* valid) { return DrvCXD2856_m_isdbt_get_extended_data(valid, S()); }

uint32_t DrvCXD2856_m_isdbt_get_emergency_alarm(st_t_data_CXD2856* s)
{
    return s->isdbt.tmcc_valid ? s->isdbt.tmcc_kit.ewsFlag : 0;
}

uint32_t DrvCXD2856_isdbt_get_emergency_alarm(void) { return DrvCXD2856_m_isdbt_get_emergency_alarm(S()); }

uint32_t DrvCXD2856_m_isdbt_get_tg(st_t_data_CXD2856* s)
{
    const st_t_isdbt_CXD2856& t = s->isdbt;
    return DRVDEFISDBT_get_tgi(t.bw.value, t.mode, t.guard) / 100;
}

uint32_t DrvCXD2856_isdbt_get_tg(void) { return DrvCXD2856_m_isdbt_get_tg(S()); }
KxlDrvLibError* DrvCXD2856_isdbt_set_carrier(KxlDrvLibError* err, uint32_t carrier) { return DrvCXD2856_dvbt_set_carrier(err, carrier); }

KxlDrvLibError* DrvCXD2856_m_isdbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                                uint8_t* sampled, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    const AnalysisPoll poll = {80, 0, 41, 41, isdbtLocked};
    return readCarrierSample(err, kDvbtAnalysis, carrier, poll, 10, i, q, sampled, s);
}

KxlDrvLibError* DrvCXD2856_isdbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                              uint8_t* sampled)
{
    return DrvCXD2856_m_isdbt_read_full_iq(err, carrier, i, q, sampled, S());
}

KxlDrvLibError* DrvCXD2856_m_isdbt_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q, st_t_data_CXD2856* s)
{
    const uint32_t c = s->isdbt.tmcc.layer[0].constellation;
    const int16_t v = c == eCONST_16QAM ? -180 : c == eCONST_64QAM ? -205 : -190;
    return topRight(err, v, v, i, q);
}

KxlDrvLibError* DrvCXD2856_isdbt_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q)
{
    return DrvCXD2856_m_isdbt_get_iq_top_right(err, i, q, S());
}

KxlDrvLibError* DrvCXD2856_isdbt_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                      uint8_t* valid, int32_t* level)
{
    return DrvCXD2856_dvbt_read_channelresponse(err, mode, point, valid, level);
}

KxlDrvLibError* DrvCXD2856_m_isdbt_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate,
                                                             uint32_t* first, uint32_t* last, float* step,
                                                             st_t_data_CXD2856* s)
{
    const st_t_isdbt_CXD2856& t = s->isdbt;
    return ofdmResponseScale(err, t.mode == eFFT_2K ? 511 : t.mode == eFFT_4K ? 1023 : 2047, decimate,
                             DRVDEFISDBT_get_tu(t.bw.value, t.mode), first, last, step);
}

KxlDrvLibError* DrvCXD2856_isdbt_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                           uint32_t* last, float* step)
{
    return DrvCXD2856_m_isdbt_get_channelresponse_scale(err, decimate, first, last, step, S());
}

int32_t DrvCXD2856_m_isdbt_get_echoes_scale(st_t_data_CXD2856* s)
{
    const st_t_isdbt_CXD2856& t = s->isdbt;
    return echoesScale(DRVDEFISDBT_get_tgi(t.bw.value, t.mode, t.guard), 1500);
}

int32_t DrvCXD2856_isdbt_get_echoes_scale(void) { return DrvCXD2856_m_isdbt_get_echoes_scale(S()); }
uint32_t DrvCXD2856_isdbt_get_echoes_mode(uint8_t* a, uint8_t* b) { return DrvCXD2856_dvbt_get_echoes_mode(a, b); }
