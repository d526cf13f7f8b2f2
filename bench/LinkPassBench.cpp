// Automatic links in a 1 MB document where about 2 % of the words are addresses: the key
// release that runs the typing link pass (goal: under one frame, 16 ms), and the whole-document
// link pass next to a bare scan of the address pattern over the same text (goal: within 3x).
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/RichTextView.h"
#include "richtext/core/XrRTB.h"
#include "richtext/scanning/HyperlinkMark.h"

#include "bench/GeneratedText.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QKeyEvent>

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
