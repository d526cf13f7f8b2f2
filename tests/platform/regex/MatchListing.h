// Helpers for the regular-expression tests: a RegExp set up in one call, and a collection's
// matches as plain values that compare and print well in assertions.
#pragma once

#include "platform/regex/RegExp.h"
#include "tests/support/QStringPrinting.h"

#include <QString>
#include <ostream>
#include <vector>

namespace regextest {

struct Found {
    long firstIndex;
    long length;
    QString value;
    bool operator==(const Found&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Found& found)
{
    return out << "{" << found.firstIndex << ", " << found.length << ", \""
               << found.value.toStdString() << "\"}";
}

inline vbscript::RegExp makeRegExp(const QString& pattern, bool ignoreCase = false,
                                   bool global = true, bool multiLine = false)
{
    vbscript::RegExp re;
    re.setPattern(pattern);
    re.setIgnoreCase(ignoreCase);
    re.setGlobal(global);
    re.setMultiLine(multiLine);
    return re;
}

inline std::vector<Found> listMatches(const vbscript::MatchCollection& matches)
{
    std::vector<Found> list;
    for (const vbscript::Match& match : matches)
        list.push_back({match.FirstIndex(), match.Length(), match.Value()});
    return list;
}

inline std::vector<Found> findAll(vbscript::RegExp& re, const QString& subject)
{
    return listMatches(re.Execute(subject));
}

inline std::vector<QString> valuesOf(const std::vector<Found>& found)
{
    std::vector<QString> values;
    for (const Found& f : found)
        values.push_back(f.value);
    return values;
}

}  // namespace regextest
