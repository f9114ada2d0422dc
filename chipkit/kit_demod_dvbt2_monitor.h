// The DVB-T2 monitor set beyond lock and MER: signalling (OFDM parameters, L1-pre, L1-post,
// PLP lists and the active PLP, baseband header), error rates, SNR and quality, offsets and
// rates, and the analysis monitors (constellation, channel spectrum, delay profile). All
// need the handle active on DVB-T2 (else 3); 4 means the chip has no valid value yet.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Which PLP a monitor looks at.
typedef uint32_t kit_dvbt2_plp_btype_t;
enum { KIT_DVBT2_PLP_DATA = 0, KIT_DVBT2_PLP_COMMON = 1 };

// Constellations (0 QPSK .. 3 256-QAM), code rates (0 1/2, 1 3/5, 2 2/3, 3 3/4, 4 4/5, 5 5/6,
// 6 1/3, 7 2/5), FEC types (0 short 16,200-bit, 1 normal 64,800-bit frames).
enum { KIT_DVBT2_QAM_MAX = 3, KIT_DVBT2_CODE_RATE_MAX = 7, KIT_DVBT2_FEC_MAX = 1 };
// FFT modes: 0 2K, 1 8K, 2 4K, 3 1K, 4 16K, 5 32K.
enum { KIT_DVBT2_FFT_MODE_MAX = 5 };

typedef struct kit_dvbt2_ofdm_t {
    uint8_t mixed;
    uint8_t isMiso;
    uint32_t mode;  // FFT mode
    uint32_t gi;
    uint32_t pp;  // pilot pattern
    uint8_t bwExt;
    uint32_t papr;
    uint16_t numSymbols;
} kit_dvbt2_ofdm_t;

// Capacity every caller's PLP id list must have: the chip counts up to 255 data PLPs.
enum { KIT_DVBT2_DATA_PLP_MAX = 256 };

typedef struct kit_dvbt2_plp_t {
    uint8_t id;
    uint32_t type;
    uint32_t payload;
    uint8_t ff;
    uint8_t firstRfIdx;
    uint8_t firstFrmIdx;
    uint8_t groupId;
    uint32_t constell;
    uint32_t plpCr;
    uint8_t rot;
    uint32_t fec;
    uint16_t numBlocksMax;
    uint8_t frmInt;
    uint8_t tilLen;
    uint8_t tilType;
    uint8_t inBandAFlag;
    uint8_t inBandBFlag;
    uint16_t rsvd;
    uint32_t plpMode;
    uint8_t staticFlag;
    uint8_t staticPaddingFlag;
} kit_dvbt2_plp_t;

typedef struct kit_dvbt2_l1post_t {
    uint16_t subSlicesPerFrame;
    uint8_t numPLPs;
    uint8_t numAux;
    uint8_t auxConfigRFU;
    uint8_t rfIdx;
    uint32_t freq;
    uint8_t fefType;
    uint32_t fefLength;
    uint8_t fefInterval;
} kit_dvbt2_l1post_t;

typedef struct kit_dvbt2_l1pre_t {
    uint32_t type;
    uint8_t bwExt;
    uint32_t s1;
    uint8_t s2;
    uint8_t mixed;
    uint32_t fftMode;
    uint8_t l1Rep;
    uint32_t gi;
    uint32_t papr;
    uint32_t mod;
    uint32_t cr;
    uint32_t fec;
    uint32_t l1PostSize;
    uint32_t l1PostInfoSize;
    uint32_t pp;
    uint8_t txIdAvailability;
    uint16_t cellId;
    uint16_t networkId;
    uint16_t sysId;
    uint8_t numFrames;
    uint16_t numSymbols;
    uint8_t regen;
    uint8_t postExt;
    uint8_t numRfFreqs;
    uint8_t rfIdx;
    uint32_t t2Version;
    uint8_t l1PostScrambled;
    uint8_t t2BaseLite;
    uint32_t crc32;
} kit_dvbt2_l1pre_t;

typedef struct kit_dvbt2_bbheader_t {
    uint32_t streamInput;
    uint8_t isSingleInputStream;
    uint8_t isConstantCodingModulation;
    uint8_t issyIndicator;
    uint8_t nullPacketDeletion;
    uint8_t ext;
    uint8_t inputStreamIdentifier;
    uint16_t userPacketLength;
    uint16_t dataFieldLength;  // SYNCD
    uint8_t syncByte;
    uint32_t issy;
    uint32_t plpMode;  // 1 normal, 2 high efficiency
} kit_dvbt2_bbheader_t;

// ---- Signalling ----

// The signalling as the chip presents it in bank 0x22, one field per byte group in the order
// of EN 302 755: the L1-pre from 0x20, the L1-post's configurable part from 0x45 and a PLP's
// record (the data PLP's from 0x54, the common PLP's from 0x67, whose in-band fields sit one
// byte later). The decoders read nothing from the chip.
enum { KIT_DVBT2_L1PRE_BYTES = 37, KIT_DVBT2_L1POST_BYTES = 15, KIT_DVBT2_PLP_BYTES = 20 };
// lite: the FFT sizes of the T2-lite profile; an S2 field naming none of the profile's gives 4.
kit_result_t kit_demod_dvbt2_DecodeL1Pre(const uint8_t* bytes, uint8_t lite, kit_dvbt2_l1pre_t* l1Pre);
void kit_demod_dvbt2_DecodeL1Post(const uint8_t* bytes, kit_dvbt2_l1post_t* l1Post);
void kit_demod_dvbt2_DecodePLP(const uint8_t* bytes, uint8_t common, kit_dvbt2_plp_t* plp);

kit_result_t kit_demod_dvbt2_monitor_CarrierOffset(kit_demod_t* demod, int32_t* offset);
kit_result_t kit_demod_dvbt2_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* ifAgc);
kit_result_t kit_demod_dvbt2_monitor_Version(kit_demod_t* demod, uint32_t* version);
kit_result_t kit_demod_dvbt2_monitor_OFDM(kit_demod_t* demod, kit_dvbt2_ofdm_t* ofdm);
// plpIds (optional) must hold KIT_DVBT2_DATA_PLP_MAX ids.
kit_result_t kit_demod_dvbt2_monitor_DataPLPs(kit_demod_t* demod, uint8_t* plpIds, uint8_t* numPLPs);
kit_result_t kit_demod_dvbt2_monitor_ActivePLP(kit_demod_t* demod, kit_dvbt2_plp_btype_t type, kit_dvbt2_plp_t* plp);
// Reading a set change flag also clears it in the chip.
kit_result_t kit_demod_dvbt2_monitor_L1Change(kit_demod_t* demod, uint8_t* changed);
kit_result_t kit_demod_dvbt2_monitor_L1Post(kit_demod_t* demod, kit_dvbt2_l1post_t* l1Post);
kit_result_t kit_demod_dvbt2_monitor_L1Pre(kit_demod_t* demod, kit_dvbt2_l1pre_t* l1Pre);
kit_result_t kit_demod_dvbt2_monitor_BBHeader(kit_demod_t* demod, kit_dvbt2_plp_btype_t type,
                                              kit_dvbt2_bbheader_t* header);
kit_result_t kit_demod_dvbt2_monitor_InBandBTSRate(kit_demod_t* demod, kit_dvbt2_plp_btype_t type,
                                                   uint32_t* tsRate);
kit_result_t kit_demod_dvbt2_monitor_SpectrumSense(kit_demod_t* demod, uint32_t* inverted);
kit_result_t kit_demod_dvbt2_monitor_QAM(kit_demod_t* demod, kit_dvbt2_plp_btype_t type, uint32_t* qam);
kit_result_t kit_demod_dvbt2_monitor_CodeRate(kit_demod_t* demod, kit_dvbt2_plp_btype_t type, uint32_t* codeRate);

// ---- Error rates, SNR, quality, rates ----
// dB x 1000.
kit_result_t kit_demod_dvbt2_monitor_SNR(kit_demod_t* demod, int32_t* snr);
// x 10^7.
kit_result_t kit_demod_dvbt2_monitor_PreLDPCBER(kit_demod_t* demod, uint32_t* ber);
// x 10^9.
kit_result_t kit_demod_dvbt2_monitor_PreBCHBER(kit_demod_t* demod, uint32_t* ber);
// x 10^6.
kit_result_t kit_demod_dvbt2_monitor_PostBCHFER(kit_demod_t* demod, uint32_t* fer);
kit_result_t kit_demod_dvbt2_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count);
kit_result_t kit_demod_dvbt2_monitor_SamplingOffset(kit_demod_t* demod, int32_t* ppm);
// kbit/s.
kit_result_t kit_demod_dvbt2_monitor_TSRate(kit_demod_t* demod, uint32_t* tsRate);
// x 10^6.
kit_result_t kit_demod_dvbt2_monitor_PER(kit_demod_t* demod, uint32_t* per);
// 0..100.
kit_result_t kit_demod_dvbt2_monitor_Quality(kit_demod_t* demod, uint8_t* quality);
kit_result_t kit_demod_dvbt2_monitor_AveragedSNR(kit_demod_t* demod, int32_t* snr);
kit_result_t kit_demod_dvbt2_monitor_AveragedPreBCHBER(kit_demod_t* demod, uint32_t* ber);
kit_result_t kit_demod_dvbt2_monitor_AveragedQuality(kit_demod_t* demod, uint8_t* quality);

// The quality rule on its inputs: constellation, code rate, pre-BCH BER x 10^9, SNR dB x 1000.
kit_result_t kit_demod_dvbt2_CalcQuality(uint32_t qam, uint32_t codeRate, uint32_t ber, int32_t snr,
                                         uint8_t* quality);

// ---- Analysis ----
kit_result_t kit_demod_dvbt2_adv_monitor_LDPCIter(kit_demod_t* demod, uint32_t* iterations);
// Taps 0 data-PLP cells, 1 common-PLP cells, 2 OFDM cells, 3 L1-post cells, 4 FFT output;
// min and max give the range of point indexes.
kit_result_t kit_demod_dvbt2_adv_SetConstellationTap(kit_demod_t* demod, uint8_t tap, uint32_t* min, uint32_t* max);
// useTap 0 clears the tap register.
kit_result_t kit_demod_dvbt2_adv_SetChannelSpectrum(kit_demod_t* demod, uint8_t useTap, uint8_t tap, uint32_t* min,
                                                    uint32_t* max);
// Enabled, the range needs the chip's delay-profile spans, which are not public: 8.
kit_result_t kit_demod_dvbt2_adv_SetDelayProfile(kit_demod_t* demod, uint8_t enable, uint8_t mode,
                                                 uint32_t* minCarrier, uint32_t* maxCarrier, int32_t* minDelayNs,
                                                 int32_t* maxDelayNs);
kit_result_t kit_demod_dvbt2_adv_monitor_Constellation(kit_demod_t* demod, uint32_t index, int32_t* i, int32_t* q);
// dB x 1000.
kit_result_t kit_demod_dvbt2_adv_monitor_ChannelSpectrum(kit_demod_t* demod, uint32_t index, int32_t* power);
kit_result_t kit_demod_dvbt2_adv_monitor_DelayProfile(kit_demod_t* demod, uint32_t index, int32_t* power);
// Needs the delay-profile spans: 8.
kit_result_t kit_demod_dvbt2_adv_monitor_DelayProfileCalculate(kit_demod_t* demod, uint8_t mode,
                                                               uint32_t startCarrier, uint32_t step, int32_t* levels,
                                                               int32_t* delaysNs, uint32_t count,
                                                               int32_t* windowStartNs, int32_t* windowEndNs);

#ifdef __cplusplus
}
#endif
