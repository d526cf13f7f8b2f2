// Conversions between 0x00BBGGRR colours and the 32-bit pixels of a bitmap, and bounded
// arithmetic on coordinates, shared by the drawing code.
#pragma once

#include "platform/gdi/GdiTypes.h"

#include <QColor>
#include <QRect>
#include <QRgb>
#include <algorithm>
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

}  // namespace gdi::pixels
