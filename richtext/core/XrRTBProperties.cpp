// The control's properties: those passed to the editing window, the selection's, and the
// settings the control holds itself.
#include "richtext/core/XrRTB.h"

#include "platform/host/PropertySchema.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/core/FileManagementMod.h"

#include <limits>
#include <optional>

namespace {

// A selection value as a 16-bit Integer: a mixed value, and one the conversion refuses, read
// as 0.
template <class T>
int16_t integerOrZero(const std::optional<T>& value)
{
    if (!value)
        return 0;
    try {
        return vb::CInt(static_cast<double>(*value));
    } catch (const vb::VbError&) {
        return 0;
    }
}

}  // namespace

// --- Passed to the editing window ---

void XrRTB::LetAppearance(int value)
{
    m_Appearance = static_cast<AppearEnum>(vb::CInt(static_cast<double>(value)));
    propertyWritten("Appearance");
}

host::OLE_COLOR XrRTB::BackColor() const
{
    return RichTextBox1->BackColor();
}

void XrRTB::LetBackColor(host::OLE_COLOR value)
{
    RichTextBox1->setBackColor(value);
    propertyWritten("BackColor");
}

BorderEnum XrRTB::BorderStyle() const
{
    return static_cast<BorderEnum>(RichTextBox1->BorderStyle());
}

void XrRTB::LetBorderStyle(int value)
{
    // The most negative Long has no positive counterpart.
    if (value == std::numeric_limits<int>::min())
        vb::raiseError(vb::ErrOverflow);
    vb::raiseIfFailed(RichTextBox1->setBorderStyle(value < 0 ? -value : value));
    propertyWritten("BorderStyle");
}

float XrRTB::BulletIndent() const
{
    return m_BulletIndent;
}

void XrRTB::LetBulletIndent(float value)
{
    applyBulletIndent(value);
    propertyWritten("BulletIndent");
}

// The editing window indents by whole twips; the property keeps the fraction it was given.
void XrRTB::applyBulletIndent(float twips)
{
    RichTextBox1->setBulletIndent(vb::CLng(twips));
    m_BulletIndent = twips;
}

bool XrRTB::Enabled() const
{
    return RichTextBox1->Enabled();
}

void XrRTB::LetEnabled(bool value)
{
    RichTextBox1->setEnabled(value);
    propertyWritten("Enabled");
}

QFont XrRTB::Font() const
{
    return RichTextBox1->Font();
}

void XrRTB::SetFont(const QFont& value)
{
    RichTextBox1->setFont(value);
    propertyWritten("Font");
}

bool XrRTB::Locked() const
{
    return RichTextBox1->Locked();
}

void XrRTB::LetLocked(bool value)
{
    RichTextBox1->setLocked(value);
    propertyWritten("Locked");
}

int32_t XrRTB::MaxLength() const
{
    return RichTextBox1->MaxLength();
}

void XrRTB::LetMaxLength(int32_t value)
{
    RichTextBox1->setMaxLength(value);
    propertyWritten("MaxLength");
}

QImage XrRTB::MouseIcon() const
{
    return RichTextBox1->MouseIcon();
}

void XrRTB::SetMouseIcon(const QImage& value)
{
    RichTextBox1->setMouseIcon(value);
    propertyWritten("MouseIcon");
}

int32_t XrRTB::MousePointer() const
{
    return RichTextBox1->MousePointer();
}

void XrRTB::LetMousePointer(int32_t value)
{
    vb::raiseIfFailed(RichTextBox1->setMousePointer(value));
    propertyWritten("MousePointer");
}

float XrRTB::RightMargin() const
{
    return static_cast<float>(RichTextBox1->RightMargin());
}

void XrRTB::LetRightMargin(float value)
{
    RichTextBox1->setRightMargin(value);
    propertyWritten("RightMargin");
}

QString XrRTB::Text() const
{
    return RichTextBox1->Text();
}

void XrRTB::LetText(const QString& value)
{
    RichTextBox1->setText(value);
    propertyWritten("Text");
}

QString XrRTB::TextRTF() const
{
    return RichTextBox1->TextRTF();
}

void XrRTB::LetTextRTF(const QString& value)
{
    RichTextBox1->setTextRTF(value);
    propertyWritten("TextRTF");
}

// --- The selection ---

QString XrRTB::SelText() const
{
    return RichTextBox1->SelText();
}

void XrRTB::LetSelText(const QString& value)
{
    RichTextBox1->setSelText(value);
}

QString XrRTB::SelRTF() const
{
    return RichTextBox1->SelRTF();
}

void XrRTB::LetSelRTF(const QString& value)
{
    RichTextBox1->setSelRTF(value);
}

QString XrRTB::SelFontName() const
{
    return RichTextBox1->engine().selFontName().value_or(QString());
}

void XrRTB::LetSelFontName(const QString& value)
{
    RichTextBox1->engine().setSelFontName(value);
}

bool XrRTB::SelBold() const
{
    return RichTextBox1->engine().selBold().value_or(false);
}

void XrRTB::LetSelBold(bool value)
{
    RichTextBox1->engine().setSelBold(value);
}

bool XrRTB::SelItalic() const
{
    return RichTextBox1->engine().selItalic().value_or(false);
}

void XrRTB::LetSelItalic(bool value)
{
    RichTextBox1->engine().setSelItalic(value);
}

bool XrRTB::SelUnderline() const
{
    return RichTextBox1->engine().selUnderline().value_or(false);
}

void XrRTB::LetSelUnderline(bool value)
{
    RichTextBox1->engine().setSelUnderline(value);
}

bool XrRTB::SelStrikeThru() const
{
    return RichTextBox1->engine().selStrikeThru().value_or(false);
}

void XrRTB::LetSelStrikeThru(bool value)
{
    RichTextBox1->engine().setSelStrikeThru(value);
}

bool XrRTB::SelBullet() const
{
    return RichTextBox1->engine().selBullet().value_or(false);
}

void XrRTB::LetSelBullet(bool value)
{
    RichTextBox1->engine().setSelBullet(value);
}

bool XrRTB::SelProtected() const
{
    return RichTextBox1->engine().selProtected().value_or(false);
}

void XrRTB::LetSelProtected(bool value)
{
    RichTextBox1->engine().setSelProtected(value);
}

int16_t XrRTB::SelCharOffset() const
{
    return integerOrZero(RichTextBox1->engine().selCharOffset());
}

void XrRTB::LetSelCharOffset(int16_t value)
{
    RichTextBox1->engine().setSelCharOffset(value);
}

int16_t XrRTB::SelFontSize() const
{
    return integerOrZero(RichTextBox1->engine().selFontSize());
}

void XrRTB::LetSelFontSize(int16_t value)
{
    // The editing window holds sizes of 1 to 1638 points; anything else is refused, not kept.
    constexpr int16_t LargestFontSize = 1638;
    if (value < 1 || value > LargestFontSize)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    RichTextBox1->engine().setSelFontSize(value);
}

int16_t XrRTB::SelIndent() const
{
    return integerOrZero(RichTextBox1->engine().selIndent());
}

void XrRTB::LetSelIndent(int16_t value)
{
    RichTextBox1->engine().setSelIndent(value);
}

int16_t XrRTB::SelHangingIndent() const
{
    return integerOrZero(RichTextBox1->engine().selHangingIndent());
}

void XrRTB::LetSelHangingIndent(int16_t value)
{
    RichTextBox1->engine().setSelHangingIndent(value);
}

int16_t XrRTB::SelRightIndent() const
{
    return integerOrZero(RichTextBox1->engine().selRightIndent());
}

void XrRTB::LetSelRightIndent(int16_t value)
{
    RichTextBox1->engine().setSelRightIndent(value);
}

int16_t XrRTB::SelTabCount() const
{
    return integerOrZero(RichTextBox1->engine().selTabCount());
}

void XrRTB::LetSelTabCount(int16_t value)
{
    vb::raiseIfFailed(RichTextBox1->engine().setSelTabCount(value));
}

host::OLE_COLOR XrRTB::SelColor() const
{
    return RichTextBox1->engine().selColor().value_or(0);
}

void XrRTB::LetSelColor(host::OLE_COLOR value)
{
    RichTextBox1->engine().setSelColor(value);
}

int32_t XrRTB::SelStart() const
{
    return RichTextBox1->SelStart();
}

void XrRTB::LetSelStart(int32_t value)
{
    vb::raiseIfFailed(RichTextBox1->setSelStart(value));
}

int32_t XrRTB::SelLength() const
{
    return RichTextBox1->SelLength();
}

void XrRTB::LetSelLength(int32_t value)
{
    vb::raiseIfFailed(RichTextBox1->setSelLength(value));
}

int16_t XrRTB::SelTabs(int16_t e_ellmt) const
{
    return integerOrZero(RichTextBox1->engine().selTab(e_ellmt));
}

void XrRTB::LetSelTabs(int16_t e_ellmt, int16_t value)
{
    vb::raiseIfFailed(RichTextBox1->engine().setSelTab(e_ellmt, value));
}

// --- Held by the control ---

void XrRTB::LetAllowRTFSave(bool value)
{
    m_settings.AllowRTFSave = value;
    propertyWritten("AllowRTFSave");
}

void XrRTB::LetAutoVMenu(bool value)
{
    m_settings.AutoVMenu = value;
    propertyWritten("AutoVMenu");
}

void XrRTB::LetDetectHyperLinks(bool value)
{
    m_settings.DetectHyperLinks = value;
    propertyWritten("DetectHyperLinks", host::NotifyHost);
    RichTextLibraryState::instance().SharedDetectHyperLinks = value;
    propertyWritten("DetectHyperLinks", ~unsigned(host::NotifyHost));
}

void XrRTB::LetMyFontColor(host::OLE_COLOR value)
{
    m_settings.MyFontColor = value;
    propertyWritten("MyFontColor");
}

void XrRTB::LetMyHLColor(host::OLE_COLOR value)
{
    m_settings.MyHLColor = value;
    propertyWritten("MyHLColor");
}

void XrRTB::LetPrinterMargin(int32_t value)
{
    m_settings.PrinterMargin = value;
    propertyWritten("PrinterMargin");
    RefreshPageLayout();
}

void XrRTB::LetShowVB6Syntax(bool value)
{
    m_settings.ShowVB6Syntax = value;
    propertyWritten("ShowVB6Syntax");
}

void XrRTB::LetUseCustomFontDialog(bool value)
{
    m_settings.UseCustomFontDialog = value;
    propertyWritten("UseCustomFontDialog");
}

void XrRTB::LetWhatsThisHelpFile(const QString& value)
{
    m_settings.WhatsThisHelpFile = value;
    propertyWritten("WhatsThisHelpFile");
}

void XrRTB::LetInternalShutOFF(bool value)
{
    m_settings.InternalShutOFF = value;
    propertyWritten("InternalShutOFF");
}

void XrRTB::LetTurnOnSound(bool value)
{
    m_settings.TurnOnSound = value;
    propertyWritten("TurnOnSound");
}

void XrRTB::PointToWhatsThisHelpFile()
{
    FileManagementMod::setApplicationHelpFile(m_settings.WhatsThisHelpFile);
}

void XrRTB::LetAllowImages(bool value)
{
    m_settings.AllowImages = value;
    propertyWritten("AllowImages");
}

void XrRTB::LetRemoveUnUsableData(bool value)
{
    m_settings.RemoveUnUsableData = value;
    propertyWritten("RemoveUnUsableData");
}

void XrRTB::LetMyFirstString(const QString& value)
{
    m_settings.MyFirstString = value;
    propertyWritten("MyFirstString");
}

void XrRTB::LetMySecondString(const QString& value)
{
    m_settings.MySecondString = value;
    propertyWritten("MySecondString");
}

void XrRTB::LetMyThirdString(const QString& value)
{
    m_settings.MyThirdString = value;
    propertyWritten("MyThirdString");
}

void XrRTB::LetColorMyFirstKeyWord(host::OLE_COLOR value)
{
    m_settings.ColorMyFirstKeyWord = value;
    propertyWritten("ColorMyFirstKeyWord");
}

void XrRTB::LetColorMySecondKeyWord(host::OLE_COLOR value)
{
    m_settings.ColorMySecondKeyWord = value;
    propertyWritten("ColorMySecondKeyWord");
}

void XrRTB::LetColorMyThirdKeyWord(host::OLE_COLOR value)
{
    m_settings.ColorMyThirdKeyWord = value;
    propertyWritten("ColorMyThirdKeyWord");
}

void XrRTB::LetColorVBNetKeyWord(host::OLE_COLOR value)
{
    m_settings.ColorVBNetKeyWord = value;
    propertyWritten("ColorVBNetKeyWord");
}

void XrRTB::LetColorVBNetComment(host::OLE_COLOR value)
{
    m_settings.ColorVBNetComment = value;
    propertyWritten("ColorVBNetComment");
}

void XrRTB::LetColorVBNetString(host::OLE_COLOR value)
{
    m_settings.ColorVBNetString = value;
    propertyWritten("ColorVBNetString");
}

void XrRTB::LetColorVB6KeyWord(host::OLE_COLOR value)
{
    m_settings.ColorVB6KeyWord = value;
    propertyWritten("ColorVB6KeyWord");
}

void XrRTB::LetColorVB6Comment(host::OLE_COLOR value)
{
    m_settings.ColorVB6Comment = value;
    propertyWritten("ColorVB6Comment");
}

void XrRTB::LetColorVB6String(host::OLE_COLOR value)
{
    m_settings.ColorVB6String = value;
    propertyWritten("ColorVB6String");
}

void XrRTB::LetMyWrapStyle(int32_t value)
{
    m_settings.MyWrapStyle = value;
    propertyWritten("MyWrapStyle");
}

intptr_t XrRTB::hwnd() const
{
    return RichTextBox1->hWnd();
}

void XrRTB::LetDisplayRuler(bool value)
{
    m_settings.DisplayRuler = value;
    propertyWritten("DisplayRuler");
    LayoutControls();
}
