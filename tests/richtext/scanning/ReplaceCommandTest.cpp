// Replace and Replace All on the shared window: messages, counts, wrapping, the snapshot that
// takes a whole Replace All back, caret, links kept and marked, and the flags held meanwhile.
#include "richtext/scanning/ReplaceCommand.h"

#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "richtext/scanning/TextFinder.h"
#include "richtext/scanning/WholeDocumentUndo.h"
#include "tests/support/FakeMessageBoxes.h"

#include <gtest/gtest.h>

using richedit::RichTextBox;

namespace {

class ReplaceCommandTest : public testing::Test {
protected:
    ReplaceCommandTest()
    {
        RichTextLibraryState::instance().reset();
        RichTextLibraryState::instance().SharedRichText = &m_box;
        replaceUndoWriter() = [this](const ReplaceUndoRecord& record) {
            m_snapshots.push_back(record);
        };
    }
    ~ReplaceCommandTest() override
    {
        replaceUndoWriter() = nullptr;
        RichTextLibraryState::instance().reset();
    }

    void setUp(const QString& text, int32_t start, int32_t length = 0)
    {
        m_box.setText(text);
        m_box.setSelStart(start);
        m_box.setSelLength(length);
    }
    int32_t replace(const QString& find, const QString& replacement, int32_t mode,
                    int32_t options = AllMatches)
    {
        int32_t count = 0;
        m_command.ReplaceText(find, replacement, mode, options, false, 0, count);
        return count;
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const host::MessageBoxRequest& box : m_boxes.shown()) {
            EXPECT_EQ(box.title, QStringLiteral("Search Complete"));
            EXPECT_EQ(box.style, 64);
            texts << box.text;
        }
        return texts;
    }
    bool linkedAt(int32_t position)
    {
        m_box.setSelStart(position);
        m_box.setSelLength(1);
        return HyperlinkMark(m_box).IsSelectionHyperLink();
    }

    testsupport::FakeMessageBoxes m_boxes;
    RichTextBox m_box;
    richedit::TextDocument m_document = m_box.textDocument();
    ReplaceCommand m_command{m_box, m_document};
    std::vector<ReplaceUndoRecord> m_snapshots;
};

}  // namespace

TEST_F(ReplaceCommandTest, ReplaceAllOfAMissingTextChangesNothing)
{
    setUp(QStringLiteral("alpha beta"), 3, 2);
    m_box.engine().setModified(false);
    EXPECT_EQ(replace(QStringLiteral("gamma"), QStringLiteral("x"), ReplaceAll), 0);
    EXPECT_EQ(messages(), QStringList{"The text: ''gamma'' not found in this document."});
    EXPECT_EQ(m_box.Text(), QStringLiteral("alpha beta"));
    EXPECT_EQ(m_box.SelStart(), 3);
    EXPECT_EQ(m_box.SelLength(), 2);
    EXPECT_TRUE(m_snapshots.empty());
    EXPECT_FALSE(RichTextLibraryState::instance().SyntaxRunning);
    EXPECT_FALSE(RichTextLibraryState::instance().StopLinkPass);
}

TEST_F(ReplaceCommandTest, ReplaceAllReportsTheCountAndCanBeTakenBackWhole)
{
    setUp(QStringLiteral("the cat\r\n\r\nThe end the"), 11);
    const QString rtfBefore = m_box.TextRTF();
    EXPECT_EQ(replace(QStringLiteral("the"), QStringLiteral("a"), ReplaceAll), 3);
    EXPECT_EQ(m_box.Text(), QStringLiteral("a cat\r\n\r\na end a"));
    EXPECT_EQ(messages(), QStringList{"3 replacements made to this document."});
    // The caret stands before the same text as before.
    EXPECT_EQ(m_box.SelStart(), 9);
    EXPECT_EQ(RichTextLibraryState::instance().SpecialUndoKind, ReplaceTextUD);
    EXPECT_FALSE(m_box.engine().canUndo());
    EXPECT_FALSE(RichTextLibraryState::instance().SyntaxRunning);
    EXPECT_EQ(RichTextLibraryState::instance().ProgressDone, 0);
    // One snapshot holds the document before the whole command.
    ASSERT_EQ(m_snapshots.size(), 1u);
    EXPECT_EQ(m_snapshots[0].SelStart, 11);
    m_box.setTextRTF(m_snapshots[0].RTF);
    EXPECT_EQ(m_box.Text(), QStringLiteral("the cat\r\n\r\nThe end the"));
    EXPECT_EQ(m_box.TextRTF(), rtfBefore);
}

TEST_F(ReplaceCommandTest, WholeWordReplaceAllUsesTheWordRules)
{
    setUp(QStringLiteral("cat's catalog (cat) cat_ cat1"), 0);
    EXPECT_EQ(replace(QStringLiteral("CAT"), QStringLiteral("dog"), ReplaceAll, WholeWord), 3);
    EXPECT_EQ(m_box.Text(), QStringLiteral("dog's catalog (dog) dog_ cat1"));
    // Only inside longer words: not found, and nothing done.
    setUp(QStringLiteral("catalog"), 0);
    EXPECT_EQ(replace(QStringLiteral("cat"), QStringLiteral("dog"), ReplaceAll, WholeWord), 0);
    EXPECT_EQ(m_box.Text(), QStringLiteral("catalog"));
}

TEST_F(ReplaceCommandTest, ReplaceSelectsThenReplacesThenWrapsToTheTop)
{
    setUp(QStringLiteral("one two one two"), 0);
    // Nothing selected: only the next occurrence is selected.
    replace(QStringLiteral("two"), QStringLiteral("2"), ReplaceNext);
    EXPECT_EQ(m_box.Text(), QStringLiteral("one two one two"));
    EXPECT_EQ(m_box.SelStart(), 4);
    EXPECT_EQ(m_box.SelLength(), 3);
    replace(QStringLiteral("two"), QStringLiteral("2"), ReplaceNext);
    EXPECT_EQ(m_box.Text(), QStringLiteral("one 2 one two"));
    EXPECT_EQ(m_box.SelStart(), 10);
    EXPECT_EQ(m_box.SelLength(), 3);
    EXPECT_EQ(m_snapshots.size(), 1u);
    EXPECT_TRUE(messages().isEmpty());
    // The last one: none follows, so the search starts once more from the top and finds none.
    replace(QStringLiteral("two"), QStringLiteral("2"), ReplaceNext);
    EXPECT_EQ(m_box.Text(), QStringLiteral("one 2 one 2"));
    EXPECT_EQ(messages(), (QStringList{"The text: ''two'' not found after cursor location.",
                                       "The text: ''two'' not found after cursor location."}));
    EXPECT_FALSE(m_box.engine().canUndo());
}

TEST_F(ReplaceCommandTest, ReplaceWrapsToAnEarlierOccurrence)
{
    setUp(QStringLiteral("ab x ab"), 5, 2);
    replace(QStringLiteral("ab"), QStringLiteral("c"), ReplaceNext, MatchCase);
    EXPECT_EQ(m_box.Text(), QStringLiteral("ab x c"));
    EXPECT_EQ(messages(), QStringList{"The text: ''ab'' not found after cursor location."});
    EXPECT_EQ(m_box.SelStart(), 0);
    EXPECT_EQ(m_box.SelLength(), 2);
}

TEST_F(ReplaceCommandTest, ReplacementInsideALinkStaysALink)
{
    RichTextLibraryState::instance().SharedDetectHyperLinks = true;
    setUp(QStringLiteral("go www.old.com now"), 0);
    HyperlinkMark(m_box).markRange(3, 11);
    m_box.setSelStart(7);
    m_box.setSelLength(3);
    replace(QStringLiteral("old"), QStringLiteral("newer"), ReplaceNext);
    EXPECT_EQ(m_box.Text(), QStringLiteral("go www.newer.com now"));
    for (int32_t position = 7; position < 12; ++position)
        EXPECT_TRUE(linkedAt(position)) << position;
}

TEST_F(ReplaceCommandTest, ReplacementThatBreaksAnAddressUnlinksIt)
{
    RichTextLibraryState::instance().SharedDetectHyperLinks = true;
    struct LinkCase {
        QString text;
        int32_t linkLength;  // the link starts at 3
        int32_t selStart;
        int32_t selLength;
        QString find;
        QString replacement;
        int32_t mode;
        QString expected;
        QString linked;  // the characters carrying the link mark afterwards
    };
    const LinkCase cases[] = {
        // "www.ex" is too short to be an address any more.
        {QStringLiteral("go www.example.com now"), 15, 7, 7, QStringLiteral("example"),
         QStringLiteral("ex ample"), ReplaceNext, QStringLiteral("go www.ex ample.com now"),
         QString()},
        {QStringLiteral("go www.example.com now"), 15, 0, 0, QStringLiteral("example"),
         QStringLiteral("ex ample"), ReplaceAll, QStringLiteral("go www.ex ample.com now"),
         QString()},
        // What is still an address stays linked, exactly.
        {QStringLiteral("go www.example.com/x now"), 17, 18, 1, QStringLiteral("/"),
         QStringLiteral(" /"), ReplaceNext, QStringLiteral("go www.example.com /x now"),
         QStringLiteral("www.example.com")},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        setUp(c.text, 0);
        HyperlinkMark(m_box).markRange(3, c.linkLength);
        m_box.setSelStart(c.selStart);
        m_box.setSelLength(c.selLength);
        replace(c.find, c.replacement, c.mode);
        ASSERT_EQ(m_box.Text(), c.expected);
        QString linked;
        for (int32_t position = 0; position < c.expected.size(); ++position) {
            if (linkedAt(position))
                linked += c.expected.at(position);
        }
        EXPECT_EQ(linked, c.linked);
    }
}

TEST_F(ReplaceCommandTest, RelinkingMarksExactlyTheAddresses)
{
    RichTextLibraryState::instance().SharedDetectHyperLinks = true;
    setUp(QStringLiteral("foo www.example.com now foo"), 0);
    // A freeze held around the command stays balanced.
    m_box.engine().freeze();
    EXPECT_EQ(replace(QStringLiteral("foo"), QStringLiteral("x"), ReplaceAll), 2);
    EXPECT_EQ(m_box.engine().layout().freezeCount(), 1);
    m_box.engine().unfreeze();
    EXPECT_EQ(m_box.Text(), QStringLiteral("x www.example.com now x"));
    EXPECT_FALSE(linkedAt(1));
    EXPECT_TRUE(linkedAt(2));
    EXPECT_TRUE(linkedAt(16));
    EXPECT_FALSE(linkedAt(17));
    EXPECT_FALSE(linkedAt(18));
    EXPECT_FALSE(RichTextLibraryState::instance().LinkPassRunning);
    // Without automatic links nothing is marked.
    RichTextLibraryState::instance().SharedDetectHyperLinks = false;
    setUp(QStringLiteral("foo www.example.com"), 0);
    replace(QStringLiteral("foo"), QStringLiteral("x"), ReplaceAll);
    EXPECT_FALSE(linkedAt(4));

    // Hidden text after an address is no part of it.
    RichTextLibraryState::instance().SharedDetectHyperLinks = true;
    m_box.setTextRTF(QStringLiteral(
        "{\\rtf1\\ansi foo www.bank.example{\\v .evil.example/steal} now foo\\par}"));
    m_box.setSelStart(0);
    EXPECT_EQ(replace(QStringLiteral("foo"), QStringLiteral("x"), ReplaceAll), 2);
    const QString text = m_box.Text();
    ASSERT_EQ(text, QStringLiteral("x www.bank.example.evil.example/steal now x"));
    QString linked;
    for (int32_t position = 0; position < text.size(); ++position) {
        if (linkedAt(position))
            linked += text.at(position);
    }
    EXPECT_EQ(linked, QStringLiteral("www.bank.example"));
}

TEST_F(ReplaceCommandTest, ARunningPassRefusesTheCommand)
{
    setUp(QStringLiteral("aaa"), 0);
    RichTextLibraryState::instance().SyntaxRunning = true;
    EXPECT_EQ(replace(QStringLiteral("a"), QStringLiteral("b"), ReplaceAll), 0);
    EXPECT_EQ(m_box.Text(), QStringLiteral("aaa"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(ReplaceCommandTest, FindAndSelectReportsAMissBothWays)
{
    setUp(QStringLiteral("xyz abc"), 3);
    EXPECT_TRUE(FindAndSelect(m_document, QStringLiteral("abc"), -1, 0));
    EXPECT_FALSE(FindAndSelect(m_document, QStringLiteral("abc"), 1, 0));
    EXPECT_EQ(m_box.SelStart(), 4);
    EXPECT_TRUE(FindAndSelect(m_document, QStringLiteral("q"), 1, 0));
    EXPECT_EQ(messages(), (QStringList{"The text: ''abc'' not found ahead of cursor location.",
                                       "The text: ''q'' not found after cursor location."}));
    EXPECT_EQ(m_box.SelStart(), 4);
    EXPECT_EQ(m_box.SelLength(), 3);
}

TEST_F(ReplaceCommandTest, DocumentContainsFollowsTheOptions)
{
    setUp(QStringLiteral("Alpha abc1"), 0);
    EXPECT_TRUE(m_command.DocumentContains(QStringLiteral("alpha"), AllMatches));
    EXPECT_FALSE(m_command.DocumentContains(QStringLiteral("alpha"), MatchCase));
    EXPECT_TRUE(m_command.DocumentContains(QStringLiteral("ALPHA"), WholeWord));
    EXPECT_FALSE(m_command.DocumentContains(QStringLiteral("ALPHA"), WholeWord_MatchCase));
    EXPECT_FALSE(m_command.DocumentContains(QStringLiteral("abc"), WholeWord));
    EXPECT_FALSE(m_command.DocumentContains(QStringLiteral("Alpha"), 1));
}

// One word rule for every whole-word command: punctuation (curly quotes, dashes, the euro sign,
// apostrophes, "_") bounds a word; letters of any script, their marks and digits do not.
TEST_F(ReplaceCommandTest, FindNextReplaceAndReplaceAllAgreeOnWholeWords)
{
    struct WordCase {
        QString text;
        QString find;
        QString expected;  // every whole-word occurrence replaced by "dog"
    };
    const WordCase cases[] = {
        {QStringLiteral("\u201Ccat\u201D, cat\u2014dog, cat\u2019s, \u20ACcat, plain cat"),
         QStringLiteral("cat"),
         QStringLiteral("\u201Cdog\u201D, dog\u2014dog, dog\u2019s, \u20ACdog, plain dog")},
        {QStringLiteral("cat's cat_b cat-cat cat."), QStringLiteral("cat"),
         QStringLiteral("dog's dog_b dog-dog dog.")},
        {QStringLiteral("cat\u2026 \u00ABcat\u00BB \u2018cat\u2019 cat\u2022cat\u2013"),
         QStringLiteral("cat"),
         QStringLiteral("dog\u2026 \u00ABdog\u00BB \u2018dog\u2019 dog\u2022dog\u2013")},
        {QStringLiteral("concatenate cat1 1cat cats"), QStringLiteral("cat"),
         QStringLiteral("concatenate cat1 1cat cats")},
        {QStringLiteral("\u00E9cat cat\u00E8 cat\u0301 Cat"), QStringLiteral("cat"),
         QStringLiteral("\u00E9cat cat\u00E8 cat\u0301 dog")},
        {QStringLiteral(
             "\u03B1cat cat\u03B2 \u03B3\u03AC\u03C4\u03B1, \u03B3\u03AC\u03C4\u03B1\u03C2"),
         QStringLiteral("\u03B3\u03AC\u03C4\u03B1"),
         QStringLiteral("\u03B1cat cat\u03B2 dog, \u03B3\u03AC\u03C4\u03B1\u03C2")},
        {QStringLiteral("\u732Bcat cat\u732B \u300C\u732B\u300D \u732B\u732B cat\u3002"),
         QStringLiteral("\u732B"),
         QStringLiteral("\u732Bcat cat\u732B \u300Cdog\u300D \u732B\u732B cat\u3002")},
        {QStringLiteral("\u732Bcat cat\u732B cat\u3002"), QStringLiteral("cat"),
         QStringLiteral("\u732Bcat cat\u732B dog\u3002")},
    };
    for (const WordCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        // Find Next from the top, each hit replaced afterwards from the last.
        setUp(c.text, 0);
        std::vector<int32_t> hits;
        while (hits.size() < 10 && !FindAndSelect(m_document, c.find, 1, WholeWord))
            hits.push_back(m_box.SelStart());
        QString found = c.text;
        for (auto hit = hits.rbegin(); hit != hits.rend(); ++hit)
            found.replace(*hit, c.find.size(), QStringLiteral("dog"));
        EXPECT_EQ(found, c.expected) << "Find Next";
        EXPECT_EQ(m_command.DocumentContains(c.find, WholeWord), !hits.empty());

        setUp(c.text, 0);
        for (size_t i = 0; i <= hits.size(); ++i)
            replace(c.find, QStringLiteral("dog"), ReplaceNext, WholeWord);
        EXPECT_EQ(m_box.Text(), c.expected) << "Replace";

        setUp(c.text, 0);
        const int32_t count = replace(c.find, QStringLiteral("dog"), ReplaceAll, WholeWord);
        EXPECT_EQ(m_box.Text(), c.expected) << "Replace All";
        EXPECT_EQ(size_t(count), hits.size());

        // The control's own Find2 and FindVerify follow the same rule.
        setUp(c.text, 0);
        TextFinder finder(m_box);
        std::vector<int32_t> found2;
        for (int32_t hit = 0;
             found2.size() < 10 && (hit = finder.Find2(c.find, FindNext, WholeWord, false)) != -1;)
            found2.push_back(hit);
        EXPECT_EQ(found2, hits) << "Find2";
        EXPECT_EQ(finder.FindVerify(c.find, WholeWord), !hits.empty());
    }
}
