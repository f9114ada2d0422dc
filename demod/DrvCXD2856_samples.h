// What the constellation-sample readers and the channel response of the OFDM standards
// share: the analysis unit of a chip family (DVB-T and ISDB-T in bank 0x11, DVB-T2 and
// DVB-C2 in bank 0x21) with its mode and carrier writers, one carrier's sample, and one
// point of the channel response with its level.
#pragma once

#include "DrvCXD2856_analysis.h"
#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

#include <cstdint>

namespace drvcxd2856 {

struct AnalysisUnit {
    uint8_t bank;
    KxlDrvLibError* (*writeMode)(KxlDrvLibError*, uint32_t, st_t_data_CXD2856*);
    KxlDrvLibError* (*writeResponseMode)(KxlDrvLibError*, uint32_t, st_t_data_CXD2856*);
    KxlDrvLibError* (*writeCarrier)(KxlDrvLibError*, uint32_t, st_t_data_CXD2856*);
};
extern const AnalysisUnit kDvbtAnalysis;  // DVB-T and ISDB-T
extern const AnalysisUnit kDvbt2Analysis; // DVB-T2 and DVB-C2

// No response at a point, or none read.
constexpr int32_t kNoResponseLevel = -350;

// The level of a response word in tenths of a dB (100 log10 x - 301.03, truncated); a word
// that is not positive as a signed value has none.
int32_t channelResponseLevel(uint32_t word);
// The word of the answer bytes at 0x9B: ten bits from bytes 1-2 at bit 22, ten from bytes
// 3-4 at bit 12, and the 13-bit field of bytes 5-6 shifted down one.
uint32_t channelResponseWord(const uint8_t* bytes);

// One point of the response: the unit switched to channel response in the given response
// mode (only what changed is written), the point written, and the answer waited for at most
// a second (cancellable after 25 reads). *valid 1 with the level once answered.
KxlDrvLibError* readChannelResponse(KxlDrvLibError* err, const AnalysisUnit& unit, int32_t mode, uint32_t point,
                                    uint8_t* valid, int32_t* level, st_t_data_CXD2856* s);

// One carrier's I/Q: the unit switched to full I/Q when it is not, the outputs cleared, the
// carrier written and the answer polled. Each value is a two's complement of fieldBits bits
// (the low bits of bytes 1-2 and 3-4). *sampled (may be null) says whether the chip gave one.
KxlDrvLibError* readCarrierSample(KxlDrvLibError* err, const AnalysisUnit& unit, uint32_t carrier,
                                  const AnalysisPoll& poll, uint32_t fieldBits, int16_t* i, int16_t* q,
                                  uint8_t* sampled, st_t_data_CXD2856* s);

} // namespace drvcxd2856
