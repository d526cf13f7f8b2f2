// An INI file held in memory line by line, read and changed with private-profile rules while
// every line that is not changed keeps its exact bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace sys {

// Rules: section and key names compare without regard to case and without their surrounding
// blanks; a value is read without its surrounding blanks and without one pair of enclosing
// double quotes; lines starting with ';' are comments; the first match of a key wins. Text is
// UTF-8; a byte-order mark is kept. LF and CR LF line ends are read alike, and new lines take
// the line end the file already uses (LF for a file that has none yet).
class IniDocument {
public:
    IniDocument() = default;
    static IniDocument fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    // The value of a key; nothing when the section or the key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;

    // Replaces the value of the key, adding the key at the end of its section, or the section
    // at the end of the file, as needed. Refuses (false, nothing changed) names and values
    // that cannot be stored on one line and read back as the same key: line breaks anywhere,
    // an empty name, ']' in a section name, '=' in a key or a key that would read as a
    // section or a comment.
    bool setValue(const QString& section, const QString& key, const QString& value);

private:
    struct Line {
        QByteArray text;    // without its line end
        QByteArray ending;  // "\n", "\r\n", or empty for a last line without one
    };
    struct KeyMatch {
        size_t line;
        qsizetype valueStart;  // byte offset of the value within the line
    };

    std::optional<size_t> findSection(const QString& section) const;
    std::optional<KeyMatch> findKey(const QString& section, const QString& key) const;
    size_t endOfSectionBody(size_t header) const;
    void insertLine(size_t at, const QByteArray& text);
    QByteArray newline() const;

    QByteArray m_byteOrderMark;
    std::vector<Line> m_lines;
};

}  // namespace sys
