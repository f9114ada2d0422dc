// Compiled DVB-C/DVB-S adjustment defaults, per constellation 16, 32, 64, 128 and 256QAM:
// MER calibration (the chip's MER reading saturates below the real MER of a clean signal,
// so the top of each curve lifts it; lower down the reading is right), link margins and
// BER corrections (neutral: no correction).
#include "DrvCXD2856_default.h"

#include "DrvCXD2856_default_tables.h"

using drvcxd2856::curve;

namespace {

constexpr t_mer_point kMer16[] = {{383, 405}, {381, 401}, {373, 391}, {365, 381}, {357, 371}, {349, 361},
                                  {340, 350}, {332, 340}, {324, 330}, {316, 320}, {308, 310}, {300, 300},
                                  {225, 225}, {150, 150}, {75, 75},   {0, 0}};
constexpr t_mer_point kMer32[] = {{363, 405}, {357, 397}, {350, 387}, {344, 379}, {338, 371}, {332, 362},
                                  {325, 353}, {319, 345}, {313, 336}, {306, 327}, {300, 319}, {294, 310},
                                  {288, 302}, {281, 293}, {275, 284}, {269, 276}, {263, 268}, {256, 258},
                                  {250, 250}, {222, 222}, {194, 194}, {167, 167}, {139, 139}, {111, 111},
                                  {83, 83},   {56, 56},   {28, 28},   {0, 0}};
constexpr t_mer_point kMer64[] = {{380, 408}, {374, 400}, {368, 392}, {362, 384}, {355, 374},
                                  {349, 366}, {343, 358}, {337, 350}, {331, 342}, {325, 334},
                                  {318, 324}, {312, 316}, {306, 308}, {300, 300}, {250, 250},
                                  {200, 200}, {150, 150}, {100, 100}, {50, 50},   {0, 0}};
constexpr t_mer_point kMer128[] = {{363, 404}, {358, 396}, {353, 388}, {348, 380}, {344, 372},
                                   {339, 364}, {334, 356}, {329, 348}, {324, 340}, {319, 332},
                                   {315, 324}, {310, 316}, {305, 308}, {300, 300}, {250, 250},
                                   {200, 200}, {150, 150}, {100, 100}, {50, 50},   {0, 0}};
constexpr t_mer_point kMer256[] = {{378, 404}, {372, 396}, {366, 388}, {360, 380}, {354, 372},
                                   {348, 364}, {342, 356}, {336, 348}, {330, 340}, {324, 332},
                                   {318, 324}, {312, 316}, {306, 308}, {300, 300}, {250, 250},
                                   {200, 200}, {150, 150}, {100, 100}, {50, 50},   {0, 0}};

constexpr drvcxd2856::MerCurve kMer[DRVCXD2856_DVBC_TABLES] = {
    curve(500, kMer16), curve(500, kMer32), curve(500, kMer64), curve(500, kMer128), curve(500, kMer256),
};

constexpr int16_t kLinkMargin[DRVCXD2856_DVBC_TABLES] = {182, 213, 245, 275, 309};

} // namespace

void DrvCXD2856_default_dvbs_configuration(st_t_plugplag_CXD2856* record)
{
    if (!record)
        return;
    st_t_plugplag_dvbc_CXD2856& s = record->dvbc;
    for (int i = 0; i < DRVCXD2856_DVBC_TABLES; ++i) {
        drvcxd2856::installCurve(&s.mer_table[i], kMer[i]);
        MEASURE_BER_default_table(&s.ber_table[i]);
    }
    drvcxd2856::installLinkMargin(s.linkmargin, kLinkMargin);
}

void DrvCXD2856_default_dvbc_configuration(st_t_plugplag_CXD2856* record)
{
    DrvCXD2856_default_dvbs_configuration(record);
}
