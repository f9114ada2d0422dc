// How the default data files write a MER calibration curve: its maximum and its points,
// measured values descending, the last one the floor of the table.
#pragma once

#include "measure_mer.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace drvcxd2856 {

struct MerCurve {
    uint16_t maximum;
    const t_mer_point* points;
    size_t count;
};

template <size_t N>
constexpr MerCurve curve(uint16_t maximum, const t_mer_point (&points)[N])
{
    static_assert(N <= MEASURE_MER_TABLE_MAX, "a calibration table holds at most 32 points");
    return {maximum, points, N};
}

// The table of a curve; its display limits are 0 and its maximum, as a loaded table's are.
inline void installCurve(t_mer_calibration_table* table, const MerCurve& c)
{
    *table = t_mer_calibration_table{};
    table->maximum = c.maximum;
    table->lower_limit = 0;
    table->upper_limit = c.maximum;
    table->count = static_cast<uint32_t>(c.count);
    std::copy_n(c.points, c.count, table->points);
}

template <size_t N>
inline void installLinkMargin(int16_t (&table)[N], const int16_t (&values)[N])
{
    std::copy_n(values, N, table);
}

} // namespace drvcxd2856
