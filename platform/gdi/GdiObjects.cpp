#include "platform/gdi/GdiObjects.h"

#include "platform/host/Units.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <cmath>

namespace gdi {
namespace {

// The cell height of the default font, when a description gives no height.
constexpr int defaultCellHeight = 16;

// Text is drawn with greyscale edges only, and without kerning, so that a string measures the
// same however it is cut into pieces (ellipsis, clipped halves).
QFont prepared(QFont font)
{
    font.setStyleStrategy(
        QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
    font.setKerning(false);
    return font;
}

QString defaultFamily()
{
    return QGuiApplication::font().family();
}

// The pixel size whose ascent plus descent comes nearest to a cell height.
int pixelSizeForCell(QFont font, int cellHeight)
{
    constexpr int probe = 100;
    font.setPixelSize(probe);
    const double probeHeight = QFontMetricsF(font).height();
    if (probeHeight <= 0.0)
        return cellHeight;
    return std::max(1, int(std::lround(cellHeight * probe / probeHeight)));
}

}  // namespace

Pen Pen::solid(COLORREF color, int width)
{
    Pen pen;
    pen.m_color = color & 0xFFFFFFu;
    pen.m_width = std::max(1, width);
    return pen;
}

Pen Pen::null()
{
    Pen pen;
    pen.m_style = PS_NULL;
    return pen;
}

Brush Brush::solid(COLORREF color)
{
    Brush brush;
    brush.m_color = color & 0xFFFFFFu;
    return brush;
}

Brush Brush::hatch(int style, COLORREF color)
{
    Brush brush = solid(color);
    if (style >= HS_HORIZONTAL && style <= HS_DIAGCROSS) {
        brush.m_kind = Kind::Hatch;
        brush.m_hatch = style;
    }
    return brush;
}

Brush Brush::pattern(const Bitmap& bitmap)
{
    if (bitmap.isNull())
        return hollow();
    Brush brush;
    brush.m_kind = Kind::Pattern;
    brush.m_pattern = bitmap.toImage();
    return brush;
}

Brush Brush::hollow()
{
    Brush brush;
    brush.m_kind = Kind::Hollow;
    return brush;
}

bool Brush::hatchCovers(int x, int y) const
{
    // Position inside the 8 x 8 cell that starts at the device origin.
    const int cx = x & 7;
    const int cy = y & 7;
    switch (m_hatch) {
        case HS_HORIZONTAL:
            return cy == 7;
        case HS_VERTICAL:
            return cx == 7;
        case HS_FDIAGONAL:
            return cx == cy;
        case HS_BDIAGONAL:
            return cx + cy == 7;
        case HS_CROSS:
            return cx == 7 || cy == 7;
        case HS_DIAGCROSS:
            return cx == cy || cx + cy == 7;
        default:
            return true;
    }
}

Font::Font() : Font(create(LogFont{}).m_font)
{
}

Font::Font(QFont font) : m_font(prepared(std::move(font)))
{
}

Font Font::create(const LogFont& description)
{
    QFont font(description.faceName.isEmpty() ? defaultFamily() : description.faceName);
    const int weight =
        description.weight <= 0 ? FW_NORMAL : std::clamp(description.weight, 100, 900);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(description.italic);
    font.setUnderline(description.underline);
    font.setStrikeOut(description.strikeOut);
    if (description.height < 0)
        font.setPixelSize(-description.height);
    else
        font.setPixelSize(pixelSizeForCell(
            font, description.height > 0 ? description.height : defaultCellHeight));
    return Font(font);
}

Font Font::fromQFont(const QFont& source)
{
    QFont font = source;
    if (source.pixelSize() <= 0) {
        const double points = source.pointSizeF() > 0.0 ? source.pointSizeF() : 8.25;
        font.setPixelSize(std::max(1, int(std::lround(points * host::logicalDpiY() / 72.0))));
    }
    return Font(font);
}

}  // namespace gdi
