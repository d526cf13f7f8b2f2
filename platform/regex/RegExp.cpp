#include "platform/regex/RegExp.h"

#include "platform/regex/CompiledPattern.h"
#include "platform/regex/ReplaceTemplate.h"

namespace vbscript {

RegExp::RegExp() = default;
RegExp::~RegExp() = default;
RegExp::RegExp(RegExp&&) noexcept = default;
RegExp& RegExp::operator=(RegExp&&) noexcept = default;

detail::CompiledPattern& RegExp::compiled()
{
    if (!m_compiled || !m_compiled->sameAs(m_pattern, m_ignoreCase, m_multiLine))
        m_compiled =
            std::make_unique<detail::CompiledPattern>(m_pattern, m_ignoreCase, m_multiLine);
    return *m_compiled;
}

bool RegExp::Test(const QString& sourceString)
{
    detail::MatchCursor cursor(compiled(), sourceString);
    return cursor.next();
}

MatchCollection RegExp::Execute(const QString& sourceString)
{
    detail::CompiledPattern& pattern = compiled();
    auto table = std::make_shared<detail::MatchTable>();
    table->subject = sourceString;
    table->groupCount = pattern.groupCount();
    detail::MatchCursor cursor(pattern, table->subject);
    while (cursor.next()) {
        table->append(cursor);
        if (!m_global)
            break;
    }
    return MatchCollection(std::move(table));
}

void RegExp::forEachMatch(const QString& sourceString,
                          const std::function<bool(qsizetype start, qsizetype end)>& onMatch)
{
    detail::MatchCursor cursor(compiled(), sourceString);
    while (cursor.next()) {
        if (!onMatch(cursor.start(0), cursor.end(0)) || !m_global)
            break;
    }
}

QString RegExp::Replace(const QString& sourceString, const QString& replaceString)
{
    detail::CompiledPattern& pattern = compiled();
    const detail::ReplaceTemplate replacement(replaceString, pattern.groupCount());
    detail::MatchCursor cursor(pattern, sourceString);
    QString result;
    qsizetype copiedUpTo = 0;
    bool replaced = false;
    while (cursor.next()) {
        if (!replaced)
            result.reserve(sourceString.size());
        replaced = true;
        result += QStringView(sourceString).sliced(copiedUpTo, cursor.start(0) - copiedUpTo);
        replacement.appendExpansion(result, cursor);
        copiedUpTo = cursor.end(0);
        if (!m_global)
            break;
    }
    if (!replaced)
        return sourceString;
    result += QStringView(sourceString).sliced(copiedUpTo);
    return result;
}

}  // namespace vbscript
