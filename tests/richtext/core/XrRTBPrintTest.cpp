// Printing the document through the control's print dialog.
#include "tests/richtext/core/XrRTBTestSupport.h"

#include "platform/host/Printer.h"
#include "tests/support/FakeCommonDialogs.h"
#include "tests/support/FakePrinter.h"

namespace {

class XrRTBPrintTest : public testsupport::XrRTBTestBase {
protected:
    testsupport::FakeCommonDialogs m_dialogs;
    XrRTB m_control;
};

}  // namespace

TEST_F(XrRTBPrintTest, PrintsEveryPageInsideTheMargins)
{
    testsupport::FakePrinterSettings settings;
    settings.unprintable = QMargins(20, 30, 20, 30);
    testsupport::FakePrinter printer(settings);
    QString text;
    for (int line = 0; line < 150; ++line)
        text += QStringLiteral("Line %1 of a document long enough for more than one page\r\n")
                    .arg(line);
    m_control.LetText(text);
    m_dialogs.answer(host::DialogAnswer::withPrinter(host::PrinterChoice{}));

    int16_t error = 0;
    EXPECT_EQ(m_control.CommonDialogPrint(error), 1);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(m_dialogs.last().flags, 524556);
    ASSERT_EQ(printer.jobs().size(), 1u);
    EXPECT_EQ(printer.jobs()[0].state, testsupport::FakePrintJob::State::Ended);
    const auto& pages = printer.pages();
    ASSERT_GE(pages.size(), 2u);
    // One inch margins at 144 dpi: the ink starts 144 pixels in from the sheet's edges.
    for (const QImage& page : pages) {
        const QRect ink = testsupport::FakePrinter::inkBounds(page);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), 144 - 2);
        EXPECT_GE(ink.top(), 144 - 2);
        EXPECT_LE(ink.right(), page.width() - 144);
        EXPECT_LE(ink.bottom(), page.height() - 144);
    }
}

TEST_F(XrRTBPrintTest, NoPrinterOrCancelPrintsNothing)
{
    testsupport::FakePrinter printer;
    m_control.LetText(QStringLiteral("short"));
    m_dialogs.answerCancel();
    int16_t error = 0;
    EXPECT_EQ(m_control.CommonDialogPrint(error), 0);
    EXPECT_EQ(error, 32755);
    EXPECT_TRUE(printer.jobs().empty() || printer.pages().empty());

    printer.setInstalled(false);
    host::printer().reset();
    error = 0;
    EXPECT_EQ(m_control.CommonDialogPrint(error), 0);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(m_dialogs.shown().size(), 1u);
}
