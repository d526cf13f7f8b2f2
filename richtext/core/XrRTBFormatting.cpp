// The control's formatting members, its Can queries, word wrap and the calls it passes on to
// the editing window.
#include "richtext/core/XrRTB.h"

#include "platform/host/Printer.h"
#include "platform/runtime/VbError.h"

#include <exception>

// --- Alignment and selection ---

QVariant XrRTB::AlignCenter(bool& MyBool)
{
    if (MyBool)
        m_formatting->align(SelectionFormatting::Center);
    return QVariant();
}

QVariant XrRTB::AlignRight(bool& MyBool)
{
    if (MyBool)
        m_formatting->align(SelectionFormatting::Right);
    return QVariant();
}

QVariant XrRTB::AlignLeft(bool& MyBool)
{
    if (MyBool)
        m_formatting->align(SelectionFormatting::Left);
    return QVariant();
}

QVariant XrRTB::GetAlignment()
{
    const std::optional<int> alignment = m_formatting->GetAlignment();
    return alignment ? QVariant(*alignment) : QVariant();
}

QVariant XrRTB::SelectAllText()
{
    m_formatting->SelectAllText();
    emit Ready();
    return QVariant();
}

// --- Passed on to the editing window ---

int32_t XrRTB::GetLineFromChar(int32_t lChar)
{
    return RichTextBox1->GetLineFromChar(lChar);
}

void XrRTB::Refresh()
{
    RichTextBox1->Refresh();
}

void XrRTB::SelPrint(bool vStartDoc)
{
    if (PrinterInstalled())
        RichTextBox1->SelPrint(vStartDoc);
}

void XrRTB::SetInFocus()
{
    RichTextBox1->SetFocus();
}

void XrRTB::Span(const QString& bstrCharacterSet, bool vForward, bool vNegate)
{
    RichTextBox1->Span(bstrCharacterSet, vForward, vNegate);
}

void XrRTB::ToolTipTxt(const QString& NewTip)
{
    RichTextBox1->setToolTipText(NewTip);
}

void XrRTB::UpTo(const QString& bstrCharacterSet, bool vForward, bool vNegate)
{
    RichTextBox1->UpTo(bstrCharacterSet, vForward, vNegate);
}

// --- Highlight, read-only, spacing, scripts and lists ---

QVariant XrRTB::HighLightText(host::OLE_COLOR& HighLightColor)
{
    m_formatting->HighLightText(HighLightColor);
    return QVariant();
}

bool XrRTB::IsTextHighLighted(host::OLE_COLOR& HighLightColor)
{
    return m_formatting->IsTextHighLighted(HighLightColor);
}

QVariant XrRTB::UnHighLightText()
{
    m_formatting->UnHighLightText(Unhighlight_All_Text);
    return QVariant();
}

QVariant XrRTB::UnHighLightText(Unhighlight_Behavior& All_or_Selected_Text)
{
    m_formatting->UnHighLightText(All_or_Selected_Text);
    return QVariant();
}

int32_t XrRTB::ReadOnly(bool& ApplyReadOnly)
{
    return m_formatting->ReadOnly(ApplyReadOnly);
}

void XrRTB::LineSpacing(LineSpc& LineMethod)
{
    m_formatting->LineSpacing(LineMethod);
}

void XrRTB::LineSpacing(LineSpc& LineMethod, int32_t& exactORmultiple)
{
    m_formatting->LineSpacing(LineMethod, exactORmultiple);
}

void XrRTB::ScriptStyle(ScripTT& ScriptMethod)
{
    m_formatting->ScriptStyle(ScriptMethod);
    emit Finish();
    emit Ready();
}

void XrRTB::ListStyle(ListNN& ListMethod)
{
    m_formatting->ListStyle(ListMethod);
    emit Finish();
    emit Ready();
}

bool XrRTB::SelListMethod(ListNN& ListMethod)
{
    return m_formatting->SelListMethod(ListMethod);
}

// --- Can queries ---

bool XrRTB::CanChangeCase()
{
    return m_formatting->HasSelectedText();
}

bool XrRTB::CanClear()
{
    return m_formatting->HasSelectedText();
}

bool XrRTB::CanCopy()
{
    return m_formatting->HasSelectedText();
}

bool XrRTB::CanCut()
{
    return m_formatting->HasSelectedText();
}

bool XrRTB::CanDelete()
{
    return m_formatting->HasSelectedText();
}

bool XrRTB::CanGetSpelling()
{
    return m_formatting->CanLookUpSelection();
}

bool XrRTB::CanGetSynonym()
{
    return m_formatting->CanLookUpSelection();
}

bool XrRTB::CanHighlight()
{
    return m_formatting->HasSelectedText();
}

bool XrRTB::CanSelectAll()
{
    return m_formatting->CanSelectAll();
}

// --- Word wrap ---

QVariant XrRTB::Word_Wrap(bool& Wrap)
{
    bool rulerWrap = true;
    return Word_Wrap(Wrap, rulerWrap);
}

QVariant XrRTB::Word_Wrap(bool& Wrap, bool& RulerWrap)
{
    if (!Wrap)
        m_formatting->wrapNowhere();
    else if (RulerWrap)
        SetPrinterWrap();
    else
        m_formatting->wrapAtWindow();
    emit Finish();
    emit Ready();
    return QVariant();
}
