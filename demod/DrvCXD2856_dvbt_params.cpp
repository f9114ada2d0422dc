// The DVB-T signal parameters as the search and the tasks left them, the constellation
// samples with their scale, and the channel response with its scales.
#include "DrvCXD2856_dvbt.h"

#include "DrvCXD2856_family.h"
#include "DrvCXD2856_samples.h"
#include "DrvDefCodes.h"
#include "DrvDefDVBT.h"

#include <cmath>

using namespace drvcxd2856;

namespace {

st_t_data_CXD2856* S() { return DrvCXD2856_state(); }

} // namespace

uint32_t DrvCXD2856_m_dvbt_get_bw(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbt.bw, automatic); }
uint32_t DrvCXD2856_dvbt_get_bw(uint8_t* automatic) { return DrvCXD2856_m_dvbt_get_bw(automatic, S()); }
uint32_t DrvCXD2856_m_dvbt_get_mode(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbt.mode, automatic); }
uint32_t DrvCXD2856_dvbt_get_mode(uint8_t* automatic) { return DrvCXD2856_m_dvbt_get_mode(automatic, S()); }
uint32_t DrvCXD2856_m_dvbt_get_guard(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbt.guard, automatic); }
uint32_t DrvCXD2856_dvbt_get_guard(uint8_t* automatic) { return DrvCXD2856_m_dvbt_get_guard(automatic, S()); }
uint32_t DrvCXD2856_m_dvbt_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* s) { return pairValue(s->dvbt.sp_inv, automatic); }
uint32_t DrvCXD2856_dvbt_get_sp_inv(uint8_t* automatic) { return DrvCXD2856_m_dvbt_get_sp_inv(automatic, S()); }

uint32_t DrvCXD2856_m_dvbt_get_constellation(uint8_t* valid, st_t_data_CXD2856* s)
{
    return reportedValue(s->dvbt.constellation, valid);
}

uint32_t DrvCXD2856_dvbt_get_constellation(uint8_t* valid) { return DrvCXD2856_m_dvbt_get_constellation(valid, S()); }

uint32_t DrvCXD2856_m_dvbt_get_coderate(uint32_t* lp, uint32_t* hierarchy, uint8_t* valid, st_t_data_CXD2856* s)
{
    const st_t_dvbt_CXD2856& t = s->dvbt;
    if (lp)
        *lp = t.lp_code_rate;
    if (hierarchy)
        *hierarchy = t.hierarchy;
    if (valid)
        *valid = t.code_rate_valid;
    return t.hp_code_rate;
}

uint32_t DrvCXD2856_dvbt_get_coderate(uint32_t* lp, uint32_t* hierarchy, uint8_t* valid)
{
    return DrvCXD2856_m_dvbt_get_coderate(lp, hierarchy, valid, S());
}

const st_t_dvbt_tps_CXD2856* DrvCXD2856_m_dvbt_get_tps_info(uint8_t* valid, st_t_data_CXD2856* s)
{
    if (valid)
        *valid = s->dvbt.tps_valid;
    return &s->dvbt.tps;
}

const st_t_dvbt_tps_CXD2856* DrvCXD2856_dvbt_get_tps_info(uint8_t* valid) { return DrvCXD2856_m_dvbt_get_tps_info(valid, S()); }

uint32_t DrvCXD2856_m_dvbt_get_cellid(uint16_t* cellId, st_t_data_CXD2856* s)
{
    if (cellId)
        *cellId = s->dvbt.cell_id;
    return s->ticks;
}

uint32_t DrvCXD2856_dvbt_get_cellid(uint16_t* cellId) { return DrvCXD2856_m_dvbt_get_cellid(cellId, S()); }
uint32_t DrvCXD2856_m_dvbt_get_standard(st_t_data_CXD2856* s) { return s->dvbt.standard; }
uint32_t DrvCXD2856_dvbt_get_standard(void) { return DrvCXD2856_m_dvbt_get_standard(S()); }
KxlDrvLibError* DrvCXD2856_dvbt_set_priority_ts(KxlDrvLibError* err, uint32_t) { return KxlDrvLib_error_ok(err); }
uint32_t DrvCXD2856_m_dvbt_get_priority_ts(st_t_data_CXD2856* s) { return s->dvbt.priority; }
uint32_t DrvCXD2856_dvbt_get_priority_ts(void) { return DrvCXD2856_m_dvbt_get_priority_ts(S()); }
uint32_t DrvCXD2856_m_dvbt_get_interleaver(st_t_data_CXD2856* s) { return s->dvbt.interleaver; }
uint32_t DrvCXD2856_dvbt_get_interleaver(void) { return DrvCXD2856_m_dvbt_get_interleaver(S()); }
uint32_t DrvCXD2856_m_dvbt_get_mpe_fec(st_t_data_CXD2856* s) { return s->dvbt.mpe_fec; }
uint32_t DrvCXD2856_dvbt_get_mpe_fec(void) { return DrvCXD2856_m_dvbt_get_mpe_fec(S()); }
uint32_t DrvCXD2856_m_dvbt_get_timeslicing(st_t_data_CXD2856* s) { return s->dvbt.time_slicing; }
uint32_t DrvCXD2856_dvbt_get_timeslicing(void) { return DrvCXD2856_m_dvbt_get_timeslicing(S()); }

uint32_t DrvCXD2856_m_dvbt_get_tg(st_t_data_CXD2856* s)
{
    const st_t_dvbt_CXD2856& t = s->dvbt;
    return DRVDEFDVBT_get_tgi(t.bw.value, t.mode.value, t.guard.value) / 100;
}

uint32_t DrvCXD2856_dvbt_get_tg(void) { return DrvCXD2856_m_dvbt_get_tg(S()); }

KxlDrvLibError* DrvCXD2856_m_dvbt_set_carrier(KxlDrvLibError* err, uint32_t carrier, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    return DrvCXD2856_m_dvbt_write_carrier(err, carrier, s);
}

KxlDrvLibError* DrvCXD2856_dvbt_set_carrier(KxlDrvLibError* err, uint32_t carrier)
{
    return DrvCXD2856_m_dvbt_set_carrier(err, carrier, S());
}

KxlDrvLibError* DrvCXD2856_dvbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                             uint8_t* sampled)
{
    KxlDrvLib_error_ok(err);
    return DrvCXD2856_m_dvbt_read_full_iq(err, carrier, i, q, sampled, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q, st_t_data_CXD2856* s)
{
    const uint32_t c = s->dvbt.constellation;
    const int16_t v = c == eCONST_QPSK ? 135 : c == eCONST_16QAM ? 180 : 206;
    return topRight(err, v, v, i, q);
}

KxlDrvLibError* DrvCXD2856_dvbt_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q)
{
    return DrvCXD2856_m_dvbt_get_iq_top_right(err, i, q, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                       uint8_t* valid, int32_t* level, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    return readChannelResponse(err, kDvbtAnalysis, mode, point, valid, level, s);
}

KxlDrvLibError* DrvCXD2856_dvbt_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                     uint8_t* valid, int32_t* level)
{
    return DrvCXD2856_m_dvbt_read_channelresponse(err, mode, point, valid, level, S());
}

KxlDrvLibError* DrvCXD2856_m_dvbt_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                            uint32_t* last, float* step, st_t_data_CXD2856* s)
{
    const st_t_dvbt_CXD2856& t = s->dvbt;
    return ofdmResponseScale(err, t.mode.value == eFFT_2K ? 511 : 2047, decimate,
                             DRVDEFDVBT_get_tu(t.bw.value, t.mode.value), first, last, step);
}

KxlDrvLibError* DrvCXD2856_dvbt_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                          uint32_t* last, float* step)
{
    return DrvCXD2856_m_dvbt_get_channelresponse_scale(err, decimate, first, last, step, S());
}

int32_t DrvCXD2856_m_dvbt_get_echoes_scale(st_t_data_CXD2856* s)
{
    const st_t_dvbt_CXD2856& t = s->dvbt;
    return echoesScale(DRVDEFDVBT_get_tgi(t.bw.value, t.mode.value, t.guard.value), 1500);
}

int32_t DrvCXD2856_dvbt_get_echoes_scale(void) { return DrvCXD2856_m_dvbt_get_echoes_scale(S()); }

uint32_t DrvCXD2856_dvbt_get_echoes_mode(uint8_t* a, uint8_t* b)
{
    if (a)
        *a = 1;
    if (b)
        *b = 1;
    return 0;
}
