#include "platform/system/DesktopAssociation.h"

#include "platform/system/FileSystem.h"
#include "platform/system/RegistryStore.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamWriter>

namespace sys {
namespace {

const QString filePrefix = QStringLiteral("scrivet-");

// The default value of a key below the classes root, or nullopt when key or value is missing.
std::optional<QString> readDefault(RegistryStore& store, const QString& path)
{
    HKEY key = 0;
    if (store.openKey(HKEY_CLASSES_ROOT, path, KEY_READ, key) != ERROR_SUCCESS)
        return std::nullopt;
    quint32 size = 0;
    QString data;
    long result = store.queryValue(key, QString(), nullptr, nullptr, &size);
    if (result == ERROR_SUCCESS)
        result = store.queryValue(key, QString(), nullptr, &data, &size);
    store.closeKey(key);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

// "C:\x\doc.ico,0" and "\"/x/doc.ico\"" name the same file as "/x/doc.ico" would.
QString iconFileOf(QString value)
{
    value = value.trimmed();
    static const QRegularExpression index(QStringLiteral(",\\s*-?\\d+$"));
    value.remove(index);
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

// Splits a command line as the platform's argument parser does: blanks separate arguments
// outside double quotes; 2n backslashes before a quote give n backslashes and a quote that
// toggles quoting, 2n+1 give n backslashes and a literal quote; other backslashes are literal.
QStringList splitCommandLine(const QString& command)
{
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool started = false;
    for (qsizetype at = 0; at < command.size(); ++at) {
        const QChar c = command.at(at);
        if (c == QLatin1Char('\\')) {
            qsizetype count = 0;
            while (at < command.size() && command.at(at) == QLatin1Char('\\')) {
                ++count;
                ++at;
            }
            const bool quoteFollows = at < command.size() && command.at(at) == QLatin1Char('"');
            current += QString(quoteFollows ? count / 2 : count, QLatin1Char('\\'));
            if (quoteFollows && count % 2 == 1)
                current += QLatin1Char('"');
            else
                --at;  // the quote (or other character) is read by the next round
            started = true;
        } else if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            started = true;
        } else if ((c == QLatin1Char(' ') || c == QLatin1Char('\t')) && !inQuotes) {
            if (started)
                arguments.append(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        arguments.append(current);
    return arguments;
}

bool isDocumentPlaceholder(const QString& argument)
{
    return argument == QLatin1String("%1") ||
           argument.compare(QLatin1String("%L"), Qt::CaseInsensitive) == 0;
}

// One argument of an Exec value: quoted when it holds a reserved character, with the four
// characters that stay special inside quotes escaped, and "%" doubled.
QString execArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString text = argument;
    text.replace(QLatin1Char('%'), QLatin1String("%%"));
    bool needsQuotes = text.isEmpty();
    for (const QChar c : text)
        needsQuotes = needsQuotes || reserved.contains(c);
    if (!needsQuotes)
        return text;
    QString quoted;
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A value of a desktop entry: the escapes of its string type, so no text can start a new line
// (and with it a new key) of the file.
QString entryValue(const QString& text)
{
    QString value;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            value += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            value += QLatin1String("\\r");
        else if (c == QLatin1Char('\t'))
            value += QLatin1String("\\t");
        else if (c.unicode() < 0x20)
            value += QLatin1Char(' ');
        else
            value += c;
    }
    if (value.startsWith(QLatin1Char(' ')))
        value.replace(0, 1, QLatin1String("\\s"));
    return value;
}

// Text fit for XML character data: control characters become blanks.
QString xmlText(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    return text;
}

// The extension without its dot, reduced to characters a MIME type and a file name may hold.
QString extensionStem(const QString& extension)
{
    QString stem = extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
    stem = stem.toLower();
    for (QChar& c : stem) {
        const bool fits = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                          (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                          c == QLatin1Char('-') || c == QLatin1Char('+') || c == QLatin1Char('_');
        if (!fits)
            c = QLatin1Char('-');
    }
    return stem;
}

// The program's name as a person would call it: its file name without folder or ".exe".
QString programName(const QString& program)
{
    QString name = program.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

QString findOnPath(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

bool startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

}  // namespace

std::optional<FileAssociation> readFileAssociation(RegistryStore& store, const QString& extension)
{
    FileAssociation association;
    association.extension = extension;
    const std::optional<QString> typeName = readDefault(store, extension);
    if (!typeName || typeName->isEmpty())
        return std::nullopt;
    association.typeName = *typeName;
    const QString type = *typeName + QLatin1Char('\\');
    const std::optional<QString> command =
        readDefault(store, type + QLatin1String("shell\\open\\command"));
    if (!command || command->trimmed().isEmpty())
        return std::nullopt;
    association.openCommand = *command;
    association.description = readDefault(store, *typeName).value_or(QString());
    association.iconPath =
        iconFileOf(readDefault(store, type + QLatin1String("DefaultIcon")).value_or(QString()));
    return association;
}

std::optional<QString> desktopExecFromCommand(const QString& command)
{
    const QStringList arguments = splitCommandLine(command);
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return std::nullopt;
    QStringList exec;
    bool hasDocument = false;
    for (const QString& argument : arguments) {
        const bool placeholder = isDocumentPlaceholder(argument) && !exec.isEmpty();
        exec.append(placeholder ? QStringLiteral("%f") : execArgument(argument));
        hasDocument = hasDocument || placeholder;
    }
    // Without a placeholder the platform's shell passes the document after the command.
    if (!hasDocument)
        exec.append(QStringLiteral("%f"));
    return exec.join(QLatin1Char(' '));
}

DesktopAssociation::DesktopAssociation(QString dataHome)
    : m_dataHome(std::move(dataHome)), m_findTool(findOnPath), m_runTool(startDetached)
{
}

QString DesktopAssociation::mimeTypeOf(const QString& extension)
{
    return QStringLiteral("application/x-") + extensionStem(extension);
}

QString DesktopAssociation::mimePackagePath(const QString& extension) const
{
    return m_dataHome + QStringLiteral("/mime/packages/") + filePrefix + extensionStem(extension) +
           QStringLiteral(".xml");
}

QString DesktopAssociation::desktopEntryPath(const QString& extension) const
{
    return m_dataHome + QStringLiteral("/applications/") + filePrefix + extensionStem(extension) +
           QStringLiteral(".desktop");
}

QString DesktopAssociation::mimePackage(const FileAssociation& association)
{
    if (extensionStem(association.extension).isEmpty())
        return {};
    QByteArray xml;  // written as bytes so the declaration names the encoding
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("mime-info"));
    writer.writeDefaultNamespace(
        QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    writer.writeStartElement(QStringLiteral("mime-type"));
    writer.writeAttribute(QStringLiteral("type"), mimeTypeOf(association.extension));
    const QString comment =
        association.description.isEmpty() ? association.typeName : association.description;
    writer.writeTextElement(QStringLiteral("comment"), xmlText(comment));
    writer.writeEmptyElement(QStringLiteral("glob"));
    writer.writeAttribute(QStringLiteral("pattern"),
                          QLatin1Char('*') + xmlText(association.extension.toLower()));
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return QString::fromUtf8(xml);
}

QString DesktopAssociation::desktopEntry(const FileAssociation& association)
{
    const std::optional<QString> exec = desktopExecFromCommand(association.openCommand);
    if (!exec || extensionStem(association.extension).isEmpty())
        return {};
    const QString name = programName(splitCommandLine(association.openCommand).first());
    QStringList lines{
        QStringLiteral("[Desktop Entry]"), QStringLiteral("Type=Application"),
        QStringLiteral("Name=") + entryValue(name.isEmpty() ? association.typeName : name)};
    if (!association.description.isEmpty())
        lines.append(QStringLiteral("Comment=") + entryValue(association.description));
    lines.append(QStringLiteral("Exec=") + entryValue(*exec));
    if (!association.iconPath.isEmpty())
        lines.append(QStringLiteral("Icon=") + entryValue(association.iconPath));
    lines.append(QStringLiteral("MimeType=") + mimeTypeOf(association.extension) +
                 QLatin1Char(';'));
    // The registration names a handler for a type, not a menu entry.
    lines.append(QStringLiteral("NoDisplay=true"));
    lines.append(QStringLiteral("Terminal=false"));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

DesktopAssociation::WriteResult DesktopAssociation::writeIfDifferent(const QString& path,
                                                                     const QString& content)
{
    const QByteArray bytes = content.toUtf8();
    if (readWholeFile(path) == bytes)
        return WriteResult::Unchanged;
    if (!createFolder(QFileInfo(path).absolutePath()) || !writeFileSafely(path, bytes))
        return WriteResult::Failed;
    return WriteResult::Written;
}

void DesktopAssociation::refresh(const QString& tool, const QString& folder)
{
    const QString program = m_findTool ? m_findTool(tool) : QString();
    if (program.isEmpty() || !m_runTool)
        return;
    m_runTool(program, {folder});
}

bool DesktopAssociation::mirror(const FileAssociation& association)
{
    const QString package = mimePackage(association);
    const QString entry = desktopEntry(association);
    if (package.isEmpty() || entry.isEmpty())
        return false;
    const WriteResult packageResult =
        writeIfDifferent(mimePackagePath(association.extension), package);
    const WriteResult entryResult =
        writeIfDifferent(desktopEntryPath(association.extension), entry);
    if (packageResult == WriteResult::Written)
        refresh(QStringLiteral("update-mime-database"), m_dataHome + QStringLiteral("/mime"));
    if (entryResult == WriteResult::Written)
        refresh(QStringLiteral("update-desktop-database"),
                m_dataHome + QStringLiteral("/applications"));
    return packageResult != WriteResult::Failed && entryResult != WriteResult::Failed;
}

int DesktopAssociation::mirrorAll(RegistryStore& store)
{
    int mirrored = 0;
    for (const QString& name : store.subKeyNames(HKEY_CLASSES_ROOT)) {
        if (!name.startsWith(QLatin1Char('.')))
            continue;
        const std::optional<FileAssociation> association = readFileAssociation(store, name);
        if (association && mirror(*association))
            ++mirrored;
    }
    return mirrored;
}

}  // namespace sys
