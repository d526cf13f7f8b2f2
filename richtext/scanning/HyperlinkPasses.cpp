#include "richtext/scanning/HyperlinkPasses.h"

#include "platform/host/HourglassCursor.h"
#include "platform/host/MessageBox.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/model/ParagraphRuns.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "richtext/common/LineQueries.h"
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "richtext/scanning/ShownAddresses.h"
#include "richtext/scanning/ViewKeeper.h"

#include <algorithm>

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

vbscript::RegExp addressExpression()
{
    vbscript::RegExp expression;
    expression.setPattern(AddressPattern);
    expression.setIgnoreCase(true);
    expression.setGlobal(true);
    return expression;
}

// Holds LinkPassRunning for a marking block and clears it on every way out, so that a failing
// step can never leave every later pass locked out.
class RunningFlag {
public:
    RunningFlag() { library().LinkPassRunning = true; }
    ~RunningFlag() { library().LinkPassRunning = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;
};

// The display freeze of a marking block, released on every way out.
class Frozen {
public:
    explicit Frozen(const std::function<void(bool)>& freeze) : m_freeze(freeze) { m_freeze(true); }
    ~Frozen() { release(); }
    void release()
    {
        if (m_held)
            m_freeze(false);
        m_held = false;
    }
    Frozen(const Frozen&) = delete;
    Frozen& operator=(const Frozen&) = delete;

private:
    const std::function<void(bool)>& m_freeze;
    bool m_held = true;
};

}  // namespace

HyperlinkPasses::HyperlinkPasses(richedit::RichTextBox& window, HyperlinkMark& mark,
                                 ViewKeeper& view, LineQueries& lines, HyperlinkPassHooks hooks)
    : m_window(window), m_mark(mark), m_view(view), m_lines(lines), m_hooks(std::move(hooks))
{
}

bool HyperlinkPasses::mayHoldAddress(const QString& text)
{
    return text.contains(QLatin1Char('@')) || text.contains(QLatin1Char(':')) ||
           text.contains(QLatin1String("www"), Qt::CaseInsensitive);
}

bool HyperlinkPasses::addressFound(const QString& text)
{
    try {
        vbscript::RegExp expression = addressExpression();
        return expression.Test(text);
    } catch (const vb::VbError&) {
        return false;
    }
}

void HyperlinkPasses::markMatches(const richedit::ShownText& shown, const std::vector<bool>* linked)
{
    vbscript::RegExp expression = addressExpression();
    LongPass pass(&library().StopLinkPass, LongPass::EventLoop::Closed);
    // Each mark's undo step is emptied right after it: none is recorded.
    richedit::DiscardedUndo discarded(m_window.engine());
    forEachShownAddress(
        expression, shown,
        [&](const vbscript::Match& match, qsizetype first, richedit::CharRange range) {
            if (!pass.proceed())
                return false;
            if (linked) {
                const auto on = linked->begin() + first;
                if (std::all_of(on, on + match.Length(), [](bool set) { return set; })) {
                    pass.stepDone();
                    return true;
                }
            }
            m_mark.markRangeAtOnce(range.cpMin, range.cpMax - range.cpMin);
            clearUndoBuffer();
            pass.stepDone();
            return true;
        });
}

richedit::CharRange HyperlinkPasses::caretStretch(int32_t caret) const
{
    const richedit::Document& document = m_window.engine().document();
    const int index = document.paragraphAt(document.snap(caret));
    const richedit::ParagraphText& text = document.paragraph(index).text;
    const int32_t length = int32_t(text.size());
    const int32_t paragraphStart = document.paragraphStart(index);
    const int32_t at = std::clamp(caret - paragraphStart, 0, length);
    int32_t from = std::max(0, at - TypingReach);
    int32_t to = std::min(length, at + TypingReach);
    if (from > 0) {
        for (int32_t i = from; i < at; ++i) {
            if (text.at(i).isSpace()) {
                from = i + 1;
                break;
            }
        }
    }
    if (to < length) {
        for (int32_t i = to - 1; i >= at; --i) {
            if (text.at(i).isSpace()) {
                to = i;
                break;
            }
        }
    }
    return {paragraphStart + from, paragraphStart + to};
}

std::vector<bool> HyperlinkPasses::linkedCharacters(const richedit::ShownText& shown) const
{
    const richedit::CharRange read = shown.range(0, shown.size());
    const std::vector<bool> linked = linkedCharacters(read.cpMin, read.cpMax - read.cpMin);
    std::vector<bool> shownLinked(size_t(shown.size()), false);
    for (qsizetype i = 0; i < shown.size(); ++i)
        shownLinked[size_t(i)] = linked[size_t(shown.position(i) - read.cpMin)];
    return shownLinked;
}

std::vector<bool> HyperlinkPasses::linkedCharacters(int32_t start, int32_t length) const
{
    std::vector<bool> linked(size_t(std::max(length, 0)), false);
    const richedit::Document& document = m_window.engine().document();
    const int index = document.paragraphAt(document.snap(start));
    const int32_t from = start - document.paragraphStart(index);
    // One walk over the runs: reading the format character by character would walk them again
    // for every character.
    richedit::forEachRun(document.paragraph(index), from, from + length,
                         [&](const richedit::TextRun& run, int32_t runFrom, int32_t runTo) {
                             const richedit::CharFormat& format = document.format(run.format);
                             if (format.lcid != richedit::LinkLcid || !format.is(richedit::Link))
                                 return;
                             for (int32_t i = runFrom; i < runTo; ++i)
                                 linked[size_t(i - from)] = true;
                         });
    return linked;
}

void HyperlinkPasses::restoreCaret(int32_t caret)
{
    m_window.setSelStart(caret);
    m_window.setSelLength(0);
}

void HyperlinkPasses::clearUndoBuffer()
{
    richedit::sendMessage(m_window.hWnd(), richedit::EM_EMPTYUNDOBUFFER, 0, 0);
}

void HyperlinkPasses::HyperLinkDocument()
{
    // The user asked for this pass: a stop request left over from an earlier command must not
    // swallow it. A request held by a running replace (SyntaxRunning) still stands.
    if (!library().SyntaxRunning)
        library().StopLinkPass = false;
    m_hooks.begin();
    host::HourglassCursor hourglass;
    const richedit::ShownText shown(m_window.engine().document());
    const QString& text = shown.text();
    if (!mayHoldAddress(text))
        return;
    const int32_t caret = m_window.SelStart();
    m_view.SaveViewPos1();
    if (library().LinkPassRunning) {
        m_hooks.finish();
        m_hooks.ready();
        return;
    }
    if (addressFound(text)) {
        RunningFlag running;
        Frozen frozen(m_hooks.freeze);
        markMatches(shown);
        restoreCaret(caret);
        frozen.release();
        library().SpecialUndoKind = HyperLinkUD;
        m_view.RestoreViewPos1();
    }
    ResetEndLocale(m_window.SelStart());
    hourglass.restore();
    m_hooks.finish();
    m_hooks.ready();
}

void HyperlinkPasses::HyperLinkPass(int32_t caret)
{
    if (!m_hooks.detectHyperLinks())
        return;
    host::HourglassCursor hourglass;
    const richedit::ShownText shown(m_window.engine().document());
    const QString& text = shown.text();
    if (!mayHoldAddress(text) || library().LinkPassRunning)
        return;
    if (addressFound(text)) {
        RunningFlag running;
        Frozen frozen(m_hooks.freeze);
        markMatches(shown);
        restoreCaret(caret);
        frozen.release();
        library().SpecialUndoKind = HyperLinkUD;
        // The view the caller's undo snapshot saved.
        m_view.RestoreViewPos2();
    }
    ResetEndLocale(m_window.SelStart());
}

void HyperlinkPasses::HyperLinkPassUndo()
{
    if (!m_hooks.detectHyperLinks())
        return;
    host::HourglassCursor hourglass;
    const richedit::ShownText shown(m_window.engine().document());
    const QString& text = shown.text();
    if (!mayHoldAddress(text) || library().LinkPassRunning)
        return;
    if (addressFound(text)) {
        RunningFlag running;
        markMatches(shown);
    }
    ResetEndLocale(m_window.SelStart());
}

void HyperlinkPasses::AutoLinkWhileTyping(int32_t caret)
{
    if (!m_hooks.detectHyperLinks())
        return;
    if (m_hooks.documentRtfLength() > TypingRtfLimit) {
        m_hooks.disableHyperLinks();
        host::MsgBox(QStringLiteral("The current file is very large or contains images, automatic "
                                    "hyperlinking has been disabled to improve performance.") +
                         QStringLiteral("\r\n") +
                         QStringLiteral("Simply click the Detect Hyperlinks button to use "
                                        "hyperlinking as needed."),
                     host::vbInformation, QStringLiteral("Automatic Hyperlinking Disabled"),
                     m_hooks.owner ? m_hooks.owner() : nullptr);
        return;
    }
    if (library().LinkPassRunning)
        return;
    const richedit::ShownText shown(m_window.engine().document(), caretStretch(caret));
    if (!mayHoldAddress(shown.text()))
        return;
    m_view.SaveViewPos1();
    if (addressFound(shown.text())) {
        RunningFlag running;
        Frozen frozen(m_hooks.freeze);
        m_hooks.saveRegularUndoData();
        const std::vector<bool> linked = linkedCharacters(shown);
        markMatches(shown, &linked);
        restoreCaret(caret);
        frozen.release();
        m_view.RestoreViewPos1();
    }
    ResetEndLocale(m_window.SelStart());
}

void HyperlinkPasses::RelinkAfterEnter(int32_t caret)
{
    if (!m_hooks.detectHyperLinks() || library().LinkPassRunning)
        return;
    if (!mayHoldAddress(m_window.Text()))
        return;
    // The paragraph around the line before the caret's, so that an address wrapped across
    // that line's start is seen whole.
    const richedit::ShownText shown(m_window.engine().document(),
                                    caretStretch(m_lines.GetPosOfFirstCharInPrevLine()));
    if (addressFound(shown.text())) {
        m_view.SaveViewPos1();
        RunningFlag running;
        Frozen frozen(m_hooks.freeze);
        m_hooks.saveRegularUndoData();
        const std::vector<bool> linked = linkedCharacters(shown);
        markMatches(shown, &linked);
        restoreCaret(caret);
        frozen.release();
        m_view.RestoreViewPos1();
    }
    ResetEndLocale(m_window.SelStart());
}

void HyperlinkPasses::UnHyperLinkDocument()
{
    if (m_hooks.detectHyperLinks() || library().LinkPassRunning)
        return;
    const int32_t caret = m_window.SelStart();
    m_view.SaveViewPos1();
    host::HourglassCursor hourglass;
    unmarkWholeDocument(caret, &ViewKeeper::RestoreViewPos1);
}

void HyperlinkPasses::unmarkWholeDocument(int32_t caret, void (ViewKeeper::*restoreView)())
{
    RunningFlag running;
    const int32_t length = m_window.SelLength();
    Frozen frozen(m_hooks.freeze);
    m_mark.unmarkRangeAtOnce(0, -1);
    clearUndoBuffer();
    m_window.setSelStart(caret);
    m_window.setSelLength(length);
    frozen.release();
    library().SpecialUndoKind = HyperLinkUD;
    (m_view.*restoreView)();
}

void HyperlinkPasses::UnlinkRange(int32_t caret)
{
    if (library().LinkPassRunning)
        return;
    host::HourglassCursor hourglass;
    unmarkWholeDocument(caret, &ViewKeeper::RestoreViewPos2);
}

void HyperlinkPasses::UnlinkAtCaret(int32_t caret)
{
    if (library().LinkPassRunning)
        return;
    int32_t lineStart = 1;
    int32_t lineLength = 0;
    m_lines.GetLineText(lineStart, lineLength);
    // The line and the character after it, widened to the whole of a link that runs on over
    // either end of the line (a wrapped address), so that no part of it keeps a stale mark.
    const richedit::CharRange stretch = caretStretch(caret);
    const int32_t stretchStart = stretch.cpMin;
    const int32_t stretchEnd = stretch.cpMax;
    const std::vector<bool> linked = linkedCharacters(stretchStart, stretchEnd - stretchStart);
    auto linkedAt = [&](int32_t position) {
        return position >= stretchStart && position < stretchEnd &&
               linked[size_t(position - stretchStart)];
    };
    int32_t from = lineStart - 1;
    while (linkedAt(from - 1))
        --from;
    int32_t to = lineStart + lineLength;
    while (linkedAt(to))
        ++to;
    RunningFlag running;
    Frozen frozen(m_hooks.freeze);
    m_mark.unmarkRangeInTwoSteps(from, to);
    clearUndoBuffer();
    restoreCaret(caret);
}

void HyperlinkPasses::ResetEndLocale(int32_t caret)
{
    if (library().LinkPassRunning)
        return;
    m_view.SaveViewPos1();
    host::HourglassCursor hourglass;
    RunningFlag running;
    const int32_t length = m_window.SelLength();
    const int32_t end = int32_t(m_window.Text().size());
    Frozen frozen(m_hooks.freeze);
    m_mark.setRangeLocale(end, end + 2, richedit::PlainLcid);
    m_window.setSelStart(caret);
    m_window.setSelLength(length);
    frozen.release();
    m_view.RestoreViewPos1();
    library().SpecialUndoKind = HyperLinkUD;
    clearUndoBuffer();
}
