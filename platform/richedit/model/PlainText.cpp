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

QByteArray encodeUtf16(QStringView text, bool littleEndian)
{
    QByteArray bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes.append(littleEndian ? "\xFF\xFE" : "\xFE\xFF", 2);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        const char low = char(unit & 0xFF);
        const char high = char(unit >> 8);
        bytes.append(littleEndian ? low : high);
        bytes.append(littleEndian ? high : low);
    }
    return bytes;
}

TextFileFormat::LineEnd firstLineEnd(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            return TextFileFormat::LineEnd::Lf;
        if (text[i] == u'\r')
            return i + 1 < text.size() && text[i + 1] == u'\n' ? TextFileFormat::LineEnd::CrLf
                                                               : TextFileFormat::LineEnd::Cr;
    }
    return TextFileFormat::LineEnd::Lf;
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
    TextFileFormat format;
    return decode(bytes, format);
}

QString PlainText::decode(QByteArrayView bytes, TextFileFormat& format)
{
    using Encoding = TextFileFormat::Encoding;
    QString text;
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
        text = decodeUtf16(bytes.sliced(2), true);
        format.encoding = Encoding::Utf16LittleEndian;
    } else if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF) {
        text = decodeUtf16(bytes.sliced(2), false);
        format.encoding = Encoding::Utf16BigEndian;
    } else if (isValidUtf8(bytes)) {
        format.encoding = Encoding::Utf8;
        if (bytes.startsWith("\xEF\xBB\xBF")) {
            bytes = bytes.sliced(3);
            format.encoding = Encoding::Utf8WithMark;
        }
        text = QString::fromUtf8(bytes);
    } else {
        text = vb::fromWindows1252(bytes.toByteArray());
        format.encoding = Encoding::Windows1252;
    }
    text.remove(QChar(u'\0'));
    format.lineEnd = firstLineEnd(text);
    return text;
}

QByteArray PlainText::encode(const QString& text)
{
    QString withoutPictures = withPairedSurrogates(text);
    withoutPictures.remove(QChar(ObjectReplacementCharacter));
    return withoutPictures.toUtf8();
}

QByteArray PlainText::encode(const QString& text, const TextFileFormat& format,
                             TextFileFormat& written)
{
    using Encoding = TextFileFormat::Encoding;
    QString lines = withPairedSurrogates(text);
    lines.remove(QChar(ObjectReplacementCharacter));
    if (format.lineEnd != TextFileFormat::LineEnd::CrLf)
        lines.replace(QStringLiteral("\r\n"), format.lineEnd == TextFileFormat::LineEnd::Lf
                                                  ? QStringLiteral("\n")
                                                  : QStringLiteral("\r"));
    written = format;
    switch (format.encoding) {
        case Encoding::Utf16LittleEndian:
        case Encoding::Utf16BigEndian:
            return encodeUtf16(lines, format.encoding == Encoding::Utf16LittleEndian);
        case Encoding::Utf8WithMark:
            return QByteArray("\xEF\xBB\xBF") + lines.toUtf8();
        case Encoding::Windows1252: {
            // Every byte reads back as the character it came from, or the text does not fit.
            QByteArray bytes = vb::toWindows1252(lines);
            if (vb::fromWindows1252(bytes) == lines)
                return bytes;
            written.encoding = Encoding::Utf8;
            return lines.toUtf8();
        }
        case Encoding::Utf8:
            break;
    }
    return lines.toUtf8();
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
