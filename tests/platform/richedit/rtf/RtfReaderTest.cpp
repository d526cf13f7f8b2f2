#include "platform/richedit/rtf/RtfReader.h"

#include "platform/richedit/model/Document.h"
#include "platform/richedit/rtf/RtfKeywords.h"
#include "platform/richedit/rtf/RtfTokenizer.h"
#include "tests/platform/richedit/TextReference.h"
#include "tests/support/RandomRichText.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

using namespace richedit;
using testsupport::textOf;

namespace {

QString read(QByteArrayView rtf, RtfReadMode mode = RtfReadMode::WholeDocument)
{
    return textOf(readRtf(rtf, mode), mode);
}

// The format of the run holding the first occurrence of `needle`.
CharFormat formatOf(const DocumentFragment& fragment, const QString& needle)
{
    for (const auto& paragraph : fragment.paragraphs) {
        for (const auto& run : paragraph.runs) {
            if (run.text.contains(needle))
                return run.format;
        }
    }
    ADD_FAILURE() << "no run holds " << needle.toStdString();
    return {};
}

}  // namespace

TEST(RtfReaderStructure, RecognisesRtfAfterMarkAndBlanks)
{
    EXPECT_TRUE(looksLikeRtf("{\\rtf1 x}"));
    EXPECT_TRUE(looksLikeRtf("\xEF\xBB\xBF \r\n\t{\\rtf1"));
    EXPECT_FALSE(looksLikeRtf("x{\\rtf1"));
    EXPECT_FALSE(looksLikeRtf("{\\rt"));
    EXPECT_FALSE(looksLikeRtf(""));
}

TEST(RtfReaderStructure, WholeDocumentDropsOneFinalParInsertKeepsEvery)
{
    const QByteArray rtf = "{\\rtf1\\ansi a\\par b\\par }";
    EXPECT_EQ(read(rtf), u"a\r\nb");
    EXPECT_EQ(read(rtf, RtfReadMode::Insert), u"a\r\nb\r\n");
    // Only one: an empty paragraph before it stays.
    EXPECT_EQ(read("{\\rtf1 a\\par\\par}"), u"a\r\n");
    // Formatting words and closing braces after it do not count as content.
    EXPECT_EQ(read("{\\rtf1 a\\par\\pard\\b{\\*\\x y}}"), u"a");
    // Without a final \par the last paragraph is the end mark's.
    EXPECT_EQ(read("{\\rtf1 a\\par b}"), u"a\r\nb");

    const DocumentFragment inserted = readRtf("{\\rtf1 a\\par b}", RtfReadMode::Insert);
    ASSERT_EQ(inserted.paragraphs.size(), 2u);
    EXPECT_TRUE(inserted.paragraphs[0].hasMark);
    EXPECT_FALSE(inserted.paragraphs[1].hasMark);
    EXPECT_TRUE(readRtf("{\\rtf1 }", RtfReadMode::Insert).paragraphs.empty());
    // A whole document always has its end-mark paragraph.
    const DocumentFragment empty = readRtf("{\\rtf1 }", RtfReadMode::WholeDocument);
    ASSERT_EQ(empty.paragraphs.size(), 1u);
    EXPECT_TRUE(empty.paragraphs[0].runs.empty());
    EXPECT_EQ(readRtf("", RtfReadMode::WholeDocument).paragraphs.size(), 1u);
}

TEST(RtfReaderStructure, DroppedParGivesItsFormatsToTheEndMark)
{
    const DocumentFragment doc =
        readRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\qc\\f0 a\\par\\pard\\qr\\b b\\par\\b0}",
                RtfReadMode::WholeDocument);
    ASSERT_EQ(doc.paragraphs.size(), 2u);
    EXPECT_EQ(doc.paragraphs[0].format.alignment, AlignCenter);
    EXPECT_EQ(doc.paragraphs[1].format.alignment, AlignRight);
    EXPECT_TRUE(doc.paragraphs[1].markFormat.is(Bold));
    EXPECT_FALSE(doc.paragraphs[0].markFormat.is(Bold));
}

TEST(RtfReaderStructure, GroupsRestoreCharacterStateAndBracesAreTolerated)
{
    const DocumentFragment doc = readRtf("{\\rtf1 a{\\b b{\\i c}d}e", RtfReadMode::WholeDocument);
    EXPECT_EQ(textOf(doc), u"abcde");
    EXPECT_FALSE(formatOf(doc, "a").is(Bold));
    EXPECT_TRUE(formatOf(doc, "b").is(Bold));
    EXPECT_TRUE(formatOf(doc, "c").is(Bold | Italic));
    EXPECT_EQ(formatOf(doc, "d").effects & Italic, 0u);
    EXPECT_FALSE(formatOf(doc, "e").is(Bold));
    EXPECT_EQ(read("junk {\\rtf1 a}"), u"a");
}

TEST(RtfReaderStructure, TextAfterAStrayClosingBraceIsStillRead)
{
    // A damaged file whose document group closes too early loses no paragraph, and keeps the
    // formatting in force at the document level.
    const DocumentFragment doc =
        readRtf("{\\rtf1\\b one\\par}two\\par}}three\\par}", RtfReadMode::WholeDocument);
    EXPECT_EQ(textOf(doc), u"one\r\ntwo\r\nthree");
    EXPECT_TRUE(formatOf(doc, "three").is(Bold));
    // A saved file's trailing zero byte and line end after the group are no text.
    EXPECT_EQ(read(QByteArrayView("{\\rtf1 a}\0\r\n", 12)), u"a");
    EXPECT_EQ(read("{\\rtf1 a}  \r\n"), u"a");
    EXPECT_EQ(read("{\\rtf1 a}} b {\\i c}"), u"a b c");
}

TEST(RtfReaderStructure, LineEndsAndParameters)
{
    EXPECT_EQ(read("{\\rtf1 a\r\nb\rc\nd}"), u"abcd");
    EXPECT_EQ(read("{\\rtf1 a\\\r\nb\\\nc}"), u"a\r\nb\r\nc");
    // A parameter past 32 bits saturates instead of wrapping.
    const DocumentFragment doc =
        readRtf("{\\rtf1\\li99999999999\\ri-99999999999 x\\par}", RtfReadMode::WholeDocument);
    EXPECT_EQ(doc.paragraphs[0].format.startIndent, 2147483647);
    EXPECT_EQ(doc.paragraphs[0].format.rightIndent, -2147483647 - 1);
}

TEST(RtfReaderText, SpecialCharactersAndEscapes)
{
    EXPECT_EQ(read("{\\rtf1 a\\tab b\\line c\\~d\\-e\\_f}"), QString::fromUtf16(u"a\tb\x000B"
                                                                                u"c\x00A0"
                                                                                u"d\x00AD"
                                                                                u"e\x2011"
                                                                                u"f"));
    EXPECT_EQ(read("{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote"
                   "\\emspace\\enspace\\qmspace}"),
              QString::fromUtf16(u"\x2014\x2013\x2022\x2018\x2019\x201C\x201D\x2003\x2002\x2005"));
    EXPECT_EQ(read("{\\rtf1 \\\\ \\{ \\} }"), u"\\ { } ");
    // One space ends a control word; a second one is text.
    EXPECT_EQ(read("{\\rtf1\\b  x}"), u" x");
    // Escaped line ends are no paragraph ends and no characters either; other control
    // characters are text.
    EXPECT_EQ(read("{\\rtf1 a\\'0d\\'0ab\\u13?c\\u10?\\'01}"), QString::fromUtf16(u"abc\x0001"));
    // A NUL, in either spelling, never enters the document; its fallback is skipped all the
    // same.
    EXPECT_EQ(read("{\\rtf1 a\\u0?b\\'00c\\uc0\\u0 d}"), u"abcd");
}

TEST(RtfReaderText, CodePagesFromFontsAndDocument)
{
    // Windows-1252 through our own table, undefined bytes included.
    EXPECT_EQ(read("{\\rtf1\\ansi \\'80\\'e9\\'81\\'9f}"),
              QString::fromUtf16(u"\x20AC\x00E9\x0081\x0178"));
    // \ansicpg when the font gives no charset.
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1}"), QString::fromUtf16(u"\x0410\x0431"));
    // The font's charset, then \cpg, win over \ansicpg.
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset204 A;}{\\f1\\fcharset0"
                   "\\cpg1253 B;}}\\f0\\'c0{\\f1\\'c1}\\f2\\'c0}"),
              QString::fromUtf16(u"\x0410\x0391\x00C0"));
    // \mac and \pc select their code pages.
    EXPECT_EQ(read("{\\rtf1\\mac \\'8e}"), QString::fromUtf16(u"\x00E9"));
    EXPECT_EQ(read("{\\rtf1\\pc \\'82}"), QString::fromUtf16(u"\x00E9"));
    // Double-byte: two \'hh, or a lead byte and a plain trail character, make one letter.
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'83e}"),
              QString::fromUtf16(u"\x65E5\x30C6"));
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg65001 \\'c3\\'a9t\\'c3\\'a9}"),
              QString::fromUtf16(u"\x00E9t\x00E9"));
    // A code page nobody knows reads as Windows-1252.
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg99999 \\'e9}"), QString::fromUtf16(u"\x00E9"));
}

TEST(RtfReaderText, UnicodeWordsSkipTheirFallback)
{
    EXPECT_EQ(read("{\\rtf1\\u1055?\\u-3913 ?x}"), QString::fromUtf16(u"\x041F\xF0B7x"));
    // \uc2: a \'hh and a plain character, or two \'hh, are skipped.
    EXPECT_EQ(read("{\\rtf1\\uc2\\u26085\\'93\\'fa\\u26412\\'96{}z}"),
              QString::fromUtf16(u"\x65E5\x672Cz"));
    // A control word counts as one; a brace ends the skipping.
    EXPECT_EQ(read("{\\rtf1\\uc3\\u945\\b ab{\\i0 c}}"), QString::fromUtf16(u"\x03B1"
                                                                            u"c"));
    EXPECT_EQ(read("{\\rtf1\\uc0\\u945\\u946 x}"), QString::fromUtf16(u"\x03B1\x03B2x"));
    // \uc belongs to the group.
    EXPECT_EQ(read("{\\rtf1{\\uc0 \\u945}\\u946?y}"), QString::fromUtf16(u"\x03B1\x03B2y"));
    // Two words make a surrogate pair; a lone half becomes U+FFFD.
    EXPECT_EQ(read("{\\rtf1\\u-10179?\\u-8704?}"), QString::fromUcs4(U"\U0001F600"));
    EXPECT_EQ(read("{\\rtf1\\u-10179?a\\u-8704?b}"), QString::fromUtf16(u"\xFFFD"
                                                                        u"a\xFFFD"
                                                                        u"b"));
    EXPECT_EQ(read("{\\rtf1\\u128512?}"), QString::fromUcs4(U"\U0001F600"));
}

TEST(RtfReaderFormats, CharacterWords)
{
    const DocumentFragment doc = readRtf(
        "{\\rtf1\\deff1\\deflang1031{\\fonttbl{\\f0\\fcharset0 Courier;}{\\f1\\fcharset0 Arial;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
        "D {\\f0\\fs31 s}{\\b\\i\\strike\\protect e}{\\ulwave w}{\\uldb\\ul0 n}{\\ulc2 c}"
        "{\\striked1 k}{\\cf1\\highlight2 h}{\\cf2\\cb1 g}{\\chcbpat2 p}{\\cf9 m}{\\super u}"
        "{\\sub\\super v}{\\sub\\nosupersub o}{\\up4 r}{\\dn l}{\\lang357 L}{\\lang1033 E}"
        "{\\b\\plain P}}",
        RtfReadMode::WholeDocument);
    const CharFormat plain = formatOf(doc, "D");
    EXPECT_EQ(plain.mask, AllCharFields);
    EXPECT_EQ(plain.face, u"Arial");
    EXPECT_EQ(plain.heightTw, 240);
    EXPECT_EQ(plain.lcid, 1031u);
    EXPECT_TRUE(plain.is(AutoColorEffect) && plain.is(AutoBackColorEffect));
    EXPECT_EQ(formatOf(doc, "s").face, u"Courier");
    EXPECT_EQ(formatOf(doc, "s").heightTw, 310);
    EXPECT_TRUE(formatOf(doc, "e").is(Bold | Italic | StrikeOut | Protected));
    EXPECT_TRUE(formatOf(doc, "w").is(Underline));
    EXPECT_FALSE(formatOf(doc, "n").is(Underline));
    EXPECT_FALSE(formatOf(doc, "c").is(Underline));  // an underline colour only
    EXPECT_TRUE(formatOf(doc, "k").is(StrikeOut));
    const CharFormat h = formatOf(doc, "h");
    EXPECT_EQ(h.color, 0x0000FFu);
    EXPECT_EQ(h.backColor, 0xFF8000u);
    EXPECT_FALSE(h.is(AutoColorEffect) || h.is(AutoBackColorEffect));
    EXPECT_EQ(formatOf(doc, "g").backColor, 0x0000FFu);
    EXPECT_EQ(formatOf(doc, "p").backColor, 0xFF8000u);
    EXPECT_TRUE(formatOf(doc, "m").is(AutoColorEffect));  // past the table: automatic
    EXPECT_EQ(formatOf(doc, "u").effects & SubSuperscript, uint32_t{Superscript});
    EXPECT_EQ(formatOf(doc, "v").effects & SubSuperscript, uint32_t{Superscript});
    EXPECT_EQ(formatOf(doc, "o").effects & SubSuperscript, 0u);
    EXPECT_EQ(formatOf(doc, "r").offsetTw, 40);
    EXPECT_EQ(formatOf(doc, "l").offsetTw, -60);
    EXPECT_TRUE(formatOf(doc, "L").is(Link));
    EXPECT_EQ(formatOf(doc, "L").lcid, LinkLcid);
    EXPECT_FALSE(formatOf(doc, "E").is(Link));
    const CharFormat reset = formatOf(doc, "P");
    EXPECT_FALSE(reset.is(Bold));
    EXPECT_EQ(reset.face, u"Arial");
    EXPECT_EQ(reset.lcid, 1031u);
}

TEST(RtfReaderFormats, ColourTableEntryZeroIsAutomatic)
{
    const DocumentFragment doc = readRtf(
        "{\\rtf1{\\colortbl\\red0\\green0\\blue0;\\red1\\green2\\blue3;;}{\\cf0 a}{\\cf1 b}{\\cf2 "
        "c}}",
        RtfReadMode::WholeDocument);
    EXPECT_TRUE(formatOf(doc, "a").is(AutoColorEffect));
    EXPECT_EQ(formatOf(doc, "b").color, 0x030201u);
    EXPECT_TRUE(formatOf(doc, "c").is(AutoColorEffect));
}

TEST(RtfReaderFormats, ParagraphWords)
{
    const DocumentFragment doc = readRtf(
        "{\\rtf1\\pard\\li720\\fi-360\\ri-980\\qj\\sb120\\sa240\\tx720\\tb1440 a\\par"
        "\\pard\\qc\\sl360\\slmult1 b\\par\\pard\\sl480\\slmult1 c\\par\\pard\\sl300\\slmult1 "
        "d\\par"
        "\\pard\\sl-300 e\\par\\pard\\sl300\\slmult0 f\\par\\pard\\sl0\\qr g\\sect h\\page "
        "i\\column"
        "{\\qc j\\par}k\\par}",
        RtfReadMode::WholeDocument);
    ASSERT_EQ(textOf(doc), u"a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk");
    const auto& p = doc.paragraphs;
    EXPECT_EQ(p[0].format.startIndent, 360);
    EXPECT_EQ(p[0].format.offset, 360);
    EXPECT_EQ(p[0].format.rightIndent, -980);
    EXPECT_EQ(p[0].format.alignment, AlignJustify);
    EXPECT_EQ(p[0].format.spaceBefore, 120);
    EXPECT_EQ(p[0].format.spaceAfter, 240);
    EXPECT_EQ(p[0].format.tabs, (std::vector<int32_t>{720, 1440}));
    EXPECT_EQ(p[0].format.mask, AllParaFields);
    EXPECT_EQ(p[1].format.alignment, AlignCenter);
    EXPECT_EQ(p[1].format.startIndent, 0);  // \pard resets
    EXPECT_EQ(p[1].format.lineSpacingRule, 1);
    EXPECT_EQ(p[2].format.lineSpacingRule, 2);
    EXPECT_EQ(p[3].format.lineSpacingRule, 5);
    EXPECT_EQ(p[3].format.lineSpacing, 25);
    EXPECT_EQ(p[4].format.lineSpacingRule, 4);
    EXPECT_EQ(p[4].format.lineSpacing, 300);
    EXPECT_EQ(p[5].format.lineSpacingRule, 3);
    EXPECT_EQ(p[5].format.lineSpacing, 300);
    EXPECT_EQ(p[6].format.lineSpacingRule, 0);
    EXPECT_EQ(p[6].format.alignment, AlignRight);
    EXPECT_EQ(p[9].format.alignment, AlignCenter);
    EXPECT_EQ(p[10].format.alignment, AlignRight);  // the group's paragraph words ended with it
}

TEST(RtfReaderFormats, AtMostThirtyTwoTabStops)
{
    QByteArray rtf = "{\\rtf1 ";
    for (int i = 1; i <= 40; ++i)
        rtf += "\\tx" + QByteArray::number(i * 100);
    rtf += " x}";
    const DocumentFragment doc = readRtf(rtf, RtfReadMode::WholeDocument);
    ASSERT_EQ(doc.paragraphs[0].format.tabs.size(), 32u);
    EXPECT_EQ(doc.paragraphs[0].format.tabs.back(), 3200);
}

TEST(RtfReaderTables, RowsBecomeTabSeparatedParagraphs)
{
    const DocumentFragment doc = readRtf(
        "{\\rtf1\\trowd\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl\\qc a\\cell\\pard\\intbl\\qr"
        " b\\par c\\cell\\cell\\pard\\intbl\\row\\pard x\\par}",
        RtfReadMode::WholeDocument);
    EXPECT_EQ(textOf(doc), QString::fromUtf16(u"a\tb\x000B"
                                              u"c\t\r\nx"));
    EXPECT_EQ(doc.paragraphs[0].format.alignment, AlignRight);  // in force at the last cell
    // Cells of a row that never ends keep their text.
    EXPECT_EQ(read("{\\rtf1\\intbl a\\cell b\\cell"), u"a\tb");
    EXPECT_EQ(read("{\\rtf1\\intbl a\\nestcell b\\nestcell\\nestrow c\\cell d\\row}"),
              QString::fromUtf16(u"a\tb\x000B"
                                 u"c\td\r\n"));
}

TEST(RtfReaderLists, ParagraphNumberingAndListTables)
{
    const DocumentFragment doc = readRtf(
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}}"
        "{\\listlevel\\levelnfc4\\levelstartat3{\\leveltext\\'02\\'01);}}\\listid7}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\ls2}}"
        "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'B7}}a\\par"
        "\\pard{\\pntext 3.\\tab}{\\*\\pn\\pnlvlbody\\pnucrm\\pnstart3{\\pntxta.}}b\\par"
        "\\pard{\\listtext x)\\tab}\\ls2\\ilvl1 c\\par\\pard\\ls2 d\\par\\pard\\ls9 e\\par"
        "\\pard{\\*\\pn\\pnlvlcont}f\\par}",
        RtfReadMode::WholeDocument);
    ASSERT_EQ(textOf(doc), u"a\r\nb\r\nc\r\nd\r\ne\r\nf");
    const auto& p = doc.paragraphs;
    EXPECT_EQ(p[0].format.numbering, Bullet);
    EXPECT_EQ(p[1].format.numbering, UpperRoman);
    EXPECT_EQ(p[1].format.numberingStart, 3);
    EXPECT_EQ(p[1].format.numberingStyle, 0x200);
    EXPECT_EQ(p[2].format.numbering, LowerLetter);
    EXPECT_EQ(p[2].format.numberingStart, 3);
    EXPECT_EQ(p[2].format.numberingStyle, 0);
    EXPECT_EQ(p[3].format.numbering, Bullet);
    EXPECT_EQ(p[4].format.numbering, NoNumbering);  // no such list
    EXPECT_EQ(p[5].format.numbering, NoNumbering);
}

TEST(RtfReaderLists, LabelOfAParagraphWhoseListIsMissingStaysAsText)
{
    const DocumentFragment doc = readRtf(
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid7}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
        "{\\listtext\\pard\\plain\\i 9.\\tab}\\pard\\ls1 known\\par"
        "{\\listtext\\pard\\plain 10.\\tab}\\pard\\ls4 The clause\\par"
        "\\pard\\ls4 {\\listtext\\b 11.\\tab}\\b0 After\\par"
        "{\\listtext 12.\\tab}\\pard plain\\par"
        "{\\listtext\\'b7\\tab}\\pard\\ls9 last}",
        RtfReadMode::WholeDocument);
    // A known list numbers the paragraph itself; an unknown one keeps the label as text; a
    // paragraph outside any list has no number to keep.
    ASSERT_EQ(textOf(doc), QString::fromUtf16(u"known\r\n10.\tThe clause\r\n11.\tAfter\r\n"
                                              u"plain\r\n\u00B7\tlast"));
    const auto& p = doc.paragraphs;
    EXPECT_EQ(p[0].format.numbering, Arabic);
    EXPECT_EQ(p[1].format.numbering, NoNumbering);
    EXPECT_TRUE(formatOf(doc, "11.").is(Bold));
    EXPECT_FALSE(formatOf(doc, "After").is(Bold));
    EXPECT_FALSE(formatOf(doc, "10.").is(Italic));
}

TEST(RtfReaderDestinations, SkippedAndReadDestinations)
{
    EXPECT_EQ(read("{\\rtf1{\\info{\\title T}}{\\stylesheet{\\s1 Heading;}}{\\header h\\par}"
                   "{\\footerf f}{\\footnote n}{\\annotation a}{\\xe x}{\\tc t}{\\*\\unknown u}"
                   "{\\pntext p}{\\listtext l}{\\mystery m}body}"),
              u"mbody");
    // Destinations some writers leave without \\*: table-of-contents entries, document
    // properties, bookmarks, annotation details and shape properties.
    EXPECT_EQ(read("{\\rtf1 a{\\tcn Chapter}b{\\title t}{\\comment c}{\\keywords k}"
                   "{\\author w}{\\doccomm d}c{\\bkmkstart m}d{\\bkmkend m}e{\\atnid X}"
                   "{\\atnauthor Y}{\\atndate 1}{\\atnref 2}f{\\sp{\\sn n}{\\sv v}}g"
                   "{\\nextfile x.rtf}h}"),
              u"abcdefgh");
    EXPECT_EQ(read("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt shown}}"
                   "{\\field{\\fldinst PAGE}{\\fldrslt 3}}}"),
              u"shown3");
    EXPECT_EQ(read("{\\rtf1{\\object{\\objdata 0102}hidden{\\result{R}}}"
                   "{\\shp{\\*\\shpinst{\\sp{\\sv S}}}{\\shprslt X}}{\\result Y}}"),
              u"RXY");
    // \bin data is skipped outside pictures, and a count past the end stops reading.
    EXPECT_EQ(read("{\\rtf1 a\\bin3 }}}b}"), u"ab");
    EXPECT_EQ(read("{\\rtf1 a\\par b\\bin99 xyz}"), u"a\r\nb");
}

TEST(RtfReaderPictures, KindsSizesAndData)
{
    const DocumentFragment doc = readRtf(
        "{\\rtf1 a{\\pict\\pngblip\\picw10\\pich20\\picwgoal300\\pichgoal600\\picscalex50"
        "\\picscaley200 89504E47}b{\\pict\\dibitmap0\\picw4\\pich2 0a0B\\bin2 \x01\x02}"
        "{\\pict\\wmetafile8\\picw2540\\pich1270 0 1 x2}{\\pict\\macpict 00}"
        "{\\*\\shppict{\\pict\\jpegblip FFD8}}{\\nonshppict{\\pict\\wbitmap 00}}}",
        RtfReadMode::WholeDocument);
    const auto& runs = doc.paragraphs[0].runs;
    ASSERT_EQ(textOf(doc), QString::fromUtf16(u"a\xFFFC"
                                              u"b\xFFFC\xFFFC\xFFFC"));
    const Picture& png = *runs[1].picture;
    EXPECT_EQ(png.kind, PictureKind::Png);
    EXPECT_EQ(png.encoded, QByteArray("\x89PNG"));
    EXPECT_EQ(png.goalWidthTw, 150);
    EXPECT_EQ(png.goalHeightTw, 1200);
    EXPECT_EQ(png.pixelWidth, 10);
    const Picture& dib = *runs[3].picture;
    EXPECT_EQ(dib.kind, PictureKind::Dib);
    EXPECT_EQ(dib.encoded, QByteArray("\x0a\x0b\x01\x02"));
    EXPECT_EQ(dib.goalWidthTw, 60);  // 15 twips per pixel
    EXPECT_EQ(dib.goalHeightTw, 30);
    const Picture& wmf = *runs[4].picture;
    EXPECT_EQ(wmf.kind, PictureKind::Metafile);
    EXPECT_EQ(wmf.goalWidthTw, 1440);  // hundredths of a millimetre
    EXPECT_EQ(wmf.goalHeightTw, 720);
    EXPECT_EQ(wmf.encoded, QByteArray("\x01\x20", 2));    // bad hex passed over, odd digit kept
    EXPECT_EQ(runs[5].picture->kind, PictureKind::Jpeg);  // \nonshppict's copy skipped
    EXPECT_EQ(runs.size(), 6u);

    // Without a \shppict before it, a \nonshppict picture is the only copy and is read.
    const DocumentFragment alone =
        readRtf("{\\rtf1{\\nonshppict{\\pict\\wmetafile8 01}}}", RtfReadMode::WholeDocument);
    ASSERT_EQ(alone.paragraphs[0].runs.size(), 1u);
    EXPECT_EQ(alone.paragraphs[0].runs[0].picture->kind, PictureKind::Metafile);
}

TEST(RtfReaderStructure, ReadsTheControlsOwnOutputShape)
{
    // The line shape of the engine's writer: one paragraph per line, "\par " starting each later
    // one, mark formats at the end of the previous line.
    const DocumentFragment doc = readRtf(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Verdana;}"
        "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl ;\\red0\\green0\\blue255;}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 see \\cf1\\ul\\lang357 www.x.org\\cf0\\ulnone\\lang1033  "
        "now\r\n"
        "\\par \\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
        "\\fi-360\\li360 item \\u8364?\\b\r\n"
        "\\par \\pard\\b0 \r\n"
        "\\par }\r\n",
        RtfReadMode::WholeDocument);
    ASSERT_EQ(textOf(doc), QString::fromUtf16(u"see www.x.org now\r\nitem \x20AC\r\n"));
    ASSERT_EQ(doc.paragraphs.size(), 3u);
    const CharFormat link = formatOf(doc, "www");
    EXPECT_TRUE(link.is(Link | Underline));
    EXPECT_EQ(link.color, 0xFF0000u);
    EXPECT_EQ(formatOf(doc, "see").face, u"Verdana");
    EXPECT_EQ(formatOf(doc, "see").heightTw, 200);
    EXPECT_FALSE(formatOf(doc, "now").is(Link | Underline));
    EXPECT_EQ(doc.paragraphs[1].format.numbering, Bullet);
    EXPECT_EQ(doc.paragraphs[1].format.startIndent, 0);
    EXPECT_EQ(doc.paragraphs[1].format.offset, 360);
    EXPECT_TRUE(doc.paragraphs[1].markFormat.is(Bold));
    EXPECT_FALSE(doc.paragraphs[2].markFormat.is(Bold));
    EXPECT_EQ(doc.paragraphs[2].format.numbering, NoNumbering);
}

namespace {

// Random RTF of the pieces a reader meets: formatting words in and out of groups, escapes that
// make line ends, NULs and surrogates, double-byte text, table cells, list labels, skipped
// destinations, pictures and unbalanced braces.
QByteArray randomRtf(std::mt19937& random)
{
    static const char* const pieces[] = {
        "{",
        "}",
        "\\b ",
        "\\b0 ",
        "\\i ",
        "\\ul ",
        "\\ulnone ",
        "\\f1 ",
        "\\f0 ",
        "\\f2 ",
        "\\fs30 ",
        "\\cf1 ",
        "\\cf0 ",
        "\\highlight2 ",
        "\\plain ",
        "\\v ",
        "\\v0 ",
        "\\lang357 ",
        "\\par\r\n",
        "\\pard ",
        "\\qc ",
        "\\li360 ",
        "\\tx720 ",
        "\\tab ",
        "\\line ",
        "\\'e9",
        "\\'0d",
        "\\'0a",
        "\\'00",
        "\\'82\\'a0",
        "\\u8364?",
        "\\u-10179?\\u-8704?",
        "\\u-10179?",
        "\\intbl ",
        "\\cell ",
        "\\row ",
        "{\\*\\unknown skipped}",
        "{\\listtext 1.\\tab}",
        "\\ls1 ",
        "\\ls9 ",
        "\\sect ",
        "\\~",
        "\\-",
        "\\\\",
        "\\{",
        "\\}",
        "abc ",
        "x",
        "caf",
        "\\uc0 ",
        "\\uc1 ",
        "\\deff1 ",
        "\\emdash ",
        "{\\pntext\\f1\\'B7\\tab}",
        "\r\n",
        "word words ",
    };
    QByteArray rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil\\fcharset2 Symbol;}"
        "{\\f2\\fnil\\fcharset128 Gothic;}}{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0"
        "\\blue255;}{\\*\\listtable{\\list\\listid5{\\listlevel\\levelnfc0\\levelstartat1}}}"
        "{\\*\\listoverridetable{\\listoverride\\listid5\\ls1}}";
    static const QByteArray picture =
        "{\\pict\\pngblip " + testsupport::encodedImage(2, 2, 0xFF00FF00, "PNG").toHex() + "}";
    const int count = int(random() % 120);
    for (int i = 0; i < count; ++i) {
        const size_t piece = random() % (std::size(pieces) + 1);
        rtf += piece < std::size(pieces) ? QByteArray(pieces[piece]) : picture;
    }
    if (random() % 2 == 0)
        rtf += "}";
    return rtf;
}

// Text, runs (lengths, formats, pictures), paragraph formats and marks of two documents.
void expectSameDocument(const Document& streamed, const Document& reference)
{
    ASSERT_EQ(streamed.paragraphCount(), reference.paragraphCount());
    for (int i = 0; i < streamed.paragraphCount(); ++i) {
        const Paragraph& a = streamed.paragraph(i);
        const Paragraph& b = reference.paragraph(i);
        ASSERT_EQ(a.text, b.text) << i;
        ASSERT_EQ(a.runs.size(), b.runs.size()) << i;
        for (size_t k = 0; k < a.runs.size(); ++k) {
            EXPECT_EQ(a.runs[k].length, b.runs[k].length) << i << " " << k;
            EXPECT_EQ(streamed.format(a.runs[k].format), reference.format(b.runs[k].format));
            ASSERT_EQ(bool(a.runs[k].picture), bool(b.runs[k].picture));
            if (a.runs[k].picture) {
                EXPECT_EQ(a.runs[k].picture->encoded, b.runs[k].picture->encoded);
            }
        }
        EXPECT_EQ(streamed.paraFormat(a.format), reference.paraFormat(b.format)) << i;
        EXPECT_EQ(streamed.format(a.mark), reference.format(b.mark)) << i;
    }
}

}  // namespace

// The streamed read hands each paragraph's text over in one block; the document it makes must
// be the one made from the fragment's runs, whatever the input.
TEST(RtfReaderStreaming, JoinedTextMakesTheSameDocumentAsRuns)
{
    std::mt19937 random(33);
    for (int round = 0; round < 400; ++round) {
        const QByteArray rtf = randomRtf(random);
        Document streamed;
        streamed.replaceAll([&rtf](const ParagraphSink& sink) {
            readRtf(rtf, RtfReadMode::WholeDocument, sink, RtfRunText::Joined);
        });
        Document reference;
        reference.replaceAll(readRtf(rtf, RtfReadMode::WholeDocument));
        SCOPED_TRACE(rtf.toStdString());
        expectSameDocument(streamed, reference);
        if (HasFatalFailure())
            return;

        // Insertions keep per-run text: the fragment read whole and the one gathered from the
        // stream agree run by run.
        const DocumentFragment whole = readRtf(rtf, RtfReadMode::Insert);
        DocumentFragment gathered;
        readRtf(rtf, RtfReadMode::Insert, [&gathered](FragmentParagraph&& paragraph) {
            gathered.paragraphs.push_back(std::move(paragraph));
        });
        ASSERT_EQ(whole.paragraphs.size(), gathered.paragraphs.size());
        for (size_t i = 0; i < whole.paragraphs.size(); ++i) {
            const auto& a = whole.paragraphs[i].runs;
            const auto& b = gathered.paragraphs[i].runs;
            ASSERT_EQ(a.size(), b.size());
            for (size_t k = 0; k < a.size(); ++k) {
                EXPECT_EQ(a[k].text, b[k].text);
                EXPECT_EQ(a[k].format, b[k].format);
            }
            EXPECT_FALSE(gathered.paragraphs[i].textJoined);
        }
    }
}

TEST(RtfReaderStructure, KeywordsAreFoundByTheirWholeName)
{
    EXPECT_EQ(lookupRtfKeyword("listoverridetable"), RtfKeyword::ListOverrideTable);
    EXPECT_EQ(lookupRtfKeyword("nesttableprops"), RtfKeyword::NestTableProps);
    EXPECT_EQ(lookupRtfKeyword("b"), RtfKeyword::Bold);
    EXPECT_EQ(lookupRtfKeyword("ul"), RtfKeyword::Underline);
    EXPECT_EQ(lookupRtfKeyword("ulwave"), RtfKeyword::Underline);
    EXPECT_EQ(lookupRtfKeyword("ulnone"), RtfKeyword::UnderlineNone);
    EXPECT_EQ(lookupRtfKeyword("ulc"), RtfKeyword::Unknown);
    EXPECT_EQ(lookupRtfKeyword("u"), RtfKeyword::Unicode);
    EXPECT_EQ(lookupRtfKeyword("uc"), RtfKeyword::UnicodeSkip);
    // Prefixes, extensions and names differing only past a word boundary of the packing.
    EXPECT_EQ(lookupRtfKeyword("listoverridetabl"), RtfKeyword::Unknown);
    EXPECT_EQ(lookupRtfKeyword("listoverridetablex"), RtfKeyword::Unknown);
    EXPECT_EQ(lookupRtfKeyword("listoverride"), RtfKeyword::ListOverride);
    EXPECT_EQ(lookupRtfKeyword("bb"), RtfKeyword::Unknown);
    EXPECT_EQ(lookupRtfKeyword(QByteArrayView("b\0", 2)), RtfKeyword::Unknown);
    EXPECT_EQ(lookupRtfKeyword("abcdefghijklmnopqrstuvwxyzabcdefg"), RtfKeyword::Unknown);
    EXPECT_EQ(lookupRtfKeyword(""), RtfKeyword::Unknown);
}

// Text runs are found eight bytes at a time; they must end exactly where a byte that is no
// text (a brace or a control byte other than the tab) stands, wherever it falls.
TEST(RtfReaderStructure, TextRunsEndAtEveryKindOfByte)
{
    std::mt19937 random(12);
    const auto isText = [](unsigned char byte) {
        return (byte >= 0x20 || byte == '\t') && byte != '{' && byte != '}' && byte != '\\';
    };
    for (int round = 0; round < 2000; ++round) {
        QByteArray input;
        const int size = int(random() % 70);
        for (int i = 0; i < size; ++i) {
            // Mostly text, high bytes included; now and then a brace or a control byte.
            auto byte = static_cast<unsigned char>(random() % 256);
            if (random() % 8 != 0 && !isText(byte))
                byte = 'a';
            if (byte == '\\')
                byte = '}';
            input += char(byte);
        }
        std::vector<QByteArray> expected;
        QByteArray run;
        for (const char c : input) {
            if (isText(static_cast<unsigned char>(c))) {
                run += c;
                continue;
            }
            if (!run.isEmpty())
                expected.push_back(run);
            run.clear();
        }
        if (!run.isEmpty())
            expected.push_back(run);

        std::vector<QByteArray> found;
        RtfTokenizer tokenizer(input);
        for (RtfToken token = tokenizer.next(); token.type != RtfToken::End;
             token = tokenizer.next()) {
            if (token.type == RtfToken::Text)
                found.push_back(token.bytes.toByteArray());
        }
        ASSERT_EQ(found, expected) << input.toHex().toStdString();
    }
}
