// The printer the system prints on, in device pixels: its names, its sheet and printable area,
// and its print jobs. printerService() holds the system's default printer (SystemPrinter.h); a
// test installs a fake one, or one that reports that no printer is installed.
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QPageSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

class QPainter;

namespace host {

enum PrinterOrientation : int {
    vbPRORPortrait = 1,
    vbPRORLandscape = 2,
};

// Paper sizes by the platform's numbers.
enum PrinterPaperSize : int {
    vbPRPSLetter = 1,
    vbPRPSLegal = 5,
    vbPRPSExecutive = 7,
    vbPRPSA3 = 8,
    vbPRPSA4 = 9,
    vbPRPSA5 = 11,
    vbPRPSB5 = 13,
    vbPRPSUser = 256,  // a sheet without a number of its own; can be read, not set
};

// The sheet in device pixels, as the device capabilities report it.
struct PrinterGeometry {
    int dpiX = 0;           // LOGPIXELSX
    int dpiY = 0;           // LOGPIXELSY
    int physicalWidth = 0;  // the whole sheet: PHYSICALWIDTH, PHYSICALHEIGHT
    int physicalHeight = 0;
    int offsetX = 0;  // unprintable strips left and top: PHYSICALOFFSETX, PHYSICALOFFSETY
    int offsetY = 0;
    int printableWidth = 0;  // HORZRES, VERTRES
    int printableHeight = 0;

    bool operator==(const PrinterGeometry&) const = default;
};

class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;

    // Queries are answered without a round trip to a print server: they must be cheap enough
    // for every keystroke. An empty answer or false: there is no printer.
    virtual std::optional<QString> deviceName() = 0;
    virtual std::optional<QString> driverName() = 0;
    virtual int printerCount() = 0;
    virtual std::optional<PrinterGeometry> geometry() = 0;
    virtual std::optional<int> orientation() = 0;
    virtual bool setOrientation(int orientation) = 0;  // a PrinterOrientation
    virtual std::optional<int> paperSize() = 0;
    virtual bool setPaperSize(int paperSize) = 0;  // a PrinterPaperSize but vbPRPSUser

    // One job at a time. False when there is no printer or it failed; a failed job is still
    // open until it is aborted.
    virtual bool startDoc(const QString& title) = 0;  // opens the job and its first page
    // The last startDoc failed because the user cancelled (a file printer's save dialog).
    virtual bool startCancelled() { return false; }
    virtual bool newPage() = 0;
    virtual bool endDoc() = 0;
    virtual void abortDoc() = 0;
    virtual bool printing() = 0;
    // The page being printed, in device pixels with the printable area's corner as origin;
    // null outside a job.
    virtual QPainter* pagePainter() = 0;

    // Learns the system's printers again now rather than when the answers are next due; a
    // print or preview dialog does this as it opens. Nothing during a job.
    virtual void refresh() {}
    // Asks for the system's printers again without waiting for the answer, which the next
    // queries take up once it is there.
    virtual void refreshSoon() { refresh(); }

    // Finished jobs the printer has not taken yet (a print server may be slow to answer): how
    // many, and how long the printer has left the first of them unanswered. A printer that
    // writes its jobs out as they end has none.
    virtual int jobsWaiting() { return 0; }
    virtual std::chrono::milliseconds jobsUnanswered() { return std::chrono::milliseconds(0); }
    // "title: reason" for each job the printer refused since the last call.
    virtual QStringList takeRefusedJobs() { return {}; }
    virtual void cancelWaitingJobs() {}
};

ServiceSlot<PrinterDevice>& printerService();

// refresh() and refreshSoon() of the printer in service.
void refreshPrinters();
void refreshPrintersSoon();

// A numbered paper size in twips, portrait; empty for vbPRPSUser and numbers not known here.
QSizeF paperSizeTwips(int paperSize);

// A numbered paper size as Qt names it, and back (vbPRPSUser for sizes without a number).
std::optional<QPageSize::PageSizeId> pageSizeIdOf(int paperSize);
int paperNumberOf(QPageSize::PageSizeId id);

}  // namespace host
