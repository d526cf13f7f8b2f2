#include "platform/host/Printer.h"
#include "platform/richedit/layout/FormatRangeCache.h"
#include "platform/richedit/view/Engine.h"
#include "tests/support/FakePrinter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>
#include <cmath>

using namespace richedit;
using testsupport::FakePrinter;
using testsupport::FakePrinterSettings;
using testsupport::FakePrintJob;

namespace {

constexpr int LineCount = 200;

FakePrinterSettings letterWithStrips()
{
    FakePrinterSettings settings;
    settings.dpiX = 144;
    settings.dpiY = 144;
    settings.unprintable = QMargins(30, 40, 50, 60);
    return settings;
}

QString numberedLines(int count)
{
    QStringList lines;
    for (int line = 1; line <= count; ++line)
        lines << QStringLiteral("Printed line number %1").arg(line);
    return lines.join(QStringLiteral("\r\n"));
}

class PrintSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_engine.setText(numberedLines(LineCount));
        CharFormat font;
        font.mask = Face | Size;
        font.face = QStringLiteral("DejaVu Sans");
        font.heightTw = 240;
        m_engine.setCharFormat(AllScope, font);
    }

    QRect printableArea()
    {
        const host::PrinterGeometry g = *m_printer.geometry();
        return {g.offsetX, g.offsetY, g.printableWidth, g.printableHeight};
    }

    // One line's height on the printer, from the engine's own display lines at its resolution.
    int32_t printedLineHeightTw()
    {
        const host::PrinterGeometry g = *m_printer.geometry();
        m_engine.setTargetDevice(host::printer().measuringDevice(),
                                 g.printableWidth * 1440 / g.dpiX);
        return m_engine.layout().lineHeight(0);
    }

    int linesPerPage()
    {
        const host::PrinterGeometry g = *m_printer.geometry();
        const int heightTw = int(std::floor(g.printableHeight * 1440.0 / g.dpiY));
        return heightTw / printedLineHeightTw();
    }

    FakePrinter m_printer{letterWithStrips()};
    Engine m_engine;
};

}  // namespace

// Without a selection the whole document prints, one job, as many pages as the lines need,
// every one inked inside the printable area.
TEST_F(PrintSelectionTest, PrintsTheWholeDocumentPageByPageInsideThePrintableArea)
{
    const int perPage = linesPerPage();
    ASSERT_GT(perPage, 5);
    const int expectedPages = (LineCount + perPage - 1) / perPage;
    ASSERT_GE(expectedPages, 2);

    EXPECT_FALSE(m_engine.printSelection(true).has_value());

    ASSERT_EQ(m_printer.jobs().size(), 1u);
    EXPECT_EQ(m_printer.jobs().front().state, FakePrintJob::State::Ended);
    ASSERT_EQ(int(m_printer.pages().size()), expectedPages);
    QStringList events{QStringLiteral("StartDoc ") + QCoreApplication::applicationName()};
    for (int page = 1; page < expectedPages; ++page)
        events << QStringLiteral("NewPage");
    events << QStringLiteral("EndDoc");
    EXPECT_EQ(m_printer.events(), events);

    const QRect area = printableArea();
    const double lineHeightPx = printedLineHeightTw() * 144.0 / 1440;
    for (size_t page = 0; page < m_printer.pages().size(); ++page) {
        const QImage& sheet = m_printer.pages()[page];
        const QRect ink = FakePrinter::inkBounds(sheet);
        ASSERT_FALSE(ink.isNull()) << "page " << page;
        EXPECT_TRUE(area.contains(ink)) << "page " << page;
        EXPECT_LT(ink.left() - area.left(), 5);  // text starts at the printable corner
        EXPECT_LT(ink.top() - area.top(), lineHeightPx);
    }
    // Full pages reach down to their last line; the last page holds only the rest.
    const int rest = LineCount - (expectedPages - 1) * perPage;
    const QRect firstInk = FakePrinter::inkBounds(m_printer.pages().front());
    const QRect lastInk = FakePrinter::inkBounds(m_printer.pages().back());
    EXPECT_GT(firstInk.bottom() - area.top(), (perPage - 1) * lineHeightPx);
    EXPECT_LT(lastInk.bottom() - area.top(), (rest + 0.5) * lineHeightPx);
}

// A selection prints only the selected lines.
TEST_F(PrintSelectionTest, PrintsOnlyTheSelection)
{
    const double lineHeightPx = printedLineHeightTw() * 144.0 / 1440;
    const int32_t from = m_engine.text().indexOf(QStringLiteral("Printed line number 150"));
    const int32_t to = m_engine.text().indexOf(QStringLiteral("Printed line number 153"));
    m_engine.exSetSel({from, to});

    EXPECT_FALSE(m_engine.printSelection().has_value());

    ASSERT_EQ(m_printer.pages().size(), 1u);
    const QRect ink = FakePrinter::inkBounds(m_printer.pages().front());
    ASSERT_FALSE(ink.isNull());
    EXPECT_GT(ink.height(), 2 * lineHeightPx);
    EXPECT_LT(ink.height(), 3 * lineHeightPx);
    EXPECT_EQ(m_engine.selStart(), from);  // printing leaves the selection alone
    EXPECT_EQ(m_engine.selLength(), to - from);
}

// Without startDoc the pages go to the caller's job, which stays open for it to end.
TEST_F(PrintSelectionTest, WithoutStartDocThePagesJoinTheOpenJob)
{
    host::Printer& printer = host::printer();
    printer.StartDoc(QStringLiteral("Caller"));
    EXPECT_FALSE(m_engine.printSelection(false).has_value());
    ASSERT_EQ(m_printer.jobs().size(), 1u);
    EXPECT_EQ(m_printer.jobs().front().state, FakePrintJob::State::Open);
    const size_t pages = m_printer.pages().size();
    EXPECT_GE(pages, 2u);
    printer.EndDoc();
    EXPECT_EQ(m_printer.events().front(), QStringLiteral("StartDoc Caller"));
    EXPECT_EQ(m_printer.events().back(), QStringLiteral("EndDoc"));
    EXPECT_EQ(m_printer.events().size(), pages + 1);

    // With no job open, one is opened and left to the caller too.
    EXPECT_FALSE(m_engine.printSelection(false).has_value());
    ASSERT_EQ(m_printer.jobs().size(), 2u);
    EXPECT_EQ(m_printer.jobs().back().state, FakePrintJob::State::Open);
    EXPECT_EQ(m_printer.pages().size(), pages);
    printer.EndDoc();
}

// Printer failures come back as error 482, with the job aborted and nothing left cached.
TEST_F(PrintSelectionTest, PrinterFailuresAreReturnedAndAbortTheJob)
{
    m_printer.setInstalled(false);
    std::optional<vb::VbError> error = m_engine.printSelection();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), vb::ErrPrinter);
    EXPECT_TRUE(m_printer.jobs().empty());

    m_printer.setInstalled(true);
    m_printer.failAtPage(2);
    error = m_engine.printSelection();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->number(), vb::ErrPrinter);
    ASSERT_EQ(m_printer.jobs().size(), 1u);
    EXPECT_EQ(m_printer.jobs().front().state, FakePrintJob::State::Aborted);
    EXPECT_FALSE(m_printer.printing());

    // The page layouts were released: measuring again lays every paragraph out anew.
    const int before = m_engine.formatCache().layoutsMade();
    FormatRange format{nullptr, nullptr, {0, 0, 9000, 1000000}, {0, 0, 9000, 1000000}, {0, -1}};
    EXPECT_EQ(m_engine.formatRange(format, false), m_engine.text().size());
    EXPECT_EQ(m_engine.formatCache().layoutsMade() - before, LineCount);

    m_printer.failAtPage(0);
    EXPECT_FALSE(m_engine.printSelection().has_value());
    EXPECT_EQ(m_printer.jobs().back().state, FakePrintJob::State::Ended);
}
