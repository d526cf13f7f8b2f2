#include "platform/richedit/layout/LineIndex.h"

#include "platform/richedit/model/Headroom.h"

namespace richedit {

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
    reserveWithRoom(m_entries, m_entries.size() + replacement.size());
    m_entries.insert(m_entries.begin() + first, replacement.begin(), replacement.end());
    rebuildTrees(first);
}

void LineIndex::set(int index, const Entry& entry)
{
    Entry& old = m_entries[size_t(index)];
    if (entry.span != old.span)
        m_span.add(index, int64_t(entry.span) - old.span);
    if (entry.lines != old.lines)
        m_lines.add(index, int64_t(entry.lines) - old.lines);
    if (entry.height != old.height)
        m_height.add(index, int64_t(entry.height) - old.height);
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

void LineIndex::rebuildTrees(int first)
{
    const size_t n = m_entries.size();
    m_span.rebuildFrom(first, n, [this](size_t k) { return m_entries[k].span; });
    m_lines.rebuildFrom(first, n, [this](size_t k) { return m_entries[k].lines; });
    m_height.rebuildFrom(first, n, [this](size_t k) { return m_entries[k].height; });
    m_dirty.rebuildFrom(first, n, [this](size_t k) { return int64_t(m_entries[k].dirty ? 1 : 0); });
}

}  // namespace richedit
