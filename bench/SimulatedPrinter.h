// A printer that answers at once, with a name and a sheet given to it, and is never printed on:
// the benchmarks' stand-in for a printer without a print server behind it.
#pragma once

#include "platform/host/PrinterDevice.h"

#include <QString>

class SimulatedPrinter : public host::PrinterDevice {
public:
    SimulatedPrinter(QString name, host::PrinterGeometry geometry)
        : m_name(std::move(name)), m_geometry(geometry)
    {
    }
    std::optional<QString> deviceName() override { return m_name; }
    std::optional<QString> driverName() override { return QStringLiteral("simulated"); }
    int printerCount() override { return 1; }
    std::optional<host::PrinterGeometry> geometry() override { return m_geometry; }
    std::optional<int> orientation() override { return host::vbPRORPortrait; }
    bool setOrientation(int) override { return true; }
    std::optional<int> paperSize() override { return host::vbPRPSLetter; }
    bool setPaperSize(int) override { return true; }
    bool startDoc(const QString&) override { return false; }
    bool newPage() override { return false; }
    bool endDoc() override { return false; }
    void abortDoc() override {}
    bool printing() override { return false; }
    QPainter* pagePainter() override { return nullptr; }

private:
    QString m_name;
    host::PrinterGeometry m_geometry;
};

// A 600-dpi letter sheet without unprintable strips.
inline host::PrinterGeometry letterAt600Dpi()
{
    host::PrinterGeometry g;
    g.dpiX = g.dpiY = 600;
    g.physicalWidth = g.printableWidth = 5100;
    g.physicalHeight = g.printableHeight = 6600;
    return g;
}
