#include "platform/gdi/Region.h"

#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cstdint>

namespace gdi {

Region Region::rect(int left, int top, int right, int bottom)
{
    return Region(raster::regionFromSpans(raster::roundRectSpans(left, top, right, bottom, 0, 0)));
}

Region Region::roundRect(int left, int top, int right, int bottom, int cornerWidth,
                         int cornerHeight)
{
    return Region(raster::regionFromSpans(
        raster::roundRectSpans(left, top, right, bottom, cornerWidth, cornerHeight)));
}

Region Region::polygon(const QPolygon& points, int fillMode)
{
    return Region(raster::regionFromSpans(raster::polygonSpans(points, fillMode)));
}

int Region::combine(Region& result, const Region& a, const Region& b, int mode)
{
    switch (mode) {
        case RGN_AND:
            result.m_pixels = a.m_pixels & b.m_pixels;
            break;
        case RGN_OR:
            result.m_pixels = a.m_pixels | b.m_pixels;
            break;
        case RGN_XOR:
            result.m_pixels = a.m_pixels ^ b.m_pixels;
            break;
        case RGN_DIFF:
            result.m_pixels = a.m_pixels - b.m_pixels;
            break;
        case RGN_COPY:
            result.m_pixels = a.m_pixels;
            break;
        default:
            result.m_pixels = QRegion();
            return RGN_ERROR;
    }
    return result.kind();
}

int Region::offset(int dx, int dy)
{
    // Moving pixels out of the coordinate space fails and leaves the region as it was.
    constexpr std::int64_t limit = std::int64_t(1) << 27;
    const QRect box = m_pixels.boundingRect();
    if (!m_pixels.isEmpty() &&
        (std::int64_t(box.left()) + dx < -limit || std::int64_t(box.right()) + dx > limit ||
         std::int64_t(box.top()) + dy < -limit || std::int64_t(box.bottom()) + dy > limit))
        return RGN_ERROR;
    m_pixels.translate(dx, dy);
    return kind();
}

int Region::kind() const
{
    if (m_pixels.isEmpty())
        return NULLREGION;
    return m_pixels.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace gdi
