#include "platform/host/Clipboard.h"
#include "platform/host/HtmlText.h"

#include "tests/support/FakeClipboard.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace {

using host::Clipboard;

const QByteArray kRtf = QByteArrayLiteral(
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard\\b Bold \\'e9t\\'e9\\b0\\par }");

QImage sampleImage()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30));
    image.setPixelColor(2, 1, QColor(200, 100, 50, 128));
    return image;
}

bool samePixels(const QImage& left, const QImage& right)
{
    return left.convertToFormat(QImage::Format_ARGB32) ==
           right.convertToFormat(QImage::Format_ARGB32);
}

// Puts raw MIME data on the clipboard the way another program would.
void putForeign(const QString& mime, const QByteArray& bytes)
{
    auto* data = new QMimeData;
    data->setData(mime, bytes);
    host::clipboardService().get().setMimeData(data);
}

// These run against the process's real clipboard (offscreen, in memory).
class ClipboardReal : public testing::Test {
protected:
    void SetUp() override { Clipboard::Clear(); }
    void TearDown() override { Clipboard::Clear(); }
};

TEST_F(ClipboardReal, TextRoundTripsAndIsReportedAsPastable)
{
    EXPECT_FALSE(Clipboard::hasPastable());
    EXPECT_FALSE(Clipboard::GetFormat(host::vbCFText));
    EXPECT_EQ(Clipboard::GetText(), QString());

    const QString text = QStringLiteral("Caf\u00e9 \u4e2d\u6587 \U0001F600\r\nline two");
    Clipboard::SetText(text);
    EXPECT_EQ(Clipboard::GetText(), text);
    EXPECT_EQ(Clipboard::GetText(host::vbCFText), text);
    EXPECT_TRUE(Clipboard::GetFormat(host::vbCFText));
    EXPECT_FALSE(Clipboard::GetFormat(host::vbCFRTF));
    EXPECT_FALSE(Clipboard::GetFormat(host::vbCFBitmap));
    EXPECT_TRUE(Clipboard::hasPastable());

    Clipboard::Clear();
    EXPECT_FALSE(Clipboard::hasText());
    EXPECT_FALSE(Clipboard::hasPastable());
}

// What browsers offer: HTML alone, here as UTF-16 with a mark, under the real clipboard.
TEST_F(ClipboardReal, HtmlAloneIsPastableAndDecoded)
{
    const QString markup = QStringLiteral("<b>Caf\u00e9</b> \U0001F600");
    QByteArray utf16("\xFF\xFE", 2);
    for (const QChar unit : markup)
        utf16.append(char(unit.unicode() & 0xFF)).append(char(unit.unicode() >> 8));
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/html"), utf16);
    QGuiApplication::clipboard()->setMimeData(data);
    EXPECT_FALSE(Clipboard::hasText());
    EXPECT_TRUE(Clipboard::hasHtml());
    EXPECT_TRUE(Clipboard::hasPastable());
    EXPECT_EQ(Clipboard::html(), markup);
    EXPECT_EQ(host::decodeHtmlBytes(markup.toUtf8()), markup);
}

TEST(HtmlText, GivesParagraphsAndDecodedTextWithoutMarkup)
{
    using host::textOfHtml;
    // Blocks and <br> end paragraphs, blanks collapse, nothing owed at either end.
    EXPECT_EQ(textOfHtml(QStringLiteral("<html><head><title>T</title><style>p{x:1}</style>"
                                        "</head><body>\n <p>One\n  two</p><p>three<br>four"
                                        "<br><br>five</p>\n</body></html>")),
              QStringLiteral("One two\r\nthree\r\nfour\r\n\r\nfive"));
    // Named and numeric references, unknown names and bare ampersands as written, a number that
    // is no character replaced.
    EXPECT_EQ(textOfHtml(QStringLiteral("a&amp;b &lt;i&gt; &eacute;&nbsp;&euro; &#233;&#x1F600; "
                                        "&bogus; AT&T &#0; &#xD800;")),
              QStringLiteral("a&b <i> \u00e9\u00a0\u20ac \u00e9\U0001F600 &bogus; AT&T "
                             "\uFFFD \uFFFD"));
    // Scripts, comments and declarations go; quoted '>' inside attributes does not end a tag;
    // a '<' that starts no tag is text.
    EXPECT_EQ(textOfHtml(QStringLiteral("<!DOCTYPE html><!--StartFragment--><span title=\"a>b\">"
                                        "x</span><script>if (a<b) alert('</p>')</script> 1 < 2"
                                        "<img src=x.png/>!")),
              QStringLiteral("x 1 < 2!"));
    // Table cells by tabs, rows and list items as paragraphs, <pre> keeps its lines and blanks.
    EXPECT_EQ(textOfHtml(QStringLiteral("<table><tr><td>a</td><td>b</td></tr><tr><th>c</th>"
                                        "<td>d</td></tr></table><ul><li>e</li><li>f</li></ul>"
                                        "<pre>g  h\n\ni</pre>")),
              QStringLiteral("a\tb\r\nc\td\r\ne\r\nf\r\ng  h\r\n\r\ni"));
}

TEST(HtmlText, UnclosedElementsEndWithTheElementHoldingThemOrTheDocument)
{
    using host::textOfHtml;
    EXPECT_EQ(textOfHtml(QStringLiteral("<p>unclosed <script>x")), QStringLiteral("unclosed"));
    EXPECT_EQ(textOfHtml(QStringLiteral("<div>a<script>x</div>b<p><style>y</P>c")),
              QStringLiteral("a\r\nb\r\nc"));
    // A raw-text element ends at its own name only, and an end tag of nothing open is text to it.
    EXPECT_EQ(textOfHtml(QStringLiteral("<script>a</scripts>b</p>c</SCRIPT >d")),
              QStringLiteral("d"));
    // A head without its end tag ends where the body begins, or at the first tag of the body.
    EXPECT_EQ(textOfHtml(QStringLiteral("<html><head><title>T</title><meta charset=utf-8>"
                                        "<body><p>one</p></body></html>")),
              QStringLiteral("one"));
    EXPECT_EQ(textOfHtml(QStringLiteral("<head><style>s</style><link rel=x><p>two")),
              QStringLiteral("two"));
    // Templates hide markup, nested ones included, up to their own end or their parent's.
    EXPECT_EQ(textOfHtml(QStringLiteral("<template><p>x<template>y</template>z</template>after")),
              QStringLiteral("after"));
    EXPECT_EQ(textOfHtml(QStringLiteral("<div><template><p>x</div>shown")),
              QStringLiteral("shown"));
}

TEST(HtmlText, UnclosedElementsCostNoMoreThanClosedOnes)
{
    // Searching for each unclosed element's end from where it starts took seconds here.
    for (const QString& tag : {QStringLiteral("<script>"), QStringLiteral("<style>x"),
                               QStringLiteral("<title>"), QStringLiteral("<head>"),
                               QStringLiteral("<template>"), QStringLiteral("<div><script>x")}) {
        const QString html = tag.repeated(40000);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(host::textOfHtml(html), QString()) << tag.toStdString();
        EXPECT_LT(timer.elapsed(), 1500) << tag.toStdString();
    }
}

TEST_F(ClipboardReal, RtfGoesUnderBothTypesAndIsReadFromEither)
{
    Clipboard::setRtf(kRtf);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(data->data(QStringLiteral("text/rtf")), kRtf);
    EXPECT_EQ(data->data(QStringLiteral("application/rtf")), kRtf);
    EXPECT_TRUE(Clipboard::GetFormat(host::vbCFRTF));
    EXPECT_TRUE(Clipboard::GetFormat(0xBF01));  // the same format as a 16-bit pattern
    EXPECT_TRUE(Clipboard::hasPastable());
    EXPECT_FALSE(Clipboard::hasText());

    putForeign(QStringLiteral("application/rtf"), kRtf);
    EXPECT_TRUE(Clipboard::hasRichText());
    EXPECT_EQ(Clipboard::rtf(), kRtf);
    putForeign(QStringLiteral("text/rtf"), kRtf);
    EXPECT_EQ(Clipboard::rtf(), kRtf);
    // As text the RTF keeps one character per byte, so it goes back unchanged.
    const QString asText = Clipboard::GetText(host::vbCFRTF);
    EXPECT_EQ(asText.size(), kRtf.size());
    Clipboard::SetText(asText, host::vbCFRTF);
    EXPECT_EQ(Clipboard::rtf(), kRtf);

    // A character beyond one byte is written as an RTF Unicode escape.
    Clipboard::SetText(QStringLiteral("{\\rtf1 \u4e2d\U0001F600}"), host::vbCFRTF);
    EXPECT_EQ(Clipboard::rtf(), QByteArrayLiteral("{\\rtf1 \\u20013?\\u-10179?\\u-8704?}"));
}

TEST_F(ClipboardReal, SettersAddTheirFormatToWhatIsThere)
{
    Clipboard::SetText(QStringLiteral("plain"));
    Clipboard::setRtf(kRtf);
    Clipboard::SetData(sampleImage());
    EXPECT_EQ(Clipboard::GetText(), QStringLiteral("plain"));
    EXPECT_EQ(Clipboard::rtf(), kRtf);
    EXPECT_TRUE(samePixels(Clipboard::GetData(), sampleImage()));

    Clipboard::SetText(QStringLiteral("replaced"));
    EXPECT_EQ(Clipboard::GetText(), QStringLiteral("replaced"));
    EXPECT_EQ(Clipboard::rtf(), kRtf);

    // A null picture or a format that is no picture changes nothing.
    Clipboard::Clear();
    Clipboard::SetData(QImage());
    Clipboard::SetData(sampleImage(), host::vbCFText);
    EXPECT_FALSE(Clipboard::hasPastable());
}

TEST_F(ClipboardReal, PicturesRoundTripAndAreFoundAsBitmapOrDib)
{
    Clipboard::SetData(sampleImage());
    EXPECT_TRUE(Clipboard::GetFormat(host::vbCFBitmap));
    EXPECT_TRUE(Clipboard::GetFormat(host::vbCFDIB));
    EXPECT_FALSE(Clipboard::GetFormat(host::vbCFEMetafile));
    EXPECT_FALSE(Clipboard::GetFormat(host::vbCFMetafile));
    EXPECT_TRUE(Clipboard::hasPastable());
    EXPECT_TRUE(samePixels(Clipboard::GetData(host::vbCFDIB), sampleImage()));
    EXPECT_TRUE(Clipboard::GetData(host::vbCFMetafile).isNull());

    // Another program's PNG bytes count as a picture too.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(sampleImage().save(&buffer, "PNG"));
    putForeign(QStringLiteral("image/png"), png);
    EXPECT_TRUE(Clipboard::GetFormat(host::vbCFBitmap));
    EXPECT_TRUE(samePixels(Clipboard::GetData(), sampleImage()));

    putForeign(QStringLiteral("image/png"), QByteArrayLiteral("not a png"));
    EXPECT_TRUE(Clipboard::GetData().isNull());
}

TEST_F(ClipboardReal, SnapshotPutsMixedContentsBackUnchanged)
{
    auto* mixed = new QMimeData;
    mixed->setText(QStringLiteral("kept text"));
    mixed->setData(QStringLiteral("text/rtf"), kRtf);
    mixed->setData(QStringLiteral("application/x-scrivet-test"), QByteArray("\0\1\2", 3));
    mixed->setImageData(sampleImage());
    host::clipboardService().get().setMimeData(mixed);

    const host::ClipboardSnapshot before = Clipboard::snapshot();
    Clipboard::Clear();
    Clipboard::SetData(QImage(5, 5, QImage::Format_RGB32));
    Clipboard::restore(before);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(Clipboard::GetText(), QStringLiteral("kept text"));
    EXPECT_EQ(Clipboard::rtf(), kRtf);
    EXPECT_EQ(data->data(QStringLiteral("application/x-scrivet-test")), QByteArray("\0\1\2", 3));
    EXPECT_TRUE(samePixels(Clipboard::GetData(), sampleImage()));
    EXPECT_EQ(Clipboard::snapshot().formats, before.formats);

    // An empty clipboard is put back empty.
    Clipboard::Clear();
    const host::ClipboardSnapshot empty = Clipboard::snapshot();
    EXPECT_TRUE(empty.isEmpty());
    Clipboard::SetText(QStringLiteral("temporary"));
    Clipboard::restore(empty);
    EXPECT_FALSE(Clipboard::hasPastable());
}

TEST_F(ClipboardReal, FileListsGiveTheirLocalFilesInOrder)
{
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a picture.png")),
                   QUrl(QStringLiteral("https://example.org/b.png")),
                   QUrl::fromLocalFile(QStringLiteral("/tmp/c.gif"))});
    host::clipboardService().get().setMimeData(data);
    EXPECT_TRUE(Clipboard::GetFormat(host::vbCFFiles));
    EXPECT_EQ(Clipboard::fileNames(),
              (QStringList{QStringLiteral("/tmp/a picture.png"), QStringLiteral("/tmp/c.gif")}));

    Clipboard::SetText(QStringLiteral("no files"));
    Clipboard::Clear();
    EXPECT_FALSE(Clipboard::GetFormat(host::vbCFFiles));
    EXPECT_TRUE(Clipboard::fileNames().isEmpty());
}

TEST(ClipboardFake, KeepsTheProcessClipboardOutOfTheTest)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("outside"));
    {
        testsupport::FakeClipboard fake;
        EXPECT_FALSE(Clipboard::hasPastable());
        Clipboard::SetText(QStringLiteral("inside"));
        Clipboard::setRtf(kRtf);
        EXPECT_EQ(Clipboard::GetText(), QStringLiteral("inside"));
        EXPECT_EQ(Clipboard::rtf(), kRtf);
        EXPECT_EQ(fake.writes(), 2);
    }
    EXPECT_EQ(Clipboard::GetText(), QStringLiteral("outside"));
    EXPECT_FALSE(Clipboard::hasRichText());
    Clipboard::Clear();
}

}  // namespace
