#include "platform/host/Printer.h"
#include "platform/runtime/VbError.h"
#include "tests/support/FakePrinter.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <functional>

using host::printer;
using testsupport::FakePrinter;
using testsupport::FakePrinterSettings;
using testsupport::FakePrintJob;
using testsupport::raisedError;

namespace {

// 600 dpi letter with unprintable strips of 25 (left), 30 (top), 40 (right), 50 (bottom) pixels.
FakePrinterSettings sixHundredDpi()
{
    FakePrinterSettings settings;
    settings.dpiX = 600;
    settings.dpiY = 600;
    settings.unprintable = QMargins(25, 30, 40, 50);
    return settings;
}

}  // namespace

TEST(Printer, ReportsTheDeviceGeometryInPixelsAndTwips)
{
    FakePrinter fake(sixHundredDpi());
    host::Printer& p = printer();
    EXPECT_EQ(p.DeviceName(), QStringLiteral("Fake Printer"));
    EXPECT_EQ(p.DriverName(), QStringLiteral("fakeprinter"));
    EXPECT_EQ(p.GetDeviceCaps(host::LOGPIXELSX), 600);
    EXPECT_EQ(p.GetDeviceCaps(host::PHYSICALWIDTH), 5100);
    EXPECT_EQ(p.GetDeviceCaps(host::PHYSICALHEIGHT), 6600);
    EXPECT_EQ(p.GetDeviceCaps(host::PHYSICALOFFSETX), 25);
    EXPECT_EQ(p.GetDeviceCaps(host::PHYSICALOFFSETY), 30);
    EXPECT_EQ(p.GetDeviceCaps(host::HORZRES), 5035);
    EXPECT_EQ(p.GetDeviceCaps(host::VERTRES), 6520);
    EXPECT_EQ(p.GetDeviceCaps(42), 0);

    EXPECT_EQ(p.Width(), 12240);
    EXPECT_EQ(p.Height(), 15840);
    EXPECT_DOUBLE_EQ(p.ScaleWidth(), 5035 * 2.4);
    EXPECT_DOUBLE_EQ(p.ScaleHeight(), 6520 * 2.4);
    EXPECT_DOUBLE_EQ(p.ScaleX(25, host::vbPixels, host::vbTwips), 60);

    p.setOrientation(host::vbPRORLandscape);
    EXPECT_EQ(p.Orientation(), host::vbPRORLandscape);
    EXPECT_EQ(p.Width(), 15840);
    EXPECT_EQ(p.GetDeviceCaps(host::PHYSICALOFFSETX), 30);
    EXPECT_EQ(p.GetDeviceCaps(host::HORZRES), 6600 - 80);

    p.setOrientation(host::vbPRORPortrait);
    p.setPaperSize(host::vbPRPSA4);
    EXPECT_EQ(p.PaperSize(), host::vbPRPSA4);
    EXPECT_EQ(p.Width(), 11906);
    EXPECT_EQ(p.Height(), 16838);
}

TEST(Printer, RefusesValuesOutsideItsSettings)
{
    FakePrinter fake;
    host::Printer& p = printer();
    EXPECT_EQ(raisedError([&] { p.setOrientation(3); }), 380);
    EXPECT_EQ(raisedError([&] { p.setPaperSize(host::vbPRPSUser); }), 380);
    EXPECT_EQ(raisedError([&] { p.setPaperSize(999); }), 380);
    EXPECT_EQ(raisedError([&] { p.setScaleMode(host::vbUser); }), 380);
    EXPECT_EQ(raisedError([&] { p.setScaleMode(host::vbHimetric); }), 380);
    EXPECT_EQ(raisedError([&] { p.setFontSize(0); }), 380);
    EXPECT_EQ(raisedError([&] { p.ScaleX(1, 42, host::vbTwips); }), vb::ErrInvalidProcedureCall);
    EXPECT_EQ(p.Orientation(), host::vbPRORPortrait);
    EXPECT_EQ(p.PaperSize(), host::vbPRPSLetter);
    EXPECT_EQ(p.ScaleMode(), host::vbTwips);
}

TEST(Printer, WithoutAPrinterEveryDeviceMemberRaises482UntilOneIsInstalled)
{
    FakePrinterSettings none;
    none.installed = false;
    FakePrinter fake(none);
    host::Printer& p = printer();
    const std::vector<std::function<void()>> members = {
        [&] { p.DeviceName(); },
        [&] { p.DriverName(); },
        [&] { p.Orientation(); },
        [&] { p.setOrientation(host::vbPRORPortrait); },
        [&] { p.setPaperSize(host::vbPRPSLetter); },
        [&] { p.GetDeviceCaps(host::PHYSICALOFFSETX); },
        [&] { p.ScaleWidth(); },
        [&] { p.ScaleX(1, host::vbPixels, host::vbTwips); },
        [&] { p.TextWidth(QStringLiteral("x")); },
        [&] { p.Print(); },
        [&] { p.StartDoc(QStringLiteral("Job")); },
        [&] { p.NewPage(); },
        [&] { p.measuringDevice(); },
    };
    for (std::size_t i = 0; i < members.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(raisedError(members[i]), vb::ErrPrinter);
    }
    EXPECT_EQ(host::printersCount(), 0);
    EXPECT_TRUE(fake.jobs().empty());
    EXPECT_NO_THROW(p.EndDoc());
    EXPECT_NO_THROW(p.KillDoc());

    fake.setInstalled(true);
    EXPECT_EQ(p.DeviceName(), QStringLiteral("Fake Printer"));
    EXPECT_EQ(host::printersCount(), 1);
}

TEST(Printer, ConvertsBetweenScaleModes)
{
    FakePrinterSettings settings;
    settings.dpiX = 600;
    settings.dpiY = 300;
    FakePrinter fake(settings);
    host::Printer& p = printer();
    const struct {
        int mode;
        double perInchX;
        double perInchY;
    } units[] = {
        {host::vbTwips, 1440, 1440},
        {host::vbPoints, 72, 72},
        {host::vbPixels, 600, 300},
        {host::vbCharacters, 12, 6},
        {host::vbInches, 1, 1},
        {host::vbMillimeters, 25.4, 25.4},
        {host::vbCentimeters, 2.54, 2.54},
        {host::vbHimetric, 2540, 2540},
    };
    for (const auto& unit : units) {
        SCOPED_TRACE(unit.mode);
        EXPECT_NEAR(p.ScaleX(1, host::vbInches, unit.mode), unit.perInchX, 1e-9);
        EXPECT_NEAR(p.ScaleY(unit.perInchY, unit.mode, host::vbTwips), 1440, 1e-9);
    }
    EXPECT_DOUBLE_EQ(p.TwipsPerPixelX(), 2.4);
    EXPECT_DOUBLE_EQ(p.TwipsPerPixelY(), 4.8);

    // The print position is a place on the page: it stays put when the scale mode changes.
    p.setScaleMode(host::vbInches);
    p.setCurrentX(1.5);
    p.setCurrentY(0.25);
    EXPECT_DOUBLE_EQ(p.ScaleWidth(), p.GetDeviceCaps(host::HORZRES) / 600.0);
    p.setScaleMode(host::vbPixels);
    EXPECT_DOUBLE_EQ(p.CurrentX(), 900);
    EXPECT_DOUBLE_EQ(p.CurrentY(), 75);
    p.setScaleMode(host::vbTwips);
    EXPECT_DOUBLE_EQ(p.CurrentX(), 2160);
}

TEST(Printer, RunsJobsInOrderAndCountsPages)
{
    FakePrinter fake;
    host::Printer& p = printer();
    p.StartDoc(QStringLiteral("Report"));
    EXPECT_EQ(p.Page(), 1);
    p.StartDoc(QStringLiteral("Ignored while a job is open"));
    p.Print(QStringLiteral("one"));
    p.NewPage();
    EXPECT_EQ(p.Page(), 2);
    EXPECT_DOUBLE_EQ(p.CurrentY(), 0);
    p.Print(QStringLiteral("two"));
    p.EndDoc();
    EXPECT_EQ(p.Page(), 0);
    p.EndDoc();

    // Printing with no job open opens one, named after the program.
    p.Print();
    p.KillDoc();

    EXPECT_EQ(fake.events(),
              (QStringList{"StartDoc Report", "NewPage", "EndDoc",
                           "StartDoc " + QCoreApplication::applicationName(), "AbortDoc"}));
    ASSERT_EQ(fake.jobs().size(), 2u);
    EXPECT_EQ(fake.jobs()[0].pages.size(), 2u);
    EXPECT_EQ(fake.jobs()[0].state, FakePrintJob::State::Ended);
    EXPECT_EQ(fake.jobs()[1].state, FakePrintJob::State::Aborted);
}

TEST(Printer, AFailingJobIsAbortedAndRaises482)
{
    FakePrinter fake;
    host::Printer& p = printer();

    fake.failAtStart();
    EXPECT_EQ(raisedError([&] { p.Print(); }), vb::ErrPrinter);
    EXPECT_TRUE(fake.jobs().empty());
    fake.failAtStart(false);

    fake.failAtPage(3);
    p.StartDoc(QStringLiteral("Pages"));
    p.NewPage();
    EXPECT_EQ(raisedError([&] { p.NewPage(); }), vb::ErrPrinter);
    EXPECT_EQ(p.Page(), 0);
    EXPECT_EQ(p.pagePainter(), nullptr);
    EXPECT_EQ(fake.jobs().back().state, FakePrintJob::State::Aborted);
    EXPECT_EQ(fake.jobs().back().pages.size(), 2u);
    fake.failAtPage(0);

    fake.failAtEnd();
    p.Print(QStringLiteral("last"));
    EXPECT_EQ(raisedError([&] { p.EndDoc(); }), vb::ErrPrinter);
    EXPECT_EQ(fake.jobs().back().state, FakePrintJob::State::Aborted);

    EXPECT_EQ(fake.events(),
              (QStringList{"StartDoc " + QCoreApplication::applicationName() + " failed",
                           "StartDoc Pages", "NewPage", "NewPage failed", "AbortDoc",
                           "StartDoc " + QCoreApplication::applicationName(), "EndDoc failed",
                           "AbortDoc"}));
}

TEST(Printer, PrintsTextAtThePrintPositionFromThePrintableCorner)
{
    FakePrinterSettings settings;  // 144 dpi: 10 twips to the pixel
    settings.unprintable = QMargins(20, 30, 20, 30);
    FakePrinter fake(settings);
    host::Printer& p = printer();
    p.setFontName(QStringLiteral("DejaVu Sans"));
    p.setFontSize(12);
    const double lineHeight = p.TextHeight(QStringLiteral("Hg"));
    ASSERT_GT(lineHeight, 0);

    p.setCurrentX(1440);
    p.setCurrentY(720);
    p.Print(QStringLiteral("HHHH"));
    EXPECT_DOUBLE_EQ(p.CurrentX(), 0);
    EXPECT_DOUBLE_EQ(p.CurrentY(), 720 + lineHeight);
    p.setCurrentX(2880);
    p.Print(QStringLiteral("HHHH\r\nHHHH"));
    EXPECT_DOUBLE_EQ(p.CurrentY(), 720 + 3 * lineHeight);
    p.EndDoc();

    ASSERT_EQ(fake.pages().size(), 1u);
    const QImage& page = fake.pages()[0];
    EXPECT_EQ(page.size(), QSize(1224, 1584));
    EXPECT_EQ(qRound(page.dotsPerMeterX() * 0.0254), 144);

    const int linePx = int(lineHeight / 10);
    const int firstTop = 30 + 72;
    const QRect first = FakePrinter::inkBounds(page, QRect(0, 0, 1224, firstTop + linePx));
    ASSERT_FALSE(first.isEmpty());
    EXPECT_NEAR(first.left(), 20 + 144, 3);
    EXPECT_GE(first.top(), firstTop);
    const double advance = p.TextWidth(QStringLiteral("HHHH")) / 10;  // ink lies inside it
    EXPECT_LE(first.width(), advance + 2);
    EXPECT_GT(first.width(), advance * 0.8);

    // The second Print starts at its own CurrentX; its second line goes back to the left edge.
    const QRect second = FakePrinter::inkBounds(page, QRect(0, firstTop + linePx, 1224, linePx));
    EXPECT_NEAR(second.left(), 20 + 288, 3);
    const QRect third = FakePrinter::inkBounds(page, QRect(0, firstTop + 2 * linePx, 1224, linePx));
    EXPECT_NEAR(third.left(), 20, 3);
    EXPECT_EQ(FakePrinter::inkedPixels(page, QRect(0, firstTop + 3 * linePx, 1224, 1584)), 0);
}

TEST(Printer, DrawingGoesThroughThePagePainterAndStaysInThePrintableArea)
{
    FakePrinterSettings settings;
    settings.unprintable = QMargins(20, 30, 40, 50);
    FakePrinter fake(settings);
    host::Printer& p = printer();
    EXPECT_EQ(p.pagePainter(), nullptr);
    p.StartDoc(QStringLiteral("Lines"));
    QPainter* painter = p.pagePainter();
    ASSERT_NE(painter, nullptr);
    EXPECT_EQ(painter->device()->logicalDpiX(), 144);
    painter->fillRect(QRect(-100, -100, 5000, 5000), Qt::black);
    p.NewPage();
    painter = p.pagePainter();
    painter->setPen(Qt::black);
    painter->drawLine(0, 100, 99, 100);
    p.setForeColor(0x0000FF);
    p.Print(QStringLiteral("red"));
    p.EndDoc();

    ASSERT_EQ(fake.pages().size(), 2u);
    EXPECT_EQ(FakePrinter::inkBounds(fake.pages()[0]), QRect(20, 30, 1224 - 60, 1584 - 80));
    const QImage& lines = fake.pages()[1];
    EXPECT_EQ(FakePrinter::inkBounds(lines, QRect(0, 120, 1224, 30)), QRect(20, 130, 100, 1));
    const QRect text = FakePrinter::inkBounds(lines, QRect(0, 0, 1224, 120));
    ASSERT_FALSE(text.isEmpty());
    int reddish = 0;
    for (int y = text.top(); y <= text.bottom(); ++y) {
        for (int x = text.left(); x <= text.right(); ++x) {
            const QColor c = lines.pixelColor(x, y);
            reddish += c.red() > 128 && c.blue() < 64 && c.green() < 64;
        }
    }
    EXPECT_GT(reddish, 0);
}

TEST(Printer, MeasuresTextInTwipsWhateverTheResolution)
{
    FakePrinter fake;
    host::Printer& p = printer();
    p.setFontName(QStringLiteral("DejaVu Sans"));
    p.setFontSize(10);
    const double lowWidth = p.TextWidth(QStringLiteral("Measure me"));
    const double lowHeight = p.TextHeight(QStringLiteral("Measure me"));
    EXPECT_DOUBLE_EQ(p.TextWidth(QStringLiteral("Measure me\r\nme")), lowWidth);
    EXPECT_DOUBLE_EQ(p.TextHeight(QStringLiteral("a\nb\nc")), 3 * lowHeight);

    fake.settings().dpiX = fake.settings().dpiY = 600;
    EXPECT_NEAR(p.TextWidth(QStringLiteral("Measure me")), lowWidth, lowWidth * 0.05);
    EXPECT_NEAR(p.TextHeight(QStringLiteral("Measure me")), lowHeight, lowHeight * 0.05);
    // About 10 points high; a 20-point font is about twice as wide.
    EXPECT_NEAR(lowHeight, 240, 60);
    p.setFontSize(20);
    EXPECT_NEAR(p.TextWidth(QStringLiteral("Measure me")), 2 * lowWidth, lowWidth * 0.1);

    p.setFontBold(true);
    EXPECT_EQ(p.FontWeight(), 700);
    p.setFontWeight(400);
    EXPECT_FALSE(p.FontBold());
}

TEST(Printer, MeasuringDevicesMatchTheResolutionAndOutliveAPrinterChange)
{
    QPaintDevice* fine = nullptr;
    {
        FakePrinter fake(sixHundredDpi());
        fine = printer().measuringDevice();
        EXPECT_EQ(fine->logicalDpiX(), 600);
        EXPECT_EQ(fine->logicalDpiY(), 600);
        EXPECT_EQ(printer().measuringDevice(), fine);
    }
    FakePrinter coarse;
    EXPECT_NE(printer().measuringDevice(), fine);
    EXPECT_EQ(printer().measuringDevice()->logicalDpiX(), 144);
    EXPECT_EQ(fine->logicalDpiX(), 600);
}

TEST(Printer, InstallingAFakeStartsFromAFreshPrinterObject)
{
    {
        FakePrinter first;
        printer().setScaleMode(host::vbInches);
        printer().setFontSize(30);
        printer().setCurrentX(2);
    }
    FakePrinter second;
    EXPECT_EQ(printer().ScaleMode(), host::vbTwips);
    EXPECT_DOUBLE_EQ(printer().CurrentX(), 0);
    EXPECT_DOUBLE_EQ(printer().FontSize(), 10);
}

// On a build machine there is usually no print server: the PDF printer is there all the same,
// and the answers come at once.
TEST(SystemPrinter, IsAlwaysInstalledAndAnswersQuickly)
{
    QElapsedTimer clock;
    clock.start();
    host::PrinterDevice& system = host::printerService().get();
    ASSERT_TRUE(system.deviceName().has_value());
    for (int probe = 0; probe < 10; ++probe)
        EXPECT_TRUE(system.deviceName().has_value());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_NO_THROW(printer().DeviceName());
    const auto g = system.geometry();
    ASSERT_TRUE(g.has_value());
    EXPECT_GT(g->dpiX, 0);
    EXPECT_GE(g->offsetX, 0);
    EXPECT_LE(g->offsetX + g->printableWidth, g->physicalWidth);
    EXPECT_LE(g->offsetY + g->printableHeight, g->physicalHeight);
}
