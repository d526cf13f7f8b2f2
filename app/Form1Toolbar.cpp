// The toolbar of 22 buttons on the frame, their clicks, and the refresh of toolbar and menu
// state from the editing control.
#include "app/ArtWork.h"
#include "app/Form1.h"
#include "controls/frame/XrFrameControl.h"
#include "platform/host/Units.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"

#include <QAction>

namespace app {
namespace {

constexpr int ButtonSize = 26;   // pixels
constexpr int ChoiceWidth = 12;  // the narrow colour-choice buttons
constexpr int GroupGap = 8;
constexpr int ButtonTop = 2;

struct ToolbarButton {
    XrUCbutton* Form1::*member;
    const char* name;
    ToolbarGlyph glyph;
    const char* tip;
    bool toggle;
    bool startsGroup;
};

const ToolbarButton Buttons[] = {
    {&Form1::BoldButton, "BoldButton", ToolbarGlyph::Bold, "Bold", true, false},
    {&Form1::ItalicsButton, "ItalicsButton", ToolbarGlyph::Italic, "Italic", true, false},
    {&Form1::UnderlineButton, "UnderlineButton", ToolbarGlyph::Underline, "Underline", true, false},
    {&Form1::StrikethruButton, "StrikethruButton", ToolbarGlyph::Strikethrough, "Strikethrough",
     true, false},
    {&Form1::BulletsButton, "BulletsButton", ToolbarGlyph::Bullets, "Bullets", true, true},
    {&Form1::NumbersButton, "NumbersButton", ToolbarGlyph::Numbers, "Numbering", true, false},
    {&Form1::AlignLeftButton, "AlignLeftButton", ToolbarGlyph::AlignLeft, "Align Left", true, true},
    {&Form1::CenterButton, "CenterButton", ToolbarGlyph::Center, "Center", true, false},
    {&Form1::AlignRightButton, "AlignRightButton", ToolbarGlyph::AlignRight, "Align Right", true,
     false},
    {&Form1::UndoButton, "UndoButton", ToolbarGlyph::Undo, "Undo", false, true},
    {&Form1::CutButton, "CutButton", ToolbarGlyph::Cut, "Cut", false, true},
    {&Form1::CopyButton, "CopyButton", ToolbarGlyph::Copy, "Copy", false, false},
    {&Form1::PasteButton, "PasteButton", ToolbarGlyph::Paste, "Paste", false, false},
    {&Form1::FindButton, "FindButton", ToolbarGlyph::Find, "Find / Replace", false, true},
    {&Form1::FontButton, "FontButton", ToolbarGlyph::Font, "Font", false, false},
    {&Form1::FontColorButton, "FontColorButton", ToolbarGlyph::FontColor, "Font Color", false,
     true},
    {&Form1::SelectFontColor, "SelectFontColor", ToolbarGlyph::ColorChoice, "Choose Font Color",
     false, false},
    {&Form1::HighLightButton, "HighLightButton", ToolbarGlyph::Highlight, "Highlight", false,
     false},
    {&Form1::SelectHLColor, "SelectHLColor", ToolbarGlyph::ColorChoice, "Choose Highlight Color",
     false, false},
    {&Form1::SpellCheckButton, "SpellCheckButton", ToolbarGlyph::SpellCheck, "Spell Check", false,
     true},
    {&Form1::PrintButton, "PrintButton", ToolbarGlyph::PrintPreview, "Print Preview", false, false},
    {&Form1::HyperlinkButton, "HyperlinkButton", ToolbarGlyph::Hyperlink, "Mark Links", false,
     false},
};

bool isColorChoice(const XrUCbutton* button, const Form1& form)
{
    return button == form.SelectFontColor || button == form.SelectHLColor;
}

}  // namespace

void Form1::createToolbar()
{
    QWidget* frame = XrFrameControl1 ? static_cast<QWidget*>(XrFrameControl1) : m_client;
    for (const ToolbarButton& entry : Buttons) {
        auto* button = new XrUCbutton(frame);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setPicture(toolbarIcon(entry.glyph));
        button->setToolTipText(QString::fromLatin1(entry.tip));
        button->setToggle(entry.toggle);
        button->setFocusPolicy(Qt::NoFocus);
        button->setProperty("startsGroup", entry.startsGroup);
        this->*entry.member = button;
        m_buttons.append(button);
        connect(button, &XrUCbutton::Click, this, [this, button] { toolbarButton_Click(button); });
    }
    SelectFontColor->setBackColor(0);
    SelectHLColor->setBackColor(0x00FFFF);
}

void Form1::layoutToolbarButtons()
{
    // The buttons start at the frame's visible left edge, so a frame pushed partly out of view
    // on a narrow window still shows every button.
    int x = 4 + std::max(0, -XrFrameControl1->x());
    const int top = std::max(ButtonTop, (XrFrameControl1->height() - ButtonSize) / 2);
    for (XrUCbutton* button : std::as_const(m_buttons)) {
        if (button->property("startsGroup").toBool())
            x += GroupGap;
        const int width = isColorChoice(button, *this) ? ChoiceWidth : ButtonSize;
        button->setGeometry(x, top, width, ButtonSize);
        x += width + 1;
    }
}

void Form1::RefreshToolbarState()
{
    if (!XrRTB1)
        return;
    XrRTB& control = *XrRTB1;
    BoldButton->setValue(control.SelBold());
    ItalicsButton->setValue(control.SelItalic());
    UnderlineButton->setValue(control.SelUnderline());
    StrikethruButton->setValue(control.SelStrikeThru());
    BulletsButton->setValue(control.SelBullet());
    ListNN numbered = ListNumberQ;
    NumbersButton->setValue(control.SelListMethod(numbered));
    // Mixed alignments read as Null, which shows no alignment down.
    const QVariant alignment = control.GetAlignment();
    const int align = alignment.isValid() && !alignment.isNull() ? alignment.toInt() : -1;
    AlignLeftButton->setValue(align == 0);
    CenterButton->setValue(align == 2);
    AlignRightButton->setValue(align == 1);
    const bool canUndo = control.CanUndo() || control.GetCanUndoSpecial();
    UndoButton->setEnabled(canUndo);
    const bool selected = control.SelLength() > 0;
    CutButton->setEnabled(selected);
    CopyButton->setEnabled(selected);
    const bool canPaste = control.CanPaste();
    PasteButton->setEnabled(canPaste);
    HighLightButton->setEnabled(selected);
    SelectHLColor->setBackColor(control.MyHLColor());
    SelectFontColor->setBackColor(control.MyFontColor());
    menuUndo->setEnabled(canUndo);
    menuCut->setEnabled(selected);
    menuCopy->setEnabled(selected);
    menuPaste->setEnabled(canPaste);
    menuDelete->setEnabled(control.SelLength() >= 1);
    menuSelectAll->setEnabled(control.CanSelectAll());
    const bool hasText = !control.Text().isEmpty();
    for (QAction* entry : {menuFindReplace, menuApplyVBSyntax, menuSpellCheck, menuWordCount})
        entry->setEnabled(hasText);
    menuHighlight->setEnabled(control.SelLength() >= 1);
    for (QAction* entry : {menuUpperCase, menuLowerCase, menuTitleCase, menuToggleCase})
        entry->setEnabled(selected);
}

}  // namespace app
