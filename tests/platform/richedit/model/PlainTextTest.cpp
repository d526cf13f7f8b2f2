#include "platform/richedit/model/Document.h"
#include "platform/richedit/model/PlainText.h"

#include <gtest/gtest.h>

using namespace richedit;

TEST(PlainTextTest, DecodesEveryEncodingInItsOrder)
{
    // UTF-16 by byte-order mark, both orders; an odd last byte is dropped.
    EXPECT_EQ(PlainText::decode(QByteArray("\xFF\xFE"
                                           "a\0\xAC\x20\r\0\n\0",
                                           10)),
              QStringLiteral("a\u20AC\r\n"));
    EXPECT_EQ(PlainText::decode(QByteArray("\xFE\xFF\0a\x20\xAC\0", 7)), QStringLiteral("a\u20AC"));
    // Valid UTF-8, with or without its mark.
    EXPECT_EQ(PlainText::decode("\xEF\xBB\xBF"
                                "caf\xC3\xA9"),
              QStringLiteral("caf\u00E9"));
    EXPECT_EQ(PlainText::decode("\xF0\x9F\x98\x80"), QStringLiteral("\U0001F600"));
    // Anything else is Windows-1252 with the undefined bytes kept as their own code points.
    EXPECT_EQ(PlainText::decode("caf\xE9 \x80\x81\x9D"),
              QStringLiteral("caf\u00E9 \u20AC\u0081\u009D"));
    // Overlong forms, encoded surrogates and cut sequences are not UTF-8.
    EXPECT_EQ(PlainText::decode("\xC0\xAF"), QStringLiteral("\u00C0\u00AF"));
    EXPECT_EQ(PlainText::decode("\xED\xA0\x80"), QStringLiteral("\u00ED\u00A0\u20AC"));
    EXPECT_EQ(PlainText::decode("ab\xE2\x82"), QStringLiteral("ab\u00E2\u201A"));
    // NUL is dropped; U+001A is an ordinary character.
    EXPECT_EQ(PlainText::decode(QByteArray("a\0b\x1A", 4)), QStringLiteral("ab\x1A"));
    EXPECT_EQ(PlainText::decode(QByteArray("\xFF\xFE"
                                           "a\0\0\0b\0",
                                           8)),
              QStringLiteral("ab"));
}

TEST(PlainTextTest, EveryLineEndKindBecomesAParagraphEnd)
{
    Document document;
    document.setPlainText(PlainText::decode("one\r\ntwo\rthree\nfour\n"));
    EXPECT_EQ(document.text(), QStringLiteral("one\r\ntwo\r\nthree\r\nfour\r\n"));
    EXPECT_EQ(document.paragraphCount(), 5);
}

TEST(PlainTextTest, EncodesUtf8WithoutMarkNulOrPictures)
{
    const QByteArray bytes =
        PlainText::encode(QString::fromUtf16(u"caf\u00E9\r\n\uFFFCx\U0001F600"));
    EXPECT_EQ(bytes, QByteArray("caf\xC3\xA9\r\nx\xF0\x9F\x98\x80"));
    // Saving then loading gives back the text, a last byte that is not NUL included.
    EXPECT_EQ(PlainText::decode(PlainText::encode(QStringLiteral("a\r\nb"))),
              QStringLiteral("a\r\nb"));
    EXPECT_EQ(PlainText::encode(QString()), QByteArray());
    // Half a surrogate pair is written as U+FFFD, not as a question mark.
    EXPECT_EQ(PlainText::encode(QString(QChar(0xDE00)) + "a" + QChar(0xD83D)),
              QByteArray("\xEF\xBF\xBD"
                         "a"
                         "\xEF\xBF\xBD"));
}

// A file read and written back gives its own bytes; mixed line ends all become the first one.
TEST(PlainTextTest, WritesTheEncodingAndLineEndsItRead)
{
    using Encoding = TextFileFormat::Encoding;
    using LineEnd = TextFileFormat::LineEnd;
    const auto roundTrip = [](const QByteArray& bytes, TextFileFormat& format) {
        Document document;
        document.setPlainText(PlainText::decode(bytes, format));
        TextFileFormat written;
        return PlainText::encode(PlainText::shownText(document.extract({0, -1})), format, written);
    };
    const struct {
        QByteArray bytes;
        Encoding encoding;
        LineEnd lineEnd;
    } files[] = {
        {"one\ntwo\n", Encoding::Utf8, LineEnd::Lf},
        {"one\r\ntwo", Encoding::Utf8, LineEnd::CrLf},
        {"one\rtwo\r\r", Encoding::Utf8, LineEnd::Cr},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9\n",
         Encoding::Utf8WithMark, LineEnd::Lf},
        {QByteArray("\xFF\xFE"
                    "a\0\r\0\n\0",
                    8),
         Encoding::Utf16LittleEndian, LineEnd::CrLf},
        {QByteArray("\xFE\xFF\0a\0\n", 6), Encoding::Utf16BigEndian, LineEnd::Lf},
        {"caf\xE9 \x80\x81\r\n", Encoding::Windows1252, LineEnd::CrLf},
        {"no line end", Encoding::Utf8, LineEnd::Lf},
        {"", Encoding::Utf8, LineEnd::Lf},
    };
    for (const auto& file : files) {
        TextFileFormat format;
        EXPECT_EQ(roundTrip(file.bytes, format), file.bytes) << file.bytes.toHex().data();
        EXPECT_EQ(format.encoding, file.encoding) << file.bytes.toHex().data();
        EXPECT_EQ(format.lineEnd, file.lineEnd) << file.bytes.toHex().data();
    }
    TextFileFormat format;
    EXPECT_EQ(roundTrip("a\r\nb\nc\rd\n", format), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(roundTrip("a\nb\r\n", format), "a\nb\n");

    // Windows-1252 gives way to UTF-8 for a character it has no byte for, and says so.
    TextFileFormat written;
    EXPECT_EQ(PlainText::encode(QString::fromUtf8("\u20AC\u03A9\r\n"),
                                {Encoding::Windows1252, LineEnd::Cr}, written),
              QString::fromUtf8("\u20AC\u03A9\r").toUtf8());
    EXPECT_EQ(written, (TextFileFormat{Encoding::Utf8, LineEnd::Cr}));
    EXPECT_EQ(PlainText::encode(QString::fromUtf8("\u20AC?"), {Encoding::Windows1252}, written),
              "\x80?");
    EXPECT_EQ(written.encoding, Encoding::Windows1252);
}
