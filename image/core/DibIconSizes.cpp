// The entries of the icon or cursor file an image was loaded from.
#include "image/codecs/cICOparser.h"
#include "image/core/c32bppDIB.h"

namespace XrImage {

namespace {

// The colour count an entry of that depth can show, as the interface reports it.
std::int32_t colourCountCode(std::int32_t depth)
{
    switch (depth) {
        case 1:
            return 2;
        case 2:
            return 4;
        case 4:
            return 16;
        case 8:
            return 256;
        case 24:
            return TRUE_COLOR;
        default:
            return depth < 24 ? HIGH_COLOR : TRUE_COLOR_ALPHA;
    }
}

}  // namespace

std::int32_t c32bppDIB::SourceIconSizes(std::vector<std::array<std::int32_t, 4>>& sizeArray) const
{
    if (m_dib.isNull())
        return 0;
    switch (m_imageType) {
        case imgIcon:
        case imgCursor:
        case imgIconARGB:
        case imgPNGicon:
        case imgCursorARGB:
            break;
        default:
            return 0;
    }
    if (m_originalFormatBytes.isEmpty()) {
        sizeArray = {{m_width, m_height, 32, -1}};
        return 1;
    }
    cICOparser directory;
    std::int32_t offset = 0;
    std::int32_t length = std::int32_t(m_originalFormatBytes.size());
    std::int32_t depth = 32;
    std::int32_t token = m_gdiToken;
    if (!directory.LoadStream(m_originalFormatBytes, 32, 32, nullptr, offset, length, depth, token))
        return 0;
    const std::int32_t count = directory.IconCount();
    sizeArray.assign(std::size_t(count), {});
    for (std::int32_t i = 1; i <= count; ++i)
        sizeArray[std::size_t(i - 1)] = {directory.Width(i), directory.Height(i),
                                         directory.bitDepth(i),
                                         colourCountCode(directory.bitDepth(i))};
    return count;
}

}  // namespace XrImage
