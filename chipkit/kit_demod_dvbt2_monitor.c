#include "kit_demod_dvbt2_monitor.h"

#include "kit_demod.h"
#include "kit_demod_dvbt2.h"
#include "kit_demod_terr.h"
#include "kit_math.h"

enum { BANK_T2 = 0x20, BANK_L1 = 0x22, BANK_FEC = 0x24, BANK_TS = 0x25, BANK_HISTORY = 0x02 };

// Bits a FEC block carries per code rate (index code rate + 8 x FEC type): the BCH codeword
// length; 1/3 and 2/5 exist only in short frames.
static const uint16_t nBCHBitsLookup[16] = {
    7200,  9720,  10800, 11880, 12600, 13320, 5400,  6480,
    32400, 38880, 43200, 48600, 51840, 54000, 21600, 25920,
};

// Required C/N (dB x 1000) by constellation and code rate.
static const int32_t snrNordigP1dB1000[4][8] = {
    {3500, 4700, 5600, 6600, 7200, 7700, 1300, 2200},
    {8700, 10100, 11400, 12500, 13300, 13800, 6000, 7200},
    {13000, 14800, 16200, 17700, 18700, 19400, 9800, 11100},
    {17000, 19400, 20800, 22900, 24300, 25100, 13200, 14800},
};

// Last carrier index by FFT mode, normal then extended carrier mode.
static const uint16_t t2NumberCarriers[12] = {
    1704, 6816, 3408, 852, 13632, 27264, 1704, 6912, 3408, 852, 13920, 27840,
};
// Cells kept for tone reservation, by FFT mode.
static const uint16_t t2MisoTRCells[6] = {18, 72, 36, 10, 144, 288};
static const uint16_t t2ConstellationRangeMaxFFTOUT[6] = {2047, 8191, 4095, 1023, 16383, 32767};
// Data cells of one normal symbol, by pilot pattern + 8 x extended + 16 x FFT mode; 0 where the
// combination does not exist.
static const uint16_t t2MisoCdata[96] = {
    1522,  1532,  1596,  1602,  1632,  0,     1646,  0,     0,     0,     0,     0,     0,     0,     0,     0,
    6208,  6214,  6494,  6498,  6634,  0,     6698,  6698,  6296,  6298,  6584,  6588,  6728,  0,     6788,  6788,
    3084,  3092,  3228,  3234,  3298,  0,     3328,  0,     0,     0,     0,     0,     0,     0,     0,     0,
    764,   768,   798,   804,   818,   0,     0,     0,     0,     0,     0,     0,     0,     0,     0,     0,
    12418, 12436, 12988, 13002, 13272, 13288, 13416, 13406, 12678, 12698, 13262, 13276, 13552, 13568, 13698, 13688,
    0,     24886, 0,     26022, 0,     26592, 26836, 26812, 0,     25412, 0,     26572, 0,     27152, 27404, 27376,
};
// FEC frame length by FEC type, bits per cell by constellation.
static const uint32_t t2PLPFEC[2] = {16200, 64800};
static const uint32_t t2PLPConstellOrder[4] = {2, 4, 6, 8};

// ---- Conditions ----

static kit_result_t active(kit_demod_t* demod) { return kit_demod_terr_CheckActive(demod, KIT_DTV_SYSTEM_DVBT2); }

static kit_result_t syncAtLeast5(kit_demod_t* demod)
{
    uint8_t sync = 0, ts = 0, unlock = 0;
    KIT_TRY(kit_demod_terr_SyncStat(demod, BANK_T2, &sync, &ts, &unlock));
    return sync >= 5 ? KIT_RESULT_OK : KIT_RESULT_ERROR_HW_STATE;
}

static kit_result_t tsLocked(kit_demod_t* demod)
{
    kit_demod_lock_result_t lock = 0;
    KIT_TRY(kit_demod_terr_CheckLock(demod, BANK_T2, 1, &lock));
    return lock == KIT_DEMOD_LOCK_RESULT_LOCKED ? KIT_RESULT_OK : KIT_RESULT_ERROR_HW_STATE;
}

static kit_result_t l1Valid(kit_demod_t* demod)
{
    uint8_t v = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_L1, 0x12, &v, 1));
    return (v & 0x01) ? KIT_RESULT_OK : KIT_RESULT_ERROR_HW_STATE;
}

static kit_result_t tsLockedAndL1Valid(kit_demod_t* demod)
{
    KIT_TRY(tsLocked(demod));
    return l1Valid(demod);
}

static uint32_t be(const uint8_t* data, uint32_t length) { return kit_demod_terr_BigEndian(data, length); }

// ---- Signalling ----

kit_result_t kit_demod_dvbt2_monitor_CarrierOffset(kit_demod_t* demod, int32_t* offset)
{
    if (!offset)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    const kit_dtv_bandwidth_t bw = demod->bandwidth;
    if (bw != KIT_DTV_BW_1_7_MHZ && (bw < KIT_DTV_BW_5_MHZ || bw > KIT_DTV_BW_8_MHZ))
        return KIT_RESULT_ERROR_SW_STATE;
    uint8_t b[4];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, kit_demod_dvbt2_Synchronised, BANK_T2, 0x4C, b, 4));
    const int64_t x = kit_Convert2SComplement(be(b, 4) & 0x0FFFFFFF, 28);
    int64_t value = bw == KIT_DTV_BW_1_7_MHZ ? x / -582 : (x * (int64_t)bw) / -940;
    if (demod->ifSpectrumInverted)
        value = -value;
    *offset = (int32_t)value;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* ifAgc)
{
    return kit_demod_terr_IFAGCOut(demod, KIT_DTV_SYSTEM_DVBT2, BANK_T2, ifAgc);
}

kit_result_t kit_demod_dvbt2_monitor_Version(kit_demod_t* demod, uint32_t* version)
{
    if (!version)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[2];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, syncAtLeast5, BANK_L1, 0x3F, b, 2));
    *version = (uint32_t)(b[0] & 0x03) * 4 + (b[1] >> 6);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_OFDM(kit_demod_t* demod, kit_dvbt2_ofdm_t* ofdm)
{
    if (!ofdm)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[5];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, kit_demod_dvbt2_Synchronised, BANK_T2, 0x5C, b, 5));
    ofdm->mixed = (b[0] >> 5) & 1;
    ofdm->isMiso = (b[0] >> 4) & 1;
    ofdm->mode = b[0] & 0x07;
    ofdm->gi = (b[1] >> 4) & 0x07;
    ofdm->pp = b[1] & 0x07;
    ofdm->bwExt = (b[2] >> 4) & 1;
    ofdm->papr = b[2] & 0x0F;
    ofdm->numSymbols = (uint16_t)be(b + 3, 2);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_DataPLPs(kit_demod_t* demod, uint8_t* plpIds, uint8_t* numPLPs)
{
    if (!numPLPs)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t n = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = l1Valid(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x7F, &n, 1);
    if (r == KIT_RESULT_OK && n == 0)
        r = KIT_RESULT_ERROR_OTHER;
    // The count is a byte, so the list never passes the 256 ids every caller provides.
    if (r == KIT_RESULT_OK && plpIds)
        r = kit_demod_ReadIdList(demod, plpIds, n);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    *numPLPs = n;
    return KIT_RESULT_OK;
}

void kit_demod_dvbt2_DecodePLP(const uint8_t* b, uint8_t common, kit_dvbt2_plp_t* plp)
{
    plp->id = b[0];
    plp->type = b[1] & 0x07;
    plp->payload = b[2] & 0x1F;
    plp->ff = b[3] & 0x01;
    plp->firstRfIdx = b[4] & 0x07;
    plp->firstFrmIdx = b[5];
    plp->groupId = b[6];
    plp->constell = b[8] & 0x07;
    plp->plpCr = b[7] & 0x07;
    plp->rot = b[9] & 0x01;
    plp->fec = b[10] & 0x03;
    plp->numBlocksMax = (uint16_t)(((b[11] & 0x03) << 8) | b[12]);
    plp->frmInt = b[13];
    plp->tilLen = b[14];
    plp->tilType = b[15] & 0x01;
    plp->inBandAFlag = b[common ? 17 : 16] & 0x01;
    const uint32_t u = be(b + (common ? 18 : 17), 2);
    plp->inBandBFlag = (u >> 15) & 1;
    plp->rsvd = (uint16_t)((u >> 4) & 0x07FF);
    plp->plpMode = (u >> 2) & 0x03;
    plp->staticFlag = (u >> 1) & 1;
    plp->staticPaddingFlag = u & 1;
}

kit_result_t kit_demod_dvbt2_monitor_ActivePLP(kit_demod_t* demod, kit_dvbt2_plp_btype_t type, kit_dvbt2_plp_t* plp)
{
    if (!plp || type > KIT_DVBT2_PLP_COMMON)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    const int common = type == KIT_DVBT2_PLP_COMMON;
    uint8_t b[KIT_DVBT2_PLP_BYTES];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, l1Valid, BANK_L1, common ? 0x67 : 0x54, b, KIT_DVBT2_PLP_BYTES));
    if (common && b[13] == 0)  // no common PLP
        return KIT_RESULT_ERROR_HW_STATE;
    kit_demod_dvbt2_DecodePLP(b, (uint8_t)common, plp);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_L1Change(kit_demod_t* demod, uint8_t* changed)
{
    if (!changed)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    uint8_t v = 0;
    kit_result_t r = syncAtLeast5(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_L1, 0x15, &v, 1);
    if (r == KIT_RESULT_OK && (v & 0x01))
        r = kit_demod_WriteReg(demod, KIT_DEMOD_SLVT, 0x16, 0x01);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    *changed = v & 0x01;
    return KIT_RESULT_OK;
}

void kit_demod_dvbt2_DecodeL1Post(const uint8_t* b, kit_dvbt2_l1post_t* l1Post)
{
    l1Post->subSlicesPerFrame = (uint16_t)(((b[0] & 0x7F) << 8) | b[1]);
    l1Post->numPLPs = b[2];
    l1Post->numAux = b[3] & 0x0F;
    l1Post->auxConfigRFU = b[4];
    l1Post->rfIdx = b[5] & 0x07;
    l1Post->freq = be(b + 6, 4);
    l1Post->fefType = b[10] & 0x0F;
    l1Post->fefLength = be(b + 11, 3);
    l1Post->fefInterval = b[14];
}

kit_result_t kit_demod_dvbt2_monitor_L1Post(kit_demod_t* demod, kit_dvbt2_l1post_t* l1Post)
{
    if (!l1Post)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[KIT_DVBT2_L1POST_BYTES];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, l1Valid, BANK_L1, 0x45, b, KIT_DVBT2_L1POST_BYTES));
    kit_demod_dvbt2_DecodeL1Post(b, l1Post);
    return KIT_RESULT_OK;
}

// FFT mode from the L1-pre S2 field; the lite profile knows fewer sizes (-1: none).
static const int8_t fftFromS2Base[8] = {0, 1, 2, 3, 4, 5, 1, 5};
static const int8_t fftFromS2Lite[8] = {0, 1, 2, 4, 4, -1, 1, -1};

static kit_result_t readProfile(kit_demod_t* demod, uint8_t* lite)
{
    uint8_t v = 0;
    KIT_TRY(kit_demod_terr_Read(demod, 0x2E, 0x20, &v, 1));
    if (!(v & 0x02))
        return KIT_RESULT_ERROR_HW_STATE;
    *lite = v & 0x01;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_DecodeL1Pre(const uint8_t* b, uint8_t lite, kit_dvbt2_l1pre_t* l1Pre)
{
    const uint8_t s2 = b[3] & 0x0F;
    const int8_t fft = (lite ? fftFromS2Lite : fftFromS2Base)[s2 >> 1];
    if (fft < 0)
        return KIT_RESULT_ERROR_HW_STATE;
    l1Pre->type = b[0];
    l1Pre->bwExt = b[1] & 0x01;
    l1Pre->s1 = b[2] & 0x07;
    l1Pre->s2 = s2;
    l1Pre->mixed = b[3] & 0x01;
    l1Pre->fftMode = (uint32_t)fft;
    l1Pre->l1Rep = b[4] & 0x01;
    l1Pre->gi = b[5] & 0x07;
    l1Pre->papr = b[6] & 0x0F;
    l1Pre->mod = b[7] & 0x0F;
    l1Pre->cr = b[8] & 0x03;
    l1Pre->fec = b[9] & 0x03;
    l1Pre->l1PostSize = ((uint32_t)(b[10] & 0x03) << 16) | be(b + 11, 2);
    l1Pre->l1PostInfoSize = ((uint32_t)(b[13] & 0x03) << 16) | be(b + 14, 2);
    l1Pre->pp = b[16] & 0x0F;
    l1Pre->txIdAvailability = b[17];
    l1Pre->cellId = (uint16_t)be(b + 18, 2);
    l1Pre->networkId = (uint16_t)be(b + 20, 2);
    l1Pre->sysId = (uint16_t)be(b + 22, 2);
    l1Pre->numFrames = b[24];
    l1Pre->numSymbols = (uint16_t)(((b[25] & 0x0F) << 8) | b[26]);
    l1Pre->regen = b[27] & 0x07;
    l1Pre->postExt = b[28] & 0x01;
    l1Pre->numRfFreqs = b[29] & 0x07;
    l1Pre->rfIdx = b[30] & 0x07;
    l1Pre->t2Version = ((uint32_t)(b[31] & 0x03) << 2) | (b[32] >> 6);
    l1Pre->l1PostScrambled = (b[32] >> 5) & 1;
    l1Pre->t2BaseLite = (b[32] >> 4) & 1;
    l1Pre->crc32 = be(b + 33, 4);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_L1Pre(kit_demod_t* demod, kit_dvbt2_l1pre_t* l1Pre)
{
    if (!l1Pre)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[KIT_DVBT2_L1PRE_BYTES];
    uint8_t lite = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = syncAtLeast5(demod);
    if (r == KIT_RESULT_OK)
        r = readProfile(demod, &lite);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_L1, 0x20, b, KIT_DVBT2_L1PRE_BYTES);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    return kit_demod_dvbt2_DecodeL1Pre(b, lite, l1Pre);
}

kit_result_t kit_demod_dvbt2_monitor_BBHeader(kit_demod_t* demod, kit_dvbt2_plp_btype_t type,
                                              kit_dvbt2_bbheader_t* header)
{
    if (!header || type > KIT_DVBT2_PLP_COMMON)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[17];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, tsLocked, BANK_FEC, type == KIT_DVBT2_PLP_COMMON ? 0xA8 : 0x92, b, 17));
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    header->streamInput = b[1] >> 6;
    header->isSingleInputStream = (b[1] >> 5) & 1;
    header->isConstantCodingModulation = (b[1] >> 4) & 1;
    header->issyIndicator = (b[1] >> 3) & 1;
    header->nullPacketDeletion = (b[1] >> 2) & 1;
    header->ext = b[1] & 0x03;
    header->inputStreamIdentifier = b[2];
    header->dataFieldLength = (uint16_t)be(b + 5, 2);
    if (b[4] & 0x01) {  // high-efficiency mode
        header->userPacketLength = 0;
        header->syncByte = 0;
        header->issy = be(b + 14, 3);
        header->plpMode = 2;
    } else {
        header->userPacketLength = (uint16_t)be(b + 7, 2);
        header->syncByte = b[9];
        header->issy = 0;
        header->plpMode = 1;
    }
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_InBandBTSRate(kit_demod_t* demod, kit_dvbt2_plp_btype_t type,
                                                   uint32_t* tsRate)
{
    if (!tsRate || type > KIT_DVBT2_PLP_COMMON)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    const int common = type == KIT_DVBT2_PLP_COMMON;
    uint8_t present = 0, b[4];
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = tsLockedAndL1Valid(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, common ? 0x79 : 0x65, &present, 1);
    if (r == KIT_RESULT_OK && !(present & 0x80))
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_TS, common ? 0xA6 : 0xAA, b, 4);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    *tsRate = be(b, 4) & 0x07FFFFFF;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_SpectrumSense(kit_demod_t* demod, uint32_t* inverted)
{
    return kit_demod_terr_SpectrumSense(demod, KIT_DTV_SYSTEM_DVBT2, kit_demod_dvbt2_Synchronised, 0x28, 0xE6,
                                        inverted);
}

// Constellation (register 0x5C / 0x6F) or code rate (0x5B / 0x6E) of the data or common PLP.
static kit_result_t plpField(kit_demod_t* demod, kit_dvbt2_plp_btype_t type, uint8_t dataReg, uint8_t commonReg,
                             uint32_t* value)
{
    if (!value || type > KIT_DVBT2_PLP_COMMON)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t v = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = l1Valid(demod);
    if (r == KIT_RESULT_OK && type == KIT_DVBT2_PLP_COMMON) {
        uint8_t common = 0;
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x74, &common, 1);
        if (r == KIT_RESULT_OK && common == 0)
            r = KIT_RESULT_ERROR_HW_STATE;
    }
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, type == KIT_DVBT2_PLP_COMMON ? commonReg : dataReg, &v, 1);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    *value = v & 0x07;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_QAM(kit_demod_t* demod, kit_dvbt2_plp_btype_t type, uint32_t* qam)
{
    return plpField(demod, type, 0x5C, 0x6F, qam);
}

kit_result_t kit_demod_dvbt2_monitor_CodeRate(kit_demod_t* demod, kit_dvbt2_plp_btype_t type, uint32_t* codeRate)
{
    return plpField(demod, type, 0x5B, 0x6E, codeRate);
}

// ---- Error rates, SNR, quality, rates ----

kit_result_t kit_demod_dvbt2_monitor_SNR(kit_demod_t* demod, int32_t* snr)
{
    if (!snr)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[2];
    KIT_TRY(kit_demod_terr_FrozenRead(demod, kit_demod_dvbt2_Synchronised, BANK_T2, 0x28, b, 2));
    return kit_demod_terr_SNRFromRegister(be(b, 2), 10876, 12600, 32000, snr);
}

kit_result_t kit_demod_dvbt2_monitor_PreLDPCBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[4], period = 0, fec = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = kit_demod_terr_Read(demod, BANK_T2, 0x39, b, 4);
    if (r == KIT_RESULT_OK && !(b[0] & 0x10))
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x6F, &period, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_L1, 0x5E, &fec, 1);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    fec &= 0x03;
    if (fec > KIT_DVBT2_FEC_MAX)
        return KIT_RESULT_ERROR_OTHER;
    const uint64_t bits = (uint64_t)t2PLPFEC[fec] << (period & 0x0F);
    return kit_demod_terr_ErrorRate(be(b, 4) & 0x0FFFFFFF, bits, 10000000, ber);
}

// Errors and the block's bits (BCH codeword x 2^p) of the pre-BCH counter.
static kit_result_t bchCodeword(kit_demod_t* demod, uint32_t* bits)
{
    uint8_t fec = 0, rate = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_L1, 0x5E, &fec, 1));
    KIT_TRY(kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x5B, &rate, 1));
    fec &= 0x03;
    if (fec > KIT_DVBT2_FEC_MAX)
        return KIT_RESULT_ERROR_OTHER;
    *bits = nBCHBitsLookup[(rate & 0x07) + 8 * fec];
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_PreBCHBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[4], period = 0;
    uint32_t codeword = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = kit_demod_terr_Read(demod, BANK_FEC, 0x40, b, 4);
    if (r == KIT_RESULT_OK && !(b[0] & 0x01))
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = bchCodeword(demod, &codeword);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_T2, 0x72, &period, 1);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    const uint32_t errors = ((uint32_t)(b[1] & 0x3F) << 16) | be(b + 2, 2);
    return kit_demod_terr_ErrorRate(errors, (uint64_t)codeword << (period & 0x0F), 1000000000, ber);
}

kit_result_t kit_demod_dvbt2_monitor_PostBCHFER(kit_demod_t* demod, uint32_t* fer)
{
    if (!fer)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[3], period = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_T2, 0x75, b, 3));
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    KIT_TRY(kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0x72, &period, 1));
    const uint32_t frames = ((uint32_t)(b[1] & 0x7F) << 8) | b[2];
    return kit_demod_terr_ErrorRate(frames, (uint64_t)1 << (period & 0x0F), 1000000, fer);
}

kit_result_t kit_demod_dvbt2_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count)
{
    if (!count)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[3];
    KIT_TRY(kit_demod_terr_Read(demod, BANK_FEC, 0xFD, b, 3));
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    *count = be(b + 1, 2);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_SamplingOffset(kit_demod_t* demod, int32_t* ppm)
{
    if (!ppm)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    return kit_demod_terr_SamplingOffset(demod, kit_demod_dvbt2_Synchronised, BANK_T2, ppm);
}

kit_result_t kit_demod_dvbt2_monitor_TSRate(kit_demod_t* demod, uint32_t* tsRate)
{
    if (!tsRate)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t word[4], issy = 0, counters[8];
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = tsLocked(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_T2, 0xE5, word, 4);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_FEC, 0x90, &issy, 1);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_TS, 0xB2, counters, 8);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    const uint32_t divisor = be(word, 4) & 0x1FFFFFFF;
    if (divisor < 214958)
        return KIT_RESULT_ERROR_HW_STATE;
    uint64_t rate = kit_demod_terr_DivRound(25165824000ull, divisor);
    if (issy & 0x01) {
        // The ISSY counters measure how far the stream's own clock is from the nominal one.
        uint64_t a = be(counters, 4) & 0x3FFFFFFF;
        const uint64_t b = be(counters + 4, 4) & 0x3FFFFFFF;
        if (a == 0 || b == 0 || a <= b)
            return KIT_RESULT_ERROR_HW_STATE;
        uint64_t d = a - b;
        while (d >= 32768) {
            d >>= 1;
            a >>= 1;
        }
        rate -= (rate * d + a / 2) / a;
    }
    *tsRate = (uint32_t)rate;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_monitor_PER(kit_demod_t* demod, uint32_t* per)
{
    if (!per)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t b[3], period = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_FEC, 0xFA, b, 3));
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    KIT_TRY(kit_demod_ReadRegs(demod, KIT_DEMOD_SLVT, 0xDC, &period, 1));
    return kit_demod_terr_ErrorRate(be(b + 1, 2), (uint64_t)1 << (period & 0x0F), 1000000, per);
}

kit_result_t kit_demod_dvbt2_CalcQuality(uint32_t qam, uint32_t codeRate, uint32_t ber, int32_t snr,
                                         uint8_t* quality)
{
    if (!quality)
        return KIT_RESULT_ERROR_ARG;
    if (qam > KIT_DVBT2_QAM_MAX || codeRate > KIT_DVBT2_CODE_RATE_MAX)
        return KIT_RESULT_ERROR_OTHER;
    const int64_t factor = ber <= 99 ? 16667 : ber <= 100000 ? 6667 : 0;
    const int64_t rel = (int64_t)snr - snrNordigP1dB1000[qam][codeRate];
    if (rel < -3000)
        *quality = 0;
    else if (rel > 3000)
        *quality = 100;
    else
        *quality = (uint8_t)((factor * (rel + 3000) + 500000) / 1000000);
    return KIT_RESULT_OK;
}

// The quality rule over a BER and an SNR reading (live or averaged) and the signal's modulation.
static kit_result_t qualityFrom(kit_demod_t* demod, kit_result_t (*berOf)(kit_demod_t*, uint32_t*),
                                kit_result_t (*snrOf)(kit_demod_t*, int32_t*), uint8_t* quality)
{
    if (!quality)
        return KIT_RESULT_ERROR_ARG;
    uint32_t ber = 0;
    int32_t snr = 0;
    KIT_TRY(berOf(demod, &ber));
    KIT_TRY(snrOf(demod, &snr));
    uint32_t qam = 0, codeRate = 0;
    KIT_TRY(kit_demod_dvbt2_monitor_QAM(demod, KIT_DVBT2_PLP_DATA, &qam));
    KIT_TRY(kit_demod_dvbt2_monitor_CodeRate(demod, KIT_DVBT2_PLP_DATA, &codeRate));
    return kit_demod_dvbt2_CalcQuality(qam, codeRate, ber, snr, quality);
}

kit_result_t kit_demod_dvbt2_monitor_Quality(kit_demod_t* demod, uint8_t* quality)
{
    return qualityFrom(demod, kit_demod_dvbt2_monitor_PreBCHBER, kit_demod_dvbt2_monitor_SNR, quality);
}

kit_result_t kit_demod_dvbt2_monitor_AveragedSNR(kit_demod_t* demod, int32_t* snr)
{
    if (!snr)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint32_t mean = 0;
    KIT_TRY(kit_demod_terr_HistorySNR(demod, &mean));
    return kit_demod_terr_SNRFromRegister(mean, 10876, 12600, 32000, snr);
}

kit_result_t kit_demod_dvbt2_monitor_AveragedPreBCHBER(kit_demod_t* demod, uint32_t* ber)
{
    if (!ber)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t mode[2];
    KIT_TRY(kit_demod_terr_Read(demod, BANK_T2, 0x7C, mode, 2));
    if (mode[1] != 0)  // the history is being rebuilt
        return KIT_RESULT_ERROR_HW_STATE;
    uint8_t history[32], period = 0;
    uint32_t codeword = 0;
    KIT_TRY(kit_demod_MonitorFreeze(demod));
    kit_result_t r = kit_demod_terr_Read(demod, BANK_HISTORY, 0x10, history, 32);
    if (r == KIT_RESULT_OK)
        r = bchCodeword(demod, &codeword);
    if (r == KIT_RESULT_OK)
        r = kit_demod_terr_Read(demod, BANK_T2, 0x72, &period, 1);
    KIT_TRY(kit_demod_MonitorRelease(demod, r));
    uint32_t p = period & 0x0F;
    uint64_t errors = 0, blocks = 0;
    KIT_TRY(kit_demod_terr_HistoryErrors(history, mode[0] & 0x01, &p, &errors, &blocks));
    return kit_demod_terr_ErrorRate(errors, ((uint64_t)codeword << p) * blocks, 1000000000, ber);
}

kit_result_t kit_demod_dvbt2_monitor_AveragedQuality(kit_demod_t* demod, uint8_t* quality)
{
    return qualityFrom(demod, kit_demod_dvbt2_monitor_AveragedPreBCHBER, kit_demod_dvbt2_monitor_AveragedSNR, quality);
}

// ---- Analysis ----

enum { BANK_ANALYSIS = 0x21, TAP_MAX = 4 };

kit_result_t kit_demod_dvbt2_adv_monitor_LDPCIter(kit_demod_t* demod, uint32_t* iterations)
{
    if (!iterations)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    uint8_t v = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_FEC, 0x16, &v, 1));
    *iterations = v;
    return KIT_RESULT_OK;
}

static kit_result_t constellationRange(kit_demod_t* demod, uint8_t tap, uint32_t* max)
{
    if (tap <= 1) {
        kit_dvbt2_plp_t plp;
        KIT_TRY(kit_demod_dvbt2_monitor_ActivePLP(demod, tap, &plp));
        if (plp.constell > KIT_DVBT2_QAM_MAX || plp.fec > KIT_DVBT2_FEC_MAX)
            return KIT_RESULT_ERROR_RANGE;
        *max = t2PLPFEC[plp.fec] / t2PLPConstellOrder[plp.constell] - 1;
        return KIT_RESULT_OK;
    }
    if (tap == 4) {
        kit_dvbt2_ofdm_t ofdm;
        KIT_TRY(kit_demod_dvbt2_monitor_OFDM(demod, &ofdm));
        if (ofdm.mode > KIT_DVBT2_FFT_MODE_MAX)
            return KIT_RESULT_ERROR_RANGE;
        *max = t2ConstellationRangeMaxFFTOUT[ofdm.mode];
        return KIT_RESULT_OK;
    }
    kit_dvbt2_l1pre_t pre;
    KIT_TRY(kit_demod_dvbt2_monitor_L1Pre(demod, &pre));
    if (tap == 3) {
        *max = pre.l1PostSize - 1;
        return KIT_RESULT_OK;
    }
    if (pre.fftMode > KIT_DVBT2_FFT_MODE_MAX)
        return KIT_RESULT_ERROR_OTHER;
    if (pre.s1 == 0 || pre.s1 == 3) {  // SISO
        *max = t2NumberCarriers[(pre.bwExt ? 6 : 0) + pre.fftMode];
        return KIT_RESULT_OK;
    }
    if (pre.pp > 7)
        return KIT_RESULT_ERROR_OTHER;
    uint32_t cells = t2MisoCdata[pre.pp + 8 * pre.bwExt + 16 * pre.fftMode];
    if (cells == 0)
        return KIT_RESULT_ERROR_OTHER;
    if (pre.papr == 2 || pre.papr == 3)  // tone reservation takes cells
        cells -= t2MisoTRCells[pre.fftMode];
    *max = cells;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_adv_SetConstellationTap(kit_demod_t* demod, uint8_t tap, uint32_t* min, uint32_t* max)
{
    if (!min || !max)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    if (tap > TAP_MAX)
        return KIT_RESULT_ERROR_OTHER;
    KIT_TRY(kit_demod_terr_WriteOne(demod, BANK_ANALYSIS, 0x97, tap));
    KIT_TRY(constellationRange(demod, tap, max));
    *min = 0;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_dvbt2_adv_SetChannelSpectrum(kit_demod_t* demod, uint8_t useTap, uint8_t tap, uint32_t* min,
                                                    uint32_t* max)
{
    if (useTap)
        return kit_demod_dvbt2_adv_SetConstellationTap(demod, tap, min, max);
    return kit_demod_terr_SetTap(demod, KIT_DTV_SYSTEM_DVBT2, BANK_ANALYSIS, 0x00);
}

kit_result_t kit_demod_dvbt2_adv_SetDelayProfile(kit_demod_t* demod, uint8_t enable, uint8_t mode,
                                                 uint32_t* minCarrier, uint32_t* maxCarrier, int32_t* minDelayNs,
                                                 int32_t* maxDelayNs)
{
    (void)minCarrier;
    (void)maxCarrier;
    (void)minDelayNs;
    (void)maxDelayNs;
    // The carrier span the chip captures per pilot pattern and FFT size is not published.
    if (enable) {
        KIT_TRY(active(demod));
        return KIT_RESULT_ERROR_NOSUPPORT;
    }
    return kit_demod_terr_SetDelayProfileRegs(demod, KIT_DTV_SYSTEM_DVBT2, BANK_ANALYSIS, 0, mode);
}

kit_result_t kit_demod_dvbt2_adv_monitor_Constellation(kit_demod_t* demod, uint32_t index, int32_t* i, int32_t* q)
{
    if (!i || !q)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    // Cells of the FFT output have the wider fields.
    uint8_t tap = 0;
    KIT_TRY(kit_demod_terr_Read(demod, BANK_ANALYSIS, 0x97, &tap, 1));
    tap &= 0x07;
    if (tap > TAP_MAX)
        return KIT_RESULT_ERROR_OTHER;
    return kit_demod_terr_PointConstellation(demod, KIT_DTV_SYSTEM_DVBT2, BANK_ANALYSIS, index, tap == 4, i, q);
}

kit_result_t kit_demod_dvbt2_adv_monitor_ChannelSpectrum(kit_demod_t* demod, uint32_t index, int32_t* power)
{
    return kit_demod_terr_PointSpectrum(demod, KIT_DTV_SYSTEM_DVBT2, BANK_ANALYSIS, index, power);
}

kit_result_t kit_demod_dvbt2_adv_monitor_DelayProfile(kit_demod_t* demod, uint32_t index, int32_t* power)
{
    return kit_demod_terr_PointDelay(demod, KIT_DTV_SYSTEM_DVBT2, BANK_ANALYSIS, index, power);
}

kit_result_t kit_demod_dvbt2_adv_monitor_DelayProfileCalculate(kit_demod_t* demod, uint8_t mode,
                                                               uint32_t startCarrier, uint32_t step, int32_t* levels,
                                                               int32_t* delaysNs, uint32_t count,
                                                               int32_t* windowStartNs, int32_t* windowEndNs)
{
    (void)mode;
    (void)startCarrier;
    (void)step;
    (void)count;
    if (!levels || !delaysNs || !windowStartNs || !windowEndNs)
        return KIT_RESULT_ERROR_ARG;
    KIT_TRY(active(demod));
    return KIT_RESULT_ERROR_NOSUPPORT;  // needs the delay-profile spans, as above
}
