// Print jobs after they have left the print dialog: a print server may take its time to accept
// them, and the window tells the user so instead of waiting for it or dropping the jobs.
#include "app/Form1.h"
#include "app/ScrivetApplication.h"
#include "platform/host/MessageBox.h"
#include "platform/host/PrinterDevice.h"
#include "platform/widgets/StatusBar.h"

#include <QTimer>

namespace app {
namespace {

QString jobCount(int jobs)
{
    return jobs == 1 ? QStringLiteral("1 print job") : QStringLiteral("%1 print jobs").arg(jobs);
}

}  // namespace

void Form1::showDocumentPanel()
{
    StatusBar1->Panels(1).setText(
        m_printJobsNote.isEmpty() ? m_documentPanelText
                                  : m_documentPanelText + QStringLiteral("    ") + m_printJobsNote);
}

void Form1::watchPrintJobs()
{
    host::PrinterDevice& printer = host::printerService().get();
    const int waiting = printer.jobsWaiting();
    const QString note =
        waiting == 0 ? QString()
                     : QStringLiteral("Handing %1 to the printer...").arg(jobCount(waiting));
    if (note != m_printJobsNote) {
        m_printJobsNote = note;
        showDocumentPanel();
    }

    const QStringList refused = printer.takeRefusedJobs();
    for (const QString& job : refused) {
        host::MsgBox(QStringLiteral("The printer did not accept the print job %1").arg(job),
                     host::vbExclamation, ProductName, this);
    }

    const std::chrono::milliseconds unanswered =
        waiting == 0 ? std::chrono::milliseconds(0) : printer.jobsUnanswered();
    if (unanswered < m_printerPatience) {
        m_printerSilenceTold = false;
    } else if (!m_printerSilenceTold) {
        // Set before the box: the timer goes on while it is shown.
        m_printerSilenceTold = true;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(unanswered);
        host::MsgBox(QStringLiteral("The printer has not answered for %1 seconds. %2 will be "
                                    "printed as soon as it answers; until then the program "
                                    "keeps %3.")
                         .arg(seconds.count())
                         .arg(jobCount(waiting))
                         .arg(waiting == 1 ? QStringLiteral("it") : QStringLiteral("them")),
                     host::vbInformation, ProductName, this);
    }

    if (m_closeWhenPrinted && waiting == 0) {
        m_closeWhenPrinted = false;
        close();
    }
}

bool Form1::mayCloseWithPrintJobsWaiting()
{
    host::PrinterDevice& printer = host::printerService().get();
    const int waiting = printer.jobsWaiting();
    if (waiting == 0)
        return true;
    const QString them = waiting == 1 ? QStringLiteral("it") : QStringLiteral("them");
    const int answer =
        host::MsgBox(QStringLiteral("%1 %2 not reached the printer yet.\n\n"
                                    "Yes: cancel %3 and quit now.\n"
                                    "No: quit as soon as the printer has %3.\n"
                                    "Cancel: go on working.")
                         .arg(jobCount(waiting),
                              waiting == 1 ? QStringLiteral("has") : QStringLiteral("have"), them),
                     host::vbYesNoCancel | host::vbQuestion, ProductName, this);
    if (answer == host::vbYes) {
        printer.cancelWaitingJobs();
        return true;
    }
    m_closeWhenPrinted = answer == host::vbNo;
    return false;
}

}  // namespace app
