// Binary search in an ascending list of signed 32-bit values, shared by the TGA writer's and
// the PNG writer's colour reduction.
#pragma once

#include <cstdint>
#include <span>

namespace XrImage {

// Looks value up among the first `count` entries of values (entry k, from 1, is values[k - 1]),
// compared as signed numbers. Found: false and index = its position. Absent: true and index =
// where it belongs to keep the order (1 to count + 1).
bool FindSortedLong(std::span<const std::int32_t> values, std::int32_t value, std::int32_t count,
                    std::int32_t& index);

}  // namespace XrImage
