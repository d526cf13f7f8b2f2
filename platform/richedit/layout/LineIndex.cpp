#include "platform/richedit/layout/LineIndex.h"

namespace richedit {

void LineIndex::replace(int first, int count, std::vector<Entry> replacement)
{
    const auto fresh = [&replacement](size_t k) { return Slot{replacement[k], 0, nullptr}; };
    if (size_t(count) == replacement.size()) {
        for (int k = 0; k < count; ++k)
            m_slots.update(first + k, [&](Slot& slot) { slot = fresh(size_t(k)); });
        return;
    }
    m_slots.replaceWith(first, count, replacement.size(), fresh);
}

void LineIndex::set(int index, const Entry& entry)
{
    m_slots.update(index, [&entry](Slot& slot) { slot.entry = entry; });
}

void LineIndex::markAllDirty()
{
    m_slots.updateAll([](Slot& slot) {
        slot.entry.dirty = true;
        slot.layout.reset();
    });
}

void LineIndex::keepLayout(int index, std::unique_ptr<ParagraphLayout> layout)
{
    // Neither the layout nor the number is measured: no sums to move.
    m_slots.update(index, [&layout](Slot& slot) { slot.layout = std::move(layout); });
}

int LineIndex::layoutsHeld() const
{
    int held = 0;
    m_slots.forEach([&held](const Slot& slot) { held += slot.layout ? 1 : 0; });
    return held;
}

void LineIndex::setNumber(int index, int number)
{
    m_slots.update(index, [number](Slot& slot) { slot.number = number; });
}

int LineIndex::firstDirty() const
{
    if (m_slots.total(Dirty) == 0)
        return -1;
    // The first entry whose running count of dirty entries passes 0.
    return m_slots.find(Dirty, 0);
}

}  // namespace richedit
