#include "platform/host/MessageBox.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace host;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
    Qt::TextFormat format = Qt::AutoText;
    bool stillOpenAfterEscape = false;
};

// Waits for the box that MsgBox is about to show, notes what it shows and hands it to `act`,
// which must end it. Gives up (and the box stays) after a few seconds, failing the test.
class BoxDriver {
public:
    explicit BoxDriver(std::function<void(QMessageBox&)> act) : m_act(std::move(act))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    SeenBox seen;
    bool found = false;

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) {
            if (++m_tries > 1000) {
                m_timer.stop();
                ADD_FAILURE() << "no message box appeared";
            }
            return;
        }
        m_timer.stop();
        found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.format = box->textFormat();
        for (QAbstractButton* button : box->buttons())
            seen.buttons.append(box->standardButton(button) == QMessageBox::NoButton
                                    ? QString()
                                    : button->text().remove(QLatin1Char('&')));
        if (box->defaultButton())
            seen.defaultButton = box->defaultButton()->text().remove(QLatin1Char('&'));
        m_act(*box);
    }

    std::function<void(QMessageBox&)> m_act;
    QTimer m_timer;
    int m_tries = 0;
};

int showAndAct(int style, const std::function<void(QMessageBox&)>& act, SeenBox* seen = nullptr,
               const QString& text = QStringLiteral("Question?"))
{
    BoxDriver driver(act);
    const int result = MsgBox(text, style, QStringLiteral("Title"));
    EXPECT_TRUE(driver.found);
    if (seen)
        *seen = driver.seen;
    return result;
}

void press(QMessageBox& box, Qt::Key key)
{
    QTest::keyClick(&box, key);
}

std::function<void(QMessageBox&)> clickButton(QMessageBox::StandardButton which)
{
    return [which](QMessageBox& box) { QTest::mouseClick(box.button(which), Qt::LeftButton); };
}

}  // namespace

TEST(MessageBox, EachButtonOfEachSetAnswersItsCode)
{
    struct Case {
        int style;
        QMessageBox::StandardButton button;
        int result;
    };
    const Case cases[] = {
        {vbOKOnly, QMessageBox::Ok, vbOK},
        {vbOKCancel, QMessageBox::Ok, vbOK},
        {vbOKCancel, QMessageBox::Cancel, vbCancel},
        {vbAbortRetryIgnore, QMessageBox::Abort, vbAbort},
        {vbAbortRetryIgnore, QMessageBox::Retry, vbRetry},
        {vbAbortRetryIgnore, QMessageBox::Ignore, vbIgnore},
        {vbYesNoCancel, QMessageBox::Yes, vbYes},
        {vbYesNoCancel, QMessageBox::No, vbNo},
        {vbYesNoCancel, QMessageBox::Cancel, vbCancel},
        {vbYesNo, QMessageBox::Yes, vbYes},
        {vbYesNo, QMessageBox::No, vbNo},
        {vbRetryCancel, QMessageBox::Retry, vbRetry},
        {vbRetryCancel, QMessageBox::Cancel, vbCancel},
    };
    for (const Case& c : cases)
        EXPECT_EQ(showAndAct(c.style, clickButton(c.button)), c.result)
            << c.style << " " << c.button;
}

TEST(MessageBox, ShowsTitlePlainTextIconAndTheBoxsButtons)
{
    SeenBox seen;
    showAndAct(vbYesNoCancel | vbExclamation, clickButton(QMessageBox::Cancel), &seen,
               QStringLiteral("Line <b>one</b>\r\nLine two"));
    EXPECT_EQ(seen.title, QStringLiteral("Title"));
    EXPECT_EQ(seen.text, QStringLiteral("Line <b>one</b>\nLine two"));
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons.size(), 3);

    const std::pair<int, QMessageBox::Icon> icons[] = {{vbCritical, QMessageBox::Critical},
                                                       {vbQuestion, QMessageBox::Question},
                                                       {vbInformation, QMessageBox::Information},
                                                       {0, QMessageBox::NoIcon}};
    for (const auto& [style, icon] : icons) {
        showAndAct(style, clickButton(QMessageBox::Ok), &seen);
        EXPECT_EQ(seen.icon, icon) << style;
        EXPECT_EQ(seen.buttons.size(), 1);
    }
}

TEST(MessageBox, EnterChoosesTheDefaultButton)
{
    auto enter = [](QMessageBox& box) { press(box, Qt::Key_Return); };
    EXPECT_EQ(showAndAct(vbYesNoCancel, enter), vbYes);
    EXPECT_EQ(showAndAct(vbYesNoCancel | vbDefaultButton2, enter), vbNo);
    EXPECT_EQ(showAndAct(vbYesNoCancel | vbDefaultButton3, enter), vbCancel);
    EXPECT_EQ(showAndAct(vbYesNo | vbQuestion | vbDefaultButton2, enter), vbNo);
    EXPECT_EQ(showAndAct(vbAbortRetryIgnore | vbDefaultButton2, enter), vbRetry);
    // A default button the box does not have falls back to the first.
    EXPECT_EQ(showAndAct(vbYesNo | vbDefaultButton3, enter), vbYes);
    EXPECT_EQ(showAndAct(vbOKOnly, enter), vbOK);
}

TEST(MessageBox, EscapeAnswersCancelOrTheOnlyButton)
{
    auto escape = [](QMessageBox& box) { press(box, Qt::Key_Escape); };
    EXPECT_EQ(showAndAct(vbOKOnly, escape), vbOK);
    EXPECT_EQ(showAndAct(vbOKCancel, escape), vbCancel);
    EXPECT_EQ(showAndAct(vbYesNoCancel | vbDefaultButton1, escape), vbCancel);
    EXPECT_EQ(showAndAct(vbRetryCancel, escape), vbCancel);
}

TEST(MessageBox, BoxesWithoutCancelIgnoreEscapeAndTheCloseButton)
{
    for (const int style : {static_cast<int>(vbYesNo), static_cast<int>(vbAbortRetryIgnore)}) {
        bool stayed = false;
        const int result = showAndAct(style, [&stayed](QMessageBox& box) {
            QTest::keyClick(&box, Qt::Key_Escape);
            box.close();
            stayed = box.isVisible();
            QAbstractButton* no = box.button(QMessageBox::No);
            QTest::mouseClick(no ? no : box.button(QMessageBox::Ignore), Qt::LeftButton);
        });
        EXPECT_TRUE(stayed) << style;
        EXPECT_EQ(result, style == vbYesNo ? vbNo : vbIgnore);
    }
}

TEST(MessageBox, TheApplicationsNameIsTheDefaultTitle)
{
    QString title;
    BoxDriver driver([&title](QMessageBox& box) {
        title = box.windowTitle();
        press(box, Qt::Key_Return);
    });
    EXPECT_EQ(MsgBox(QStringLiteral("Hello")), vbOK);
    EXPECT_EQ(title, QApplication::applicationName());
}

TEST(MessageBox, AnOwnerDestroyedWhileTheBoxIsUpEndsItSafely)
{
    auto owner = std::make_unique<QWidget>();
    QWidget* raw = owner.get();
    BoxDriver driver([&owner](QMessageBox&) { owner.reset(); });
    EXPECT_EQ(MsgBox(QStringLiteral("Going"), vbYesNoCancel, {}, raw), vbCancel);
    EXPECT_TRUE(driver.found);
}
