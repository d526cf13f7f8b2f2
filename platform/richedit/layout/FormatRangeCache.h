// The page layouts of the format range: paragraphs laid out for one measuring resolution and
// width, kept until released, the document changes, or another resolution or width is asked.
#pragma once

#include "platform/richedit/layout/ParagraphLayout.h"

#include <QImage>
#include <map>
#include <memory>
#include <unordered_map>

namespace richedit {

class Document;
class DocumentLayout;

class FormatRangeCache {
public:
    explicit FormatRangeCache(const Document& document);
    ~FormatRangeCache();
    FormatRangeCache(const FormatRangeCache&) = delete;
    FormatRangeCache& operator=(const FormatRangeCache&) = delete;

    // The lines of a paragraph from `startOffset` on, as a page that starts there lays them out.
    // A start that is a line start of the whole paragraph's layout reuses that layout, whose
    // later lines are what a layout from there would make.
    struct Lines {
        const ParagraphLayout* layout = nullptr;
        int first = 0;
    };
    // Valid until released.
    Lines linesFrom(const DocumentLayout& layout, int paragraph, int32_t startOffset,
                    int32_t widthTw, LayoutDevice device);

    void release();
    // How many paragraph layouts were made since the cache was created.
    int layoutsMade() const { return m_made; }

private:
    void use(int32_t widthTw, LayoutDevice device);
    const ParagraphLayout& make(const DocumentLayout& layout, int paragraph, int32_t startOffset);

    const Document& m_document;
    int m_watcher = 0;
    int32_t m_width = 0;
    LayoutDevice m_device;
    QImage m_metrics;  // a stand-in device of the resolution in use
    std::unordered_map<int, std::unique_ptr<ParagraphLayout>> m_whole;
    std::map<std::pair<int, int32_t>, std::unique_ptr<ParagraphLayout>> m_partial;
    int m_made = 0;
};

}  // namespace richedit
