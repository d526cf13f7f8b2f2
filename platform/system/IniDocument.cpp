#include "platform/system/IniDocument.h"

namespace sys {
namespace {

const QByteArray Utf8ByteOrderMark("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QString name;              // section or key name, trimmed
    qsizetype valueStart = 0;  // for keys: first byte after '=' and the blanks after it
};

ParsedLine parseLine(const QByteArray& text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    if (start == text.size() || text[start] == ';')
        return {};
    if (text[start] == '[') {
        qsizetype close = text.indexOf(']', start + 1);
        if (close < 0)
            close = text.size();
        return {LineKind::Section,
                QString::fromUtf8(text.mid(start + 1, close - start - 1)).trimmed(), 0};
    }
    const qsizetype equals = text.indexOf('=', start);
    if (equals < 0)
        return {};
    qsizetype valueStart = equals + 1;
    while (valueStart < text.size() && isBlank(text[valueStart]))
        ++valueStart;
    return {LineKind::Key, QString::fromUtf8(text.mid(start, equals - start)).trimmed(),
            valueStart};
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString readValue(const QByteArray& text, qsizetype valueStart)
{
    QString value = QString::fromUtf8(text.mid(valueStart)).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

bool storableSection(const QString& section)
{
    return !section.isEmpty() && !hasLineBreak(section) && !section.contains(QLatin1Char(']'));
}

bool storableKey(const QString& key)
{
    return !key.isEmpty() && !hasLineBreak(key) && !key.contains(QLatin1Char('=')) &&
           !key.startsWith(QLatin1Char('[')) && !key.startsWith(QLatin1Char(';'));
}

}  // namespace

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument document;
    qsizetype position = 0;
    if (bytes.startsWith(Utf8ByteOrderMark)) {
        document.m_byteOrderMark = Utf8ByteOrderMark;
        position = Utf8ByteOrderMark.size();
    }
    while (position < bytes.size()) {
        const qsizetype feed = bytes.indexOf('\n', position);
        if (feed < 0) {
            document.m_lines.push_back({bytes.mid(position), {}});
            break;
        }
        const bool crlf = feed > position && bytes[feed - 1] == '\r';
        const qsizetype textEnd = crlf ? feed - 1 : feed;
        document.m_lines.push_back({bytes.mid(position, textEnd - position),
                                    crlf ? QByteArray("\r\n") : QByteArray("\n")});
        position = feed + 1;
    }
    return document;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray bytes = m_byteOrderMark;
    for (const Line& line : m_lines)
        bytes += line.text + line.ending;
    return bytes;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const std::optional<KeyMatch> match = findKey(section.trimmed(), key.trimmed());
    if (!match)
        return std::nullopt;
    return readValue(m_lines[match->line].text, match->valueStart);
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (!storableSection(sectionName) || !storableKey(keyName) || hasLineBreak(value))
        return false;

    if (const std::optional<KeyMatch> match = findKey(sectionName, keyName)) {
        QByteArray& text = m_lines[match->line].text;
        text = text.left(match->valueStart) + value.toUtf8();
        return true;
    }
    const QByteArray keyLine = keyName.toUtf8() + '=' + value.toUtf8();
    if (const std::optional<size_t> header = findSection(sectionName)) {
        insertLine(endOfSectionBody(*header), keyLine);
        return true;
    }
    insertLine(m_lines.size(), '[' + sectionName.toUtf8() + ']');
    insertLine(m_lines.size(), keyLine);
    return true;
}

std::optional<size_t> IniDocument::findSection(const QString& section) const
{
    for (size_t index = 0; index < m_lines.size(); ++index) {
        const ParsedLine parsed = parseLine(m_lines[index].text);
        if (parsed.kind == LineKind::Section && sameName(parsed.name, section))
            return index;
    }
    return std::nullopt;
}

std::optional<IniDocument::KeyMatch> IniDocument::findKey(const QString& section,
                                                          const QString& key) const
{
    bool inSection = false;
    for (size_t index = 0; index < m_lines.size(); ++index) {
        const ParsedLine parsed = parseLine(m_lines[index].text);
        if (parsed.kind == LineKind::Section)
            inSection = sameName(parsed.name, section);
        else if (inSection && parsed.kind == LineKind::Key && sameName(parsed.name, key))
            return KeyMatch{index, parsed.valueStart};
    }
    return std::nullopt;
}

// Just after the section's last key, so that comments and blank lines that introduce the next
// section stay with it; just after the header when the section has no key yet.
size_t IniDocument::endOfSectionBody(size_t header) const
{
    size_t end = header + 1;
    for (size_t index = header + 1; index < m_lines.size(); ++index) {
        const ParsedLine parsed = parseLine(m_lines[index].text);
        if (parsed.kind == LineKind::Section)
            break;
        if (parsed.kind == LineKind::Key)
            end = index + 1;
    }
    return end;
}

void IniDocument::insertLine(size_t at, const QByteArray& text)
{
    const QByteArray ending = newline();
    // The line before the new one needs an end of its own now.
    if (at > 0 && m_lines[at - 1].ending.isEmpty())
        m_lines[at - 1].ending = ending;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), Line{text, ending});
}

QByteArray IniDocument::newline() const
{
    for (const Line& line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return QByteArrayLiteral("\n");
}

}  // namespace sys
