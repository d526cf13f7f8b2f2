#include "platform/system/DesktopAssociation.h"

#include "platform/system/FileSystem.h"
#include "platform/system/RegistryStore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamWriter>

namespace sys {
namespace {

const QString filePrefix = QStringLiteral("scrivet-");
constexpr int ToolTimeoutMilliseconds = 60000;
// The sizes of the icon theme's fixed-size folders the document icon is written in.
constexpr int ThemeIconSizes[] = {16, 24, 32, 48, 64, 128};

QString& programDisplayName()
{
    static QString name;
    return name;
}

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

// The program's name as a person would call it: the running program's display name, else its
// file name without folder or ".exe".
bool isRunningProgram(const QString& program)
{
    if (!QCoreApplication::instance())
        return false;
    const QString running = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    return !running.isEmpty() && QFileInfo(program).canonicalFilePath() == running;
}

QString programName(const QString& program)
{
    if (!programDisplayName().isEmpty() && isRunningProgram(program))
        return programDisplayName();
    QString name = program.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

QString findOnPath(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

// The caches must be in place before anyone asks the desktop about the type.
bool runToEnd(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(ToolTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The largest picture of an icon file; null when it cannot be read.
QImage largestPicture(const QString& path)
{
    QImageReader reader(path);
    QImage best;
    const int count = std::max(reader.imageCount(), 1);
    for (int index = 0; index < count; ++index) {
        if (index > 0 && !reader.jumpToImage(index))
            break;
        const QImage picture = reader.read();
        if (!picture.isNull() && picture.width() * picture.height() > best.width() * best.height())
            best = picture;
    }
    return best;
}

QByteArray pngOf(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
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

void setProgramDisplayName(const QString& name)
{
    programDisplayName() = name;
}

DesktopAssociation::DesktopAssociation(QString dataHome, QString configHome)
    : m_dataHome(std::move(dataHome)),
      m_configHome(std::move(configHome)),
      m_findTool(findOnPath),
      m_runTool(runToEnd)
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

QString DesktopAssociation::defaultsListPath() const
{
    return m_configHome + QStringLiteral("/mimeapps.list");
}

QString DesktopAssociation::themeIconName(const QString& extension)
{
    return mimeTypeOf(extension).replace(QLatin1Char('/'), QLatin1Char('-'));
}

QString DesktopAssociation::themeIconPath(const QString& extension, int size) const
{
    return m_dataHome + QStringLiteral("/icons/hicolor/%1x%1/mimetypes/").arg(size) +
           themeIconName(extension) + QStringLiteral(".png");
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

QString DesktopAssociation::desktopEntry(const FileAssociation& association,
                                         const QString& iconName)
{
    const std::optional<QString> exec = desktopExecFromCommand(association.openCommand);
    if (!exec || extensionStem(association.extension).isEmpty())
        return {};
    const QString program = splitCommandLine(association.openCommand).first();
    const QString name = programName(program);
    QStringList lines{
        QStringLiteral("[Desktop Entry]"), QStringLiteral("Type=Application"),
        QStringLiteral("Name=") + entryValue(name.isEmpty() ? association.typeName : name)};
    if (!association.description.isEmpty())
        lines.append(QStringLiteral("Comment=") + entryValue(association.description));
    lines.append(QStringLiteral("Exec=") + entryValue(*exec));
    if (!iconName.isEmpty())
        lines.append(QStringLiteral("Icon=") + entryValue(iconName));
    else if (!association.iconPath.isEmpty())
        lines.append(QStringLiteral("Icon=") + entryValue(association.iconPath));
    lines.append(QStringLiteral("MimeType=") + mimeTypeOf(association.extension) +
                 QLatin1Char(';'));
    if (isRunningProgram(program)) {
        // The running program's own entry, in the applications menu; its windows carry the
        // program file's name as their class.
        lines.append(QStringLiteral("Categories=Office;WordProcessor;"));
        lines.append(QStringLiteral("StartupWMClass=") + entryValue(QFileInfo(program).fileName()));
    } else {
        // Another program's registration names a handler for a type, not a menu entry.
        lines.append(QStringLiteral("NoDisplay=true"));
    }
    lines.append(QStringLiteral("Terminal=false"));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString DesktopAssociation::withDefaultProgram(const QString& list, const QString& mimeType,
                                               const QString& desktopId)
{
    const QString defaults = QStringLiteral("[Default Applications]");
    const QString added = QStringLiteral("[Added Associations]");
    QStringList lines = list.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    // Sets the type's line of a group, adding the group when it is missing.
    const auto setLine = [&](const QString& group, const auto& valueFrom) {
        qsizetype at = lines.indexOf(group);
        if (at < 0) {
            lines.append(group);
            at = lines.size() - 1;
        }
        qsizetype end = at + 1;
        while (end < lines.size() && !lines[end].trimmed().startsWith(QLatin1Char('[')))
            ++end;
        for (qsizetype line = at + 1; line < end; ++line) {
            const qsizetype equals = lines[line].indexOf(QLatin1Char('='));
            if (equals > 0 && lines[line].left(equals).trimmed() == mimeType) {
                lines[line] = mimeType + QLatin1Char('=') + valueFrom(lines[line].mid(equals + 1));
                return;
            }
        }
        lines.insert(end, mimeType + QLatin1Char('=') + valueFrom(QString()));
    };
    setLine(defaults, [&](const QString&) { return desktopId + QLatin1Char(';'); });
    setLine(added, [&](const QString& old) {
        QStringList ids = old.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        ids.removeAll(desktopId);
        ids.prepend(desktopId);
        return ids.join(QLatin1Char(';')) + QLatin1Char(';');
    });
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

DesktopAssociation::WriteResult DesktopAssociation::writeIfDifferent(const QString& path,
                                                                     const QByteArray& content)
{
    if (readWholeFile(path) == content)
        return WriteResult::Unchanged;
    if (!createFolder(QFileInfo(path).absolutePath()) || !writeFileSafely(path, content))
        return WriteResult::Failed;
    return WriteResult::Written;
}

DesktopAssociation::WriteResult DesktopAssociation::combine(WriteResult first, WriteResult second)
{
    if (first == WriteResult::Failed || second == WriteResult::Failed)
        return WriteResult::Failed;
    return first == WriteResult::Written ? first : second;
}

std::optional<DesktopAssociation::WriteResult> DesktopAssociation::installIcon(
    const FileAssociation& association)
{
    if (association.iconPath.isEmpty())
        return std::nullopt;
    const QImage picture = largestPicture(association.iconPath);
    if (picture.isNull())
        return std::nullopt;
    WriteResult result = WriteResult::Unchanged;
    for (const int size : ThemeIconSizes) {
        const QImage sized =
            picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_ARGB32);
        result = combine(
            result, writeIfDifferent(themeIconPath(association.extension, size), pngOf(sized)));
    }
    return result;
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
    const std::optional<WriteResult> icon = installIcon(association);
    const QString package = mimePackage(association);
    const QString entry =
        desktopEntry(association, icon ? themeIconName(association.extension) : QString());
    if (package.isEmpty() || entry.isEmpty())
        return false;
    const QString mimeFolder = m_dataHome + QStringLiteral("/mime");
    const QString applications = m_dataHome + QStringLiteral("/applications");
    const WriteResult packageResult =
        writeIfDifferent(mimePackagePath(association.extension), package.toUtf8());
    const WriteResult entryResult =
        writeIfDifferent(desktopEntryPath(association.extension), entry.toUtf8());
    WriteResult listResult = WriteResult::Unchanged;
    if (!m_configHome.isEmpty()) {
        const QString list =
            QString::fromUtf8(readWholeFile(defaultsListPath()).value_or(QByteArray()));
        listResult = writeIfDifferent(
            defaultsListPath(),
            withDefaultProgram(list, mimeTypeOf(association.extension),
                               QFileInfo(desktopEntryPath(association.extension)).fileName())
                .toUtf8());
    }
    // A database missing beside files written earlier (its tool was not installed then) is
    // built now.
    if (packageResult == WriteResult::Written ||
        !QFileInfo::exists(mimeFolder + QStringLiteral("/mime.cache")))
        refresh(QStringLiteral("update-mime-database"), mimeFolder);
    if (entryResult == WriteResult::Written ||
        !QFileInfo::exists(applications + QStringLiteral("/mimeinfo.cache")))
        refresh(QStringLiteral("update-desktop-database"), applications);
    return combine(combine(packageResult, entryResult),
                   combine(listResult, icon.value_or(WriteResult::Unchanged))) !=
           WriteResult::Failed;
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
