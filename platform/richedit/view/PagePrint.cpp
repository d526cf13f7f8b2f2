#include "platform/richedit/view/PagePrint.h"

#include "platform/host/Printer.h"
#include "platform/richedit/view/Engine.h"

#include <QCoreApplication>
#include <cmath>

namespace richedit {
namespace {

// Whole twips inside a length of device pixels, so that nothing is drawn past it.
int32_t twipsWithin(long pixels, long dpi)
{
    return int32_t(std::floor(double(pixels) * 1440.0 / double(dpi)));
}

QPainter* openPage(host::Printer& printer)
{
    QPainter* painter = printer.pagePainter();
    if (!painter)
        throw vb::VbError::fromNumber(vb::ErrPrinter);
    return painter;
}

void printPages(Engine& engine, host::Printer& printer, CharRange range, bool startDoc)
{
    const long dpiX = printer.GetDeviceCaps(host::LOGPIXELSX);
    const long dpiY = printer.GetDeviceCaps(host::LOGPIXELSY);
    const Rect page{0, 0, twipsWithin(printer.GetDeviceCaps(host::HORZRES), dpiX),
                    twipsWithin(printer.GetDeviceCaps(host::VERTRES), dpiY)};
    const TargetDevice target{int(dpiX), int(dpiY), printer.measuringDevice()};

    if (startDoc || !printer.pagePainter())
        printer.StartDoc(QCoreApplication::applicationName());
    const int32_t end = range.cpMax < 0 ? engine.document().length()
                                        : std::min(range.cpMax, engine.document().length());
    FormatRange format{nullptr, &target, page, page, range};
    for (;;) {
        format.painter = openPage(printer);
        format.rc = page;
        const int32_t next = engine.formatRange(format, true);
        // A page that placed nothing new would repeat for ever.
        if (next >= end || next <= format.chrg.cpMin)
            break;
        printer.NewPage();
        format.chrg.cpMin = next;
    }
    if (startDoc)
        printer.EndDoc();
}

}  // namespace

std::optional<vb::VbError> printRange(Engine& engine, CharRange range, bool startDoc)
{
    host::Printer& printer = host::printer();
    try {
        printPages(engine, printer, range, startDoc);
        engine.releaseFormatCache();
        return std::nullopt;
    } catch (const vb::VbError& error) {
        engine.releaseFormatCache();
        if (startDoc)
            printer.KillDoc();
        return error;
    }
}

}  // namespace richedit
