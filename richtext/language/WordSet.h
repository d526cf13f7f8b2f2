// A set of words made for the spelling lists: built once, then asked for every word of a
// document. The words' characters sit in one buffer and the table is open-addressed, so a
// lookup hashes the caller's characters where they are and compares them in place: no string
// is made, hashed through a seed or compared through its length checks per word.
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
    struct Slot {
        // The hash's high half: most slots of another word are passed over on it alone.
        uint32_t check = 0;
        uint32_t start = 0;
        uint32_t length = Empty;
    };
    static constexpr uint32_t Empty = UINT32_MAX;

    static uint64_t hashOf(QStringView word);
    bool holds(const Slot& slot, uint32_t check, QStringView word) const;
    void grow();

    std::vector<Slot> m_slots;
    std::vector<char16_t> m_characters;
    qsizetype m_count = 0;
};
