#include "controls/frame/FrameDrawing.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ColourLines.h"
#include "platform/gdi/Pixels.h"
#include "platform/runtime/VbNumbers.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace XrFrame {
namespace {

const QString ellipsis = QStringLiteral("...");

// Channel k (0 red, 1 green, 2 blue) of a colour.
double channel(COLORREF colour, int k)
{
    return double((colour >> (8 * k)) & 0xFFu);
}

int clampedChannel(double value)
{
    return std::clamp(roundEven(value), 0, 255);
}

int textWidth(const gdi::DeviceContext& dc, const QString& text)
{
    return dc.textExtent(text).width();
}

}  // namespace

int roundEven(double value)
{
    const double rounded = vb::roundHalfEven(value);
    if (!(rounded > std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (rounded > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return int(rounded);
}

COLORREF BlendHalf(COLORREF colourA, COLORREF colourB)
{
    int mixed[3];
    for (int k = 0; k < 3; ++k)
        mixed[k] = clampedChannel((channel(colourA, k) + channel(colourB, k)) / 2.0);
    return gdi::RGB(mixed[0], mixed[1], mixed[2]);
}

void DrawLineColor(gdi::DeviceContext& dc, int x1, int y1, int x2, int y2, COLORREF colour)
{
    gdi::colourLine(dc, x1, y1, x2, y2, colour);
}

void DrawBoxOutline(gdi::DeviceContext& dc, int x, int y, int w, int h, COLORREF colour)
{
    const gdi::Pen previous = dc.selectPen(gdi::Pen::solid(colour));
    dc.moveTo(x, y);
    dc.lineTo(x + w, y);
    dc.lineTo(x + w, y + h);
    dc.lineTo(x, y + h);
    dc.lineTo(x, y);
    dc.selectPen(previous);
}

void GradientLines(gdi::DeviceContext& dc, COLORREF colourA, COLORREF colourB, int x, int y, int w,
                   int h, bool bVertical)
{
    const std::int64_t n = bVertical ? h : w;
    // Only the inner lines, and no division by a count of 0.
    if (n > 1)
        gdi::gradientLines(dc, colourA, colourB, n, 1, n - 1, x, y, w, h, bVertical);
}

void HeaderGradient(gdi::DeviceContext& dc, COLORREF colour1, COLORREF colour2, int x, int y, int w,
                    int h, int style, bool bBorder, COLORREF borderColour, double factor)
{
    switch (style) {
        case GradientVertical:
            GradientLines(dc, colour2, colour1, x, y, x + w, h, true);
            break;
        case GradientHorizontal:
            GradientLines(dc, colour2, colour1, x, y, w, y + h, false);
            break;
        case GradientVCylinder:
            CylinderGradient(dc, colour1, colour2, x, y, w, h, true, factor);
            break;
        case GradientHCylinder:
            CylinderGradient(dc, colour1, colour2, x, y, w, h, false, factor);
            break;
        default:
            break;
    }
    if (bBorder)
        DrawBoxOutline(dc, x, y, w, h, borderColour);
}

void CylinderGradient(gdi::DeviceContext& dc, COLORREF colour1, COLORREF colour2, int x, int y,
                      int w, int h, bool bVertical, double factor)
{
    const double f = factor > 1.0 ? factor : 1.01;
    if (bVertical) {
        GradientLines(dc, colour1, colour2, x, y, x + w, roundEven(h / f), true);
        GradientLines(dc, colour2, colour1, x, roundEven(h / f + y - 1), x + w,
                      roundEven((f - 1.0) * h / f + 1.0), true);
        return;
    }
    GradientLines(dc, colour1, colour2, x, y, roundEven(w / f), h + y, false);
    GradientLines(dc, colour2, colour1, roundEven(w / f + x - 1), y,
                  roundEven((f - 1.0) * w / f + 1.0), h + y, false);
}

// Dropping characters one at a time until the rest fits gives the longest fitting start;
// since a longer start is never narrower, halving the range finds the same one in a few
// measurements even for a very long caption. A start never ends inside a surrogate pair.
QString ShortenCaption(const gdi::DeviceContext& dc, const QString& text, int maxWidth)
{
    if (textWidth(dc, text) <= maxWidth)
        return text;
    auto fits = [&](qsizetype length) {
        return textWidth(dc, text.left(length) + ellipsis) <= maxWidth;
    };
    qsizetype low = 0;  // the longest start known to fit (0 stands for none)
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = low + (high - low + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    if (low > 0 && text[low - 1].isHighSurrogate())
        --low;
    return low == 0 ? QString() : text.left(low) + ellipsis;
}

// Only the part of the icon that lands on the surface is worked on: the picture is drawn at
// its full size into a bitmap of that part, so a huge icon costs no more than a small one.
// Both bitmaps share the surface's device pixel ratio, and the greying runs on their device
// pixels, so the grey icon is as sharp as the coloured one.
void DrawGreyIcon(gdi::DeviceContext& dc, int x, int y, int cx, int cy, const QImage& picture,
                  COLORREF keyColour)
{
    if (picture.isNull())
        return;
    if (cx < 0)
        cx = picture.width();
    if (cy < 0)
        cy = picture.height();
    if (cx == 0 || cy == 0)
        return;
    const QRect part = gdi::pixels::clipToSize(x, y, std::int64_t(x) + cx, std::int64_t(y) + cy,
                                               dc.bitmap().width(), dc.bitmap().height());
    if (part.isEmpty())
        return;
    const int width = part.width();
    const int height = part.height();

    // The picture over the key colour, and what the surface holds under it.
    const double ratio = dc.bitmap().devicePixelRatio();
    gdi::DeviceContext pictureDc;
    gdi::DeviceContext surfaceDc;
    const gdi::Bitmap pictureBits = gdi::Bitmap::create(width, height, ratio);
    const gdi::Bitmap surfaceBits = gdi::Bitmap::create(width, height, ratio);
    if (pictureBits.isNull() || surfaceBits.isNull())
        return;
    pictureDc.selectBitmap(pictureBits);
    surfaceDc.selectBitmap(surfaceBits);
    pictureDc.fillRect({0, 0, width, height}, gdi::Brush::solid(keyColour));
    // By nearest pixel: a blend with the key colour would turn its edge into grey.
    pictureDc.drawImage(x - part.left(), y - part.top(), cx, cy, picture, false);
    surfaceDc.bitBlt(0, 0, width, height, dc, part.left(), part.top(), gdi::SRCCOPY);

    const QImage& in = pictureBits.image();
    QImage& out = surfaceBits.image();
    for (int row = 0; row < out.height(); ++row) {
        const auto* source = reinterpret_cast<const QRgb*>(in.constScanLine(row));
        auto* target = reinterpret_cast<QRgb*>(out.scanLine(row));
        for (int column = 0; column < out.width(); ++column) {
            const int red = qRed(source[column]);
            const int green = qGreen(source[column]);
            const int blue = qBlue(source[column]);
            if (dc.nearestColor(gdi::RGB(red, green, blue)) == (keyColour & 0xFFFFFFu))
                continue;
            const int grey = clampedChannel(roundEven(red * 0.3) + green * 0.59 + blue * 0.11);
            target[column] = qRgb(grey, grey, grey);
        }
    }
    dc.bitBlt(part.left(), part.top(), width, height, surfaceDc, 0, 0, gdi::SRCCOPY);
}

}  // namespace XrFrame
