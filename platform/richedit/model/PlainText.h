// Plain-text files: how their bytes become text and text becomes bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace richedit {

struct DocumentFragment;

// How a plain-text file was written, so that saving it writes it the same way.
struct TextFileFormat {
    enum class Encoding { Utf8, Utf8WithMark, Utf16LittleEndian, Utf16BigEndian, Windows1252 };
    enum class LineEnd { Lf, CrLf, Cr };
    // A text that was not read from a file follows the platform: UTF-8, LF.
    Encoding encoding = Encoding::Utf8;
    LineEnd lineEnd = LineEnd::Lf;

    bool operator==(const TextFileFormat&) const = default;
};

class PlainText {
public:
    // UTF-16 when the data starts with a byte-order mark (either order), else UTF-8 when the
    // bytes are valid UTF-8 (a leading mark dropped), else Windows-1252. NUL characters are
    // dropped; line ends are left as they are (the document turns each kind into a
    // paragraph end).
    static QString decode(QByteArrayView bytes);
    // The same, telling how the bytes were written: the encoding, and the first line end met
    // (LF when there is none).
    static QString decode(QByteArrayView bytes, TextFileFormat& format);

    // UTF-8 without a byte-order mark or trailing NUL, U+FFFD for a lone surrogate. Pictures
    // (U+FFFC) are left out; `text` already has CR LF paragraph ends.
    static QByteArray encode(const QString& text);
    // A file's bytes for `text` (CR LF paragraph ends) in `format`: its line ends, its
    // encoding and mark. Windows-1252 gives way to UTF-8 when a character does not fit, and
    // `written` tells what the bytes are.
    static QByteArray encode(const QString& text, const TextFileFormat& format,
                             TextFileFormat& written);

    // What a reader of plain text gets of rich text: its characters without hidden text, its
    // paragraph ends as CR LF, except the end of a paragraph that shows nothing at all (its
    // mark and characters all hidden).
    static QString shownText(const DocumentFragment& fragment);

    // True for well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
    static bool isValidUtf8(QByteArrayView bytes);
};

}  // namespace richedit
