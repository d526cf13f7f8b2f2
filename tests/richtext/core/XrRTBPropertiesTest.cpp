#include "richtext/core/XrRTB.h"

#include "platform/host/MousePointer.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextView.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/RaisedError.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using testsupport::editingWindow;
using testsupport::raisedError;

namespace {

class XrRTBPropertiesTest : public testsupport::XrRTBTestBase {
protected:
    XrRTB m_control;
};

struct PersistedWrite {
    const char* key;
    std::function<void(XrRTB&)> write;
    bool menuSwitch;
    // With the ruler shown the page layout follows, re-applying the wrap mode.
    bool relaysOut = false;
};

// Every persisted property with a write, each writing a value it may already hold.
const std::vector<PersistedWrite>& persistedWrites()
{
    static const std::vector<PersistedWrite> writes = {
        {"Appearance", [](XrRTB& c) { c.LetAppearance(rtfThreeD); }, false},
        {"BackColor", [](XrRTB& c) { c.LetBackColor(0xFF); }, false},
        {"BorderStyle", [](XrRTB& c) { c.LetBorderStyle(1); }, false},
        {"BulletIndent", [](XrRTB& c) { c.LetBulletIndent(360); }, false},
        {"Enabled", [](XrRTB& c) { c.LetEnabled(true); }, false},
        {"Font", [](XrRTB& c) { c.SetFont(QFont(QStringLiteral("DejaVu Serif"))); }, false},
        {"Locked", [](XrRTB& c) { c.LetLocked(false); }, false},
        {"MaxLength", [](XrRTB& c) { c.LetMaxLength(100); }, false},
        {"MouseIcon", [](XrRTB& c) { c.SetMouseIcon(QImage()); }, false},
        {"MousePointer", [](XrRTB& c) { c.LetMousePointer(host::vbArrow); }, false},
        {"RightMargin", [](XrRTB& c) { c.LetRightMargin(0); }, false},
        {"Text", [](XrRTB& c) { c.LetText(QStringLiteral("words")); }, false},
        {"TextRTF", [](XrRTB& c) { c.LetTextRTF(c.TextRTF()); }, false},
        {"AllowRTFSave", [](XrRTB& c) { c.LetAllowRTFSave(false); }, true},
        {"AutoVMenu", [](XrRTB& c) { c.LetAutoVMenu(false); }, false},
        {"DetectHyperLinks", [](XrRTB& c) { c.LetDetectHyperLinks(true); }, true},
        {"MyFontColor", [](XrRTB& c) { c.LetMyFontColor(0xFF); }, false},
        {"MyHLColor", [](XrRTB& c) { c.LetMyHLColor(0xFFFF); }, false},
        {"PrinterMargin", [](XrRTB& c) { c.LetPrinterMargin(Academic); }, true, true},
        {"ShowVB6Syntax", [](XrRTB& c) { c.LetShowVB6Syntax(true); }, true},
        {"UseCustomFontDialog", [](XrRTB& c) { c.LetUseCustomFontDialog(false); }, false},
        {"WhatsThisHelpFile", [](XrRTB& c) { c.LetWhatsThisHelpFile(QStringLiteral("a")); }, false},
        {"InternalShutOFF", [](XrRTB& c) { c.LetInternalShutOFF(true); }, false},
        {"TurnOnSound", [](XrRTB& c) { c.LetTurnOnSound(true); }, true},
        {"AllowImages", [](XrRTB& c) { c.LetAllowImages(false); }, true},
        {"RemoveUnUsableData", [](XrRTB& c) { c.LetRemoveUnUsableData(true); }, true},
        {"MyFirstString", [](XrRTB& c) { c.LetMyFirstString(QStringLiteral("\\bx\\b")); }, false},
        {"MySecondString", [](XrRTB& c) { c.LetMySecondString(QString()); }, false},
        {"MyThirdString", [](XrRTB& c) { c.LetMyThirdString(QStringLiteral("y")); }, false},
        {"ColorMyFirstKeyWord", [](XrRTB& c) { c.LetColorMyFirstKeyWord(1); }, false},
        {"ColorMySecondKeyWord", [](XrRTB& c) { c.LetColorMySecondKeyWord(2); }, false},
        {"ColorMyThirdKeyWord", [](XrRTB& c) { c.LetColorMyThirdKeyWord(3); }, false},
        {"ColorVBNetKeyWord", [](XrRTB& c) { c.LetColorVBNetKeyWord(4); }, false},
        {"ColorVBNetComment", [](XrRTB& c) { c.LetColorVBNetComment(5); }, false},
        {"ColorVBNetString", [](XrRTB& c) { c.LetColorVBNetString(6); }, false},
        {"ColorVB6KeyWord", [](XrRTB& c) { c.LetColorVB6KeyWord(7); }, false},
        {"ColorVB6Comment", [](XrRTB& c) { c.LetColorVB6Comment(8); }, false},
        {"ColorVB6String", [](XrRTB& c) { c.LetColorVB6String(9); }, false},
        {"MyWrapStyle", [](XrRTB& c) { c.LetMyWrapStyle(NoWrap); }, true},
        {"DisplayRuler", [](XrRTB& c) { c.LetDisplayRuler(true); }, true, true},
    };
    return writes;
}

}  // namespace

TEST_F(XrRTBPropertiesTest, EveryPersistedWriteNotifiesItsKeyAndOnlyTheNineSwitchesTheMenu)
{
    testsupport::SignalRecorder events(&m_control);
    int menuSwitches = 0;
    for (const PersistedWrite& entry : persistedWrites()) {
        SCOPED_TRACE(entry.key);
        QStringList expected{QStringLiteral("PropertyChanged")};
        if (entry.menuSwitch) {
            expected << QStringLiteral("UpdateParentMenu");
            ++menuSwitches;
        }
        if (entry.relaysOut)
            expected << QStringLiteral("Finish") << QStringLiteral("Ready");
        // A second write of the same value tells the host again.
        for (int round = 0; round < 2; ++round) {
            events.clear();
            entry.write(m_control);
            // Change and SelChange of the document writes are the editing window's own.
            QStringList names = events.names();
            names.removeAll(QStringLiteral("Change"));
            names.removeAll(QStringLiteral("SelChange"));
            EXPECT_EQ(names, expected);
            for (const auto& emission : events.emissions()) {
                if (emission.name == QStringLiteral("PropertyChanged")) {
                    EXPECT_EQ(emission.arguments.value(0).toString(),
                              QString::fromLatin1(entry.key));
                }
            }
        }
    }
    EXPECT_EQ(menuSwitches, 9);
}

TEST_F(XrRTBPropertiesTest, MenuHandlersSeeTheNewValueBeforeTheLayoutFollows)
{
    bool sharedSeen = true;
    int32_t marginSeen = 0;
    QObject::connect(&m_control, &XrRTB::UpdateParentMenu, [&] {
        sharedSeen = RichTextLibraryState::instance().SharedDetectHyperLinks;
        marginSeen = m_control.PrinterMargin();
    });
    RichTextLibraryState::instance().SharedDetectHyperLinks = true;
    m_control.LetDetectHyperLinks(false);
    EXPECT_FALSE(sharedSeen) << "the shared copy is written before the menu is told";
    EXPECT_FALSE(m_control.DetectHyperLinks());

    m_control.LetPrinterMargin(TenEighty);
    EXPECT_EQ(marginSeen, 1080);
    // Values outside the enumerations are kept as they are.
    m_control.LetPrinterMargin(-5);
    m_control.LetMyWrapStyle(7);
    EXPECT_EQ(m_control.PrinterMargin(), -5);
    EXPECT_EQ(m_control.MyWrapStyle(), 7);

    // The new ruler choice is visible to the handler while the old layout still stands.
    m_control.resize(300, 200);
    m_control.show();
    int frameTopSeen = -1;
    QObject::connect(&m_control, &XrRTB::UpdateParentMenu, [&] {
        frameTopSeen = m_control.findChild<QWidget*>(QStringLiteral("RTBPicture"))->y();
    });
    m_control.LetDisplayRuler(false);
    EXPECT_GT(frameTopSeen, 0);
    EXPECT_EQ(m_control.findChild<QWidget*>(QStringLiteral("RTBPicture"))->y(), 0);
}

TEST_F(XrRTBPropertiesTest, WindowPropertiesReachTheEditingWindowAndItsRefusalsReachTheCaller)
{
    richedit::RichTextBox& window = editingWindow(m_control);
    richedit::RichTextView& view = window.view();

    m_control.LetBorderStyle(-1);
    EXPECT_EQ(m_control.BorderStyle(), rtfFixedSingle);
    EXPECT_NE(view.frameShape(), QFrame::NoFrame);
    testsupport::SignalRecorder events(&m_control);
    EXPECT_EQ(raisedError([&] { m_control.LetBorderStyle(2); }), 380);
    // The most negative Long has no absolute value in range.
    EXPECT_EQ(raisedError([&] { m_control.LetBorderStyle(std::numeric_limits<int>::min()); }),
              vb::ErrOverflow);
    EXPECT_EQ(m_control.BorderStyle(), rtfFixedSingle);
    EXPECT_EQ(events.count(QStringLiteral("PropertyChanged")), 0) << "a refused write is not saved";

    EXPECT_EQ(raisedError([&] { m_control.LetMousePointer(16); }), 380);
    m_control.LetMousePointer(host::vbHourglass);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::WaitCursor);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    m_control.SetMouseIcon(icon);
    m_control.LetMousePointer(host::vbCustom);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(m_control.MouseIcon().size(), QSize(16, 16));
    m_control.LetMousePointer(host::vbDefault);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::IBeamCursor);

    m_control.LetEnabled(false);
    EXPECT_FALSE(view.isEnabled());
    m_control.LetBackColor(0x00FF00);
    EXPECT_EQ(view.backColor(), 0x00FF00u);
    m_control.LetLocked(true);
    EXPECT_TRUE(window.Locked());
    m_control.LetMaxLength(5);
    EXPECT_EQ(window.MaxLength(), 5);
    // A Single keeps its fraction; the window indents by whole twips.
    m_control.LetBulletIndent(200.6f);
    EXPECT_EQ(m_control.BulletIndent(), 200.6f);
    EXPECT_EQ(window.BulletIndent(), 201);
    m_control.LetBulletIndent(12.5f);
    EXPECT_EQ(m_control.BulletIndent(), 12.5f);
    EXPECT_EQ(window.BulletIndent(), 12) << "halves to even";

    m_control.LetText(QStringLiteral("plain"));
    EXPECT_EQ(m_control.Text(), QStringLiteral("plain"));
    m_control.LetTextRTF(QStringLiteral("{\\rtf1 {\\b bold}\\par}"));
    EXPECT_EQ(m_control.Text(), QStringLiteral("bold"));
    EXPECT_EQ(m_control.hwnd(), window.hWnd());
    EXPECT_EQ(richedit::sendMessage(m_control.hwnd(), richedit::EM_GETMODIFY, 0, 0), 1);
}

TEST_F(XrRTBPropertiesTest, SelectionPropertiesReadMixedAsEmptyAndPassWriteErrorsOn)
{
    m_control.LetTextRTF(
        QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\f0\\fs20 {\\b bold}"
                       "\\f1\\fs28 {\\cf0 plain}\\par}"));
    testsupport::SignalRecorder events(&m_control);
    m_control.LetSelStart(0);
    m_control.LetSelLength(9);
    EXPECT_FALSE(m_control.SelBold());
    EXPECT_EQ(m_control.SelFontName(), QString());
    EXPECT_EQ(m_control.SelFontSize(), 0);
    EXPECT_EQ(m_control.SelText(), QStringLiteral("boldplain"));

    m_control.LetSelLength(4);
    EXPECT_TRUE(m_control.SelBold());
    EXPECT_EQ(m_control.SelFontName(), QStringLiteral("Arial"));
    EXPECT_EQ(m_control.SelFontSize(), 10);

    m_control.LetSelItalic(true);
    m_control.LetSelColor(0xFF);
    m_control.LetSelCharOffset(40);
    EXPECT_TRUE(m_control.SelItalic());
    EXPECT_EQ(m_control.SelColor(), 0xFFu);
    EXPECT_EQ(m_control.SelCharOffset(), 40);

    m_control.LetSelIndent(720);
    m_control.LetSelRightIndent(360);
    m_control.LetSelTabCount(2);
    m_control.LetSelTabs(0, 1440);
    m_control.LetSelTabs(1, 2880);
    EXPECT_EQ(m_control.SelIndent(), 720);
    EXPECT_EQ(m_control.SelRightIndent(), 360);
    EXPECT_EQ(m_control.SelTabCount(), 2);
    EXPECT_EQ(m_control.SelTabs(1), 2880);
    EXPECT_EQ(m_control.SelTabs(5), 0) << "a stop past the count reads as 0";

    EXPECT_EQ(raisedError([&] { m_control.LetSelStart(-1); }), 380);
    EXPECT_EQ(raisedError([&] { m_control.LetSelTabCount(33); }), 380);
    EXPECT_EQ(raisedError([&] { m_control.LetSelTabs(2, 100); }), 380);
    EXPECT_EQ(m_control.SelTabCount(), 2);
    // Sizes the window cannot hold are refused and the size stays.
    for (const int16_t size : {int16_t(-5), int16_t(0), int16_t(1639), int16_t(32767)})
        EXPECT_EQ(raisedError([&] { m_control.LetSelFontSize(size); }), 380) << size;
    EXPECT_EQ(m_control.SelFontSize(), 10);
    m_control.LetSelFontSize(1);
    EXPECT_EQ(m_control.SelFontSize(), 1);
    m_control.LetSelFontSize(1638);
    EXPECT_EQ(m_control.SelFontSize(), 1638);

    m_control.LetSelText(QStringLiteral("BOLD"));
    EXPECT_EQ(m_control.Text(), QStringLiteral("BOLDplain"));
    EXPECT_EQ(events.count(QStringLiteral("PropertyChanged")), 0);
    EXPECT_EQ(events.count(QStringLiteral("UpdateParentMenu")), 0);
}

TEST_F(XrRTBPropertiesTest, WhatsThisHelpFileBecomesTheLibrarysHelpFileOnRequest)
{
    const QString before = FileManagementMod::applicationHelpFile();
    m_control.LetWhatsThisHelpFile(QStringLiteral("/opt/help/topics.chm"));
    EXPECT_EQ(FileManagementMod::applicationHelpFile(), before) << "only the request points";
    m_control.PointToWhatsThisHelpFile();
    EXPECT_EQ(FileManagementMod::applicationHelpFile(), QStringLiteral("/opt/help/topics.chm"));
}
