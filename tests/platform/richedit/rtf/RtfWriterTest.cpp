// The RTF writer's exact output for small fragments, and the shape rules every output keeps:
// 7-bit bytes, CR LF lines, one line per paragraph, no formatting words for plain text.
#include "platform/richedit/model/Document.h"
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/rtf/RtfWriter.h"

#include "tests/platform/picture/MetafileScenes.h"
#include "tests/support/RandomRichText.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QRegularExpression>
#include <array>

using namespace richedit;

namespace {

const QByteArray ArialHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n";

CharFormat plain()
{
    return defaultCharFormat(QStringLiteral("Arial"), 200);
}

CharFormat with(uint32_t effects)
{
    CharFormat format = plain();
    format.effects |= effects;
    return format;
}

CharFormat colored(uint32_t color)
{
    CharFormat format = plain();
    format.effects &= ~AutoColorEffect;
    format.color = color;
    return format;
}

CharFormat highlighted(uint32_t color)
{
    CharFormat format = plain();
    format.effects &= ~AutoBackColorEffect;
    format.backColor = color;
    return format;
}

CharFormat link()
{
    CharFormat format = with(Link);
    format.lcid = LinkLcid;
    return format;
}

FragmentRun run(const QString& text, const CharFormat& format = plain())
{
    return FragmentRun{text, format, nullptr};
}

FragmentParagraph paragraph(std::vector<FragmentRun> runs,
                            const ParaFormat& format = defaultParaFormat(),
                            const CharFormat& mark = plain())
{
    return FragmentParagraph{std::move(runs), format, mark, true};
}

FragmentParagraph text(const QString& text, const ParaFormat& format = defaultParaFormat())
{
    return paragraph(text.isEmpty() ? std::vector<FragmentRun>{} : std::vector{run(text)}, format);
}

QByteArray whole(std::vector<FragmentParagraph> paragraphs)
{
    return writeRtf(DocumentFragment{std::move(paragraphs)}, RtfWriteMode::WholeDocument);
}

// The output after the header lines.
QByteArray body(const QByteArray& rtf)
{
    const qsizetype start = rtf.indexOf("\\viewkind4");
    return start < 0 ? QByteArray() : rtf.mid(start);
}

// The first body line's paragraph and character words between "\pard" and the text.
QByteArray firstLine(const QByteArray& rtf)
{
    const QByteArray lines = body(rtf);
    return lines.left(lines.indexOf("\r\n"));
}

ParaFormat paraWith(void (*change)(ParaFormat&))
{
    ParaFormat format = defaultParaFormat();
    change(format);
    return format;
}

ParaFormat numbered(uint16_t kind, uint16_t start = 1, uint16_t style = 0x200)
{
    ParaFormat format = defaultParaFormat();
    format.numbering = kind;
    format.numberingStart = start;
    format.numberingStyle = style;
    return format;
}

QByteArray pngBytes(int width, int height)
{
    return testsupport::encodedImage(width, height, qRgb(255, 0, 0), "PNG");
}

FragmentRun pictureRun(PictureKind kind, const QByteArray& bytes, int width, int height)
{
    auto picture = std::make_shared<Picture>();
    picture->encoded = bytes;
    picture->kind = kind;
    picture->pixelWidth = width;
    picture->pixelHeight = height;
    picture->goalWidthTw = width * 15;
    picture->goalHeightTw = height * 15;
    return FragmentRun{QString(ObjectReplacementCharacter), plain(), picture};
}

}  // namespace

TEST(RtfWriterTest, PlainDocumentsHaveTheExactLineShape)
{
    EXPECT_EQ(whole({text(QStringLiteral("Hello world"))}),
              ArialHeader + "\\viewkind4\\uc1\\pard\\f0\\fs20 Hello world\r\n\\par }\r\n");
    // Empty paragraphs at the start and the end are bare "\par " lines.
    EXPECT_EQ(body(whole({text({}), text({}), text(QStringLiteral("a")), text({})})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\r\n\\par \r\n\\par a\r\n\\par \r\n\\par }\r\n");
    // A leading space after a control word gives two spaces.
    EXPECT_EQ(body(whole({text({}), text(QStringLiteral(" x"))})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\r\n\\par  x\r\n\\par }\r\n");
    // An empty fragment is an empty document in the default font.
    EXPECT_EQ(
        writeRtf({}, RtfWriteMode::WholeDocument),
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans "
        "Serif;}}\r\n\\viewkind4\\uc1\\pard\\f0\\fs16\r\n\\par }\r\n");
}

TEST(RtfWriterTest, CharacterWordsAreChangesSwitchedOffExplicitly)
{
    EXPECT_EQ(body(whole({paragraph({run("a"), run("b", with(Bold)), run("c")})})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 a\\b b\\b0 c\r\n\\par }\r\n");
    // Empty runs write nothing, not even their format.
    EXPECT_EQ(body(whole({paragraph({run({}, with(Italic)), run("a"), run({}, with(Bold))})})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 a\r\n\\par }\r\n");
    EXPECT_EQ(body(whole({paragraph({run("a", with(Italic | StrikeOut | Protected)), run("b")})})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\\i\\strike\\protect a\\i0\\strike0\\protect0 "
              "b\r\n\\par }\r\n");
    CharFormat raised = with(Superscript);
    raised.offsetTw = 60;
    CharFormat lowered = with(Subscript);
    lowered.offsetTw = -40;
    EXPECT_EQ(body(whole({paragraph({run("x", raised), run("y", lowered), run("z")})})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\\super\\up6 x\\sub\\dn4 y\\nosupersub\\up0 "
              "z\r\n\\par }\r\n");
    // Sizes in half-points, halves to even; a second face gets its own entry.
    CharFormat big = plain();
    big.heightTw = 165;
    big.face = QStringLiteral("Courier New");
    CharFormat bigger = big;
    bigger.heightTw = 175;
    const QByteArray rtf = whole({paragraph({run("a", big), run("b", bigger), run("c")})});
    EXPECT_TRUE(
        rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil"
                       "\\fcharset0 Courier New;}{\\f1\\fnil\\fcharset0 Arial;}}\r\n"));
    EXPECT_EQ(body(rtf), "\\viewkind4\\uc1\\pard\\f0\\fs16 a\\fs18 b\\f1\\fs20 c\r\n\\par }\r\n");
    EXPECT_EQ(rtf.count("\\plain"), 0);
}

TEST(RtfWriterTest, ColoursBringInTheColourTable)
{
    const QByteArray red = whole({paragraph({run("r", colored(0x0000FF)), run("k", colored(0))})});
    EXPECT_EQ(red, ArialHeader +
                       "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue0;}\r\n"
                       "\\viewkind4\\uc1\\pard\\f0\\fs20\\cf1 r\\cf2 k\\cf0\r\n\\par }\r\n");
    // A highlight shares the table; the same colour is one entry.
    const QByteArray marked =
        whole({paragraph({run("h", highlighted(0x00FFFF)), run("t", colored(0x00FFFF))})});
    EXPECT_EQ(
        body(marked),
        "\\viewkind4\\uc1\\pard\\f0\\fs20\\highlight1 h\\cf1\\highlight0 t\\cf0\r\n\\par }\r\n");
    EXPECT_TRUE(marked.contains("{\\colortbl ;\\red255\\green255\\blue0;}\r\n"));
}

TEST(RtfWriterTest, LinkRunsCarryTheirLocale)
{
    EXPECT_EQ(body(whole({paragraph({run("see "), run("www.example.com", link()), run(" now")})})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 see \\lang357 www.example.com\\lang1033  "
              "now\r\n\\par }\r\n");
    // A link that ends the document returns to 1033 before the closing line.
    EXPECT_EQ(body(whole({paragraph({run("www.a.com", link())})})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\\lang357 www.a.com\\lang1033\r\n\\par }\r\n");
}

TEST(RtfWriterTest, UnderlineIsEndedBeforeTheClosingLine)
{
    const CharFormat underlined = with(Underline);
    // The end mark's own underline is not written.
    EXPECT_EQ(body(whole({paragraph({run("u", underlined)}, defaultParaFormat(), underlined)})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\\ul u\\ulnone\r\n\\par }\r\n");
    // A mark's format goes at the end of the previous line, never on a line of its own.
    EXPECT_EQ(body(whole({paragraph({run("a")}, defaultParaFormat(), underlined), text("b")})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 a\\ul\r\n\\par \\ulnone b\r\n\\par }\r\n");
    FragmentParagraph open = paragraph({run("u", underlined)}, defaultParaFormat(), underlined);
    open.hasMark = false;
    EXPECT_EQ(body(writeRtf({{open}}, RtfWriteMode::Selection)),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\\ul u\\ulnone\r\n}\r\n");
}

TEST(RtfWriterTest, ParagraphWordsFollowPardOnlyWhenTheFormatChanges)
{
    const ParaFormat centred = paraWith([](ParaFormat& f) { f.alignment = AlignCenter; });
    const ParaFormat right = paraWith([](ParaFormat& f) { f.alignment = AlignRight; });
    EXPECT_EQ(body(whole({text("a", centred), text("b", centred), text("c"), text("d", right),
                          text({}, right)})),
              "\\viewkind4\\uc1\\pard\\qc\\f0\\fs20 a\r\n\\par b\r\n\\par \\pard c\r\n"
              "\\par \\pard\\qr d\r\n\\par \r\n\\par }\r\n");
    const ParaFormat justified = paraWith([](ParaFormat& f) {
        f.alignment = AlignJustify;
        f.spaceBefore = 120;
        f.spaceAfter = 240;
    });
    EXPECT_EQ(firstLine(whole({text("j", justified)})),
              "\\viewkind4\\uc1\\pard\\qj\\sb120\\sa240\\f0\\fs20 j");
}

TEST(RtfWriterTest, IndentsWriteTheLeftRightPair)
{
    const ParaFormat hanging = paraWith([](ParaFormat& f) {
        f.startIndent = 360;
        f.offset = 360;
    });
    EXPECT_EQ(firstLine(whole({text("a", hanging)})),
              "\\viewkind4\\uc1\\pard\\fi-360\\li720\\f0\\fs20 a");
    const ParaFormat negativeRight = paraWith([](ParaFormat& f) { f.rightIndent = -980; });
    EXPECT_EQ(firstLine(whole({text("a", negativeRight)})),
              "\\viewkind4\\uc1\\pard\\li0\\ri-980\\f0\\fs20 a");
    const ParaFormat all = paraWith([](ParaFormat& f) {
        f.startIndent = 1440;
        f.offset = -720;
        f.rightIndent = 2700;
    });
    EXPECT_EQ(firstLine(whole({text("a", all)})),
              "\\viewkind4\\uc1\\pard\\fi720\\li720\\ri2700\\f0\\fs20 a");
    // The form the indent normaliser matches and rewrites.
    EXPECT_TRUE(QString::fromLatin1(whole({text("a", all)}))
                    .contains(QRegularExpression(R"((\\)(li)\d+(\\)(ri)\d+)")));
}

TEST(RtfWriterTest, LineSpacingIsWrittenByRule)
{
    const auto spacing = [](uint8_t rule, int32_t value) {
        ParaFormat format = defaultParaFormat();
        format.lineSpacingRule = rule;
        format.lineSpacing = value;
        const QByteArray line = firstLine(whole({text("a", format)}));
        return line.mid(19, line.indexOf("\\f0") - 19);  // between "\pard" and "\f0"
    };
    EXPECT_EQ(spacing(0, 300), "");
    EXPECT_EQ(spacing(1, 0), "\\sl360\\slmult1");
    EXPECT_EQ(spacing(2, 0), "\\sl480\\slmult1");
    EXPECT_EQ(spacing(3, 300), "\\sl300\\slmult0");
    EXPECT_EQ(spacing(4, 300), "\\sl-300\\slmult0");
    EXPECT_EQ(spacing(5, 30), "\\sl360\\slmult1");
}

TEST(RtfWriterTest, TabStopsAreWrittenAscending)
{
    const ParaFormat tabs = paraWith([](ParaFormat& f) { f.tabs = {2880, 720, 1440}; });
    EXPECT_EQ(firstLine(whole({text("a\tb", tabs)})),
              "\\viewkind4\\uc1\\pard\\tx720\\tx1440\\tx2880\\f0\\fs20 a\\tab b");
}

TEST(RtfWriterTest, BulletsUseTheSymbolFont)
{
    ParaFormat bullet = numbered(Bullet);
    bullet.startIndent = 0;
    bullet.offset = 360;
    const QByteArray rtf = whole({text("one", bullet), text("two", bullet), text("three")});
    EXPECT_TRUE(
        rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil"
                       "\\fcharset0 Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"));
    EXPECT_EQ(body(rtf),
              "\\viewkind4\\uc1\\pard\\fi-360\\li360\\f0\\fs20{\\pntext\\f1\\'B7\\tab}{\\*\\pn"
              "\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}one\r\n"
              "\\par {\\pntext\\f1\\'B7\\tab}two\r\n"
              "\\par \\pard three\r\n\\par }\r\n");
    // Without indents the first line still has a word right after "\pard".
    EXPECT_TRUE(
        firstLine(whole({text("x", numbered(Bullet))})).startsWith("\\viewkind4\\uc1\\pard\\f0"));
}

TEST(RtfWriterTest, NumberedListsInTheOlderForm)
{
    const struct {
        uint16_t kind;
        const char* word;
        const char* first;
        const char* second;
    } kinds[] = {{Arabic, "\\pndec", "1.", "2."},
                 {LowerLetter, "\\pnlcltr", "a.", "b."},
                 {UpperLetter, "\\pnucltr", "A.", "B."},
                 {LowerRoman, "\\pnlcrm", "i.", "ii."},
                 {UpperRoman, "\\pnucrm", "I.", "II."}};
    for (const auto& kind : kinds) {
        const ParaFormat format = numbered(kind.kind);
        EXPECT_EQ(body(whole({text("a", format), text("b", format)})),
                  QByteArray("\\viewkind4\\uc1\\pard\\f0\\fs20{\\pntext\\f0 ") + kind.first +
                      "\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1" + kind.word +
                      "{\\pntxta.}}a\r\n\\par {\\pntext\\f0 " + kind.second +
                      "\\tab}b\r\n\\par }\r\n")
            << kind.word;
    }
    // The start value, the punctuation styles, and a restart after a plain paragraph.
    const ParaFormat fromFive = numbered(Arabic, 5, 0);
    EXPECT_EQ(
        body(whole({text("a", fromFive), text("b", fromFive), text("c"), text("d", fromFive)})),
        "\\viewkind4\\uc1\\pard\\f0\\fs20{\\pntext\\f0 5)\\tab}{\\*\\pn\\pnlvlbody\\pnf0"
        "\\pnindent0\\pnstart5\\pndec{\\pntxta)}}a\r\n\\par {\\pntext\\f0 6)\\tab}b\r\n"
        "\\par \\pard c\r\n\\par \\pard{\\pntext\\f0 5)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0"
        "\\pnstart5\\pndec{\\pntxta)}}d\r\n\\par }\r\n");
    EXPECT_TRUE(
        whole({text("a", numbered(Arabic, 1, 0x100))})
            .contains("{\\pntext\\f0 (1)\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1"
                      "\\pndec{\\pntxtb(}{\\pntxta)}}a"));
}

TEST(RtfWriterTest, PicturesAreOneGroupOnTheLine)
{
    const QByteArray png = pngBytes(2, 1);
    const QByteArray rtf =
        whole({paragraph({run("a"), pictureRun(PictureKind::Png, png, 2, 1), run("b")})});
    EXPECT_EQ(body(rtf),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 a{\\pict\\pngblip\\picw2\\pich1\\picwgoal30"
              "\\pichgoal15 " +
                  png.toHex() + "}b\r\n\\par }\r\n");
    const QByteArray jpeg("\xFF\xD8\xFF\xE0 not decoded", 16);
    EXPECT_TRUE(whole({paragraph({pictureRun(PictureKind::Jpeg, jpeg, 4, 3)})})
                    .contains("{\\pict\\jpegblip\\picw4\\pich3\\picwgoal60\\pichgoal45 " +
                              jpeg.toHex() + "}"));
    // Metafiles keep their bytes and kind, their size in hundredths of a millimetre.
    const QByteArray metafile("\x01\x00\x09\x00", 4);
    EXPECT_TRUE(
        whole({paragraph({pictureRun(PictureKind::Metafile, metafile, 10, 10)})})
            .contains("{\\pict\\wmetafile8\\picw264\\pich264\\picwgoal150\\pichgoal150 01000900}"));
}

TEST(RtfWriterTest, MetafilesAreWrittenBackAsTheyWereRead)
{
    // A shape's enhanced metafile, its metafile fallback, and a bare metafile played in the
    // text mapping mode: the fallback is dropped, the others come back byte for byte.
    const QByteArray emf = QByteArray("\x01\x00\x00\x00", 4) + QByteArray(36, '\x11') +
                           QByteArray(" EMF") + QByteArray(8, '\x22');
    const QByteArray wmf("\x01\x00\x09\x00\x00\x03\x33\x44", 8);
    const QByteArray rtf =
        "{\\rtf1 a{\\*\\shppict{\\pict\\emfblip\\picw5080\\pich2540"
        "\\picwgoal2880\\pichgoal1440 " +
        emf.toHex() +
        "}}{\\nonshppict{\\pict\\wmetafile8\\picw10\\pich10 0100}}"
        "{\\pict\\wmetafile1\\picw2540\\pich2540\\picwgoal1440\\pichgoal1440 " +
        wmf.toHex() + "}b}";
    const DocumentFragment read = readRtf(rtf, RtfReadMode::WholeDocument);
    const QByteArray written = writeRtf(read, RtfWriteMode::WholeDocument);
    EXPECT_TRUE(
        written.contains("{\\pict\\emfblip\\picw5080\\pich2540\\picwgoal2880"
                         "\\pichgoal1440 " +
                         emf.toHex() + "}"))
        << written.constData();
    EXPECT_TRUE(
        written.contains("{\\pict\\wmetafile1\\picw2540\\pich2540\\picwgoal1440"
                         "\\pichgoal1440 " +
                         wmf.toHex() + "}"))
        << written.constData();
    EXPECT_FALSE(written.contains("0100}"));
    // An enhanced metafile without \\picw and \\pich takes the size its header gives.
    const DocumentFragment bare =
        readRtf("{\\rtf1{\\pict\\emfblip " + metafiles::emfShapes().toHex() + "}}",
                RtfReadMode::WholeDocument);
    ASSERT_EQ(bare.paragraphs[0].runs.size(), 1u);
    EXPECT_EQ(bare.paragraphs[0].runs[0].picture->goalWidthTw, 3000);  // 200 pixels at 96 dpi
    EXPECT_EQ(bare.paragraphs[0].runs[0].picture->goalHeightTw, 2250);
    // Read again, the same pictures.
    const DocumentFragment again = readRtf(written, RtfReadMode::WholeDocument);
    ASSERT_EQ(again.paragraphs[0].runs.size(), read.paragraphs[0].runs.size());
    for (std::size_t i = 0; i < read.paragraphs[0].runs.size(); ++i) {
        const auto& before = read.paragraphs[0].runs[i].picture;
        const auto& after = again.paragraphs[0].runs[i].picture;
        ASSERT_EQ(bool(before), bool(after));
        if (before) {
            EXPECT_EQ(after->encoded, before->encoded);
            EXPECT_EQ(after->kind, before->kind);
            EXPECT_EQ(after->goalWidthTw, before->goalWidthTw);
            EXPECT_EQ(after->metafileMapping, before->metafileMapping);
        }
    }
}

TEST(RtfWriterTest, PictureCropsAreReadAndWrittenBackForEveryKind)
{
    // Positive crops cut the picture, negative ones add margins; a scale scales them with the
    // goal size. A bitmap that becomes PNG keeps its crops.
    const QByteArray png = pngBytes(4, 4);
    const QByteArray dib = testsupport::encodedImage(4, 4, qRgb(0, 0, 255), "BMP").mid(14);
    const QByteArray wmf = metafiles::wmfShapes();
    const QByteArray emf = metafiles::emfShapes();
    const QByteArray pngWords =
        "\\picw4\\pich4\\picwgoal600\\pichgoal600\\piccropl60\\piccropr-30\\piccropt-45"
        "\\piccropb90 ";
    const QByteArray wmfWords =
        "\\picw5080\\pich3810\\picwgoal2880\\pichgoal2160\\piccropl-150\\piccropr300"
        "\\piccropt225\\piccropb-75 ";
    const QByteArray rtf = "{\\rtf1 {\\pict\\pngblip" + pngWords + png.toHex() +
                           "}{\\pict\\dibitmap0\\picw4\\pich4\\picwgoal600\\pichgoal600"
                           "\\piccropb90\\piccropt-45 " +
                           dib.toHex() + "}{\\pict\\wmetafile8" + wmfWords + wmf.toHex() +
                           "}{\\pict\\emfblip\\picwgoal3000\\pichgoal2250\\picscalex50"
                           "\\picscaley200\\piccropl100\\piccropr-100\\piccropt10\\piccropb-20 " +
                           emf.toHex() + "}}";
    using Crops = std::array<int32_t, 4>;
    const std::vector<Crops> expected = {
        {60, -30, -45, 90}, {0, 0, -45, 90}, {-150, 300, 225, -75}, {50, -50, 20, -40}};
    auto cropsOf = [](const DocumentFragment& fragment) {
        std::vector<Crops> crops;
        for (const FragmentRun& run : fragment.paragraphs[0].runs)
            crops.push_back({run.picture->cropLeftTw, run.picture->cropRightTw,
                             run.picture->cropTopTw, run.picture->cropBottomTw});
        return crops;
    };
    const DocumentFragment read = readRtf(rtf, RtfReadMode::WholeDocument);
    ASSERT_EQ(read.paragraphs[0].runs.size(), 4u);
    EXPECT_EQ(cropsOf(read), expected);

    const QByteArray written = writeRtf(read, RtfWriteMode::WholeDocument);
    EXPECT_TRUE(written.contains("{\\pict\\pngblip" + pngWords + png.toHex() + "}"));
    EXPECT_TRUE(
        written.contains("{\\pict\\pngblip\\picw4\\pich4\\picwgoal600\\pichgoal600"
                         "\\piccropt-45\\piccropb90 "));
    EXPECT_TRUE(written.contains("{\\pict\\wmetafile8" + wmfWords + wmf.toHex() + "}"));
    EXPECT_TRUE(
        written.contains("\\picwgoal1500\\pichgoal4500\\piccropl50\\piccropr-50"
                         "\\piccropt20\\piccropb-40 " +
                         emf.toHex() + "}"))
        << written.constData();
    const DocumentFragment again = readRtf(written, RtfReadMode::WholeDocument);
    EXPECT_EQ(cropsOf(again), expected);
    EXPECT_EQ(writeRtf(again, RtfWriteMode::WholeDocument), written);
}

TEST(RtfWriterTest, DecodableBitmapsBecomePng)
{
    // A packed 2 x 1 bitmap, 24 bits per pixel: header, then one row padded to 8 bytes.
    QByteArray dib(40, '\0');
    dib[0] = 40;
    dib[4] = 2;
    dib[8] = 1;
    dib[12] = 1;
    dib[14] = 24;
    dib.append(QByteArray("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8));
    const QByteArray rtf = whole({paragraph({pictureRun(PictureKind::Dib, dib, 2, 1)})});
    const qsizetype start = rtf.indexOf("{\\pict\\pngblip\\picw2\\pich1\\picwgoal30\\pichgoal15 ");
    ASSERT_GE(start, 0) << rtf.constData();
    const qsizetype hexStart = rtf.indexOf(' ', start) + 1;
    const QImage image = QImage::fromData(
        QByteArray::fromHex(rtf.mid(hexStart, rtf.indexOf('}', hexStart) - hexStart)), "PNG");
    ASSERT_EQ(image.size(), QSize(2, 1));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0));
    // A truncated bitmap keeps its kind and bytes.
    EXPECT_TRUE(whole({paragraph({pictureRun(PictureKind::Dib, dib.left(20), 2, 1)})})
                    .contains("{\\pict\\dibitmap0\\picw2\\pich1\\picwgoal30\\pichgoal15 " +
                              dib.left(20).toHex() + "}"));
}

TEST(RtfWriterTest, TextIsEscapedToSevenBits)
{
    const QString all = QStringLiteral("a\\b{c}d\te\vf\u00A0g\u00ADh") + QChar(0x01) + QChar(0x0D) +
                        QStringLiteral("\u00E9\u20AC\u0160\u03A9\uFF21\U0001F600");
    EXPECT_EQ(firstLine(whole({text(all)})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 a\\'5cb\\{c\\}d\\tab e\\line f\\~g\\-h\\'01\\'0d"
              "\\'e9\\'80\\'8a\\u937?\\u-223?\\u-10179?\\u-8704?");
    // Half a surrogate pair is no character: U+FFFD goes out in its place.
    const QString halves = QString(QChar(0xD83D)) + "a" + QChar(0xDE00) + QChar(0xD83D);
    EXPECT_EQ(firstLine(whole({text(halves)})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\\u-3?a\\u-3?\\u-3?");
    // After a control word an escape needs no delimiting space.
    EXPECT_EQ(firstLine(whole({text(QStringLiteral("\u00E9"))})),
              "\\viewkind4\\uc1\\pard\\f0\\fs20\\'e9");
    CharFormat face = plain();
    face.face = QStringLiteral("Caf\u00E9; {Sans}");
    EXPECT_TRUE(whole({paragraph({run("a", face)})})
                    .contains("{\\f0\\fnil\\fcharset0 Caf\\'e9\\'3b \\{Sans\\};}"));
}

TEST(RtfWriterTest, SelectionsCloseByTheirLastParagraph)
{
    FragmentParagraph open = text("cd");
    open.hasMark = false;
    const DocumentFragment endsInside{{text("ab"), open}};
    EXPECT_EQ(body(writeRtf(endsInside, RtfWriteMode::Selection)),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 ab\r\n\\par cd\r\n}\r\n");
    // The same paragraphs as a whole document end with the end mark.
    EXPECT_EQ(body(writeRtf(endsInside, RtfWriteMode::WholeDocument)),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 ab\r\n\\par cd\r\n\\par }\r\n");
    const DocumentFragment endsWithMark{{text("ab")}};
    EXPECT_EQ(body(writeRtf(endsWithMark, RtfWriteMode::Selection)),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 ab\r\n\\par }\r\n");
    // An empty, markless tail after the paragraph end writes nothing.
    FragmentParagraph tail = text({});
    tail.hasMark = false;
    EXPECT_EQ(body(writeRtf(DocumentFragment{{text("ab"), tail}}, RtfWriteMode::Selection)),
              "\\viewkind4\\uc1\\pard\\f0\\fs20 ab\r\n\\par }\r\n");
    EXPECT_EQ(body(writeRtf({}, RtfWriteMode::Selection)),
              "\\viewkind4\\uc1\\pard\\f0\\fs16\r\n}\r\n");
}

TEST(RtfWriterTest, UnformattedTextMustNotLookFormatted)
{
    const QRegularExpression special(
        R"((\\cf|\\b|\\i|\\ulnone|\\strike|\\pn|\\qc|\\qr|\\highlight))",
        QRegularExpression::CaseInsensitiveOption);
    const auto looksFormatted = [&](std::vector<FragmentParagraph> paragraphs) {
        return special.match(QString::fromLatin1(whole(std::move(paragraphs)))).hasMatch();
    };
    const ParaFormat indented = paraWith([](ParaFormat& f) {
        f.startIndent = 720;
        f.rightIndent = -980;
        f.tabs = {720};
        f.lineSpacingRule = 1;
    });
    EXPECT_FALSE(looksFormatted({text({})}));
    EXPECT_FALSE(looksFormatted({text({}), text("Plain text\twith tabs, \u00E9 and \u4E2D."),
                                 text("index.html", indented), text({})}));
    EXPECT_FALSE(looksFormatted({paragraph({run("www.example.com", link())})}));
    EXPECT_FALSE(looksFormatted({text("C:\\bin\\cfg and \\intro \\pnote")}));

    EXPECT_TRUE(looksFormatted({paragraph({run("b", with(Bold))})}));
    EXPECT_TRUE(looksFormatted({paragraph({run("i", with(Italic))})}));
    EXPECT_TRUE(looksFormatted({paragraph({run("u", with(Underline))})}));
    EXPECT_TRUE(looksFormatted({paragraph({run("s", with(StrikeOut))})}));
    EXPECT_TRUE(looksFormatted({paragraph({run("black", colored(0))})}));
    EXPECT_TRUE(looksFormatted({paragraph({run("h", highlighted(0xFFFF))})}));
    EXPECT_TRUE(looksFormatted({text("b", numbered(Bullet))}));
    EXPECT_TRUE(looksFormatted({text("n", numbered(Arabic))}));
    EXPECT_TRUE(
        looksFormatted({text("c", paraWith([](ParaFormat& f) { f.alignment = AlignCenter; }))}));
    EXPECT_TRUE(
        looksFormatted({text("r", paraWith([](ParaFormat& f) { f.alignment = AlignRight; }))}));
}

TEST(RtfWriterTest, EveryOutputIsSevenBitLinesInCrLfOnePerParagraph)
{
    // Paragraphs of every kind of content; the last one underlined up to the end mark.
    constexpr int count = 41;
    std::vector<FragmentParagraph> paragraphs;
    const QString samples[] = {QStringLiteral("plain"), QStringLiteral("t\tab\vline\r\nraw"),
                               QStringLiteral("\u00E9\u4E2D\U0001F600"), QString()};
    for (int i = 0; i < count; ++i) {
        CharFormat format = plain();
        if (i % 3 == 0)
            format.effects |= Bold;
        if (i % 5 == 0)
            format.effects |= Underline;
        ParaFormat para =
            i % 4 == 1 ? numbered(static_cast<uint16_t>(1 + i % 6)) : defaultParaFormat();
        FragmentParagraph p = paragraph({run(samples[i % 4], format)}, para, format);
        if (i % 7 == 0)
            p.runs.push_back(pictureRun(PictureKind::Png, pngBytes(3, 3), 3, 3));
        paragraphs.push_back(std::move(p));
    }
    const QByteArray rtf = whole(paragraphs);
    for (const char byte : rtf)
        ASSERT_LT(static_cast<unsigned char>(byte), 0x80);
    const QList<QByteArray> lines = rtf.split('\n');
    ASSERT_EQ(lines.last(), "");
    const qsizetype firstBody = lines.indexOf(firstLine(rtf) + "\r");
    ASSERT_EQ(firstBody, 1);
    EXPECT_FALSE(lines[0].contains("\\pard\\"));
    EXPECT_EQ(lines.size() - 1, 1 + count + 1);  // header, paragraphs, closing line
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        ASSERT_TRUE(lines[i].endsWith('\r')) << i;
        EXPECT_EQ(lines[i].count('\r'), 1) << i;
        if (i > firstBody) {
            EXPECT_TRUE(lines[i].startsWith("\\par ")) << i;
        }
    }
    EXPECT_EQ(lines[lines.size() - 2], "\\par }\r");
    EXPECT_TRUE(rtf.contains("\\ulnone\r\n\\par }"));
    for (const char* absent : {"\\trowd", "\\info", "\\stylesheet", "\\bin", "\\plain", "\\ls"})
        EXPECT_FALSE(rtf.contains(absent)) << absent;
    EXPECT_FALSE(QString::fromLatin1(rtf).contains(QRegularExpression(R"(\\(lin|rin)-?\d)")));
}

// Saving writes from the document's own paragraphs: byte for byte what its whole fragment
// writes, for read documents, long paragraphs edited into blocks, formats applied over ranges
// (runs split and shared), pictures and lists.
TEST(RtfWriterTest, TheDocumentWritesWhatItsFragmentWrites)
{
    const auto expectSameOutput = [](const Document& document, unsigned seed) {
        const QByteArray expected = writeRtf(document.extractAll(), RtfWriteMode::WholeDocument);
        ASSERT_EQ(writeRtf(document), expected) << "seed " << seed;
        EXPECT_EQ(measureRtf(document), expected.size()) << "seed " << seed;
    };
    Document empty;
    expectSameOutput(empty, 0);
    for (unsigned seed = 1; seed <= 30; ++seed) {
        testsupport::RandomRichText random(seed);
        Document document(random.charFormat());
        document.replaceAll(random.fragment(1 + random.pick(12)));
        expectSameOutput(document, seed);
        for (int edit = 0; edit < 8; ++edit) {
            const int32_t at = random.pick(document.length() + 1);
            switch (random.pick(4)) {
                case 0: {
                    // Long enough to be kept as blocks; the edits after it land inside.
                    QString longText;
                    while (longText.size() < 3 * ParagraphText::BlockSize)
                        longText += random.text();
                    document.insert(at, longText.remove(u'\r').remove(u'\n'), random.charFormat());
                    break;
                }
                case 1:
                    document.insert(at, random.text(), random.charFormat());
                    break;
                case 2: {
                    const int32_t to = std::min(document.length(), at + random.pick(9000));
                    CharFormat change = random.charFormat();
                    change.mask = random.pick(2) == 0 ? AllCharFields : uint32_t(Bold | Color);
                    document.applyChar({at, to}, change);
                    break;
                }
                default:
                    document.insertFragment(at, random.fragment(1 + random.pick(3)));
                    break;
            }
            expectSameOutput(document, seed);
        }
    }
}
