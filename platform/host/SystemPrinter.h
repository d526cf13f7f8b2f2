// The system's printers behind the printer object: the print server's queues and a printer that
// writes PDF files, which is always there and is the default while the server has no queue.
// Answers come from what was last learnt from the server; that is learnt again when it is
// older than the list's lifetime, when a print dialog names another default, or on
// refreshPrinters().
#pragma once

#include "platform/host/PrinterDevice.h"

#include <chrono>
#include <memory>

namespace host {

// The name and driver the PDF printer reports.
QString pdfPrinterName();
QString pdfPrinterDriver();

std::unique_ptr<PrinterDevice> makeSystemPrinter();

// How long the printer list is trusted before the server is asked again (two seconds unless a
// test sets otherwise); returns the previous lifetime.
std::chrono::milliseconds setPrinterListLifetime(std::chrono::milliseconds lifetime);

}  // namespace host
