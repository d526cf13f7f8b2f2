#include "platform/richedit/model/PlainText.h"

#include "platform/richedit/model/DocumentFragment.h"
#include "platform/richedit/model/OutsideText.h"
#include "platform/runtime/Windows1252.h"

namespace richedit {

namespace {

QString decodeUtf16(QByteArrayView bytes, bool littleEndian)
{
    QString text;
    text.reserve(bytes.size() / 2);
    // An odd last byte cannot be a character and is dropped.
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = uint8_t(bytes[i]);
        const auto second = uint8_t(bytes[i + 1]);
        text += QChar(char16_t(littleEndian ? first | second << 8 : second | first << 8));
    }
    return text;
}

}  // namespace

bool PlainText::isValidUtf8(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const auto lead = uint8_t(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        uint32_t minimum = 0;
        uint32_t codePoint = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, minimum = 0x80, codePoint = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, minimum = 0x800, codePoint = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, minimum = 0x10000, codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (i + extra >= size)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto next = uint8_t(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = codePoint << 6 | (next & 0x3F);
        }
        if (codePoint < minimum || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString PlainText::decode(QByteArrayView bytes)
{
    QString text;
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
        text = decodeUtf16(bytes.sliced(2), true);
    } else if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF) {
        text = decodeUtf16(bytes.sliced(2), false);
    } else if (isValidUtf8(bytes)) {
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        text = QString::fromUtf8(bytes);
    } else {
        text = vb::fromWindows1252(bytes.toByteArray());
    }
    text.remove(QChar(u'\0'));
    return text;
}

QByteArray PlainText::encode(const QString& text)
{
    QString withoutPictures = withPairedSurrogates(text);
    withoutPictures.remove(QChar(ObjectReplacementCharacter));
    return withoutPictures.toUtf8();
}

QString PlainText::shownText(const DocumentFragment& fragment)
{
    QString text;
    for (const FragmentParagraph& paragraph : fragment.paragraphs) {
        bool showsSomething = !paragraph.markFormat.is(Hidden);
        for (const FragmentRun& run : paragraph.runs) {
            if (!run.format.is(Hidden)) {
                text += run.text;
                showsSomething = showsSomething || !run.text.isEmpty();
            }
        }
        if (paragraph.hasMark && showsSomething)
            text += u"\r\n";
    }
    return text;
}

}  // namespace richedit
