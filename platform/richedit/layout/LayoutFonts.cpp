#include "platform/richedit/layout/LayoutFonts.h"

#include <QCoreApplication>
#include <QImage>
#include <QPaintDevice>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace richedit {
namespace {

constexpr int ScreenDpi = 96;
constexpr int MaxDpi = 100000;

int saneDpi(int dpi)
{
    return dpi > 0 && dpi <= MaxDpi ? dpi : ScreenDpi;
}

// A stand-in device of a given resolution: font metrics only look at a device's logical dpi.
const QPaintDevice* deviceOfDpi(int dpiY)
{
    static std::map<int, QImage> images;
    auto found = images.find(dpiY);
    if (found == images.end()) {
        QImage image(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = int(std::lround(dpiY / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        found = images.emplace(dpiY, std::move(image)).first;
    }
    return &found->second;
}

using FontKey = std::tuple<QString, int32_t, int32_t, uint32_t, int>;

// A font asked for lately, by the format fields that choose it.
struct RecentFont {
    QString face;
    int32_t heightTw = 0;
    int32_t offsetTw = 0;
    uint32_t effects = 0;
    int dpiY = 0;
    const MeasuringFont* font = nullptr;
};

constexpr uint32_t FontEffects = Bold | Italic | Superscript | Subscript;

struct FontCache {
    std::map<FontKey, std::shared_ptr<const MeasuringFont>> fonts;
    std::array<RecentFont, 8> recent;
    size_t nextRecent = 0;
};

FontCache*& cacheSlot()
{
    static FontCache* cache = nullptr;
    return cache;
}

void dropCache()
{
    delete cacheSlot();
    cacheSlot() = nullptr;
}

FontCache& cache()
{
    FontCache*& slot = cacheSlot();
    if (!slot) {
        slot = new FontCache;
        // Fonts must go before the application's font database does.
        qAddPostRoutine(dropCache);
    }
    return *slot;
}

}  // namespace

LayoutDevice LayoutDevice::of(const QPaintDevice* device)
{
    if (!device)
        return {};
    return {saneDpi(device->logicalDpiX()), saneDpi(device->logicalDpiY())};
}

int32_t clampedFontHeight(int32_t heightTw)
{
    return std::clamp(heightTw, 1, MaxFontHeightTw);
}

ScriptPlacement scriptPlacement(const CharFormat& format)
{
    const int32_t full = clampedFontHeight(format.heightTw);
    const int32_t offset = std::clamp(format.offsetTw, -MaxFontHeightTw, MaxFontHeightTw);
    if (format.is(Superscript))
        return {std::max(1, full * 2 / 3), offset + full / 3};
    if (format.is(Subscript))
        return {std::max(1, full * 2 / 3), offset - full / 6};
    return {full, offset};
}

QFont fontForFormat(const CharFormat& format, double pixelSize, int dpiY)
{
    QFont font(format.face.isEmpty() ? QStringLiteral("Sans Serif") : format.face);
    font.setPointSizeF(std::max(pixelSize, 0.01) * 72.0 / saneDpi(dpiY));
    font.setBold(format.is(Bold));
    font.setItalic(format.is(Italic));
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

MeasuringFont::MeasuringFont(const CharFormat& format, LayoutDevice device)
{
    const ScriptPlacement placement = scriptPlacement(format);
    const int dpi = saneDpi(device.dpiY);
    m_font = fontForFormat(format, placement.heightTw * dpi / 1440.0, dpi);
    m_metrics = std::make_unique<QFontMetricsF>(m_font, deviceOfDpi(dpi));
    m_twipsPerPixelX = 1440.0 / dpi;
    m_ascent = m_metrics->ascent() * m_twipsPerPixelX;
    m_descent = m_metrics->descent() * m_twipsPerPixelX;
    m_raise = placement.raiseTw;
    m_latin.fill(-1.0F);
}

double MeasuringFont::measure(char32_t character) const
{
    if (QChar::requiresSurrogates(character)) {
        const char16_t pair[2] = {QChar::highSurrogate(character), QChar::lowSurrogate(character)};
        return m_metrics->horizontalAdvance(QString::fromUtf16(pair, 2)) * m_twipsPerPixelX;
    }
    return m_metrics->horizontalAdvance(QChar(char16_t(character))) * m_twipsPerPixelX;
}

double MeasuringFont::advanceOnce(char32_t character) const
{
    if (character < m_latin.size()) {
        float& slot = m_latin[character];
        if (slot < 0)
            slot = float(measure(character));
        return slot;
    }
    auto found = m_other.constFind(character);
    if (found != m_other.constEnd())
        return *found;
    const double width = float(measure(character));
    m_other.insert(character, width);
    return width;
}

double MeasuringFont::textWidth(QStringView text) const
{
    double width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        width += advance(c);
    }
    return width;
}

std::shared_ptr<const MeasuringFont> measuringFont(const CharFormat& format, LayoutDevice device)
{
    const ScriptPlacement placement = scriptPlacement(format);
    const FontKey key{format.face, placement.heightTw, placement.raiseTw,
                      format.effects & (Bold | Italic), saneDpi(device.dpiY)};
    auto& fonts = cache().fonts;
    auto found = fonts.find(key);
    if (found == fonts.end())
        found = fonts.emplace(key, std::make_shared<MeasuringFont>(format, device)).first;
    return found->second;
}

const MeasuringFont& sharedMeasuringFont(const CharFormat& format, LayoutDevice device)
{
    FontCache& fonts = cache();
    const uint32_t effects = format.effects & FontEffects;
    const int dpiY = saneDpi(device.dpiY);
    for (const RecentFont& recent : fonts.recent) {
        if (recent.font && recent.heightTw == format.heightTw &&
            recent.offsetTw == format.offsetTw && recent.effects == effects &&
            recent.dpiY == dpiY && recent.face == format.face)
            return *recent.font;
    }
    const MeasuringFont* font = measuringFont(format, device).get();
    fonts.recent[fonts.nextRecent] = {format.face, format.heightTw, format.offsetTw, effects, dpiY,
                                      font};
    fonts.nextRecent = (fonts.nextRecent + 1) % fonts.recent.size();
    return *font;
}

QColor colorFromBgr(uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

}  // namespace richedit
