#include "platform/richedit/layout/FormatRange.h"

#include "platform/richedit/layout/DocumentLayout.h"
#include "platform/richedit/layout/FormatRangeCache.h"
#include "platform/richedit/layout/ParagraphPainter.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <limits>
#include <vector>

namespace richedit {
namespace {

constexpr double TwipsPerInch = 1440.0;

int32_t clampToInt32(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

// The range in snapped positions; any negative end means the end of the text, and reversed
// ends are put in order.
CharRange pageRange(const Document& document, CharRange range)
{
    const int32_t length = document.length();
    int32_t from = document.snap(std::max(range.cpMin, 0));
    int32_t to = range.cpMax < 0 ? length : document.snap(range.cpMax);
    if (from > to)
        std::swap(from, to);
    return {from, to};
}

LayoutDevice measuringResolution(const TargetDevice* target)
{
    if (!target)
        return {};
    if (target->metrics)
        return LayoutDevice::of(target->metrics);
    // The same bounds as a device's own resolution.
    const auto sane = [](int dpi) { return dpi > 0 && dpi <= 100000 ? dpi : 96; };
    return {sane(target->dpiX), sane(target->dpiY)};
}

// A line placed on the page, `drawTo` the paragraph offset where drawing stops (the line's
// end when all of it is in the range).
struct PlacedLine {
    const ParagraphLayout* layout = nullptr;
    int line = 0;
    int64_t top = 0;  // twips below rc.top
    int32_t drawTo = 0;
};

struct Placement {
    std::vector<PlacedLine> lines;
    int64_t height = 0;
    int32_t next = 0;
};

class LinePlacer {
public:
    LinePlacer(const Document& document, const DocumentLayout& layout, FormatRangeCache& cache,
               int32_t width, LayoutDevice device, int64_t room)
        : m_document(document),
          m_layout(layout),
          m_cache(cache),
          m_width(width),
          m_device(device),
          m_room(room)
    {
    }

    Placement place(CharRange range);

private:
    // Places lines of one paragraph from `position`; false once the page is full or the range
    // is done.
    bool placeParagraph(int paragraph, int32_t position, Placement& result);

    const Document& m_document;
    const DocumentLayout& m_layout;
    FormatRangeCache& m_cache;
    int32_t m_width;
    LayoutDevice m_device;
    int64_t m_room;
    int32_t m_end = 0;
    bool m_empty = false;
};

Placement LinePlacer::place(CharRange range)
{
    Placement result;
    result.next = range.cpMin;
    m_end = range.cpMax;
    // An empty range still places its first line whole, so that every call gets on.
    m_empty = range.cpMin >= range.cpMax;
    const int count = m_document.paragraphCount();
    for (int paragraph = m_document.paragraphAt(range.cpMin); paragraph < count; ++paragraph) {
        const int32_t start = m_document.paragraphStart(paragraph);
        if (!placeParagraph(paragraph, std::max(range.cpMin, start), result))
            break;
    }
    return result;
}

bool LinePlacer::placeParagraph(int paragraph, int32_t position, Placement& result)
{
    const int32_t start = m_document.paragraphStart(paragraph);
    const FormatRangeCache::Lines lines =
        m_cache.linesFrom(m_layout, paragraph, position - start, m_width, m_device);
    const ParagraphLayout& layout = *lines.layout;
    const int32_t textEnd = start + layout.textLength();
    const bool last = paragraph + 1 == m_document.paragraphCount();
    if (layout.showsNothing()) {
        // No line of its own: the range goes on with the next paragraph shown (which is
        // placed first, also on a short rectangle, when nothing was placed yet).
        const int32_t next = m_document.paragraphStart(paragraph + 1);
        result.next = m_empty && result.lines.empty() ? next : std::min(next, m_end);
        return result.next < m_end || (m_empty && result.lines.empty());
    }
    for (int i = lines.first; i < layout.lineCount(); ++i) {
        const LayoutLine& line = layout.line(i);
        if (result.lines.empty()) {
            // The first line is placed however short the rectangle is.
            if (m_empty)
                m_end = std::max(m_end, start + line.end());
        } else if (start + line.start >= m_end || result.height + line.height > m_room) {
            return false;
        }
        const int32_t drawTo = std::min(start + line.end(), m_end);
        result.lines.push_back({&layout, i, result.height, drawTo - start});
        result.height += line.height;
        result.next = drawTo;
    }
    // The paragraph end goes with the last line when the range holds it.
    if (m_empty && result.next == textEnd && !last)
        m_end = m_document.paragraphStart(paragraph + 1);
    if (result.next == textEnd && m_end > textEnd && !last)
        result.next = m_document.paragraphStart(paragraph + 1);
    return result.next < m_end;
}

void drawLines(QPainter& painter, const Placement& placement, const Rect& rc)
{
    const QPaintDevice* device = painter.device();
    const double scaleX = (device ? device->logicalDpiX() : 96) / TwipsPerInch;
    const double scaleY = (device ? device->logicalDpiY() : 96) / TwipsPerInch;
    painter.save();
    // The painter draws at the vertical scale; across, the device may differ.
    if (scaleX != scaleY)
        painter.scale(scaleX / scaleY, 1);
    ParagraphPainter paragraphs(painter, scaleY, PictureDrawing::FromSource);
    const double left = rc.left * scaleY;
    for (const PlacedLine& placed : placement.lines) {
        const ParagraphLayout& layout = *placed.layout;
        const LayoutLine& line = layout.line(placed.line);
        const QPointF origin(left, (double(rc.top) + double(placed.top)) * scaleY);
        painter.save();
        if (placed.drawTo < line.end()) {
            // Only the part of the line inside the range.
            const std::vector<double> edges = layout.edges(placed.line);
            const double cut = left + edges[size_t(placed.drawTo - line.start)] * scaleY;
            const double big = 1e9;
            painter.setClipRect(QRectF(-big, -big, cut + big, 2 * big),
                                painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        }
        paragraphs.paintLines(layout, placed.line, 1, origin);
        painter.restore();
    }
    painter.restore();
}

}  // namespace

int32_t formatRange(const Document& document, const DocumentLayout& layout, FormatRangeCache& cache,
                    FormatRange& range, bool draw)
{
    const CharRange chrg = pageRange(document, range.chrg);
    const int32_t width =
        clampToInt32(std::max<int64_t>(int64_t(range.rc.right) - range.rc.left, 1));
    const int64_t room = int64_t(range.rc.bottom) - range.rc.top;
    LinePlacer placer(document, layout, cache, width, measuringResolution(range.target), room);
    const Placement placement = placer.place(chrg);
    if (draw && range.painter && range.painter->isActive())
        drawLines(*range.painter, placement, range.rc);
    range.rc.bottom = clampToInt32(int64_t(range.rc.top) + placement.height);
    return placement.next;
}

}  // namespace richedit
