// Compiled DVB-C2 adjustment defaults: the MER calibration of 6 and 8 MHz channels (the
// chip's reading lifted at the top; below the last point a reading is "below") and the
// link margins of the 13 constellation and code-rate combinations for both FEC frame types.
#include "DrvCXD2856_default.h"

#include "DrvCXD2856_default_tables.h"

using drvcxd2856::curve;

namespace {

constexpr t_mer_point kMer6MHz[] = {{313, 365}, {307, 356}, {301, 347}, {295, 338}, {290, 328}, {284, 319},
                                    {278, 310}, {272, 301}, {266, 292}, {260, 283}, {254, 274}, {248, 265},
                                    {242, 256}, {237, 246}, {231, 237}, {225, 228}, {219, 219}};
constexpr t_mer_point kMer8MHz[] = {{333, 366}, {328, 359}, {322, 351}, {317, 344}, {312, 336}, {306, 329},
                                    {301, 321}, {295, 314}, {290, 306}, {285, 299}, {279, 292}, {274, 284},
                                    {268, 277}, {263, 269}, {258, 262}, {252, 254}, {247, 247}};

constexpr drvcxd2856::MerCurve kMer[DRVCXD2856_DVBC2_MER_TABLES] = {curve(500, kMer6MHz), curve(500, kMer8MHz)};

constexpr int16_t kLinkMargin[DRVCXD2856_DVBC2_LM] = {110, 110, 130, 130, 139, 138, 165, 163, 187,
                                                      187, 204, 203, 224, 222, 242, 242, 254, 254,
                                                      280, 280, 314, 314, 340, 340, 340, 340};

} // namespace

void DrvCXD2856_default_dvbc2_configuration(st_t_plugplag_CXD2856* record)
{
    if (!record)
        return;
    for (int i = 0; i < DRVCXD2856_DVBC2_MER_TABLES; ++i)
        drvcxd2856::installCurve(&record->dvbc2.mer_table[i], kMer[i]);
    drvcxd2856::installLinkMargin(record->dvbc2.linkmargin, kLinkMargin);
}
