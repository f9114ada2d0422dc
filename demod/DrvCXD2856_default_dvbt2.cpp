// Compiled DVB-T2 adjustment defaults: the MER calibration per channel width (1.7, 5, 6, 7,
// 8 MHz) and FFT size (1k ... 32k), and the required MER per constellation, code rate, FEC
// frame and rotation. Only the combinations listed here have a required MER; the others
// read 0, so their link margin is the MER itself.
#include "DrvCXD2856_default.h"

#include "DrvCXD2856_default_tables.h"

using drvcxd2856::curve;

namespace {

// The chip's MER reading is right as it reads; the narrow channels top out a dB lower.
constexpr t_mer_point kMer380[] = {{380, 380}, {360, 360}, {340, 340}, {320, 320}, {300, 300},
                                   {280, 280}, {260, 260}, {240, 240}, {220, 220}, {200, 200},
                                   {180, 180}, {160, 160}, {140, 140}, {120, 120}, {100, 100},
                                   {80, 80},   {60, 60},   {40, 40},   {20, 20},   {0, 0}};
constexpr t_mer_point kMer370[] = {{370, 370}, {350, 350}, {330, 330}, {310, 310}, {290, 290},
                                   {270, 270}, {250, 250}, {230, 230}, {210, 210}, {190, 190},
                                   {170, 170}, {150, 150}, {130, 130}, {110, 110}, {90, 90},
                                   {70, 70},   {50, 50},   {30, 30},   {10, 10},   {0, 0}};
// The straight two-point curve of an uncalibrated table.
constexpr t_mer_point kMerStraight[] = {{500, 500}, {0, 0}};

constexpr drvcxd2856::MerCurve kNarrow = curve(370, kMer370);
constexpr drvcxd2856::MerCurve kWide = curve(380, kMer380);
constexpr drvcxd2856::MerCurve kMer[DRVCXD2856_DVBT2_MER_TABLES] = {
    kNarrow, kNarrow, kNarrow, kNarrow, kNarrow, curve(500, kMerStraight), // 1.7 MHz
    kNarrow, kNarrow, kNarrow, kNarrow, kNarrow, kNarrow,                  // 5 MHz
    kWide,   kWide,   kWide,   kWide,   kWide,   kWide,                    // 6 MHz
    kWide,   kWide,   kWide,   kWide,   kWide,   kWide,                    // 7 MHz
    kWide,   kWide,   kWide,   kWide,   kWide,   kWide,                    // 8 MHz
};

// Index ((constellation x 8 + code rate) x 2 + 64K frame) x 2 + rotated.
constexpr int lm(int constellation, int rate) { return (constellation * 8 + rate) * 4; }
enum { QPSK = 0, QAM256 = 3 };
enum { R1_3, R2_5, R1_2, R3_5, R2_3, R3_4 };

struct Required {
    int index;
    int16_t mer;
};
// 16K frames, rotation off.
constexpr Required kRequired[] = {
    {lm(QPSK, R1_3), 6},    {lm(QPSK, R2_5), 24},   {lm(QPSK, R1_2), 32}, {lm(QPSK, R3_5), 42},
    {lm(QPSK, R2_3), 47},   {lm(QPSK, R3_4), 54},   {lm(QAM256, R1_2), 184}, {lm(QAM256, R3_5), 202},
};

} // namespace

void DrvCXD2856_default_dvbt2_configuration(st_t_plugplag_CXD2856* record)
{
    if (!record)
        return;
    for (int i = 0; i < DRVCXD2856_DVBT2_MER_TABLES; ++i)
        drvcxd2856::installCurve(&record->dvbt2.mer_table[i], kMer[i]);
    for (int16_t& v : record->dvbt2.linkmargin)
        v = 0;
    for (const Required& r : kRequired)
        record->dvbt2.linkmargin[r.index] = r.mer;
}
