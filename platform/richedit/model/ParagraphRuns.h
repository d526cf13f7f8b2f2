// Building paragraphs run by run: appending text, pictures and slices of other paragraphs,
// with neighbouring text runs of one format kept as one run.
#pragma once

#include "platform/richedit/model/Document.h"

#include <QStringView>

namespace richedit {

// Appends `length` characters of `format` to the runs, joining the last run when it is text
// of that format.
void appendRun(RunList& runs, int32_t length, uint32_t format);
// Appends a run as it is, a text run joining the last run as above.
void appendRun(RunList& runs, const TextRun& run);
// Puts `replacement` in place of runs [first, last).
void replaceRuns(RunList& runs, size_t first, size_t last, RunList replacement);
void appendText(Paragraph& target, QStringView text, uint32_t format);
// The same, taking the text's storage when the paragraph has no text yet.
void appendText(Paragraph& target, QString&& text, uint32_t format);
// Appends the characters [from, to) of another paragraph's text.
void appendText(Paragraph& target, const ParagraphText& text, int32_t from, int32_t to,
                uint32_t format);
void appendPicture(Paragraph& target, std::shared_ptr<const Picture> picture, uint32_t format);
// Inserts text in one format at an offset, joining a neighbouring run of that format.
void insertText(Paragraph& target, int32_t offset, QStringView text, uint32_t format);
// Removes the characters [from, to) with their runs, joining the text runs of one format that
// meet where they were.
void removeText(Paragraph& target, int32_t from, int32_t to);
// removeText then insertText at `from`, the text moved once (not at all for a text as long as
// the one it replaces).
void replaceText(Paragraph& target, int32_t from, int32_t to, QStringView text, uint32_t format);
// Appends the characters [from, to) of `source` with their runs.
void appendSlice(Paragraph& target, const Paragraph& source, int32_t from, int32_t to);

// Calls visit(run, overlapStart, overlapEnd) for each run overlapping [from, to), in order, with
// the overlap in paragraph offsets.
template <typename Visit>
void forEachRun(const Paragraph& paragraph, int32_t from, int32_t to, Visit visit)
{
    int32_t start = 0;
    for (const TextRun& run : paragraph.runs) {
        const int32_t end = start + run.length;
        if (end > from && start < to)
            visit(run, std::max(start, from), std::min(end, to));
        if (end >= to)
            break;
        start = end;
    }
}

}  // namespace richedit
