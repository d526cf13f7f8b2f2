// The find and replace dialog opened by the control and driven by clicks: its controls, find
// next and previous, options, colour choice, Replace, Replace All with its progress, and
// closing it while Replace All runs.
#include "richtext/scanning/FindReplaceFrm.h"

#include "platform/widgets/ProgressBar.h"
#include "tests/richtext/scanning/XrRTBSearchTestSupport.h"
#include "tests/support/FakeCommonDialogs.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/SignalRecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

class FindReplaceFrmTest : public XrRTBSearchTest {
protected:
    // Opens the dialog through the control and runs the script on it while it is shown
    // modally; the dialog is closed afterwards when the script left it open.
    void runDialog(const std::function<void(FindReplaceFrm&)>& script)
    {
        bool ran = false;
        QTimer::singleShot(0, &m_control, [&] {
            auto* dialog = m_control.findChild<FindReplaceFrm*>();
            if (!dialog || !dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is not shown";
                // Whatever modal window is up is closed, so that the test cannot hang.
                if (QWidget* modal = QApplication::activeModalWidget())
                    modal->close();
                return;
            }
            m_dialog = dialog;
            script(*dialog);
            ran = true;
            if (dialog->isVisible())
                dialog->close();
        });
        m_control.ShowFindReplace();
        EXPECT_TRUE(ran);
        m_dialog = nullptr;
    }

    template <class Widget>
    Widget* control(const char* name)
    {
        auto* widget = m_dialog->findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void click(const char* name)
    {
        QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton);
    }
    void type(const char* name, const QString& text)
    {
        QLineEdit* box = control<QLineEdit>(name);
        box->clear();
        QTest::keyClicks(box, text);
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const host::MessageBoxRequest& box : m_boxes.shown())
            texts << box.title + QStringLiteral(": ") + box.text;
        return texts;
    }

    testsupport::FakeMessageBoxes m_boxes;
    FindReplaceFrm* m_dialog = nullptr;
};

TEST_F(FindReplaceFrmTest, OpensWithItsControlsOnTheSharedDocument)
{
    m_control.LetText(QStringLiteral("alpha beta gamma"));
    m_control.LetSelStart(6);
    m_control.LetSelLength(4);
    testsupport::SignalRecorder events(&m_control);
    richedit::RichTextBox* sharedDuring = nullptr;
    runDialog([&](FindReplaceFrm& dialog) {
        sharedDuring = RichTextLibraryState::instance().SharedRichText;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Find / Replace"));
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(control<QLabel>("Label1")->text(), QStringLiteral("Find What ?"));
        EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("Replace with:"));
        EXPECT_EQ(control<QGroupBox>("Frame3")->title(), QStringLiteral("Find / Replace Options"));
        EXPECT_EQ(control<QCheckBox>("MatchCaseCheck")->text(), QStringLiteral("Match Case"));
        EXPECT_EQ(control<QCheckBox>("WholeWordCheck")->text(), QStringLiteral("Whole Word Only"));
        EXPECT_EQ(control<QCheckBox>("ApplyFontColorCheck")->text(),
                  QStringLiteral("Apply Font Color"));
        for (const char* box : {"MatchCaseCheck", "WholeWordCheck", "ApplyFontColorCheck"})
            EXPECT_FALSE(control<QCheckBox>(box)->isChecked()) << box;
        EXPECT_EQ(control<QPushButton>("FontColorButton")->text(), QStringLiteral("Font Color"));
        EXPECT_FALSE(control<QPushButton>("FontColorButton")->icon().isNull());
        EXPECT_EQ(control<QPushButton>("FindNextButton")->text(), QStringLiteral("Find Next"));
        EXPECT_EQ(control<QPushButton>("FindPreviousButton")->text(),
                  QStringLiteral("Find Previous"));
        EXPECT_EQ(control<QPushButton>("ReplaceButton")->text(), QStringLiteral("Replace"));
        EXPECT_EQ(control<QPushButton>("ReplaceAllButton")->text(), QStringLiteral("Replace All"));
        // One selected word becomes the text to find.
        EXPECT_EQ(control<QLineEdit>("FindTxt")->text(), QStringLiteral("beta"));
    });
    EXPECT_EQ(sharedDuring, &window());
    EXPECT_EQ(RichTextLibraryState::instance().SharedRichText, nullptr);
    EXPECT_EQ(events.names(), (QStringList{"Begin", "Finish"}));

    // Two words: nothing is taken over.
    m_control.LetSelStart(0);
    m_control.LetSelLength(10);
    runDialog(
        [&](FindReplaceFrm&) { EXPECT_TRUE(control<QLineEdit>("FindTxt")->text().isEmpty()); });

    // The selection is taken as it shows, without the hidden text in it.
    m_control.LetTextRTF(QStringLiteral("{\\rtf1\\ansi\\pard ab{\\v  x }cd\\par}"));
    m_control.LetSelStart(0);
    m_control.LetSelLength(7);
    runDialog([&](FindReplaceFrm&) {
        EXPECT_EQ(control<QLineEdit>("FindTxt")->text(), QStringLiteral("abcd"));
    });
}

TEST_F(FindReplaceFrmTest, ControlLetsGoOfItsDocumentWhileTheDialogIsOpen)
{
    bool lock = true;
    m_control.LockWindowUpdateEx(lock);
    int countDuringDialog = -1;
    runDialog([&](FindReplaceFrm&) {
        bool unlock = false;
        m_control.LockWindowUpdateEx(unlock);
        countDuringDialog = engine().layout().freezeCount();
    });
    EXPECT_EQ(countDuringDialog, 1) << "no document is held while the dialog is open";
    bool unlock = false;
    m_control.LockWindowUpdateEx(unlock);
    EXPECT_EQ(engine().layout().freezeCount(), 0);
}

TEST_F(FindReplaceFrmTest, FindNextAndPreviousSelectOccurrencesAndReportMisses)
{
    m_control.LetText(QStringLiteral("one concatenate cat two CAT"));
    runDialog([&](FindReplaceFrm&) {
        type("FindTxt", QStringLiteral("cat"));
        click("FindNextButton");
        EXPECT_EQ(m_control.SelStart(), 7);
        EXPECT_EQ(m_control.SelLength(), 3);
        click("WholeWordCheck");
        click("FindNextButton");
        EXPECT_EQ(m_control.SelStart(), 16);
        click("MatchCaseCheck");
        click("FindNextButton");  // "CAT" differs in case
        EXPECT_EQ(m_control.SelStart(), 16);
        click("MatchCaseCheck");
        click("FindNextButton");
        EXPECT_EQ(m_control.SelStart(), 24);
        click("FindPreviousButton");
        EXPECT_EQ(m_control.SelStart(), 16);
        type("FindTxt", QStringLiteral("abc"));
        click("FindPreviousButton");
        click("FindNextButton");
    });
    EXPECT_EQ(messages(),
              (QStringList{"Search Complete: The text: ''cat'' not found after cursor location.",
                           "Search Complete: The text: ''abc'' not found ahead of cursor location.",
                           "Search Complete: The text: ''abc'' not found after cursor location."}));
    EXPECT_EQ(m_control.SelStart(), 16);
}

TEST_F(FindReplaceFrmTest, ReplaceAndReplaceAllChangeTheDocument)
{
    m_control.LetText(QStringLiteral("red fish, red fish, red"));
    runDialog([&](FindReplaceFrm&) {
        type("FindTxt", QStringLiteral("red"));
        type("ReplacementTxt", QStringLiteral("blue"));
        click("ReplaceButton");  // only selects
        EXPECT_EQ(m_control.Text(), QStringLiteral("red fish, red fish, red"));
        click("ReplaceButton");
        EXPECT_EQ(m_control.Text(), QStringLiteral("blue fish, red fish, red"));
        EXPECT_EQ(m_control.SelStart(), 11);
        type("FindTxt", QStringLiteral("fish"));
        type("ReplacementTxt", QStringLiteral("cat"));
        click("ReplaceAllButton");
        EXPECT_EQ(m_control.Text(), QStringLiteral("blue cat, red cat, red"));
    });
    EXPECT_EQ(messages(), QStringList{"Search Complete: 2 replacements made to this document."});
}

TEST_F(FindReplaceFrmTest, ChosenColourGoesToReplacedText)
{
    testsupport::FakeCommonDialogs dialogs;
    dialogs.answer(host::DialogAnswer::withColor(0x0000FF));
    dialogs.answerCancel();
    m_control.LetText(QStringLiteral("a b a"));
    runDialog([&](FindReplaceFrm&) {
        click("FontColorButton");
        EXPECT_EQ(control<QLineEdit>("ReplacementTxt")->palette().color(QPalette::Text),
                  QColor(255, 0, 0));
        // A cancelled choice keeps the colour.
        click("FontColorButton");
        EXPECT_EQ(control<QLineEdit>("ReplacementTxt")->palette().color(QPalette::Text),
                  QColor(255, 0, 0));
        click("ApplyFontColorCheck");
        type("FindTxt", QStringLiteral("a"));
        type("ReplacementTxt", QStringLiteral("cc"));
        click("ReplaceAllButton");
    });
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(m_control.Text(), QStringLiteral("cc b cc"));
    EXPECT_EQ(colorOf(0, 2), 0x0000FFu);
    EXPECT_EQ(colorOf(2, 3), 0u);
    EXPECT_EQ(colorOf(5, 2), 0x0000FFu);
}

TEST_F(FindReplaceFrmTest, ProgressIsAWholePercentage)
{
    auto& state = RichTextLibraryState::instance();
    state.ProgressTotal = 0;
    EXPECT_EQ(FindReplaceFrm::SearchProgress(), 0);
    state.ProgressTotal = 3;
    state.ProgressDone = 1;
    EXPECT_EQ(FindReplaceFrm::SearchProgress(), 33);
}

TEST_F(FindReplaceFrmTest, ClosingDuringReplaceAllStopsItAndClosesAfterwards)
{
    QString text;
    for (int i = 0; i < 4000; ++i)
        text += QStringLiteral("word word word word word\r\n");
    m_control.LetText(text);
    double progressSeen = 0;
    bool closedWhileRunning = false;
    runDialog([&](FindReplaceFrm& dialog) {
        type("FindTxt", QStringLiteral("word"));
        type("ReplacementTxt", QStringLiteral("w"));
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, &dialog, [&] {
            // Closes a fifth of the way in, once the bar has shown some progress.
            progressSeen = control<ProgressBar>("ProgressBar1")->Value();
            if (RichTextLibraryState::instance().ProgressDone < 20000 || progressSeen <= 0)
                return;
            closer.stop();
            closedWhileRunning = RichTextLibraryState::instance().SyntaxRunning;
            dialog.close();
            EXPECT_FALSE(dialog.isVisible());
        });
        closer.start(1);
        click("ReplaceAllButton");
    });
    EXPECT_TRUE(closedWhileRunning);
    EXPECT_GT(progressSeen, 0);
    EXPECT_TRUE(RichTextLibraryState::instance().ReplaceAbort);
    EXPECT_FALSE(RichTextLibraryState::instance().SyntaxRunning);
    // Stopped part-way: some words were replaced, the rest stay.
    const QString after = m_control.Text();
    EXPECT_TRUE(after.startsWith(QStringLiteral("w w w w w\r\n")));
    EXPECT_TRUE(after.endsWith(QStringLiteral("word word word word word\r\n")));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TRUE(
        m_boxes.shown()[0].text.endsWith(QStringLiteral(" replacements made to this document.")));
}
