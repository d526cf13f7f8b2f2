// The file, edit, insert and format commands of the main window: thin calls into the editing
// control, then the focus back into it and a refresh of the toolbar where the command asks.
#include "app/Form1.h"
#include "app/InitMod.h"
#include "app/SettingsFile.h"
#include "app/ShellLauncher.h"
#include "platform/runtime/VbFormat.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"

#include <QAction>
#include <QTimer>

namespace app {
namespace {

void writeSetting(const char* key, const QString& value)
{
    IniWrite(SettingsSection, QString::fromLatin1(key), value, settingsFilePath());
}

}  // namespace

void Form1::menuNew_Click()
{
    // A second instance of the program; this window and its document stay as they are.
    OpenWithAssociatedProgram(programPath(), this);
}

void Form1::undoStep()
{
    if (XrRTB1->CanUndo())
        XrRTB1->Undo();
    else if (XrRTB1->GetCanUndoSpecial())
        XrRTB1->HyperUndo();
    RefreshToolbarState();
    XrRTB1->SetInFocus();
}

void Form1::menuFindReplace_Click()
{
    XrRTB1->ShowFindReplace();
    XrRTB1->SetInFocus();
    RefreshToolbarState();
}

void Form1::menuApplyVBSyntax_Click()
{
    // The colouring lets the event loop run, so the progress timer shows meanwhile.
    Timer1->start();
    XrRTB1->ApplyVB6Syntax();
    Timer1->stop();
}

void Form1::menuSpellCheck_Click()
{
    XrRTB1->ShowSpellCheck();
    XrRTB1->SetInFocus();
    RefreshToolbarState();
}

void Form1::menuFontColor_Click()
{
    int16_t error = 0;
    XrRTB1->LetMyFontColor(XrRTB1->CommonDialogSelColor(XrRTB1->MyFontColor(), error));
    SelectFontColor->setBackColor(XrRTB1->MyFontColor());
    writeSetting("FONTCOLOR", QString::number(XrRTB1->MyFontColor()));
    if (error != 32755)
        XrRTB1->LetSelColor(XrRTB1->MyFontColor());
    XrRTB1->SetInFocus();
    RefreshToolbarState();
    XrRTB1->SetInFocus();
}

void Form1::SelectFontColor_Click()
{
    // Only chooses the colour that FontColorButton applies.
    XrRTB1->LetMyFontColor(XrRTB1->CommonDialogSelColor(XrRTB1->MyFontColor()));
    SelectFontColor->setBackColor(XrRTB1->MyFontColor());
    writeSetting("FONTCOLOR", QString::number(XrRTB1->MyFontColor()));
}

void Form1::highlightColorChoice()
{
    XrRTB1->LetMyHLColor(XrRTB1->CommonDialogSelColor(XrRTB1->MyHLColor()));
    SelectHLColor->setBackColor(XrRTB1->MyHLColor());
    writeSetting("HIGHLIGHTCOLOR", QString::number(XrRTB1->MyHLColor()));
}

void Form1::hyperlinkStep()
{
    // Marking links does not count as an edit of an unchanged document.
    const bool unchanged = !XrRTB1->HasRTBChanged();
    XrRTB1->HyperLinkDocument();
    XrRTB1->SetInFocus();
    if (unchanged) {
        bool changed = false;
        XrRTB1->SetRTBChanged(changed);
    }
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
    else if (button == UndoButton) {
        undoStep();
        return;
    } else if (button == CutButton || button == CopyButton || button == PasteButton) {
        if (button == CutButton)
            control.Cut();
        else if (button == CopyButton)
            control.Copy();
        else
            control.Paste();
        control.SetInFocus();
        return;
    } else if (button == FindButton) {
        menuFindReplace_Click();
        return;
    } else if (button == SpellCheckButton) {
        menuSpellCheck_Click();
        return;
    } else if (button == PrintButton) {
        menuPrint_Click();
        return;
    } else if (button == SelectFontColor) {
        SelectFontColor_Click();
        return;
    } else if (button == SelectHLColor) {
        highlightColorChoice();
        return;
    } else if (button == HyperlinkButton) {
        hyperlinkStep();
        return;
    } else if (button == FontButton) {
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
