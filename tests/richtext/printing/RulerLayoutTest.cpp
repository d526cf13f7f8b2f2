#include "tests/richtext/printing/RulerTestSupport.h"

#include "platform/richedit/view/RichTextView.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

class RulerLayoutTest : public testsupport::RulerTestBase {
protected:
    QRect twipsOf(const QWidget& widget)
    {
        const QPoint at = widget.mapTo(&control(), QPoint(0, 0));
        return QRect(at.x() * 15, at.y() * 15, widget.width() * 15, widget.height() * 15);
    }
    QWidget& frame() { return *control().findChild<QWidget*>(QStringLiteral("RTBPicture")); }
    QWidget& view() { return window().view(); }
    const richedit::DocumentLayout& layout() { return engine().layout(); }
};

TEST_F(RulerLayoutTest, PrepareLaysOutUnderTheStripResetsHandlesAndAppliesTheWrapMode)
{
    control().resize(600, 400);  // 9000 x 6000 twips
    handle("LIHandle").setLeft(900);
    handle("RIHandle").setLeft(5000);
    testsupport::SignalRecorder events(&control());
    control().PrepareXrRTB();
    EXPECT_EQ(twipsOf(frame()), QRect(0, 285, 9000, 5715));
    EXPECT_EQ(twipsOf(view()), QRect(30, 285, 8970, 5715));
    EXPECT_EQ(handle("LIHandle").Left(), 0);
    EXPECT_EQ(handle("HIHandle").Left(), 0);
    EXPECT_EQ(handle("RIHandle").Left(), 9540);
    EXPECT_EQ(events.names(), (QStringList{QStringLiteral("Finish"), QStringLiteral("Ready")}));
    EXPECT_EQ(layout().wrapMode(), richedit::WrapMode::Width);
    EXPECT_EQ(layout().wrapWidth(), 9360);

    // With the ruler hidden only the layout changes: no wrap mode is applied, nothing raised.
    control().LetDisplayRuler(false);
    control().LetMyWrapStyle(NoWrap);
    events.clear();
    control().PrepareXrRTB();
    EXPECT_EQ(twipsOf(frame()), QRect(0, 0, 9000, 6000));
    EXPECT_EQ(twipsOf(view()), QRect(30, 0, 8970, 6000));
    EXPECT_FALSE(ruler().isVisible());
    EXPECT_EQ(layout().wrapMode(), richedit::WrapMode::Width);
    EXPECT_TRUE(events.names().isEmpty());

    control().LetDisplayRuler(true);
    control().LetMyWrapStyle(WindowWrap);
    control().PrepareXrRTB();
    EXPECT_EQ(layout().wrapMode(), richedit::WrapMode::Window);

    // A wrap style outside the enumeration applies nothing and raises nothing.
    control().LetMyWrapStyle(7);
    events.clear();
    control().PrepareXrRTB();
    EXPECT_TRUE(events.names().isEmpty());
    EXPECT_EQ(layout().wrapMode(), richedit::WrapMode::Window);
}

TEST_F(RulerLayoutTest, RestPlaceOfTheRightHandleFollowsMarginAndOffset)
{
    control().LetPrinterMargin(TenEighty);
    control().PrepareXrRTB();
    EXPECT_EQ(handle("RIHandle").Left(), 10260);
    m_printer.settings().dpiX = 600;
    m_printer.settings().unprintable = QMargins(25, 0, 0, 0);
    control().LetPrinterMargin(Academic);
    control().PrepareXrRTB();
    EXPECT_EQ(handle("RIHandle").Left(), 9480);
}

TEST_F(RulerLayoutTest, MarginChangeRedrawsSyncsHandlesAndRewrapsOnlyWithTheRulerShown)
{
    engine().setText(QStringLiteral("first\r\nsecond"));
    engine().setSelStart(0);
    engine().setSelIndent(720);
    engine().setSelHangingIndent(-360);
    engine().setSelRightIndent(360);
    control().LetPrinterMargin(TenEighty);
    EXPECT_EQ(layout().wrapWidth(), 10080);
    EXPECT_EQ(handle("LIHandle").Left(), 720);
    EXPECT_EQ(handle("HIHandle").Left(), 720 - 30 - 360);
    EXPECT_EQ(handle("RIHandle").Left(), 12240 - (360 + 2160) + 180);
    EXPECT_EQ(ruler().surface().pixel(821, 18), qRgb(0, 0, 0)) << "the ruler was drawn";

    // A selection over paragraphs with different right indents leaves that handle alone.
    engine().setSelStart(0);
    engine().setSelLength(engine().text().size());
    control().LetPrinterMargin(Academic);
    EXPECT_EQ(handle("LIHandle").Left(), 720);
    EXPECT_EQ(handle("HIHandle").Left(), 330);
    EXPECT_EQ(handle("RIHandle").Left(), 12240 - (360 + 2160) + 180);

    control().LetDisplayRuler(false);
    testsupport::SignalRecorder events(&control());
    control().LetPrinterMargin(TenEighty);
    EXPECT_EQ(events.names(),
              (QStringList{QStringLiteral("PropertyChanged"), QStringLiteral("UpdateParentMenu")}));
    EXPECT_EQ(layout().wrapWidth(), 9360) << "the wrap stays with the ruler hidden";
}

TEST_F(RulerLayoutTest, HidingTheRulerLeavesTheDocumentAlone)
{
    // A loaded paragraph too narrow for the line has its right indent normalised once, at load.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("narrow.rtf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1\\ansi\\pard\\li8000\\ri500 narrow\\par}");
    file.close();
    control().LetRemoveUnUsableData(true);
    control().LoadFile(path, rtfRTF);
    ASSERT_EQ(control().Text(), QStringLiteral("narrow"));
    ASSERT_EQ(engine().selRightIndent(), -980);

    // The user gives it its old indent back; hiding and showing the ruler must keep it.
    engine().setSelRightIndent(500);
    bool changed = false;
    control().SetRTBChanged(changed);
    testsupport::SignalRecorder events(&control());
    control().LetDisplayRuler(false);
    EXPECT_EQ(engine().selRightIndent(), 500);
    EXPECT_FALSE(control().HasRTBChanged());
    EXPECT_FALSE(events.names().contains(QStringLiteral("Change")));
    EXPECT_EQ(events.names(),
              (QStringList{QStringLiteral("PropertyChanged"), QStringLiteral("UpdateParentMenu")}));
}

class RulerLayoutWithoutPrinterTest : public RulerLayoutTest {
protected:
    RulerLayoutWithoutPrinterTest() { m_printer.setInstalled(false); }
};

TEST_F(RulerLayoutWithoutPrinterTest, HandlesStayAndRulerWrapWrapsAtTheWindow)
{
    engine().setSelIndent(720);
    control().LetPrinterMargin(Academic);
    EXPECT_EQ(handle("LIHandle").Left(), 0);
    EXPECT_EQ(layout().wrapMode(), richedit::WrapMode::Window);
    EXPECT_FALSE(control().PrinterInstalled());
}

}  // namespace
