// The word-count dialog opened through the control and driven by clicks: the five modes, the
// separator and classification rules, the listed items, the link button and the list's tooltip.
#include "richtext/language/CountWordsFrm.h"

#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/richtext/language/LanguageDialogTestSupport.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeShell.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

class CountWordsFrmTest : public testsupport::XrRTBTestBase {
protected:
    // Opens the dialog on a document of that text and runs the script on it.
    void runDialog(const QString& text, const std::function<void(CountWordsFrm&)>& script)
    {
        m_control.LetText(text);
        openDialog(script);
    }
    void openDialog(const std::function<void(CountWordsFrm&)>& script)
    {
        const bool ran =
            testsupport::runModalDialog<CountWordsFrm>([&] { m_control.ShowWordCount(); }, script);
        EXPECT_TRUE(ran);
    }

    // What the dialog lists in each mode for that text, the total checked against the list.
    QList<QStringList> listsOf(const QString& text)
    {
        QList<QStringList> lists;
        runDialog(text, [&](CountWordsFrm& dialog) {
            for (const char* option :
                 {"WordsOnlyOpt", "WordsNumsOpt", "NumsOpt", "EmailOpt", "URLOpt"}) {
                testsupport::clickButton(dialog, option);
                const QStringList entries = testsupport::listEntries(*dialog.WCList);
                EXPECT_EQ(dialog.WordCountLabel->text(), QString::number(entries.size())) << option;
                lists << entries;
            }
        });
        return lists;
    }
    QStringList listOf(const QString& text, int mode) { return listsOf(text).value(mode); }

    XrRTB m_control;
    testsupport::FakeShell m_shell;
    testsupport::FakeMessageBoxes m_boxes;
};

}  // namespace

TEST_F(CountWordsFrmTest, OpensCountedInWordsAndNumbersWithItsControls)
{
    m_control.LetText(QStringLiteral("One two 3"));
    testsupport::SignalRecorder events(&m_control);
    openDialog([&](CountWordsFrm& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Word Count"));
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.parentWidget(), &m_control);
        EXPECT_EQ(RichTextLibraryState::instance().SharedRichText.data(),
                  &testsupport::editingWindow(m_control));
        EXPECT_TRUE(dialog.WordsNumsOpt->isChecked());
        EXPECT_EQ(dialog.CountMode, 1);
        EXPECT_EQ(testsupport::listEntries(*dialog.WCList), (QStringList{"One", "two", "3"}));
        EXPECT_EQ(dialog.WordCountLabel->text(), QStringLiteral("3"));
        EXPECT_TRUE(dialog.Text1->text().isEmpty());
        EXPECT_FALSE(dialog.LinkCmd->isEnabled());
        EXPECT_FALSE(dialog.Reg1->isVisible());
        EXPECT_EQ(dialog.Reg1->text().size(), 116);
        EXPECT_EQ(dialog.Frame3->title(), QStringLiteral("Results"));
        EXPECT_EQ(dialog.Frame1->title(), QStringLiteral("Word Count Options"));
        EXPECT_EQ(dialog.Label7->text(), QStringLiteral("Total :"));
        EXPECT_EQ(dialog.Label8->text(),
                  QStringLiteral("Copy text or click button to e-mail or link."));
        EXPECT_EQ(dialog.URLOpt->text(), QStringLiteral("Web Links"));
        EXPECT_EQ(dialog.EmailOpt->text(), QStringLiteral("E-mail Addresses"));
        EXPECT_EQ(dialog.CloseButton->text(), QStringLiteral("Close"));
        testsupport::clickButton(dialog, "CloseButton");
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_TRUE(RichTextLibraryState::instance().SharedRichText.isNull());
    EXPECT_TRUE(events.names().isEmpty());
    // Every opening starts afresh in mode 1.
    runDialog(QStringLiteral("x"), [&](CountWordsFrm& dialog) {
        testsupport::clickButton(dialog, "NumsOpt");
        EXPECT_EQ(dialog.WordCountLabel->text(), QStringLiteral("0"));
    });
    runDialog(QStringLiteral("x"),
              [&](CountWordsFrm& dialog) { EXPECT_TRUE(dialog.WordsNumsOpt->isChecked()); });
}

TEST_F(CountWordsFrmTest, SeparatorsSplitPiecesAsDesigned)
{
    const QString text = QStringLiteral(
        "well-known pre-2000 -5 1,000 10:30 1,0000 3.14 foo_bar end. a(b)c \"q\" x:y");
    EXPECT_EQ(listOf(text, CountWordsFrm::WordsAndNumbers),
              (QStringList{"well-known", "pre", "2000", "5", "1,000", "10:30", "1", "0000", "3.14",
                           "foo", "bar", "end.", "a", "b", "c", "q", "x", "y"}));
    EXPECT_EQ(listOf(text, CountWordsFrm::NumbersOnly),
              (QStringList{"2000", "5", "1,000", "10:30", "1", "0000", "3.14"}));
}

TEST_F(CountWordsFrmTest, ModesClassifyPiecesByTheirLettersAndDigits)
{
    const QList<QStringList> lists =
        listsOf(QStringLiteral("abc1 word 42 ... '' ** word\r\nword word word"));
    EXPECT_EQ(lists.value(0), (QStringList{"word", "word", "word", "word", "word"}));
    EXPECT_EQ(lists.value(1), (QStringList{"abc1", "word", "42", "word", "word", "word", "word"}));
    EXPECT_EQ(lists.value(2), (QStringList{"abc1", "42"}));
    EXPECT_TRUE(lists.value(3).isEmpty());
    EXPECT_TRUE(lists.value(4).isEmpty());
    // Accented letters count as letters and are shown as "A".
    EXPECT_EQ(listOf(QString::fromUtf8("caf\u00e9 \u00e9t\u00e9"), CountWordsFrm::WordsOnly),
              (QStringList{"cafA", "AtA"}));
    // An empty document counts nothing in any mode.
    for (const QStringList& list : listsOf(QString()))
        EXPECT_TRUE(list.isEmpty());
}

// The count is of the words that show: hidden words and hidden paragraphs add none, and a
// hidden run inside a word does not split it.
TEST_F(CountWordsFrmTest, HiddenTextIsNotCounted)
{
    m_control.LetTextRTF(
        QStringLiteral("{\\rtf1\\ansi\\pard one {\\v two three }four fi{\\v X}ve"
                       "\\par{\\v\\pard six seven\\par}\\pard eight\\par}"));
    openDialog([](CountWordsFrm& dialog) {
        EXPECT_EQ(testsupport::listEntries(*dialog.WCList),
                  (QStringList{"one", "four", "five", "eight"}));
        EXPECT_EQ(dialog.WordCountLabel->text(), QStringLiteral("4"));
    });
}

TEST_F(CountWordsFrmTest, AddressesCountOnlyInTheirOwnModes)
{
    m_control.LetText(QStringLiteral(
        "Mail ann@example.com by 10:30 or see www.example.org/page and http://x.net now; "
        "the teh list costs 1,000 or 3.14 each."));
    openDialog([&](CountWordsFrm& dialog) {
        testsupport::saveShot(dialog, QStringLiteral("word-count"));
    });
    const QList<QStringList> lists = listsOf(
        QStringLiteral("Mail ann@example.com or see www.example.org/page and http://x.net now"));
    EXPECT_EQ(lists.value(0), (QStringList{"Mail", "or", "see", "and", "now"}));
    EXPECT_EQ(lists.value(1), lists.value(0));
    EXPECT_EQ(lists.value(3), QStringList{"ann@example.com"});
    EXPECT_EQ(lists.value(4), (QStringList{"www.example.org/page", "http://x.net"}));
}

TEST_F(CountWordsFrmTest, LinkButtonOpensTheClickedAddressThroughTheAllowList)
{
    runDialog(QStringLiteral("Write ann@example.com www.example.org file://c/secret.exe"),
              [&](CountWordsFrm& dialog) {
                  testsupport::clickButton(dialog, "URLOpt");
                  EXPECT_EQ(testsupport::listEntries(*dialog.WCList),
                            (QStringList{"www.example.org", "file://c/secret.exe"}));
                  // The button does nothing while Text1 is empty.
                  EXPECT_FALSE(dialog.LinkCmd->isEnabled());
                  testsupport::clickListEntry(*dialog.WCList, 0);
                  EXPECT_EQ(dialog.Text1->text(), QStringLiteral("www.example.org"));
                  EXPECT_TRUE(dialog.LinkCmd->isEnabled());
                  EXPECT_FALSE(dialog.LinkCmd->icon().isNull());
                  EXPECT_EQ(dialog.LinkCmd->toolTip(),
                            QStringLiteral("Connect to: www.example.org"));
                  testsupport::saveShot(dialog, QStringLiteral("word-count-links"));
                  testsupport::clickButton(dialog, "LinkCmd");
                  EXPECT_EQ(m_shell.openedUrls(), QStringList{"http://www.example.org"});
                  // A local file address is never handed to the shell.
                  testsupport::clickListEntry(*dialog.WCList, 1);
                  testsupport::clickButton(dialog, "LinkCmd");
                  EXPECT_EQ(m_shell.openedUrls().size(), 1);
                  dialog.Text1->clear();
                  testsupport::clickButton(dialog, "LinkCmd");
                  EXPECT_EQ(m_shell.openedUrls().size(), 1);

                  testsupport::clickButton(dialog, "EmailOpt");
                  EXPECT_FALSE(dialog.LinkCmd->isEnabled());
                  testsupport::clickListEntry(*dialog.WCList, 0);
                  EXPECT_EQ(dialog.LinkCmd->toolTip(), QStringLiteral("Create Email"));
                  testsupport::saveShot(dialog, QStringLiteral("word-count-email"));
                  // The address is what Text1 holds at the click, edited or not.
                  dialog.Text1->setText(QStringLiteral("bob@example.com"));
                  testsupport::clickButton(dialog, "LinkCmd");
                  EXPECT_EQ(m_shell.openedUrls().last(), QStringLiteral("mailto:bob@example.com"));

                  // Another mode empties Text1 and switches the button off.
                  testsupport::clickButton(dialog, "WordsOnlyOpt");
                  EXPECT_TRUE(dialog.Text1->text().isEmpty());
                  EXPECT_FALSE(dialog.LinkCmd->isEnabled());
                  EXPECT_TRUE(dialog.LinkCmd->toolTip().isEmpty());
                  testsupport::clickListEntry(*dialog.WCList, 0);
                  EXPECT_FALSE(dialog.LinkCmd->isEnabled());
                  EXPECT_FALSE(dialog.Text1->text().isEmpty());
              });
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(CountWordsFrmTest, ListTooltipShowsTheEntryUnderThePointerOrTheFirst)
{
    runDialog(QStringLiteral("alpha beta gamma"), [&](CountWordsFrm& dialog) {
        QListWidget& list = *dialog.WCList;
        QTest::mouseMove(list.viewport(), list.visualItemRect(list.item(1)).center());
        EXPECT_EQ(list.toolTip(), QStringLiteral("beta"));
        QTest::mouseMove(list.viewport(), QPoint(5, list.viewport()->height() - 5));
        EXPECT_EQ(list.toolTip(), QStringLiteral("alpha"));
        // Moving through the list with the keys takes the entry as a click does.
        list.setFocus();
        testsupport::clickListEntry(list, 0);
        QTest::keyClick(&list, Qt::Key_Down);
        EXPECT_EQ(dialog.Text1->text(), QStringLiteral("beta"));
    });
}
