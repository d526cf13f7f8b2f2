// A paragraph's display lines in blocks of bounded size, so that making or dropping lines
// anywhere moves at most a block of them however long the paragraph is.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace richedit {

// A display line. Offsets count from the paragraph's start, lengths in twips from its top and
// from the left edge of the layout width.
struct LayoutLine {
    int32_t start = 0;
    int32_t length = 0;          // every character, hanging spaces and a closing U+000B included
    int32_t hangingSpaces = 0;   // spaces at the end (before a closing U+000B)
    bool closedByBreak = false;  // ends with U+000B
    bool softWrap = false;       // ends where the text wrapped
    // The end of the characters that decided where the line ends (past the text's end for a
    // line that ran out of text): an edit at or after it leaves the line as it is.
    int32_t decidedBy = 0;

    int32_t top = 0;          // of the line's share of the paragraph, space before included
    int32_t height = 0;       // the share: spacing rule applied, space before and after included
    int32_t spaceBefore = 0;  // part of `height` above the text box
    int32_t spaceAfter = 0;   // part of `height` below the text box
    int32_t ascent = 0;       // largest over the line's characters (pictures, raised text)
    int32_t descent = 0;
    int32_t baseline = 0;  // from the paragraph's top

    double left = 0;          // where the first character is drawn
    double contentWidth = 0;  // hanging spaces and a closing U+000B excluded
    double right = 0;         // end of the last character, hanging spaces included

    int32_t end() const { return start + length; }
    // The length the line queries report: a closing U+000B left out, hanging spaces kept.
    int32_t lengthWithoutBreak() const { return length - (closedByBreak ? 1 : 0); }
    // Characters before the hanging spaces and a closing U+000B.
    int32_t contentLength() const { return lengthWithoutBreak() - hangingSpaces; }
    int32_t textTop() const
    {
        return int32_t(
            std::min<int64_t>(int64_t(top) + spaceBefore, std::numeric_limits<int32_t>::max()));
    }
    int32_t textHeight() const { return height - spaceBefore - spaceAfter; }

    // How characters are placed: the line starts at `origin` before alignment (tabs resolve
    // there), `shift` moves it for right and centred alignment, and every space from
    // `justifyFrom` up to the content end widens by `spaceExtra`.
    double origin = 0;
    double shift = 0;
    double spaceExtra = 0;
    int32_t justifyFrom = 0;
};

class LineStore {
public:
    // Blocks split above MaxBlock lines and merge with a neighbour below MaxBlock / 4.
    static constexpr size_t MaxBlock = 1024;

    LineStore() = default;
    LineStore(const LineStore& other);
    LineStore& operator=(const LineStore& other);
    LineStore(LineStore&&) noexcept = default;
    LineStore& operator=(LineStore&&) noexcept = default;

    size_t size() const { return m_blocks ? m_blocks->size : m_head.size(); }
    bool empty() const { return size() == 0; }
    // Consecutive indices stay in one block: loops over them find it once.
    const LayoutLine& operator[](size_t index) const
    {
        return m_blocks ? m_blocks->at(index) : m_head[index];
    }
    LayoutLine& operator[](size_t index)
    {
        return const_cast<LayoutLine&>(std::as_const(*this)[index]);
    }
    const LayoutLine& back() const
    {
        return m_blocks ? m_blocks->lines.back().back() : m_head.back();
    }

    // Keeps the first block's memory for the next paragraph.
    void clear();
    void push_back(const LayoutLine& line);
    // Puts `fresh` in place of `count` lines from `first`.
    void replace(size_t first, size_t count, const std::vector<LayoutLine>& fresh);

    // The first index for which `holds(index, line)` is false, it being true for every one
    // before: a search over the blocks' first lines, then over one block's.
    template <typename Holds>
    size_t partition(Holds&& holds) const
    {
        const auto within = [&](const std::vector<LayoutLine>& lines, size_t start, size_t low) {
            size_t high = lines.size();
            while (low < high) {
                const size_t middle = low + (high - low) / 2;
                if (holds(start + middle, lines[middle]))
                    low = middle + 1;
                else
                    high = middle;
            }
            return start + low;
        };
        if (!m_blocks)
            return within(m_head, 0, 0);
        const Blocks& blocks = *m_blocks;
        size_t low = 0;
        size_t high = blocks.lines.size();
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            if (holds(blocks.starts[middle], blocks.lines[middle].front()))
                low = middle + 1;
            else
                high = middle;
        }
        if (low == 0)
            return 0;
        blocks.last = low - 1;
        return within(blocks.lines[low - 1], blocks.starts[low - 1], 1);
    }

    // Calls `visit` on the lines [from, to) block by block.
    template <typename Visit>
    void forEach(size_t from, size_t to, Visit&& visit)
    {
        forEachIn(*this, from, to, visit);
    }
    template <typename Visit>
    void forEach(size_t from, size_t to, Visit&& visit) const
    {
        forEachIn(*this, from, to, visit);
    }

private:
    struct Blocks {
        std::vector<std::vector<LayoutLine>> lines;
        std::vector<size_t> starts;  // the index of each block's first line
        size_t size = 0;
        mutable size_t last = 0;  // the block found last

        size_t find(size_t index) const
        {
            return index - starts[last] < lines[last].size() ? last : search(index);
        }
        size_t search(size_t index) const;
        const LayoutLine& at(size_t index) const
        {
            const size_t block = find(index);
            return lines[block][index - starts[block]];
        }
        void renumberFrom(size_t block);
        // Splits an overlong block and merges a short one into a neighbour.
        void balance(size_t block);
    };

    // Makes the head the first of the blocks.
    void makeBlocks();

    template <typename Store, typename Visit>
    static void forEachIn(Store& store, size_t from, size_t to, Visit& visit)
    {
        to = std::min(to, store.size());
        if (from >= to)
            return;
        if (!store.m_blocks) {
            for (size_t j = from; j < to; ++j)
                visit(store.m_head[j]);
            return;
        }
        auto& blocks = *store.m_blocks;
        for (size_t block = blocks.find(from); from < to; ++block) {
            auto& lines = blocks.lines[block];
            const size_t end = std::min(to - blocks.starts[block], lines.size());
            for (size_t j = from - blocks.starts[block]; j < end; ++j)
                visit(lines[j]);
            from = blocks.starts[block] + end;
        }
    }

    // The lines of a paragraph of at most MaxBlock lines; only then is there no m_blocks.
    std::vector<LayoutLine> m_head;
    std::unique_ptr<Blocks> m_blocks;
};

}  // namespace richedit
