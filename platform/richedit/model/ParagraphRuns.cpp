#include "platform/richedit/model/ParagraphRuns.h"

namespace richedit {

void appendText(Paragraph& target, QStringView text, uint32_t format)
{
    if (text.isEmpty())
        return;
    target.text += text;
    if (!target.runs.empty() && !target.runs.back().picture && target.runs.back().format == format)
        target.runs.back().length += int32_t(text.size());
    else
        target.runs.push_back(TextRun{int32_t(text.size()), format, nullptr});
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
            appendText(target, QStringView(source.text).mid(start, end - start), run.format);
    });
}

}  // namespace richedit
