#include "image/codecs/CImageInfo.h"

#include "platform/runtime/VbError.h"

#include <QFile>
#include <cstdlib>
#include <vector>

namespace XrImage {

namespace {

constexpr std::size_t bufferSize = 65536;
// The scan stops before the last bytes, so a frame header read at the stop is still inside.
constexpr std::size_t scanEnd = 65525;

std::int32_t bigEndian32(const std::uint8_t* p)
{
    return std::int32_t(std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 |
                        std::uint32_t(p[2]) << 8 | p[3]);
}

std::int32_t littleEndian32(const std::uint8_t* p)
{
    return std::int32_t(std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 |
                        std::uint32_t(p[1]) << 8 | p[0]);
}

bool isFrameMarker(std::uint8_t code)
{
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

}  // namespace

void CImageInfo::ReadImageInfo(const QString& sFileName)
{
    m_width = 0;
    m_height = 0;
    m_depth = 0;
    m_imageType = itUNKNOWN;
    std::vector<std::uint8_t> buffer(bufferSize, 0);
    {
        QFile file(sFileName);
        if (!file.exists())
            return;
        if (!file.open(QIODevice::ReadOnly))
            vb::raiseError(vb::ErrPermissionDenied);
        file.read(reinterpret_cast<char*>(buffer.data()), qint64(bufferSize));
    }
    const std::uint8_t* b = buffer.data();

    if (b[0] == 0x89 && b[1] == 'P' && b[2] == 'N') {
        m_imageType = itPNG;
        const int depth = b[24];
        switch (b[25]) {
            case 0:
                m_depth = std::uint8_t(depth);
                break;
            case 2:
                m_depth = std::uint8_t(depth * 3);
                break;
            case 3:
                m_depth = 8;
                break;
            case 4:
                m_depth = std::uint8_t(depth * 2);
                break;
            case 6:
                m_depth = std::uint8_t(depth * 4);
                break;
            default:
                m_imageType = itUNKNOWN;
                break;
        }
        if (m_imageType == itPNG) {
            m_width = bigEndian32(b + 16);
            m_height = bigEndian32(b + 20);
        }
    }
    if (b[0] == 'G' && b[1] == 'I' && b[2] == 'F') {
        m_imageType = itGIF;
        m_width = b[6] | b[7] << 8;
        m_height = b[8] | b[9] << 8;
        m_depth = std::uint8_t((b[10] & 7) + 1);
    }
    if (b[0] == 'B' && b[1] == 'M') {
        m_imageType = itBMP;
        m_width = littleEndian32(b + 18);
        // A top-down bitmap stores its height negated; the image is as tall either way.
        const std::int64_t height = littleEndian32(b + 22);
        m_height = std::int32_t(std::min<std::int64_t>(std::llabs(height), 0x7FFFFFFF));
        m_depth = b[28];
    }
    if (m_imageType != itUNKNOWN)
        return;

    std::size_t start = 0;
    while (start < scanEnd && !(b[start] == 0xFF && b[start + 1] == 0xD8 && b[start + 2] == 0xFF))
        ++start;
    if (start >= scanEnd)
        return;
    for (std::size_t i = start + 2; i < scanEnd;) {
        if (b[i] != 0xFF || b[i + 1] == 0xFF) {
            ++i;
            continue;
        }
        const std::size_t m = i + 1;
        if (isFrameMarker(b[m])) {
            m_imageType = itJPEG;
            m_height = b[m + 4] * 256 + b[m + 5];
            m_width = b[m + 6] * 256 + b[m + 7];
            m_depth = std::uint8_t(b[m + 8] * 8);
            return;
        }
        // The segment's length leads to its last byte; the scan moves on from there.
        i = m + std::size_t(b[m + 1] * 256 + b[m + 2]);
    }
}

}  // namespace XrImage
