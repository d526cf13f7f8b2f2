// Replace All: counts, case and word rules, the caret to restore, progress and the stop request,
// over text inside and outside the Windows-1252 table.
#include "richtext/scanning/ReplaceAllEngine.h"

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"

#include <gtest/gtest.h>

using richedit::RichTextBox;

namespace {

enum Variant { AnyCase, WholeWordAnyCase, MatchCase, WholeWordMatchCase };

class ReplaceAllEngineTest : public testing::Test {
protected:
    ReplaceAllEngineTest() { RichTextLibraryState::instance().reset(); }
    ~ReplaceAllEngineTest() override { RichTextLibraryState::instance().reset(); }

    // Runs a variant over `text` with the caret at `caretBefore`; answers the new text.
    QString run(Variant variant, const QString& text, const QString& find,
                const QString& replacement, int32_t caretBefore = 0)
    {
        m_box.setText(text);
        m_box.setSelStart(caretBefore);
        m_box.setSelLength(0);
        m_count = 0;
        m_caret = -77;
        ReplaceAllEngine engine(m_box);
        switch (variant) {
            case AnyCase:
                engine.ReplaceAllAnyCase(find, replacement, m_caret, m_colour, 0xFF, m_count);
                break;
            case WholeWordAnyCase:
                engine.ReplaceAllWholeWordAnyCase(find, replacement, m_caret, m_colour, 0xFF,
                                                  m_count);
                break;
            case MatchCase:
                engine.ReplaceAllMatchCase(find, replacement, m_caret, m_colour, 0xFF, m_count);
                break;
            case WholeWordMatchCase:
                engine.ReplaceAllWholeWordMatchCase(find, replacement, m_caret, m_colour, 0xFF,
                                                    m_count);
                break;
        }
        return m_box.Text();
    }

    RichTextBox m_box;
    int32_t m_count = 0;
    int32_t m_caret = 0;
    bool m_colour = false;
};

}  // namespace

TEST_F(ReplaceAllEngineTest, ReplacesInTheOriginalTextOnly)
{
    EXPECT_EQ(run(AnyCase, QStringLiteral("aaa"), QStringLiteral("a"), QStringLiteral("bb")),
              QStringLiteral("bbbbbb"));
    EXPECT_EQ(m_count, 3);
    EXPECT_EQ(
        run(AnyCase, QString(10, QLatin1Char('a')), QStringLiteral("aaaaa"), QStringLiteral("bbb")),
        QString(6, QLatin1Char('b')));
    EXPECT_EQ(m_count, 2);
    // A replacement holding the find text is never searched again.
    EXPECT_EQ(run(MatchCase, QStringLiteral("x-x"), QStringLiteral("x"), QStringLiteral("xx")),
              QStringLiteral("xx-xx"));
    EXPECT_EQ(m_count, 2);
    EXPECT_EQ(RichTextLibraryState::instance().ProgressDone, 0);
    EXPECT_EQ(RichTextLibraryState::instance().ProgressTotal, 2);
}

TEST_F(ReplaceAllEngineTest, LettersCompareAsLettersNeverByCodeDistance)
{
    EXPECT_EQ(
        run(AnyCase, QStringLiteral("cat CAT cAt"), QStringLiteral("Cat"), QStringLiteral("dog")),
        QStringLiteral("dog dog dog"));
    EXPECT_EQ(run(AnyCase, QStringLiteral("1 ! 1"), QStringLiteral("1"), QStringLiteral("2")),
              QStringLiteral("2 ! 2"));
    // "A" and "!" are 32 apart; "[" and "{", "`" and "@" too: none of them is a case pair.
    EXPECT_EQ(run(AnyCase, QStringLiteral("A!a{[@`"), QStringLiteral("A"), QStringLiteral("b")),
              QStringLiteral("b!b{[@`"));
    EXPECT_EQ(m_count, 2);
    EXPECT_EQ(run(AnyCase, QStringLiteral("{[;"), QStringLiteral("["), QStringLiteral("x")),
              QStringLiteral("{x;"));
    EXPECT_EQ(run(WholeWordAnyCase, QStringLiteral("A! !a a!! Ab"), QStringLiteral("a"),
                  QStringLiteral("b")),
              QStringLiteral("b! !b b!! Ab"));
    EXPECT_EQ(m_count, 3);
    // Accented letters and letters outside the code page have case pairs too.
    EXPECT_EQ(run(AnyCase, QStringLiteral("ÉTÉ été"), QStringLiteral("été"), QStringLiteral("x")),
              QStringLiteral("x x"));
    EXPECT_EQ(
        run(AnyCase, QStringLiteral("ΣΟΦΙΑ σοφια"), QStringLiteral("σοφια"), QStringLiteral("x")),
        QStringLiteral("x x"));
    EXPECT_EQ(run(MatchCase, QStringLiteral("Cat cat"), QStringLiteral("cat"), QStringLiteral("X")),
              QStringLiteral("Cat X"));
}

TEST_F(ReplaceAllEngineTest, WholeWordsAreBoundedByNonWordCharacters)
{
    const QString text = QStringLiteral("cat concatenate cat1 cats cat's (cat) cat_ cat, écat cat");
    EXPECT_EQ(run(WholeWordAnyCase, text, QStringLiteral("CAT"), QStringLiteral("dog")),
              QStringLiteral("dog concatenate cat1 cats dog's (dog) dog_ dog, écat dog"));
    EXPECT_EQ(m_count, 6);
    EXPECT_EQ(run(WholeWordMatchCase, QStringLiteral("Cat cat catalog"), QStringLiteral("cat"),
                  QStringLiteral("X")),
              QStringLiteral("Cat X catalog"));
    // Greek letters are word characters although the code page lacks them; emoji are not.
    EXPECT_EQ(run(WholeWordAnyCase, QStringLiteral("αcat cat😀 😀cat😀"), QStringLiteral("cat"),
                  QStringLiteral("dog")),
              QStringLiteral("αcat dog😀 😀dog😀"));
}

TEST_F(ReplaceAllEngineTest, PositionsAreUtf16AroundCharactersOutsideTheCodePage)
{
    m_colour = true;
    const QString text = QStringLiteral("😀a λ a😀a");
    EXPECT_EQ(run(AnyCase, text, QStringLiteral("A"), QStringLiteral("xyz")),
              QStringLiteral("😀xyz λ xyz😀xyz"));
    EXPECT_EQ(m_count, 3);
    // Each replacement carries the colour exactly; its neighbours do not.
    const QString after = m_box.Text();
    for (qsizetype i = 0; i < after.size(); ++i) {
        m_box.setSelStart(int32_t(i));
        m_box.setSelLength(1);
        const bool replaced = after.at(i) >= QLatin1Char('x') && after.at(i) <= QLatin1Char('z');
        if (after.at(i).isSurrogate())
            continue;
        EXPECT_EQ(m_box.engine().selColor().value_or(1) == 0xFF, replaced) << i;
    }
}

// Replace All changes what shows: hidden occurrences stay, and an occurrence with a hidden run
// inside is replaced whole.
TEST_F(ReplaceAllEngineTest, HiddenTextIsNeitherMatchedNorABoundary)
{
    const QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\pard ab{\\v cat} cat{\\v s}\\par"
        "{\\v\\pard cat\\par}\\pard con{\\v XX}cat\\par}");
    m_box.setTextRTF(rtf);
    ReplaceAllEngine engine(m_box);
    engine.ReplaceAllWholeWordAnyCase(QStringLiteral("cat"), QStringLiteral("dog"), m_caret, false,
                                      0, m_count);
    EXPECT_EQ(m_box.Text(), QStringLiteral("abcat dogs\r\ncat\r\nconXXcat"));
    EXPECT_EQ(m_count, 1);
    m_box.setTextRTF(rtf);
    m_count = 0;
    engine.ReplaceAllMatchCase(QStringLiteral("ncat"), QStringLiteral("N"), m_caret, false, 0,
                               m_count);
    EXPECT_EQ(m_box.Text(), QStringLiteral("abcat cats\r\ncat\r\ncoN"));
    EXPECT_EQ(m_count, 1);
}

TEST_F(ReplaceAllEngineTest, NothingHappensWithoutAPossibleMatch)
{
    EXPECT_EQ(run(AnyCase, QStringLiteral("ab"), QStringLiteral("abc"), QStringLiteral("x"), 1),
              QStringLiteral("ab"));
    EXPECT_EQ(m_caret, -77);
    EXPECT_EQ(run(AnyCase, QStringLiteral("ab"), QString(), QStringLiteral("x"), 1),
              QStringLiteral("ab"));
    EXPECT_EQ(m_caret, -77);
    EXPECT_EQ(m_count, 0);
    // A candidate running off the end ends the scan.
    EXPECT_EQ(run(AnyCase, QStringLiteral("xa"), QStringLiteral("ab"), QStringLiteral("z"), 1),
              QStringLiteral("xa"));
    EXPECT_EQ(m_caret, 1);
    EXPECT_EQ(RichTextLibraryState::instance().ProgressDone, 0);
}

TEST_F(ReplaceAllEngineTest, CaretStaysBeforeTheSameText)
{
    // Caret before "X": two earlier replacements grow the text by 2 each.
    run(AnyCase, QStringLiteral("a a X a"), QStringLiteral("a"), QStringLiteral("bbb"), 4);
    EXPECT_EQ(m_box.Text().mid(m_caret, 1), QStringLiteral("X"));
    run(AnyCase, QStringLiteral("aaaa X aaaa"), QStringLiteral("aaaa"), QStringLiteral("b"), 5);
    EXPECT_EQ(m_box.Text().mid(m_caret, 1), QStringLiteral("X"));
    // A match ending right at the caret.
    run(AnyCase, QStringLiteral("aX"), QStringLiteral("a"), QStringLiteral("bbb"), 1);
    EXPECT_EQ(m_caret, 3);
    // At the very start the caret stays at the start.
    run(AnyCase, QStringLiteral("aaa"), QStringLiteral("a"), QStringLiteral("bb"), 0);
    EXPECT_EQ(m_caret, 0);
    // No replacement before the caret and none after it: it stays.
    run(AnyCase, QStringLiteral("xyz"), QStringLiteral("q"), QStringLiteral("r"), 2);
    EXPECT_EQ(m_caret, 2);
}

TEST_F(ReplaceAllEngineTest, StopRequestEndsTheScanAfterTheCurrentPosition)
{
    RichTextLibraryState::instance().ReplaceAbort = true;
    EXPECT_EQ(run(AnyCase, QStringLiteral("aaaa"), QStringLiteral("a"), QStringLiteral("b")),
              QStringLiteral("baaa"));
    EXPECT_EQ(m_count, 1);
    EXPECT_EQ(RichTextLibraryState::instance().ProgressDone, 0);
}
