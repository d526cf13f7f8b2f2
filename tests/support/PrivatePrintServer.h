// A print server of the test's own: cupsd on a socket in a temporary folder with one queue
// whose jobs land, as PDF, in a file of that folder. The queue's sheet has unprintable strips
// of a quarter inch at the sides and half an inch at top and bottom. CUPS_SERVER points at it
// for the rest of the process. Also the PDF tools the printing tests read jobs with.
#pragma once

#include "tests/support/TempFolder.h"

#include <QImage>
#include <QList>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

namespace testsupport {

class PrivatePrintServer {
public:
    // Empty when the server runs; else why it could not be started.
    QString start(const QString& queue);
    ~PrivatePrintServer();

    // Runs lpadmin against this server; true when it succeeded.
    bool admin(const QStringList& arguments);
    // Adds a queue like the first one, writing to its own file.
    bool addQueue(const QString& queue);
    // Adds a PostScript printer's queue: the server turns each job into PostScript.
    bool addPostScriptQueue(const QString& queue);
    // Waits until a complete PostScript job has arrived in a queue's file.
    bool waitForPostScriptJob(const QString& queue, int seconds = 60) const;
    // The file a queue's last job was written to.
    QString jobFile(const QString& queue) const;
    // Waits until a complete PDF has arrived there (at most `seconds`).
    bool waitForJob(const QString& queue, int seconds = 60) const;
    QString log() const;
    // Stops the daemon where it stands (it answers nothing, connections still open) and lets
    // it go on again.
    bool pause();
    bool resume();

private:
    TempFolder m_folder;
    QProcess m_daemon;
};

// Pages of a PDF file as pdfinfo reports them; -1 when it cannot tell.
int pdfPageCount(const QString& path);
// The pixel sizes of the images a PDF file draws, as pdfimages lists them.
QList<QSize> pdfImageSizes(const QString& path);
// The text of a PDF file as pdftotext extracts it.
QString pdfText(const QString& path);
// A PostScript file converted to PDF by Ghostscript; false when that failed.
bool postScriptToPdf(const QString& postScript, const QString& pdf);
// One page of a PDF file rendered by pdftoppm at `dpi`, in greys; null on failure.
QImage renderPdfPage(const QString& path, int page, int dpi);

}  // namespace testsupport
