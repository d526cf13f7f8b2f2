#include "platform/regex/CompiledPattern.h"

#include "platform/regex/PatternDialect.h"
#include "platform/runtime/VbError.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <iterator>
#include <new>

namespace vbscript::detail {

namespace {

// The Basic dialect's escapes, empty classes, unset back-references (which match the empty
// string rather than failing) and a multi-line ^ that also matches after a final line feed, on
// top of what PatternDialect rewrites.
constexpr uint32_t dialectOptions =
    PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALT_CIRCUMFLEX;

// The JIT stack grows on demand up to the maximum; deep backtracking over a large document
// needs far more than PCRE2's default of 32 KB.
constexpr std::size_t jitStackStart = 32 * 1024;
constexpr std::size_t jitStackMax = 16 * 1024 * 1024;

// The runtime's "Out of stack space", which the Basic engine raises when a match runs away.

const QString errorSource = QStringLiteral("RegExp");

uint32_t optionsFor(bool ignoreCase, bool multiLine)
{
    uint32_t options = dialectOptions;
    if (ignoreCase)
        options |= PCRE2_CASELESS;
    // Without MultiLine, $ matches at the very end only, not before a final line feed.
    options |= multiLine ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    return options;
}

bool isUtfError(int code)
{
    return code <= PCRE2_ERROR_UTF16_ERR1 && code >= PCRE2_ERROR_UTF16_ERR3;
}

PCRE2_SPTR16 unitsOf(const QString& text)
{
    static const PCRE2_UCHAR16 empty = 0;
    return text.isEmpty() ? &empty : reinterpret_cast<PCRE2_SPTR16>(text.constData());
}

[[noreturn]] void raiseSyntaxError()
{
    throw vb::VbError(vb::ErrRegexSyntax, QStringLiteral("Syntax error in regular expression"),
                      errorSource);
}

[[noreturn]] void raiseMatchFailure(int code)
{
    switch (code) {
        case PCRE2_ERROR_MATCHLIMIT:
        case PCRE2_ERROR_DEPTHLIMIT:
        case PCRE2_ERROR_HEAPLIMIT:
        case PCRE2_ERROR_JIT_STACKLIMIT:
        case PCRE2_ERROR_NOMEMORY:
            throw vb::VbError(vb::ErrOutOfStackSpace, QStringLiteral("Out of stack space"),
                              errorSource);
        default: {
            PCRE2_UCHAR16 message[256];
            const int length = pcre2_get_error_message(code, message, std::size(message));
            throw vb::VbError(
                vb::ErrInvalidProcedureCall,
                QString::fromUtf16(reinterpret_cast<const char16_t*>(message), std::max(length, 0)),
                errorSource);
        }
    }
}

template <class T>
T* checkedAllocation(T* pointer)
{
    if (!pointer)
        throw std::bad_alloc();
    return pointer;
}

}  // namespace

class Program {
public:
    Program(pcre2_code* code, bool utf) : code(code), utf(utf) {}
    ~Program() { pcre2_code_free(code); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pcre2_code* const code;
    const bool utf;  // surrogate pairs are one character; subjects must be valid UTF-16

    // Null when the pattern does not compile; the PCRE2 error code goes to *error.
    static std::unique_ptr<Program> compile(const QString& pattern, uint32_t options, int* error)
    {
        std::unique_ptr<pcre2_compile_context, void (*)(pcre2_compile_context*)> context(
            checkedAllocation(pcre2_compile_context_create(nullptr)), pcre2_compile_context_free);
        // "." matches everything but a line feed (a CR too), and with MultiLine only a line feed
        // ends a line.
        pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
        PCRE2_SIZE errorOffset = 0;
        pcre2_code* code = pcre2_compile(unitsOf(pattern), static_cast<PCRE2_SIZE>(pattern.size()),
                                         options, error, &errorOffset, context.get());
        if (!code)
            return nullptr;
        // Where JIT is unavailable the interpreter runs the same code, so a failure is no error.
        pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
        return std::make_unique<Program>(code, (options & PCRE2_UTF) != 0);
    }
};

struct CompiledPattern::Scratch {
    explicit Scratch(int groupCount)
        : data(checkedAllocation(
              pcre2_match_data_create(static_cast<uint32_t>(groupCount) + 1, nullptr))),
          context(checkedAllocation(pcre2_match_context_create(nullptr))),
          jitStack(checkedAllocation(pcre2_jit_stack_create(jitStackStart, jitStackMax, nullptr)))
    {
        pcre2_jit_stack_assign(context, nullptr, jitStack);
    }
    ~Scratch()
    {
        pcre2_jit_stack_free(jitStack);
        pcre2_match_context_free(context);
        pcre2_match_data_free(data);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    pcre2_match_data* data;
    pcre2_match_context* context;
    pcre2_jit_stack* jitStack;
};

CompiledPattern::CompiledPattern(const QString& pattern, bool ignoreCase, bool multiLine)
    : m_pattern(pattern),
      m_translated(toPcre2Pattern(pattern)),
      m_ignoreCase(ignoreCase),
      m_multiLine(multiLine)
{
    const uint32_t options = optionsFor(ignoreCase, multiLine);
    int error = 0;
    m_program = Program::compile(m_translated, options | PCRE2_UTF, &error);
    // A pattern holding a lone surrogate is read unit by unit, as the Basic engine reads it.
    if (!m_program && isUtfError(error))
        m_program = Program::compile(m_translated, options, &error);
    if (!m_program)
        raiseSyntaxError();
    uint32_t count = 0;
    pcre2_pattern_info(m_program->code, PCRE2_INFO_CAPTURECOUNT, &count);
    m_groupCount = static_cast<int>(count);
    m_scratch = std::make_unique<Scratch>(m_groupCount);
}

CompiledPattern::~CompiledPattern() = default;

bool CompiledPattern::sameAs(const QString& pattern, bool ignoreCase, bool multiLine) const
{
    return ignoreCase == m_ignoreCase && multiLine == m_multiLine && pattern == m_pattern;
}

const Program& CompiledPattern::codeUnitProgram()
{
    if (!m_program->utf)
        return *m_program;
    if (!m_codeUnitProgram) {
        int error = 0;
        m_codeUnitProgram =
            Program::compile(m_translated, optionsFor(m_ignoreCase, m_multiLine), &error);
        if (!m_codeUnitProgram)
            raiseSyntaxError();
    }
    return *m_codeUnitProgram;
}

MatchCursor::MatchCursor(CompiledPattern& pattern, const QString& subject)
    : m_pattern(pattern), m_subject(subject), m_program(pattern.m_program.get())
{
}

bool MatchCursor::next()
{
    if (m_finished || m_from > m_subject.size()) {
        m_finished = true;
        return false;
    }
    const int result = search();
    if (result == PCRE2_ERROR_NOMATCH) {
        m_finished = true;
        return false;
    }
    if (result < 0)
        raiseMatchFailure(result);
    m_ovector = pcre2_get_ovector_pointer(m_pattern.m_scratch->data);
    const qsizetype matchStart = start(0);
    const qsizetype matchEnd = end(0);
    m_from = matchEnd > matchStart ? matchEnd : afterEmptyMatch(matchEnd);
    return true;
}

// The first search checks that the subject is valid UTF-16 (PCRE2 does it as part of the call);
// later ones skip the check, which would otherwise cost a pass over the subject per match.
int MatchCursor::search()
{
    CompiledPattern::Scratch& scratch = *m_pattern.m_scratch;
    const auto length = static_cast<PCRE2_SIZE>(m_subject.size());
    const auto from = static_cast<PCRE2_SIZE>(m_from);
    int result =
        pcre2_match(m_program->code, unitsOf(m_subject), length, from,
                    m_subjectChecked ? PCRE2_NO_UTF_CHECK : 0, scratch.data, scratch.context);
    if (!m_subjectChecked && isUtfError(result)) {
        m_program = &m_pattern.codeUnitProgram();
        result = pcre2_match(m_program->code, unitsOf(m_subject), length, from, 0, scratch.data,
                             scratch.context);
    }
    m_subjectChecked = true;
    return result;
}

// An empty match moves the next search on by one character: a whole surrogate pair when pairs
// are characters, since a search may not start between its halves.
qsizetype MatchCursor::afterEmptyMatch(qsizetype at) const
{
    if (m_program->utf && at + 1 < m_subject.size() && m_subject[at].isHighSurrogate() &&
        m_subject[at + 1].isLowSurrogate())
        return at + 2;
    return at + 1;
}

}  // namespace vbscript::detail
