// Writes a fragment as RTF in the line shape the control's own string searches rely on:
// 7-bit output, CR LF line ends, one paragraph per line.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"

#include <QByteArray>

namespace richedit {

enum class RtfWriteMode {
    // Every paragraph has a mark; the last one is the end mark, written as the closing "\par }".
    WholeDocument,
    // A selection: "\par" only for paragraphs whose mark is in the fragment; closes with "}"
    // (so "\par }" when the selection ends with a paragraph end).
    Selection,
};

QByteArray writeRtf(const DocumentFragment& fragment, RtfWriteMode mode);
// The length writeRtf would give, in bytes, without holding the whole output at any time.
qsizetype measureRtf(const DocumentFragment& fragment, RtfWriteMode mode);

class Document;
// The whole document, written straight from its paragraphs: the same bytes as writing its
// extractAll() fragment, without the copy of its text and formats that the fragment is.
QByteArray writeRtf(const Document& document);
qsizetype measureRtf(const Document& document);

}  // namespace richedit
