// Plain-text references the engine's tests compare against: the text a document made of a
// fragment holds, and positions snapped as the document snaps them.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"
#include "platform/richedit/rtf/RtfReader.h"

#include <QString>
#include <algorithm>

namespace testsupport {

// Paragraph marks are CR LF, except a whole document's end mark.
inline QString textOf(const richedit::DocumentFragment& fragment,
                      richedit::RtfReadMode mode = richedit::RtfReadMode::WholeDocument)
{
    QString text;
    const size_t count = fragment.paragraphs.size();
    for (size_t i = 0; i < count; ++i) {
        const richedit::FragmentParagraph& paragraph = fragment.paragraphs[i];
        for (const richedit::FragmentRun& run : paragraph.runs)
            text += run.text;
        const bool endMark = mode == richedit::RtfReadMode::WholeDocument && i + 1 == count;
        if (paragraph.hasMark && !endMark)
            text += u"\r\n";
    }
    return text;
}

// Forward out of a CR LF or a surrogate pair, clamped to 0..L.
inline int32_t snapped(const QString& text, int32_t pos)
{
    pos = std::clamp(pos, 0, int32_t(text.size()));
    if (pos > 0 && pos < text.size() &&
        ((text[pos - 1] == u'\r' && text[pos] == u'\n') ||
         (text[pos - 1].isHighSurrogate() && text[pos].isLowSurrogate())))
        ++pos;
    return pos;
}

}  // namespace testsupport
