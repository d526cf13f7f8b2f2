// Documents in the shapes other writers give them (tests/data/rtf/corpus-*.rtf, made by
// tools/make-rtf-corpus.py): the text and the formats the reader must give for each.
#include "platform/richedit/model/PlainText.h"
#include "platform/richedit/rtf/RtfReader.h"

#include "tests/platform/richedit/TextReference.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

using namespace richedit;
using testsupport::textOf;

namespace {

QByteArray corpus(const char* name)
{
    const QString path = QFileInfo(QStringLiteral(__FILE__))
                             .dir()
                             .filePath(QStringLiteral("../../../data/rtf/corpus-") +
                                       QLatin1String(name) + QStringLiteral(".rtf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

DocumentFragment read(const char* name)
{
    return readRtf(corpus(name), RtfReadMode::WholeDocument);
}

const FragmentRun& runWith(const DocumentFragment& fragment, const QString& needle)
{
    for (const auto& paragraph : fragment.paragraphs) {
        for (const auto& run : paragraph.runs) {
            if (run.text.contains(needle))
                return run;
        }
    }
    ADD_FAILURE() << "no run holds " << needle.toStdString();
    static const FragmentRun none;
    return none;
}

std::vector<const Picture*> picturesOf(const DocumentFragment& fragment)
{
    std::vector<const Picture*> pictures;
    for (const auto& paragraph : fragment.paragraphs) {
        for (const auto& run : paragraph.runs) {
            if (run.picture)
                pictures.push_back(run.picture.get());
        }
    }
    return pictures;
}

// UTF-8, so that a failure shows the text.
std::string paragraphText(const DocumentFragment& fragment, size_t index)
{
    QString text;
    if (index < fragment.paragraphs.size()) {
        for (const auto& run : fragment.paragraphs[index].runs)
            text += run.text;
    }
    return text.toStdString();
}

std::string plain(const DocumentFragment& fragment)
{
    return textOf(fragment).toStdString();
}

}  // namespace

TEST(RtfReaderCorpus, CodePagesOfFontsAndDocuments)
{
    const DocumentFragment doc = read("code-pages");
    ASSERT_EQ(doc.paragraphs.size(), 10u);
    EXPECT_EQ(paragraphText(doc, 0), std::string("Western été €"));
    EXPECT_EQ(paragraphText(doc, 1), std::string("Zażółć gęślą"));
    EXPECT_EQ(paragraphText(doc, 2), std::string("Ελλάδα"));
    EXPECT_EQ(paragraphText(doc, 3), std::string("Москва"));
    EXPECT_EQ(paragraphText(doc, 4), std::string("日本語テスト"));
    // Lead bytes escaped, trail bytes as plain characters.
    EXPECT_EQ(paragraphText(doc, 5), std::string("テスト表示"));
    EXPECT_EQ(paragraphText(doc, 6), std::string("中文字"));
    // Charset 1 means the document's code page; a font's \cpg names its own.
    EXPECT_EQ(paragraphText(doc, 7), std::string("éДа"));
    // A lead byte cut off by a font change does not swallow the next font's character.
    EXPECT_TRUE(paragraphText(doc, 8).ends_with('x'));
    // A trail byte written as an escaped backslash or brace still pairs with its lead byte.
    EXPECT_EQ(paragraphText(doc, 9), std::string("表ソボマ ok"));
    EXPECT_EQ(runWith(doc, "Zaż").format.charset, 238);
    EXPECT_EQ(runWith(doc, "Zaż").format.face, u"Times New Roman CE");
    EXPECT_EQ(runWith(doc, "日本語").format.charset, 128);
    EXPECT_EQ(runWith(doc, "Western").format.heightTw, 200);

    EXPECT_EQ(plain(read("ansicpg-1251")), std::string("Привет № 5"));
    EXPECT_EQ(plain(read("ansicpg-932")), std::string("表示 ｱｲ ok"));
}

TEST(RtfReaderCorpus, UnicodeEscapesAndTheirFallbacks)
{
    const DocumentFragment doc = read("unicode");
    EXPECT_EQ(plain(doc), std::string("uc1: €α\r\n"
                                      "uc0: Яяx\r\n"
                                      "uc2: 日本y\r\n"
                                      "negative: \uF0B7😀\r\n"
                                      "control word fallback: —z\r\n"
                                      "group ends fallback: ΩB\r\n"
                                      "restore: ΔΔD"));
}

TEST(RtfReaderCorpus, DestinationsKeepTheirTextOutOfTheBody)
{
    const DocumentFragment doc = read("destinations");
    EXPECT_EQ(plain(doc), "Heading\r\nBody visible\r\nHtml\r\nshown\r\npair:té€end");
    EXPECT_TRUE(runWith(doc, "Heading").format.is(Bold));
    EXPECT_EQ(runWith(doc, "Heading").format.heightTw, 320);
    EXPECT_EQ(runWith(doc, "Heading").format.face, u"Arial");
    EXPECT_FALSE(runWith(doc, "visible").format.is(Bold));
    // Of a code-page and Unicode pair only the Unicode text is read, in its own format.
    EXPECT_TRUE(runWith(doc, QString::fromUtf8("té€")).format.is(Bold));

    const DocumentFragment notes = read("notes");
    EXPECT_EQ(plain(notes), "Body one continues\r\nEndnote here");
}

TEST(RtfReaderCorpus, PicturesInEveryWrapping)
{
    const DocumentFragment doc = read("pictures");
    EXPECT_EQ(plain(doc), QString::fromUtf16(u"shape:\xFFFC"
                                             u"end\r\nbinary:\xFFFC"
                                             u"after\r\nbraces:\xFFFCok\r\n\xFFFC")
                              .toStdString());
    const auto pictures = picturesOf(doc);
    ASSERT_EQ(pictures.size(), 4u);
    // The shape's picture, not its fallback metafile.
    EXPECT_EQ(pictures[0]->kind, PictureKind::Png);
    EXPECT_EQ(QImage::fromData(pictures[0]->encoded).size(), QSize(3, 2));
    EXPECT_EQ(pictures[0]->goalWidthTw, 225);
    EXPECT_EQ(pictures[0]->goalHeightTw, 300);
    EXPECT_EQ(pictures[1]->kind, PictureKind::Png);
    EXPECT_EQ(QImage::fromData(pictures[1]->encoded).size(), QSize(3, 2));
    EXPECT_EQ(pictures[1]->goalWidthTw, 300);
    EXPECT_EQ(pictures[2]->kind, PictureKind::Jpeg);
    EXPECT_EQ(pictures[2]->encoded, QByteArray("{}\\\\{}"));
    EXPECT_EQ(pictures[3]->kind, PictureKind::Dib);
    EXPECT_EQ(pictures[3]->encoded.size(), 44);
}

TEST(RtfReaderCorpus, FieldsGiveTheirResults)
{
    const DocumentFragment doc = read("fields");
    EXPECT_EQ(plain(doc),
              "Visit example today\r\ninner link\r\ndate  none\r\n3 of 9\r\nouter one done");
    EXPECT_TRUE(runWith(doc, "example").format.is(Underline));
    EXPECT_EQ(runWith(doc, "example").format.color, 0xFF0000u);
    EXPECT_FALSE(runWith(doc, "today").format.is(Underline));
}

TEST(RtfReaderCorpus, TablesAndListsFlatten)
{
    const DocumentFragment tables = read("tables");
    EXPECT_EQ(plain(tables), QString::fromUtf16(u"Before\r\nA1\tB1\r\nA2\tB2\r\n"
                                                u"Outer\tn1\tn2\x000Btail\r\nAfter")
                                 .toStdString());
    ASSERT_EQ(tables.paragraphs.size(), 5u);
    EXPECT_EQ(tables.paragraphs[2].format.alignment, AlignRight);

    const DocumentFragment lists = read("lists");
    EXPECT_EQ(plain(lists), "Dot\r\nFour\r\nOld bullet\r\n7.\tMissing list\r\nPlain");
    ASSERT_EQ(lists.paragraphs.size(), 5u);
    EXPECT_EQ(lists.paragraphs[0].format.numbering, Bullet);
    EXPECT_EQ(lists.paragraphs[0].format.startIndent, 360);
    EXPECT_EQ(lists.paragraphs[1].format.numbering, Arabic);
    EXPECT_EQ(lists.paragraphs[1].format.numberingStart, 4);
    EXPECT_EQ(lists.paragraphs[2].format.numbering, Bullet);
    EXPECT_EQ(lists.paragraphs[3].format.numbering, NoNumbering);
    EXPECT_EQ(lists.paragraphs[4].format.numbering, NoNumbering);
}

TEST(RtfReaderCorpus, BreaksSymbolsAndLineEnds)
{
    const DocumentFragment doc = read("breaks");
    EXPECT_EQ(plain(doc), QString::fromUtf16(u"a\x000B"
                                             u"b\tc\r\nbefore page\r\nafter page\r\n"
                                             u"first section\r\nsecond section\r\n"
                                             u"sp\x00A0"
                                             u"ace\x00ADhy\x2011phen\x2014\x2013\x2022"
                                             u"\x2018\x2019\x201C\x201D\r\n"
                                             u"Word splithere\r\nnext\r\nline\r\n"
                                             u"{braces} \\back\r\n"
                                             u"a\x200D"
                                             u"b\x200C"
                                             u"c\x200B"
                                             u"d\x200E"
                                             u"e\x200F"
                                             u"f")
                              .toStdString());
}

// Every character of hidden text is kept (it has positions), and exactly the hidden part is
// marked: a reader of the document sees only the rest.
TEST(RtfReaderCorpus, HiddenTextIsKeptAndMarked)
{
    DocumentFragment doc = read("hidden");
    EXPECT_EQ(plain(doc), QString::fromUtf16(u"Shown secret text\r\n"
                                             u"A whole hidden paragraph\r\n"
                                             u"See Topictopic_id and Popup>note.\r\n"
                                             u"abcdefg\r\n"
                                             u"A1x\t\x20AC"
                                             u"B1\r\n"
                                             u"3 pages\r\n"
                                             u"web end\r\n"
                                             u"last")
                              .toStdString());
    // Two cells stay apart when the second one starts with hidden text.
    EXPECT_FALSE(runWith(doc, "\t").format.is(Hidden));
    doc.paragraphs.back().hasMark = false;  // the end mark is no part of the text
    EXPECT_EQ(PlainText::shownText(doc).toStdString(),
              "Shown text\r\nSee Topic and Popup.\r\naceg\r\nA1\tB1\r\n3 pages\r\nweb end\r\n"
              "last");
    ASSERT_EQ(doc.paragraphs.size(), 8u);
    EXPECT_FALSE(doc.paragraphs[0].markFormat.is(Hidden));
    EXPECT_TRUE(doc.paragraphs[1].markFormat.is(Hidden));
    EXPECT_FALSE(doc.paragraphs[2].markFormat.is(Hidden));
    EXPECT_TRUE(runWith(doc, "topic_id").format.is(Hidden));
    EXPECT_TRUE(runWith(doc, "Topic").format.is(Underline));
    EXPECT_FALSE(runWith(doc, "Topic").format.is(Hidden));
    // \plain ends it; a group keeps it to itself, with the other words of the group.
    const std::vector<FragmentRun>& letters = doc.paragraphs[3].runs;
    QString marks;
    for (const FragmentRun& run : letters)
        marks += run.format.is(Hidden) ? run.text.toUpper() : run.text;
    EXPECT_EQ(marks.toStdString(), "aBcDeFg");
    ASSERT_EQ(letters.size(), 7u);
    EXPECT_TRUE(letters[5].format.is(Bold));
    EXPECT_FALSE(letters[6].format.is(Bold));
}

TEST(RtfReaderCorpus, DamagedDocumentsKeepTheirText)
{
    const DocumentFragment noHeader = read("no-rtf1");
    EXPECT_EQ(plain(noHeader), "Bold plain");
    EXPECT_TRUE(runWith(noHeader, "Bold").format.is(Bold));
    EXPECT_FALSE(runWith(noHeader, "plain").format.is(Bold));

    const DocumentFragment unbalanced = read("unbalanced");
    EXPECT_EQ(plain(unbalanced), "one two three\r\nfour five");
    EXPECT_TRUE(runWith(unbalanced, "four").format.is(Bold | Italic));
    EXPECT_FALSE(runWith(unbalanced, "five").format.is(Bold));

    // Escaped line ends in the label of a paragraph whose list is missing are dropped, as
    // they are in the body.
    EXPECT_EQ(plain(readRtf("{\\rtf1{\\*\\listtable}\\pard\\ls3{\\listtext\\'0d\\'0a}x\\par"
                            "\\pard\\ls3{\\listtext 2.\\'0a\\tab}y\\par}",
                            RtfReadMode::WholeDocument)),
              "x\r\n2.\ty");

    const DocumentFragment huge = read("huge-numbers");
    const QString text = textOf(huge);
    EXPECT_TRUE(text.startsWith(u"bignegzero")) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u"xcolfontend")) << text.toStdString();
    EXPECT_EQ(runWith(huge, "big").format.heightTw, 32760);
    EXPECT_GT(runWith(huge, "neg").format.heightTw, 0);
    EXPECT_GT(runWith(huge, "zero").format.heightTw, 0);
    ASSERT_FALSE(huge.paragraphs.empty());
    EXPECT_EQ(huge.paragraphs[0].format.numbering, NoNumbering);
}
