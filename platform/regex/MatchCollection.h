// The results of RegExp::Execute: a collection of matches, each with its 0-based position,
// length, text and sub-matches, all counted in UTF-16 code units of the subject.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace vbscript {

namespace detail {
class MatchCursor;

// The subject (shared, never copied per match) and the bounds of every group of every match.
struct MatchTable {
    QString subject;
    int groupCount = 0;
    std::vector<qsizetype> bounds;  // per match: (groupCount + 1) start/end pairs, -1 unset

    qsizetype stride() const { return 2 * (static_cast<qsizetype>(groupCount) + 1); }
    void append(const MatchCursor& cursor);
};
}  // namespace detail

class Match {
public:
    long FirstIndex() const;
    long Length() const;
    QString Value() const;
    // One entry per capturing group; a group that took no part in the match gives "".
    QStringList SubMatches() const;

private:
    friend class MatchCollection;
    Match(std::shared_ptr<const detail::MatchTable> table, qsizetype index)
        : m_table(std::move(table)), m_index(index)
    {
    }
    qsizetype bound(qsizetype slot) const;
    QString groupText(int group) const;

    std::shared_ptr<const detail::MatchTable> m_table;
    qsizetype m_index;
};

class MatchCollection {
public:
    MatchCollection();
    explicit MatchCollection(std::shared_ptr<const detail::MatchTable> table);

    long Count() const;
    // Raises vb::VbError 5 (invalid procedure call) for an index outside 0..Count-1.
    Match Item(long index) const;

    class const_iterator {
    public:
        using value_type = Match;
        using difference_type = qsizetype;

        const_iterator() = default;
        Match operator*() const { return m_owner->at(m_index); }
        const_iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const const_iterator& other) const { return m_index == other.m_index; }

    private:
        friend class MatchCollection;
        const_iterator(const MatchCollection* owner, qsizetype index)
            : m_owner(owner), m_index(index)
        {
        }
        const MatchCollection* m_owner = nullptr;
        qsizetype m_index = 0;
    };

    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, Count()); }

private:
    Match at(qsizetype index) const { return Match(m_table, index); }

    std::shared_ptr<const detail::MatchTable> m_table;
};

}  // namespace vbscript
