#include "richtext/printing/PrintingMod.h"

#include "platform/richedit/view/Messages.h"
#include "platform/runtime/VbError.h"
#include "tests/richtext/printing/PrintedPdfChecks.h"
#include "tests/richtext/printing/PrintingTestSupport.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>

namespace {

using testsupport::FakeMessageBoxes;
using testsupport::FakePrinter;
using testsupport::FakePrinterSettings;
using testsupport::FakePrintJob;

constexpr int TwipsPerPixel = 10;  // the fake printer's 144 dpi

class PrintingModTest : public testing::Test {
protected:
    void SetUp() override
    {
        RichTextLibraryState::instance().reset();
        RichTextLibraryState::instance().SharedPrintMargin = 1440;
    }
    void TearDown() override
    {
        PrintingMod::formatRangeSender() = &richedit::sendMessage;
        RichTextLibraryState::instance().reset();
    }

    void printAll(int32_t pages, int32_t kind, int32_t position, QString custom = {})
    {
        PrintingMod::PrintAllPages(m_text, pages, kind, custom, position);
    }
    void printRange(int32_t first, int32_t last, int32_t kind, int32_t position)
    {
        QString custom;
        int32_t count = 0;
        PrintingMod::PrintPageRange(m_text, first, last, count, kind, custom, position);
    }
    void printSingle(int32_t page, int32_t kind, int32_t position)
    {
        QString custom;
        PrintingMod::PrintSinglePage(m_text, page, kind, custom, position);
    }
    // The stamp of `text` printed alone, at the top or bottom centre.
    QImage expectedStamp(const QString& text, bool bottom)
    {
        const QImage page = testsupport::referenceStamp(
            m_printer, text, bottom ? CenterAlignHeadingBottom : CenterAlignHeading);
        return testsupport::stampBand(page, bottom, TwipsPerPixel);
    }
    // A document of at least `pages` pages at the 1-inch margin.
    int32_t fillPages(int pages)
    {
        int lines = 60;
        m_text.setText(testsupport::numberedLines(lines));
        while (PrintingMod::CountPages(m_text) < pages) {
            lines *= 2;
            m_text.setText(testsupport::numberedLines(lines));
        }
        return PrintingMod::CountPages(m_text);
    }
    // The area of a sheet inside the 1-inch margins, where the text goes.
    static QRect textArea(const QImage& page)
    {
        return QRect(0, 1440 / TwipsPerPixel, page.width(), (15840 - 2880) / TwipsPerPixel);
    }

    FakePrinter m_printer;
    FakeMessageBoxes m_boxes;
    richedit::RichTextBox m_text;
};

// --- Stamps ---

TEST_F(PrintingModTest, StampLinesOfEachKind)
{
    bool hasLine = false;
    EXPECT_EQ(PrintingMod::StampLine(PrintPageOnly, {}, 12, &hasLine), "Page 12");
    EXPECT_TRUE(hasLine);
    EXPECT_EQ(PrintingMod::StampLine(PrintCustomWNum, "Sheet ", 7, &hasLine), "Sheet 7");
    EXPECT_EQ(PrintingMod::StampLine(PrintCustomWNum, "No", 7, &hasLine), "No7");
    EXPECT_EQ(PrintingMod::StampLine(PrintCustom, "Draft", 7, &hasLine), "Draft");
    EXPECT_EQ(PrintingMod::StampLine(PrintCustom, {}, 7, &hasLine), "");
    EXPECT_TRUE(hasLine) << "an empty custom text is still a line";

    const QString before = PrintingMod::StampNow();
    const QString both = PrintingMod::StampLine(PrintBoth, {}, 2, &hasLine);
    const QString after = PrintingMod::StampNow();
    EXPECT_TRUE(both == before + "     Page 2" || both == after + "     Page 2")
        << both.toStdString();
    const QString now = PrintingMod::StampLine(PrintNowOnly, {}, 2, &hasLine);
    EXPECT_TRUE(now == before || now == PrintingMod::StampNow()) << now.toStdString();
    EXPECT_FALSE(now.isEmpty());

    for (int32_t kind : {int32_t(PrintNiether), 6, -1}) {
        EXPECT_EQ(PrintingMod::StampLine(kind, "x", 1, &hasLine), "");
        EXPECT_FALSE(hasLine) << kind;
    }
}

TEST_F(PrintingModTest, PlaceStampSetsTheFontAndTheFixedHeights)
{
    host::Printer& printer = host::printer();
    printer.setScaleMode(host::vbTwips);
    printer.setCurrentY(777);
    QString text = QStringLiteral("Page 3");
    int32_t position = LeftAlignHeadingBottom;
    EXPECT_EQ(PrintingMod::PlaceStamp(position, text), 1440);
    EXPECT_EQ(printer.CurrentY(), 14610);
    EXPECT_EQ(printer.FontName(), "Lucida Console");
    EXPECT_EQ(printer.FontSize(), 9);
    EXPECT_EQ(printer.FontWeight(), 400);
    EXPECT_EQ(printer.ForeColor(), 0u);

    position = CenterAlignHeading;
    const int32_t centre = PrintingMod::PlaceStamp(position, text);
    EXPECT_EQ(printer.CurrentY(), 360);
    position = RightAlignHeadingBottom;
    const int32_t right = PrintingMod::PlaceStamp(position, text);
    EXPECT_EQ(printer.CurrentY(), 14610);
    // The right-hand stamp ends at the margin; the centred one is as far from both sides.
    const double width = printer.TextWidth(text);
    EXPECT_NEAR(right + width, printer.ScaleWidth() - 1440, 1);
    EXPECT_NEAR(centre + width / 2, printer.ScaleWidth() / 2, 1);

    // The heights are the same on any sheet, at any margin.
    m_printer.settings().paperSize = host::vbPRPSA4;
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    position = LeftAlignHeading;
    EXPECT_EQ(PrintingMod::PlaceStamp(position, text), 1080);
    EXPECT_EQ(printer.CurrentY(), 360);

    printer.setCurrentY(50);
    position = 7;
    EXPECT_EQ(PrintingMod::PlaceStamp(position, text), 0);
    EXPECT_EQ(printer.CurrentY(), 50);
}

// The stamp keeps its place where that is clear of the text and inside the printable area;
// else it moves into the room between them, and where there is none the text gives way.
TEST_F(PrintingModTest, TheStampStaysInsideThePrintableAreaAndClearOfTheText)
{
    host::Printer& printer = host::printer();
    QString text = QStringLiteral("Page 3");
    const auto placed = [&](int32_t position) {
        PrintingMod::PlaceStamp(position, text);
        return int32_t(printer.CurrentY());
    };
    const auto page = [&](int32_t margin) {
        printer.setScaleMode(host::vbTwips);
        return PrintingMod::printerPage(printer, margin);
    };
    const int32_t line = page(1440).stampHeight;
    ASSERT_GT(line, 9 * 20);
    ASSERT_LT(line, 9 * 20 * 2);

    // A sheet printable to its edges: at the 3/4-inch margin the text reaches below 14610.
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    EXPECT_EQ(placed(CenterAlignHeading), 360);
    EXPECT_EQ(placed(LeftAlignHeadingBottom), 15840 - 1080);
    EXPECT_EQ(page(1080).drawing.bottom, 15840 - 1080);

    // Half an inch unprintable at the top and bottom (72 pixels at 144 dpi).
    m_printer.settings().unprintable = QMargins(36, 72, 36, 72);
    for (const int32_t margin : {1440, 1080}) {
        SCOPED_TRACE(margin);
        RichTextLibraryState::instance().SharedPrintMargin = margin;
        const PrintingMod::PrinterPage sheet = page(margin);
        EXPECT_EQ(sheet.drawing.top, margin - 720);  // room enough: the text keeps its place
        EXPECT_EQ(sheet.drawing.bottom, 15840 - margin - 720);
        for (const int32_t position : {CenterAlignHeading, RightAlignHeading, LeftAlignHeading}) {
            const int32_t y = placed(position);
            EXPECT_GE(y, 0);
            EXPECT_LE(y + line, sheet.drawing.top);
            EXPECT_EQ(y, margin == 1440 ? 360 : 360 - line);
        }
        for (const int32_t position : {4, 5, 6}) {
            const int32_t y = placed(position);
            EXPECT_GE(y, sheet.drawing.bottom);
            EXPECT_EQ(y + line, 15840 - 1440) << "the printable area's last line";
        }
    }

    // A strip as wide as the margin: the text gives way by a stamp line at both edges.
    m_printer.settings().unprintable = QMargins(0, 156, 0, 156);
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    const PrintingMod::PrinterPage tight = page(1080);
    EXPECT_EQ(tight.drawing.top, line);
    EXPECT_EQ(tight.drawing.bottom, 15840 - 2 * 1560 - line);
    EXPECT_EQ(placed(LeftAlignHeading), 0);
    EXPECT_EQ(placed(LeftAlignHeadingBottom), tight.drawing.bottom);
}

// --- Jobs ---

TEST_F(PrintingModTest, OnePageWithItsStampAndAnEmptyDocumentWithTheStampOnly)
{
    m_text.setText(QStringLiteral("A short letter.\r\nTwo lines."));
    ASSERT_EQ(PrintingMod::CountPages(m_text), 1);
    printAll(1, PrintPageOnly, CenterAlignHeading);
    ASSERT_EQ(m_printer.jobs().size(), 1u);
    const FakePrintJob job = m_printer.jobs().back();
    EXPECT_EQ(job.state, FakePrintJob::State::Ended);
    ASSERT_EQ(job.pages.size(), 1u);
    EXPECT_GT(FakePrinter::inkedPixels(job.pages[0], textArea(job.pages[0])), 0);
    EXPECT_EQ(m_printer.settings().paperSize, host::vbPRPSLetter);
    EXPECT_EQ(m_printer.settings().orientation, host::vbPRORPortrait);
    const QImage stamp = testsupport::stampBand(job.pages[0], false, TwipsPerPixel);
    EXPECT_EQ(stamp, expectedStamp(QStringLiteral("Page 1"), false));
    EXPECT_NE(stamp, expectedStamp(QStringLiteral("Page 2"), false));

    m_text.setText(QString());
    printAll(PrintingMod::CountPages(m_text), PrintPageOnly, CenterAlignHeadingBottom);
    const FakePrintJob empty = m_printer.jobs().back();
    ASSERT_EQ(empty.pages.size(), 1u);
    EXPECT_EQ(FakePrinter::inkedPixels(empty.pages[0], textArea(empty.pages[0])), 0);
    EXPECT_EQ(testsupport::stampBand(empty.pages[0], true, TwipsPerPixel),
              expectedStamp(QStringLiteral("Page 1"), true));
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(PrintingModTest, AllPagesCarryTheirNumbersAndMatchTheCount)
{
    const int32_t pages = fillPages(3);
    printAll(pages, PrintPageOnly, CenterAlignHeadingBottom);
    const FakePrintJob job = m_printer.jobs().back();
    ASSERT_EQ(int(job.pages.size()), pages);
    for (int32_t n = 1; n <= pages; ++n)
        EXPECT_EQ(testsupport::stampBand(job.pages[size_t(n - 1)], true, TwipsPerPixel),
                  expectedStamp(QStringLiteral("Page %1").arg(n), true))
            << n;
}

TEST_F(PrintingModTest, RangesPrintTheirPagesWithoutATrailingBlankOne)
{
    const int32_t pages = fillPages(10);
    printAll(pages, PrintNiether, CenterAlignHeading);
    const std::vector<QImage> all = m_printer.jobs().back().pages;
    const auto text = [](const QImage& page) { return page.copy(textArea(page)); };

    printRange(3, 5, PrintPageOnly, CenterAlignHeadingBottom);
    std::vector<QImage> printed = m_printer.jobs().back().pages;
    ASSERT_EQ(printed.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(text(printed[size_t(i)]), text(all[size_t(i + 2)])) << i;
        EXPECT_EQ(testsupport::stampBand(printed[size_t(i)], true, TwipsPerPixel),
                  expectedStamp(QStringLiteral("Page %1").arg(i + 3), true));
    }

    printRange(pages - 1, pages + 3, PrintNiether, CenterAlignHeading);
    EXPECT_EQ(m_printer.jobs().back().pages.size(), 2u) << "no empty page after the last";

    // Past the end: the last page, once, with the number asked for.
    printRange(pages + 2, pages + 4, PrintPageOnly, CenterAlignHeadingBottom);
    printed = m_printer.jobs().back().pages;
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(text(printed[0]), text(all.back()));
    EXPECT_EQ(testsupport::stampBand(printed[0], true, TwipsPerPixel),
              expectedStamp(QStringLiteral("Page %1").arg(pages + 2), true));

    // A reversed range holds only the opening empty line.
    printRange(5, 3, PrintPageOnly, CenterAlignHeading);
    ASSERT_EQ(m_printer.jobs().back().pages.size(), 1u);
    EXPECT_EQ(FakePrinter::inkedPixels(m_printer.jobs().back().pages[0]), 0);
    EXPECT_EQ(m_printer.jobs().back().state, FakePrintJob::State::Ended);

    printSingle(4, PrintPageOnly, CenterAlignHeading);
    printed = m_printer.jobs().back().pages;
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(text(printed[0]), text(all[3]));
    printSingle(pages + 5, PrintPageOnly, CenterAlignHeading);
    printed = m_printer.jobs().back().pages;
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(text(printed[0]), text(all.back()));
    EXPECT_EQ(testsupport::stampBand(printed[0], false, TwipsPerPixel),
              expectedStamp(QStringLiteral("Page %1").arg(pages + 5), false));
    EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(PrintingModTest, TheTextKeepsTheMarginWhateverThePhysicalOffsets)
{
    FakePrinterSettings settings;
    settings.unprintable = QMargins(30, 20, 30, 20);
    FakePrinter printer(settings);
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    m_text.setText(QStringLiteral("xxxx xxxx xxxx"));
    printAll(1, PrintNiether, CenterAlignHeading);
    const QRect ink = FakePrinter::inkBounds(printer.pages()[0]);
    EXPECT_GE(ink.left(), 108);
    EXPECT_LE(ink.left(), 110);
    EXPECT_GE(ink.top(), 108);
    EXPECT_LE(ink.top(), 108 + 24);
}

// At a printer's own resolution, with the unprintable strips of most printers, the page text
// ends above the bottom stamp and inside the margins on every page, at both margins.
TEST_F(PrintingModTest, PrintedLinesStayAboveTheBottomStampAtEachResolution)
{
    for (const int dpi : {300, 600}) {
        for (const int32_t margin : {1440, 1080}) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, margin " << margin);
            FakePrinterSettings settings;
            settings.dpiX = settings.dpiY = dpi;
            settings.unprintable = QMargins(dpi / 4, dpi / 4, dpi / 4, dpi / 4);
            FakePrinter printer(settings);
            RichTextLibraryState::instance().SharedPrintMargin = margin;
            m_text.setText(testsupport::numberedLines(90));
            const int32_t pages = PrintingMod::CountPages(m_text);
            ASSERT_GE(pages, 2);
            printAll(pages, PrintPageOnly, CenterAlignHeadingBottom);
            ASSERT_EQ(printer.pages().size(), size_t(pages));
            const testsupport::SheetGeometry sheet{margin, 360, 360, 12240, 15840};
            for (const QImage& page : printer.pages())
                testsupport::expectTextInsideMarginsAndAboveTheStamp(page, dpi, sheet, true);
        }
    }
}

// The printer's print position at every drawing call, which tells whether the page's stamp was
// printed before its text.
std::vector<double>& positionsAtDrawing()
{
    static std::vector<double> positions;
    return positions;
}

intptr_t recordingSender(intptr_t handle, uint32_t msg, intptr_t wParam, intptr_t lParam)
{
    if (wParam != 0 && lParam != 0)
        positionsAtDrawing().push_back(host::printer().CurrentY());
    return richedit::sendMessage(handle, msg, wParam, lParam);
}

TEST_F(PrintingModTest, RangesStampBeforeTheTextTheOthersAfterIt)
{
    fillPages(3);
    PrintingMod::formatRangeSender() = &recordingSender;
    positionsAtDrawing().clear();
    printAll(3, PrintPageOnly, CenterAlignHeading);
    ASSERT_EQ(positionsAtDrawing().size(), 3u);
    for (double y : positionsAtDrawing())
        EXPECT_LT(y, PrintingMod::TopStampY);

    positionsAtDrawing().clear();
    printSingle(2, PrintPageOnly, CenterAlignHeading);
    ASSERT_EQ(positionsAtDrawing().size(), 1u);
    EXPECT_LT(positionsAtDrawing()[0], PrintingMod::TopStampY);

    positionsAtDrawing().clear();
    printRange(1, 3, PrintPageOnly, CenterAlignHeading);
    ASSERT_EQ(positionsAtDrawing().size(), 3u);
    for (double y : positionsAtDrawing())
        EXPECT_GT(y, PrintingMod::TopStampY) << "the stamp line has been printed";
}

// --- Failures ---

TEST_F(PrintingModTest, APrinterErrorAbortsTheJobAndShowsOneMessage)
{
    fillPages(3);
    m_printer.failAtPage(2);
    printAll(3, PrintPageOnly, CenterAlignHeading);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text,
              "Make sure that you have a printer installed and connected. ");
    EXPECT_EQ(m_boxes.shown()[0].title, "Printer Error");
    EXPECT_EQ(m_boxes.shown()[0].style, host::vbExclamation);
    EXPECT_EQ(m_printer.jobs().back().state, FakePrintJob::State::Aborted);

    m_printer.failAtPage(0);
    m_printer.failAtEnd();
    printRange(1, 2, PrintPageOnly, CenterAlignHeading);
    EXPECT_EQ(m_boxes.shown().size(), 2u);
    EXPECT_EQ(m_printer.jobs().back().state, FakePrintJob::State::Aborted);

    // No printer at all: the single page's count reports it, and nothing more is shown.
    m_printer.failAtEnd(false);
    m_printer.setInstalled(false);
    printSingle(1, PrintPageOnly, CenterAlignHeading);
    ASSERT_EQ(m_boxes.shown().size(), 3u);
    EXPECT_EQ(m_boxes.shown()[2].text, "Make sure that you have a printer installed. ");
    EXPECT_EQ(m_printer.jobs().size(), 2u);
}

TEST_F(PrintingModTest, AnyOtherErrorShowsOneMessageAndAbortsTheJob)
{
    fillPages(3);
    PrintingMod::formatRangeSender() = [](intptr_t, uint32_t, intptr_t, intptr_t) -> intptr_t {
        throw vb::VbError(vb::ErrOverflow, QStringLiteral("Overflow"));
    };
    printAll(3, PrintPageOnly, CenterAlignHeading);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text, "6");
    EXPECT_EQ(m_boxes.shown()[0].title, "Overflow");
    EXPECT_EQ(m_printer.jobs().back().state, FakePrintJob::State::Aborted);
}

// --- Page count ---

TEST_F(PrintingModTest, CountPagesOfEmptyAndLongDocumentsAndWithoutAPrinter)
{
    EXPECT_EQ(PrintingMod::CountPages(m_text), 1);
    const int32_t pages = fillPages(3);
    printAll(pages + 4, PrintNiether, CenterAlignHeading);
    EXPECT_EQ(int(m_printer.pages().size()), pages) << "the count and the printed pages agree";

    const int32_t longer = fillPages(30);
    RichTextLibraryState::instance().SharedPrintMargin = 1080;
    EXPECT_LT(PrintingMod::CountPages(m_text), longer) << "a smaller margin holds more per page";

    m_printer.setInstalled(false);
    EXPECT_EQ(PrintingMod::CountPages(m_text), 0);
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].text, "Make sure that you have a printer installed. ");
    EXPECT_EQ(m_boxes.shown()[0].title, "Printer Error");
}

TEST_F(PrintingModTest, CountPagesStopsWhenAPageMakesNoProgress)
{
    m_text.setText(QString(100, QLatin1Char('x')));
    // Ten characters a page up to 25, then stuck there.
    PrintingMod::formatRangeSender() = [](intptr_t, uint32_t, intptr_t, intptr_t lParam) {
        const auto* range = reinterpret_cast<const richedit::FormatRange*>(lParam);
        return intptr_t(range ? std::min(range->chrg.cpMin + 10, 25) : 0);
    };
    EXPECT_EQ(PrintingMod::CountPages(m_text), 4);
    EXPECT_TRUE(m_boxes.shown().empty());
}

}  // namespace
