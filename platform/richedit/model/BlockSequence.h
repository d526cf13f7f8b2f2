// A sequence kept in blocks of at most 64 items, each block with the sums of its items'
// measures, and prefix sums over the blocks. Inserting or removing a few items moves only the
// items of the block they land in, shifts the block starts after it (one int per block) and
// updates the sums over blocks in O(log blocks), instead of moving and summing every item after
// them; a block that splits or merges makes the sums over the later blocks again. An item is
// found by index, or by a running sum of one measure, in O(log blocks + block size). The
// document's paragraphs and the layout's per-paragraph figures both live in one.
//
// `Measure` says what an item contributes: `Measure::count` non-negative values, given by
// `Measure::of(item)` as a std::array<int64_t, count>.
#pragma once

#include "platform/richedit/model/ParagraphIndex.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

namespace richedit {

template <typename Item, typename Measure>
class BlockSequence {
public:
    static constexpr size_t Measures = Measure::count;
    using Sums = std::array<int64_t, Measures>;
    // A block splits above MaxBlock items and takes in a neighbour below MinBlock, so that every
    // block but a lone one holds MinBlock..MaxBlock items; a bulk build fills them to Fill.
    static constexpr size_t MaxBlock = 64;
    static constexpr size_t MinBlock = MaxBlock / 4;
    static constexpr size_t Fill = MaxBlock * 3 / 4;

    int size() const { return m_starts.empty() ? 0 : m_starts.back(); }
    bool empty() const { return size() == 0; }
    const Item& operator[](int index) const
    {
        const size_t block = blockOf(index);
        return m_blocks[block].items[size_t(index - m_starts[block])];
    }

    void assign(std::vector<Item> items)
    {
        assignWith(items.size(), [&items](size_t k) { return std::move(items[k]); });
    }
    // The same with the items `make(k)` returns for k = 0, 1, ... n - 1 in turn, built straight
    // into the blocks without a list of them first.
    template <typename Make>
    void assignWith(size_t n, Make make)
    {
        forgetLastSums();
        m_blocks = blocksOf(n, make);
        rebuildBlockIndex(0);
    }

    // Changes one item in place; the sums follow its measures.
    template <typename Change>
    void update(int index, Change change)
    {
        const size_t b = blockOf(index);
        Block& block = m_blocks[b];
        Item& item = block.items[size_t(index - m_starts[b])];
        forgetLastSums();
        const Sums before = Measure::of(item);
        change(item);
        const Sums after = Measure::of(item);
        for (size_t m = 0; m < Measures; ++m) {
            if (after[m] != before[m]) {
                block.sums[m] += after[m] - before[m];
                m_trees[m].add(int(b), after[m] - before[m]);
                m_totals[m] += after[m] - before[m];
            }
        }
    }

    // Changes every item (a whole-document pass); the sums are made again once.
    template <typename Change>
    void updateAll(Change change)
    {
        forgetLastSums();
        for (Block& block : m_blocks) {
            for (Item& item : block.items)
                change(item);
            block.sums = sumsOf(block.items);
        }
        rebuildBlockIndex(0);
    }

    template <typename Visit>
    void forEach(Visit visit) const
    {
        for (const Block& block : m_blocks)
            for (const Item& item : block.items)
                visit(item);
    }

    // Puts `replacement` in place of items [first, first + count). Only the blocks holding
    // that range are remade; the index over blocks moves the starts of the later ones.
    void replace(int first, int count, std::vector<Item> replacement)
    {
        replaceWith(first, count, replacement.size(),
                    [&replacement](size_t k) { return std::move(replacement[k]); });
    }
    // The same with `added` items that `make(k)` returns, as assignWith() takes them.
    template <typename Make>
    void replaceWith(int first, int count, size_t added, Make make)
    {
        assert(first >= 0 && count >= 0 && first + count <= size());
        if (added == 0 && count == 0)
            return;
        forgetLastSums();
        if (m_blocks.empty()) {
            assignWith(added, make);
            return;
        }
        // The blocks [low, high] hold the range (the last block when it starts at the end).
        size_t low = blockOf(std::min(first, size() - 1));
        size_t high = count > 0 ? blockOf(first + count - 1) : low;
        const size_t kept = size_t(m_starts[high + 1] - m_starts[low] - count) + added;
        // A block left too small takes in a neighbour.
        if (kept < MinBlock && m_blocks.size() > high - low + 1) {
            if (high + 1 < m_blocks.size())
                ++high;
            else
                --low;
        }
        if (low == high && kept <= MaxBlock && kept > 0 &&
            (kept >= MinBlock || m_blocks.size() == 1)) {
            // Within one block that keeps a fitting size: edited in place.
            std::vector<Item>& items = m_blocks[low].items;
            const auto at = items.begin() + (first - m_starts[low]);
            const size_t shared = std::min(size_t(count), added);
            for (size_t k = 0; k < shared; ++k)
                at[std::ptrdiff_t(k)] = make(k);
            if (size_t(count) > shared) {
                items.erase(at + std::ptrdiff_t(shared), at + count);
            } else {
                std::vector<Item> extra;
                extra.reserve(added - shared);
                for (size_t k = shared; k < added; ++k)
                    extra.push_back(make(k));
                items.insert(at + std::ptrdiff_t(shared), std::make_move_iterator(extra.begin()),
                             std::make_move_iterator(extra.end()));
            }
            blockChanged(low);
            return;
        }
        // New blocks of the items of those blocks before the range, the added ones and the
        // items after it; only the first and last block or two have items to keep.
        std::vector<Item> head;
        std::vector<Item> tail;
        const auto take = [this](std::vector<Item>& into, size_t b, int from, int to) {
            const int begin = m_starts[b];
            from = std::max(from, begin);
            to = std::min(to, m_starts[b + 1]);
            auto& source = m_blocks[b].items;
            if (from < to)
                into.insert(into.end(), std::make_move_iterator(source.begin() + (from - begin)),
                            std::make_move_iterator(source.begin() + (to - begin)));
        };
        for (size_t b = low; b <= high; ++b) {
            take(head, b, m_starts[b], first);
            take(tail, b, first + count, m_starts[b + 1]);
        }
        const size_t headSize = head.size();
        std::vector<Block> fresh = blocksOf(headSize + added + tail.size(), [&](size_t k) {
            if (k < headSize)
                return std::move(head[k]);
            if (k < headSize + added)
                return make(k - headSize);
            return std::move(tail[k - headSize - added]);
        });
        if (fresh.size() == 1 && low == high) {
            m_blocks[low].items = std::move(fresh[0].items);
            blockChanged(low);
            return;
        }
        m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(low),
                       m_blocks.begin() + std::ptrdiff_t(high + 1));
        m_blocks.insert(m_blocks.begin() + std::ptrdiff_t(low),
                        std::make_move_iterator(fresh.begin()),
                        std::make_move_iterator(fresh.end()));
        rebuildBlockIndex(low);
    }

    // Sum of one measure over the items before `index` (all of them past the end).
    int64_t before(size_t measure, int index) const
    {
        if (index >= size())
            return total(measure);
        if (index <= 0)
            return 0;
        if (m_lastIndex[measure] == index)
            return m_lastBefore[measure];
        const size_t b = blockOf(index);
        const int64_t sum = m_trees[measure].prefix(int(b));
        const std::vector<Item>& items = m_blocks[b].items;
        const size_t at = size_t(index - m_starts[b]);
        // From the nearer end of the block.
        int64_t part = 0;
        if (at <= items.size() / 2) {
            for (size_t k = 0; k < at; ++k)
                part += Measure::of(items[k])[measure];
            return remember(measure, index, sum + part);
        }
        for (size_t k = at; k < items.size(); ++k)
            part += Measure::of(items[k])[measure];
        return remember(measure, index, sum + m_blocks[b].sums[measure] - part);
    }
    int64_t total(size_t measure) const { return m_totals[measure]; }

    // The item whose share of a measure holds `value`: the last of the items whose running sum
    // up to them is at most `value` (so items measuring 0 are passed over), the last item for
    // values past the end, the first for negative ones.
    int find(size_t measure, int64_t value) const
    {
        if (m_blocks.empty() || value >= total(measure))
            return std::max(size() - 1, 0);
        // Below the total, the block found holds the answer.
        int64_t rest = value;
        const int b = m_trees[measure].find(value, &rest);
        m_hint = size_t(b);
        const std::vector<Item>& items = m_blocks[size_t(b)].items;
        size_t k = 0;
        for (; k + 1 < items.size(); ++k) {
            const int64_t share = Measure::of(items[k])[measure];
            if (share > rest)
                break;
            rest -= share;
        }
        const int found = m_starts[size_t(b)] + int(k);
        remember(measure, found, value - rest);
        return found;
    }

private:
    struct Block {
        std::vector<Item> items;
        Sums sums{};
    };

    static Sums sumsOf(const std::vector<Item>& items)
    {
        Sums sums{};
        for (const Item& item : items) {
            const Sums values = Measure::of(item);
            for (size_t m = 0; m < Measures; ++m)
                sums[m] += values[m];
        }
        return sums;
    }

    // A query's answer is often asked again at once (a paragraph's start after the search for
    // the paragraph): the last sum before an index found, per measure, until the next change.
    int64_t remember(size_t measure, int index, int64_t before) const
    {
        m_lastIndex[measure] = index;
        return m_lastBefore[measure] = before;
    }
    void forgetLastSums() { m_lastIndex.fill(-1); }

    // The block holding an item, by its start. Lookups near the last one (the item a find
    // just found, a walk over successive items) skip the search.
    size_t blockOf(int index) const
    {
        assert(index >= 0 && index < size());
        for (size_t b = m_hint; b < m_hint + 2 && b + 1 < m_starts.size(); ++b)
            if (m_starts[b] <= index && index < m_starts[b + 1])
                return m_hint = b;
        const auto after = std::upper_bound(m_starts.begin() + 1, m_starts.end(), index);
        return m_hint = size_t(after - m_starts.begin() - 1);
    }

    static std::array<int, Measures> filled(int value)
    {
        std::array<int, Measures> result;
        result.fill(value);
        return result;
    }

    // Blocks of n items that make(k) returns in turn, filled evenly to Fill (one block up to
    // MaxBlock), so that blocks that had to split have room to grow.
    template <typename Make>
    static std::vector<Block> blocksOf(size_t n, Make&& make)
    {
        const size_t chunks = n == 0 ? 0 : n <= MaxBlock ? 1 : (n + Fill - 1) / Fill;
        std::vector<Block> blocks(chunks);
        size_t k = 0;
        for (size_t c = 0; c < chunks; ++c) {
            const size_t end = n * (c + 1) / chunks;
            blocks[c].items.reserve(end - k);
            for (; k < end; ++k)
                blocks[c].items.push_back(make(k));
            blocks[c].sums = sumsOf(blocks[c].items);
        }
        return blocks;
    }

    // One block's items changed and no block came or went: its sums and the later starts move.
    void blockChanged(size_t b)
    {
        Block& block = m_blocks[b];
        const Sums was = block.sums;
        block.sums = sumsOf(block.items);
        const int delta = int(block.items.size()) - (m_starts[b + 1] - m_starts[b]);
        if (delta != 0)
            for (size_t k = b + 1; k < m_starts.size(); ++k)
                m_starts[k] += delta;
        for (size_t m = 0; m < Measures; ++m)
            if (block.sums[m] != was[m]) {
                m_trees[m].add(int(b), block.sums[m] - was[m]);
                m_totals[m] += block.sums[m] - was[m];
            }
    }

    // Makes the starts and the sums over blocks from block `first` on again.
    void rebuildBlockIndex(size_t first)
    {
        const size_t n = m_blocks.size();
        m_starts.resize(n + 1);
        if (first == 0)
            m_starts[0] = 0;
        for (size_t b = first; b < n; ++b)
            m_starts[b + 1] = m_starts[b] + int(m_blocks[b].items.size());
        if (n == 0)
            m_starts.clear();
        for (size_t m = 0; m < Measures; ++m) {
            m_trees[m].rebuildFrom(int(first), n,
                                   [this, m](size_t b) { return m_blocks[b].sums[m]; });
            m_totals[m] = m_trees[m].prefix(int(n));
        }
    }

    std::vector<Block> m_blocks;
    std::vector<int> m_starts;  // each block's first item, then the size; empty when empty
    std::array<ParagraphIndex, Measures> m_trees;
    Sums m_totals{};
    // The block of the last lookup: a cache, as a const document's lazily made text is.
    mutable size_t m_hint = 0;
    mutable std::array<int, Measures> m_lastIndex = filled(-1);
    mutable Sums m_lastBefore{};
};

}  // namespace richedit
