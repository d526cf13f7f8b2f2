// A set of words made for the spelling lists: built once, then asked for every word of a
// document. A lookup hashes the caller's characters where they are and compares them in place,
// making no string. The table holds short words' characters in its own cells, so that a lookup
// reads one cache line, which is what a scan spends its time waiting for.
#pragma once

#include <QStringView>
#include <cstdint>
#include <vector>

class WordSet {
public:
    // Adds the word unless it is in already. Words are told apart by their exact characters.
    void insert(QStringView word);
    bool contains(QStringView word) const;
    qsizetype size() const { return m_count; }

private:
    static constexpr int InlineLength = 13;
    static constexpr uint16_t Empty = UINT16_MAX;
    // 32 bytes, so that two share a cache line and none straddles one.
    struct alignas(32) Cell {
        // The hash's high half: most cells of another word are passed over on it alone.
        uint32_t check = 0;
        // The word's characters; for a longer word, where they start in m_longWords.
        char16_t characters[InlineLength];
        uint16_t length = Empty;
    };
    static_assert(sizeof(Cell) == 32);

    static uint64_t hashOf(QStringView word);
    const char16_t* charactersOf(const Cell& cell) const;
    bool holds(const Cell& cell, uint32_t check, QStringView word) const;
    void fill(Cell& cell, uint32_t check, QStringView word);
    void grow();

    std::vector<Cell> m_cells;
    std::vector<char16_t> m_longWords;
    qsizetype m_count = 0;
};
