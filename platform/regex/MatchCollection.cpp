#include "platform/regex/MatchCollection.h"

#include "platform/regex/CompiledPattern.h"
#include "platform/runtime/VbError.h"

namespace vbscript {

namespace detail {

void MatchTable::append(const MatchCursor& cursor)
{
    for (int group = 0; group <= groupCount; ++group) {
        bounds.push_back(cursor.start(group));
        bounds.push_back(cursor.end(group));
    }
}

}  // namespace detail

qsizetype Match::bound(qsizetype slot) const
{
    return m_table->bounds[static_cast<std::size_t>(m_index * m_table->stride() + slot)];
}

QString Match::groupText(int group) const
{
    const qsizetype start = bound(2 * group);
    if (start < 0)
        return QStringLiteral("");
    return m_table->subject.mid(start, bound(2 * group + 1) - start);
}

long Match::FirstIndex() const
{
    return static_cast<long>(bound(0));
}

long Match::Length() const
{
    return static_cast<long>(bound(1) - bound(0));
}

QString Match::Value() const
{
    return groupText(0);
}

QStringList Match::SubMatches() const
{
    QStringList groups;
    groups.reserve(m_table->groupCount);
    for (int group = 1; group <= m_table->groupCount; ++group)
        groups.append(groupText(group));
    return groups;
}

MatchCollection::MatchCollection() : m_table(std::make_shared<detail::MatchTable>())
{
}

MatchCollection::MatchCollection(std::shared_ptr<const detail::MatchTable> table)
    : m_table(std::move(table))
{
}

long MatchCollection::Count() const
{
    return static_cast<long>(static_cast<qsizetype>(m_table->bounds.size()) / m_table->stride());
}

Match MatchCollection::Item(long index) const
{
    if (index < 0 || index >= Count())
        throw vb::VbError(vb::ErrInvalidProcedureCall,
                          QStringLiteral("Invalid procedure call or argument"),
                          QStringLiteral("MatchCollection"));
    return at(index);
}

}  // namespace vbscript
