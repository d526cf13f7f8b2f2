// The control's dialog launchers, display freeze, abort flags and its small library members.
#include "richtext/core/XrRTB.h"

#include "platform/host/MessageBox.h"
#include "platform/richedit/view/Messages.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/FileManagementMod.h"
#include "richtext/core/FontFrm.h"
#include "richtext/language/CountWordsFrm.h"
#include "richtext/language/RandomFrm.h"
#include "richtext/language/SpellCheckFrm.h"
#include "richtext/printing/PrintPreview.h"
#include "richtext/scanning/FindReplaceFrm.h"

#include <algorithm>
#include <exception>

namespace {

// Gives the editing control's library state its shorter name in this file.
RichTextLibraryState& library()
{
    return RichTextLibraryState::instance();
}

// Runs an action when the scope is left, whether normally or by an exception.
template <typename Action>
class OnExit {
public:
    explicit OnExit(Action action) : m_action(std::move(action)) {}
    ~OnExit() { m_action(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    Action m_action;
};

}  // namespace

// --- Abort flags and progress ---

QVariant XrRTB::Cancel_Syntax()
{
    // Only a running pass polls and clears SyntaxCancel; a request now would cancel the next.
    if (library().SyntaxRunning)
        SyntaxCancel = true;
    return QVariant();
}

bool XrRTB::CanCancelSyntax() const
{
    return library().SyntaxRunning;
}

int32_t XrRTB::ProgressPercentage() const
{
    return library().ProgressPercentage();
}

void XrRTB::KillSwitch()
{
    library().SpellScanAbort = true;
}

void XrRTB::ExitFindRep()
{
    library().ReplaceAbort = true;
}

// --- Display freeze ---

void XrRTB::LockWindowUpdateEx(bool& MyLockBool)
{
    // Paste froze the display itself and unfreezes it at its end; the passes it runs inside
    // must not unbalance that.
    if (library().PasteState == RichTextLibraryState::PasteFreezing)
        return;
    // Without a document (none offered, or let go while the find dialog is open) nothing
    // happens.
    if (!TextDocument.isValid())
        return;
    if (MyLockBool)
        TextDocument.Freeze();
    else
        TextDocument.Unfreeze();
}

// --- Launchers ---

void XrRTB::ShowPrintPreview()
{
    SharedRichTextScope handOver(RichTextBox1);
    RichTextBox1->engine().setDispId2Flag(true);
    // The flag is put back on every way out, so a failed preview leaves the window as it was.
    OnExit resetFlag([this] { RichTextBox1->engine().setDispId2Flag(false); });
    RichTextLibraryState::instance().SharedPrintMargin = m_settings.PrinterMargin;
    PrintPreview preview(this);
    preview.showModal();
}

void XrRTB::ShowFontSelect()
{
    {
        SharedRichTextScope handOver(RichTextBox1);
        FontFrm dialog(this);
        dialog.showModal();
    }
    emit Ready();
}

void XrRTB::SetDefaultFontMode()
{
    RichTextLibraryState::instance().DefaultFontMode = true;
}

void XrRTB::EndDefaultFontMode()
{
    RichTextLibraryState::instance().DefaultFontMode = false;
}

void XrRTB::ShareDefaultFontData(DEFUALT_FONT_DATA& MyDefFontData)
{
    RichTextLibraryState::instance().DefaultFontData = MyDefFontData;
}

DEFUALT_FONT_DATA XrRTB::GetDefaultFontData()
{
    return RichTextLibraryState::instance().DefaultFontData;
}

void XrRTB::ShowFindReplace()
{
    emit Begin();
    TextDocument = richedit::TextDocument();
    {
        // A fresh document is taken on every way out: a failed dialog must not leave the
        // control unable to freeze its display for the rest of its life.
        OnExit retake([this] { obtainTextDocument(); });
        SharedRichTextScope handOver(RichTextBox1);
        FindReplaceFrm dialog(this);
        dialog.exec();
    }
    emit Finish();
}

void XrRTB::ShowSpellCheck()
{
    emit Begin();
    const int32_t startBefore = RichTextBox1->SelStart();
    {
        SharedRichTextScope handOver(RichTextBox1);
        SpellCheckFrm dialog(this);
        dialog.showModal();
    }
    // Setting SelStart collapses the selection to a caret there.
    RichTextBox1->setSelStart(startBefore);
    emit Finish();
}

void XrRTB::ShowWordCount()
{
    SharedRichTextScope handOver(RichTextBox1);
    CountWordsFrm dialog(this);
    dialog.showModal();
}

void XrRTB::ShowRandomWord()
{
    RandomFrm dialog(this);
    dialog.showModal();
}

// --- Small members ---

int32_t XrRTB::TopLineSelStart()
{
    const intptr_t handle = RichTextBox1->hWnd();
    const intptr_t firstLine =
        richedit::sendMessage(handle, richedit::EM_GETFIRSTVISIBLELINE, 0, 0);
    const intptr_t index = richedit::sendMessage(handle, richedit::EM_LINEINDEX, firstLine, 0);
    return index >= 0 ? static_cast<int32_t>(std::min<intptr_t>(index, INT32_MAX)) : 0;
}

QString XrRTB::GetHelpFile()
{
    bool noColon = false;
    return GetHelpFile(noColon);
}

QString XrRTB::GetHelpFile(bool& NoColonFilePath)
{
    try {
        QString helpFile;
        const QString helpPath = FileManagementMod::BuildHelpFilePath(helpFile);
        return NoColonFilePath ? helpFile : helpPath;
    } catch (const std::exception&) {
        return QString();
    }
}

void XrRTB::Tamsel()
{
    host::MsgBox(QStringLiteral("Hello, and thank you for writing with XrRichTextBox!"),
                 host::vbInformation, QStringLiteral("Greetings"), this);
}
