#include "DrvCXD2856_samples.h"

#include "DrvCXD2856_burst.h"
#include "DrvCXD2856_readers.h"

#include "chipkit/kit_math.h"

#include <cmath>

namespace drvcxd2856 {

const AnalysisUnit kDvbtAnalysis = {0x11, DrvCXD2856_m_dvbt_write_measure_mode,
                                    DrvCXD2856_m_dvbt_write_channelresponse_mode, DrvCXD2856_m_dvbt_write_carrier};
const AnalysisUnit kDvbt2Analysis = {0x21, DrvCXD2856_m_dvbt2_write_measure_mode,
                                     DrvCXD2856_m_dvbt2_write_channelresponse_mode, DrvCXD2856_m_dvbt2_write_carrier};

int32_t channelResponseLevel(uint32_t word)
{
    const int32_t x = static_cast<int32_t>(word);
    if (x <= 0)
        return kNoResponseLevel;
    return static_cast<int32_t>(100.0 * std::log10(static_cast<double>(x)) - 301.03);
}

uint32_t channelResponseWord(const uint8_t* d)
{
    const uint32_t high = (static_cast<uint32_t>(d[1] & 0x03) << 8) | d[2];
    const uint32_t middle = (static_cast<uint32_t>(d[3] & 0x03) << 8) | d[4];
    const uint32_t low = (static_cast<uint32_t>(d[5] & 0x1F) << 8) | d[6];
    return high << 22 | middle << 12 | low >> 1;
}

KxlDrvLibError* readChannelResponse(KxlDrvLibError* err, const AnalysisUnit& unit, int32_t mode, uint32_t point,
                                    uint8_t* valid, int32_t* level, st_t_data_CXD2856* s)
{
    if (valid)
        *valid = 0;
    if (level)
        *level = kNoResponseLevel;
    if (s->measure_mode != DRVCXD2856_MEASURE_CHANNEL_RESPONSE) {
        unit.writeMode(err, DRVCXD2856_MEASURE_CHANNEL_RESPONSE, s);
        unit.writeResponseMode(err, static_cast<uint32_t>(mode), s);
        s->response_mode = mode;
    } else if (s->response_mode != mode) {
        unit.writeResponseMode(err, static_cast<uint32_t>(mode), s);
        s->response_mode = mode;
    }
    unit.writeCarrier(err, point, s);
    uint8_t d[7] = {};
    Burst b(err, s);
    if (pollAnalysis(b, unit.bank, d, sizeof d, kCarrierMerPoll)) {
        if (level)
            *level = channelResponseLevel(channelResponseWord(d));
        if (valid)
            *valid = 1;
    }
    return err;
}

KxlDrvLibError* readCarrierSample(KxlDrvLibError* err, const AnalysisUnit& unit, uint32_t carrier,
                                  const AnalysisPoll& poll, uint32_t fieldBits, int16_t* i, int16_t* q,
                                  uint8_t* sampled, st_t_data_CXD2856* s)
{
    if (i)
        *i = 0;
    if (q)
        *q = 0;
    if (sampled)
        *sampled = 0;
    if (s->measure_mode != DRVCXD2856_MEASURE_FULL_IQ)
        unit.writeMode(err, DRVCXD2856_MEASURE_FULL_IQ, s);
    unit.writeCarrier(err, carrier, s);
    uint8_t d[5] = {};
    Burst b(err, s);
    if (!pollAnalysis(b, unit.bank, d, sizeof d, poll))
        return err;
    const uint32_t mask = (1u << (fieldBits - 8)) - 1;
    const auto field = [&](uint8_t high, uint8_t low) {
        return static_cast<int16_t>(kit_Convert2SComplement((static_cast<uint32_t>(high) & mask) << 8 | low, fieldBits));
    };
    if (i)
        *i = field(d[1], d[2]);
    if (q)
        *q = field(d[3], d[4]);
    if (sampled)
        *sampled = 1;
    return err;
}

} // namespace drvcxd2856
