// Keyword colouring of a 1 MB Basic source file, and Replace All of a common word in a 1 MB
// document and in one paragraph of 100 KB, each against a bare PCRE2 scan of the same patterns
// followed by the formatting or replacing that the matches call for. The goal is a ratio
// within 3.
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/KeywordColouring.h"
#include "richtext/scanning/ReplaceAllEngine.h"

#include "bench/GeneratedText.h"
#include "bench/RatioReporter.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <benchmark/benchmark.h>
#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr qsizetype documentSize = 1 << 20;

// Basic source: declarations, loops, literals and comments, the same on every run.
const QString& basicSource()
{
    static const QString text = [] {
        static const char* const lines[] = {
            "Dim counter As Integer ' how many",
            "Private Sub Form_Load()",
            "    label = \"Press Start to begin\"",
            "    For index = 1 To 10 Step 2",
            "        If counter > index Then counter = counter - 1",
            "    Next index",
            "rem keep the window in place",
            "    Set item = New Collection",
            "    total = Len(name) + Len (title)",
            "End Sub",
        };
        QString source;
        source.reserve(documentSize + 128);
        for (size_t line = 0; source.size() < documentSize; ++line) {
            source += QLatin1String(lines[line % std::size(lines)]);
            source += QStringLiteral("\r\n");
        }
        return source;
    }();
    return text;
}

const QString& prose()
{
    static const QString text = generatedText(documentSize);
    return text;
}

const QString& oneParagraph()
{
    static const QString text =
        generatedText(100 * 1024).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return text;
}

// A pattern compiled once with JIT, and a match loop over a subject.
class BareScan {
public:
    explicit BareScan(const QString& pattern)
    {
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR16>(pattern.constData()),
                               PCRE2_SIZE(pattern.size()), PCRE2_UTF | PCRE2_CASELESS, &error,
                               &offset, nullptr);
        pcre2_jit_compile(m_code, PCRE2_JIT_COMPLETE);
        m_data = pcre2_match_data_create_from_pattern(m_code, nullptr);
    }
    ~BareScan()
    {
        pcre2_match_data_free(m_data);
        pcre2_code_free(m_code);
    }
    BareScan(const BareScan&) = delete;
    BareScan& operator=(const BareScan&) = delete;

    // Start and end of every match.
    std::vector<std::pair<int32_t, int32_t>> matches(const QString& text)
    {
        std::vector<std::pair<int32_t, int32_t>> found;
        const auto units = reinterpret_cast<PCRE2_SPTR16>(text.constData());
        const auto length = PCRE2_SIZE(text.size());
        PCRE2_SIZE from = 0;
        uint32_t options = 0;
        while (pcre2_match(m_code, units, length, from, options, m_data, nullptr) >= 0) {
            const PCRE2_SIZE* bounds = pcre2_get_ovector_pointer(m_data);
            found.emplace_back(int32_t(bounds[0]), int32_t(bounds[1]));
            from = bounds[1] > bounds[0] ? bounds[1] : bounds[1] + 1;
            options = PCRE2_NO_UTF_CHECK;
        }
        return found;
    }

private:
    pcre2_code* m_code = nullptr;
    pcre2_match_data* m_data = nullptr;
};

void select(richedit::RichTextBox& box, int32_t start, int32_t end)
{
    richedit::CharRange range{start, end};
    richedit::sendMessage(box.hWnd(), richedit::EM_EXSETSEL, 0, reinterpret_cast<intptr_t>(&range));
}

KeywordSet vb6Set()
{
    KeywordSet set;
    set.memberName = QStringLiteral("ApplyVB6Syntax");
    set.commentPattern = CommentPattern;
    set.stringPattern = QStringLiteral(R"("[^"\r\n]*")");
    set.keywordPattern = VB6KeyWordPattern;
    set.commentColor = [] { return host::OLE_COLOR(0x8000); };
    set.stringColor = [] { return host::OLE_COLOR(0xC0); };
    set.keywordColor = [] { return host::OLE_COLOR(0xC00000); };
    set.keywordList = KeywordColouring::keywordListResource(102);
    set.suppressSelChangeWholeText = true;
    return set;
}

void KeywordColouringPass(benchmark::State& state)
{
    richedit::RichTextBox box;
    bool cancel = false;
    bool suppress = false;
    KeywordColouringHooks hooks;
    hooks.begin = hooks.finish = hooks.ready = [] {};
    hooks.saveViewPos = hooks.restoreViewPos = [] {};
    hooks.lockWindowUpdate = [&box](bool on) {
        on ? box.engine().freeze() : box.engine().unfreeze();
    };
    KeywordColouring colouring(box, hooks, cancel, suppress);
    const KeywordSet set = vb6Set();
    for (auto _ : state) {
        state.PauseTiming();
        box.setText(basicSource());
        RichTextLibraryState::instance().reset();
        state.ResumeTiming();
        colouring.apply(set, Syntax_All_Text, Remove_All_Formatting);
    }
}
BENCHMARK(KeywordColouringPass)->Unit(benchmark::kMillisecond)->Iterations(3);

// The least colouring can do: the three scans, the base font and colour, one colour per match.
void BareColouring(benchmark::State& state)
{
    richedit::RichTextBox box;
    BareScan comments(CommentPattern);
    BareScan strings(QStringLiteral(R"("[^"\r\n]*")"));
    BareScan keywords(VB6KeyWordPattern);
    for (auto _ : state) {
        state.PauseTiming();
        box.setText(basicSource());
        state.ResumeTiming();
        const QString text = box.Text();
        const auto found = {comments.matches(text), strings.matches(text), keywords.matches(text)};
        box.engine().freeze();
        select(box, 0, -1);
        box.engine().setSelFontName(QStringLiteral("Courier New"));
        box.engine().setSelFontSize(10);
        box.engine().setSelColor(0);
        uint32_t color = 0x8000;
        for (const auto& role : found) {
            for (const auto& [start, end] : role) {
                select(box, start, end);
                box.engine().setSelColor(color);
            }
            color += 0x40;
        }
        box.engine().unfreeze();
    }
}
BENCHMARK(BareColouring)->Unit(benchmark::kMillisecond)->Iterations(3);

void replaceAllCommonWord(benchmark::State& state, const QString& text)
{
    richedit::RichTextBox box;
    int32_t count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        box.setText(text);
        box.setSelStart(0);
        RichTextLibraryState::instance().reset();
        count = 0;
        state.ResumeTiming();
        int32_t caret = 0;
        box.engine().freeze();
        ReplaceAllEngine(box).ReplaceAllWholeWordAnyCase(QStringLiteral("the"), QStringLiteral("a"),
                                                         caret, false, 0, count);
        box.engine().unfreeze();
    }
    state.counters["replacements"] = count;
}

// The least Replace All can do: one scan, then each match replaced in place.
void bareReplaceAll(benchmark::State& state, const QString& text)
{
    richedit::RichTextBox box;
    BareScan scan(QStringLiteral(R"(\bthe\b)"));
    size_t count = 0;
    const QString replacement = QStringLiteral("a");
    for (auto _ : state) {
        state.PauseTiming();
        box.setText(text);
        state.ResumeTiming();
        const auto found = scan.matches(box.Text());
        box.engine().freeze();
        int32_t shift = 0;
        for (const auto& [start, end] : found) {
            select(box, start + shift, end + shift);
            box.engine().replaceSel(replacement, false);
            shift += int32_t(replacement.size()) - (end - start);
        }
        box.engine().unfreeze();
        count = found.size();
    }
    state.counters["replacements"] = double(count);
}

void ReplaceAllCommonWord(benchmark::State& state)
{
    replaceAllCommonWord(state, prose());
}
BENCHMARK(ReplaceAllCommonWord)->Unit(benchmark::kMillisecond)->Iterations(3);

void BareReplaceAll(benchmark::State& state)
{
    bareReplaceAll(state, prose());
}
BENCHMARK(BareReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void ReplaceAllInOneParagraph(benchmark::State& state)
{
    replaceAllCommonWord(state, oneParagraph());
}
BENCHMARK(ReplaceAllInOneParagraph)->Unit(benchmark::kMillisecond)->Iterations(3);

void BareReplaceAllInOneParagraph(benchmark::State& state)
{
    bareReplaceAll(state, oneParagraph());
}
BENCHMARK(BareReplaceAllInOneParagraph)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printRatio("KeywordColouringPass", "BareColouring", "within 3");
    reporter.printRatio("ReplaceAllCommonWord", "BareReplaceAll", "within 3");
    reporter.printRatio("ReplaceAllInOneParagraph", "BareReplaceAllInOneParagraph", "within 3");
    return 0;
}
