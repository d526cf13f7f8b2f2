#include "platform/bytes/CheckedSize.h"

#include <limits>

namespace bytes {

namespace detail {
Result<uint64_t> negativeOperand(const char* operation)
{
    return DecodeError::overflow(
        QStringLiteral("negative operand in a size %1").arg(QLatin1StringView(operation)));
}
}  // namespace detail

Result<uint64_t> checkedAddUnsigned(uint64_t a, uint64_t b)
{
    uint64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return DecodeError::overflow(QStringLiteral("%1 + %2 does not fit 64 bits").arg(a).arg(b));
    return sum;
}

Result<uint64_t> checkedMulUnsigned(uint64_t a, uint64_t b)
{
    uint64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return DecodeError::overflow(QStringLiteral("%1 × %2 does not fit 64 bits").arg(a).arg(b));
    return product;
}

Result<uint64_t> imageBytes(int64_t width, int64_t height, int64_t bytesPerPixel, uint64_t limit)
{
    if (width < 1 || height < 1 || bytesPerPixel < 1)
        return DecodeError::malformed(QStringLiteral("image of %1 × %2 pixels at %3 bytes each")
                                          .arg(width)
                                          .arg(height)
                                          .arg(bytesPerPixel));
    const auto pixels = checkedMul(width, height);
    if (!pixels)
        return pixels;
    const auto total = checkedMul(pixels.value(), bytesPerPixel);
    if (!total)
        return total;
    if (total.value() > limit)
        return DecodeError::limitExceeded(
            QStringLiteral("image of %1 × %2 pixels needs %3 bytes, more than the limit of %4")
                .arg(width)
                .arg(height)
                .arg(total.value())
                .arg(limit));
    return total;
}

Result<uint64_t> rowBytes(int64_t width, int64_t bitsPerPixel, uint64_t alignment)
{
    if (width < 1 || bitsPerPixel < 1 || alignment == 0)
        return DecodeError::malformed(QStringLiteral("row of %1 pixels at %2 bits, aligned to %3")
                                          .arg(width)
                                          .arg(bitsPerPixel)
                                          .arg(alignment));
    const auto bits = checkedMul(width, bitsPerPixel);
    if (!bits)
        return bits;
    // Rounding up by division avoids the overflow of adding 7 or alignment - 1 first.
    const uint64_t packed = bits.value() / 8 + (bits.value() % 8 != 0);
    const uint64_t units = packed / alignment + (packed % alignment != 0);
    return checkedMul(units, alignment);
}

}  // namespace bytes
