#include "platform/bytes/DecodeLimits.h"

namespace bytes {

Status checkImageSize(const DecodeLimits& limits, int64_t width, int64_t height,
                      int64_t bytesPerPixel)
{
    const auto buffer = imageBytes(width, height, bytesPerPixel, limits.maxImageBytes);
    if (!buffer)
        return buffer.error();
    if (width > limits.maxWidth || height > limits.maxHeight)
        return DecodeError::limitExceeded(
            QStringLiteral("image of %1 × %2 pixels is larger than the limit of %3 × %4")
                .arg(width)
                .arg(height)
                .arg(limits.maxWidth)
                .arg(limits.maxHeight));
    // Cannot overflow: imageBytes has multiplied width and height already.
    const auto pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (pixels > limits.maxPixels)
        return DecodeError::limitExceeded(
            QStringLiteral("image of %1 pixels has more than the limit of %2")
                .arg(pixels)
                .arg(limits.maxPixels));
    return {};
}

Status checkChunkSize(const DecodeLimits& limits, uint64_t size)
{
    if (size > limits.maxChunkBytes)
        return DecodeError::limitExceeded(QStringLiteral("block of %1 bytes passes the limit of %2")
                                              .arg(size)
                                              .arg(limits.maxChunkBytes));
    return {};
}

Status DecodeBudget::take(uint64_t size)
{
    if (size > m_limit - m_used)
        return DecodeError::limitExceeded(
            QStringLiteral("%1 more bytes would pass the decode's limit of %2 (%3 in use)")
                .arg(size)
                .arg(m_limit)
                .arg(m_used));
    m_used += size;
    return {};
}

}  // namespace bytes
