#include "image/codecs/FindSortedLong.h"

#include <algorithm>

namespace XrImage {

bool FindSortedLong(std::span<const std::int32_t> values, std::int32_t value, std::int32_t count,
                    std::int32_t& index)
{
    count = std::clamp<std::int32_t>(count, 0, std::int32_t(values.size()));
    if (count == 0) {
        index = 1;
        return true;
    }
    std::int32_t low = 1;
    std::int32_t high = count;
    std::int32_t mid = 1;
    while (low <= high) {
        mid = low + (high - low) / 2;
        const std::int32_t entry = values[std::size_t(mid - 1)];
        if (entry == value) {
            index = mid;
            return false;
        }
        if (value < entry)
            high = mid - 1;
        else
            low = mid + 1;
    }
    index = values[std::size_t(mid - 1)] < value ? mid + 1 : mid;
    return true;
}

}  // namespace XrImage
