// The spell-check dialog opened through the control and driven by clicks: the scan of the
// copy, the mirrored selection, suggestions and the slider, Next and Previous, Change with its
// period rule, Undo, the button states, the messages and closing during the scan.
#include "richtext/language/SpellCheckFrm.h"

#include "platform/runtime/VbError.h"
#include "platform/widgets/ProgressBar.h"
#include "platform/widgets/XrSliderControl.h"
#include "richtext/language/PublicMod.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/richtext/language/LanguageDialogTestSupport.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

class SpellCheckFrmTest : public testsupport::XrRTBTestBase {
protected:
    // Opens the dialog on a document of that text and, once its scan has ended, runs the
    // script on it.
    bool runDialog(const QString& text, const std::function<void(SpellCheckFrm&)>& script)
    {
        m_control.LetText(text);
        return testsupport::runModalDialog<SpellCheckFrm>(
            [&] { m_control.ShowSpellCheck(); },
            [&](SpellCheckFrm& dialog) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.NextButton->isEnabled(); }, 20000));
                script(dialog);
            });
    }
    // Lets the button timer tick.
    static void tick() { QTest::qWait(20); }

    QString selectedInDocument() { return testsupport::editingWindow(m_control).SelText(); }
    QStringList messages() const
    {
        QStringList texts;
        for (const host::MessageBoxRequest& box : m_boxes.shown())
            texts << box.title + QStringLiteral(": ") + box.text;
        return texts;
    }

    XrRTB m_control;
    testsupport::FakeMessageBoxes m_boxes;
};

const QString Misspelled =
    QStringLiteral("The qwick brown fox jumpd over the lazzy dog. Then the qwick fox slept.");

}  // namespace

TEST_F(SpellCheckFrmTest, ScanFillsTheListAndMirrorsTheFirstWordIntoTheDocument)
{
    m_control.LetText(Misspelled);
    m_control.LetSelStart(4);
    m_control.LetSelLength(5);
    testsupport::SignalRecorder events(&m_control);
    const bool ran = testsupport::runModalDialog<SpellCheckFrm>(
        [&] { m_control.ShowSpellCheck(); },
        [&](SpellCheckFrm& dialog) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.NextButton->isEnabled(); }, 20000));
            EXPECT_EQ(dialog.windowTitle(),
                      QStringLiteral(" Spell Check                     English U.S.A."));
            EXPECT_EQ(dialog.parentWidget(), &m_control);
            EXPECT_EQ(dialog.Label3->text(), QStringLiteral("Not Found in Dictionary"));
            EXPECT_EQ(dialog.Frame1->title(), QStringLiteral("Suggestions"));
            EXPECT_EQ(dialog.Label7->text(), QStringLiteral("more suggestions"));
            EXPECT_EQ(dialog.Label8->text(), QStringLiteral("fewer suggestions"));
            EXPECT_EQ(dialog.XrSliderControl1->Value(), 28);
            EXPECT_TRUE(dialog.XrRTB1->Locked());
            EXPECT_FALSE(dialog.XrRTB1->AutoVMenu());
            EXPECT_FALSE(dialog.XrRTB1->DisplayRuler());
            EXPECT_EQ(dialog.XrRTB1->Text(), Misspelled);
            EXPECT_EQ(testsupport::listEntries(*dialog.NotFoundList),
                      (QStringList{"qwick", "jumpd", "lazzy", "qwick"}));
            EXPECT_EQ(dialog.NotFoundList->currentRow(), 0);
            EXPECT_EQ(dialog.Text1->text(), QStringLiteral("qwick"));
            EXPECT_GT(dialog.SuggestionList->count(), 0);
            // The copy's selection is the document's.
            EXPECT_EQ(dialog.XrRTB1->SelStart(), 4);
            EXPECT_EQ(m_control.SelStart(), 4);
            EXPECT_EQ(selectedInDocument(), QStringLiteral("qwick"));
            EXPECT_EQ(RichTextLibraryState::instance().SharedRichText.data(),
                      &testsupport::editingWindow(m_control));
            tick();
            EXPECT_FALSE(dialog.ChangeButton->isEnabled());
            EXPECT_FALSE(dialog.UndoButton->isEnabled());
            testsupport::saveShot(dialog, QStringLiteral("spell-check"));

            // Another entry shows its word and suggestions and selects that word.
            testsupport::clickListEntry(*dialog.NotFoundList, 2);
            EXPECT_EQ(dialog.Text1->text(), QStringLiteral("lazzy"));
            EXPECT_EQ(selectedInDocument(), QStringLiteral("lazzy"));
            EXPECT_TRUE(testsupport::listEntries(*dialog.SuggestionList).contains("lazy"));
            EXPECT_TRUE(m_boxes.shown().empty());
            // Escape closes it as the close box does, stopping any scan.
            RichTextLibraryState::instance().SpellScanAbort = false;
            QTest::keyClick(dialog.NotFoundList, Qt::Key_Escape);
            EXPECT_FALSE(dialog.isVisible());
        });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(RichTextLibraryState::instance().SharedRichText.isNull());
    // The caret goes back where the selection started, and only Begin and Finish are raised.
    EXPECT_EQ(m_control.SelStart(), 4);
    EXPECT_EQ(m_control.SelLength(), 0);
    // Only the command bracket's Begin and Finish are raised (the mirrored selection raises
    // SelChange in between).
    QStringList bracket = events.names();
    bracket.removeAll(QStringLiteral("SelChange"));
    EXPECT_EQ(bracket, (QStringList{"Begin", "Finish"}));
    EXPECT_TRUE(RichTextLibraryState::instance().SpellScanAbort);
}

TEST_F(SpellCheckFrmTest, NextAndPreviousStepThroughTheOccurrences)
{
    EXPECT_TRUE(runDialog(Misspelled, [&](SpellCheckFrm& dialog) {
        testsupport::clickButton(dialog, "NextButton");
        EXPECT_EQ(dialog.NotFoundList->currentRow(), 1);
        EXPECT_EQ(dialog.Text1->text(), QStringLiteral("jumpd"));
        EXPECT_EQ(selectedInDocument(), QStringLiteral("jumpd"));
        testsupport::clickButton(dialog, "NextButton");
        testsupport::clickButton(dialog, "NextButton");
        // The second "qwick" is selected, not the first.
        EXPECT_EQ(dialog.NotFoundList->currentRow(), 3);
        EXPECT_EQ(m_control.SelStart(), Misspelled.lastIndexOf(QStringLiteral("qwick")));
        testsupport::clickButton(dialog, "PreviousButton");
        EXPECT_EQ(dialog.NotFoundList->currentRow(), 2);
        EXPECT_EQ(selectedInDocument(), QStringLiteral("lazzy"));
    }));
}

TEST_F(SpellCheckFrmTest, ListClickSelectsTheOccurrenceTheEntryStandsFor)
{
    EXPECT_TRUE(runDialog(Misspelled, [&](SpellCheckFrm& dialog) {
        const int32_t second = int32_t(Misspelled.lastIndexOf(QStringLiteral("qwick")));
        testsupport::clickListEntry(*dialog.NotFoundList, 3);
        EXPECT_EQ(m_control.SelStart(), second);
        EXPECT_EQ(dialog.XrRTB1->SelStart(), second);
        EXPECT_EQ(selectedInDocument(), QStringLiteral("qwick"));
        testsupport::clickListEntry(*dialog.NotFoundList, 0);
        EXPECT_EQ(m_control.SelStart(), Misspelled.indexOf(QStringLiteral("qwick")));
        // Next goes on from the entry chosen, in the list and in the document.
        testsupport::clickListEntry(*dialog.NotFoundList, 1);
        testsupport::clickButton(dialog, "NextButton");
        EXPECT_EQ(dialog.NotFoundList->currentRow(), 2);
        EXPECT_EQ(selectedInDocument(), QStringLiteral("lazzy"));
        EXPECT_EQ(dialog.XrRTB1->SelText(), QStringLiteral("lazzy"));
    }));
}

TEST_F(SpellCheckFrmTest, ChangeAfterAListClickChangesTheWordShown)
{
    const QString text = QStringLiteral("Marta Lindqvist did not beleive it.");
    EXPECT_TRUE(runDialog(text, [&](SpellCheckFrm& dialog) {
        const QStringList entries = testsupport::listEntries(*dialog.NotFoundList);
        const int row = int(entries.indexOf(QStringLiteral("beleive")));
        ASSERT_GT(row, 0) << entries.join(u',').toStdString();
        ASSERT_EQ(dialog.NotFoundList->currentRow(), 0);
        testsupport::clickListEntry(*dialog.NotFoundList, row);
        EXPECT_EQ(dialog.Text1->text(), QStringLiteral("beleive"));
        EXPECT_EQ(selectedInDocument(), QStringLiteral("beleive"));
        int believe = int(
            testsupport::listEntries(*dialog.SuggestionList).indexOf(QStringLiteral("believe")));
        ASSERT_GE(believe, 0);
        testsupport::clickListEntry(*dialog.SuggestionList, believe);
        tick();
        testsupport::clickButton(dialog, "ChangeButton");
        const QString corrected = QStringLiteral("Marta Lindqvist did not believe it.");
        EXPECT_EQ(m_control.Text(), corrected);
        EXPECT_EQ(dialog.XrRTB1->Text(), corrected);
        EXPECT_FALSE(testsupport::listEntries(*dialog.NotFoundList).contains("beleive"));

        // Undo takes back exactly that correction, in both.
        tick();
        testsupport::clickButton(dialog, "UndoButton");
        EXPECT_EQ(m_control.Text(), text);
        EXPECT_EQ(dialog.XrRTB1->Text(), text);
        EXPECT_EQ(testsupport::listEntries(*dialog.NotFoundList), entries);
        EXPECT_EQ(selectedInDocument(), QStringLiteral("beleive"));
    }));
}

TEST_F(SpellCheckFrmTest, HelpNeverForLabelsOrTheSuggestionFrame)
{
    EXPECT_TRUE(runDialog(Misspelled, [&](SpellCheckFrm& dialog) {
        QTest::mouseClick(dialog.Label3, Qt::LeftButton, {}, dialog.Label3->rect().center());
        QTest::mouseClick(dialog.Label7, Qt::LeftButton, {}, dialog.Label7->rect().center());
        QTest::mouseClick(dialog.Label8, Qt::LeftButton, {}, dialog.Label8->rect().center());
        // The frame's own surface, left of the suggestion list.
        QTest::mouseClick(dialog.Frame1, Qt::LeftButton, {},
                          QPoint(4, dialog.SuggestionList->geometry().center().y()));
        EXPECT_TRUE(m_boxes.shown().empty()) << messages().join(u'|').toStdString();
    }));
}

TEST_F(SpellCheckFrmTest, DoubleClickOnMoreSuggestionsGreetsOnlyForTheProgramsName)
{
    EXPECT_TRUE(runDialog(QStringLiteral("The qwick fox met scrivet."), [&](SpellCheckFrm& dialog) {
        const QStringList entries = testsupport::listEntries(*dialog.NotFoundList);
        const int name = int(entries.indexOf(QStringLiteral("scrivet")));
        ASSERT_GE(name, 0) << entries.join(u',').toStdString();
        const int other = int(entries.indexOf(QStringLiteral("qwick")));
        ASSERT_GE(other, 0);
        testsupport::clickListEntry(*dialog.NotFoundList, other);
        QTest::mouseDClick(dialog.Label7, Qt::LeftButton);
        EXPECT_TRUE(m_boxes.shown().empty());
        testsupport::clickListEntry(*dialog.NotFoundList, name);
        QTest::mouseDClick(dialog.Label7, Qt::LeftButton);
        EXPECT_EQ(messages(), QStringList{QStringLiteral("Greetings: ") + SpellCheckFrm::Greeting});
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_EQ(m_boxes.shown().front().style, host::vbInformation);
    }));
}

TEST_F(SpellCheckFrmTest, SliderMovesTheThreshold)
{
    EXPECT_TRUE(runDialog(Misspelled, [&](SpellCheckFrm& dialog) {
        const int atStart = dialog.SuggestionList->count();
        dialog.XrSliderControl1->setValue(60);
        const int more = dialog.SuggestionList->count();
        EXPECT_GT(more, atStart);
        dialog.XrSliderControl1->setValue(0);
        EXPECT_LE(dialog.SuggestionList->count(), atStart);
    }));
}

TEST_F(SpellCheckFrmTest, ChangeCorrectsDocumentAndCopyAndUndoTakesItBack)
{
    EXPECT_TRUE(runDialog(Misspelled, [&](SpellCheckFrm& dialog) {
        testsupport::clickButton(dialog, "NextButton");
        testsupport::clickButton(dialog, "NextButton");
        ASSERT_EQ(dialog.Text1->text(), QStringLiteral("lazzy"));
        const QStringList suggestions = testsupport::listEntries(*dialog.SuggestionList);
        const int lazy = int(suggestions.indexOf(QStringLiteral("lazy")));
        ASSERT_GE(lazy, 0);
        // Change does nothing while no suggestion is chosen.
        dialog.ChangeButton->setEnabled(true);
        testsupport::clickButton(dialog, "ChangeButton");
        EXPECT_EQ(m_control.Text(), Misspelled);
        tick();
        EXPECT_FALSE(dialog.ChangeButton->isEnabled());

        testsupport::clickListEntry(*dialog.SuggestionList, lazy);
        tick();
        ASSERT_TRUE(dialog.ChangeButton->isEnabled());
        testsupport::clickButton(dialog, "ChangeButton");
        QString corrected = Misspelled;
        corrected.replace(QStringLiteral("lazzy"), QStringLiteral("lazy"));
        EXPECT_EQ(m_control.Text(), corrected);
        EXPECT_EQ(dialog.XrRTB1->Text(), corrected);
        EXPECT_EQ(testsupport::listEntries(*dialog.NotFoundList),
                  (QStringList{"qwick", "jumpd", "qwick"}));
        // The next word is selected in both and shown.
        EXPECT_EQ(dialog.Text1->text(), QStringLiteral("qwick"));
        EXPECT_EQ(selectedInDocument(), QStringLiteral("qwick"));
        EXPECT_EQ(m_control.SelStart(), corrected.lastIndexOf(QStringLiteral("qwick")));
        EXPECT_TRUE(RichTextLibraryState::instance().SkipNextKeyUp);
        // The correction is blue in the copy.
        dialog.XrRTB1->LetSelStart(int32_t(corrected.indexOf(QStringLiteral("lazy"))));
        dialog.XrRTB1->LetSelLength(4);
        EXPECT_EQ(dialog.XrRTB1->SelColor(), 0xFF0000u);
        tick();
        EXPECT_TRUE(dialog.UndoButton->isEnabled());

        testsupport::clickButton(dialog, "UndoButton");
        EXPECT_EQ(m_control.Text(), Misspelled);
        EXPECT_EQ(dialog.XrRTB1->Text(), Misspelled);
        EXPECT_EQ(testsupport::listEntries(*dialog.NotFoundList),
                  (QStringList{"qwick", "jumpd", "lazzy", "qwick"}));
        EXPECT_EQ(dialog.NotFoundList->currentRow(), 2);
        EXPECT_EQ(selectedInDocument(), QStringLiteral("lazzy"));
        tick();
        EXPECT_FALSE(dialog.UndoButton->isEnabled());
        EXPECT_FALSE(PublicMod::GetSpellUndoAvailable());
        EXPECT_TRUE(m_boxes.shown().empty());
    }));
}

TEST_F(SpellCheckFrmTest, PeriodRuleAndTheLastCorrection)
{
    EXPECT_TRUE(runDialog(QStringLiteral("Say hello to the wrld."), [&](SpellCheckFrm& dialog) {
        ASSERT_EQ(testsupport::listEntries(*dialog.NotFoundList), QStringList{"wrld"});
        // A correction ending in a period replaces the period after the word too.
        dialog.SuggestionList->clear();
        dialog.SuggestionList->addItem(QStringLiteral("world."));
        testsupport::clickListEntry(*dialog.SuggestionList, 0);
        tick();
        testsupport::clickButton(dialog, "ChangeButton");
        EXPECT_EQ(m_control.Text(), QStringLiteral("Say hello to the world."));
        EXPECT_EQ(dialog.XrRTB1->Text(), QStringLiteral("Say hello to the world."));
        EXPECT_EQ(messages(),
                  QStringList{"Spell Check Complete: No additional spelling errors detected."});
        tick();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.NextButton->isEnabled());
        EXPECT_FALSE(dialog.PreviousButton->isEnabled());
        EXPECT_EQ(dialog.SuggestionList->count(), 0);
    }));
}

TEST_F(SpellCheckFrmTest, CleanDocumentEndsWithOneMessageAndClosesItself)
{
    m_control.LetText(QStringLiteral("The cat sat on the mat."));
    testsupport::SignalRecorder events(&m_control);
    // Returns without help: the dialog closes itself after its message, which is shown once.
    m_control.ShowSpellCheck();
    EXPECT_EQ(messages(), QStringList{"Spell Check Complete: No spelling errors detected."});
    EXPECT_EQ(m_boxes.shown().front().style, host::vbInformation);
    EXPECT_EQ(events.names(), (QStringList{"Begin", "Finish"}));
}

TEST_F(SpellCheckFrmTest, HelpClickOnTheSurface)
{
    EXPECT_TRUE(runDialog(Misspelled, [&](SpellCheckFrm& dialog) {
        // Between the word list and the suggestion frame: the dialog's own surface.
        const QPoint gap((dialog.NotFoundList->geometry().right() + dialog.Frame1->x()) / 2,
                         dialog.NotFoundList->geometry().center().y());
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, gap);
        EXPECT_EQ(messages(),
                  QStringList{"User Help: Use the Previous and Next buttons to navigate words "
                              "not in the dictionary."});
        // Below the help area nothing is shown.
        QTest::mouseClick(&dialog, Qt::LeftButton, {},
                          QPoint(gap.x(), dialog.ProgressBar1->y() - 2));
        EXPECT_EQ(m_boxes.shown().size(), 1u);
    }));
}

TEST_F(SpellCheckFrmTest, ClosingDuringTheScanStopsItWithoutAMessage)
{
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("alpha qwick beta ");
    m_control.LetText(text);
    bool closedDuringScan = false;
    const bool ran = testsupport::runModalDialog<SpellCheckFrm>(
        [&] { m_control.ShowSpellCheck(); },
        [&](SpellCheckFrm& dialog) {
            // Timer1 ticks only while the scan lets the event loop run.
            QObject::connect(dialog.Timer1, &QTimer::timeout, &dialog, [&] {
                if (!closedDuringScan && dialog.isVisible()) {
                    closedDuringScan = true;
                    testsupport::clickButton(dialog, "CloseButton");
                }
            });
            EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 20000));
        });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(closedDuringScan);
    EXPECT_TRUE(m_boxes.shown().empty());
    EXPECT_EQ(m_control.Text(), text);
    EXPECT_TRUE(RichTextLibraryState::instance().SpellScanAbort);
}

TEST_F(SpellCheckFrmTest, SharedRtfStringIsTheHandedOverDocument)
{
    EXPECT_THROW(PublicMod::GetSharedRTFString(), vb::VbError);
    m_control.LetText(QStringLiteral("Shared words"));
    QString during;
    testsupport::runModalDialog<SpellCheckFrm>([&] { m_control.ShowSpellCheck(); },
                                               [&](SpellCheckFrm& dialog) {
                                                   during = PublicMod::GetSharedRTFString();
                                                   dialog.close();
                                               });
    EXPECT_EQ(during, m_control.TextRTF());
    EXPECT_TRUE(during.contains(QStringLiteral("Shared words")));
}
