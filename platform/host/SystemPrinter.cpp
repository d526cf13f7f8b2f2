#include "platform/host/SystemPrinter.h"

#include "platform/host/CommonDialog.h"
#include "platform/host/PrintHandover.h"
#include "platform/host/PrintServer.h"
#include "platform/host/PrinterWatch.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>

namespace host {
namespace {

// How long the window waits for the server when it must have a fresh answer (the first
// question, a print dialog opening or naming another default).
constexpr std::chrono::milliseconds AnswerWait{300};

constexpr int PdfResolution = 1200;
// The least every printer leaves unprinted on each side, as printer drivers report it: the
// print jobs place their stamps at fixed heights below the printable area's top, and only
// with such a strip does the bottom stamp clear the text at the 3/4-inch margin. A printer
// that can print to the edge (a PDF queue) gets the strip too.
constexpr double BorderInches = 0.25;

QMarginsF atLeastTheBorder(const QMarginsF& margins, QPageLayout::Unit unit)
{
    const double border =
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                    QMarginsF(BorderInches, BorderInches, BorderInches, BorderInches),
                    QPageLayout::Inch)
            .margins(unit)
            .left();
    return QMarginsF(std::max(margins.left(), border), std::max(margins.top(), border),
                     std::max(margins.right(), border), std::max(margins.bottom(), border));
}

// A printer output: one of the print server's queues or the PDF file printer.
class OutputPrinter {
public:
    virtual ~OutputPrinter() = default;
    virtual QString name() const = 0;
    virtual QString driver() const = 0;
    virtual bool isQueue() const = 0;
    virtual int resolution() const = 0;
    virtual QPageLayout layout() const = 0;
    // Paper and orientation as the program asked for them; nullopt keeps the printer's own.
    virtual void apply(std::optional<int> paperSize, std::optional<int> orientation) = 0;
    // The device a job paints on, or null when the job cannot start.
    virtual QPagedPaintDevice* begin(const QString& title) = 0;
    // The last begin found no device because the user cancelled.
    virtual bool cancelled() const { return false; }
    virtual bool newPage() = 0;
    // After the painter has ended: the job is complete, or is thrown away.
    virtual bool finish(bool aborted) = 0;
};

// A queue of the print server. Each job is written to a file of the hand-over's, which gives
// it to the server when the job ends: Qt's own hand-over would wait on the window's thread for
// as long as the server is silent.
class QueuePrinter : public OutputPrinter {
public:
    QueuePrinter(QString name, OpenedQueue queue, PrintHandover& handover)
        : m_printer(std::move(queue.printer)),
          m_name(std::move(name)),
          m_driver(std::move(queue.makeAndModel)),
          m_handover(handover)
    {
    }

    QString name() const override { return m_name; }
    QString driver() const override { return m_driver; }
    bool isQueue() const override { return true; }
    int resolution() const override { return m_printer->resolution(); }
    QPageLayout layout() const override { return m_printer->pageLayout(); }

    void apply(std::optional<int> paperSize, std::optional<int> orientation) override
    {
        if (paperSize)
            m_printer->setPageSize(QPageSize(*pageSizeIdOf(*paperSize)));
        if (orientation) {
            m_printer->setPageOrientation(*orientation == vbPRORLandscape ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait);
        }
        // The printable area is what the printer can reach, as the platform's printers report it.
        m_printer->setFullPage(false);
        const QPageLayout current = m_printer->pageLayout();
        m_printer->setPageMargins(atLeastTheBorder(current.minimumMargins(), current.units()),
                                  current.units());
    }

    QPagedPaintDevice* begin(const QString& title) override
    {
        m_file = m_handover.newJobFile();
        if (m_file.isEmpty())
            return nullptr;
        m_printer->setOutputFileName(m_file);
        m_printer->setDocName(title);
        return m_printer.get();
    }

    bool newPage() override { return m_printer->newPage(); }

    bool finish(bool aborted) override
    {
        const QString file = std::exchange(m_file, QString());
        if (aborted) {
            m_printer->abort();
            QFile::remove(file);
            return true;
        }
        m_handover.hand(ServerJob{m_name, file, m_printer->docName(), jobOptions()});
        return true;
    }

    // Qt's abort must come while the painter is still active.
    QPrinter& printer() { return *m_printer; }

private:
    // The job's settings as the server's job options, as Qt would send them.
    QList<std::pair<QByteArray, QByteArray>> jobOptions() const
    {
        const QPageLayout layout = m_printer->pageLayout();
        const bool landscape = layout.orientation() == QPageLayout::Landscape;
        QList<std::pair<QByteArray, QByteArray>> options;
        options.emplaceBack("media", layout.pageSize().key().toUtf8());
        const int copies = m_printer->copyCount();
        if (copies > 1) {
            options.emplaceBack("copies", QByteArray::number(copies));
            if (m_printer->collateCopies())
                options.emplaceBack("Collate", "True");
        }
        const QByteArray longEdge = "two-sided-long-edge";
        const QByteArray shortEdge = "two-sided-short-edge";
        switch (m_printer->duplex()) {
            case QPrinter::DuplexNone:
                options.emplaceBack("sides", "one-sided");
                break;
            case QPrinter::DuplexAuto:
                options.emplaceBack("sides", landscape ? shortEdge : longEdge);
                break;
            case QPrinter::DuplexLongSide:
                options.emplaceBack("sides", longEdge);
                break;
            case QPrinter::DuplexShortSide:
                options.emplaceBack("sides", shortEdge);
                break;
        }
        if (landscape)
            options.emplaceBack("landscape", "");
        return options;
    }

    std::unique_ptr<QPrinter> m_printer;
    QString m_name;
    QString m_driver;
    PrintHandover& m_handover;
    QString m_file;  // the running job's
};

// The paper of a printer that has no paper of its own: Letter where people measure in inches.
QPageSize::PageSizeId localPaper()
{
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                      : QPageSize::A4;
}

// Writes each job to a PDF file the user names in the save dialog. The file appears only
// when the job ends: an aborted job leaves an older file of that name as it was.
class PdfFilePrinter : public OutputPrinter {
public:
    PdfFilePrinter() { apply(std::nullopt, std::nullopt); }

    QString name() const override { return pdfPrinterName(); }
    QString driver() const override { return pdfPrinterDriver(); }
    bool isQueue() const override { return false; }
    int resolution() const override { return PdfResolution; }
    QPageLayout layout() const override { return m_layout; }

    void apply(std::optional<int> paperSize, std::optional<int> orientation) override
    {
        if (paperSize)
            m_paper = *pageSizeIdOf(*paperSize);
        if (orientation)
            m_orientation = *orientation;
        const QMarginsF border(BorderInches, BorderInches, BorderInches, BorderInches);
        m_layout = QPageLayout(
            QPageSize(m_paper),
            m_orientation == vbPRORLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
            border, QPageLayout::Inch, border);
    }

    QPagedPaintDevice* begin(const QString& title) override
    {
        const QString path = askForFile(title);
        m_cancelled = path.isEmpty();
        if (path.isEmpty())
            return nullptr;
        m_file = std::make_unique<QSaveFile>(path);
        if (!m_file->open(QIODevice::WriteOnly)) {
            m_file.reset();
            return nullptr;
        }
        m_writer = std::make_unique<QPdfWriter>(m_file.get());
        m_writer->setResolution(PdfResolution);
        m_writer->setPageLayout(m_layout);
        m_writer->setTitle(title);
        m_writer->setCreator(QApplication::applicationName());
        return m_writer.get();
    }

    bool cancelled() const override { return m_cancelled; }
    bool newPage() override { return m_writer && m_writer->newPage(); }

    bool finish(bool aborted) override
    {
        m_writer.reset();
        if (!m_file)
            return false;
        bool written = false;
        if (aborted)
            m_file->cancelWriting();
        else
            written = m_file->commit();
        m_file.reset();
        return written;
    }

private:
    // The document shown in the window the job comes from: a main window's title reads
    // "document - program". Else the job's title.
    static QString documentName(const QString& title)
    {
        QWidget* window = QApplication::activeWindow();
        while (window && window->parentWidget())
            window = window->parentWidget()->window();
        const QString caption = window ? window->windowTitle() : QString();
        const qsizetype dash = caption.lastIndexOf(QLatin1String(" - "));
        if (dash > 0)
            return QFileInfo(caption.left(dash).trimmed()).completeBaseName();
        return title;
    }

    static QString askForFile(const QString& title)
    {
        QString name = documentName(title).trimmed();
        static const QString unfit = QStringLiteral("/\\:*?\"<>|");
        for (QChar& c : name) {
            if (unfit.contains(c) || c.unicode() < 0x20)
                c = QLatin1Char('_');
        }
        if (name.isEmpty())
            name = QApplication::applicationName();
        DialogRequest request;
        request.kind = DialogKind::Save;
        request.title = QStringLiteral("Print to PDF");
        request.filter = QStringLiteral("PDF Files (*.pdf)|*.pdf");
        request.flags = cdlOFNOverwritePrompt | cdlOFNPathMustExist | cdlOFNHideReadOnly;
        request.initDir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        request.fileName = QDir(request.initDir).filePath(name + QStringLiteral(".pdf"));
        request.defaultExt = QStringLiteral("pdf");
        request.owner = QApplication::activeWindow();
        const DialogAnswer answer = commonDialogService().get().show(request);
        return answer.accepted ? answer.fileName : QString();
    }

    QPageSize::PageSizeId m_paper = localPaper();
    int m_orientation = vbPRORPortrait;
    QPageLayout m_layout;
    bool m_cancelled = false;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;  // after m_file: it writes into the file
};

class SystemPrinterDevice : public PrinterDevice {
public:
    SystemPrinterDevice()
        : m_watch(std::make_unique<PrinterWatch>(printServerService().get(), pdfPrinterName())),
          m_handover(std::make_unique<PrintHandover>(printServerService().get()))
    {
        s_instance = this;
        qAddPostRoutine(releaseAtExit);
    }
    ~SystemPrinterDevice() override
    {
        if (s_instance == this)
            s_instance = nullptr;
    }

    std::optional<QString> deviceName() override { return current().name(); }
    std::optional<QString> driverName() override { return current().driver(); }

    int printerCount() override
    {
        current();
        return int(m_queues.size()) + 1;
    }

    std::optional<PrinterGeometry> geometry() override
    {
        current();
        return m_geometry;
    }

    std::optional<int> orientation() override
    {
        current();
        return m_orientation;
    }

    bool setOrientation(int orientation) override
    {
        if (orientation != vbPRORPortrait && orientation != vbPRORLandscape)
            return false;
        m_wantOrientation = orientation;
        OutputPrinter& printer = current();
        if (m_orientation != orientation && !m_painter.isActive()) {
            printer.apply(std::nullopt, orientation);
            remember();
        }
        return true;
    }

    std::optional<int> paperSize() override
    {
        current();
        return m_paperSize;
    }

    bool setPaperSize(int paperSize) override
    {
        if (!pageSizeIdOf(paperSize))
            return false;
        m_wantPaper = paperSize;
        OutputPrinter& printer = current();
        if (m_paperSize != paperSize && !m_painter.isActive()) {
            printer.apply(paperSize, m_wantOrientation);
            remember();
        }
        return true;
    }

    bool startDoc(const QString& title) override
    {
        m_startCancelled = false;
        if (m_painter.isActive())
            return false;
        QPagedPaintDevice* device = current().begin(title);
        if (!device) {
            m_startCancelled = m_out->cancelled();
            return false;
        }
        if (m_painter.begin(device))
            return true;
        m_out->finish(true);
        return false;
    }

    bool startCancelled() override { return m_startCancelled; }
    bool newPage() override { return m_painter.isActive() && m_out->newPage(); }

    bool endDoc() override
    {
        if (!m_painter.isActive())
            return false;
        const bool ended = m_painter.end();
        return m_out->finish(!ended) && ended;
    }

    void abortDoc() override
    {
        if (!m_painter.isActive())
            return;
        if (m_out->isQueue())
            static_cast<QueuePrinter&>(*m_out).printer().abort();
        m_painter.end();
        m_out->finish(true);
    }

    bool printing() override { return m_painter.isActive(); }
    QPainter* pagePainter() override { return m_painter.isActive() ? &m_painter : nullptr; }

    void refresh() override
    {
        if (!m_painter.isActive())
            askAndWait(AnswerWait);
    }
    void refreshSoon() override
    {
        if (!m_painter.isActive())
            askAndWait(std::chrono::milliseconds(0));
    }

    int jobsWaiting() override { return m_handover ? m_handover->waiting() : 0; }
    std::chrono::milliseconds jobsUnanswered() override
    {
        return m_handover ? m_handover->unanswered() : std::chrono::milliseconds(0);
    }
    QStringList takeRefusedJobs() override
    {
        QStringList texts;
        if (m_handover) {
            for (const RefusedJob& job : m_handover->takeRefused())
                texts.append(job.title + QStringLiteral(": ") + job.reason);
        }
        return texts;
    }
    void cancelWaitingJobs() override
    {
        if (m_handover)
            m_handover->cancelAll();
    }

private:
    OutputPrinter& current();
    void askAndWait(std::chrono::milliseconds bound);
    void adopt(std::optional<PrinterAnswer> answer);
    void remember();

    // Qt's printer objects must go while the application still exists, not with the statics.
    static void releaseAtExit()
    {
        if (!s_instance)
            return;
        s_instance->abortDoc();
        s_instance->m_out.reset();
        s_instance->m_watch.reset();
        s_instance->m_handover.reset();
    }

    static inline SystemPrinterDevice* s_instance = nullptr;
    std::unique_ptr<PrinterWatch> m_watch;
    std::unique_ptr<PrintHandover> m_handover;  // before m_out: its queue printers hand to it
    QList<PrintQueue> m_queues;
    QString m_chosen;  // the print dialog's default when the server was last asked
    std::unique_ptr<OutputPrinter> m_out;
    PrinterGeometry m_geometry;
    int m_orientation = vbPRORPortrait;
    int m_paperSize = vbPRPSUser;
    std::optional<int> m_wantOrientation;  // what the program asked for; kept across printers
    std::optional<int> m_wantPaper;
    bool m_startCancelled = false;
    QPainter m_painter;  // after m_out: a job still open ends before its printer goes
};

// The printer the answers are about: the newest answer the watch has, never a question to the
// server, but on the first call and after a print dialog named another default. A running job
// keeps the printer it started on.
OutputPrinter& SystemPrinterDevice::current()
{
    if (m_out && m_painter.isActive())
        return *m_out;
    if (!m_out || chosenDefaultPrinter() != m_chosen)
        askAndWait(AnswerWait);
    else
        adopt(m_watch->take());
    if (!m_out) {
        m_out = std::make_unique<PdfFilePrinter>();
        m_out->apply(m_wantPaper, m_wantOrientation);
        remember();
    }
    return *m_out;
}

void SystemPrinterDevice::askAndWait(std::chrono::milliseconds bound)
{
    if (!m_watch)
        return;
    m_chosen = chosenDefaultPrinter();
    m_watch->askAndWait(m_chosen, bound);
    adopt(m_watch->take());
}

// Follows the server's answer: its queues, and the printer to print on when that changed.
void SystemPrinterDevice::adopt(std::optional<PrinterAnswer> answer)
{
    if (!answer)
        return;
    m_queues = answer->queues;
    if (answer->opened.printer) {
        m_out =
            std::make_unique<QueuePrinter>(answer->target, std::move(answer->opened), *m_handover);
    } else if (answer->target.isEmpty() && (!m_out || m_out->isQueue())) {
        m_out = std::make_unique<PdfFilePrinter>();
    } else {
        return;
    }
    m_out->apply(m_wantPaper, m_wantOrientation);
    remember();
}

// Keeps the answers of the printer as it is now set up.
void SystemPrinterDevice::remember()
{
    const int dpi = m_out->resolution();
    const QPageLayout layout = m_out->layout();
    const QRect sheet = layout.fullRectPixels(dpi);
    const QRect printable = layout.paintRectPixels(dpi);
    m_geometry = PrinterGeometry{dpi,
                                 dpi,
                                 sheet.width(),
                                 sheet.height(),
                                 printable.x() - sheet.x(),
                                 printable.y() - sheet.y(),
                                 printable.width(),
                                 printable.height()};
    m_orientation =
        layout.orientation() == QPageLayout::Landscape ? vbPRORLandscape : vbPRORPortrait;
    m_paperSize = paperNumberOf(layout.pageSize().id());
}

}  // namespace

QString pdfPrinterName()
{
    return QStringLiteral("Print to PDF");
}

QString pdfPrinterDriver()
{
    return QStringLiteral("PDF file writer");
}

std::unique_ptr<PrinterDevice> makeSystemPrinter()
{
    return std::make_unique<SystemPrinterDevice>();
}

std::chrono::milliseconds setPrinterListLifetime(std::chrono::milliseconds lifetime)
{
    return PrinterWatch::setLifetime(lifetime);
}

}  // namespace host
