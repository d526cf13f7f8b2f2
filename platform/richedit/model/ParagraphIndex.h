// Prefix sums over a sequence of values (a Fenwick tree): the sum before an index and the index
// whose share holds a value in O(log n). The block sequence keeps one per measure over its
// blocks.
#pragma once

#include "platform/richedit/model/Headroom.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace richedit {

class ParagraphIndex {
public:
    // After the values from `first` on changed, moved or were added or removed (there are now
    // `count`, value k being valueAt(k)): only the sums that cover them are made again, in
    // O(count - first + log² count).
    template <typename ValueAt>
    void rebuildFrom(int first, size_t count, ValueAt valueAt);
    void add(int index, int64_t delta);

    int size() const { return int(m_tree.size()) - 1; }
    // Sum of the values before `index`.
    int64_t prefix(int index) const;
    // The index whose value holds `position` (the last one for positions past the end);
    // `rest`, when given, receives what is left of the position after the values before it.
    int find(int64_t position, int64_t* rest = nullptr) const;

private:
    std::vector<int64_t> m_tree{0};  // 1-based
};

template <typename ValueAt>
void ParagraphIndex::rebuildFrom(int first, size_t count, ValueAt valueAt)
{
    const size_t from = std::min({size_t(std::max(first, 0)), count, m_tree.size() - 1});
    // Nodes up to `from` sum only values before it and stay as they are. Built in place: an
    // edit in a long document needs no scratch copy of the sums after it.
    reserveWithRoom(m_tree, count + 1);
    m_tree.resize(count + 1);
    const auto lowest = [](size_t i) { return i & (~i + 1); };
    for (size_t i = from + 1; i <= count; ++i) {
        // A node sums its own value and its children's sums; the children up to `from` have
        // theirs already, the later ones are added in the second pass.
        int64_t sum = valueAt(i - 1);
        for (size_t step = 1; step < lowest(i); step *= 2)
            if (i - step <= from)
                sum += m_tree[i - step];
        m_tree[i] = sum;
    }
    for (size_t i = from + 1; i <= count; ++i) {
        const size_t parent = i + lowest(i);
        if (parent <= count)
            m_tree[parent] += m_tree[i];
    }
}

}  // namespace richedit
