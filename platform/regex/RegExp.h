// The Basic scripting engine's regular-expression object: pattern and options, Test, Execute and
// Replace, with positions in UTF-16 code units of the subject.
#pragma once

#include "platform/regex/MatchCollection.h"

#include <QString>
#include <functional>
#include <memory>

namespace vbscript {

namespace detail {
class CompiledPattern;
}

// Dialect: "." matches anything but a line feed; ^ and $ match at the subject's ends only, or
// also at line feeds with MultiLine; \w \d \s \b are ASCII-only; IgnoreCase folds case; a
// surrogate pair is one character. The pattern is compiled when first used and kept until
// Pattern, IgnoreCase or MultiLine changes, so one object run many times compiles once.
// A malformed pattern raises vb::VbError 5017 from Test, Execute or Replace, not when set.
class RegExp {
public:
    RegExp();
    ~RegExp();
    RegExp(RegExp&&) noexcept;
    RegExp& operator=(RegExp&&) noexcept;
    RegExp(const RegExp&) = delete;
    RegExp& operator=(const RegExp&) = delete;

    const QString& Pattern() const { return m_pattern; }
    void setPattern(const QString& pattern) { m_pattern = pattern; }
    bool IgnoreCase() const { return m_ignoreCase; }
    void setIgnoreCase(bool ignoreCase) { m_ignoreCase = ignoreCase; }
    // Global: Execute finds and Replace replaces every match, not only the first.
    bool Global() const { return m_global; }
    void setGlobal(bool global) { m_global = global; }
    bool MultiLine() const { return m_multiLine; }
    void setMultiLine(bool multiLine) { m_multiLine = multiLine; }

    bool Test(const QString& sourceString);
    MatchCollection Execute(const QString& sourceString);
    QString Replace(const QString& sourceString, const QString& replaceString);

    // Hands the bounds of each match in turn (every match with Global, else the first) to
    // `onMatch`, in UTF-16 units of the subject, keeping none: for passes whose memory must not
    // grow with the number of matches. `onMatch` returns false to end the scan.
    void forEachMatch(const QString& sourceString,
                      const std::function<bool(qsizetype start, qsizetype end)>& onMatch);

private:
    detail::CompiledPattern& compiled();

    QString m_pattern;
    bool m_ignoreCase = false;
    bool m_global = false;
    bool m_multiLine = false;
    std::unique_ptr<detail::CompiledPattern> m_compiled;
};

}  // namespace vbscript
