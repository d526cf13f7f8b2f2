// The system's printers behind the printer object: the print server's queues and a printer that
// writes PDF files, which is always there and is the default while the server has no queue.
// Answers come from what was last learnt from the server, which a thread of its own asks again
// whenever the answer is older than the list's lifetime; the window's thread waits a moment
// for a fresh answer only on the first question, when a print dialog names another default,
// and on refreshPrinters() (refreshPrintersSoon() does not wait), and never for a server that
// has stopped answering.
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
