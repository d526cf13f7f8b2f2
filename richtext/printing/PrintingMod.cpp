#include "richtext/printing/PrintingMod.h"

#include "platform/host/MessageBox.h"
#include "platform/host/Printer.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbFormat.h"
#include "platform/runtime/VbNumbers.h"
#include "richtext/common/RichTextLibraryState.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace PrintingMod {
namespace {

const QString NotConnectedText =
    QStringLiteral("Make sure that you have a printer installed and connected. ");
const QString NotInstalledText = QStringLiteral("Make sure that you have a printer installed. ");
const QString PrinterErrorTitle = QStringLiteral("Printer Error");

int32_t printMargin()
{
    return RichTextLibraryState::instance().SharedPrintMargin;
}

// The printer's device context as the format range measures with it.
richedit::TargetDevice printerTarget(host::Printer& printer)
{
    return {int(printer.GetDeviceCaps(host::LOGPIXELSX)),
            int(printer.GetDeviceCaps(host::LOGPIXELSY)), printer.measuringDevice()};
}

// The page that is being printed; a job without one is a printer failure.
QPainter* openPage(host::Printer& printer)
{
    QPainter* painter = printer.pagePainter();
    if (!painter)
        vb::raiseError(vb::ErrPrinter);
    return painter;
}

// What every job and the page count set first. The further whole-number setting is the paper:
// the preview lays its copy out on one US-letter sheet. The printer object always follows the
// system's default printer.
void setUpPrinter(host::Printer& printer)
{
    printer.setPaperSize(host::vbPRPSLetter);
    printer.setOrientation(host::vbPRORPortrait);
}

// A line of the stamp font (SetStampFont) at the printer's resolution, in twips, measured
// without changing the printer's own font.
int32_t stampLineHeight(host::Printer& printer)
{
    QFont font(QStringLiteral("Lucida Console"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(9);
    font.setWeight(QFont::Weight(400));
    const QFontMetricsF metrics(font, printer.measuringDevice());
    return int32_t(std::ceil(metrics.lineSpacing() * 1440.0 /
                             double(printer.GetDeviceCaps(host::LOGPIXELSY))));
}

void releaseCache(richedit::RichTextBox& text)
{
    richedit::sendMessage(text.hWnd(), richedit::EM_FORMATRANGE, 0, 0);
}

// Measures (or draws) from range.chrg on the printer at the job's rectangles and returns the
// first position of the next page.
int32_t formatPage(richedit::RichTextBox& text, host::Printer& printer, const PrinterPage& page,
                   richedit::FormatRange& range, bool draw)
{
    const richedit::TargetDevice target = printerTarget(printer);
    range.painter = draw ? openPage(printer) : nullptr;
    range.target = &target;
    range.rc = page.drawing;
    range.rcPage = page.page;
    const intptr_t next = formatRangeSender()(text.hWnd(), richedit::EM_FORMATRANGE, draw ? 1 : 0,
                                              reinterpret_cast<intptr_t>(&range));
    range.target = nullptr;
    return int32_t(next);
}

struct Stamp {
    int32_t kind;
    QString customText;
    int32_t position;
};

void printStamp(host::Printer& printer, const Stamp& stamp, int32_t pageNumber)
{
    bool hasLine = false;
    QString line = StampLine(stamp.kind, stamp.customText, pageNumber, &hasLine);
    if (!hasLine)
        return;
    int32_t position = stamp.position;
    const int32_t x = PlaceStamp(position, line);
    printer.setCurrentX(x);
    printer.Print(line);
}

// Opens the job and returns the page's rectangles, the range starting at 0.
PrinterPage openJob(host::Printer& printer, richedit::FormatRange& range)
{
    setUpPrinter(printer);
    printer.Print();
    printer.setScaleMode(host::vbTwips);
    range.chrg = richedit::CharRange{0, -1};
    return printerPage(printer, printMargin());
}

bool jobCancelled = false;

// Runs one print job. Any error ends it with one message; the job it leaves open is aborted
// first, so that a half-printed job never reaches the paper and no loop floods the user with
// boxes. A job the user cancels as it starts ends without a word.
template <typename Job>
void runJob(richedit::RichTextBox& text, Job job)
{
    host::Printer& printer = host::printer();
    jobCancelled = false;
    try {
        job(printer);
        releaseCache(text);
    } catch (const vb::VbError& error) {
        printer.KillDoc();
        releaseCache(text);
        jobCancelled = error.number() == vb::ErrCancel;
        if (jobCancelled)
            return;
        if (error.number() == vb::ErrPrinter)
            host::MsgBox(NotConnectedText, host::vbExclamation, PrinterErrorTitle);
        else
            host::MsgBox(QString::number(error.number()), host::vbExclamation, error.description());
    }
}

}  // namespace

bool JobCancelled()
{
    return jobCancelled;
}

MessageSender& formatRangeSender()
{
    static MessageSender sender = &richedit::sendMessage;
    return sender;
}

PrinterPage printerPage(host::Printer& printer, int32_t margin)
{
    PrinterPage page;
    page.offsetX = vb::CLng(printer.ScaleX(double(printer.GetDeviceCaps(host::PHYSICALOFFSETX)),
                                           host::vbPixels, host::vbTwips));
    page.offsetY = vb::CLng(printer.ScaleY(double(printer.GetDeviceCaps(host::PHYSICALOFFSETY)),
                                           host::vbPixels, host::vbTwips));
    page.paperWidth = int32_t(printer.Width());
    page.paperHeight = int32_t(printer.Height());
    page.drawing = richedit::Rect{margin - page.offsetX, margin - page.offsetY,
                                  page.paperWidth - margin - page.offsetX,
                                  page.paperHeight - margin - page.offsetY};
    page.page =
        richedit::Rect{0, 0, vb::CLng(printer.ScaleWidth()), vb::CLng(printer.ScaleHeight())};
    page.stampHeight = stampLineHeight(printer);
    page.drawing.top = std::max(page.drawing.top, page.stampHeight);
    page.drawing.bottom = std::min(page.drawing.bottom, page.page.bottom - page.stampHeight);
    return page;
}

int32_t fitStampY(const PrinterPage& page, int32_t stampPosition, int32_t wantedY,
                  int32_t lowestEdge)
{
    if (stampPosition <= LeftAlignHeading)
        return std::clamp(wantedY, 0, std::max(0, page.drawing.top - page.stampHeight));
    const int32_t lowest = std::max(page.drawing.bottom, lowestEdge - page.stampHeight);
    return std::clamp(wantedY, page.drawing.bottom, lowest);
}

QString StampNow()
{
    return vb::Format(QDateTime::currentDateTime());
}

QString StampLine(int32_t kind, const QString& customText, int32_t pageNumber, bool* hasLine)
{
    const QString number = QString::number(pageNumber);
    *hasLine = true;
    switch (kind) {
        case PrintBoth:
            return StampNow() + QStringLiteral("     Page ") + number;
        case PrintPageOnly:
            return QStringLiteral("Page ") + number;
        case PrintNowOnly:
            return StampNow();
        case PrintCustom:
            return customText;
        case PrintCustomWNum:
            return customText + number;
        default:
            *hasLine = false;
            return QString();
    }
}

void SetStampFont()
{
    host::Printer& printer = host::printer();
    printer.setForeColor(0);
    printer.setFontName(QStringLiteral("Lucida Console"));
    printer.setFontSize(9);
    printer.setFontBold(false);
    printer.setFontItalic(false);
    printer.setFontStrikethru(false);
    printer.setFontUnderline(false);
    printer.setFontWeight(400);
}

int32_t PlaceStamp(int32_t& stampPosition, QString& stampText)
{
    SetStampFont();
    host::Printer& printer = host::printer();
    const double width = printer.ScaleWidth();
    const double textWidth = printer.TextWidth(stampText);
    const int32_t margin = printMargin();
    const auto centre = [&] { return vb::CLng(width - textWidth) / 2; };
    const auto right = [&] { return vb::CLng(width - (textWidth + margin)); };
    if (stampPosition < CenterAlignHeading || stampPosition > LeftAlignHeadingBottom)
        return 0;
    const PrinterPage page = printerPage(printer, margin);
    const bool top = stampPosition <= LeftAlignHeading;
    printer.setCurrentY(
        fitStampY(page, stampPosition, top ? TopStampY : BottomStampY, page.page.bottom));
    switch (stampPosition) {
        case CenterAlignHeading:
        case CenterAlignHeadingBottom:
            return centre();
        case RightAlignHeading:
        case RightAlignHeadingBottom:
            return right();
        default:
            return margin;
    }
}

void PrintAllPages(richedit::RichTextBox& previewText, int32_t& pageCount, int32_t& stampKind,
                   QString& customText, int32_t& stampPosition)
{
    const Stamp stamp{stampKind, customText, stampPosition};
    runJob(previewText, [&](host::Printer& printer) {
        richedit::FormatRange range;
        const PrinterPage page = openJob(printer, range);
        const int32_t length = int32_t(previewText.Text().size());
        for (int32_t i = 1; i <= pageCount; ++i) {
            const int32_t next = formatPage(previewText, printer, page, range, true);
            // A page that placed nothing new would repeat for ever.
            if (next >= length || next <= range.chrg.cpMin)
                break;
            range.chrg.cpMin = next;
            printStamp(printer, stamp, printer.Page());
            printer.NewPage();
        }
        printStamp(printer, stamp, printer.Page());
        printer.EndDoc();
    });
}

void PrintSinglePage(richedit::RichTextBox& previewText, int32_t& pageNumber, int32_t& stampKind,
                     QString& customText, int32_t& stampPosition)
{
    jobCancelled = false;
    const int32_t pages = CountPages(previewText);
    // The count has told the user about the printer already.
    if (pages == 0)
        return;
    const Stamp stamp{stampKind, customText, stampPosition};
    runJob(previewText, [&](host::Printer& printer) {
        richedit::FormatRange range;
        const PrinterPage page = openJob(printer, range);
        int32_t pageStart = 0;
        for (int32_t i = 1; i <= pages; ++i) {
            pageStart = range.chrg.cpMin;
            range.chrg.cpMax = -1;
            range.chrg.cpMin = formatPage(previewText, printer, page, range, false);
            if (i == pageNumber)
                break;
        }
        range.chrg = richedit::CharRange{pageStart, range.chrg.cpMin};
        formatPage(previewText, printer, page, range, true);
        printStamp(printer, stamp, pageNumber);
        printer.EndDoc();
    });
}

void PrintPageRange(richedit::RichTextBox& previewText, int32_t& firstPage, int32_t& lastPage,
                    int32_t& /*pageCount*/, int32_t& stampKind, QString& customText,
                    int32_t& stampPosition)
{
    const Stamp stamp{stampKind, customText, stampPosition};
    runJob(previewText, [&](host::Printer& printer) {
        richedit::FormatRange range;
        const PrinterPage page = openJob(printer, range);
        const int32_t length = int32_t(previewText.Text().size());
        int32_t pageStart = 0;
        for (int32_t i = 1; i <= firstPage; ++i) {
            pageStart = range.chrg.cpMin;
            const int32_t next = formatPage(previewText, printer, page, range, false);
            if (next >= length || next <= range.chrg.cpMin)
                break;
            range.chrg.cpMin = next;
        }
        range.chrg.cpMin = pageStart;
        for (int32_t i = firstPage; i <= lastPage; ++i) {
            printStamp(printer, stamp, i);
            const int32_t next = formatPage(previewText, printer, page, range, true);
            if (next >= length || next <= range.chrg.cpMin)
                break;
            range.chrg.cpMin = next;
            if (i < lastPage)
                printer.NewPage();
        }
        printer.EndDoc();
    });
}

int32_t CountPages(richedit::RichTextBox& previewText)
{
    host::Printer& printer = host::printer();
    int32_t count = 0;
    try {
        setUpPrinter(printer);
        printer.setScaleMode(host::vbTwips);
        const PrinterPage page = printerPage(printer, printMargin());
        richedit::FormatRange range;
        range.chrg = richedit::CharRange{0, -1};
        const int32_t length = int32_t(previewText.Text().size());
        count = 1;
        for (;;) {
            const int32_t next = formatPage(previewText, printer, page, range, false);
            // Stops on a page that made no progress as well: it would be counted for ever.
            if (next >= length || next <= range.chrg.cpMin)
                break;
            range.chrg.cpMin = next;
            ++count;
        }
    } catch (const vb::VbError& error) {
        releaseCache(previewText);
        if (error.number() == vb::ErrPrinter) {
            host::MsgBox(NotInstalledText, host::vbExclamation, PrinterErrorTitle);
            return 0;
        }
        host::MsgBox(QString::number(error.number()), host::vbExclamation, error.description());
    }
    releaseCache(previewText);
    return std::max(count, 1);
}

}  // namespace PrintingMod
