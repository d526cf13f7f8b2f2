#include "richtext/scanning/ReplaceCommand.h"

#include "platform/host/HourglassCursor.h"
#include "platform/host/MessageBox.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/model/Search.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbStrings.h"
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "richtext/scanning/ReplaceAllEngine.h"
#include "richtext/scanning/ReplaceUndo.h"
#include "richtext/scanning/ShownAddresses.h"
#include "richtext/scanning/TextFinder.h"
#include "richtext/scanning/ViewKeeper.h"
#include "richtext/scanning/WholeWord.h"

#include <QScopeGuard>
#include <algorithm>
#include <optional>

using richedit::CharRange;
using richedit::RichTextBox;
using richedit::sendMessage;
using richedit::TextDocument;
using richedit::TextRange;

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

const QString SearchComplete = QStringLiteral("Search Complete");

QString quoted(const QString& text)
{
    return QStringLiteral("The text: ''") + text + QStringLiteral("''");
}

void showNotFoundInDocument(const QString& find)
{
    host::MsgBox(quoted(find) + QStringLiteral(" not found in this document."), host::vbInformation,
                 SearchComplete);
}

bool isListedOption(int32_t options)
{
    return options == AllMatches || options == WholeWord || options == MatchCase ||
           options == WholeWord_MatchCase;
}

}  // namespace

bool FindAndSelect(TextDocument& document, const QString& text, int32_t direction, int32_t options)
{
    long found = 0;
    if (document.isValid()) {
        TextRange selection = document.Selection();
        found = selection.FindText(text, direction * document.StoryLength(), options);
    }
    if (found != 0)
        return false;
    const QString where = direction == -1 ? QStringLiteral(" not found ahead of cursor location.")
                                          : QStringLiteral(" not found after cursor location.");
    host::MsgBox(quoted(text) + where, host::vbInformation, SearchComplete);
    return true;
}

ReplaceCommand::ReplaceCommand(RichTextBox& window, TextDocument& document)
    : m_window(window), m_document(document)
{
}

intptr_t ReplaceCommand::send(uint32_t message, intptr_t wParam, intptr_t lParam)
{
    return sendMessage(m_window.hWnd(), message, wParam, lParam);
}

void ReplaceCommand::FreezeDocument(bool on)
{
    if (library().PasteState == RichTextLibraryState::PasteFreezing || !m_document.isValid())
        return;
    if (on)
        m_document.Freeze();
    else
        m_document.Unfreeze();
}

void ReplaceCommand::ClearWindowUndo()
{
    send(richedit::EM_EMPTYUNDOBUFFER);
}

bool ReplaceCommand::DocumentContains(const QString& find, int32_t options)
{
    const QString text = richedit::ShownText(m_window.engine().document()).text();
    switch (options) {
        case AllMatches:
            return vb::InStr(text, find, vb::vbTextCompare) > 0;
        case MatchCase:
            return vb::InStr(text, find, vb::vbBinaryCompare) > 0;
        case WholeWord:
        case WholeWord_MatchCase: {
            const vb::CompareMethod compare =
                options == WholeWord ? vb::vbTextCompare : vb::vbBinaryCompare;
            return FindWholeWord(1, text, find, compare, spacesSymbolsAndCtrl) != 0 &&
                   vb::InStr(text, find, compare) > 0;
        }
        default:
            return false;
    }
}

void ReplaceCommand::ReplaceText(const QString& find, const QString& replacement, int32_t mode,
                                 int32_t options, bool applyColor, uint32_t color, int32_t& count)
{
    RichTextLibraryState& state = library();
    if (state.SyntaxRunning)
        return;
    std::optional<host::HourglassCursor> hourglass(std::in_place);
    state.SyntaxRunning = true;
    state.StopLinkPass = true;
    bool closing = true;
    // The closing steps run however the command ends; a Replace All of a missing text has
    // already let go of everything and skips them.
    const auto close = qScopeGuard([&] {
        state.SyntaxRunning = false;
        state.StopLinkPass = false;
        if (closing)
            ClearWindowUndo();
        hourglass.reset();
    });
    try {
        if (mode == ReplaceAll) {
            if (!DocumentContains(find, options)) {
                closing = false;
                state.SyntaxRunning = false;
                state.StopLinkPass = false;
                hourglass.reset();
                showNotFoundInDocument(find);
                return;
            }
            replaceAll(find, replacement, options, applyColor, color, count);
        } else if (mode == ReplaceNext) {
            replaceNext(find, replacement, options, applyColor, color);
        }
    } catch (const vb::VbError&) {
        // Passed over; the closing steps still run.
    }
}

void ReplaceCommand::replaceAll(const QString& find, const QString& replacement, int32_t options,
                                bool applyColor, uint32_t color, int32_t& count)
{
    RichTextLibraryState& state = library();
    const intptr_t firstVisible = send(richedit::EM_GETFIRSTVISIBLELINE);
    state.ReplaceViewLines =
        int32_t(send(richedit::EM_LINEFROMCHAR, m_window.SelStart()) - firstVisible);
    const int32_t fallback =
        int32_t(std::max<intptr_t>(0, send(richedit::EM_LINEINDEX, firstVisible + 1)));

    state.ReplaceAbort = false;
    ReplaceUndo::SaveReplaceUndo(m_window);
    FreezeDocument(true);
    bool frozen = true;
    const auto thaw = qScopeGuard([&] {
        if (frozen)
            FreezeDocument(false);
    });
    m_window.setSelLength(0);

    int32_t caret = 0;
    ReplaceAllEngine engine(m_window);
    switch (options) {
        case AllMatches:
            engine.ReplaceAllAnyCase(find, replacement, caret, applyColor, color, count);
            break;
        case WholeWord:
            engine.ReplaceAllWholeWordAnyCase(find, replacement, caret, applyColor, color, count);
            break;
        case MatchCase:
            engine.ReplaceAllMatchCase(find, replacement, caret, applyColor, color, count);
            break;
        case WholeWord_MatchCase:
            engine.ReplaceAllWholeWordMatchCase(find, replacement, caret, applyColor, color, count);
            break;
        default:
            break;
    }
    if (caret < 0) {
        caret = fallback;
        state.ReplaceViewLines = 0;
    }
    m_window.setSelStart(caret);
    m_window.setSelLength(0);
    frozen = false;
    FreezeDocument(false);

    state.TopLinePos3 = caret;
    state.SpecialUndoKind = ReplaceTextUD;
    RestoreReplaceView();
    state.StopLinkPass = false;
    RelinkAfterReplace(caret);

    if (count != 0)
        host::MsgBox(
            QString::number(count) + QStringLiteral(" replacements made to this document."),
            host::vbInformation, SearchComplete);
    else
        showNotFoundInDocument(find);
}

void ReplaceCommand::replaceNext(const QString& find, const QString& replacement, int32_t options,
                                 bool applyColor, uint32_t color)
{
    if (m_window.SelLength() < 1) {
        FindAndSelect(m_document, find, 1, options);
        return;
    }
    m_window.setSelLength(0);
    if (!isListedOption(options))
        return;
    // The window's find over the shown text; a hidden run inside the hit goes with it.
    const CharRange found = richedit::findShownText(
        m_window.engine().document(), CharRange{m_window.SelStart(), -1}, find,
        uint32_t(options) & (richedit::WholeWord | richedit::MatchCase));
    const int32_t hit = found.cpMin;
    if (hit == -1) {
        m_window.setSelStart(0);
        FindAndSelect(m_document, find, 1, options);
        return;
    }
    ReplaceUndo::SaveReplaceUndo(m_window);
    const int32_t replacementLength = int32_t(replacement.size());
    m_window.setSelStart(hit);
    m_window.setSelLength(found.cpMax - hit);
    m_window.setSelText(replacement);
    if (applyColor) {
        m_window.setSelStart(hit);
        m_window.setSelLength(replacementLength);
        m_window.engine().setSelColor(color);
    }
    library().StopLinkPass = false;
    relinkRunAround(hit, replacementLength);
    if (FindAndSelect(m_document, find, 1, options)) {
        m_window.setSelStart(0);
        FindAndSelect(m_document, find, 1, options);
    }
}

void ReplaceCommand::relinkRunAround(int32_t start, int32_t length)
{
    const richedit::Document& document = m_window.engine().document();
    const int32_t end = document.length();
    auto linked = [&](int32_t position) {
        return position >= 0 && position < end &&
               document.formatAt(position).lcid == richedit::LinkLcid;
    };
    bool touchesLink = false;
    for (int32_t i = start - 1; i <= start + length && !touchesLink; ++i)
        touchesLink = linked(i);
    if (!touchesLink)
        return;
    int32_t from = std::min(start, end);
    while (linked(from - 1))
        --from;
    int32_t to = std::min(start + length, end);
    while (linked(to))
        ++to;
    const richedit::ShownText run(document, {from, to});
    HyperlinkMark links(m_window);
    links.unmarkRangeAtOnce(from, to);
    vbscript::RegExp addresses;
    addresses.setPattern(AddressPattern);
    addresses.setIgnoreCase(true);
    addresses.setGlobal(true);
    forEachShownAddress(addresses, run,
                        [&](const vbscript::Match&, qsizetype, richedit::CharRange range) {
                            links.markRangeAtOnce(range.cpMin, range.cpMax - range.cpMin);
                            return true;
                        });
    ClearWindowUndo();
    m_window.setSelStart(start);
    m_window.setSelLength(0);
}

void ReplaceCommand::RestoreReplaceView()
{
    ViewKeeper(m_window).RestoreViewPos3(library().ReplaceViewLines);
}

void ReplaceCommand::RelinkAfterReplace(int32_t caret)
{
    RichTextLibraryState& state = library();
    if (!state.SharedDetectHyperLinks || state.LinkPassRunning)
        return;
    // With automatic links on, the links are exactly the addresses: a replacement may have
    // broken one, so every mark is taken off before the addresses are marked again.
    {
        FreezeDocument(true);
        const auto thaw = qScopeGuard([&] { FreezeDocument(false); });
        HyperlinkMark(m_window).unmarkRangeAtOnce(0, -1);
        ClearWindowUndo();
        m_window.setSelStart(caret);
        m_window.setSelLength(0);
    }
    const richedit::ShownText shown(m_window.engine().document());
    const QString& text = shown.text();
    if (vb::InStr(text, QStringLiteral("www"), vb::vbTextCompare) == 0 && !text.contains(u':') &&
        !text.contains(u'@'))
        return;
    if (state.LinkPassRunning)
        return;
    vbscript::RegExp addresses;
    addresses.setPattern(AddressPattern);
    addresses.setIgnoreCase(true);
    addresses.setGlobal(true);
    if (!addresses.Test(text))
        return;

    state.LinkPassRunning = true;
    FreezeDocument(true);
    bool frozen = true;
    // A failure part-way still unfreezes once and lets the next link pass start.
    const auto done = qScopeGuard([&] {
        if (frozen)
            FreezeDocument(false);
        state.LinkPassRunning = false;
    });
    HyperlinkMark links(m_window);
    LongPass pass(&state.StopLinkPass, LongPass::EventLoop::Closed);
    forEachShownAddress(addresses, shown,
                        [&](const vbscript::Match&, qsizetype, richedit::CharRange range) {
                            if (!pass.proceed())
                                return false;
                            // Exactly the address carries the mark; the characters after it
                            // stay plain text.
                            links.markRange(range.cpMin, range.cpMax - range.cpMin);
                            ClearWindowUndo();
                            pass.stepDone();
                            return true;
                        });
    m_window.setSelStart(caret);
    m_window.setSelLength(0);
    frozen = false;
    FreezeDocument(false);
    state.SpecialUndoKind = ReplaceTextUD;
    RestoreReplaceView();
    state.LinkPassRunning = false;
}
