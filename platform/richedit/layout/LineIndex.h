// Per-paragraph sums of the document layout (positions, display lines, heights and paragraphs
// still to lay out) in Fenwick trees, so that position, line and height lookups are O(log n).
#pragma once

#include "platform/richedit/model/ParagraphIndex.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace richedit {

class LineIndex {
public:
    // What one paragraph contributes. A paragraph not laid out yet keeps an estimate of its
    // lines and height until it is.
    struct Entry {
        // One paragraph's figures fit 32 bits (its length, lines and height are int32 in its
        // layout); only the sums over paragraphs need 64.
        int32_t span = 2;  // its text plus the two units of its mark
        int32_t lines = 1;
        int32_t height = 0;  // twips
        bool dirty = true;
        bool operator==(const Entry&) const = default;
    };

    void assign(std::vector<Entry> entries);
    // Puts `replacement` in place of entries [first, first + count).
    void replace(int first, int count, std::vector<Entry> replacement);
    void set(int index, const Entry& entry);

    int size() const { return int(m_entries.size()); }
    const Entry& entry(int index) const { return m_entries[size_t(index)]; }

    // Sums over the entries before `index`.
    int64_t spanBefore(int index) const { return m_span.prefix(index); }
    int64_t linesBefore(int index) const { return m_lines.prefix(index); }
    int64_t heightBefore(int index) const { return m_height.prefix(index); }
    int64_t totalSpan() const { return spanBefore(size()); }
    int64_t totalLines() const { return linesBefore(size()); }
    int64_t totalHeight() const { return heightBefore(size()); }

    // The entry whose share holds a position, a line or a height from the top; the last one for
    // values past the end, the first for negative ones.
    int entryAtPosition(int64_t position) const { return m_span.find(position); }
    int entryOfLine(int64_t line) const { return m_lines.find(line); }
    int entryAtHeight(int64_t y) const { return m_height.find(y); }
    // The first entry still to lay out, or -1.
    int firstDirty() const;

private:
    // The sums of each field, keyed by paragraph like the document's own index.
    using Tree = ParagraphIndex;

    // Makes the sums over entries from `first` on again.
    void rebuildTrees(int first = 0);

    std::vector<Entry> m_entries;
    Tree m_span;
    Tree m_lines;
    Tree m_height;
    Tree m_dirty;
};

}  // namespace richedit
