#include "platform/widgets/XrLinkControl.h"
#include "platform/widgets/XrUCbutton.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QTest>
#include <vector>

namespace {

QPoint centre(const QWidget& widget)
{
    return widget.rect().center();
}

TEST(XrUCbutton, ToggleValueIsTheNewStateInsideClick)
{
    XrUCbutton button;
    button.resize(24, 24);
    button.setToggle(true);
    std::vector<bool> seen;
    QObject::connect(&button, &XrUCbutton::Click, [&] { seen.push_back(button.Value()); });

    QTest::mouseClick(&button, Qt::LeftButton, {}, centre(button));
    QTest::mouseClick(&button, Qt::LeftButton, {}, centre(button));
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));

    // The program's refresh writes the value back without a click.
    button.setValue(true);
    EXPECT_TRUE(button.Value());
    EXPECT_EQ(seen.size(), 2u);
}

TEST(XrUCbutton, PlainButtonClicksOnlyWhenEnabledAndReleasedOverIt)
{
    XrUCbutton button;
    button.resize(24, 24);
    testsupport::SignalRecorder recorder(&button);

    QTest::mouseClick(&button, Qt::LeftButton, {}, centre(button));
    EXPECT_EQ(recorder.names(), QStringList{QStringLiteral("Click")});
    button.setValue(true);
    EXPECT_FALSE(button.Value());  // not a toggle

    QTest::mousePress(&button, Qt::LeftButton, {}, centre(button));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(recorder.count(QStringLiteral("Click")), 1);

    button.setEnabled(false);
    EXPECT_FALSE(button.Enabled());
    QTest::mouseClick(&button, Qt::LeftButton, {}, centre(button));
    EXPECT_EQ(recorder.count(QStringLiteral("Click")), 1);
}

TEST(XrUCbutton, PropertiesReadBackAndTheCaptionWidensTheButton)
{
    XrUCbutton button;
    EXPECT_EQ(button.BackColor(), host::SystemColorFlag | host::COLOR_BTNFACE);
    button.setBackColor(0x0000FF);
    EXPECT_EQ(button.BackColor(), 0x0000FFu);
    button.setToolTipText(QStringLiteral("Bold"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Bold"));
    EXPECT_EQ(button.ToolTipText(), QStringLiteral("Bold"));
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);

    const int bare = button.sizeHint().width();
    button.setCaption(QStringLiteral("A long caption"));
    EXPECT_EQ(button.Caption(), QStringLiteral("A long caption"));
    EXPECT_GT(button.sizeHint().width(), bare + 40);
}

class XrLinkControlTest : public ::testing::Test {
protected:
    XrLinkControlTest()
    {
        m_previous = XrLinkControl::setUrlOpener([this](const QUrl& url) {
            m_opened.append(url.toString());
            return m_answer;
        });
    }
    ~XrLinkControlTest() override { XrLinkControl::setUrlOpener(m_previous); }

    XrLinkControl::UrlOpener m_previous;
    QStringList m_opened;
    bool m_answer = true;
};

TEST_F(XrLinkControlTest, ClickRaisesTheEventThenOpensItsAddress)
{
    XrLinkControl link;
    link.setCaption(QStringLiteral("Visit us"));
    link.resize(link.sizeHint());
    QStringList order;
    QObject::connect(&link, &XrLinkControl::Click,
                     [&] { order.append(QStringLiteral("Click:") + m_opened.join(',')); });

    QTest::mouseClick(&link, Qt::LeftButton, {}, centre(link));
    EXPECT_EQ(order, QStringList{QStringLiteral("Click:")});
    EXPECT_TRUE(m_opened.isEmpty());  // no URL: the host navigates itself

    link.setURL(QStringLiteral("https://example.com/"));
    QTest::mouseClick(&link, Qt::LeftButton, {}, centre(link));
    QTest::keyClick(&link, Qt::Key_Return);
    QTest::keyClick(&link, Qt::Key_Space);
    EXPECT_EQ(order.size(), 4);
    EXPECT_EQ(m_opened, QStringList(3, QStringLiteral("https://example.com/")));

    QTest::mouseClick(&link, Qt::RightButton, {}, centre(link));
    EXPECT_EQ(order.size(), 4);
}

TEST_F(XrLinkControlTest, NavigateOpensOnlyWebAndMailAddresses)
{
    XrLinkControl link;
    EXPECT_TRUE(link.Navigate(QStringLiteral("http://example.com")));
    EXPECT_TRUE(link.Navigate(QStringLiteral("HTTPS://example.com/a?b=c")));
    EXPECT_TRUE(link.Navigate(QStringLiteral("ftp://files.example.com/")));
    EXPECT_TRUE(link.Navigate(QStringLiteral("mailto:someone@example.com")));
    EXPECT_TRUE(link.Navigate(QStringLiteral(" www.example.com ")));
    EXPECT_EQ(m_opened.last(), QStringLiteral("http://www.example.com"));
    const int opened = static_cast<int>(m_opened.size());

    for (const char* refused :
         {"file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)", "", "sh -c x"})
        EXPECT_FALSE(link.Navigate(QString::fromLatin1(refused))) << refused;
    EXPECT_EQ(m_opened.size(), opened);

    m_answer = false;  // the desktop could not open it
    EXPECT_FALSE(link.Navigate(QStringLiteral("http://example.com")));
}

}  // namespace
