// The drawing objects a device context selects: pens, brushes and fonts. Each is a small
// value; selecting one into a device context hands back the one it replaces.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiTypes.h"

#include <QFont>
#include <QImage>
#include <QString>

namespace gdi {

// A cosmetic pen: solid lines of a colour, or nothing (PS_NULL).
class Pen {
public:
    // The stock black pen.
    Pen() = default;
    // CreatePen(PS_SOLID, width, colour); a width below 1 means 1.
    static Pen solid(COLORREF color, int width = 1);
    static Pen null();

    bool isNull() const { return m_style == PS_NULL; }
    COLORREF color() const { return m_color; }
    int width() const { return m_width; }

private:
    PenStyle m_style = PS_SOLID;
    COLORREF m_color = 0;
    int m_width = 1;
};

// A brush: solid, hatched (an 8 x 8 pattern in the brush colour over the device context's
// background colour, aligned to the device origin), a bitmap pattern, or hollow.
class Brush {
public:
    enum class Kind { Solid, Hatch, Pattern, Hollow };

    // The stock white brush.
    Brush() = default;
    static Brush solid(COLORREF color);
    // CreateHatchBrush: styles HS_HORIZONTAL to HS_DIAGCROSS; HS_SOLID and any other value
    // give a solid brush of the colour.
    static Brush hatch(int style, COLORREF color);
    // CreatePatternBrush: tiles a copy of the bitmap from the device origin; a null bitmap
    // gives a hollow brush.
    static Brush pattern(const Bitmap& bitmap);
    static Brush hollow();

    Kind kind() const { return m_kind; }
    COLORREF color() const { return m_color; }
    int hatchStyle() const { return m_hatch; }
    const QImage& patternImage() const { return m_pattern; }

    // Whether the brush paints device pixel (x, y) in its own colour (hatch brushes only;
    // the other pixels show the background).
    bool hatchCovers(int x, int y) const;

private:
    Kind m_kind = Kind::Solid;
    COLORREF m_color = 0xFFFFFF;
    int m_hatch = HS_SOLID;
    QImage m_pattern;
};

// A logical font description (CreateFontIndirect): height in pixels, negative for the
// character height, positive for the cell height (character plus internal leading), 0 for
// the default; weight 100 to 900 (0 = normal).
struct LogFont {
    int height = 0;
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString faceName;
};

class Font {
public:
    // The device context's default font.
    Font();
    static Font create(const LogFont& description);
    // A font from a QFont as the hosting layer's font objects hold it: a point size becomes
    // pixels at the logical dpi (host::logicalDpiY).
    static Font fromQFont(const QFont& font);

    // The font to draw with, sized in pixels, without subpixel antialiasing.
    const QFont& qfont() const { return m_font; }

private:
    explicit Font(QFont font);
    QFont m_font;
};

}  // namespace gdi
