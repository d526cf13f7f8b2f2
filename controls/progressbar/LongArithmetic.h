// Long (32-bit) arithmetic as the control's code performs it: a result outside the Long range
// is the runtime's overflow error, and conversions round halves to even.
#pragma once

#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"

#include <cstdint>
#include <limits>

namespace XrSpecStatusBar {

inline std::int32_t checkedLong(std::int64_t value)
{
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        vb::raiseError(vb::ErrOverflow);
    return std::int32_t(value);
}

// A double to the nearest Long, halves to even; overflow outside the range.
inline std::int32_t roundLong(double value)
{
    return vb::CLng(value);
}

}  // namespace XrSpecStatusBar
