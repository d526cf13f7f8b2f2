// What the document layout keeps per paragraph, in a block-structured sequence: the figures
// whose sums answer position, line and height lookups in O(log n), and the paragraph's cached
// layout and list number, which move with it. Splitting or joining paragraphs touches one block
// of entries and a small index over blocks, not every paragraph after the change.
#pragma once

#include "platform/richedit/layout/ParagraphLayout.h"
#include "platform/richedit/model/BlockSequence.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
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

    // Replaces every entry with the `count` entries and list numbers `make(k, entry, number)`
    // fills in turn, built in place without a list of them first; none has a layout.
    template <typename Make>
    void assignWith(int count, Make make);
    // Entries put in by this start without a layout and with list number 0.
    // Puts `replacement` in place of entries [first, first + count).
    void replace(int first, int count, std::vector<Entry> replacement);
    // Changes an entry's figures; its layout and number stay.
    void set(int index, const Entry& entry);
    // Every entry to lay out again, its figures kept as estimates and its layout dropped.
    void markAllDirty();

    int size() const { return m_slots.size(); }
    const Entry& entry(int index) const { return m_slots[index].entry; }

    // The cached layout of a paragraph, or null.
    ParagraphLayout* layout(int index) const { return m_slots[index].layout.get(); }
    void keepLayout(int index, std::unique_ptr<ParagraphLayout> layout);
    int layoutsHeld() const;
    // The paragraph's number in its list (0 outside numbered lists).
    int number(int index) const { return m_slots[index].number; }
    void setNumber(int index, int number);

    // Sums over the entries before `index`.
    int64_t spanBefore(int index) const { return m_slots.before(Span, index); }
    int64_t linesBefore(int index) const { return m_slots.before(Lines, index); }
    int64_t heightBefore(int index) const { return m_slots.before(Height, index); }
    int64_t totalSpan() const { return m_slots.total(Span); }
    int64_t totalLines() const { return m_slots.total(Lines); }
    int64_t totalHeight() const { return m_slots.total(Height); }

    // The entry whose share holds a position, a line or a height from the top; the last one for
    // values past the end, the first for negative ones.
    int entryAtPosition(int64_t position) const { return m_slots.find(Span, position); }
    int entryOfLine(int64_t line) const { return m_slots.find(Lines, line); }
    int entryAtHeight(int64_t y) const { return m_slots.find(Height, y); }
    // The first entry still to lay out, or -1.
    int firstDirty() const;

private:
    enum Measure : size_t { Span, Lines, Height, Dirty };
    struct Slot {
        Entry entry;
        int32_t number = 0;
        std::unique_ptr<ParagraphLayout> layout;
    };
    struct SlotMeasure {
        static constexpr size_t count = 4;
        static std::array<int64_t, 4> of(const Slot& slot)
        {
            return {slot.entry.span, slot.entry.lines, slot.entry.height, slot.entry.dirty ? 1 : 0};
        }
    };

    BlockSequence<Slot, SlotMeasure> m_slots;
};

template <typename Make>
void LineIndex::assignWith(int count, Make make)
{
    m_slots.assignWith(size_t(std::max(count, 0)), [&make](size_t k) {
        Slot slot;
        make(int(k), slot.entry, slot.number);
        return slot;
    });
}

}  // namespace richedit
