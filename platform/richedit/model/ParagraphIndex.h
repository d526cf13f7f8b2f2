// Prefix sums over paragraph lengths (a Fenwick tree), so that a paragraph's start and the
// paragraph holding a position are found in O(log n).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace richedit {

class ParagraphIndex {
public:
    // Rebuilds from every paragraph's span (its text plus the two units of its mark).
    void rebuild(const std::vector<int64_t>& spans);
    void add(int index, int64_t delta);

    int size() const { return int(m_tree.size()) - 1; }
    // Sum of the spans before `index`.
    int64_t prefix(int index) const;
    // The paragraph whose span holds `position` (the last one for positions past the end).
    int find(int64_t position) const;

private:
    std::vector<int64_t> m_tree{0};  // 1-based
};

}  // namespace richedit
