#include "platform/richedit/layout/LineIndex.h"

namespace richedit {
namespace {

size_t lowBit(size_t i)
{
    return i & (~i + 1);
}

}  // namespace

void LineIndex::Tree::rebuild(const std::vector<int64_t>& values)
{
    const size_t n = values.size();
    m_tree.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        m_tree[i] += values[i - 1];
        const size_t parent = i + lowBit(i);
        if (parent <= n)
            m_tree[parent] += m_tree[i];
    }
}

void LineIndex::Tree::add(int index, int64_t delta)
{
    const size_t n = m_tree.size() - 1;
    for (size_t i = size_t(index) + 1; i <= n; i += lowBit(i))
        m_tree[i] += delta;
}

int64_t LineIndex::Tree::prefix(int index) const
{
    int64_t sum = 0;
    for (size_t i = size_t(index); i > 0; i -= lowBit(i))
        sum += m_tree[i];
    return sum;
}

int LineIndex::Tree::find(int64_t value) const
{
    const size_t n = m_tree.size() - 1;
    if (n == 0 || value < 0)
        return 0;
    size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    // The number of leading entries whose sum stays at or below `value`.
    size_t index = 0;
    int64_t rest = value;
    for (; step > 0; step /= 2) {
        if (index + step <= n && m_tree[index + step] <= rest) {
            index += step;
            rest -= m_tree[index];
        }
    }
    return int(index < n ? index : n - 1);
}

void LineIndex::assign(std::vector<Entry> entries)
{
    m_entries = std::move(entries);
    rebuildTrees();
}

void LineIndex::replace(int first, int count, std::vector<Entry> replacement)
{
    if (size_t(count) == replacement.size()) {
        for (int k = 0; k < count; ++k)
            set(first + k, replacement[size_t(k)]);
        return;
    }
    const auto at = m_entries.begin() + first;
    m_entries.erase(at, at + count);
    m_entries.insert(m_entries.begin() + first, replacement.begin(), replacement.end());
    rebuildTrees();
}

void LineIndex::set(int index, const Entry& entry)
{
    Entry& old = m_entries[size_t(index)];
    if (entry.span != old.span)
        m_span.add(index, entry.span - old.span);
    if (entry.lines != old.lines)
        m_lines.add(index, entry.lines - old.lines);
    if (entry.height != old.height)
        m_height.add(index, entry.height - old.height);
    if (entry.dirty != old.dirty)
        m_dirty.add(index, entry.dirty ? 1 : -1);
    old = entry;
}

int LineIndex::firstDirty() const
{
    if (m_dirty.prefix(size()) == 0)
        return -1;
    // The first entry whose running count of dirty entries passes 0.
    return m_dirty.find(0);
}

void LineIndex::rebuildTrees()
{
    const size_t n = m_entries.size();
    std::vector<int64_t> spans(n), lines(n), heights(n), dirty(n);
    for (size_t i = 0; i < n; ++i) {
        spans[i] = m_entries[i].span;
        lines[i] = m_entries[i].lines;
        heights[i] = m_entries[i].height;
        dirty[i] = m_entries[i].dirty ? 1 : 0;
    }
    m_span.rebuild(spans);
    m_lines.rebuild(lines);
    m_height.rebuild(heights);
    m_dirty.rebuild(dirty);
}

}  // namespace richedit
