#include "richtext/printing/PrintPreviewMod.h"

#include "platform/host/Printer.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/printing/PrintPreview.h"
#include "richtext/printing/PrinterTarget.h"
#include "richtext/printing/PrintingMod.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace PrintPreviewMod {
namespace {

int32_t printMargin()
{
    return RichTextLibraryState::instance().SharedPrintMargin;
}

intptr_t send(richedit::RichTextBox& window, uint32_t msg, intptr_t wParam, intptr_t lParam)
{
    return richedit::sendMessage(window.hWnd(), msg, wParam, lParam);
}

intptr_t sendRange(richedit::RichTextBox& window, intptr_t wParam, richedit::FormatRange& range)
{
    return send(window, richedit::EM_FORMATRANGE, wParam, reinterpret_cast<intptr_t>(&range));
}

}  // namespace

void RenderPreviewPage(PrintPreview& preview, int32_t& wantedPage, int32_t& pageLimit)
{
    richedit::RichTextBox& text = *preview.RichTextBox1;
    preview.Picture1.Cls();

    host::Printer& printer = host::printer();
    printer.setOrientation(host::vbPRORPortrait);
    printer.setScaleMode(host::vbTwips);
    const PrintingMod::PrinterPage page = PrintingMod::printerPage(printer, printMargin());
    const int32_t lineWidth = page.drawing.right - page.drawing.left;

    richedit::FormatRange range;
    range.chrg = richedit::CharRange{0, -1};

    // The copy's lines now break where the printed lines will. The window keeps only the
    // device's resolution, so the one it replaces is freed here rather than left behind.
    std::unique_ptr<QImage> device = PrinterTarget::createPrinterDevice();
    send(text, richedit::EM_SETTARGETDEVICE, reinterpret_cast<intptr_t>(device.get()), lineWidth);
    preview.TargetDevice = std::move(device);

    int32_t pageStart = 0;
    for (int32_t i = 1; i <= pageLimit; ++i) {
        pageStart = range.chrg.cpMin;
        const richedit::TargetDevice target{int(printer.GetDeviceCaps(host::LOGPIXELSX)),
                                            int(printer.GetDeviceCaps(host::LOGPIXELSY)),
                                            printer.measuringDevice()};
        range.target = &target;
        range.rc = page.drawing;
        range.rcPage = page.page;
        range.chrg.cpMin = int32_t(sendRange(text, 0, range));
        range.target = nullptr;
        if (i == wantedPage)
            break;
    }
    int32_t startLine = text.GetLineFromChar(pageStart);
    int32_t endLine = text.GetLineFromChar(range.chrg.cpMin);
    send(text, richedit::EM_FORMATRANGE, 0, 0);
    FormatPreviewRange(preview, startLine, endLine);
}

void FormatPreviewRange(PrintPreview& preview, int32_t& startLine, int32_t& endLine)
{
    richedit::RichTextBox& text = *preview.RichTextBox1;
    PageCanvas& canvas = preview.Picture1;
    canvas.setHeight(PageCanvas::SheetHeight);

    host::Printer& printer = host::printer();
    const int32_t margin = printMargin();
    const PrintingMod::PrinterPage page = PrintingMod::printerPage(printer, margin);
    const int32_t leftInset = page.drawing.left;
    const int32_t topInset = page.drawing.top;
    const int32_t usableHeight = page.paperHeight - 2 * margin;

    // The probe leaves the height of one line in the rectangle's bottom.
    const richedit::TargetDevice canvasDevice = canvas.device();
    richedit::FormatRange range;
    const int32_t probeStart = int32_t(send(text, richedit::EM_LINEINDEX, 0, 0)) + 1;
    const int32_t probeLength = int32_t(send(text, richedit::EM_LINELENGTH, probeStart, 0));
    range.rc = range.rcPage = page.page;
    range.chrg = richedit::CharRange{probeStart, probeStart + probeLength};
    range.target = &canvasDevice;
    sendRange(text, 0, range);
    richedit::Rect running{leftInset, topInset, range.rc.right, range.rc.bottom};

    const int32_t lastLine = int32_t(send(text, richedit::EM_GETLINECOUNT, 0, 0)) - 1;
    const int32_t stopLine = endLine != lastLine ? endLine - 1 : endLine;
    for (int32_t i = startLine; i <= stopLine; ++i) {
        const int32_t start = int32_t(send(text, richedit::EM_LINEINDEX, i, 0));
        int32_t length = int32_t(send(text, richedit::EM_LINELENGTH, start, 0));
        if (length == 0)
            length = 1;
        range.rc = running;
        range.chrg = richedit::CharRange{start, start + length};
        {
            QPainter painter(&canvas.image());
            painter.setRenderHint(QPainter::TextAntialiasing);
            range.painter = &painter;
            sendRange(text, -1, range);
            range.painter = nullptr;
        }
        // Each rectangle is as tall as the previous one's bottom; held within range on long
        // pages.
        const int64_t bottom = int64_t(range.rc.bottom) + running.bottom;
        running = richedit::Rect{leftInset, range.rc.bottom, range.rc.right,
                                 int32_t(std::min<int64_t>(bottom, INT32_MAX))};
        if (i == endLine) {
            if (float(preview.pageViewHeight() + 2 * margin) > float(canvas.Height()))
                canvas.setHeight(margin + PageCanvas::SheetHeight);
        } else if (usableHeight - 2 * topInset < range.rc.bottom + margin) {
            // The canvas never becomes shorter than the sheet: a page that is only partly
            // filled must not be stretched down the page view.
            canvas.setHeight(std::max(PageCanvas::SheetHeight, range.rc.bottom + margin));
        }
        canvas.Print();
    }
    send(text, richedit::EM_FORMATRANGE, 0, 0);
}

}  // namespace PrintPreviewMod
