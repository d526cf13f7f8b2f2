// Text drawn into the image: the lines are rendered into a temporary image, their coverage
// becomes premultiplied alpha, and the temporary image is drawn through Render.
#include "image/core/PixelViews.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/UprightPainter.h"
#include "platform/host/Units.h"
#include "platform/runtime/VbNumbers.h"

#include <QPainter>
#include <QStringList>
#include <algorithm>

namespace XrImage {
namespace {

// The font description a font object gives: the point size as negative twips divided by the
// screen's twips per pixel.
gdi::LogFont logFontOf(const QFont& font)
{
    gdi::LogFont description;
    const auto twips = std::int64_t(vb::roundHalfEven(-20.0 * font.pointSizeF()));
    const auto perPixel = std::int64_t(vb::roundHalfEven(host::TwipsPerPixelX()));
    description.height = int(twips / std::max<std::int64_t>(perPixel, 1));
    // A font sized in pixels has no point size to convert: its em height is the pixel size.
    if (font.pixelSize() > 0)
        description.height = -font.pixelSize();
    description.weight = font.weight();
    description.italic = font.italic();
    description.underline = font.underline();
    description.strikeOut = font.strikeOut();
    description.faceName = font.family().left(32);
    return description;
}

}  // namespace

bool c32bppDIB::DrawText_stdFont(const QFont* theFont, const QString& theText,
                                 std::int32_t Alignment, std::int32_t DestX, std::int32_t DestY,
                                 std::int32_t DestWidth, std::int32_t DestHeight,
                                 std::int32_t ForeColor, std::int32_t BackColor,
                                 std::int32_t Opacity, std::int32_t grayScale, float Angle,
                                 bool CenterOnDestXY)
{
    if (!theFont)
        return false;
    const gdi::Font font = gdi::Font::create(logFontOf(*theFont));
    return RenderText(font, theText, Alignment, DestX, DestY, DestWidth, DestHeight, ForeColor,
                      BackColor, Opacity, grayScale, Angle, CenterOnDestXY);
}

bool c32bppDIB::DrawText_hFont(const gdi::Font* theFontHandle, const QString& theText,
                               std::int32_t Alignment, std::int32_t DestX, std::int32_t DestY,
                               std::int32_t DestWidth, std::int32_t DestHeight,
                               std::int32_t ForeColor, std::int32_t BackColor, std::int32_t Opacity,
                               std::int32_t grayScale, float Angle, bool CenterOnDestXY)
{
    // Fonts of this platform carry no escapement: every font handle draws upright, and text
    // turns only through Angle.
    if (!theFontHandle)
        return false;
    return RenderText(*theFontHandle, theText, Alignment, DestX, DestY, DestWidth, DestHeight,
                      ForeColor, BackColor, Opacity, grayScale, Angle, CenterOnDestXY);
}

bool c32bppDIB::RenderText(const gdi::Font& font, const QString& theText, std::int32_t Alignment,
                           std::int32_t DestX, std::int32_t DestY, std::int32_t DestWidth,
                           std::int32_t DestHeight, std::int32_t ForeColor, std::int32_t BackColor,
                           std::int32_t Opacity, std::int32_t grayScale, float Angle,
                           bool CenterOnDestXY)
{
    if (theText.isEmpty())
        return false;
    const QStringList lines = theText.split(QStringLiteral("\r\n"));
    gdi::DeviceContext measuring;
    measuring.selectFont(font);
    std::int64_t widest = 0;
    std::int64_t tallest = 0;
    for (const QString& line : lines) {
        const QSize extent = measuring.textExtent(line);
        widest = std::max<std::int64_t>(widest, extent.width());
        tallest = std::max<std::int64_t>(tallest, extent.height());
    }
    // Outline fonts report no overhang; the glyphs fit their advance widths.
    const std::int64_t overhang = 0;
    const std::int64_t height = tallest * lines.size();
    if (widest + overhang > INT32_MAX || height > INT32_MAX)
        return false;
    auto text = std::make_unique<c32bppDIB>();
    text->LetisGDIplusEnabled(isGDIplusEnabled());
    text->LetisAlphaBlendFriendly(isAlphaBlendFriendly());
    text->LetHighQualityInterpolation(m_highQualityInterpolation);
    text->LetgdiToken(m_gdiToken);
    if (!text->InitializeDIB(std::int32_t(widest + overhang), std::int32_t(height)))
        return false;

    const bool opaque = BackColor >= 0;
    gdi::DeviceContext dc;
    dc.selectBitmap(text->DibSection());
    QPainter painter;
    if (!gdi::beginUprightPainter(painter, dc))
        return false;
    if (opaque) {
        painter.fillRect(QRect(0, 0, text->Width() + 1, text->Height() + 1),
                         QColor(BackColor & 255, (BackColor >> 8) & 255, (BackColor >> 16) & 255));
        painter.setPen(QColor(ForeColor & 255, (ForeColor >> 8) & 255, (ForeColor >> 16) & 255));
        text->SetImageType(imgBitmap);
        text->LetAlpha(false);
    } else {
        painter.setPen(Qt::white);
        text->SetImageType(imgBmpPARGB);
    }
    painter.setFont(font.qfont());
    // Glyph cells stay transparent: only the glyphs' pixels change.
    const std::int64_t x = (Alignment & TA_CENTER) == TA_CENTER ? widest / 2
                           : (Alignment & TA_RIGHT)             ? widest
                                                                : 0;
    const int direction = (Alignment & TA_RTLREADING) ? Qt::TextForceRightToLeft : 0;
    std::int64_t y = 0;
    for (const QString& line : lines) {
        const std::int64_t lineWidth = measuring.textExtent(line).width();
        std::int64_t left = x;
        if ((Alignment & TA_CENTER) == TA_CENTER)
            left = x - lineWidth / 2;
        else if (Alignment & TA_RIGHT)
            left = x - lineWidth;
        painter.drawText(
            QRect(int(left), int(y), int(lineWidth), int(tallest)),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip | direction, line);
        y += tallest;
    }
    painter.end();

    const PixelView pixels = PixelView::of(*text);
    if (opaque) {
        pixels.forEachPixel([](std::uint8_t* pixel) { pixel[3] = 255; });
    } else {
        // White on black: the blue byte is the glyph's coverage.
        const int red = ForeColor & 255;
        const int green = (ForeColor >> 8) & 255;
        const int blue = (ForeColor >> 16) & 255;
        pixels.forEachPixel([&](std::uint8_t* pixel) {
            const int c = pixel[0];
            pixel[0] = std::uint8_t(blue * c / 255);
            pixel[1] = std::uint8_t(green * c / 255);
            pixel[2] = std::uint8_t(red * c / 255);
            pixel[3] = std::uint8_t(c);
        });
    }

    if (m_dib.isNull()) {
        SwapDIBs(text.get());
        return true;
    }
    releaseCachedGdiPlus();
    const bool selectedHere = m_displacedBitmap.isNull();
    gdi::DeviceContext* own = LoadDIBinDC(true);
    const bool drawn = text->Render(own, DestX, DestY, DestWidth, DestHeight, 0, 0, 0, 0, Opacity,
                                    true, true, nullptr, grayScale, 0, Angle, CenterOnDestXY);
    if (selectedHere)
        LoadDIBinDC(false);
    return drawn;
}

}  // namespace XrImage
