// Conversions between 0x00BBGGRR colours and the 32-bit pixels of a bitmap, bounded
// arithmetic on coordinates and the logical-to-device pixel grid, shared by the drawing code.
#pragma once

#include "platform/gdi/GdiTypes.h"

#include <QColor>
#include <QRect>
#include <QRgb>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gdi::pixels {

constexpr QRgb fromColorref(COLORREF color)
{
    return 0xFF000000u | (QRgb(GetRValue(color)) << 16) | (QRgb(GetGValue(color)) << 8) |
           QRgb(GetBValue(color));
}

constexpr COLORREF toColorref(QRgb pixel)
{
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

inline QColor qcolor(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

// The part of [start, start + length) that lies in [0, limit), as a QRect-friendly pair
// (first, count); count is 0 when nothing is left. Works for any int inputs.
struct Range {
    int first = 0;
    int count = 0;
};
inline Range clipRange(std::int64_t start, std::int64_t length, int limit)
{
    const std::int64_t a = std::max<std::int64_t>(start, 0);
    const std::int64_t b = std::min<std::int64_t>(start + length, limit);
    if (b <= a)
        return {};
    return {int(a), int(b - a)};
}

// The part of a rectangle given by 64-bit edges that lies inside a bitmap of that size.
inline QRect clipToSize(std::int64_t left, std::int64_t top, std::int64_t right,
                        std::int64_t bottom, int width, int height)
{
    const Range columns = clipRange(left, right - left, width);
    const Range rows = clipRange(top, bottom - top, height);
    if (columns.count == 0 || rows.count == 0)
        return {};
    return QRect(columns.first, rows.first, columns.count, rows.count);
}

// Where the logical pixels of a bitmap painted at a device pixel ratio lie among its device
// pixels: logical column x covers device columns edge(x) .. edge(x + 1) - 1, and device column
// X belongs to logical column logical(X) (the same mapping holds for rows). At ratio 1 both
// are the identity; at a whole ratio r logical pixel x is the r device pixels from r x on.
class Grid {
public:
    explicit Grid(double ratio = 1.0) : m_ratio(ratio > 0.0 ? ratio : 1.0) {}

    double ratio() const { return m_ratio; }
    bool isUnit() const { return m_ratio == 1.0; }

    std::int64_t edge(std::int64_t x) const
    {
        return isUnit() ? x : std::int64_t(std::ceil(double(x) * m_ratio - 0.5));
    }
    int logical(int device) const
    {
        return isUnit() ? device : int(std::floor((device + 0.5) / m_ratio));
    }
    // The device pixels of a rectangle of logical pixels, limited to a device image of that
    // size; empty when nothing of it lies there.
    QRect toDevice(const QRect& rect, const QSize& deviceSize) const
    {
        if (rect.isEmpty())
            return {};
        return clipToSize(edge(rect.left()), edge(rect.top()),
                          edge(std::int64_t(rect.left()) + rect.width()),
                          edge(std::int64_t(rect.top()) + rect.height()), deviceSize.width(),
                          deviceSize.height());
    }

private:
    double m_ratio;
};

}  // namespace gdi::pixels
