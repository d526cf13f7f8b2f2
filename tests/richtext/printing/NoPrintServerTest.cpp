// Printing on a machine without a print server: the PDF printer stands in, the preview opens
// and Print writes a PDF whose pages keep their text inside the margins, above the stamp.
#include "platform/host/Printer.h"
#include "platform/host/SystemPrinter.h"
#include "richtext/printing/PrintPreview.h"
#include "richtext/printing/PrinterTarget.h"
#include "tests/richtext/printing/PrintedPdfChecks.h"
#include "tests/support/FakeCommonDialogs.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/PrivatePrintServer.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

namespace {

using testsupport::numberedLines;

QString pdfText(const QString& path, int page)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                   QString::number(page), QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class NoPrintServer : public testing::Test {
protected:
    // No server answers on this socket: the machine has no print server.
    static void SetUpTestSuite() { qputenv("CUPS_SERVER", "/nonexistent/scrivet/cups.sock"); }

    void SetUp() override
    {
        RichTextLibraryState::instance().reset();
        RichTextLibraryState::instance().SharedPrintMargin = 1440;
        RichTextLibraryState::instance().SharedRichText = &m_document;
        host::printer().reset();
    }
    void TearDown() override { RichTextLibraryState::instance().reset(); }

    testsupport::FakeCommonDialogs m_dialogs;
    testsupport::FakeMessageBoxes m_boxes;
    testsupport::TempFolder m_folder;
    richedit::RichTextBox m_document;
};

TEST_F(NoPrintServer, ThePdfPrinterIsInstalledAndThePreviewOpensWithoutAMessage)
{
    EXPECT_TRUE(PrinterTarget::PrinterInstalled());
    EXPECT_EQ(host::printer().DeviceName(), host::pdfPrinterName());
    EXPECT_EQ(host::printersCount(), 1);
    m_document.setText(numberedLines(150));
    PrintPreview preview;
    ASSERT_TRUE(preview.Form_Load());
    EXPECT_GE(preview.PageCount, 3);
    EXPECT_EQ(preview.PageCombo->count(), preview.PageCount);
    EXPECT_TRUE(m_boxes.shown().empty());
}

// Print in the preview writes the pages the preview counted, each with its number at the
// bottom, at both print margins.
TEST_F(NoPrintServer, PrintWritesAPdfWhosePagesKeepTheirTextAboveTheStamp)
{
    for (const int32_t margin : {1440, 1080}) {
        SCOPED_TRACE(margin);
        m_document.setText(numberedLines(140));
        RichTextLibraryState::instance().SharedPrintMargin = margin;
        PrintPreview preview;
        ASSERT_TRUE(preview.Form_Load());
        preview.StampKind = PrintPageOnly;
        preview.StampPosition = CenterAlignHeadingBottom;
        preview.PrintOpsCombo->setCurrentIndex(0);
        preview.CopiesTxt->setText(QStringLiteral("1"));
        const QString path = m_folder.filePath(QStringLiteral("printed-%1.pdf").arg(margin));
        m_dialogs.answer(host::DialogAnswer::file(path));
        preview.PrintButton_Click();
        ASSERT_TRUE(m_boxes.shown().empty());
        ASSERT_EQ(testsupport::pdfPageCount(path), preview.PageCount);

        const testsupport::SheetGeometry sheet{margin, 360, 360, 12240, 15840};
        for (int page = 1; page <= preview.PageCount; ++page) {
            SCOPED_TRACE(page);
            testsupport::expectTextInsideMarginsAndAboveTheStamp(
                testsupport::renderPdfPage(path, page, 100), 100, sheet, true);
            EXPECT_TRUE(pdfText(path, page).contains(QStringLiteral("Page %1").arg(page)));
        }
    }
}

}  // namespace
