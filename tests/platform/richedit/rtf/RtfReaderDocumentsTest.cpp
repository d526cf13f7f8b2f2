// Sample documents in the styles of other word processors, malformed and truncated files, and
// the inputs the fuzzer once crashed on.
#include "platform/richedit/rtf/RtfReader.h"

#include "tests/platform/richedit/TextReference.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <random>

using namespace richedit;
using testsupport::textOf;

namespace {

QString dataPath(const QString& name)
{
    return QFileInfo(QStringLiteral(__FILE__))
        .dir()
        .filePath(QStringLiteral("../../../data/rtf/") + name);
}

QByteArray sample(const QString& name)
{
    QFile file(dataPath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

const FragmentRun* runWith(const DocumentFragment& fragment, const QString& needle)
{
    for (const auto& paragraph : fragment.paragraphs) {
        for (const auto& run : paragraph.runs) {
            if (run.text.contains(needle))
                return &run;
        }
    }
    ADD_FAILURE() << "no run holds " << needle.toStdString();
    static const FragmentRun none;
    return &none;
}

// What every fragment must satisfy, whatever the input.
void expectWellFormed(const DocumentFragment& fragment, RtfReadMode mode)
{
    if (mode == RtfReadMode::WholeDocument) {
        ASSERT_FALSE(fragment.paragraphs.empty());
        for (const auto& paragraph : fragment.paragraphs)
            EXPECT_TRUE(paragraph.hasMark);
    } else {
        for (size_t i = 0; i + 1 < fragment.paragraphs.size(); ++i)
            EXPECT_TRUE(fragment.paragraphs[i].hasMark);
    }
    for (const auto& paragraph : fragment.paragraphs) {
        EXPECT_EQ(paragraph.format.mask, AllParaFields);
        EXPECT_LE(paragraph.format.tabs.size(), size_t{MaxTabStops});
        EXPECT_EQ(paragraph.markFormat.mask, AllCharFields);
        for (const auto& run : paragraph.runs) {
            EXPECT_FALSE(run.text.isEmpty());
            EXPECT_EQ(run.format.mask, AllCharFields);
            EXPECT_GT(run.format.heightTw, 0);
            if (run.picture) {
                EXPECT_EQ(run.text, QString(QChar(ObjectReplacementCharacter)));
            }
            EXPECT_FALSE(run.text.contains(u'\r') || run.text.contains(u'\n'));
            for (qsizetype i = 0; i < run.text.size(); ++i) {
                const QChar c = run.text[i];
                if (c.isHighSurrogate()) {
                    ASSERT_TRUE(i + 1 < run.text.size() && run.text[++i].isLowSurrogate());
                } else {
                    ASSERT_FALSE(c.isLowSurrogate());
                }
            }
        }
    }
}

DocumentFragment readChecked(QByteArrayView rtf, RtfReadMode mode = RtfReadMode::WholeDocument)
{
    DocumentFragment fragment = readRtf(rtf, mode);
    expectWellFormed(fragment, mode);
    return fragment;
}

}  // namespace

TEST(RtfReaderDocuments, WesternPlainEditorStyle)
{
    const DocumentFragment doc = readChecked(sample("plain-editor-1252.rtf"));
    EXPECT_EQ(textOf(doc), QString::fromUtf8("Café crème € 10 – bold italic under\r\n"
                                             "Centred red\r\na\tb\tc\r\nmarked"));
    ASSERT_EQ(doc.paragraphs.size(), 4u);
    EXPECT_TRUE(runWith(doc, "bold")->format.is(Bold));
    EXPECT_TRUE(runWith(doc, "under")->format.is(Underline));
    EXPECT_EQ(runWith(doc, "Caf")->format.face, u"Calibri");
    EXPECT_EQ(runWith(doc, "Caf")->format.heightTw, 220);
    EXPECT_EQ(runWith(doc, "Caf")->format.lcid, 9u);
    const CharFormat red = runWith(doc, "Centred")->format;
    EXPECT_EQ(red.color, 0x0000FFu);
    EXPECT_EQ(red.face, u"Arial");
    EXPECT_EQ(red.heightTw, 280);
    EXPECT_EQ(doc.paragraphs[1].format.alignment, AlignCenter);
    const ParaFormat& indented = doc.paragraphs[2].format;
    EXPECT_EQ(indented.startIndent, 360);
    EXPECT_EQ(indented.offset, 360);
    EXPECT_EQ(indented.rightIndent, -980);
    EXPECT_EQ(indented.tabs, (std::vector<int32_t>{1440, 2880}));
    EXPECT_EQ(doc.paragraphs[0].format.lineSpacingRule, 5);
    EXPECT_EQ(doc.paragraphs[0].format.lineSpacing, 23);
    EXPECT_EQ(runWith(doc, "marked")->format.backColor, 0x0000FFu);
    EXPECT_EQ(doc.paragraphs[3].markFormat.lcid, 1033u);  // the end mark's format
    EXPECT_TRUE(doc.paragraphs[3].markFormat.is(AutoColorEffect));
}

TEST(RtfReaderDocuments, CodePages)
{
    const DocumentFragment cyrillic = readChecked(sample("full-processor-cyrillic-1251.rtf"));
    EXPECT_EQ(textOf(cyrillic), QString::fromUtf8("Привет, мир!\r\nCafé\r\nЯ я"));
    EXPECT_EQ(runWith(cyrillic, "Привет")->format.face, u"Times New Roman");
    EXPECT_EQ(runWith(cyrillic, "Привет")->format.charset, 204);
    EXPECT_EQ(runWith(cyrillic, "Привет")->format.lcid, 1049u);

    const DocumentFragment japanese = readChecked(sample("full-processor-japanese-932.rtf"));
    EXPECT_EQ(textOf(japanese), QString::fromUtf8("日本語のテキスト\r\nテスト 日本\r\nASCII only"));
    EXPECT_EQ(runWith(japanese, "日本語")->format.face, QString::fromUtf8("ＭＳ 明朝"));
    EXPECT_EQ(runWith(japanese, "日本語")->format.heightTw, 210);

    EXPECT_EQ(textOf(readChecked(sample("full-processor-unicode.rtf"))),
              QString::fromUtf8("Привет 😀 €中文 αd αab"));
}

TEST(RtfReaderDocuments, ListsInBothForms)
{
    const DocumentFragment modern = readChecked(sample("full-processor-lists.rtf"));
    ASSERT_EQ(textOf(modern), u"First bullet\r\nSub letter\r\nFive\r\nSix\r\nRoman\r\nPlain");
    const auto& m = modern.paragraphs;
    EXPECT_EQ(m[0].format.numbering, Bullet);
    EXPECT_EQ(m[0].format.startIndent, 360);
    EXPECT_EQ(m[0].format.offset, 360);
    EXPECT_EQ(m[1].format.numbering, LowerLetter);
    EXPECT_EQ(m[1].format.numberingStart, 3);
    EXPECT_EQ(m[1].format.numberingStyle, 0);
    EXPECT_EQ(m[2].format.numbering, Arabic);
    EXPECT_EQ(m[2].format.numberingStart, 5);
    EXPECT_EQ(m[2].format.numberingStyle, 0x200);
    EXPECT_EQ(m[3].format.numbering, Arabic);
    EXPECT_EQ(m[4].format.numbering, LowerRoman);
    EXPECT_EQ(m[5].format.numbering, NoNumbering);

    const DocumentFragment older = readChecked(sample("plain-editor-pn-lists.rtf"));
    ASSERT_EQ(textOf(older),
              u"Bullet one\r\nBullet two\r\nNumber one\r\nLetter C\r\n"
              u"Roman four\r\ncontinued\r\nafter");
    const auto& o = older.paragraphs;
    EXPECT_EQ(o[0].format.numbering, Bullet);
    EXPECT_EQ(o[1].format.numbering, Bullet);
    EXPECT_EQ(o[2].format.numbering, Arabic);
    EXPECT_EQ(o[2].format.numberingStyle, 0x200);
    EXPECT_EQ(o[3].format.numbering, UpperLetter);
    EXPECT_EQ(o[3].format.numberingStart, 3);
    EXPECT_EQ(o[3].format.numberingStyle, 0);
    EXPECT_EQ(o[4].format.numbering, LowerRoman);
    EXPECT_EQ(o[4].format.numberingStyle, 0x100);
    EXPECT_EQ(o[5].format.numbering, NoNumbering);
    EXPECT_EQ(o[6].format.numbering, NoNumbering);
}

TEST(RtfReaderDocuments, FieldsObjectsShapesAndNotes)
{
    const DocumentFragment doc = readChecked(sample("full-processor-fields.rtf"));
    EXPECT_EQ(textOf(doc),
              u"See the site now.\r\nPage 7 of 12.\r\nChart: [chart] end.\r\n"
              u"Shape: box done.\r\nbody");
    const CharFormat link = runWith(doc, "the site")->format;
    EXPECT_TRUE(link.is(Underline));
    EXPECT_EQ(link.color, 0xFF0000u);
    EXPECT_FALSE(link.is(Link));  // only locale 357 makes a link
}

TEST(RtfReaderDocuments, PicturesOfEveryKind)
{
    const DocumentFragment doc = readChecked(sample("pictures.rtf"));
    EXPECT_EQ(textOf(doc), QString::fromUtf16(u"png:\xFFFC\r\njpeg:\xFFFC\r\ndib:\xFFFC\r\n"
                                              u"wmf:\xFFFC"
                                              u"emf:\xFFFC"
                                              u"bad:\xFFFC"));
    std::vector<const Picture*> pictures;
    for (const auto& paragraph : doc.paragraphs) {
        for (const auto& run : paragraph.runs) {
            if (run.picture)
                pictures.push_back(run.picture.get());
        }
    }
    ASSERT_EQ(pictures.size(), 6u);
    const Picture& png = *pictures[0];
    EXPECT_EQ(png.kind, PictureKind::Png);
    EXPECT_EQ(QImage::fromData(png.encoded).size(), QSize(3, 2));
    EXPECT_EQ(png.goalWidthTw, 450);
    EXPECT_EQ(png.goalHeightTw, 1200);
    const Picture& jpeg = *pictures[1];
    EXPECT_EQ(jpeg.kind, PictureKind::Jpeg);
    EXPECT_EQ(QImage::fromData(jpeg.encoded).size(), QSize(4, 3));
    EXPECT_EQ(jpeg.goalWidthTw, 60);
    EXPECT_EQ(jpeg.goalHeightTw, 45);
    EXPECT_EQ(pictures[2]->kind, PictureKind::Dib);
    EXPECT_EQ(pictures[2]->encoded.size(), 56);
    EXPECT_EQ(pictures[2]->goalWidthTw, 30);
    EXPECT_EQ(pictures[3]->kind, PictureKind::Metafile);
    EXPECT_EQ(pictures[3]->goalWidthTw, 1440);
    EXPECT_EQ(pictures[3]->goalHeightTw, 720);
    EXPECT_EQ(pictures[4]->kind, PictureKind::EnhancedMetafile);
    EXPECT_EQ(pictures[4]->goalWidthTw, 144);
    EXPECT_EQ(pictures[4]->goalHeightTw, 144);
    EXPECT_EQ(pictures[4]->encoded, QByteArray::fromHex("010000006c0000"));
    EXPECT_EQ(pictures[5]->kind, PictureKind::Png);
    EXPECT_EQ(pictures[5]->encoded, QByteArray::fromHex("89504e470d0a1a0a10"));
}

TEST(RtfReaderDocuments, TablesFlattenWithoutLosingCellText)
{
    const DocumentFragment doc = readChecked(sample("full-processor-table.rtf"));
    EXPECT_EQ(textOf(doc), QString::fromUtf16(u"Before\r\nName\tQty\tPrice\r\n"
                                              u"Apples\x000Bred and green\t3\t\r\n"
                                              u"Outer in1\tin2\x000B"
                                              u"after\tlast\r\nAfter"));
    ASSERT_EQ(doc.paragraphs.size(), 5u);
    EXPECT_EQ(doc.paragraphs[1].format.alignment, AlignLeft);
    EXPECT_EQ(doc.paragraphs[2].format.alignment, AlignRight);
}

TEST(RtfReaderDocuments, DeepNestingKeepsReading)
{
    const DocumentFragment doc = readChecked(sample("nested-groups.rtf"));
    EXPECT_EQ(textOf(doc), u"deep xyz shallow");
    EXPECT_TRUE(runWith(doc, "deep")->format.is(Bold));
    EXPECT_TRUE(runWith(doc, "x")->format.is(Italic));
    EXPECT_FALSE(runWith(doc, "y")->format.is(Bold));
    EXPECT_FALSE(runWith(doc, "shallow")->format.is(Bold | Italic));

    // Far deeper than the limit, and unbalanced: no stack is exhausted.
    QByteArray rtf = "{\\rtf1 ";
    rtf += QByteArray(200000, '{') + "\\b x";
    EXPECT_EQ(textOf(readChecked(rtf)), u"x");
    EXPECT_EQ(textOf(readChecked("{\\rtf1 a" + QByteArray(100000, '}') + "b")), u"a");
    EXPECT_EQ(textOf(readChecked("{\\rtf1 " + QByteArray(50000, '\\') + "'")).size(), 25001);
    QByteArray escapes = "{\\rtf1 ";
    for (int i = 0; i < 50000; ++i)
        escapes += "\\'";
    EXPECT_EQ(textOf(readChecked(escapes + "x}")), u"x");
}

TEST(RtfReaderDocuments, MalformedAndTruncatedFiles)
{
    const DocumentFragment truncated = readChecked(sample("truncated.rtf"));
    EXPECT_EQ(textOf(truncated),
              QString::fromUtf16(u"Complete line\r\nBold text then the file ends \xFFFC"));
    EXPECT_TRUE(runWith(truncated, "Bold")->format.is(Bold));

    const DocumentFragment malformed = readChecked(sample("malformed.rtf"));
    EXPECT_EQ(textOf(malformed),
              QString::fromUtf16(u"Text with and  and zz bad hex, small huge \x0004 one digit\\ "
                                 u"{braces}"));
    EXPECT_EQ(runWith(malformed, "small")->format.heightTw, 240);
    EXPECT_EQ(runWith(malformed, "huge")->format.heightTw, 32760);
}

TEST(RtfReaderDocuments, EveryPrefixAndRandomDamageReadsCleanly)
{
    std::mt19937 random(20240611);
    for (const QString& name : QDir(dataPath({})).entryList({QStringLiteral("*.rtf")})) {
        const QByteArray data = sample(name);
        for (qsizetype length = 0; length <= data.size(); length += 7) {
            readChecked(data.first(length), RtfReadMode::WholeDocument);
            readChecked(data.first(length), RtfReadMode::Insert);
        }
        for (int round = 0; round < 200; ++round) {
            QByteArray damaged = data;
            for (int flips = 0; flips < 4 && !damaged.isEmpty(); ++flips) {
                const auto at = static_cast<qsizetype>(random() % damaged.size());
                static const char pieces[] = "{}\\'*0123456789-abinucpardlsx ;\xff\x80";
                damaged[at] = pieces[random() % (sizeof pieces - 1)];
            }
            readChecked(damaged, round % 2 ? RtfReadMode::Insert : RtfReadMode::WholeDocument);
        }
    }
}

TEST(RtfReaderDocuments, FuzzerFindingsStayFixed)
{
    const QDir crashers(dataPath(QStringLiteral("crashers")));
    const QStringList names = crashers.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(crashers.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        readChecked(data, RtfReadMode::WholeDocument);
        readChecked(data, RtfReadMode::Insert);
    }
}
