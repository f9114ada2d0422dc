// Compiled DVB-T adjustment defaults: the constellation-MER configurations (ideal levels of
// one axis in the units of the chip's carrier samples, noise limits, the sigma correction
// of the point noise and the calibration of the result) per channel width 6, 7, 8 MHz, FFT
// 2k/8k and constellation with its hierarchy; the one-carrier MER tables; the link margins.
#include "DrvCXD2856_default.h"

#include "DrvCXD2856_default_tables.h"

namespace {

struct ConstellationRow {
    int16_t maximum;
    uint32_t levelCount;
    float levels[MEASURE_MER_CONSTELLATION_LEVELS];
    float noiseMinimum;
    float noiseMaximum;
    uint32_t segmentCount;
    t_sigma_segment segments[3];
};

// The outermost level sits where the chip puts the outermost point (QPSK 137, 16QAM 180,
// 64QAM 206); the hierarchical constellations keep their wider inner spacing.
constexpr ConstellationRow kQpsk6MHz2k = {
    350, 2, {-137.2f, 137.2f}, 0.01f, 100000.0f, 2, {{1.33f, -50.0f, 150.0f}, {1.23f, -34.43f, 0.0f}}};
// Elsewhere the distance to the nearest level is the noise as it is.
constexpr ConstellationRow kQpsk = {350, 2, {-137.2f, 137.2f}, 0.01f, 100000.0f, 1, {{1.0f, 0.0f, 0.0f}}};
constexpr ConstellationRow kQam16 = {
    350, 4, {-180.0f, -60.0f, 60.0f, 180.0f}, 0.01f, 100000.0f, 1, {{1.0f, 0.0f, 0.0f}}};
constexpr ConstellationRow kQam16Alpha2 = {
    350, 4, {-180.0f, -90.0f, 90.0f, 180.0f}, 0.01f, 100000.0f, 1, {{1.0f, 0.0f, 0.0f}}};
constexpr ConstellationRow kQam16Alpha4 = {
    350, 4, {-180.0f, -120.0f, 120.0f, 180.0f}, 0.01f, 100000.0f, 1, {{1.0f, 0.0f, 0.0f}}};
constexpr ConstellationRow kQam64 = {350,        8,  {-206.0f, -147.14f, -88.29f, -29.43f, 29.43f, 88.29f, 147.14f, 206.0f},
                                     0.01f,      100000.0f, 1, {{1.0f, 0.0f, 0.0f}}};
constexpr ConstellationRow kQam64Alpha2 = {350,   8,  {-206.0f, -154.5f, -103.0f, -51.5f, 51.5f, 103.0f, 154.5f, 206.0f},
                                           0.01f, 100000.0f, 1, {{1.0f, 0.0f, 0.0f}}};
constexpr ConstellationRow kQam64Alpha4 = {350,   8,  {-206.0f, -164.8f, -123.6f, -82.4f, 82.4f, 123.6f, 164.8f, 206.0f},
                                           0.01f, 100000.0f, 1, {{1.0f, 0.0f, 0.0f}}};

// [6, 7, 8 MHz][2k, 8k][QPSK; 16QAM hierarchy none or 1, 2, 3; 64QAM the same].
constexpr const ConstellationRow* kConstellation[DRVCXD2856_DVBT_MER_CONSTELLATION] = {
    &kQpsk6MHz2k, &kQam16, &kQam16Alpha2, &kQam16Alpha4, &kQam64, &kQam64Alpha2, &kQam64Alpha4, // 6 MHz 2k
    &kQpsk,       &kQam16, &kQam16Alpha2, &kQam16Alpha4, &kQam64, &kQam64Alpha2, &kQam64Alpha4, // 6 MHz 8k
    &kQpsk,       &kQam16, &kQam16Alpha2, &kQam16Alpha4, &kQam64, &kQam64Alpha2, &kQam64Alpha4, // 7 MHz 2k
    &kQpsk,       &kQam16, &kQam16Alpha2, &kQam16Alpha4, &kQam64, &kQam64Alpha2, &kQam64Alpha4, // 7 MHz 8k
    &kQpsk,       &kQam16, &kQam16Alpha2, &kQam16Alpha4, &kQam64, &kQam64Alpha2, &kQam64Alpha4, // 8 MHz 2k
    &kQpsk,       &kQam16, &kQam16Alpha2, &kQam16Alpha4, &kQam64, &kQam64Alpha2, &kQam64Alpha4, // 8 MHz 8k
};

// The result as the ratio gives it.
constexpr t_mer_point kStraight[] = {{500, 500}, {0, 0}};

// [QPSK, 16QAM, 64QAM][1/2, 2/3, 3/4, 5/6, 7/8]
constexpr int16_t kLinkMargin[DRVCXD2856_DVBT_LM] = {31,  47,  48,  62,  62,  81,  102, 113,
                                                     121, 125, 147, 176, 188, 199, 211};

void install(t_mer_constellation_config* c, const ConstellationRow& row)
{
    MEASURE_MER_CONSTELLATION_default_config(c, row.levelCount);
    c->maximum_mer = row.maximum;
    std::copy_n(row.levels, row.levelCount, c->levels);
    c->noise_minimum = row.noiseMinimum;
    c->noise_maximum = row.noiseMaximum;
    c->segment_count = row.segmentCount;
    std::copy_n(row.segments, row.segmentCount, c->segments);
    c->point_count = static_cast<uint32_t>(std::size(kStraight));
    std::copy_n(kStraight, std::size(kStraight), c->points);
}

} // namespace

void DrvCXD2856_default_dvbt_configuration(st_t_plugplag_CXD2856* record)
{
    if (!record)
        return;
    for (int i = 0; i < DRVCXD2856_DVBT_MER_CONSTELLATION; ++i)
        install(&record->dvbt.mer_constellation[i], *kConstellation[i]);
    for (t_mer_calibration_table& t : record->dvbt.mer_table)
        MEASURE_MER_default_table(&t);
    drvcxd2856::installLinkMargin(record->dvbt.linkmargin, kLinkMargin);
}
