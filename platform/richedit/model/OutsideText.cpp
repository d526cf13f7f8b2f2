#include "platform/richedit/model/OutsideText.h"

namespace richedit {

namespace {

constexpr char16_t ReplacementCharacter = u'\xFFFD';

// Whether the unit at `i` is half a pair with no other half beside it.
bool isLoneSurrogate(QStringView text, qsizetype i)
{
    const QChar unit = text[i];
    if (unit.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (unit.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

bool holdsLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i].isSurrogate() && isLoneSurrogate(text, i))
            return true;
    return false;
}

QString cleaned(const QString& text, bool dropNul)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (unit == u'\0' && dropNul)
            continue;
        result +=
            unit.isSurrogate() && isLoneSurrogate(text, i) ? QChar(ReplacementCharacter) : unit;
    }
    return result;
}

// A paragraph handed over in one piece: each run's part cleaned by itself, as separate runs are.
void removeInvisiblesJoined(FragmentParagraph& paragraph)
{
    if (!holdsInvisibles(paragraph.joinedText))
        return;
    QString joined;
    joined.reserve(paragraph.joinedText.size());
    qsizetype offset = 0;
    for (int32_t& length : paragraph.runLengths) {
        const QString part = cleaned(paragraph.joinedText.mid(offset, length), true);
        offset += length;
        length = int32_t(part.size());
        joined += part;
    }
    paragraph.joinedText = joined;
}

}  // namespace

bool holdsInvisibles(QStringView text)
{
    return text.contains(QChar(u'\0')) || holdsLoneSurrogate(text);
}

QString withoutInvisibles(const QString& text)
{
    return holdsInvisibles(text) ? cleaned(text, true) : text;
}

void removeInvisibles(DocumentFragment& fragment)
{
    for (FragmentParagraph& paragraph : fragment.paragraphs) {
        if (paragraph.textJoined) {
            removeInvisiblesJoined(paragraph);
            continue;
        }
        for (FragmentRun& run : paragraph.runs) {
            if (!run.picture && holdsInvisibles(run.text))
                run.text = cleaned(run.text, true);
        }
    }
}

QString withPairedSurrogates(const QString& text)
{
    return holdsLoneSurrogate(text) ? cleaned(text, false) : text;
}

}  // namespace richedit
