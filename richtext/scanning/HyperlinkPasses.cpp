#include "richtext/scanning/HyperlinkPasses.h"

#include "platform/host/HourglassCursor.h"
#include "platform/host/MessageBox.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "richtext/common/LineQueries.h"
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "richtext/scanning/ViewKeeper.h"

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

void HyperlinkPasses::markMatches(const QString& text, int32_t offset)
{
    vbscript::RegExp expression = addressExpression();
    vbscript::MatchCollection matches;
    try {
        matches = expression.Execute(text);
    } catch (const vb::VbError&) {
        return;
    }
    LongPass pass(&library().StopLinkPass, LongPass::EventLoop::Closed);
    for (const vbscript::Match match : matches) {
        if (!pass.proceed())
            break;
        m_mark.markRangeAtOnce(offset + match.FirstIndex(), match.Length());
        clearUndoBuffer();
        pass.stepDone();
    }
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
    m_hooks.begin();
    host::HourglassCursor hourglass;
    const QString text = m_window.Text();
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
        markMatches(text, 0);
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
    const QString text = m_window.Text();
    if (!mayHoldAddress(text) || library().LinkPassRunning)
        return;
    if (addressFound(text)) {
        RunningFlag running;
        Frozen frozen(m_hooks.freeze);
        markMatches(text, 0);
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
    const QString text = m_window.Text();
    if (!mayHoldAddress(text) || library().LinkPassRunning)
        return;
    if (addressFound(text)) {
        RunningFlag running;
        markMatches(text, 0);
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
    int32_t lineStart = 0;
    int32_t lineLength = 0;
    const QString line = m_lines.GetLineText(lineStart, lineLength);
    if (!mayHoldAddress(line))
        return;
    m_view.SaveViewPos1();
    if (addressFound(line)) {
        RunningFlag running;
        Frozen frozen(m_hooks.freeze);
        m_hooks.saveRegularUndoData();
        markMatches(line, lineStart - 1);
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
    const QString line = m_lines.GetPrevLineText();
    const int32_t offset = m_lines.GetPosOfFirstCharInPrevLine();
    if (addressFound(line)) {
        m_view.SaveViewPos1();
        RunningFlag running;
        Frozen frozen(m_hooks.freeze);
        m_hooks.saveRegularUndoData();
        markMatches(line, offset);
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
    RunningFlag running;
    Frozen frozen(m_hooks.freeze);
    // The line and the character after it.
    m_mark.unmarkRangeInTwoSteps(lineStart - 1, lineStart + lineLength);
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
