// Automatic links in a 1 MB document where about 2 % of the words are addresses: the key
// release that runs the typing link pass (goal: under one frame, 16 ms), and the whole-document
// link pass next to a bare scan of the address pattern over the same text (goal: within 3x).
// Also the whole-document pass over N addresses in one paragraph against the same addresses one
// per paragraph, timed in the same run (goal: within 3x).
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/core/XrRTB.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "richtext/scanning/ReplaceAllEngine.h"

#include "bench/GeneratedText.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <cstdlib>

namespace {

// Every 50th word an address, alternating web and e-mail.
QString documentWithAddresses(qsizetype size)
{
    const QString words = generatedText(size);
    QString text;
    text.reserve(size + size / 10);
    int word = 0;
    for (qsizetype start = 0; start < words.size();) {
        qsizetype end = start;
        while (end < words.size() && words.at(end) != u' ' && words.at(end) != u'\r')
            ++end;
        if (++word % 50 == 0)
            text += word % 100 == 0 ? QStringLiteral("www.site%1.example.com").arg(word)
                                    : QStringLiteral("user%1@mail.example.org").arg(word);
        else
            text += QStringView(words).mid(start, end - start);
        qsizetype next = end;
        while (next < words.size() &&
               (words.at(next) == u' ' || words.at(next) == u'\r' || words.at(next) == u'\n'))
            ++next;
        text += QStringView(words).mid(end, next - end);
        start = next;
    }
    return text;
}

const QString& document()
{
    static const QString text = documentWithAddresses(1 << 20);
    return text;
}

struct Control {
    XrRTB control;
    richedit::RichTextView* view = nullptr;
    richedit::RichTextBox* window = nullptr;

    Control()
    {
        control.resize(900, 700);
        control.show();
        window = control.findChild<richedit::RichTextBox*>(QStringLiteral("RichTextBox1"));
        view = control.findChild<richedit::RichTextView*>(QStringLiteral("RichTextBox1View"));
        control.LetText(document());
        QApplication::processEvents();
    }
    void key(Qt::Key which, const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, which, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, which, Qt::NoModifier, text);
        QApplication::sendEvent(view, &press);
        QApplication::sendEvent(view, &release);
    }
};

// A space typed right after an address in the middle of the document: its release runs the
// typing link pass over the caret's line, which finds the address and marks it.
void BM_KeyReleaseWithTypingLinkPass(benchmark::State& state)
{
    Control ui;
    const QString& text = document();
    const qsizetype address = text.indexOf(QStringLiteral("www."), text.size() / 2);
    const qsizetype after = text.indexOf(u' ', address);
    ui.window->setSelStart(int32_t(after));
    // "." arms the link check, which stays armed across the spaces below.
    ui.key(Qt::Key_Period, QStringLiteral("."));
    ui.key(Qt::Key_Backspace, QString());
    for (auto _ : state) {
        ui.key(Qt::Key_Space, QStringLiteral(" "));
        state.PauseTiming();
        ui.key(Qt::Key_Backspace, QString());
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rtfLength"] = double(ui.window->engine().textRtfLength());
    // 1 when the pass ran to its snapshot and mark, as the release is meant to make it.
    state.counters["linked"] =
        ui.control.GetCanUndoSpecial() &&
                ui.window->engine().document().formatAt(int32_t(address)).lcid == richedit::LinkLcid
            ? 1
            : 0;
}
BENCHMARK(BM_KeyReleaseWithTypingLinkPass)->Unit(benchmark::kMillisecond);

// The whole-document pass that marks every address.
void BM_HyperLinkDocument(benchmark::State& state)
{
    Control ui;
    for (auto _ : state) {
        state.PauseTiming();
        ui.control.LetText(document());
        // The new text's own layout and paint are no part of the pass.
        QApplication::processEvents();
        benchmark::DoNotOptimize(ui.control.TotalLineCount());
        state.ResumeTiming();
        ui.control.HyperLinkDocument();
    }
}
BENCHMARK(BM_HyperLinkDocument)->Unit(benchmark::kMillisecond);

// Runs a pass over text made of `count` items, once with each item in its own paragraph and once
// with all of them in one paragraph, in one run; the reported time is the one-paragraph pass,
// "ratio" the one against the other.
template <typename Pass>
void oneParagraphAgainstSpread(benchmark::State& state, const QString& (*itemText)(int), Pass pass)
{
    const int count = int(state.range(0));
    QString oneParagraph;
    QString spread;
    for (int i = 0; i < count; ++i) {
        oneParagraph += itemText(i) + u' ';
        spread += itemText(i) + QStringLiteral("\r\n");
    }
    Control ui;
    const auto timedPass = [&](const QString& text) {
        ui.control.LetText(text);
        QApplication::processEvents();
        benchmark::DoNotOptimize(ui.control.TotalLineCount());
        QElapsedTimer timer;
        timer.start();
        pass(ui.control);
        // What the window shows afterwards is part of the pass's cost.
        benchmark::DoNotOptimize(ui.control.TotalLineCount());
        return double(timer.nsecsElapsed()) / 1e9;
    };
    double one = 0;
    double many = 0;
    for (auto _ : state) {
        many = timedPass(spread);
        one = timedPass(oneParagraph);
        state.SetIterationTime(one);
    }
    state.counters["spreadMs"] = many * 1e3;
    state.counters["ratio"] = many > 0 ? one / many : 0;
}

// An address between two words, alternating web and e-mail.
const QString& addressItem(int i)
{
    static QString item;
    item = i % 2 == 0 ? QStringLiteral("see www.site%1.example.com").arg(i)
                      : QStringLiteral("mail user%1@mail.example.org").arg(i);
    return item;
}

// The whole-document link pass over N addresses.
void BM_HyperLinkDocumentOneParagraph(benchmark::State& state)
{
    oneParagraphAgainstSpread(state, addressItem, [](XrRTB& control) {
        control.HyperLinkDocument();
        const richedit::Document& document =
            control.findChild<richedit::RichTextBox*>(QStringLiteral("RichTextBox1"))
                ->engine()
                .document();
        // The last address carries the link.
        if (document.formatAt(document.length() - 3).lcid != richedit::LinkLcid)
            std::abort();
    });
}
BENCHMARK(BM_HyperLinkDocumentOneParagraph)
    ->Arg(10000)
    ->Arg(30000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A statement with three keywords.
const QString& statementItem(int i)
{
    static QString item;
    item = QStringLiteral("Dim value%1 As Long").arg(i);
    return item;
}

// Keyword colouring over N statements.
void BM_KeywordColouringOneParagraph(benchmark::State& state)
{
    oneParagraphAgainstSpread(state, statementItem,
                              [](XrRTB& control) { control.ApplyVB6Syntax(); });
}
BENCHMARK(BM_KeywordColouringOneParagraph)
    ->Arg(3000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Replace All of a keyword by a longer one in a new colour, the window frozen as the replace
// command freezes it.
void BM_ReplaceAllOneParagraph(benchmark::State& state)
{
    oneParagraphAgainstSpread(state, statementItem, [](XrRTB& control) {
        auto* window = control.findChild<richedit::RichTextBox*>(QStringLiteral("RichTextBox1"));
        int32_t caret = 0;
        int32_t count = 0;
        window->engine().freeze();
        ReplaceAllEngine(*window).ReplaceAllMatchCase(
            QStringLiteral("Long"), QStringLiteral("Integer"), caret, true, 0x0000FF, count);
        window->engine().unfreeze();
        if (count == 0)
            std::abort();
    });
}
BENCHMARK(BM_ReplaceAllOneParagraph)
    ->Arg(3000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The bare scan the pass is compared with: every match of the address pattern, nothing marked.
void BM_BareAddressScan(benchmark::State& state)
{
    const QString& text = document();
    long matches = 0;
    for (auto _ : state) {
        vbscript::RegExp expression;
        expression.setPattern(AddressPattern);
        expression.setIgnoreCase(true);
        expression.setGlobal(true);
        matches = expression.Execute(text).Count();
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = double(matches);
}
BENCHMARK(BM_BareAddressScan)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
