#include "platform/host/PrinterDevice.h"

#include "platform/host/CommonDialog.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <array>
#include <memory>

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

// The system's printers through Qt's print support. The default printer is the one last made
// the default in a print dialog, else the system's, else the first one known: many desktops
// never mark a default.
class SystemPrinterDevice : public PrinterDevice {
public:
    SystemPrinterDevice()
    {
        s_instance = this;
        qAddPostRoutine(releaseAtExit);
    }
    ~SystemPrinterDevice() override { s_instance = nullptr; }

    std::optional<QString> deviceName() override
    {
        QPrinter* printer = current();
        return printer ? std::optional(printer->printerName()) : std::nullopt;
    }

    std::optional<QString> driverName() override
    {
        if (!current())
            return std::nullopt;
        return m_driverName;
    }

    int printerCount() override { return int(QPrinterInfo::availablePrinters().size()); }

    std::optional<PrinterGeometry> geometry() override;

    std::optional<int> orientation() override
    {
        QPrinter* printer = current();
        if (!printer)
            return std::nullopt;
        return printer->pageLayout().orientation() == QPageLayout::Landscape ? vbPRORLandscape
                                                                             : vbPRORPortrait;
    }

    bool setOrientation(int orientation) override
    {
        m_orientation = orientation;
        QPrinter* printer = current();
        if (printer)
            applySettings(*printer);
        return printer != nullptr;
    }

    std::optional<int> paperSize() override
    {
        QPrinter* printer = current();
        if (!printer)
            return std::nullopt;
        return paperNumberOf(printer->pageLayout().pageSize().id());
    }

    bool setPaperSize(int paperSize) override
    {
        if (!pageSizeIdOf(paperSize))
            return false;
        m_paperSize = paperSize;
        QPrinter* printer = current();
        if (printer)
            applySettings(*printer);
        return printer != nullptr;
    }

    bool startDoc(const QString& title) override
    {
        QPrinter* printer = current();
        if (!printer || m_painter.isActive())
            return false;
        printer->setDocName(title);
        return m_painter.begin(printer);
    }

    bool newPage() override { return m_painter.isActive() && m_printer->newPage(); }
    bool endDoc() override { return m_painter.isActive() && m_painter.end(); }

    void abortDoc() override
    {
        if (!m_painter.isActive())
            return;
        m_printer->abort();
        m_painter.end();
    }

    bool printing() override { return m_painter.isActive(); }
    QPainter* pagePainter() override { return m_painter.isActive() ? &m_painter : nullptr; }

private:
    QPrinter* current();
    void applySettings(QPrinter& printer) const;

    // Qt's printer objects must go while the application still exists, not with the statics.
    static void releaseAtExit()
    {
        if (!s_instance)
            return;
        s_instance->abortDoc();
        s_instance->m_printer.reset();
    }

    static inline SystemPrinterDevice* s_instance = nullptr;
    QString m_printerName;
    QString m_driverName;
    std::unique_ptr<QPrinter> m_printer;
    std::optional<int> m_orientation;  // what the program asked for; kept across printers
    std::optional<int> m_paperSize;
    QPainter m_painter;  // after m_printer: a job still open ends before its printer goes
};

// The printer object for the system's current default printer, made again when the default
// changes; a running job keeps the printer it started on.
QPrinter* SystemPrinterDevice::current()
{
    if (m_painter.isActive())
        return m_printer.get();
    QPrinterInfo info;
    const QString chosen = chosenDefaultPrinter();  // made the default in a print dialog
    if (!chosen.isEmpty())
        info = QPrinterInfo::printerInfo(chosen);
    if (info.isNull())
        info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
        if (!all.isEmpty())
            info = all.first();
    }
    if (info.isNull()) {
        m_printer.reset();
        return nullptr;
    }
    if (!m_printer || m_printerName != info.printerName()) {
        m_printerName = info.printerName();
        m_driverName = info.makeAndModel();
        m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        applySettings(*m_printer);
    }
    return m_printer.get();
}

void SystemPrinterDevice::applySettings(QPrinter& printer) const
{
    if (m_paperSize)
        printer.setPageSize(QPageSize(*pageSizeIdOf(*m_paperSize)));
    if (m_orientation) {
        printer.setPageOrientation(*m_orientation == vbPRORLandscape ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait);
    }
    // The printable area is what the printer can reach, as the platform's printers report it.
    printer.setFullPage(false);
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());
}

std::optional<PrinterGeometry> SystemPrinterDevice::geometry()
{
    QPrinter* printer = current();
    if (!printer)
        return std::nullopt;
    const int dpi = printer->resolution();
    const QPageLayout layout = printer->pageLayout();
    const QRect sheet = layout.fullRectPixels(dpi);
    const QRect printable = layout.paintRectPixels(dpi);
    return PrinterGeometry{dpi,
                           dpi,
                           sheet.width(),
                           sheet.height(),
                           printable.x() - sheet.x(),
                           printable.y() - sheet.y(),
                           printable.width(),
                           printable.height()};
}

}  // namespace

ServiceSlot<PrinterDevice>& printerService()
{
    static ServiceSlot<PrinterDevice> slot(
        []() -> std::unique_ptr<PrinterDevice> { return std::make_unique<SystemPrinterDevice>(); });
    return slot;
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
