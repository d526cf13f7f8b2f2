#include "platform/richedit/layout/FormatRangeCache.h"

#include "platform/richedit/layout/DocumentLayout.h"
#include "platform/richedit/model/Document.h"

#include <algorithm>
#include <cmath>

namespace richedit {

FormatRangeCache::FormatRangeCache(const Document& document) : m_document(document)
{
    m_watcher = document.addWatcher([this](const ChangeRecord&) { release(); });
}

FormatRangeCache::~FormatRangeCache()
{
    m_document.removeWatcher(m_watcher);
}

void FormatRangeCache::release()
{
    m_whole.clear();
    m_partial.clear();
}

void FormatRangeCache::use(int32_t widthTw, LayoutDevice device)
{
    if (widthTw == m_width && device == m_device && !m_metrics.isNull())
        return;
    release();
    m_width = widthTw;
    m_device = device;
    // Layouts look only at a device's logical resolution.
    m_metrics = QImage(1, 1, QImage::Format_RGB32);
    m_metrics.setDotsPerMeterX(int(std::lround(device.dpiX / 0.0254)));
    m_metrics.setDotsPerMeterY(int(std::lround(device.dpiY / 0.0254)));
}

const ParagraphLayout& FormatRangeCache::make(const DocumentLayout& layout, int paragraph,
                                              int32_t startOffset)
{
    ++m_made;
    auto made = std::make_unique<ParagraphLayout>(layout.paragraphInput(paragraph), m_width,
                                                  &m_metrics, startOffset);
    const ParagraphLayout& result = *made;
    if (startOffset == 0)
        m_whole[paragraph] = std::move(made);
    else
        m_partial[{paragraph, startOffset}] = std::move(made);
    return result;
}

FormatRangeCache::Lines FormatRangeCache::linesFrom(const DocumentLayout& layout, int paragraph,
                                                    int32_t startOffset, int32_t widthTw,
                                                    LayoutDevice device)
{
    use(widthTw, device);
    auto whole = m_whole.find(paragraph);
    const ParagraphLayout& full =
        whole != m_whole.end() ? *whole->second : make(layout, paragraph, 0);
    const int line = full.lineAt(startOffset);
    if (full.line(line).start == startOffset)
        return {&full, line};
    auto partial = m_partial.find({paragraph, startOffset});
    if (partial != m_partial.end())
        return {partial->second.get(), 0};
    return {&make(layout, paragraph, startOffset), 0};
}

}  // namespace richedit
