#include "tests/support/PrivatePrintServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <csignal>

namespace testsupport {
namespace {

// Letter and A4 with strips of 18 points at the sides and 36 at top and bottom. Jobs pass
// through the PDF clean-up filter unchanged in their pages.
const char* const QueueDescription = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TESTPDF.PPD"
*Manufacturer: "Test"
*Product: "(Test PDF Printer)"
*ModelName: "Test PDF Printer"
*ShortNickName: "Test PDF Printer"
*NickName: "Test PDF Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter2: "application/pdf application/vnd.cups-pdf 0 pdftopdf"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: Letter
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: Letter
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: Letter
*ImageableArea Letter/US Letter: "18 36 594 756"
*ImageableArea A4/A4: "18 36 577 806"
*DefaultPaperDimension: Letter
*PaperDimension Letter/US Letter: "612 792"
*PaperDimension A4/A4: "595 842"
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 10 AnySetup *Resolution
*DefaultResolution: 600dpi
*Resolution 600dpi/600 dpi: "<</HWResolution[600 600]>>setpagedevice"
*CloseUI: *Resolution
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
)PPD";

// The same printer speaking PostScript: without a filter of its own the server converts each
// job to PostScript for it.
QString postScriptDescription()
{
    QString text = QString::fromLatin1(QueueDescription);
    text.remove(
        QStringLiteral("*cupsFilter2: \"application/pdf application/vnd.cups-pdf 0 pdftopdf\"\n"));
    return text.replace(QStringLiteral("Test PDF Printer"), QStringLiteral("Test PS Printer"))
        .replace(QStringLiteral("TESTPDF.PPD"), QStringLiteral("TESTPS.PPD"));
}

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.toUtf8()) == text.toUtf8().size();
}

// Runs a tool to its end; its output when it succeeded, else nothing.
std::optional<QByteArray> run(const QString& tool, const QStringList& arguments, int seconds = 60)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(seconds * 1000)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

}  // namespace

QString PrivatePrintServer::start(const QString& queue)
{
    const QString daemon = QStandardPaths::findExecutable(
        QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (daemon.isEmpty())
        return QStringLiteral("cupsd is not installed (package cups)");
    if (QStandardPaths::findExecutable(QStringLiteral("lpadmin"),
                                       {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
            .isEmpty())
        return QStringLiteral("lpadmin is not installed (package cups-client)");
    const QString root = m_folder.path();
    for (const char* folder : {"conf", "spool", "cache", "state", "tmp", "log", "out"})
        QDir(root).mkpath(QLatin1String(folder));
    // Jobs are written, and converted through temporary files, by the daemon's unprivileged user.
    for (const char* folder : {"/out", "/tmp"})
        QFile::setPermissions(root + QLatin1String(folder), QFileDevice::Permissions(0x7777));
    QFile::setPermissions(root, QFileDevice::Permissions(0x7755));
    const QString socket = root + QStringLiteral("/cups.sock");
    const QString conf = QStringLiteral(
                             "Listen %1\nLogLevel info\nWebInterface No\nBrowsing No\n"
                             "DefaultAuthType None\n<Location />\n  Order allow,deny\n"
                             "  Allow all\n</Location>\n<Location /admin>\n  Order allow,deny\n"
                             "  Allow all\n</Location>\n<Policy default>\n  <Limit All>\n"
                             "    Order deny,allow\n  </Limit>\n</Policy>\n")
                             .arg(socket);
    const QString files = QStringLiteral(
                              "ServerRoot %1/conf\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                              "StateDir %1/state\nTempDir %1/tmp\nErrorLog %1/log/error_log\n"
                              "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                              "FileDevice Yes\nGroup lp\nSystemGroup root\n")
                              .arg(root);
    if (!writeText(root + QStringLiteral("/conf/cupsd.conf"), conf) ||
        !writeText(root + QStringLiteral("/conf/cups-files.conf"), files) ||
        !writeText(root + QStringLiteral("/queue.ppd"), QString::fromLatin1(QueueDescription)) ||
        !writeText(root + QStringLiteral("/postscript.ppd"), postScriptDescription()))
        return QStringLiteral("cannot write the server's configuration in ") + root;

    m_daemon.setProcessChannelMode(QProcess::MergedChannels);
    m_daemon.start(daemon, {QStringLiteral("-f"), QStringLiteral("-c"),
                            root + QStringLiteral("/conf/cupsd.conf"), QStringLiteral("-s"),
                            root + QStringLiteral("/conf/cups-files.conf")});
    if (!m_daemon.waitForStarted(10000))
        return QStringLiteral("cupsd did not start: ") + m_daemon.errorString();
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(socket) && clock.elapsed() < 20000 &&
           m_daemon.state() == QProcess::Running)
        QThread::msleep(50);
    if (!QFileInfo::exists(socket))
        return QStringLiteral("cupsd made no socket: ") +
               QString::fromLocal8Bit(m_daemon.readAll()) + log();
    qputenv("CUPS_SERVER", socket.toLocal8Bit());
    if (!addQueue(queue) || !admin({QStringLiteral("-d"), queue}))
        return QStringLiteral("lpadmin could not add the queue: ") + log();
    return {};
}

PrivatePrintServer::~PrivatePrintServer()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        resume();
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(10000)) {
            m_daemon.kill();
            m_daemon.waitForFinished();
        }
    }
}

bool PrivatePrintServer::admin(const QStringList& arguments)
{
    const QString tool = QStandardPaths::findExecutable(
        QStringLiteral("lpadmin"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return run(tool, arguments).has_value();
}

bool PrivatePrintServer::addQueue(const QString& queue)
{
    return admin({QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                  QStringLiteral("file://") + jobFile(queue), QStringLiteral("-P"),
                  m_folder.filePath(QStringLiteral("queue.ppd"))});
}

bool PrivatePrintServer::addPostScriptQueue(const QString& queue)
{
    return admin({QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                  QStringLiteral("file://") + jobFile(queue), QStringLiteral("-P"),
                  m_folder.filePath(QStringLiteral("postscript.ppd"))});
}

bool PrivatePrintServer::waitForPostScriptJob(const QString& queue, int seconds) const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        QFile file(jobFile(queue));
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray job = file.readAll();
            // A PostScript printer's job may begin and end with control characters.
            if (job.left(64).contains("%!PS") && job.right(64).contains("%%EOF"))
                return true;
        }
        QThread::msleep(100);
    }
    return false;
}

QString PrivatePrintServer::jobFile(const QString& queue) const
{
    return m_folder.filePath(QStringLiteral("out/") + queue + QStringLiteral(".pdf"));
}

bool PrivatePrintServer::waitForJob(const QString& queue, int seconds) const
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        QFile file(jobFile(queue));
        if (file.open(QIODevice::ReadOnly) && file.readAll().trimmed().endsWith("%%EOF") &&
            pdfPageCount(jobFile(queue)) > 0)
            return true;
        QThread::msleep(100);
    }
    return false;
}

bool PrivatePrintServer::pause()
{
    return m_daemon.state() == QProcess::Running &&
           ::kill(pid_t(m_daemon.processId()), SIGSTOP) == 0;
}

bool PrivatePrintServer::resume()
{
    return m_daemon.state() == QProcess::Running &&
           ::kill(pid_t(m_daemon.processId()), SIGCONT) == 0;
}

QString PrivatePrintServer::log() const
{
    QFile file(m_folder.filePath(QStringLiteral("log/error_log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll().right(4000))
                                          : QString();
}

int pdfPageCount(const QString& path)
{
    const std::optional<QByteArray> info = run(QStringLiteral("pdfinfo"), {path});
    if (!info)
        return -1;
    for (const QByteArray& line : info->split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

QList<QSize> pdfImageSizes(const QString& path)
{
    QList<QSize> sizes;
    const std::optional<QByteArray> list =
        run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    if (!list)
        return sizes;
    // Two heading lines, then: page, number, type, width, height, ...
    const QList<QByteArray> lines = list->split('\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        if (fields.size() > 4)
            sizes.append(QSize(fields[3].toInt(), fields[4].toInt()));
    }
    return sizes;
}

QString pdfText(const QString& path)
{
    return QString::fromUtf8(
        run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}).value_or(QByteArray()));
}

bool postScriptToPdf(const QString& postScript, const QString& pdf)
{
    return run(QStringLiteral("gs"),
               {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
                QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=pdfwrite"),
                QStringLiteral("-sOutputFile=") + pdf, postScript})
        .has_value();
}

QImage renderPdfPage(const QString& path, int page, int dpi)
{
    TempFolder folder;
    const QString stem = folder.filePath(QStringLiteral("page"));
    if (!run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi),
              QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
              QString::number(page), QStringLiteral("-singlefile"), path, stem}))
        return {};
    return QImage(stem + QStringLiteral(".pgm"));
}

}  // namespace testsupport
