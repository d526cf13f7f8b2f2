// The option commands of the main window (switches of the editing control mirrored by check
// marks and settings keys), the appliers that run at start, Help and About, and the
// keyword-colouring progress display.
#include "app/AboutForm.h"
#include "app/Form1.h"
#include "app/InitMod.h"
#include "app/ScrivetApplication.h"
#include "app/SettingsFile.h"
#include "app/ShellLauncher.h"
#include "platform/host/MessageBox.h"
#include "platform/widgets/StatusBar.h"
#include "platform/widgets/XrUCbutton.h"
#include "richtext/core/XrRTB.h"

#include <QAction>
#include <QTimer>

namespace app {
namespace {

QString readSetting(const char* key)
{
    return IniRead(SettingsSection, QString::fromLatin1(key), settingsFilePath());
}

qint16 readInt16(const char* key)
{
    return readSettingInt16(SettingsSection, QString::fromLatin1(key), settingsFilePath(), -1);
}

qint32 readInt32(const char* key, qint32 fallback = -1)
{
    return readSettingInt32(SettingsSection, QString::fromLatin1(key), settingsFilePath(),
                            fallback);
}

void writeSetting(const char* key, const QString& value)
{
    IniWrite(SettingsSection, QString::fromLatin1(key), value, settingsFilePath());
}

QString onOff(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString trueFalse(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace

void Form1::menuShowRuler_Click()
{
    // The new state comes from the control, not from the check mark.
    const bool show = !XrRTB1->DisplayRuler();
    menuShowRuler->setChecked(show);
    XrRTB1->LetDisplayRuler(show);
    writeSetting("SHOWRULER", onOff(XrRTB1->DisplayRuler()));
}

void Form1::menuStatusBar_Click()
{
    const bool show = !menuStatusBar->isChecked();
    menuStatusBar->setChecked(show);
    StatusBar1->setVisible(show);
    writeSetting("SHOWSTATUSBAR", onOff(show));
}

void Form1::menuVBSyntax_Click()
{
    const bool offered = !menuVBSyntax->isChecked();
    menuVBSyntax->setChecked(offered);
    XrRTB1->LetShowVB6Syntax(offered);
    writeSetting("ENABLEVISUALBASIC", onOff(offered));
    menuApplyVBSyntax->setVisible(XrRTB1->ShowVB6Syntax());
    menuVBSyntaxSeparator->setVisible(XrRTB1->ShowVB6Syntax());
}

void Form1::menuAllowRTFormat_Click()
{
    bool change = true;
    if (!XrRTB1->AllowRTFSave()) {
        const int answer = host::MsgBox(
            QStringLiteral(
                "Some formatting differences exist between Wexmoor Scrivet and other text "
                "editing software. If you use Wexmoor Scrivet to save a file that was originally "
                "created with another text editor; the formatting will match Wexmoor Scrivet. "
                "Click OK to enable RTF Saving."),
            host::vbOKCancel | host::vbInformation,
            QStringLiteral("Enable Richtext File (RTF) Save"), this);
        change = answer == host::vbOK;
    }
    if (change) {
        menuAllowRTFormat->setChecked(!XrRTB1->AllowRTFSave());
        XrRTB1->LetAllowRTFSave(!XrRTB1->AllowRTFSave());
        writeSetting("ENABLERTFSAVE", onOff(XrRTB1->AllowRTFSave()));
    }
    menuSave->setEnabled(!(m_documentType == rtfRTF && !XrRTB1->AllowRTFSave()));
}

void Form1::menuSetDefaultFont_Click()
{
    const QString& ini = settingsFilePath();
    DEFUALT_FONT_DATA record;
    record.tFONTNAME = readSetting("FONTNAME");
    record.tFONTSTYLE = readSetting("FONTSTYLE");
    record.tFONTSIZE = readSettingInt16(SettingsSection, QStringLiteral("FONTSIZE"), ini, 0);
    record.tFONTSTRIKETHROUGH =
        readSettingBool(SettingsSection, QStringLiteral("FONTSTRIKETHROUGH"), ini);
    record.tFONTUNDERLINE = readSettingBool(SettingsSection, QStringLiteral("FONTUNDERLINE"), ini);
    XrRTB1->ShareDefaultFontData(record);
    XrRTB1->SetDefaultFontMode();
    XrRTB1->ShowFontSelect();

    const DEFUALT_FONT_DATA chosen = XrRTB1->GetDefaultFontData();
    writeSetting("FONTNAME",
                 chosen.tFONTNAME.isEmpty() ? QStringLiteral("Verdana") : chosen.tFONTNAME);
    writeSetting("FONTSTYLE", chosen.tFONTSTYLE);
    writeSetting("FONTSIZE", QString::number(chosen.tFONTSIZE == 0 ? 11 : chosen.tFONTSIZE));
    writeSetting("FONTSTRIKETHROUGH", trueFalse(chosen.tFONTSTRIKETHROUGH));
    writeSetting("FONTUNDERLINE", trueFalse(chosen.tFONTUNDERLINE));
    if (XrRTB1->Text().isEmpty())
        ApplyDefaultFont();
    XrRTB1->EndDefaultFontMode();
    XrRTB1->SetInFocus();
}

void Form1::menuAllowAutomaticHyperlink_Click()
{
    const bool unchanged = !XrRTB1->HasRTBChanged();
    const bool detect = !menuAllowAutomaticHyperlink->isChecked();
    menuAllowAutomaticHyperlink->setChecked(detect);
    XrRTB1->LetDetectHyperLinks(detect);
    // Switching off leaves the links there are.
    if (XrRTB1->DetectHyperLinks())
        XrRTB1->HyperLinkDocument();
    writeSetting("ENABLEAUTOLINK", onOff(XrRTB1->DetectHyperLinks()));
    if (unchanged)
        setDocumentUnchanged();
}

void Form1::menuDisableHyperlinking_Click()
{
    const bool unchanged = !XrRTB1->HasRTBChanged();
    const bool disabled = !menuDisableHyperlinking->isChecked();
    menuDisableHyperlinking->setChecked(disabled);
    XrRTB1->LetDetectHyperLinks(!disabled);
    if (disabled) {
        XrRTB1->UnHyperLinkDocument();
        menuAllowAutomaticHyperlink->setEnabled(false);
        HyperlinkButton->setEnabled(false);
        writeSetting("DISABLELINKING", QStringLiteral("1"));
    } else {
        menuAllowAutomaticHyperlink->setEnabled(true);
        HyperlinkButton->setEnabled(true);
        writeSetting("DISABLELINKING", QStringLiteral("0"));
        switch (readInt16("ENABLEAUTOLINK")) {
            case 0:
                menuAllowAutomaticHyperlink->setChecked(false);
                break;
            case 1:
                menuAllowAutomaticHyperlink->setChecked(true);
                XrRTB1->HyperLinkDocument();
                break;
            default:
                break;
        }
    }
    if (unchanged)
        setDocumentUnchanged();
}

void Form1::menu1inch_Click()
{
    menu1inch->setChecked(true);
    menu34inch->setChecked(false);
    XrRTB1->LetPrinterMargin(1440);
    writeSetting("PRINTMARGIN", QStringLiteral("1440"));
    XrRTB1->SetInFocus();
}

void Form1::menu34inch_Click()
{
    menu34inch->setChecked(true);
    menu1inch->setChecked(false);
    XrRTB1->LetPrinterMargin(1080);
    writeSetting("PRINTMARGIN", QStringLiteral("1080"));
    XrRTB1->SetInFocus();
}

void Form1::setWrapChecks(QAction* checked)
{
    for (QAction* entry : {menuWrapRuler, menuWindowWrap, menuNoWrap})
        entry->setChecked(entry == checked);
}

void Form1::menuWrapRuler_Click()
{
    bool wrap = true;
    bool rulerWrap = true;
    XrRTB1->Word_Wrap(wrap, rulerWrap);
    writeSetting("WRAP", QStringLiteral("2"));
    setWrapChecks(menuWrapRuler);
}

void Form1::menuWindowWrap_Click()
{
    bool wrap = true;
    bool rulerWrap = false;
    XrRTB1->Word_Wrap(wrap, rulerWrap);
    writeSetting("WRAP", QStringLiteral("1"));
    setWrapChecks(menuWindowWrap);
}

void Form1::menuNoWrap_Click()
{
    bool wrap = false;
    bool rulerWrap = false;
    XrRTB1->Word_Wrap(wrap, rulerWrap);
    writeSetting("WRAP", QStringLiteral("0"));
    setWrapChecks(menuNoWrap);
}

void Form1::menuGeneralHelp_Click()
{
    OpenWithAssociatedProgram(
        IniRead(DirectoriesSection, QStringLiteral("HELPFILE"), settingsFilePath()), this);
}

void Form1::menuAbout_Click()
{
    AboutForm about(this);
    about.Form_Load();
    about.exec();
}

void Form1::ApplyWrapSetting()
{
    bool wrap = true;
    bool rulerWrap = false;
    switch (readInt16("WRAP")) {
        case 1:
            setWrapChecks(menuWindowWrap);
            break;
        case 2:
            setWrapChecks(menuWrapRuler);
            rulerWrap = true;
            break;
        case 0:
            setWrapChecks(menuNoWrap);
            wrap = false;
            break;
        default:
            return;
    }
    XrRTB1->Word_Wrap(wrap, rulerWrap);
}

void Form1::ApplySettings()
{
    switch (readInt16("SHOWRULER")) {
        case 1:
            menuShowRuler->setChecked(true);
            XrRTB1->LetDisplayRuler(true);
            break;
        case 0:
            menuShowRuler->setChecked(false);
            XrRTB1->LetDisplayRuler(false);
            break;
        default:
            break;
    }
    switch (readInt16("SHOWSTATUSBAR")) {
        case 1:
            menuStatusBar->setChecked(true);
            StatusBar1->setVisible(true);
            break;
        case 0:
            menuStatusBar->setChecked(false);
            StatusBar1->setVisible(false);
            break;
        default:
            break;
    }
    switch (readInt16("ENABLERTFSAVE")) {
        case 1:
            menuAllowRTFormat->setChecked(true);
            XrRTB1->LetAllowRTFSave(true);
            break;
        case 0:
            menuAllowRTFormat->setChecked(false);
            XrRTB1->LetAllowRTFSave(false);
            break;
        default:
            break;
    }
    applyAutoLinkSetting(readInt16("ENABLEAUTOLINK"));
    switch (readInt16("DISABLELINKING")) {
        case 0:
            menuDisableHyperlinking->setChecked(false);
            break;
        case 1:
            menuDisableHyperlinking->setChecked(true);
            menuAllowAutomaticHyperlink->setChecked(false);
            menuAllowAutomaticHyperlink->setEnabled(false);
            HyperlinkButton->setEnabled(false);
            XrRTB1->LetDetectHyperLinks(false);
            break;
        default:
            break;
    }
    switch (readInt16("ENABLEVISUALBASIC")) {
        case 1:
            menuVBSyntax->setChecked(true);
            XrRTB1->LetShowVB6Syntax(true);
            menuApplyVBSyntax->setVisible(true);
            menuVBSyntaxSeparator->setVisible(true);
            break;
        case 0:
            menuVBSyntax->setChecked(false);
            XrRTB1->LetShowVB6Syntax(false);
            menuApplyVBSyntax->setVisible(false);
            menuVBSyntaxSeparator->setVisible(false);
            break;
        default:
            break;
    }
    ApplyDefaultFont();
    switch (readInt32("PRINTMARGIN")) {
        case 1440:
            menu1inch->setChecked(true);
            menu34inch->setChecked(false);
            XrRTB1->LetPrinterMargin(1440);
            break;
        case 1080:
            menu1inch->setChecked(false);
            menu34inch->setChecked(true);
            XrRTB1->LetPrinterMargin(1080);
            break;
        default:
            break;
    }
    const auto fontColor = static_cast<host::OLE_COLOR>(readInt32("FONTCOLOR", 0));
    XrRTB1->LetMyFontColor(fontColor);
    SelectFontColor->setBackColor(fontColor);
    const auto highlightColor = static_cast<host::OLE_COLOR>(readInt32("HIGHLIGHTCOLOR", 0));
    XrRTB1->LetMyHLColor(highlightColor);
    SelectHLColor->setBackColor(highlightColor);
}

void Form1::ApplyDefaultFont()
{
    QFont font = XrRTB1->Font();
    const QString name = readSetting("FONTNAME");
    if (!name.isEmpty())
        font.setFamily(name);
    const QString style = readSetting("FONTSTYLE");
    if (style == QLatin1String("Regular")) {
        font.setBold(false);
        font.setItalic(false);
    } else if (style == QLatin1String("Bold")) {
        font.setBold(true);
        font.setItalic(false);
    } else if (style == QLatin1String("Italic")) {
        font.setBold(false);
        font.setItalic(true);
    } else if (style == QLatin1String("Bold Italic")) {
        font.setBold(true);
        font.setItalic(true);
    }
    // A size the font cannot take leaves the size as it is.
    const qint16 size = readInt16("FONTSIZE");
    if (size > 0)
        font.setPointSize(size);
    const QString& ini = settingsFilePath();
    font.setStrikeOut(readSettingBool(SettingsSection, QStringLiteral("FONTSTRIKETHROUGH"), ini,
                                      font.strikeOut()));
    font.setUnderline(
        readSettingBool(SettingsSection, QStringLiteral("FONTUNDERLINE"), ini, font.underline()));
    XrRTB1->SetFont(font);
}

void Form1::Timer1_Timer()
{
    StatusBar1->Panels(1).setText(
        QStringLiteral("Working... ") +
        QString::number(static_cast<qint16>(XrRTB1->ProgressPercentage())) + QStringLiteral("%"));
}

void Form1::applyAutoLinkSetting(int value)
{
    switch (value) {
        case 0:
            menuAllowAutomaticHyperlink->setChecked(false);
            XrRTB1->LetDetectHyperLinks(false);
            XrRTB1->UnHyperLinkDocument();
            break;
        case 1:
            menuAllowAutomaticHyperlink->setChecked(true);
            XrRTB1->LetDetectHyperLinks(true);
            break;
        default:
            break;
    }
}

}  // namespace app
