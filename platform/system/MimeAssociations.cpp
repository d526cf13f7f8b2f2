#include "platform/system/MimeAssociations.h"

#include "platform/system/FileSystem.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace sys {
namespace {

constexpr int ToolTimeoutMilliseconds = 5000;

// The tool's standard output, in the C locale so that its words can be read; empty when it
// cannot run or fails.
QString askTool(const QString& tool, const QStringList& arguments)
{
    if (tool.isEmpty())
        return {};
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(tool, arguments);
    if (!process.waitForFinished(ToolTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// "Default application for 'type': x.desktop" in the report of `gio mime`.
QString gioDefault(const QString& report)
{
    for (const QString& line : report.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("Default application for")))
            continue;
        const qsizetype colon = line.lastIndexOf(QLatin1String(": "));
        if (colon > 0)
            return line.mid(colon + 2).trimmed();
    }
    return {};
}

// A desktop entry id, not some other line a tool printed.
bool looksLikeDesktopId(const QString& text)
{
    return text.endsWith(QLatin1String(".desktop")) && !text.contains(QLatin1Char(' ')) &&
           !text.contains(QLatin1Char('/'));
}

}  // namespace

AssociationTools AssociationTools::find()
{
    return {QStandardPaths::findExecutable(QStringLiteral("xdg-mime")),
            QStandardPaths::findExecutable(QStringLiteral("gio"))};
}

MimeAssociations::MimeAssociations(AssociationTools tools) : m_tools(std::move(tools))
{
}

bool MimeAssociations::hasProgramForFile(const QString& path) const
{
    if (folderExists(path))
        return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    QStringList candidates{type.name()};
    candidates += type.aliases();
    candidates += type.allAncestors();
    for (const QString& candidate : candidates) {
        if (hasProgramFor(candidate))
            return true;
    }
    return false;
}

bool MimeAssociations::hasProgramFor(const QString& mimeType) const
{
    return !defaultProgramFor(mimeType).isEmpty();
}

QString MimeAssociations::defaultProgramFor(const QString& mimeType) const
{
    if (mimeType.isEmpty() || mimeType.startsWith(QLatin1Char('-')))
        return {};
    QString id;
    if (!m_tools.gio.isEmpty())
        id = gioDefault(askTool(m_tools.gio, {QStringLiteral("mime"), mimeType}));
    else
        id =
            askTool(m_tools.xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType})
                .trimmed();
    return looksLikeDesktopId(id) ? id : QString();
}

}  // namespace sys
