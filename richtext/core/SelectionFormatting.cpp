#include "richtext/core/SelectionFormatting.h"

#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"

using namespace richedit;

namespace {

constexpr uint32_t AllColours = 0xFFFFFFFFu;  // -1: automatic, or a failed translation
constexpr uint16_t NumberWithFullStop = 0x200;

RtfFormatQ charRecord(uint32_t mask, uint32_t effects)
{
    RtfFormatQ record;
    record.cbSize = RtfFormatQSize;
    record.dwMask = mask;
    record.dwEffects = effects;
    return record;
}

ParaFormat2 paraRecord(uint32_t mask)
{
    ParaFormat2 record;
    record.cbSize = ParaFormat2Size;
    record.dwMask = mask;
    return record;
}

}  // namespace

SelectionFormatting::SelectionFormatting(RichTextBox& window) : m_window(window)
{
}

intptr_t SelectionFormatting::send(uint32_t message, intptr_t wParam, const void* record)
{
    return sendMessage(m_window.hWnd(), message, wParam, reinterpret_cast<intptr_t>(record));
}

void SelectionFormatting::align(Alignment alignment)
{
    m_window.engine().setSelAlignment(alignment);
}

std::optional<int> SelectionFormatting::GetAlignment() const
{
    return m_window.engine().selAlignment();
}

void SelectionFormatting::SelectAllText()
{
    const CharRange all{0, -1};
    send(EM_EXSETSEL, 0, &all);
}

void SelectionFormatting::HighLightText(host::OLE_COLOR HighLightColor)
{
    if (!HasSelectedText())
        return;
    if (IsTextHighLighted(HighLightColor)) {
        UnHighLightText(Unhighlight_Selected_Text);
        return;
    }
    if (HighLightColor == AllColours) {
        applyAutomaticBackground(SCF_SELECTION);
        return;
    }
    RtfFormatQ record = charRecord(BackColor, 0);
    record.crBackColor = host::TranslateOleColor(HighLightColor);
    send(EM_SETCHARFORMAT, SCF_SELECTION, &record);
}

bool SelectionFormatting::IsTextHighLighted(host::OLE_COLOR HighLightColor)
{
    if (!HasSelectedText())
        return false;
    RtfFormatQ record = charRecord(0, 0);
    send(EM_GETCHARFORMAT, SCF_SELECTION, &record);
    return record.crBackColor == host::TranslateOleColor(HighLightColor);
}

void SelectionFormatting::UnHighLightText(int32_t All_or_Selected_Text)
{
    if (All_or_Selected_Text == Unhighlight_All_Text)
        applyAutomaticBackground(SCF_ALL);
    else if (All_or_Selected_Text == Unhighlight_Selected_Text && HasSelectedText())
        applyAutomaticBackground(SCF_SELECTION);
}

void SelectionFormatting::applyAutomaticBackground(intptr_t scope)
{
    RtfFormatQ record = charRecord(BackColor, AutoBackColorEffect);
    record.crBackColor = AllColours;
    send(EM_SETCHARFORMAT, scope, &record);
}

int32_t SelectionFormatting::ReadOnly(bool ApplyReadOnly)
{
    return int32_t(sendMessage(m_window.hWnd(), EM_SETREADONLY, ApplyReadOnly ? -1 : 0, 0));
}

void SelectionFormatting::LineSpacing(int32_t LineMethod, int32_t exactORmultiple)
{
    ParaFormat2 record = paraRecord(richedit::LineSpacing);
    record.bLineSpacingRule = uint8_t(LineMethod);
    const bool valued = LineMethod == LineSpaceExactlyQ || LineMethod == LineSpaceMultipleQ;
    record.dyLineSpacing = valued ? exactORmultiple : 0;
    send(EM_SETPARAFORMAT, 0, &record);
}

void SelectionFormatting::ScriptStyle(int32_t ScriptMethod)
{
    uint32_t effect = 0;
    switch (ScriptMethod) {
        case SuperScriptQ:
            effect = Superscript;
            break;
        case SubScriptQ:
            effect = Subscript;
            break;
        case NoScriptQ:
            break;
        default:
            return;
    }
    const RtfFormatQ record = charRecord(SubSuperscript, effect);
    send(EM_SETCHARFORMAT, SCF_SELECTION, &record);
}

void SelectionFormatting::ListStyle(int32_t ListMethod)
{
    ParaFormat2 record = paraRecord(Numbering | NumberingStart | NumberingStyle);
    record.wNumbering = uint16_t(ListMethod);
    record.wNumberingStart = 1;
    record.wNumberingStyle = NumberWithFullStop;
    send(EM_SETPARAFORMAT, 0, &record);
}

bool SelectionFormatting::SelListMethod(int32_t ListMethod)
{
    ParaFormat2 record = paraRecord(0);
    send(EM_GETPARAFORMAT, 0, &record);
    return record.wNumbering == ListMethod;
}

bool SelectionFormatting::HasSelectedText() const
{
    return m_window.SelLength() > 0;
}

bool SelectionFormatting::CanLookUpSelection() const
{
    return HasSelectedText() && m_window.SelLength() < LookupLimit;
}

bool SelectionFormatting::CanSelectAll() const
{
    const int32_t length = m_window.engine().document().length();
    return length != 0 && m_window.SelLength() != length;
}

void SelectionFormatting::wrapNowhere()
{
    sendMessage(m_window.hWnd(), EM_SETTARGETDEVICE, 0, 1);
}

void SelectionFormatting::wrapAtWindow()
{
    sendMessage(m_window.hWnd(), EM_SETTARGETDEVICE, 0, 0);
}
