#include "platform/host/PrinterDevice.h"

#include "platform/host/SystemPrinter.h"

#include <QPageSize>
#include <array>

namespace host {
namespace {

struct PaperEntry {
    int number;
    QPageSize::PageSizeId id;
};

constexpr std::array<PaperEntry, 7> Papers{{
    {vbPRPSLetter, QPageSize::Letter},
    {vbPRPSLegal, QPageSize::Legal},
    {vbPRPSExecutive, QPageSize::ExecutiveStandard},
    {vbPRPSA3, QPageSize::A3},
    {vbPRPSA4, QPageSize::A4},
    {vbPRPSA5, QPageSize::A5},
    {vbPRPSB5, QPageSize::JisB5},
}};

}  // namespace

std::optional<QPageSize::PageSizeId> pageSizeIdOf(int paperSize)
{
    for (const PaperEntry& entry : Papers) {
        if (entry.number == paperSize)
            return entry.id;
    }
    return std::nullopt;
}

int paperNumberOf(QPageSize::PageSizeId id)
{
    for (const PaperEntry& entry : Papers) {
        if (entry.id == id)
            return entry.number;
    }
    return vbPRPSUser;
}

ServiceSlot<PrinterDevice>& printerService()
{
    static ServiceSlot<PrinterDevice> slot(
        []() -> std::unique_ptr<PrinterDevice> { return makeSystemPrinter(); });
    return slot;
}

void refreshPrintersSoon()
{
    printerService().get().refreshSoon();
}

void refreshPrinters()
{
    printerService().get().refresh();
}

QSizeF paperSizeTwips(int paperSize)
{
    const auto id = pageSizeIdOf(paperSize);
    if (!id)
        return {};
    // From the defining size: the sizes in points are rounded to whole points.
    const QPageSize page(*id);
    const double twipsPerUnit = page.definitionUnits() == QPageSize::Inch ? 1440.0 : 1440.0 / 25.4;
    return page.definitionSize() * twipsPerUnit;
}

}  // namespace host
