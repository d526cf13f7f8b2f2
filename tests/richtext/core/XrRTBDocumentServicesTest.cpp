// The control's document services as a host uses them: typed text and its formatting test,
// the link mark through the control's own RTF, word wrap and the events of the formatting
// members, and link launching through the control.
#include "tests/richtext/core/XrRTBTestSupport.h"

#include "platform/richedit/view/RichTextView.h"
#include "tests/support/FakeShell.h"
#include "tests/support/RaisedError.h"
#include "tests/support/SignalRecorder.h"

#include <QTest>

using testsupport::editingWindow;

namespace {

class XrRTBDocumentServicesTest : public testsupport::XrRTBTestBase {
protected:
    XrRTBDocumentServicesTest()
    {
        m_control.resize(500, 300);
        m_control.show();
    }
    void type(const QString& text)
    {
        auto* view =
            m_control.findChild<richedit::RichTextView*>(QStringLiteral("RichTextBox1View"));
        ASSERT_NE(view, nullptr);
        QTest::keyClicks(view, text);
    }
    void select(int32_t start, int32_t length)
    {
        m_control.LetSelStart(start);
        m_control.LetSelLength(length);
    }

    XrRTB m_control;
};

}  // namespace

TEST_F(XrRTBDocumentServicesTest, TypedTextIsPlainUntilColoured)
{
    type(QStringLiteral("freshly typed"));
    ASSERT_EQ(m_control.Text(), u"freshly typed");
    EXPECT_FALSE(m_control.GetRTFString().contains(QChar(0)));
    EXPECT_FALSE(m_control.ContainSpecialFormatting());

    // The caret after typing, and a case change through the control's text object model.
    EXPECT_EQ(m_control.VanticChar(), 14);
    EXPECT_EQ(m_control.VanticColumn(), 14);
    EXPECT_EQ(m_control.VanticLine(), 1);
    select(0, 13);
    m_control.VanticTitleCase();
    EXPECT_EQ(m_control.Text(), u"Freshly Typed");
    EXPECT_EQ(m_control.SelLength(), 13);

    select(0, 7);
    m_control.LetSelColor(0x000000FF);
    EXPECT_TRUE(m_control.ContainSpecialFormatting());
}

TEST_F(XrRTBDocumentServicesTest, LinkMarkSurvivesTheControlsRtf)
{
    type(QStringLiteral("see www.example.com here"));
    m_control.HyperLinkSelected(4, 15);
    XrRTB other;
    other.LetTextRTF(m_control.GetRTFString());
    QString address;
    other.LetSelStart(8);
    EXPECT_TRUE(other.DetectURLZone(8, address));
    EXPECT_EQ(address, u"www.example.com");
    other.LetSelStart(1);
    EXPECT_FALSE(other.DetectURLZone(1, address));
}

TEST_F(XrRTBDocumentServicesTest, TextStringIsTheSharedDocument)
{
    m_control.LetText(QStringLiteral("mine"));
    EXPECT_EQ(testsupport::raisedError([&] { m_control.GetTextString(); }),
              vb::ErrObjectVariableNotSet);
    XrRTB other;
    other.LetText(QStringLiteral("theirs"));
    RichTextLibraryState::instance().SharedRichText = &editingWindow(other);
    EXPECT_EQ(m_control.GetTextString(), u"theirs");
}

TEST_F(XrRTBDocumentServicesTest, FormattingMembersRaiseTheirEvents)
{
    m_control.LetText(QStringLiteral("some text"));
    testsupport::SignalRecorder events(&m_control);
    m_control.SelectAllText();
    EXPECT_EQ(events.count(QStringLiteral("Ready")), 1);
    EXPECT_EQ(events.count(QStringLiteral("Finish")), 0);
    EXPECT_EQ(m_control.SelLength(), 9);

    events.clear();
    ScripTT script = SuperScriptQ;
    m_control.ScriptStyle(script);
    ListNN list = ListBulletQ;
    m_control.ListStyle(list);
    EXPECT_EQ(events.count(QStringLiteral("Finish")), 2);
    EXPECT_EQ(events.count(QStringLiteral("Ready")), 2);
    EXPECT_TRUE(m_control.SelListMethod(list));

    events.clear();
    LineSpc spacing = LineSpaceDoubleQ;
    m_control.LineSpacing(spacing);
    host::OLE_COLOR yellow = 0x0000FFFF;
    m_control.HighLightText(yellow);
    EXPECT_TRUE(m_control.IsTextHighLighted(yellow));
    m_control.UnHighLightText();
    EXPECT_FALSE(m_control.IsTextHighLighted(yellow));
    for (const char* event : {"Begin", "Finish", "Ready"})
        EXPECT_EQ(events.count(QString::fromLatin1(event)), 0) << event;
}

TEST_F(XrRTBDocumentServicesTest, WordWrapSettings)
{
    auto& layout = editingWindow(m_control).engine().layout();
    testsupport::SignalRecorder events(&m_control);
    bool wrap = false;
    m_control.Word_Wrap(wrap);
    EXPECT_EQ(layout.wrapMode(), richedit::WrapMode::None);
    wrap = true;
    bool ruler = false;
    m_control.Word_Wrap(wrap, ruler);
    EXPECT_EQ(layout.wrapMode(), richedit::WrapMode::Window);
    m_control.Word_Wrap(wrap);
    EXPECT_NE(layout.wrapMode(), richedit::WrapMode::None) << "wraps at the printed width";
    EXPECT_EQ(events.count(QStringLiteral("Finish")), 3);
    EXPECT_EQ(events.count(QStringLiteral("Ready")), 3);
}

TEST_F(XrRTBDocumentServicesTest, LinesAndLaunchingThroughTheControl)
{
    EXPECT_EQ(m_control.TotalLineCount(), 1);
    EXPECT_EQ(m_control.GetLineText(), QString());
    m_control.LetText(QStringLiteral("one\r\ntwo\r\nthree"));
    m_control.GoToLine(1);
    EXPECT_EQ(m_control.SelText(), u"two");
    EXPECT_EQ(m_control.CurrentLine(), 2);
    EXPECT_EQ(m_control.GetAnyLineText(2), u"three");
    m_control.GoToLine(7);
    EXPECT_EQ(m_control.SelText(), u"two");

    testsupport::FakeShell shell;
    QString error = QStringLiteral("kept");
    m_control.GoToWebsite(QStringLiteral("file:///bin/sh"), error);
    m_control.GoToWebsite(QStringLiteral("www.example.com"), error);
    m_control.GoToEmailClient(QStringLiteral("a@b.org"));
    EXPECT_EQ(shell.openedUrls(), (QStringList{QStringLiteral("http://www.example.com"),
                                               QStringLiteral("mailto:a@b.org")}));
    EXPECT_EQ(error, u"kept");
}
