// The control's undo members over the editing window's undo and the whole-document snapshot,
// and the ruler calls they make.
#include "richtext/core/XrRTB.h"

#include "platform/richedit/view/Messages.h"
#include "richtext/core/SpecialUndo.h"

bool XrRTB::GetCanUndoSpecial()
{
    return m_undo->GetCanUndoSpecial();
}

void XrRTB::SaveSpecialUndoData()
{
    m_undo->SaveSpecialUndoData();
}

void XrRTB::SaveRegularUndoData()
{
    m_undo->SaveRegularUndoData();
}

void XrRTB::SaveDeleteUndoData()
{
    m_undo->SaveDeleteUndoData();
}

void XrRTB::SaveInLinkUndoData()
{
    m_undo->SaveInLinkUndoData();
}

bool XrRTB::CanUndo()
{
    return m_undo->CanUndo();
}

QVariant XrRTB::Undo()
{
    return m_undo->Undo();
}

void XrRTB::HyperUndo()
{
    m_undo->HyperUndo();
}

void XrRTB::ClearUndoBuffer()
{
    richedit::sendMessage(RichTextBox1->hWnd(), richedit::EM_EMPTYUNDOBUFFER, 0, 0);
}
