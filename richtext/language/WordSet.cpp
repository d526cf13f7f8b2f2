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

const char16_t* WordSet::charactersOf(const Cell& cell) const
{
    if (cell.length <= InlineLength)
        return cell.characters;
    uint32_t start;
    std::memcpy(&start, cell.characters, sizeof start);
    return m_longWords.data() + start;
}

bool WordSet::holds(const Cell& cell, uint32_t check, QStringView word) const
{
    if (cell.check != check || cell.length != word.size())
        return false;
    // A loop rather than a call to memcmp: words are a few characters long.
    const char16_t* held = charactersOf(cell);
    const char16_t* asked = word.utf16();
    for (uint16_t i = 0; i < cell.length; ++i) {
        if (held[i] != asked[i])
            return false;
    }
    return true;
}

bool WordSet::contains(QStringView word) const
{
    if (m_cells.empty() || word.size() >= Empty)
        return false;
    const uint64_t hash = hashOf(word);
    const uint32_t check = uint32_t(hash >> 32);
    const size_t mask = m_cells.size() - 1;
    for (size_t index = size_t(hash) & mask;; index = (index + 1) & mask) {
        const Cell& cell = m_cells[index];
        if (cell.length == Empty)
            return false;
        if (holds(cell, check, word))
            return true;
    }
}

void WordSet::fill(Cell& cell, uint32_t check, QStringView word)
{
    cell.check = check;
    cell.length = uint16_t(word.size());
    if (word.size() <= InlineLength) {
        std::copy(word.utf16(), word.utf16() + word.size(), cell.characters);
    } else {
        const auto start = uint32_t(m_longWords.size());
        std::memcpy(cell.characters, &start, sizeof start);
        m_longWords.insert(m_longWords.end(), word.utf16(), word.utf16() + word.size());
    }
}

void WordSet::insert(QStringView word)
{
    // Longer words than a cell can measure are in no list.
    if (word.size() >= Empty)
        return;
    // At most half full, so that a miss, the common answer for a misspelling, ends soon.
    if (size_t(m_count + 1) * 2 > m_cells.size())
        grow();
    const uint64_t hash = hashOf(word);
    const uint32_t check = uint32_t(hash >> 32);
    const size_t mask = m_cells.size() - 1;
    size_t index = size_t(hash) & mask;
    for (; m_cells[index].length != Empty; index = (index + 1) & mask) {
        if (holds(m_cells[index], check, word))
            return;
    }
    fill(m_cells[index], check, word);
    ++m_count;
}

void WordSet::grow()
{
    std::vector<Cell> old(std::max<size_t>(16, m_cells.size() * 2));
    old.swap(m_cells);
    const size_t mask = m_cells.size() - 1;
    for (const Cell& cell : old) {
        if (cell.length == Empty)
            continue;
        size_t index = size_t(hashOf(QStringView(charactersOf(cell), cell.length))) & mask;
        while (m_cells[index].length != Empty)
            index = (index + 1) & mask;
        m_cells[index] = cell;
    }
}
