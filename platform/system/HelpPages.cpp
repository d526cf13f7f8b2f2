#include "platform/system/HelpPages.h"

#include "platform/system/FileSystem.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>

namespace sys {
namespace {

const QString TopicMark = QStringLiteral("::/");
const QString IndexPage = QStringLiteral("index.htm");

QHash<QString, QString>& registeredPages()
{
    static QHash<QString, QString> pages;  // lower-case file name -> resource folder
    return pages;
}

struct HelpPath {
    QString file;
    QString topic;
};

HelpPath splitHelpPath(const QString& helpPath)
{
    const qsizetype mark = helpPath.indexOf(TopicMark);
    if (mark < 0)
        return {helpPath, QString()};
    return {helpPath.left(mark), helpPath.mid(mark + TopicMark.size())};
}

QString pagesFolderOf(const QString& file)
{
    return registeredPages().value(QFileInfo(file).fileName().toLower());
}

}  // namespace

void registerHelpPages(const QString& fileName, const QString& pagesFolder)
{
    registeredPages().insert(QFileInfo(fileName).fileName().toLower(), pagesFolder);
}

bool hasHelpPages(const QString& helpPath)
{
    return !pagesFolderOf(splitHelpPath(helpPath).file).isEmpty();
}

QString writeHelpPages(const QString& helpPath)
{
    const HelpPath path = splitHelpPath(helpPath);
    const QString source = pagesFolderOf(path.file);
    if (source.isEmpty())
        return {};
    const QFileInfo file(path.file);
    const QString target =
        file.absolutePath() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral("-html");
    if (!createFolder(target))
        return {};
    bool complete = true;
    QDirIterator pages(source, QDir::Files);
    while (pages.hasNext()) {
        const QFileInfo page(pages.next());
        const std::optional<QByteArray> content = readWholeFile(page.filePath());
        const QString written = target + QLatin1Char('/') + page.fileName();
        if (!content || (readWholeFile(written) != content && !writeFileSafely(written, *content)))
            complete = false;
    }
    if (!complete)
        return {};
    // A topic is a page's name; anything that leaves the folder is not one.
    const QString topic = QFileInfo(path.topic).fileName();
    if (!topic.isEmpty() && topic == path.topic &&
        QFileInfo::exists(target + QLatin1Char('/') + topic))
        return target + QLatin1Char('/') + topic;
    const QString index = target + QLatin1Char('/') + IndexPage;
    return QFileInfo::exists(index) ? index : QString();
}

}  // namespace sys
