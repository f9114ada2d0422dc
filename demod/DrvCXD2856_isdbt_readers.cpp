#include "DrvCXD2856_readers.h"

#include "DrvCXD2856_burst.h"
#include "DrvDefCodes.h"
#include "DrvDefISDBT.h"

#include "chipkit/kit_demod_isdbt.h"

using drvcxd2856::Burst;

namespace {

constexpr uint8_t kBank = 0x60;
constexpr uint32_t kPacketBits = 1632;
constexpr uint32_t kPacketWindowMax = 0x7FFF; // the measuring window's packet count

uint32_t constellationOf(uint32_t kitCode)
{
    switch (kitCode) {
    case 1:
        return eCONST_QPSK;
    case 2:
        return eCONST_16QAM;
    case 3:
        return eCONST_64QAM;
    default:
        return eCONST_DQPSK;
    }
}

uint32_t codeRateOf(uint32_t kitCode)
{
    switch (kitCode) {
    case 1:
        return eCR_2_3;
    case 2:
        return eCR_3_4;
    case 3:
        return eCR_5_6;
    case 4:
        return eCR_7_8;
    default:
        return eCR_1_2;
    }
}

uint8_t reversed(uint8_t b)
{
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        r = static_cast<uint8_t>(r << 1 | ((b >> i) & 1));
    return r;
}

const kit_isdbt_tmcc_layer_info_t& kitLayer(const kit_isdbt_tmcc_info_t& k, int layer)
{
    return layer == 0 ? k.currentInfo.layerA : layer == 1 ? k.currentInfo.layerB : k.currentInfo.layerC;
}

} // namespace

uint32_t DrvCXD2856_m_isdbt_read_signal_status(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    uint8_t dmd = 0, ts = 0, unlock = 0;
    Burst b(err, s);
    if (b.kit(kit_demod_isdbt_monitor_SyncStat(&s->demod, &dmd, &ts, &unlock)) != KIT_RESULT_OK)
        return eDEMOD_LOCK_STATUS_UNLOCKED;
    return ts ? eDEMOD_LOCK_STATUS_TS_LOCKED : dmd ? 2 : eDEMOD_LOCK_STATUS_UNLOCKED;
}

KxlDrvLibError* DrvCXD2856_m_isdbt_read_sp(KxlDrvLibError* err, uint32_t* inverted, st_t_data_CXD2856* s)
{
    uint32_t v = 0;
    Burst b(err, s);
    b.kit(kit_demod_isdbt_monitor_SpectrumSense(&s->demod, &v));
    if (inverted)
        *inverted = v ? 1 : 0;
    return err;
}

uint32_t DrvCXD2856_isdbt_get_highest_layer(const kit_isdbt_tmcc_info_t* tmcc)
{
    const uint8_t c = tmcc->currentInfo.layerC.segmentsNum;
    const uint8_t b = tmcc->currentInfo.layerB.segmentsNum;
    if (c >= 1 && c <= 11)
        return 2;
    if (b >= 1 && b <= 12)
        return 1;
    return 0;
}

uint32_t DrvCXD2856_isdbt_translate_time_interleaving(uint32_t code, uint32_t mode)
{
    if (code < 1 || code > 3)
        return 0;
    // Interleaving lengths 1, 2, 4 symbols in 8k (Mode 3), twice that in 4k (Mode 2) and
    // four times in 2k (Mode 1): the same interleaving time in every mode.
    const uint32_t length8k = 1u << (code - 1);
    switch (mode) {
    case eFFT_2K:
        return length8k * 4;
    case eFFT_4K:
        return length8k * 2;
    default:
        return length8k;
    }
}

KxlDrvLibError* DrvCXD2856_m_isdbt_read_tmcc_info(KxlDrvLibError* err, st_t_isdbt_tmcc_CXD2856* tmcc,
                                                kit_isdbt_tmcc_info_t* kitTmcc, st_t_data_CXD2856* s)
{
    kit_isdbt_tmcc_info_t k{};
    uint8_t raw[13] = {};
    {
        Burst b(err, s);
        if (b.kit(kit_demod_isdbt_monitor_TMCCInfo(&s->demod, &k)) != KIT_RESULT_OK)
            return err;
        if (!b.read(kBank, 0x32, raw, sizeof raw))
            return err;
    }
    st_t_isdbt_tmcc_CXD2856 t{};
    t.system = k.systemId;
    t.partial_reception = k.currentInfo.isPartial;
    uint32_t segment = 0;
    for (int n = 0; n < 3; ++n) {
        const kit_isdbt_tmcc_layer_info_t& l = kitLayer(k, n);
        t.layer[n].constellation = constellationOf(l.modulation);
        t.layer[n].code_rate = codeRateOf(l.codingRate);
        t.layer[n].interleaving = DrvCXD2856_isdbt_translate_time_interleaving(l.ilLength, s->isdbt.mode);
        t.layer[n].segments = l.segmentsNum;
        // The segments in order of the layers, A from the centre out.
        for (uint32_t i = 0; i < l.segmentsNum && segment < 13; ++i)
            t.segment_layout[segment++] = static_cast<uint8_t>(n);
    }
    t.highest_layer = DrvCXD2856_isdbt_get_highest_layer(&k);
    for (int i = 0; i < 13; ++i) {
        const uint8_t r = reversed(raw[i]);
        t.raw[2 * i] = r >> 4;
        t.raw[2 * i + 1] = r & 0x0F;
    }
    if (tmcc)
        *tmcc = t;
    if (kitTmcc)
        *kitTmcc = k;
    return err;
}

uint32_t DrvCXD2856_m_isdbt_write_vber_window(KxlDrvLibError* err, uint32_t windowMs, st_t_data_CXD2856* s)
{
    // The chip counts its window in packets, so the window is written as a packet count.
    const st_t_isdbt_CXD2856& t = s->isdbt;
    const st_t_isdbt_layer_CXD2856& layer = t.tmcc.layer[t.measure_layer == 1 ? 1 : t.measure_layer == 2 ? 2 : 0];
    const uint64_t rate = DRVDEFISDBT_get_bitrate_after_viberbi(t.bw.value, t.mode, t.guard, layer.constellation,
                                                                layer.segments ? layer.segments : 13,
                                                                layer.code_rate);
    uint64_t packets = rate / 1000 * windowMs / kPacketBits;
    packets = packets < 1 ? 1 : packets > kPacketWindowMax ? kPacketWindowMax : packets;
    const uint8_t d[2] = {static_cast<uint8_t>(packets >> 8), static_cast<uint8_t>(packets)};
    {
        Burst b(err, s);
        b.bank(kBank) && b.write(0x5B, d, sizeof d);
    }
    return static_cast<uint32_t>(packets * kPacketBits);
}

KxlDrvLibError* DrvCXD2856_m_isdbt_write_channelresponse_mode(KxlDrvLibError* err, uint32_t on, st_t_data_CXD2856* s)
{
    Burst b(err, s);
    b.bank(0x11) && b.write(0xC4, on ? 1 : 0);
    return err;
}
