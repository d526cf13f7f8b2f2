#include "platform/richedit/view/TextObjectModel.h"

#include "platform/richedit/view/Engine.h"
#include "tests/support/QStringPrinting.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace richedit;

namespace {

// What the control's status bar shows for the selection's start.
struct Numbers {
    long line = 0;
    long column = 0;
    long character = 0;
    bool operator==(const Numbers&) const = default;
};

Numbers numbersOf(TextDocument& document)
{
    const TextRange selection = document.Selection();
    TextRange forColumn = selection.GetDuplicate();
    return {selection.GetDuplicate().GetIndex(tomLine),
            std::labs(forColumn.StartOf(tomLine, 0)) + 1,
            selection.GetDuplicate().GetIndex(tomCharacter)};
}

}  // namespace

class TextObjectModelTest : public ::testing::Test {
protected:
    Engine engine;
    TextDocument document{engine};
};

// Line and column count display lines, so a wrapped paragraph's second line is line 2 with
// columns counted from where it starts; the character number counts CR LF as two.
TEST_F(TextObjectModelTest, LineColumnAndCharacterNumbersFollowTheDisplayLines)
{
    EXPECT_EQ(numbersOf(document), (Numbers{1, 1, 1}));

    engine.setTargetDevice(nullptr, 1440);  // wrap at one inch
    engine.setText(QStringLiteral("alpha beta gamma delta epsilon zeta eta theta iota\r\nkappa"));
    const int32_t wrapped = engine.lineIndex(1);
    ASSERT_GT(wrapped, 0);
    ASSERT_LT(wrapped, 50);  // the second line still belongs to the first paragraph
    const int lastLine = engine.lineCount() - 1;

    engine.setSelStart(wrapped + 2);
    EXPECT_EQ(numbersOf(document), (Numbers{2, 3, wrapped + 3}));
    // A position at a soft wrap starts the next line.
    engine.setSelStart(wrapped);
    EXPECT_EQ(numbersOf(document), (Numbers{2, 1, wrapped + 1}));

    // "kappa" after the CR LF.
    engine.setSelStart(53);
    EXPECT_EQ(numbersOf(document), (Numbers{lastLine + 1, 2, 54}));

    // A selection reports its start, whichever end the caret is at.
    engine.session().select(56, 52);
    EXPECT_EQ(numbersOf(document), (Numbers{lastLine + 1, 1, 53}));
    // Reading the numbers works on duplicates and leaves the selection alone.
    EXPECT_EQ(engine.anchor(), 56);
    EXPECT_EQ(engine.caret(), 52);
}

TEST_F(TextObjectModelTest, StartOfOnTheSelectionMovesTheEnginesSelection)
{
    engine.setText(QStringLiteral("first\r\nsecond line"));
    engine.exSetSel({10, 14});
    TextRange selection = document.Selection();
    EXPECT_TRUE(selection.isSelection());
    EXPECT_EQ(selection.Start(), 10);
    EXPECT_EQ(selection.End(), 14);

    EXPECT_EQ(selection.StartOf(tomLine, 1), -3);  // extend: the end stays
    EXPECT_EQ(engine.selStart(), 7);
    EXPECT_EQ(engine.selLength(), 7);

    EXPECT_EQ(selection.StartOf(tomLine, 0), 0);  // already there: collapses only
    EXPECT_EQ(engine.selStart(), 7);
    EXPECT_EQ(engine.selLength(), 0);

    // A duplicate is detached: moving it leaves the selection, and the selection moving
    // leaves it.
    engine.exSetSel({12, 12});
    TextRange copy = document.Selection().GetDuplicate();
    EXPECT_FALSE(copy.isSelection());
    EXPECT_EQ(copy.StartOf(tomLine, 0), -5);
    EXPECT_EQ(copy.Start(), 7);
    EXPECT_EQ(engine.selStart(), 12);
    engine.setSelStart(0);
    EXPECT_EQ(copy.Start(), 7);
    EXPECT_EQ(copy.StartOf(tomCharacter, 0), 0);
}

TEST_F(TextObjectModelTest, StoryLengthCountsTheEndMark)
{
    EXPECT_EQ(document.StoryLength(), 1);
    engine.setText(QStringLiteral("ab\r\ncd"));
    EXPECT_EQ(document.StoryLength(), 7);
}

// "one" at 0, 8 and 16; "two" at 4 and 12.
class TomFindTest : public TextObjectModelTest {
protected:
    void SetUp() override { engine.setText(QStringLiteral("one two one two one")); }

    long find(const QString& text, long count, long flags = 0)
    {
        return document.Selection().FindText(text, count, flags);
    }
    CharRange selection() const
    {
        return {engine.selStart(), engine.selStart() + engine.selLength()};
    }
};

TEST_F(TomFindTest, ForwardSearchesStartAtTheSelectionsEndAndSelectTheHit)
{
    const long story = document.StoryLength();
    EXPECT_EQ(find(QStringLiteral("one"), story), 3);
    EXPECT_EQ(selection(), (CharRange{0, 3}));
    EXPECT_EQ(find(QStringLiteral("one"), story), 3);
    EXPECT_EQ(selection(), (CharRange{8, 11}));
    EXPECT_EQ(find(QStringLiteral("ONE"), story), 3);
    EXPECT_EQ(selection(), (CharRange{16, 19}));
    EXPECT_EQ(find(QStringLiteral("one"), story), 0);
    EXPECT_EQ(selection(), (CharRange{16, 19}));  // not found: the selection stays
}

TEST_F(TomFindTest, BackwardSearchesFindTheLastHitEndingByTheSelectionsStart)
{
    const long story = document.StoryLength();
    engine.exSetSel({16, 19});
    EXPECT_EQ(find(QStringLiteral("one"), -story), 3);
    EXPECT_EQ(selection(), (CharRange{8, 11}));
    EXPECT_EQ(find(QStringLiteral("one"), -story), 3);
    EXPECT_EQ(selection(), (CharRange{0, 3}));
    EXPECT_EQ(find(QStringLiteral("one"), -story), 0);
    EXPECT_EQ(selection(), (CharRange{0, 3}));

    // A hit ending exactly at the start counts; one reaching past it does not.
    engine.setSelStart(11);
    EXPECT_EQ(find(QStringLiteral("one"), -story), 3);
    EXPECT_EQ(engine.selStart(), 8);
    engine.setSelStart(10);
    EXPECT_EQ(find(QStringLiteral("one"), -story), 3);
    EXPECT_EQ(engine.selStart(), 0);

    engine.setText(QStringLiteral("aaaa"));
    engine.setSelStart(4);
    EXPECT_EQ(find(QStringLiteral("aa"), -5), 2);
    EXPECT_EQ(selection(), (CharRange{2, 4}));
}

// The find dialog's searches: hidden occurrences are passed over both ways, and a hit with a
// hidden run inside selects it too (its length in positions is the answer).
TEST_F(TomFindTest, HiddenTextIsPassedOverAndSelectedInsideAHit)
{
    engine.setTextRtf(
        QStringLiteral("{\\rtf1\\ansi\\pard {\\v one }two o{\\v X}ne{\\v\\par one}"
                       "\\par\\pard one\\par}"));
    ASSERT_EQ(engine.text(), QStringLiteral("one two oXne\r\none\r\none"));
    const long story = document.StoryLength();
    engine.setSelStart(0);
    EXPECT_EQ(find(QStringLiteral("one"), story), 4);
    EXPECT_EQ(selection(), (CharRange{8, 12}));
    EXPECT_EQ(find(QStringLiteral("one"), story), 3);
    EXPECT_EQ(selection(), (CharRange{19, 22}));
    EXPECT_EQ(find(QStringLiteral("one"), -story), 4);
    EXPECT_EQ(selection(), (CharRange{8, 12}));
    EXPECT_EQ(find(QStringLiteral("one"), -story), 0);
}

TEST_F(TomFindTest, OnlyCountPositionsAreSearched)
{
    engine.setSelStart(1);
    EXPECT_EQ(find(QStringLiteral("one"), 9), 0);  // [1, 10] cannot hold 8..11
    EXPECT_EQ(engine.selStart(), 1);
    EXPECT_EQ(find(QStringLiteral("one"), 10), 3);
    EXPECT_EQ(engine.selStart(), 8);

    engine.setSelStart(19);
    EXPECT_EQ(find(QStringLiteral("two"), -6), 0);  // [13, 19] cannot hold 12..15
    EXPECT_EQ(find(QStringLiteral("two"), -7), 3);
    EXPECT_EQ(engine.selStart(), 12);

    EXPECT_EQ(find(QStringLiteral("one"), 0), 0);
    EXPECT_EQ(find(QString(), document.StoryLength()), 0);

    // The extreme counts reach either end.
    EXPECT_EQ(find(QStringLiteral("one"), std::numeric_limits<long>::min()), 3);
    EXPECT_EQ(engine.selStart(), 8);
    EXPECT_EQ(find(QStringLiteral("one"), std::numeric_limits<long>::max()), 3);
    EXPECT_EQ(engine.selStart(), 16);
}

TEST_F(TomFindTest, FlagsAndDetachedRanges)
{
    engine.setText(QStringLiteral("One bone one"));
    EXPECT_EQ(find(QStringLiteral("one"), 20, tomMatchCase), 3);
    EXPECT_EQ(engine.selStart(), 5);
    engine.setSelStart(0);
    EXPECT_EQ(find(QStringLiteral("one"), 20, tomMatchCase | tomMatchWord), 3);
    EXPECT_EQ(engine.selStart(), 9);

    // A duplicate moves to its hit; the selection stays.
    engine.setSelStart(0);
    TextRange copy = document.Selection().GetDuplicate();
    EXPECT_EQ(copy.FindText(QStringLiteral("bone"), 20, 0), 4);
    EXPECT_EQ(copy.Start(), 4);
    EXPECT_EQ(copy.End(), 8);
    EXPECT_EQ(engine.selStart(), 0);
    EXPECT_EQ(engine.selLength(), 0);
}

// Backward searches scan the story in windows; hits at and across a window's edge are found.
TEST_F(TomFindTest, BackwardSearchesAcrossLongStories)
{
    const QString needle = QStringLiteral("needle");
    for (const int32_t suffix : {65532, 65536, 65540, 200000}) {
        engine.setText(QString(1000, u'x') + needle + QString(suffix, u'x'));
        engine.setSelStart(int32_t(engine.text().size()));
        EXPECT_EQ(find(needle, -document.StoryLength()), 6) << suffix;
        EXPECT_EQ(engine.selStart(), 1000) << suffix;
        EXPECT_EQ(find(needle, -document.StoryLength()), 0) << suffix;
    }
}

TEST_F(TextObjectModelTest, ChangeCaseWorksInPlaceOnTheSelectionOrARange)
{
    engine.setText(QStringLiteral("hello world"));
    engine.exSetSel({0, 5});
    document.Selection().ChangeCase(1);
    EXPECT_EQ(engine.text(), QStringLiteral("HELLO world"));
    EXPECT_EQ(engine.selStart(), 0);
    EXPECT_EQ(engine.selLength(), 5);

    // A detached range changes its own text; the selection is kept.
    engine.session().select(3, 1);
    TextRange copy = document.Selection().GetDuplicate();
    ASSERT_EQ(copy.FindText(QStringLiteral("world"), 20, 0), 5);
    copy.ChangeCase(2);
    EXPECT_EQ(engine.text(), QStringLiteral("HELLO World"));
    EXPECT_EQ(engine.anchor(), 3);
    EXPECT_EQ(engine.caret(), 1);
    EXPECT_FALSE(engine.frozen());
    EXPECT_TRUE(engine.undo());
    EXPECT_EQ(engine.text(), QStringLiteral("HELLO world"));
}

// The indent drags suspend undo around their format changes: those changes are one step,
// which undo takes back as a whole.
TEST_F(TextObjectModelTest, SuspendedChangesAreOneStep)
{
    engine.setText(QStringLiteral("abc\r\ndef"));
    engine.exSetSel({0, 1});
    engine.setSelBold(true);
    engine.setModified(false);

    EXPECT_EQ(document.Undo(tomSuspend), 0);
    engine.exSetSel({5, 6});
    engine.setSelItalic(true);
    engine.setSelIndent(720);
    EXPECT_EQ(document.Undo(tomResume), 0);
    EXPECT_TRUE(engine.isModified());

    ASSERT_TRUE(engine.canUndo());
    EXPECT_TRUE(engine.undo());
    engine.exSetSel({0, 1});
    EXPECT_EQ(engine.selBold(), std::optional<bool>(true));
    engine.exSetSel({5, 6});
    EXPECT_EQ(engine.selItalic(), std::optional<bool>(false));
    EXPECT_EQ(engine.selIndent(), std::optional<int32_t>(0));

    // Collection runs again after the resume.
    engine.setSelUnderline(true);
    EXPECT_TRUE(engine.undo());
    EXPECT_EQ(engine.selUnderline(), std::optional<bool>(false));
}

TEST_F(TextObjectModelTest, ResumeWithoutSuspendAndOtherCountsAreHarmless)
{
    engine.setText(QStringLiteral("abc"));
    EXPECT_EQ(document.Undo(tomResume), 0);
    EXPECT_EQ(document.Undo(tomResume), 0);
    engine.exSetSel({0, 3});
    engine.setSelBold(true);
    EXPECT_EQ(document.Undo(1), 0);
    EXPECT_EQ(engine.selBold(), std::optional<bool>(true));
    EXPECT_TRUE(engine.undo());
    EXPECT_EQ(engine.selBold(), std::optional<bool>(false));
}

// The freeze count is the engine's: two handles nest into one count.
TEST_F(TextObjectModelTest, FreezeNestsAcrossHandles)
{
    TextDocument other(engine);
    document.Freeze();
    other.Freeze();
    document.Unfreeze();
    EXPECT_TRUE(engine.frozen());
    other.Unfreeze();
    EXPECT_FALSE(engine.frozen());

    // An unfreeze at 0 does nothing, so the next freeze still holds.
    other.Unfreeze();
    document.Freeze();
    EXPECT_TRUE(engine.frozen());
    other.Unfreeze();
    EXPECT_FALSE(engine.frozen());
}

TEST(TextObjectModel, HandlesOutliveTheirEngineSafely)
{
    auto engine = std::make_unique<Engine>();
    engine->setText(QStringLiteral("text"));
    engine->setSelStart(2);
    TextDocument document(*engine);
    TextRange selection = document.Selection();
    TextRange copy = selection.GetDuplicate();
    EXPECT_TRUE(document.isValid());
    EXPECT_FALSE(TextDocument().isValid());

    engine.reset();
    EXPECT_FALSE(document.isValid());
    document.Freeze();
    document.Unfreeze();
    EXPECT_EQ(document.Undo(tomSuspend), 0);
    EXPECT_EQ(document.StoryLength(), 0);
    EXPECT_EQ(selection.GetIndex(tomCharacter), 0);
    EXPECT_EQ(copy.GetIndex(tomLine), 0);
    EXPECT_EQ(copy.StartOf(tomLine, 0), 0);
    EXPECT_EQ(selection.FindText(QStringLiteral("t"), 5, 0), 0);
    copy.ChangeCase(1);
    EXPECT_EQ(document.Selection().Start(), 0);
}
