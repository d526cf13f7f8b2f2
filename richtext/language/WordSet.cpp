#include "richtext/language/WordSet.h"

#include <algorithm>
#include <cstring>

uint64_t WordSet::hashOf(QStringView word)
{
    // Four characters a round: dictionary words are short, and the round's multiply and shift
    // spread every character over the whole value.
    const char16_t* characters = word.utf16();
    size_t left = size_t(word.size());
    uint64_t hash = uint64_t(left) * 0x9E3779B97F4A7C15ull;
    while (left >= 4) {
        uint64_t chunk;
        std::memcpy(&chunk, characters, sizeof chunk);
        hash = (hash ^ chunk) * 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 32;
        characters += 4;
        left -= 4;
    }
    uint64_t tail = 0;
    if (left > 0)
        std::memcpy(&tail, characters, left * sizeof(char16_t));
    hash = (hash ^ tail) * 0xC4CEB9FE1A85EC53ull;
    return hash ^ (hash >> 29);
}

bool WordSet::holds(const Slot& slot, uint32_t check, QStringView word) const
{
    if (slot.check != check || slot.length != uint32_t(word.size()))
        return false;
    // A loop rather than a call to memcmp: words are a few characters long.
    const char16_t* held = m_characters.data() + slot.start;
    const char16_t* asked = word.utf16();
    for (uint32_t i = 0; i < slot.length; ++i) {
        if (held[i] != asked[i])
            return false;
    }
    return true;
}

bool WordSet::contains(QStringView word) const
{
    if (m_slots.empty())
        return false;
    const uint64_t hash = hashOf(word);
    const uint32_t check = uint32_t(hash >> 32);
    const size_t mask = m_slots.size() - 1;
    for (size_t index = size_t(hash) & mask;; index = (index + 1) & mask) {
        const Slot& slot = m_slots[index];
        if (slot.length == Empty)
            return false;
        if (holds(slot, check, word))
            return true;
    }
}

void WordSet::insert(QStringView word)
{
    // At most half full, so that a miss, the common answer for a misspelling, ends soon.
    if (size_t(m_count + 1) * 2 > m_slots.size())
        grow();
    const uint64_t hash = hashOf(word);
    const uint32_t check = uint32_t(hash >> 32);
    const size_t mask = m_slots.size() - 1;
    size_t index = size_t(hash) & mask;
    for (; m_slots[index].length != Empty; index = (index + 1) & mask) {
        if (holds(m_slots[index], check, word))
            return;
    }
    m_slots[index] = {check, uint32_t(m_characters.size()), uint32_t(word.size())};
    m_characters.insert(m_characters.end(), word.utf16(), word.utf16() + word.size());
    ++m_count;
}

void WordSet::grow()
{
    std::vector<Slot> old(std::max<size_t>(16, m_slots.size() * 2));
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.length == Empty)
            continue;
        const QStringView word(m_characters.data() + slot.start, qsizetype(slot.length));
        size_t index = size_t(hashOf(word)) & mask;
        while (m_slots[index].length != Empty)
            index = (index + 1) & mask;
        m_slots[index] = slot;
    }
}
