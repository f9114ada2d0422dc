// The two IF filters of the front end, by their bandwidths in Hz. The narrow one is also the
// slice by which channel power and noise are integrated and level corrections referred.
#pragma once

constexpr int FILTER_NARROW = 157500;
constexpr int FILTER_WIDE = 2500000;
