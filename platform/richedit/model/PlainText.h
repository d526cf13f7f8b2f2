// Plain-text files: how their bytes become text and text becomes bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace richedit {

struct DocumentFragment;

class PlainText {
public:
    // UTF-16 when the data starts with a byte-order mark (either order), else UTF-8 when the
    // bytes are valid UTF-8 (a leading mark dropped), else Windows-1252. NUL characters are
    // dropped; line ends are left as they are (the document turns each kind into a
    // paragraph end).
    static QString decode(QByteArrayView bytes);

    // UTF-8 without a byte-order mark or trailing NUL, U+FFFD for a lone surrogate. Pictures
    // (U+FFFC) are left out; `text` already has CR LF paragraph ends.
    static QByteArray encode(const QString& text);

    // What a reader of plain text gets of rich text: its characters without hidden text, its
    // paragraph ends as CR LF, except the end of a paragraph that shows nothing at all (its
    // mark and characters all hidden).
    static QString shownText(const DocumentFragment& fragment);

    // True for well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
    static bool isValidUtf8(QByteArrayView bytes);
};

}  // namespace richedit
