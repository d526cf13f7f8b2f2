// Fonts of the layout: measuring text in twips with a device's metrics, and the fonts that
// draw a character format at a painter's scale.
#pragma once

#include "platform/richedit/model/Formats.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <array>
#include <memory>

class QPaintDevice;

namespace richedit {

// The resolution whose font metrics a layout uses. Only the logical dpi of a device matters,
// so that two devices of one resolution measure alike; no device means the screen at 96 dpi.
struct LayoutDevice {
    int dpiX = 96;
    int dpiY = 96;

    static LayoutDevice of(const QPaintDevice* device);
    bool operator==(const LayoutDevice&) const = default;
};

// Font heights the engine draws: 1 twip up to 1638 points.
constexpr int32_t MaxFontHeightTw = 32760;
int32_t clampedFontHeight(int32_t heightTw);

// Where text of a format sits: the height its glyphs are drawn at and how far its baseline
// rises (twips). Sub- and superscript shrink to two thirds; a superscript rises by a third of
// the full height and a subscript drops by a sixth, on top of the baseline offset.
struct ScriptPlacement {
    int32_t heightTw = 0;
    int32_t raiseTw = 0;
};
ScriptPlacement scriptPlacement(const CharFormat& format);

// A font of the format's face, weight and slant whose glyphs are `pixelSize` pixels high on a
// device of `dpiY`. Kerning and hinting are off, so that a drawn word is as wide as the sum of
// its characters' advances.
QFont fontForFormat(const CharFormat& format, double pixelSize, int dpiY);

// A font measured on a layout device; all lengths in twips. Advances are cached per
// character.
class MeasuringFont {
public:
    MeasuringFont(const CharFormat& format, LayoutDevice device);

    double ascent() const { return m_ascent; }
    double descent() const { return m_descent; }
    // Baseline rise of the format (sub/superscript and offset).
    int32_t raise() const { return m_raise; }
    double advance(char32_t character) const
    {
        // Inline for the characters of most text; the rest are measured once and kept.
        if (character < m_latin.size() && m_latin[character] >= 0)
            return m_latin[character];
        return advanceOnce(character);
    }
    double textWidth(QStringView text) const;

private:
    double measure(char32_t character) const;
    double advanceOnce(char32_t character) const;

    QFont m_font;
    std::unique_ptr<QFontMetricsF> m_metrics;
    double m_twipsPerPixelX = 15;
    double m_ascent = 0;
    double m_descent = 0;
    int32_t m_raise = 0;
    mutable std::array<float, 256> m_latin{};  // negative: not measured yet
    mutable QHash<char32_t, double> m_other;
};

// The shared measuring font of a format on a device (fields other than face, size, weight,
// slant and script placement do not change measurements). Lives until the application ends.
std::shared_ptr<const MeasuringFont> measuringFont(const CharFormat& format, LayoutDevice device);
// The same font without taking a share of it, for layouts that look fonts up per run: the
// last fonts asked for are found without a search.
const MeasuringFont& sharedMeasuringFont(const CharFormat& format, LayoutDevice device);

// 0x00BBGGRR as a colour.
QColor colorFromBgr(uint32_t bgr);

}  // namespace richedit
