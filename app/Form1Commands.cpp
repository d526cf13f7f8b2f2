// The file, edit, insert and format commands of the main window: thin calls into the editing
// control, then the focus back into it and a refresh of the toolbar where the command asks.
#include "app/Form1.h"
#include "app/InitMod.h"
#include "app/ShellLauncher.h"
#include "platform/runtime/VbFormat.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"

#include <QAction>

namespace app {

void Form1::menuNew_Click()
{
    // A second instance of the program; this window and its document stay as they are.
    OpenWithAssociatedProgram(programPath(), this);
}

void Form1::menuSelectAll_Click()
{
    XrRTB1->SelectAllText();
}

void Form1::menuFont_Click()
{
    XrRTB1->ShowFontSelect();
    XrRTB1->SetInFocus();
}

void Form1::menuHighlight_Click()
{
    host::OLE_COLOR color = XrRTB1->MyHLColor();
    XrRTB1->HighLightText(color);
    RefreshToolbarState();
    XrRTB1->SetInFocus();
}

void Form1::menuCase_Click(QAction* entry)
{
    if (entry == menuUpperCase)
        XrRTB1->VanticUpperCase();
    else if (entry == menuLowerCase)
        XrRTB1->VanticLowerCase();
    else if (entry == menuTitleCase)
        XrRTB1->VanticTitleCase();
    else if (entry == menuToggleCase)
        XrRTB1->VanticToggleCase();
}

void Form1::insertText(const QString& text)
{
    XrRTB1->LetSelText(text);
}

void Form1::menuRegDate_Click()
{
    insertText(QLatin1Char(' ') + vb::Format(now().date(), QStringLiteral("Short Date")) +
               QLatin1Char(' '));
}

void Form1::menuWriteDate_Click()
{
    insertText(QLatin1Char(' ') + vb::Format(now().date(), QStringLiteral("mmmm dd, yyyy")) +
               QLatin1Char(' '));
}

void Form1::menuRegTime_Click()
{
    insertText(QLatin1Char(' ') + vb::Format(now().time(), QStringLiteral("Long Time")) +
               QLatin1Char(' '));
}

void Form1::menuMilitTime_Click()
{
    // FormatTime24: hours 00 to 23.
    insertText(QLatin1Char(' ') + vb::Format(now().time(), QStringLiteral("Hh:Mm:Ss")) +
               QLatin1Char(' '));
}

void Form1::toolbarButton_Click(XrUCbutton* button)
{
    if (m_pendingButtons.contains(button))
        return;
    XrRTB& control = *XrRTB1;
    bool value = button->Value();
    if (button == BoldButton)
        control.LetSelBold(value);
    else if (button == ItalicsButton)
        control.LetSelItalic(value);
    else if (button == UnderlineButton)
        control.LetSelUnderline(value);
    else if (button == StrikethruButton)
        control.LetSelStrikeThru(value);
    else if (button == BulletsButton)
        control.LetSelBullet(value);
    else if (button == NumbersButton) {
        ListNN method = value ? ListNumberQ : ListNoneQ;
        control.ListStyle(method);
    } else if (button == AlignLeftButton)
        control.AlignLeft(value);
    else if (button == CenterButton)
        control.AlignCenter(value);
    else if (button == AlignRightButton)
        control.AlignRight(value);
    else if (button == FontButton) {
        control.ShowFontSelect();
        control.SetInFocus();
        return;
    } else if (button == FontColorButton) {
        control.LetSelColor(control.MyFontColor());
        control.SetInFocus();
        return;
    } else if (button == HighLightButton) {
        host::OLE_COLOR color = control.MyHLColor();
        control.HighLightText(color);
        control.SetInFocus();
        RefreshToolbarState();
        return;
    } else {
        return;
    }
    // The formatting buttons show the control's answer again, then the editor takes the keys.
    RefreshToolbarState();
    control.SetInFocus();
}

}  // namespace app
