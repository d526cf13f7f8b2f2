#include "app/DocumentNames.h"

#include <QFileInfo>

namespace app {

QString TrimAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString TextAfterLastTilde(const QString& text)
{
    return text.mid(text.lastIndexOf(QLatin1Char('~')) + 1);
}

QString GetExtension(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot == path.size() - 1)
        return {};
    return TrimAtNul(path.mid(dot + 1)).toLower();
}

qint32 DocumentTypeFromPath(const QString& path)
{
    const QString extension = GetExtension(path).toUpper();
    if (extension == QLatin1String("WMD") || extension == QLatin1String("WMDF"))
        return 2;
    if (extension == QLatin1String("TXT"))
        return 1;
    return 0;
}

qint32 documentTypeOfContent(qint32 namedType, std::optional<qint32> content, qint32 entryType)
{
    if (!content)
        return namedType;
    if (*content == 1)
        return 1;
    if (namedType != 1)
        return namedType;
    return entryType == 2 ? 2 : 0;
}

QString extensionOfType(qint32 documentType)
{
    switch (documentType) {
        case 0:
            return QStringLiteral(".rtf");
        case 1:
            return QStringLiteral(".txt");
        case 2:
            return QStringLiteral(".wmdf");
        default:
            return {};
    }
}

QString GetDisplayName(const QString& path)
{
    const QString name = TrimAtNul(QFileInfo(path).fileName());
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return name;
    return dot == 0 ? QString() : name.left(dot);
}

QString documentPathFromCommandLine(const QString& commandLine)
{
    const QChar quote = QLatin1Char('"');
    if (commandLine.size() >= 2 && commandLine.startsWith(quote) && commandLine.endsWith(quote))
        return commandLine.mid(1, commandLine.size() - 2);
    return commandLine;
}

}  // namespace app
