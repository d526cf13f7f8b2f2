// The readable text of an HTML clipboard fragment, for pastes from programs that offer nothing
// else: what a browser shows, without its markup.
#pragma once

#include <QByteArray>
#include <QString>

namespace host {

// Block elements and <br> end paragraphs (CR LF, never two empty ones in a row, none at either
// end); table cells are separated by tabs; blanks collapse to one space outside <pre>; named and
// numeric character references are decoded (a number that is no character becomes U+FFFD, an
// unknown name stays as written); comments, tags and the content of script, style, head and
// similar elements are dropped. An element left unclosed ends where the element holding it ends,
// or with the document; a head also ends where its body begins.
QString textOfHtml(const QString& html);

// HTML bytes as the clipboard holds them: UTF-16 after a byte-order mark, else UTF-8.
QString decodeHtmlBytes(const QByteArray& bytes);

}  // namespace host
