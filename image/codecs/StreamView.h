// The bytes a codec may read of a caller's array: the range from streamOffset for streamLength
// bytes, cut at the array's end. Every codec reads through such a view, so that an offset or
// length that points past the data reads nothing instead of memory beyond it.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <span>

namespace XrImage {

// Empty when the offset lies outside the array or the length is below 1.
inline std::span<const std::uint8_t> streamView(const QByteArray& bytes, std::int64_t offset,
                                                std::int64_t length)
{
    if (offset < 0 || offset >= bytes.size() || length < 1)
        return {};
    const std::int64_t available = bytes.size() - offset;
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + offset;
    return {first, std::size_t(length < available ? length : available)};
}

// Little-endian numbers at an offset the caller has checked.
inline std::uint16_t u16At(std::span<const std::uint8_t> data, std::size_t offset)
{
    return std::uint16_t(data[offset] | (data[offset + 1] << 8));
}

inline std::uint32_t u32At(std::span<const std::uint8_t> data, std::size_t offset)
{
    return std::uint32_t(data[offset]) | (std::uint32_t(data[offset + 1]) << 8) |
           (std::uint32_t(data[offset + 2]) << 16) | (std::uint32_t(data[offset + 3]) << 24);
}

}  // namespace XrImage
