#include "platform/richedit/model/ParagraphRuns.h"

#include <algorithm>

namespace richedit {

void appendRun(RunList& runs, int32_t length, uint32_t format)
{
    if (length <= 0)
        return;
    if (!runs.empty() && !runs.back().picture && runs.back().format == format)
        runs.back().length += length;
    else
        runs.push_back(TextRun{length, format, nullptr});
}

void appendRun(RunList& runs, const TextRun& run)
{
    if (run.picture)
        runs.push_back(run);
    else
        appendRun(runs, run.length, run.format);
}

void replaceRuns(RunList& runs, size_t first, size_t last, RunList replacement)
{
    const size_t overlap = std::min(last - first, replacement.size());
    std::move(replacement.begin(), replacement.begin() + std::ptrdiff_t(overlap),
              runs.begin() + std::ptrdiff_t(first));
    if (replacement.size() < last - first) {
        runs.erase(runs.begin() + std::ptrdiff_t(first + overlap),
                   runs.begin() + std::ptrdiff_t(last));
        return;
    }
    // The runs after them move once to make room for the rest.
    const size_t extra = replacement.size() - overlap;
    const size_t oldSize = runs.size();
    for (size_t k = 0; k < extra; ++k)
        runs.push_back(TextRun{});
    std::move_backward(runs.begin() + std::ptrdiff_t(last), runs.begin() + std::ptrdiff_t(oldSize),
                       runs.end());
    std::move(replacement.begin() + std::ptrdiff_t(overlap), replacement.end(),
              runs.begin() + std::ptrdiff_t(last));
}

void appendText(Paragraph& target, QStringView text, uint32_t format)
{
    if (text.isEmpty())
        return;
    target.text += text;
    appendRun(target.runs, int32_t(text.size()), format);
}

void appendText(Paragraph& target, QString&& text, uint32_t format)
{
    if (!target.text.isEmpty() || text.isEmpty()) {
        appendText(target, QStringView(text), format);
        return;
    }
    const auto length = int32_t(text.size());
    target.text = std::move(text);
    target.runs.push_back(TextRun{length, format, nullptr});
}

void appendText(Paragraph& target, const ParagraphText& text, int32_t from, int32_t to,
                uint32_t format)
{
    // Pieces after the first join the run it made.
    text.forEachPiece(from, to - from,
                      [&](QStringView piece) { appendText(target, piece, format); });
}

namespace {

// The runs' part of insertText: `length` characters of `format` came in at `offset`.
void insertRun(RunList& runs, int32_t offset, int32_t length, uint32_t format)
{
    int32_t start = 0;
    size_t k = 0;
    // The run holding the offset, or ending at it (a run of the same format grows).
    for (; k < runs.size(); ++k) {
        const int32_t end = start + runs[k].length;
        if (offset < end || (offset == end && !runs[k].picture && runs[k].format == format))
            break;
        start = end;
    }
    const auto joins = [&](size_t i) {
        return i < runs.size() && !runs[i].picture && runs[i].format == format;
    };
    if (joins(k)) {
        runs[k].length += length;
        return;
    }
    const TextRun inserted{length, format, nullptr};
    if (k == runs.size() || offset == start) {
        runs.insert(runs.begin() + std::ptrdiff_t(k), inserted);
        return;
    }
    // Splits a text run of another format.
    TextRun tail = runs[k];
    tail.length = start + runs[k].length - offset;
    runs[k].length = offset - start;
    runs.insert(runs.begin() + std::ptrdiff_t(k) + 1, {inserted, tail});
}

// The runs' part of removeText.
void removeRuns(RunList& runs, int32_t from, int32_t to)
{
    size_t k = 0;
    int32_t start = 0;
    for (; k < runs.size() && start + runs[k].length <= from; ++k)
        start += runs[k].length;
    const size_t seam = k;
    for (; k < runs.size() && start < to; ++k) {
        const int32_t end = start + runs[k].length;
        runs[k].length -= std::min(end, to) - std::max(start, from);
        start = end;
    }
    const auto touchedEnd = runs.begin() + std::ptrdiff_t(k);
    runs.erase(std::remove_if(runs.begin() + std::ptrdiff_t(seam), touchedEnd,
                              [](const TextRun& run) { return run.length == 0; }),
               touchedEnd);
    // The runs on both sides of the removed text now meet.
    for (size_t j = std::max<size_t>(seam, 1); j < std::min(seam + 2, runs.size()); ++j) {
        if (!runs[j - 1].picture && !runs[j].picture && runs[j - 1].format == runs[j].format) {
            runs[j - 1].length += runs[j].length;
            runs.erase(runs.begin() + std::ptrdiff_t(j));
            break;
        }
    }
}

}  // namespace

void insertText(Paragraph& target, int32_t offset, QStringView text, uint32_t format)
{
    if (text.isEmpty())
        return;
    target.text.insert(offset, text);
    insertRun(target.runs, offset, int32_t(text.size()), format);
}

void removeText(Paragraph& target, int32_t from, int32_t to)
{
    if (to <= from)
        return;
    target.text.remove(from, to - from);
    removeRuns(target.runs, from, to);
}

void replaceText(Paragraph& target, int32_t from, int32_t to, QStringView text, uint32_t format)
{
    target.text.replace(from, to - from, text);
    if (to > from)
        removeRuns(target.runs, from, to);
    if (!text.isEmpty())
        insertRun(target.runs, from, int32_t(text.size()), format);
}

void appendPicture(Paragraph& target, std::shared_ptr<const Picture> picture, uint32_t format)
{
    target.text += QChar(ObjectReplacementCharacter);
    target.runs.push_back(TextRun{1, format, std::move(picture)});
}

void appendSlice(Paragraph& target, const Paragraph& source, int32_t from, int32_t to)
{
    forEachRun(source, from, to, [&](const TextRun& run, int32_t start, int32_t end) {
        if (run.picture)
            appendPicture(target, run.picture, run.format);
        else
            appendText(target, source.text, start, end, run.format);
    });
}

}  // namespace richedit
