#include "richtext/printing/PrintPreview.h"

#include "platform/host/HourglassCursor.h"
#include "platform/richedit/view/Messages.h"
#include "tests/richtext/printing/PrintingTestSupport.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <memory>

namespace {

using testsupport::FakePrinter;
using testsupport::FakePrintJob;
using testsupport::InkBand;

QStringList entries(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

class PrintPreviewTest : public testing::Test {
protected:
    void SetUp() override
    {
        RichTextLibraryState::instance().reset();
        RichTextLibraryState::instance().SharedPrintMargin = 1440;
        RichTextLibraryState::instance().SharedRichText = &m_document;
    }
    void TearDown() override
    {
        PrintPreview::setShowHook({});
        RichTextLibraryState::instance().reset();
    }

    PrintPreview& load(const QString& text)
    {
        m_document.setText(text);
        m_preview = std::make_unique<PrintPreview>();
        EXPECT_TRUE(m_preview->Form_Load());
        return *m_preview;
    }
    static void choose(QComboBox* combo, int index) { combo->setCurrentIndex(index); }
    // The pages of the document at the 1-inch and the 3/4-inch margin.
    std::pair<int32_t, int32_t> pagesAtBothMargins(int lines)
    {
        // Counted on the copy the window takes, which comes through RTF.
        richedit::RichTextBox source;
        source.setText(testsupport::numberedLines(lines));
        richedit::RichTextBox copy;
        copy.setTextRTF(source.TextRTF());
        auto& margin = RichTextLibraryState::instance().SharedPrintMargin;
        const int32_t before = margin;
        margin = 1440;
        const int32_t wide = PrintingMod::CountPages(copy);
        margin = 1080;
        const int32_t narrow = PrintingMod::CountPages(copy);
        margin = before;
        return {wide, narrow};
    }
    // A line count whose document fills `wide` pages at 1440 and `narrow` at 1080.
    int linesFor(int32_t wide, int32_t narrow)
    {
        for (int lines = 40 * narrow; lines < 70 * wide; ++lines) {
            if (pagesAtBothMargins(lines) == std::pair(wide, narrow))
                return lines;
        }
        return 0;
    }
    // The ink of the canvas in the rows of a stamp at y twips.
    std::vector<InkBand> canvasBands(int fromTwips, int toTwips)
    {
        return testsupport::inkBands(m_preview->Picture1.image(), fromTwips / 15, toTwips / 15);
    }

    FakePrinter m_printer;
    testsupport::FakeMessageBoxes m_boxes;
    richedit::RichTextBox m_document;
    std::unique_ptr<PrintPreview> m_preview;
};

// --- Loading ---

TEST_F(PrintPreviewTest, LoadingShowsPageOneWithTheDefaults)
{
    PrintPreview& preview = load(QStringLiteral("One short page."));
    EXPECT_EQ(preview.windowTitle(), "Print Preview");
    EXPECT_EQ(preview.RichTextBox1->Text(), "One short page.");
    EXPECT_EQ(preview.PageCount, 1);
    EXPECT_EQ(preview.PageCountLabel->text(), "1");
    EXPECT_EQ(entries(preview.PageCombo), QStringList{"1"});
    EXPECT_EQ(preview.SelectedPage, 1);
    EXPECT_EQ(preview.PrinterNameTxt->text(), "Fake Printer");
    EXPECT_EQ(preview.PrintOpsCombo->currentText(), "Print Selected Page Only");
    EXPECT_EQ(preview.StampOpsCombo->currentText(), "No Stamp");
    EXPECT_EQ(preview.AlignmentCombo->currentText(), "Align Center");
    EXPECT_TRUE(preview.TopOpt->isChecked());
    EXPECT_TRUE(preview.OneInMarginOpt->isChecked());
    EXPECT_FALSE(preview.ThreeQInMarginOpt->isChecked());
    EXPECT_EQ(preview.CopiesTxt->text(), "1");
    EXPECT_EQ(preview.StampKind, PrintNiether);
    EXPECT_EQ(preview.StampPosition, CenterAlignHeading);
    EXPECT_FALSE(preview.IsLoading);
    EXPECT_FALSE(preview.FromCombo->isEnabled());
    EXPECT_FALSE(preview.CustomTxtBox->isEnabled());
    EXPECT_FALSE(preview.AlignmentCombo->isEnabled());
    EXPECT_FALSE(preview.Picture2->picture().isNull()) << "page 1 is shown";
    EXPECT_GT(FakePrinter::inkedPixels(preview.Picture1.image()), 0);
    EXPECT_FALSE(host::HourglassCursor::isShown());
    EXPECT_TRUE(m_boxes.shown().empty());

    // Every print choice prints that one page.
    for (int choice = 0; choice < 3; ++choice) {
        choose(preview.PrintOpsCombo, choice);
        preview.PrintOpsCombo_Click();
        preview.PrintButton_Click();
        EXPECT_EQ(m_printer.pages().size(), 1u) << choice;
    }
    EXPECT_EQ(m_printer.jobs().size(), 3u);

    preview.Form_Unload();
    EXPECT_TRUE(preview.RichTextBox1->Text().isEmpty());
    EXPECT_EQ(m_document.Text(), "One short page.") << "the document is never touched";
}

TEST_F(PrintPreviewTest, WithoutAPrinterTheWindowClosesWithoutShowing)
{
    m_printer.setInstalled(false);
    m_document.setText(QStringLiteral("text"));
    int shows = 0;
    PrintPreview::setShowHook([&](PrintPreview&) { ++shows; });
    PrintPreview preview;
    preview.showModal();
    EXPECT_EQ(shows, 0);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text, "Make sure that you have a printer installed. ");
    EXPECT_EQ(m_boxes.shown()[0].title, "Printer Error");
    EXPECT_EQ(m_boxes.shown()[0].style, host::vbExclamation);
}

// --- Page lists ---

TEST_F(PrintPreviewTest, AMarginChangeKeepsTheViewedPageOrFallsBackToPageOne)
{
    const int growing = linesFor(7, 6);
    ASSERT_GT(growing, 0);
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    PrintPreview& preview = load(testsupport::numberedLines(growing));
    EXPECT_TRUE(preview.ThreeQInMarginOpt->isChecked());
    ASSERT_EQ(preview.PageCount, 6);
    choose(preview.PageCombo, 4);
    preview.PageCombo_Click();
    preview.OneInMarginOpt->setChecked(true);
    preview.OneInMarginOpt_Click();
    EXPECT_EQ(RichTextLibraryState::instance().SharedPrintMargin, 1440);
    EXPECT_EQ(preview.PageCount, 7);
    EXPECT_EQ(preview.PageCountLabel->text(), "7");
    EXPECT_EQ(preview.PageCombo->currentText(), "5");
    EXPECT_EQ(preview.SelectedPage, 5);

    const int shrinking = linesFor(5, 4);
    ASSERT_GT(shrinking, 0);
    RichTextLibraryState::instance().SharedPrintMargin = 1440;
    PrintPreview& shorter = load(testsupport::numberedLines(shrinking));
    choose(shorter.PageCombo, 4);
    shorter.PageCombo_Click();
    shorter.ThreeQInMarginOpt->setChecked(true);
    shorter.ThreeQInMarginOpt_Click();
    EXPECT_EQ(shorter.PageCount, 4);
    EXPECT_EQ(shorter.PageCombo->currentText(), "1");
    EXPECT_EQ(shorter.SelectedPage, 1);
}

TEST_F(PrintPreviewTest, RangeListsKeepTheLastPageWhileItIsInRange)
{
    PrintPreview& preview = load(testsupport::numberedLines(400));
    ASSERT_GE(preview.PageCount, 6);
    choose(preview.PrintOpsCombo, 2);
    preview.PrintOpsCombo_Click();
    EXPECT_TRUE(preview.FromCombo->isEnabled());
    EXPECT_TRUE(preview.ToCombo->isEnabled());
    EXPECT_EQ(preview.FromCombo->currentText(), "1");
    EXPECT_EQ(preview.ToCombo->currentText(), "1");
    EXPECT_EQ(preview.ToCombo->count(), preview.PageCount);

    choose(preview.ToCombo, 1);    // To 2
    choose(preview.FromCombo, 2);  // From 3
    preview.FromCombo_Click();
    EXPECT_EQ(preview.ToCombo->itemText(0), "3");
    EXPECT_EQ(preview.ToCombo->currentText(), "3");

    choose(preview.ToCombo, 2);    // To 5
    choose(preview.FromCombo, 1);  // From 2
    preview.FromCombo_Click();
    EXPECT_EQ(preview.ToCombo->itemText(0), "2");
    EXPECT_EQ(preview.ToCombo->currentText(), "5");

    // Choosing range printing again starts over at pages 1 to 1.
    choose(preview.PrintOpsCombo, 0);
    preview.PrintOpsCombo_Click();
    EXPECT_FALSE(preview.FromCombo->isEnabled());
    EXPECT_EQ(preview.FromCombo->currentText(), "2") << "the lists stay as they were";
    choose(preview.PrintOpsCombo, 2);
    preview.PrintOpsCombo_Click();
    EXPECT_EQ(preview.FromCombo->currentText(), "1");
    EXPECT_EQ(preview.ToCombo->currentText(), "1");

    // Range printing prints the chosen pages.
    choose(preview.ToCombo, 2);
    preview.PrintButton_Click();
    EXPECT_EQ(m_printer.pages().size(), 3u);
}

// --- Copies and printing ---

TEST_F(PrintPreviewTest, CopiesWrapFrom999ToOneAndPrintOneJobEach)
{
    PrintPreview& preview = load(QStringLiteral("A page."));
    QScrollBar* copies = preview.VScroll1;
    copies->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(preview.CopiesTxt->text(), "1") << "no fewer than one copy";
    copies->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(preview.CopiesTxt->text(), "2");
    copies->setValue(2);
    EXPECT_EQ(preview.CopiesTxt->text(), "999");
    copies->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(preview.CopiesTxt->text(), "1");
    EXPECT_EQ(copies->value(), 1000);

    copies->setValue(998);
    ASSERT_EQ(preview.CopiesTxt->text(), "3");
    choose(preview.PrintOpsCombo, 0);
    preview.PrintOpsCombo_Click();
    preview.PrintButton_Click();
    ASSERT_EQ(m_printer.jobs().size(), 3u);
    for (const FakePrintJob& job : m_printer.jobs())
        EXPECT_EQ(job.state, FakePrintJob::State::Ended);

    // The printer went away after the window opened: nothing is printed, the choices stay.
    m_printer.setInstalled(false);
    preview.PrintButton_Click();
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text,
              "Make sure that you have a printer installed and connected. ");
    EXPECT_EQ(m_boxes.shown()[0].title, "Cannot Print");
    EXPECT_EQ(m_printer.jobs().size(), 3u);
    EXPECT_EQ(preview.CopiesTxt->text(), "3");
}

// --- Stamp choices ---

TEST_F(PrintPreviewTest, StampChoicesEnableTheirControlsAndSetThePosition)
{
    PrintPreview& preview = load(QStringLiteral("A page."));
    choose(preview.StampOpsCombo, PrintCustom);
    preview.StampOpsCombo_Click();
    EXPECT_EQ(preview.StampKind, PrintCustom);
    EXPECT_TRUE(preview.CustomTxtBox->isEnabled());
    EXPECT_EQ(preview.CustomTxtBox->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_TRUE(preview.AlignmentCombo->isEnabled());
    preview.CustomTxtBox->setText(QStringLiteral("Draft"));

    choose(preview.StampOpsCombo, PrintPageOnly);
    preview.StampOpsCombo_Click();
    EXPECT_FALSE(preview.CustomTxtBox->isEnabled());
    EXPECT_NE(preview.CustomTxtBox->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(preview.CustomTxtBox->text(), "Draft");
    EXPECT_TRUE(preview.TopOpt->isEnabled());

    preview.BottomOpt->setChecked(true);
    preview.BottomOpt_Click();
    EXPECT_EQ(preview.StampPosition, CenterAlignHeadingBottom);
    choose(preview.AlignmentCombo, 0);
    preview.AlignmentCombo_Click();
    EXPECT_EQ(preview.StampPosition, LeftAlignHeadingBottom);
    choose(preview.AlignmentCombo, 2);
    preview.AlignmentCombo_Click();
    EXPECT_EQ(preview.StampPosition, RightAlignHeadingBottom);
    preview.TopOpt->setChecked(true);
    preview.TopOpt_Click();
    EXPECT_EQ(preview.StampPosition, RightAlignHeading);

    // A user's choice arrives through the list's signal.
    choose(preview.StampOpsCombo, PrintNiether);
    emit preview.StampOpsCombo->activated(PrintNiether);
    EXPECT_EQ(preview.StampKind, PrintNiether);
    EXPECT_FALSE(preview.AlignmentCombo->isEnabled());
    EXPECT_FALSE(preview.TopOpt->isEnabled());
    EXPECT_FALSE(preview.BottomOpt->isEnabled());
}

TEST_F(PrintPreviewTest, PreviewStampsSitAtTheirOwnInsets)
{
    PrintPreview& preview = load(QString());
    choose(preview.StampOpsCombo, PrintPageOnly);
    preview.StampOpsCombo_Click();
    EXPECT_TRUE(canvasBands(0, 15840).size() == 1u) << "a top stamp on an empty page";
    const std::vector<InkBand> top = canvasBands(0, 1440);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_NEAR(top[0].top * 15, 360, 60);

    preview.BottomOpt->setChecked(true);
    choose(preview.AlignmentCombo, 2);
    preview.AlignmentCombo_Click();
    ASSERT_EQ(preview.Picture1.Height(), 15840);
    std::vector<InkBand> bottom = canvasBands(14400, 15840);
    ASSERT_EQ(bottom.size(), 1u);
    EXPECT_NEAR(bottom[0].top * 15, 15420, 60);
    EXPECT_NEAR((bottom[0].right + 1) * 15, 12240 - 1260, 45);
    EXPECT_TRUE(canvasBands(0, 14400).empty());

    preview.ThreeQInMarginOpt->setChecked(true);
    preview.ThreeQInMarginOpt_Click();
    bottom = canvasBands(14400, 15840);
    ASSERT_EQ(bottom.size(), 1u);
    EXPECT_NEAR((bottom[0].right + 1) * 15, 12240 - 1080, 45);

    choose(preview.AlignmentCombo, 0);
    preview.AlignmentCombo_Click();
    bottom = canvasBands(14400, 15840);
    ASSERT_EQ(bottom.size(), 1u);
    EXPECT_NEAR(bottom[0].left * 15, 1080, 45);

    // A margin other than the two the window offers shows the page without its stamp.
    RichTextLibraryState::instance().SharedPrintMargin = 1200;
    preview.DrawPreviewPage();
    EXPECT_TRUE(canvasBands(0, 15840).empty());
    EXPECT_FALSE(host::HourglassCursor::isShown());

    // While loading nothing is drawn.
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    preview.IsLoading = true;
    preview.DrawPreviewPage();
    EXPECT_TRUE(canvasBands(0, 15840).empty());
}

// With half an inch unprintable at the top and bottom the preview shows the stamp where the
// printer puts it: in the room between the edge and the text, never on the text.
TEST_F(PrintPreviewTest, OnAPrinterWithWideStripsTheStampKeepsClearOfTheText)
{
    m_printer.settings().unprintable = QMargins(36, 72, 36, 72);  // 144 dpi
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    PrintPreview& preview = load(testsupport::numberedLines(200));
    choose(preview.StampOpsCombo, PrintPageOnly);
    preview.StampOpsCombo_Click();
    preview.TopOpt->setChecked(true);
    preview.TopOpt_Click();
    // The text starts 1080 - 720 twips down the canvas; the stamp ends above it.
    const std::vector<InkBand> top = canvasBands(0, 360 + 120);
    ASSERT_GE(top.size(), 2u);
    EXPECT_LT(top[0].bottom * 15, 360) << "the stamp reaches the first line";
    EXPECT_GE(top[1].top * 15, 360 - 15);

    preview.BottomOpt->setChecked(true);
    preview.BottomOpt_Click();
    // The preview's bottom place lies clear of the text already, on the sheet: it stays.
    const std::vector<InkBand> bottom = canvasBands(12000, 15840);
    ASSERT_GE(bottom.size(), 2u);
    EXPECT_NEAR(bottom.back().top * 15, 15420, 60);
    EXPECT_GT(bottom.back().top, bottom[bottom.size() - 2].bottom + 1);
}

// --- Magnifier ---

TEST_F(PrintPreviewTest, TheMagnifierFollowsThePointerAndCopiesTheCanvas)
{
    PrintPreview& preview = load(testsupport::numberedLines(20));
    EXPECT_FALSE(preview.Picture3->isVisibleTo(&preview));
    preview.Picture2_MouseMove(0, 0, 3000, 2000);
    EXPECT_TRUE(preview.Picture3->isVisibleTo(&preview));
    EXPECT_EQ(preview.magnifierLeft(), 1100);
    EXPECT_EQ(preview.magnifierTop(), 1500);
    EXPECT_EQ(preview.magnifierSource(), QPoint(143, 173));
    const QImage shown = preview.Picture3->picture();
    ASSERT_EQ(shown.size(), QSize(121, 57));
    EXPECT_EQ(shown, preview.Picture1.image().copy(QRect(QPoint(143, 173), QSize(121, 57))));

    preview.Picture3_MouseMove(0, 0, 5, 5);
    EXPECT_EQ(preview.magnifierLeft(), 200);
    EXPECT_EQ(preview.magnifierTop(), 1250);

    // Near the corner the box and its source go negative; the part off the canvas is paper.
    preview.Picture2_MouseMove(0, 0, 100, 100);
    EXPECT_EQ(preview.magnifierLeft(), -1800);
    EXPECT_EQ(preview.magnifierTop(), -400);
    EXPECT_EQ(preview.magnifierSource(), QPoint(-234, -46));
    EXPECT_EQ(preview.Picture3->picture().pixel(0, 0), qRgb(255, 255, 255));

    // Moving over an option frame puts the magnifier away.
    preview.show();
    ASSERT_TRUE(preview.Picture3->isVisible());
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), preview.Frame2->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(preview.Frame2, &move);
    EXPECT_FALSE(preview.Picture3->isVisible());
}

// --- Link colouring ---

TEST_F(PrintPreviewTest, AddressesAreColouredInTheCopyOnly)
{
    RichTextLibraryState::instance().SharedDetectHyperLinks = true;
    PrintPreview& preview = load(QStringLiteral("See WWW.Example.com today"));
    EXPECT_EQ(preview.RichTextBox1->SelStart(), 4) << "the selection stays on the last match";
    EXPECT_EQ(preview.RichTextBox1->SelLength(), 15);
    const intptr_t handle = preview.RichTextBox1->hWnd();
    richedit::CharRange link{5, 6};
    richedit::sendMessage(handle, richedit::EM_EXSETSEL, 0, reinterpret_cast<intptr_t>(&link));
    richedit::RtfFormatQ format;
    format.cbSize = sizeof format;
    richedit::sendMessage(handle, richedit::EM_GETCHARFORMAT, 1,
                          reinterpret_cast<intptr_t>(&format));
    EXPECT_EQ(format.crTextColor, 0xFF0000u);
    EXPECT_TRUE(format.dwEffects & 4u);

    richedit::CharRange plain{0, 1};
    richedit::sendMessage(handle, richedit::EM_EXSETSEL, 0, reinterpret_cast<intptr_t>(&plain));
    richedit::sendMessage(handle, richedit::EM_GETCHARFORMAT, 1,
                          reinterpret_cast<intptr_t>(&format));
    EXPECT_FALSE(format.dwEffects & 4u);

    const intptr_t original = m_document.hWnd();
    richedit::sendMessage(original, richedit::EM_EXSETSEL, 0, reinterpret_cast<intptr_t>(&link));
    richedit::sendMessage(original, richedit::EM_GETCHARFORMAT, 1,
                          reinterpret_cast<intptr_t>(&format));
    EXPECT_FALSE(format.dwEffects & 4u) << "the document keeps its look";
}

}  // namespace
