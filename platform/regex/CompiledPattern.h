// A pattern compiled by PCRE2 (16-bit, JIT) with the Basic engine's options, and the cursor that
// walks its matches over one subject.
#pragma once

#include <QString>
#include <cstddef>
#include <memory>

namespace vbscript::detail {

class Program;

// Owns the compiled code and the scratch space that every match reuses (match data, JIT stack),
// so one object serves any number of scans. Only one MatchCursor may use it at a time.
class CompiledPattern {
public:
    // Raises vb::VbError 5017 when the pattern is malformed.
    CompiledPattern(const QString& pattern, bool ignoreCase, bool multiLine);
    ~CompiledPattern();
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    bool sameAs(const QString& pattern, bool ignoreCase, bool multiLine) const;
    int groupCount() const { return m_groupCount; }

private:
    friend class MatchCursor;

    // The code for subjects that are not valid UTF-16 (lone surrogates): each code unit is a
    // character there, as in the Basic engine. Built on first need.
    const Program& codeUnitProgram();

    QString m_pattern;
    QString m_translated;
    bool m_ignoreCase;
    bool m_multiLine;
    int m_groupCount = 0;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<Program> m_codeUnitProgram;
    struct Scratch;
    std::unique_ptr<Scratch> m_scratch;
};

// Walks the matches of a pattern over a subject in the Basic engine's order: each search starts
// where the last match ended, and after an empty match one character further on.
class MatchCursor {
public:
    MatchCursor(CompiledPattern& pattern, const QString& subject);

    // Finds the next match; false when there is none. Raises vb::VbError when the engine gives
    // up (a runaway pattern exhausting its limits).
    bool next();

    // Bounds of group g (0 is the whole match) of the current match; -1 when it took no part.
    // (PCRE2's unset marker, the largest size_t, converts to -1.)
    qsizetype start(int group) const { return static_cast<qsizetype>(m_ovector[2 * group]); }
    qsizetype end(int group) const { return static_cast<qsizetype>(m_ovector[2 * group + 1]); }
    int groupCount() const { return m_pattern.groupCount(); }
    const QString& subject() const { return m_subject; }

private:
    int search();
    qsizetype afterEmptyMatch(qsizetype at) const;

    CompiledPattern& m_pattern;
    const QString& m_subject;
    const Program* m_program;
    const std::size_t* m_ovector = nullptr;
    qsizetype m_from = 0;
    bool m_subjectChecked = false;
    bool m_finished = false;
};

}  // namespace vbscript::detail
