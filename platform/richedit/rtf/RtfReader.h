// Reads RTF into a fragment. Tolerant: reads what other word processors write, ignores what it
// does not know, never fails on content, never reads outside its input, linear in time.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"

#include <QByteArrayView>

namespace richedit {

enum class RtfReadMode {
    // A whole document: one final \par followed only by formatting words and closing braces is
    // the end mark; the result always has at least one paragraph, every one with a mark.
    WholeDocument,
    // An insertion (selection RTF, paste): every \par is kept; text after the last one forms a
    // last paragraph without a mark.
    Insert,
};

// True when the data's first non-blank bytes (after an optional UTF-8 byte-order mark) are
// "{\rtf".
bool looksLikeRtf(QByteArrayView data);

// How a streamed paragraph's text is handed over.
enum class RtfRunText {
    PerRun,  // in each run's text
    Joined,  // in the paragraph's joinedText (see FragmentParagraph), for a sink that takes it
};

DocumentFragment readRtf(QByteArrayView rtf, RtfReadMode mode);
// The same paragraphs in the same order, each handed to `sink` as soon as it is complete.
void readRtf(QByteArrayView rtf, RtfReadMode mode, const ParagraphSink& sink,
             RtfRunText runText = RtfRunText::PerRun);

}  // namespace richedit
