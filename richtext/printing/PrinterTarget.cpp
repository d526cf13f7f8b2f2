#include "richtext/printing/PrinterTarget.h"

#include "platform/host/Printer.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbNumbers.h"
#include "richtext/printing/RulerGeometry.h"

#include <algorithm>
#include <exception>

namespace {

// Runs one step; a failing step is skipped and the next one runs.
template <typename Step>
void passOver(Step step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

// The page height the measuring pass lays one page out against.
constexpr int32_t LetterHeight = 15840;

}  // namespace

std::unique_ptr<QImage> PrinterTarget::createPrinterDevice()
{
    try {
        host::Printer& printer = host::printer();
        const QString driver = printer.DriverName();
        const QString device = printer.DeviceName();
        const long dpiX = printer.GetDeviceCaps(host::LOGPIXELSX);
        const long dpiY = printer.GetDeviceCaps(host::LOGPIXELSY);
        if (dpiX <= 0 || dpiY <= 0)
            return nullptr;
        auto image = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
        image->setDotsPerMeterX(qRound(dpiX / 0.0254));
        image->setDotsPerMeterY(qRound(dpiY / 0.0254));
        image->setText(QStringLiteral("Driver"), driver);
        image->setText(QStringLiteral("Device"), device);
        return image;
    } catch (const std::exception&) {
        return nullptr;
    }
}

PrinterTarget::PrinterTarget() = default;
PrinterTarget::~PrinterTarget() = default;

bool PrinterTarget::PrinterInstalled()
{
    try {
        host::printer().DeviceName();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int32_t PrinterTarget::GetPrinterOffsetX()
{
    if (!PrinterInstalled())
        return 0;
    int32_t offset = 0;
    passOver([&] {
        host::Printer& printer = host::printer();
        printer.setScaleMode(host::vbTwips);
        const double pixels = double(printer.GetDeviceCaps(host::PHYSICALOFFSETX));
        const double dpi = double(printer.GetDeviceCaps(host::LOGPIXELSX));
        if (dpi <= 0)
            return;
        offset = vb::CLng(pixels * ruler::TwipsPerInch / dpi);
    });
    return offset;
}

void PrinterTarget::SetPrinterWrap(richedit::RichTextBox& window, int32_t printerMargin)
{
    using namespace richedit;
    if (!PrinterInstalled()) {
        sendMessage(window.hWnd(), EM_SETTARGETDEVICE, 0, 0);
        m_device.reset();
        return;
    }
    // The printer object already follows the system's default printer.
    passOver([] { host::printer().setOrientation(host::vbPRORPortrait); });
    passOver([] { host::printer().setScaleMode(host::vbTwips); });
    const int64_t width = int64_t(ruler::PageWidth) - 2 * int64_t(printerMargin);
    const auto lineWidth = int32_t(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));

    std::unique_ptr<QImage> device = createPrinterDevice();
    sendMessage(window.hWnd(), EM_SETTARGETDEVICE, reinterpret_cast<intptr_t>(device.get()),
                lineWidth);
    if (device) {
        // Measure one page against the printer once, then free what that cached.
        TargetDevice target{device->logicalDpiX(), device->logicalDpiY(), device.get()};
        FormatRange range;
        range.target = &target;
        range.rc = Rect{0, 0, std::max(lineWidth, 1), LetterHeight - 2 * printerMargin};
        range.rcPage = Rect{0, 0, ruler::PageWidth, LetterHeight};
        range.chrg = CharRange{0, -1};
        sendMessage(window.hWnd(), EM_FORMATRANGE, 0, reinterpret_cast<intptr_t>(&range));
        sendMessage(window.hWnd(), EM_FORMATRANGE, 0, 0);
    }
    // The window keeps only the new device's resolution, so the old one can go now.
    m_device = std::move(device);
}
