#include "DemodStandard.h"

namespace platform::sim {

namespace {
// IF words are IF x 2^24 / 48 MHz in three bytes.
constexpr double kIfWordHz = 48e6 / 16777216.0;
} // namespace

bool DemodStandard::carries(const SceneCarrier& carrier) const
{
    return carrier.standard == name();
}

void DemodStandard::fillDefaults(SceneCarrier& carrier) const
{
    (void)carrier;
}

double DemodStandard::programmedIfHz(const DemodContext& chip) const
{
    return chip.slvtWord(0x10, 0xB6, 3) * kIfWordHz;
}

} // namespace platform::sim
