#include "richtext/core/SpecialUndo.h"

#include "platform/host/HourglassCursor.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/ViewKeeper.h"

#include <QStringList>

namespace {

RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

// Spaces only, as the runtime's Trim removes them.
QString trimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

}  // namespace

SpecialUndo::SpecialUndo(richedit::RichTextBox& window, ViewKeeper& view, int32_t& undoKeyState,
                         SpecialUndoHooks hooks)
    : m_window(window), m_view(view), m_undoKeyState(undoKeyState), m_hooks(std::move(hooks))
{
}

bool SpecialUndo::GetCanUndoSpecial() const
{
    return library().SpecialUndoSnapshot.held;
}

void SpecialUndo::storeSnapshot()
{
    auto& snapshot = library().SpecialUndoSnapshot;
    snapshot.SelLength = m_window.SelLength();
    snapshot.SelStart = m_window.SelStart();
    snapshot.RTF = BuildUndoSnapshot();
    snapshot.held = true;
}

void SpecialUndo::emptyUndoBuffer()
{
    richedit::sendMessage(m_window.hWnd(), richedit::EM_EMPTYUNDOBUFFER, 0, 0);
}

void SpecialUndo::SaveSpecialUndoData()
{
    m_view.SaveViewPos2();
    storeSnapshot();
}

void SpecialUndo::SaveRegularUndoData()
{
    if (m_undoKeyState > 0)
        return;
    m_view.SaveViewPos2();
    // The window's undo is single-level and toggles: the second Undo puts the edit back.
    Undo();
    storeSnapshot();
    Undo();
}

void SpecialUndo::SaveDeleteUndoData()
{
    if (m_undoKeyState == 1) {
        emptyUndoBuffer();
        return;
    }
    Undo();
    m_view.SaveViewPos2();
    storeSnapshot();
    Undo();
    emptyUndoBuffer();
}

void SpecialUndo::SaveInLinkUndoData()
{
    if (m_undoKeyState > 0)
        return;
    SaveSpecialUndoData();
}

bool SpecialUndo::CanUndo()
{
    const intptr_t can = richedit::sendMessage(m_window.hWnd(), richedit::EM_CANUNDO, 0, 0);
    return can != 0 && !library().SyntaxRunning;
}

QVariant SpecialUndo::Undo()
{
    m_hooks.begin();
    if (richedit::sendMessage(m_window.hWnd(), richedit::EM_CANUNDO, 0, 0) == 0)
        return QVariant();
    richedit::sendMessage(m_window.hWnd(), richedit::EM_UNDO, 0, 0);
    m_hooks.finish();
    m_hooks.ready();
    m_undoKeyState = 0;
    m_hooks.syncRulerHandles();
    return QVariant();
}

void SpecialUndo::HyperUndo()
{
    host::HourglassCursor hourglass;
    // The stop request is for a pass running under this swap only; left set, it would make
    // every later pass, the user's own included, mark nothing.
    const bool stopRequestedBefore = library().StopLinkPass;
    library().StopLinkPass = true;
    m_undoKeyState = 0;
    m_hooks.begin();
    m_hooks.freeze(true);

    const QString currentRtf = BuildUndoSnapshot();
    const int32_t currentStart = m_window.SelStart();
    const int32_t currentLength = m_window.SelLength();

    auto& snapshot = library().SpecialUndoSnapshot;
    m_window.setTextRTF(trimSpaces(snapshot.RTF));
    if (m_hooks.detectHyperLinks()) {
        library().StopLinkPass = false;
        m_hooks.hyperLinkPassUndo();
    }
    m_window.setSelStart(snapshot.SelStart);
    m_window.setSelLength(snapshot.SelLength);
    m_hooks.freeze(false);
    library().StopLinkPass = stopRequestedBefore;

    switch (library().SpecialUndoKind) {
        case HyperLinkUD:
            m_view.RestoreViewPos2();
            break;
        case ReplaceTextUD:
            // Successive undos after a replace alternate between the two views.
            if (library().ViewPos3Restored)
                m_view.RestoreViewPos2();
            else
                m_view.RestoreViewPos3(library().ReplaceViewLines);
            break;
        default:
            break;
    }

    snapshot.RTF = currentRtf;
    snapshot.SelStart = currentStart;
    snapshot.SelLength = currentLength;

    m_hooks.finish();
    m_hooks.ready();
    m_hooks.syncRulerHandles();
    m_hooks.setRulerTabs();
    emptyUndoBuffer();
}

QString SpecialUndo::BuildUndoSnapshot()
{
    const QString text = m_window.Text();
    if (text.isEmpty())
        return m_window.TextRTF();
    return filterSnapshotLines(m_hooks.documentRtf(), text);
}

QString SpecialUndo::filterSnapshotLines(const QString& rtf, const QString& text)
{
    const QStringList rtfLines = rtf.split(QLatin1Char('\n'));
    const QStringList textLines = text.split(QLatin1Char('\n'));
    const QString loneParagraph = QStringLiteral("\\par \r");
    QStringList kept;
    kept.reserve(rtfLines.size());
    qsizetype j = 0;
    bool seen = false;
    for (const QString& line : rtfLines) {
        if (!seen) {
            if (!line.contains(QLatin1String("\\pard\\"))) {
                kept.append(line);
                continue;
            }
            seen = true;
        }
        if (line == loneParagraph && j < textLines.size()) {
            const QString& textLine = textLines.at(j);
            if (!textLine.isEmpty() && textLine != QLatin1String("\r"))
                continue;
        }
        kept.append(line);
        ++j;
    }
    return kept.join(QLatin1Char('\n'));
}
