// Size and offset arithmetic on values that came from untrusted data: every sum and product is
// checked, negative inputs are refused, and image buffers are held under a byte limit.
#pragma once

#include "platform/bytes/DecodeError.h"

#include <concepts>
#include <cstddef>
#include <cstdint>

namespace bytes {

static_assert(sizeof(std::size_t) <= sizeof(uint64_t));

// The largest pixel buffer the image library allocates (2^31 - 1 bytes).
inline constexpr uint64_t MaxImageBytes = 0x7FFFFFFFu;

namespace detail {
Result<uint64_t> negativeOperand(const char* operation);

template <std::integral T>
constexpr bool isNegative(T value)
{
    if constexpr (std::is_signed_v<T>)
        return value < 0;
    else
        return false;
}
}  // namespace detail

Result<uint64_t> checkedAddUnsigned(uint64_t a, uint64_t b);
Result<uint64_t> checkedMulUnsigned(uint64_t a, uint64_t b);

// a + b, or Overflow when the sum passes 2^64 - 1 or either operand is negative.
template <std::integral A, std::integral B>
Result<uint64_t> checkedAdd(A a, B b)
{
    if (detail::isNegative(a) || detail::isNegative(b))
        return detail::negativeOperand("sum");
    return checkedAddUnsigned(static_cast<uint64_t>(a), static_cast<uint64_t>(b));
}

// a × b, or Overflow when the product passes 2^64 - 1 or either operand is negative.
template <std::integral A, std::integral B>
Result<uint64_t> checkedMul(A a, B b)
{
    if (detail::isNegative(a) || detail::isNegative(b))
        return detail::negativeOperand("product");
    return checkedMulUnsigned(static_cast<uint64_t>(a), static_cast<uint64_t>(b));
}

// Whether [offset, offset + size) lies inside a buffer of `total` bytes; never overflows.
constexpr bool rangeFits(uint64_t offset, uint64_t size, uint64_t total)
{
    return offset <= total && size <= total - offset;
}

// width × height × bytesPerPixel: Malformed for a width, height or depth below 1, Overflow
// when the product does not fit 64 bits, LimitExceeded above `limit` bytes.
Result<uint64_t> imageBytes(int64_t width, int64_t height, int64_t bytesPerPixel,
                            uint64_t limit = MaxImageBytes);

// Bytes of one row of `width` pixels at `bitsPerPixel`, rounded up to whole bytes and then to
// a multiple of `alignment` bytes (1 packed, 4 for bitmap rows); Malformed for a width or
// depth below 1 or an alignment of 0.
Result<uint64_t> rowBytes(int64_t width, int64_t bitsPerPixel, uint64_t alignment = 1);

}  // namespace bytes
