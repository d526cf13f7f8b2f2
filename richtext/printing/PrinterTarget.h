// Ties the editing window to the system's printer: whether there is one, its left unprintable
// strip, and wrapping lines where the printed page breaks them.
#pragma once

#include <QImage>
#include <cstdint>
#include <memory>

namespace richedit {
class RichTextBox;
}

class PrinterTarget {
public:
    PrinterTarget();
    ~PrinterTarget();
    PrinterTarget(const PrinterTarget&) = delete;
    PrinterTarget& operator=(const PrinterTarget&) = delete;

    // Asks the printer object afresh on every call: a printer added or removed while the
    // program runs is seen at once.
    static bool PrinterInstalled();
    // The printer's left physical offset in twips; 0 without a printer or on any failure.
    static int32_t GetPrinterOffsetX();

    // Lines of `window` break at 12240 - 2 x margin twips measured with the printer's
    // resolution; without a printer they wrap at the window. The device handed over before is
    // released once the window holds the new one.
    void SetPrinterWrap(richedit::RichTextBox& window, int32_t printerMargin);

    // A device with the printer's resolution, named after its driver and device; null when the
    // printer does not answer.
    static std::unique_ptr<QImage> createPrinterDevice();

    // The device the window's lines were last measured for; null when none is held.
    const QImage* targetDevice() const { return m_device.get(); }

private:
    std::unique_ptr<QImage> m_device;
};
