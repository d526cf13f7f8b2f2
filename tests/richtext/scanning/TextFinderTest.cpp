// Finding and selecting occurrences forward and backward, the whole-word test with its
// separator classes, passing over addresses, and the plain occurrence test.
#include "richtext/scanning/TextFinder.h"

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/scanning/DetectNotWords.h"
#include "richtext/scanning/WholeWord.h"

#include <gtest/gtest.h>

using richedit::RichTextBox;

namespace {

class TextFinderTest : public testing::Test {
protected:
    void setUp(const QString& text, int32_t caret)
    {
        m_box.setText(text);
        m_box.setSelStart(caret);
        m_box.setSelLength(0);
    }
    int32_t find(const QString& what, int32_t direction, int32_t options, bool skip = true)
    {
        return m_finder.Find2(what, direction, options, skip);
    }

    RichTextBox m_box;
    TextFinder m_finder{m_box};
};

}  // namespace

TEST_F(TextFinderTest, OptionsAndDirectionOutsideTheirValuesSearchNothing)
{
    setUp(QStringLiteral("abc abc"), 2);
    for (int32_t options : {1, 3, 5, 7, -2})
        EXPECT_EQ(find(QStringLiteral("abc"), FindNext, options), 0) << options;
    EXPECT_EQ(find(QStringLiteral("abc"), 0, AllMatches), 0);
    EXPECT_EQ(find(QStringLiteral("abc"), 2, AllMatches), 0);
    EXPECT_EQ(m_box.SelStart(), 2);
    EXPECT_EQ(m_box.SelLength(), 0);
}

TEST_F(TextFinderTest, ForwardSelectsSuccessiveHitsAndThenReportsNone)
{
    setUp(QStringLiteral("Cat cat CAT"), 0);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, AllMatches), 0);
    EXPECT_EQ(m_box.SelLength(), 3);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, AllMatches), 4);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, AllMatches), 8);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, AllMatches), -1);
    EXPECT_EQ(m_box.SelStart(), 8);  // the last hit stays selected

    setUp(QStringLiteral("Cat cat CAT"), 0);
    EXPECT_EQ(find(QStringLiteral("CAT"), FindNext, MatchCase), 8);
    setUp(QStringLiteral("concatenate cat"), 0);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, WholeWord), 12);
}

TEST_F(TextFinderTest, WholeWordForwardPassesOverAddressesOnlyWhenAsked)
{
    const QString text = QStringLiteral("see www.example.com/example and example here");
    setUp(text, 0);
    // Option 0 never skips.
    EXPECT_EQ(find(QStringLiteral("example"), FindNext, AllMatches, true), 8);
    setUp(text, 0);
    EXPECT_EQ(find(QStringLiteral("example"), FindNext, WholeWord, true), 32);
    setUp(text, 0);
    EXPECT_EQ(find(QStringLiteral("example"), FindNext, WholeWord, false), 8);
}

TEST_F(TextFinderTest, BackwardFindsOnlyOccurrencesBeforeTheCaret)
{
    setUp(QStringLiteral("one two one two"), 15);
    EXPECT_EQ(find(QStringLiteral("ONE"), FindPrevious, AllMatches), 8);
    EXPECT_EQ(m_box.SelLength(), 3);
    EXPECT_EQ(find(QStringLiteral("one"), FindPrevious, AllMatches), 0);
    // Nothing before the caret any more: no hit from further on is selected instead.
    EXPECT_EQ(find(QStringLiteral("one"), FindPrevious, AllMatches), -1);
    setUp(QStringLiteral("xx two one"), 5);
    EXPECT_EQ(find(QStringLiteral("one"), FindPrevious, AllMatches), -1);
    EXPECT_EQ(m_box.SelStart(), 5);
    EXPECT_EQ(m_box.SelLength(), 0);
    // The exact comparison looks past differently cased occurrences.
    setUp(QStringLiteral("one ONE one ONE"), 15);
    EXPECT_EQ(find(QStringLiteral("one"), FindPrevious, MatchCase), 8);
    // At the very start the caret moves one character right first.
    setUp(QStringLiteral("a b"), 0);
    EXPECT_EQ(find(QStringLiteral("a"), FindPrevious, AllMatches), 0);
    setUp(QStringLiteral("ab"), 0);
    EXPECT_EQ(find(QStringLiteral("b"), FindPrevious, AllMatches), -1);
    EXPECT_EQ(m_box.SelStart(), 1);
}

TEST_F(TextFinderTest, WholeWordBackwardWalksPastPartsOfLongerWords)
{
    setUp(QStringLiteral("cat concatenate bobcat cats"), 27);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, WholeWord), 0);
    EXPECT_EQ(m_box.SelLength(), 3);

    setUp(QStringLiteral("concatenate bobcat cats"), 23);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, WholeWord), -1);
    EXPECT_EQ(m_box.SelStart(), 0);
    EXPECT_EQ(m_box.SelLength(), 0);

    // An earlier word inside an address is passed over when asked.
    setUp(QStringLiteral("cat www.cat.com cat"), 19);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, WholeWord), 16);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, WholeWord), 0);
    setUp(QStringLiteral("cat www.cat.com"), 15);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, WholeWord, true), 0);
    setUp(QStringLiteral("cat www.cat.com"), 15);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, WholeWord, false), 8);
    // Only an address before it: nothing.
    setUp(QStringLiteral("www.cat.com"), 11);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, WholeWord_MatchCase, true), -1);
}

// Finds go by the shown text: hidden occurrences are passed over, hidden text is no word
// boundary, and a hidden run inside an occurrence is selected with it.
TEST_F(TextFinderTest, HiddenTextIsNeitherFoundNorABoundary)
{
    m_box.setTextRTF(
        QStringLiteral("{\\rtf1\\ansi\\pard ab{\\v cat} cat{\\v s}\\par"
                       "{\\v\\pard cat\\par}\\pard con{\\v XX}cat\\par}"));
    ASSERT_EQ(m_box.Text(), QStringLiteral("abcat cats\r\ncat\r\nconXXcat"));
    m_box.setSelStart(0);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, AllMatches), 6);
    EXPECT_EQ(m_box.SelLength(), 3);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, AllMatches), 22);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, AllMatches), -1);
    m_box.setSelStart(0);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, WholeWord), 6);
    EXPECT_EQ(find(QStringLiteral("cat"), FindNext, WholeWord), -1);
    m_box.setSelStart(0);
    EXPECT_EQ(find(QStringLiteral("ncat"), FindNext, MatchCase), 19);
    EXPECT_EQ(m_box.SelLength(), 6);

    m_box.setSelStart(25);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, AllMatches), 22);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, AllMatches), 6);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, AllMatches), -1);
    m_box.setSelStart(25);
    EXPECT_EQ(find(QStringLiteral("cat"), FindPrevious, WholeWord), 6);
    EXPECT_FALSE(m_finder.FindVerify(QStringLiteral("cats"), AllMatches));
    EXPECT_TRUE(m_finder.FindVerify(QStringLiteral("concat"), WholeWord));
}

TEST_F(TextFinderTest, EmptyTextOrTextLongerThanTheDocumentFindsNothing)
{
    setUp(QStringLiteral("abc"), 2);
    EXPECT_EQ(find(QString(), FindNext, AllMatches), -1);
    EXPECT_EQ(find(QString(), FindPrevious, WholeWord), -1);
    EXPECT_EQ(find(QStringLiteral("abcd"), FindPrevious, AllMatches), -1);
    EXPECT_EQ(find(QStringLiteral("abcd"), FindNext, MatchCase), -1);
    EXPECT_FALSE(m_finder.FindVerify(QString(), WholeWord));
}

TEST_F(TextFinderTest, VerifyUsesItsOwnWholeWordRules)
{
    setUp(QStringLiteral("concatenate abc1 it's-cat"), 0);
    EXPECT_TRUE(m_finder.FindVerify(QStringLiteral("CONCAT"), AllMatches));
    EXPECT_FALSE(m_finder.FindVerify(QStringLiteral("CONCAT"), MatchCase));
    EXPECT_FALSE(m_finder.FindVerify(QStringLiteral("concat"), WholeWord));
    // A digit is no separator, a hyphen and an apostrophe are.
    EXPECT_FALSE(m_finder.FindVerify(QStringLiteral("abc"), WholeWord));
    EXPECT_TRUE(m_finder.FindVerify(QStringLiteral("it"), WholeWord));
    EXPECT_TRUE(m_finder.FindVerify(QStringLiteral("CAT"), WholeWord));
    EXPECT_FALSE(m_finder.FindVerify(QStringLiteral("CAT"), WholeWord_MatchCase));
    for (int32_t options : {1, 3, 5, 7, 8})
        EXPECT_FALSE(m_finder.FindVerify(QStringLiteral("cat"), options)) << options;
    EXPECT_EQ(m_box.SelStart(), 0);
}

TEST(WholeWordTest, FindsTheFirstOccurrenceBoundedOnBothSides)
{
    const QString text = QStringLiteral("cats cat1 (cat) cat");
    EXPECT_EQ(
        FindWholeWord(1, text, QStringLiteral("cat"), vb::vbTextCompare, spacesSymbolsAndCtrl), 12);
    EXPECT_EQ(
        FindWholeWord(13, text, QStringLiteral("CAT"), vb::vbTextCompare, spacesSymbolsAndCtrl),
        17);
    EXPECT_EQ(
        FindWholeWord(13, text, QStringLiteral("CAT"), vb::vbBinaryCompare, spacesSymbolsAndCtrl),
        0);
    EXPECT_EQ(FindWholeWord(1, text, QStringLiteral("cat"), vb::vbTextCompare, spacesOnly), 17);
    EXPECT_EQ(FindWholeWord(1, text, QString(), vb::vbTextCompare, spacesOnly), 0);
}

TEST(DetectNotWordsTest, TrueOnlyInsideAnAddress)
{
    RichTextBox box;
    box.setText(QStringLiteral("mail me@example.org or see http://x.org/a ok"));
    const int32_t mailStart = 5;
    const int32_t mailEnd = 5 + 14 - 1;
    EXPECT_FALSE(DetectNotWords(box, mailStart - 1));
    EXPECT_TRUE(DetectNotWords(box, mailStart));
    EXPECT_TRUE(DetectNotWords(box, mailEnd));
    EXPECT_FALSE(DetectNotWords(box, mailEnd + 1));
    EXPECT_TRUE(DetectNotWords(box, 28));
    EXPECT_FALSE(DetectNotWords(box, 43));
    EXPECT_FALSE(DetectNotWords(box, -1));
}
