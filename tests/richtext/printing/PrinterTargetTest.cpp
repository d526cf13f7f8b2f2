#include "richtext/printing/PrinterTarget.h"

#include "platform/richedit/view/RichTextBox.h"
#include "tests/support/FakePrinter.h"

#include <gtest/gtest.h>

namespace {

using testsupport::FakePrinter;
using testsupport::FakePrinterSettings;

FakePrinterSettings printerWithOffset(int dpi, int offsetPixels)
{
    FakePrinterSettings settings;
    settings.dpiX = settings.dpiY = dpi;
    settings.unprintable = QMargins(offsetPixels, 10, 0, 0);
    return settings;
}

TEST(PrinterTargetTest, PresenceIsAskedAgainOnEveryCall)
{
    FakePrinter printer;
    EXPECT_TRUE(PrinterTarget::PrinterInstalled());
    printer.setInstalled(false);
    EXPECT_FALSE(PrinterTarget::PrinterInstalled());
    EXPECT_EQ(PrinterTarget::GetPrinterOffsetX(), 0);
    printer.setInstalled(true);
    EXPECT_TRUE(PrinterTarget::PrinterInstalled());
}

TEST(PrinterTargetTest, LeftOffsetIsConvertedToTwipsAndRoundedHalfToEven)
{
    const struct {
        int dpi;
        int pixels;
        int32_t twips;
    } cases[] = {{600, 0, 0}, {600, 25, 60}, {144, 7, 70}, {576, 1, 2}, {576, 3, 8}};
    for (const auto& c : cases) {
        FakePrinter printer(printerWithOffset(c.dpi, c.pixels));
        EXPECT_EQ(PrinterTarget::GetPrinterOffsetX(), c.twips) << c.dpi << " " << c.pixels;
    }
}

TEST(PrinterTargetTest, WrapsAtThePrintedLineWidthWhateverThePaperAndOffset)
{
    FakePrinterSettings settings = printerWithOffset(600, 25);
    settings.paperSize = host::vbPRPSA4;
    settings.orientation = host::vbPRORLandscape;
    FakePrinter printer(settings);
    richedit::RichTextBox window;
    window.setText(QStringLiteral("Some words to lay out against the printer."));
    PrinterTarget target;

    target.SetPrinterWrap(window, 1440);
    const richedit::DocumentLayout& layout = window.engine().layout();
    EXPECT_EQ(layout.wrapMode(), richedit::WrapMode::Width);
    EXPECT_EQ(layout.wrapWidth(), 9360);
    ASSERT_NE(layout.measuringDevice(), nullptr);
    EXPECT_EQ(layout.measuringDevice()->logicalDpiX(), 600);
    EXPECT_EQ(printer.settings().orientation, host::vbPRORPortrait);
    ASSERT_NE(target.targetDevice(), nullptr);
    EXPECT_EQ(target.targetDevice()->text(QStringLiteral("Device")),
              QStringLiteral("Fake Printer"));

    target.SetPrinterWrap(window, 1080);
    EXPECT_EQ(layout.wrapWidth(), 10080);
    // One device at a time: the one the window no longer measures with is gone.
    EXPECT_EQ(target.targetDevice()->logicalDpiX(), 600);

    printer.setInstalled(false);
    target.SetPrinterWrap(window, 1440);
    EXPECT_EQ(layout.wrapMode(), richedit::WrapMode::Window);
    EXPECT_EQ(layout.measuringDevice(), nullptr);
    EXPECT_EQ(target.targetDevice(), nullptr);
}

}  // namespace
