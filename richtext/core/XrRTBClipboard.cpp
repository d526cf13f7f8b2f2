// The control's clipboard members, its changed flag and undo buffer.
#include "richtext/core/XrRTB.h"

#include "platform/host/HourglassCursor.h"
#include "platform/richedit/view/Messages.h"
#include "richtext/common/RichTextLibraryState.h"

#include <exception>

namespace {

intptr_t send(richedit::RichTextBox* window, uint32_t message, intptr_t wParam = 0)
{
    return richedit::sendMessage(window->hWnd(), message, wParam, 0);
}

}  // namespace

QVariant XrRTB::Delete()
{
    if (RichTextBox1->SelText().isEmpty())
        return QVariant();
    emit Begin();
    if (RichTextBox1->SelText().size() == RichTextBox1->Text().size())
        SaveSpecialUndoData();
    send(RichTextBox1, richedit::WM_CLEAR);
    if (RichTextBox1->Text().isEmpty())
        UnlinkRange(RichTextBox1->SelStart());
    emit Finish();
    emit Ready();
    return QVariant();
}

QVariant XrRTB::Copy()
{
    if (!RichTextBox1->SelText().isEmpty())
        send(RichTextBox1, richedit::WM_COPY);
    return QVariant();
}

QVariant XrRTB::Paste()
{
    emit Begin();
    if (send(RichTextBox1, richedit::EM_CANPASTE) != 0) {
        host::HourglassCursor hourglass;
        bool lock = true;
        LockWindowUpdateEx(lock);
        auto& library = RichTextLibraryState::instance();
        library.PasteState = RichTextLibraryState::PasteFreezing;
        try {
            if (IsSelectionHyperLink() && m_settings.DetectHyperLinks)
                UnlinkRange(RichTextBox1->SelStart());
            SaveSpecialUndoData();
            if (RichTextBox1->SelText().size() == RichTextBox1->Text().size())
                RichTextBox1->setTextRTF(QString());
            send(RichTextBox1, richedit::WM_PASTE);
            if (m_settings.RemoveUnUsableData)
                CleanData();
            if (m_settings.DetectHyperLinks) {
                library.StopLinkPass = false;
                int32_t caret = RichTextBox1->SelStart();
                HyperLinkPass(caret);
            }
        } catch (const std::exception&) {
            // A failed step ends the paste; the display and PasteState are put back below.
        }
        library.PasteState = 0;
        lock = false;
        LockWindowUpdateEx(lock);
    }
    emit Finish();
    emit Ready();
    return QVariant();
}

bool XrRTB::CanPaste()
{
    return send(RichTextBox1, richedit::EM_CANPASTE) != 0;
}

QVariant XrRTB::Cut()
{
    if (RichTextBox1->SelText().isEmpty())
        return QVariant();
    emit Begin();
    if (RichTextBox1->SelText().size() == RichTextBox1->Text().size())
        SaveSpecialUndoData();
    send(RichTextBox1, richedit::WM_CUT);
    if (RichTextBox1->Text().isEmpty())
        UnlinkRange(RichTextBox1->SelStart());
    emit Finish();
    emit Ready();
    return QVariant();
}

bool XrRTB::HasRTBChanged()
{
    return send(RichTextBox1, richedit::EM_GETMODIFY) != 0;
}

QVariant XrRTB::SetRTBChanged()
{
    bool unchanged = false;
    return SetRTBChanged(unchanged);
}

QVariant XrRTB::SetRTBChanged(bool& BoolValQ)
{
    send(RichTextBox1, richedit::EM_SETMODIFY, BoolValQ ? -1 : 0);
    return QVariant();
}

QVariant XrRTB::EmptyRTBUndoRedoBuffer()
{
    ClearUndoBuffer();
    return QVariant();
}
