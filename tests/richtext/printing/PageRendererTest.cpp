#include "richtext/printing/PrintPreviewMod.h"

#include "platform/richedit/layout/DocumentLayout.h"
#include "richtext/printing/PrintPreview.h"
#include "tests/richtext/printing/PrintingTestSupport.h"
#include "tests/support/FakeMessageBoxes.h"

#include <gtest/gtest.h>
#include <QComboBox>

namespace {

using testsupport::FakePrinter;
using testsupport::FakePrinterSettings;
using testsupport::InkBand;

class PageRendererTest : public testing::Test {
protected:
    void SetUp() override
    {
        RichTextLibraryState::instance().reset();
        RichTextLibraryState::instance().SharedPrintMargin = 1440;
        m_preview.RichTextBox1->engine().setViewportSize(QSize(12240, 15840));
    }
    void TearDown() override { RichTextLibraryState::instance().reset(); }

    void render(int32_t page, int32_t limit)
    {
        PrintPreviewMod::RenderPreviewPage(m_preview, page, limit);
    }
    // The printed lines of a canvas or sheet between the margins, widths in twips.
    static std::vector<int> lineWidths(const QImage& image, int twipsPerPixel, int offsetY = 0)
    {
        std::vector<int> widths;
        const int top = (1440 - offsetY) / twipsPerPixel;
        const int bottom = (15840 - 1440 - offsetY) / twipsPerPixel;
        for (const InkBand& band : testsupport::inkBands(image, top, bottom))
            widths.push_back((band.right - band.left + 1) * twipsPerPixel);
        return widths;
    }

    FakePrinter m_printer;
    testsupport::FakeMessageBoxes m_boxes;
    PrintPreview m_preview;
};

TEST_F(PageRendererTest, EveryPreviewedPageHoldsThePrintedPagesLinesInOrder)
{
    richedit::RichTextBox& text = *m_preview.RichTextBox1;
    text.setText(testsupport::numberedLines(1000));
    int32_t pages = PrintingMod::CountPages(text);
    ASSERT_GE(pages, 2);
    text.setText(testsupport::numberedLines(1000 * 20 / pages + 3));
    pages = PrintingMod::CountPages(text);
    ASSERT_GE(pages, 20);

    QString custom;
    int32_t kind = PrintNiether;
    int32_t position = CenterAlignHeading;
    PrintingMod::PrintAllPages(text, pages, kind, custom, position);
    const std::vector<QImage> printed = m_printer.pages();
    ASSERT_EQ(int(printed.size()), pages);

    int totalLines = 0;
    for (int32_t page = 1; page <= pages; ++page) {
        SCOPED_TRACE(page);
        render(page, pages);
        EXPECT_EQ(m_preview.Picture1.Height(), 15840) << "the canvas keeps the sheet's height";
        const std::vector<int> onPaper = lineWidths(printed[size_t(page - 1)], 10);
        const std::vector<int> onScreen = lineWidths(m_preview.Picture1.image(), 15);
        ASSERT_EQ(onScreen.size(), onPaper.size());
        ASSERT_FALSE(onPaper.empty());
        // Different resolutions measure a little differently; lines differ by four letters.
        for (size_t i = 0; i < onPaper.size(); ++i)
            EXPECT_NEAR(onScreen[i], onPaper[i], onPaper[i] * 0.06 + 45) << "line " << i;
        totalLines += int(onPaper.size());
    }
    EXPECT_EQ(totalLines, text.engine().lineCount()) << "every line on exactly one page";
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(PageRendererTest, TheCopyBreaksItsLinesForThePrinterAndTheDeviceIsReplaced)
{
    m_printer.settings().dpiX = m_printer.settings().dpiY = 600;
    richedit::RichTextBox& text = *m_preview.RichTextBox1;
    text.setText(testsupport::numberedLines(10));
    render(1, 1);
    const richedit::DocumentLayout& layout = text.engine().layout();
    EXPECT_EQ(layout.wrapWidth(), 9360);
    ASSERT_NE(m_preview.TargetDevice, nullptr);
    EXPECT_EQ(m_preview.TargetDevice->logicalDpiX(), 600);

    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    render(1, 1);
    EXPECT_EQ(layout.wrapWidth(), 10080);
    ASSERT_NE(layout.measuringDevice(), nullptr);
    EXPECT_EQ(layout.measuringDevice()->logicalDpiX(), 600);
}

TEST_F(PageRendererTest, PageLimitsAndWantedPagesOutsideTheDocument)
{
    richedit::RichTextBox& text = *m_preview.RichTextBox1;
    text.setText(testsupport::numberedLines(200));
    const int32_t pages = PrintingMod::CountPages(text);
    ASSERT_GE(pages, 3);
    render(pages, pages);
    const std::vector<int> last = lineWidths(m_preview.Picture1.image(), 15);
    ASSERT_FALSE(last.empty());

    // Above the limit the limit-th page is drawn; below 1 the search runs to the limit.
    render(pages + 3, pages);
    EXPECT_EQ(lineWidths(m_preview.Picture1.image(), 15), last);
    render(0, pages);
    EXPECT_EQ(lineWidths(m_preview.Picture1.image(), 15), last);
    render(2, 1);
    render(1, 1);
    const std::vector<int> first = lineWidths(m_preview.Picture1.image(), 15);
    render(5, 1);
    EXPECT_EQ(lineWidths(m_preview.Picture1.image(), 15), first);

    // No measuring pass: both ends are character 0, so of several lines none is drawn...
    render(1, 0);
    EXPECT_EQ(FakePrinter::inkedPixels(m_preview.Picture1.image()), 0);
    // ...and a single line is.
    text.setText(QStringLiteral("xxxxxxxx"));
    render(1, 0);
    EXPECT_EQ(lineWidths(m_preview.Picture1.image(), 15).size(), 1u);

    text.setText(QString());
    EXPECT_EQ(PrintingMod::CountPages(text), 1);
    render(1, 1);
    EXPECT_EQ(FakePrinter::inkedPixels(m_preview.Picture1.image()), 0);
}

TEST_F(PageRendererTest, MarginsOutsideThePageStillCountAndRender)
{
    richedit::RichTextBox& text = *m_preview.RichTextBox1;
    text.setText(testsupport::numberedLines(30));
    for (int32_t margin : {0, 6200, 9000, -500}) {
        SCOPED_TRACE(margin);
        RichTextLibraryState::instance().SharedPrintMargin = margin;
        const int32_t pages = PrintingMod::CountPages(text);
        EXPECT_GE(pages, 1);
        int32_t page = pages;
        int32_t limit = pages;
        PrintPreviewMod::RenderPreviewPage(m_preview, page, limit);
        EXPECT_GE(m_preview.Picture1.Height(), 15840);
    }
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(PageRendererTest, ARenderWithoutAPrinterRaisesThePrinterError)
{
    m_preview.RichTextBox1->setText(QStringLiteral("text"));
    m_printer.setInstalled(false);
    try {
        render(1, 1);
        FAIL() << "no error";
    } catch (const vb::VbError& error) {
        EXPECT_EQ(error.number(), vb::ErrPrinter);
    }
    EXPECT_TRUE(m_boxes.shown().empty()) << "the renderer leaves the message to its caller";
}

}  // namespace
