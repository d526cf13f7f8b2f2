// The message table against the engine's typed calls, sent by window handle.
#include "platform/richedit/view/Messages.h"

#include "platform/richedit/layout/FormatRangeCache.h"
#include "platform/richedit/view/EngineHandles.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <cstring>
#include <memory>

using namespace richedit;

namespace {

template <typename Record>
intptr_t address(Record& record)
{
    return reinterpret_cast<intptr_t>(&record);
}

RtfFormatQ charRecord(uint32_t mask, uint32_t effects = 0)
{
    RtfFormatQ record;
    record.cbSize = RtfFormatQSize;
    record.dwMask = mask;
    record.dwEffects = effects;
    return record;
}

ParaFormat2 paraRecord(uint32_t mask = 0)
{
    ParaFormat2 record;
    record.cbSize = ParaFormat2Size;
    record.dwMask = mask;
    return record;
}

}  // namespace

class MessagesTest : public ::testing::Test {
protected:
    intptr_t send(uint32_t msg, intptr_t wParam = 0, intptr_t lParam = 0)
    {
        return sendMessage(handleOf(engine), msg, wParam, lParam);
    }
    intptr_t select(int32_t cpMin, int32_t cpMax)
    {
        CharRange range{cpMin, cpMax};
        return send(EM_EXSETSEL, 0, address(range));
    }
    RtfFormatQ readChar()
    {
        RtfFormatQ record = charRecord(0);
        record.dwMask = send(EM_GETCHARFORMAT, SCF_SELECTION, address(record));
        return record;
    }
    ParaFormat2 readPara()
    {
        ParaFormat2 record = paraRecord();
        send(EM_GETPARAFORMAT, 0, address(record));
        return record;
    }

    testsupport::FakeClipboard clipboard;
    Engine engine;
};

TEST(EngineHandles, EachEngineHasItsOwnLastingHandle)
{
    auto first = std::make_unique<Engine>();
    Engine second;
    const intptr_t handle = handleOf(*first);
    EXPECT_NE(handle, 0);
    EXPECT_EQ(handleOf(*first), handle);
    EXPECT_NE(handleOf(second), handle);
    EXPECT_EQ(engineFromHandle(handle), first.get());
    EXPECT_EQ(engineFromHandle(handleOf(second)), &second);
    EXPECT_EQ(engineFromHandle(0), nullptr);
    EXPECT_EQ(engineFromHandle(handle + 1), nullptr);

    first.reset();
    EXPECT_EQ(engineFromHandle(handle), nullptr);
    EXPECT_EQ(sendMessage(handle, EM_GETLINECOUNT, 0, 0), 0);
    // A new engine never takes over a destroyed one's number.
    Engine third;
    EXPECT_NE(handleOf(third), handle);
    EXPECT_EQ(engineFromHandle(handle), nullptr);
}

TEST_F(MessagesTest, UnknownMessagesAndNullRecordsDoNothing)
{
    engine.setText(QStringLiteral("abc"));
    EXPECT_EQ(send(0x0C /* set text */, 0, 0), 0);
    EXPECT_EQ(send(EM_EXSETSEL, 0, 0), 0);
    EXPECT_EQ(send(EM_FINDTEXT, 0, 0), -1);
    EXPECT_EQ(send(EM_REPLACESEL, 1, 0), 0);
    EXPECT_EQ(send(EM_SETCHARFORMAT, SCF_ALL, 0), 0);
    EXPECT_EQ(send(EM_GETOLEINTERFACE, 0, 0), 0);
    EXPECT_EQ(engine.text(), QStringLiteral("abc"));
    EXPECT_FALSE(engine.canUndo());
}

// Walking the display lines through the messages rebuilds Text exactly: each line is followed
// by nothing (a soft wrap), U+000B or CR LF.
TEST_F(MessagesTest, LineMessagesAgreeWithText)
{
    engine.setViewportSize(QSize(2400, 3000));
    const QString text = QStringLiteral(
        "The quick brown fox jumps over the lazy dog again\r\n\r\n"
        "short\x0Bsoft break\r\nlast words of all here");
    engine.setText(text);
    for (const int32_t width : {0, 1, 1800}) {
        send(EM_SETTARGETDEVICE, 0, width);
        const auto count = int(send(EM_GETLINECOUNT));
        QString rebuilt;
        for (int line = 0; line < count; ++line) {
            const auto start = int32_t(send(EM_LINEINDEX, line));
            const auto length = int32_t(send(EM_LINELENGTH, start));
            ASSERT_EQ(start, rebuilt.size()) << width << " line " << line;
            EXPECT_EQ(send(EM_LINEFROMCHAR, start), line);
            EXPECT_EQ(send(EM_EXLINEFROMCHAR, 0, start), line);
            rebuilt += text.mid(start, length);
            const auto next =
                line + 1 < count ? int32_t(send(EM_LINEINDEX, line + 1)) : int32_t(text.size());
            const QString gap = text.mid(start + length, next - start - length);
            EXPECT_TRUE(gap.isEmpty() || gap == QStringLiteral("\x0B") ||
                        gap == QStringLiteral("\r\n"))
                << width << " line " << line;
            rebuilt += gap;
        }
        EXPECT_EQ(rebuilt, text) << width;
        EXPECT_EQ(send(EM_LINEINDEX, count), -1);
        EXPECT_EQ(send(EM_LINEFROMCHAR, text.size()), count - 1);
        EXPECT_EQ(send(EM_LINEFROMCHAR, text.size() + 100), count - 1);
        // Four paragraphs and a soft break; only the wrapping modes add lines.
        EXPECT_EQ(count > 5, width != 1) << width;
    }

    // -1 is the caret's line; a huge number is past the end, never a wrapped-around line.
    engine.setSelStart(55);
    EXPECT_EQ(send(EM_LINEINDEX, -1), send(EM_LINEINDEX, send(EM_LINEFROMCHAR, -1)));
    EXPECT_EQ(send(EM_LINEINDEX, intptr_t(1) << 32), -1);
    EXPECT_EQ(send(EM_LINEFROMCHAR, intptr_t(1) << 32), send(EM_GETLINECOUNT) - 1);

    engine.setText(QString());
    EXPECT_EQ(send(EM_GETLINECOUNT), 1);
    EXPECT_EQ(send(EM_LINEINDEX, 0), 0);
    EXPECT_EQ(send(EM_LINELENGTH, 0), 0);
}

TEST_F(MessagesTest, ScrollingAndGeometryGoToTheLayout)
{
    engine.setViewportSize(QSize(3000, 1500));
    QStringList lines;
    for (int i = 0; i < 50; ++i)
        lines << QStringLiteral("line %1").arg(i);
    engine.setText(lines.join(QStringLiteral("\r\n")));
    EXPECT_EQ(send(EM_GETFIRSTVISIBLELINE), 0);
    EXPECT_EQ(send(EM_LINESCROLL, 0, 10), 1);
    EXPECT_EQ(send(EM_GETFIRSTVISIBLELINE), 10);
    EXPECT_EQ(engine.selStart(), 0);  // the caret stays
    EXPECT_EQ(send(EM_LINESCROLL, 0, 1000), 1);
    EXPECT_EQ(send(EM_GETFIRSTVISIBLELINE), 49);
    EXPECT_EQ(send(EM_LINESCROLL, 0, -1000), 1);
    EXPECT_EQ(send(EM_GETFIRSTVISIBLELINE), 0);

    Rect rect;
    send(EM_GETRECT, 0, address(rect));
    const FormattingRect expected = engine.formattingRectPx();
    EXPECT_EQ(rect, (Rect{expected.left, expected.top, expected.right, expected.bottom}));
    EXPECT_GT(rect.right, rect.left);

    for (const PointL point : {PointL{0, 0}, PointL{30, 25}, PointL{1000, 1000}}) {
        PointL copy = point;
        EXPECT_EQ(send(EM_CHARFROMPOS, 0, address(copy)),
                  engine.charFromPos(QPoint(point.x, point.y)));
    }
}

TEST_F(MessagesTest, ExSetSelClampsAndReturnsTheActiveEnd)
{
    engine.setText(QStringLiteral("ab\r\ncdef"));  // L = 8
    EXPECT_EQ(select(0, -1), 8);
    EXPECT_EQ(engine.selLength(), 8);
    EXPECT_EQ(select(3, 50), 8);
    EXPECT_EQ(engine.selStart(), 4);  // between CR and LF snaps forward
    EXPECT_EQ(select(6, 2), 2);
    EXPECT_EQ(engine.anchor(), 6);
    EXPECT_EQ(engine.caret(), 2);
    EXPECT_EQ(send(EM_LINEFROMCHAR, -1), 0);  // the caret's line is the active end's
    EXPECT_EQ(select(-1, 5), 2);              // collapses at the active end
    EXPECT_EQ(engine.selLength(), 0);
    EXPECT_EQ(select(8, 10), 8);
    EXPECT_EQ(engine.selLength(), 0);
}

TEST_F(MessagesTest, TextEditsAndUndo)
{
    engine.setText(QStringLiteral("hello world"));
    select(6, 11);
    QString text = QStringLiteral("there");
    EXPECT_EQ(send(EM_REPLACESEL, 1, address(text)), 0);
    EXPECT_EQ(engine.text(), QStringLiteral("hello there"));
    EXPECT_EQ(engine.selStart(), 11);
    EXPECT_EQ(send(EM_GETMODIFY), 1);
    EXPECT_EQ(send(EM_CANUNDO), 1);
    EXPECT_EQ(send(EM_UNDO), 1);
    EXPECT_EQ(engine.text(), QStringLiteral("hello world"));

    EXPECT_EQ(send(EM_SETMODIFY, 0), 0);
    EXPECT_EQ(send(EM_GETMODIFY), 0);
    EXPECT_EQ(send(EM_SETMODIFY, -1), 0);
    EXPECT_EQ(send(EM_GETMODIFY), 1);

    // Without undo the buffer is emptied.
    select(0, 5);
    text = QStringLiteral("HELLO");
    send(EM_REPLACESEL, 0, address(text));
    EXPECT_EQ(engine.text(), QStringLiteral("HELLO world"));
    EXPECT_EQ(send(EM_CANUNDO), 0);
    EXPECT_EQ(send(EM_UNDO), 0);

    select(5, 11);
    EXPECT_EQ(send(WM_CLEAR), 1);
    EXPECT_EQ(engine.text(), QStringLiteral("HELLO"));
    EXPECT_EQ(send(EM_CANUNDO), 1);
    EXPECT_EQ(send(EM_EMPTYUNDOBUFFER), 0);
    EXPECT_EQ(send(EM_CANUNDO), 0);
}

TEST_F(MessagesTest, ReadOnlyAndTheClipboard)
{
    engine.setText(QStringLiteral("copy me"));
    EXPECT_EQ(send(EM_CANPASTE), 0);
    select(0, 4);
    EXPECT_EQ(send(WM_COPY), 1);
    EXPECT_EQ(clipboard.mimeData()->text(), QStringLiteral("copy"));
    EXPECT_EQ(send(EM_CANPASTE), 1);

    EXPECT_EQ(send(EM_SETREADONLY, -1), 1);
    EXPECT_TRUE(engine.readOnly());
    EXPECT_EQ(send(WM_CUT), 0);
    EXPECT_EQ(send(WM_PASTE), 0);
    EXPECT_EQ(engine.text(), QStringLiteral("copy me"));
    EXPECT_EQ(send(EM_SETREADONLY, 0), 1);
    EXPECT_FALSE(engine.readOnly());

    select(7, 7);
    EXPECT_EQ(send(WM_PASTE), 1);
    EXPECT_EQ(engine.text(), QStringLiteral("copy mecopy"));
    select(0, 5);
    EXPECT_EQ(send(WM_CUT), 1);
    EXPECT_EQ(engine.text(), QStringLiteral("mecopy"));

    // Each of the three kinds can be pasted.
    clipboard.setMimeData(nullptr);
    EXPECT_EQ(send(EM_CANPASTE), 0);
    auto* rtf = new QMimeData;
    rtf->setData(QStringLiteral("text/rtf"), "{\\rtf1 x}");
    clipboard.setMimeData(rtf);
    EXPECT_EQ(send(EM_CANPASTE), 1);
    auto* image = new QMimeData;
    QImage pixel(1, 1, QImage::Format_ARGB32);
    pixel.fill(Qt::red);
    image->setImageData(pixel);
    clipboard.setMimeData(image);
    EXPECT_EQ(send(EM_CANPASTE), 1);
}

TEST_F(MessagesTest, FindTextSearchesForwardWithoutTouchingTheSelection)
{
    engine.setText(QStringLiteral("Cat scatter cat"));
    select(2, 3);
    FindText find{{0, -1}, QStringLiteral("cat")};
    EXPECT_EQ(send(EM_FINDTEXT, 0, address(find)), 0);
    EXPECT_EQ(send(EM_FINDTEXT, 4, address(find)), 5);
    EXPECT_EQ(send(EM_FINDTEXT, 6, address(find)), 12);
    EXPECT_EQ(send(EM_FINDTEXT, 1 | 2, address(find)), 0);  // the down bit is ignored
    find.chrg = {1, 14};
    EXPECT_EQ(send(EM_FINDTEXT, 0, address(find)), 5);
    find.chrg = {6, 14};
    EXPECT_EQ(send(EM_FINDTEXT, 0, address(find)), -1);
    EXPECT_EQ(engine.anchor(), 2);
    EXPECT_EQ(engine.caret(), 3);
}

// The font dialog's masks with scope 9, the link mark, the highlight and the script style each
// read back as set.
TEST_F(MessagesTest, CharFormatRoundTrips)
{
    engine.setText(QStringLiteral("some text here"));
    select(0, 4);
    RtfFormatQ set =
        charRecord(Bold | Italic | StrikeOut | Underline | Size | Face, Bold | StrikeOut);
    set.yHeight = 280;
    std::strcpy(set.szFaceName, "Times New Roman");
    EXPECT_EQ(send(EM_SETCHARFORMAT, SCF_SELECTION | SCF_USEUIRULES, address(set)), 1);
    RtfFormatQ read = readChar();
    EXPECT_EQ(read.dwMask & set.dwMask, set.dwMask);
    EXPECT_EQ(read.dwEffects & (Bold | Italic | StrikeOut | Underline), Bold | StrikeOut);
    EXPECT_EQ(read.yHeight, 280);
    EXPECT_STREQ(read.szFaceName, "Times New Roman");
    EXPECT_EQ(read.cbSize, RtfFormatQSize);
    EXPECT_EQ(engine.selFontName(), std::optional<QString>(QStringLiteral("Times New Roman")));

    set = charRecord(Link, Link);
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(set));
    set = charRecord(Lcid);
    set.lLCID = LinkLcid;
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(set));
    read = readChar();
    EXPECT_TRUE(read.dwEffects & Link);
    EXPECT_EQ(read.lLCID, LinkLcid);
    // Unmarking the whole text takes both back in one record.
    select(0, -1);
    set = charRecord(Link | Lcid);
    set.lLCID = PlainLcid;
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(set));
    read = readChar();
    EXPECT_EQ(read.dwMask & (Link | Lcid), Link | Lcid);
    EXPECT_FALSE(read.dwEffects & Link);
    EXPECT_EQ(read.lLCID, PlainLcid);
    select(0, 4);

    // Highlight: a real colour, then automatic (which never equals a real colour).
    set = charRecord(BackColor);
    set.crBackColor = 0x00FFFF;
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(set));
    EXPECT_EQ(readChar().crBackColor, 0x00FFFFu);
    set = charRecord(BackColor, AutoBackColorEffect);
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(set));
    read = readChar();
    EXPECT_EQ(read.crBackColor, 0xFFFFFFFFu);
    EXPECT_TRUE(read.dwEffects & AutoBackColorEffect);

    // Automatic text colour reads as 0 with its effect; an explicit colour as itself.
    EXPECT_EQ(read.crTextColor, 0u);
    EXPECT_TRUE(read.dwEffects & AutoColorEffect);
    set = charRecord(Color | Underline, Underline);
    set.crTextColor = 0xFF0000;
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(set));
    read = readChar();
    EXPECT_EQ(read.crTextColor, 0xFF0000u);
    EXPECT_FALSE(read.dwEffects & AutoColorEffect);

    set = charRecord(SubSuperscript, Superscript);
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(set));
    EXPECT_EQ(readChar().dwEffects & SubSuperscript, Superscript);
    set = charRecord(SubSuperscript, Subscript);
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(set));
    EXPECT_EQ(readChar().dwEffects & SubSuperscript, Subscript);

    // A locale-only record with the locale bit as an effect changes nothing else.
    const RtfFormatQ before = readChar();
    set = charRecord(0, Lcid);
    EXPECT_EQ(send(EM_SETCHARFORMAT, SCF_SELECTION, address(set)), 1);
    const RtfFormatQ after = readChar();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(MessagesTest, CharFormatScopesMixedReadingsAndBadRecords)
{
    engine.setText(QStringLiteral("ab\r\ncd"));
    select(0, 2);
    RtfFormatQ bold = charRecord(Bold, Bold);
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(bold));

    // Mixed fields lose their mask bit; a paragraph mark beside other characters does not count.
    select(0, 4);
    EXPECT_TRUE(readChar().dwMask & Bold);
    EXPECT_TRUE(readChar().dwEffects & Bold);
    select(0, 5);
    EXPECT_FALSE(readChar().dwMask & Bold);
    EXPECT_TRUE(readChar().dwMask & Size);

    RtfFormatQ size = charRecord(Size);
    size.yHeight = 400;
    EXPECT_EQ(send(EM_SETCHARFORMAT, SCF_ALL, address(size)), 1);
    select(0, -1);
    EXPECT_EQ(readChar().yHeight, 400);
    EXPECT_TRUE(readChar().dwMask & Size);

    // A record of the wrong size is refused both ways and left as it was.
    RtfFormatQ bad = charRecord(Size);
    bad.cbSize = 60;
    bad.yHeight = 100;
    EXPECT_EQ(send(EM_SETCHARFORMAT, SCF_ALL, address(bad)), 0);
    EXPECT_EQ(send(EM_GETCHARFORMAT, SCF_SELECTION, address(bad)), 0);
    EXPECT_EQ(bad.yHeight, 100);
    EXPECT_EQ(readChar().yHeight, 400);
    RtfFormatQ query = charRecord(0);
    EXPECT_EQ(send(EM_GETCHARFORMAT, 0, address(query)), 0);
    EXPECT_EQ(query.yHeight, 0);

    // A caret takes a pending format for the next insertion.
    select(6, 6);
    RtfFormatQ italic = charRecord(Italic, Italic);
    send(EM_SETCHARFORMAT, SCF_SELECTION, address(italic));
    EXPECT_TRUE(readChar().dwEffects & Italic);
    QString typed = QStringLiteral("e");
    send(EM_REPLACESEL, 1, address(typed));
    select(6, 7);
    EXPECT_TRUE(readChar().dwEffects & Italic);
}

TEST_F(MessagesTest, ParaFormatAppliesToTouchedParagraphsAndReadsMixedFields)
{
    engine.setText(QStringLiteral("one\r\ntwo\r\nthree"));
    select(1, 6);  // touches the first two paragraphs
    ParaFormat2 set = paraRecord(Alignment | StartIndent | TabStops);
    set.wAlignment = AlignCenter;
    set.dxStartIndent = 720;
    set.cTabCount = 2;
    set.rgxTabs[0] = 1440;
    set.rgxTabs[1] = 360;
    EXPECT_EQ(send(EM_SETPARAFORMAT, 0, address(set)), 1);

    ParaFormat2 read = readPara();
    EXPECT_EQ(read.dwMask & (Alignment | StartIndent | TabStops),
              Alignment | StartIndent | TabStops);
    EXPECT_EQ(read.wAlignment, AlignCenter);
    EXPECT_EQ(read.dxStartIndent, 720);
    ASSERT_EQ(read.cTabCount, 2);
    EXPECT_EQ(read.rgxTabs[0], 1440);  // in the order set
    EXPECT_EQ(read.rgxTabs[1], 360);

    // The numbering change the control sends.
    select(10, 10);
    set = paraRecord(0xA020);
    set.wNumbering = Arabic;
    set.wNumberingStart = 1;
    set.wNumberingStyle = 0x200;
    send(EM_SETPARAFORMAT, 0, address(set));
    read = readPara();
    EXPECT_EQ(read.wNumbering, Arabic);
    EXPECT_EQ(read.wNumberingStyle, 0x200);

    // Over all three, the fields that differ lose their bits; the first paragraph's values
    // are reported.
    select(0, -1);
    read = readPara();
    EXPECT_EQ(read.dwMask & (Alignment | StartIndent | TabStops | Numbering), 0u);
    EXPECT_TRUE(read.dwMask & RightIndent);
    EXPECT_TRUE(read.dwMask & OffsetIndent);
    EXPECT_EQ(read.wAlignment, AlignCenter);
    EXPECT_EQ(read.dxStartIndent, 720);
    EXPECT_EQ(intptr_t(read.dwMask), send(EM_GETPARAFORMAT, 0, address(read)));

    ParaFormat2 bad = paraRecord(Alignment);
    bad.cbSize = 156;
    bad.wAlignment = AlignRight;
    EXPECT_EQ(send(EM_SETPARAFORMAT, 0, address(bad)), 0);
    EXPECT_EQ(send(EM_GETPARAFORMAT, 0, address(bad)), 0);
    EXPECT_EQ(bad.wAlignment, AlignRight);
    select(0, 0);
    EXPECT_EQ(readPara().wAlignment, AlignCenter);
}

TEST_F(MessagesTest, OleInterfaceHandsOutDocumentsOverTheEngine)
{
    engine.setText(QStringLiteral("abc"));
    TextDocument first;
    TextDocument second;
    EXPECT_EQ(send(EM_GETOLEINTERFACE, 0, address(first)), 1);
    EXPECT_EQ(send(EM_GETOLEINTERFACE, 0, address(second)), 1);
    EXPECT_EQ(first.StoryLength(), 4);
    first.Freeze();
    EXPECT_TRUE(engine.frozen());
    second.Unfreeze();
    EXPECT_FALSE(engine.frozen());
}

TEST_F(MessagesTest, TargetDeviceSetsTheWrapMode)
{
    engine.setViewportSize(QSize(1500, 3000));
    engine.setText(QString(QStringLiteral("word ")).repeated(60));
    EXPECT_EQ(send(EM_SETTARGETDEVICE, 0, 1), 1);
    EXPECT_EQ(send(EM_GETLINECOUNT), 1);
    EXPECT_EQ(send(EM_SETTARGETDEVICE, 0, 0), 1);
    const auto atWindow = send(EM_GETLINECOUNT);
    EXPECT_GT(atWindow, 1);
    QImage device(10, 10, QImage::Format_RGB32);
    device.setDotsPerMeterX(23622);  // 600 dpi
    device.setDotsPerMeterY(23622);
    const QPaintDevice* target = &device;
    EXPECT_EQ(send(EM_SETTARGETDEVICE, reinterpret_cast<intptr_t>(target), 6000), 1);
    const auto atWidth = send(EM_GETLINECOUNT);
    EXPECT_GT(atWidth, 1);
    EXPECT_LT(atWidth, atWindow);
}

TEST_F(MessagesTest, FormatRangeMeasuresDrawsAndFreesTheCache)
{
    QStringList lines;
    for (int i = 0; i < 80; ++i)
        lines << QStringLiteral("paragraph %1 with a few words to lay out").arg(i);
    engine.setText(lines.join(QStringLiteral("\r\n")));
    FormatRange page;
    page.rc = {0, 0, 9360, 3000};
    page.rcPage = {0, 0, 12240, 15840};
    page.chrg = {0, -1};

    FormatRange typed = page;
    const int32_t expected = engine.formatRange(typed, false);
    FormatRange measured = page;
    EXPECT_EQ(send(EM_FORMATRANGE, 0, address(measured)), expected);
    EXPECT_EQ(measured.rc, typed.rc);
    EXPECT_GT(expected, 0);
    EXPECT_LT(expected, int32_t(engine.text().size()));

    QImage sheet(400, 400, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    FormatRange drawn = page;
    drawn.painter = &painter;
    EXPECT_EQ(send(EM_FORMATRANGE, 1, address(drawn)), expected);
    painter.end();

    // A null record releases the page layouts: the next measure lays out again.
    const int made = engine.formatCache().layoutsMade();
    FormatRange again = page;
    send(EM_FORMATRANGE, 0, address(again));
    EXPECT_EQ(engine.formatCache().layoutsMade(), made);
    EXPECT_EQ(send(EM_FORMATRANGE, 0, 0), 0);
    again = page;
    EXPECT_EQ(send(EM_FORMATRANGE, 0, address(again)), expected);
    EXPECT_GT(engine.formatCache().layoutsMade(), made);
}
