#include "platform/richedit/model/CaseChange.h"
#include "platform/richedit/model/EditSession.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <random>

using namespace richedit;

namespace {

CharFormat change(uint32_t mask, uint32_t effects)
{
    CharFormat format;
    format.mask = mask;
    format.effects = effects;
    return format;
}

CharFormat lcid(uint32_t value)
{
    CharFormat format;
    format.mask = Lcid;
    format.lcid = value;
    return format;
}

class EditSessionTest : public ::testing::Test {
protected:
    EditSessionTest()
    {
        session.onChanged = [this] { events << QStringLiteral("Change"); };
        session.onSelectionChanged = [this] { events << QStringLiteral("SelChange"); };
    }
    void write(const QString& text)
    {
        session.setPlainText(text);
        events.clear();
    }
    // Marks [from, to) as a link made by the control: link effect, then locale.
    void link(int32_t from, int32_t to)
    {
        session.exSetSel({from, to});
        session.setCharFormat(SelectionScope, change(Link, Link));
        session.setCharFormat(SelectionScope, lcid(LinkLcid));
    }
    CharFormat formatAt(int32_t position) const { return session.document().formatAt(position); }

    EditSession session;
    QStringList events;
};

}  // namespace

TEST_F(EditSessionTest, SelectionWritesClampSnapAndRefuseNegatives)
{
    write(QStringLiteral("ab\r\ncd"));
    EXPECT_FALSE(session.setSelStart(3));
    EXPECT_EQ(session.selStart(), 4);  // between CR and LF
    const auto error = session.setSelLength(-1);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), 380);
    EXPECT_EQ(session.setSelStart(-2)->number(), 380);
    EXPECT_EQ(session.selStart(), 4);

    EXPECT_EQ(session.exSetSel({0, -1}), 6);
    EXPECT_EQ(session.selText(), QStringLiteral("ab\r\ncd"));
    EXPECT_EQ(session.exSetSel({6, 8}), 6);  // L .. L + 2 is the caret L
    EXPECT_EQ(session.selLength(), 0);
    session.exSetSel({5, 1});  // right to left: the caret is SelStart
    EXPECT_EQ(session.selStart(), 1);
    EXPECT_EQ(session.caret(), 1);
    EXPECT_EQ(session.anchor(), 5);
    session.exSetSel({-1, 3});  // collapses at the active end
    EXPECT_EQ(session.anchor(), 1);
    EXPECT_EQ(session.caret(), 1);
    session.exSetSel({-5, 2});
    EXPECT_EQ(session.selection(), (CharRange{0, 2}));
}

TEST_F(EditSessionTest, EventsComeOnceChangeFirstAndOnlyOnRealChanges)
{
    write(QStringLiteral("hello"));
    session.setSelStart(0);
    EXPECT_TRUE(events.isEmpty());  // the caret was already there
    session.setSelStart(2);
    EXPECT_EQ(events, QStringList{QStringLiteral("SelChange")});
    events.clear();
    session.setSelText(QStringLiteral("XY\r\n"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("Change"), QStringLiteral("SelChange")}));
    EXPECT_EQ(session.caret(), 6);
    events.clear();
    session.exSetSel({0, 2});
    events.clear();
    session.setCharFormat(SelectionScope, change(Bold, Bold));
    EXPECT_TRUE(events.isEmpty());  // format-only
    EXPECT_TRUE(session.isModified());
    session.setSelText(QStringLiteral("ab"));  // same length: text changed, selection moved
    EXPECT_EQ(events, (QStringList{QStringLiteral("Change"), QStringLiteral("SelChange")}));
}

TEST_F(EditSessionTest, TypedTextTakesTheLocaleButNeverTheLinkEffect)
{
    write(QStringLiteral("see www.x.org"));
    link(4, 13);
    session.setSelStart(13);
    ASSERT_TRUE(session.typeText(QStringLiteral("z")));
    EXPECT_EQ(formatAt(13).lcid, LinkLcid);
    EXPECT_FALSE(formatAt(13).is(Link));
    EXPECT_TRUE(formatAt(12).is(Link));

    // After a marking pass resets the end (L .. L + 2), a character typed at the end is plain.
    session.exSetSel({14, 16});
    session.setCharFormat(SelectionScope, lcid(PlainLcid));
    session.typeText(QStringLiteral("!"));
    EXPECT_EQ(formatAt(14).lcid, PlainLcid);

    // At the start of a paragraph the first character's format counts, else the mark's.
    write(QStringLiteral("\r\nab"));
    session.exSetSel({2, 4});
    session.setCharFormat(SelectionScope, lcid(1031));
    session.setSelStart(2);
    session.typeText(QStringLiteral("c"));
    EXPECT_EQ(formatAt(2).lcid, 1031u);
    session.setSelStart(0);
    session.typeText(QStringLiteral("d"));
    EXPECT_EQ(formatAt(0).lcid, PlainLcid);
}

TEST_F(EditSessionTest, ReplacementTakesTheFirstReplacedCharactersFormat)
{
    write(QStringLiteral("abc def"));
    link(0, 3);
    CharFormat red;
    red.mask = Color;
    red.color = 0xFF;
    session.exSetSel({4, 7});
    session.setCharFormat(SelectionScope, red);
    session.exSetSel({2, 5});  // "c d": starts in the link
    session.setSelText(QStringLiteral("XYZW"));
    EXPECT_EQ(formatAt(2).lcid, LinkLcid);
    EXPECT_FALSE(formatAt(2).is(Link));
    EXPECT_EQ(formatAt(5).lcid, LinkLcid);
    session.exSetSel({6, 8});
    session.replaceSel(QStringLiteral("q"), true);
    EXPECT_EQ(formatAt(6).color, 0xFFu);
    EXPECT_EQ(session.selText(), QString());
}

TEST_F(EditSessionTest, PendingFormatLivesUntilTheCaretMoves)
{
    write(QStringLiteral("abc"));
    session.setSelStart(1);
    session.setCharFormat(SelectionScope, change(Bold, Bold));
    EXPECT_TRUE(session.hasPendingFormat());
    EXPECT_FALSE(formatAt(1).is(Bold));  // nothing in the document changed
    session.setSelStart(1);
    session.exSetSel({1, 1});
    (void)session.charFormat();
    EXPECT_TRUE(session.charFormat().is(Bold));
    session.setSelText(QStringLiteral("X"));
    EXPECT_TRUE(formatAt(1).is(Bold));
    EXPECT_FALSE(session.hasPendingFormat());  // consumed

    session.setCharFormat(SelectionScope, change(Italic, Italic));
    session.setSelStart(0);
    EXPECT_FALSE(session.hasPendingFormat());
    session.typeText(QStringLiteral("Y"));
    EXPECT_FALSE(formatAt(0).is(Italic));

    // At the end the change reaches the end mark too.
    session.setSelStart(5);
    session.setCharFormat(SelectionScope, change(Underline, Underline));
    EXPECT_TRUE(formatAt(5).is(Underline));
}

TEST_F(EditSessionTest, UndoTogglesAndRestoresTheSelections)
{
    write(QStringLiteral("one two"));
    session.exSetSel({0, 3});
    session.setSelText(QStringLiteral("1"));
    EXPECT_EQ(session.document().text(), QStringLiteral("1 two"));
    EXPECT_TRUE(session.canUndo());
    events.clear();
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(events, (QStringList{QStringLiteral("Change"), QStringLiteral("SelChange")}));
    EXPECT_EQ(session.document().text(), QStringLiteral("one two"));
    EXPECT_EQ(session.selection(), (CharRange{0, 3}));
    ASSERT_TRUE(session.undo());  // the redo
    EXPECT_EQ(session.document().text(), QStringLiteral("1 two"));
    EXPECT_EQ(session.selection(), (CharRange{1, 1}));
    EXPECT_TRUE(session.canUndo());

    // A format step puts formats back and raises no Change.
    session.exSetSel({2, 5});
    session.setCharFormat(SelectionScope, change(Bold, Bold));
    session.changeCase(UpperCase);
    EXPECT_EQ(session.document().text(), QStringLiteral("1 TWO"));
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("1 two"));
    EXPECT_TRUE(formatAt(3).is(Bold));  // the case change was the only step
    events.clear();
    session.setCharFormat(SelectionScope, change(Italic, Italic));
    session.undo();
    EXPECT_FALSE(formatAt(3).is(Italic));
    EXPECT_FALSE(events.contains(QStringLiteral("Change")));
}

TEST_F(EditSessionTest, TypingBackspaceAndDeleteRunsAreOneStepEach)
{
    write(QStringLiteral("ab"));
    session.setSelStart(1);
    for (const QString& key : {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("\r")})
        session.typeText(key);
    EXPECT_EQ(session.document().text(), QStringLiteral("axy\r\nb"));
    EXPECT_EQ(session.caret(), 5);  // Enter moves the caret by two
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("ab"));
    EXPECT_EQ(session.caret(), 1);
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("axy\r\nb"));
    EXPECT_EQ(session.caret(), 5);

    // A caret jump ends the run, even back to the same place.
    session.typeText(QStringLiteral("1"));
    session.setSelStart(0);
    session.setSelStart(6);
    session.typeText(QStringLiteral("2"));
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("axy\r\n1b"));

    // Any other change ends the run too, even one that adds no step.
    session.undo();
    session.typeText(QStringLiteral("3"));
    session.suspendUndo();
    session.setParaFormat(ParaFormat{});
    session.resumeUndo();
    session.typeText(QStringLiteral("4"));
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("axy\r\n123b"));

    // Backspace over a paragraph end and Delete runs.
    write(QStringLiteral("ab\r\ncd"));
    session.setSelStart(5);
    EXPECT_TRUE(session.backspace());
    EXPECT_TRUE(session.backspace());
    EXPECT_TRUE(session.backspace());
    EXPECT_EQ(session.document().text(), QStringLiteral("ad"));
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("ab\r\ncd"));
    EXPECT_EQ(session.caret(), 5);
    session.setSelStart(0);
    session.deleteForward();
    session.deleteForward();
    session.deleteForward();
    EXPECT_EQ(session.document().text(), QStringLiteral("cd"));
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("ab\r\ncd"));
    EXPECT_FALSE(session.backspace());  // nothing before the caret
}

TEST_F(EditSessionTest, TheBufferEmptiesWhereItMust)
{
    write(QStringLiteral("abc"));
    EXPECT_FALSE(session.canUndo());
    session.setSelText(QStringLiteral("x"));
    session.replaceSel(QStringLiteral("y"), false);
    EXPECT_FALSE(session.canUndo());
    session.setSelText(QStringLiteral("z"));
    session.emptyUndoBuffer();
    EXPECT_FALSE(session.undo());

    // A suspend without a change leaves the step as it was.
    session.setSelText(QStringLiteral("1"));
    session.suspendUndo();
    session.resumeUndo();
    session.resumeUndo();  // harmless without a suspend
    session.undo();
    EXPECT_FALSE(session.document().text().contains(u'1'));
}

// What changes while collection is suspended (an indent drag, move after move) is one step:
// undo takes back exactly that, never the step before it in part.
TEST_F(EditSessionTest, ChangesWhileSuspendedAreOneStep)
{
    ParaFormat bullet;
    bullet.mask = Numbering;
    bullet.numbering = Bullet;
    const auto indented = [](int32_t twips) {
        ParaFormat indent;
        indent.mask = StartIndent;
        indent.startIndent = twips;
        return indent;
    };
    const auto paragraph = [this](int index) { return session.document().paragraphFormat(index); };

    write(QStringLiteral("ab\r\ncd"));
    session.exSetSel({0, -1});
    session.setParaFormat(bullet);
    session.setSelStart(5);
    session.suspendUndo();
    for (const int32_t twips : {360, 540, 720})
        session.setParaFormat(indented(twips));
    session.resumeUndo();
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(paragraph(0).numbering, Bullet);
    EXPECT_EQ(paragraph(1).numbering, Bullet);
    EXPECT_EQ(paragraph(1).startIndent, 0);
    EXPECT_EQ(session.caret(), 5);
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(paragraph(1).startIndent, 720);
    EXPECT_EQ(paragraph(1).numbering, Bullet);

    // Text changed while suspended joins the step too; after the resume steps are their own.
    write(QStringLiteral("ab"));
    session.setSelStart(2);
    session.typeText(QStringLiteral("c"));
    session.suspendUndo();
    session.setParaFormat(indented(360));
    session.typeText(QStringLiteral("d"));
    session.resumeUndo();
    session.typeText(QStringLiteral("e"));
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("abcd"));
    EXPECT_EQ(paragraph(0).startIndent, 360);
    session.setSelStart(0);
    session.suspendUndo();
    session.setParaFormat(indented(720));
    session.typeText(QStringLiteral("f"));
    session.resumeUndo();
    session.undo();
    EXPECT_EQ(session.document().text(), QStringLiteral("abcd"));
    EXPECT_EQ(paragraph(0).startIndent, 360);
    EXPECT_EQ(session.caret(), 0);
}

// Format changes that change no character (a font dialog closed with OK unchanged) leave the
// step before them in place; a real change after them still takes its own step.
TEST_F(EditSessionTest, AChangeThatChangesNothingLeavesTheStepBeforeIt)
{
    ParaFormat left;
    left.mask = Alignment;
    left.alignment = AlignLeft;
    write(QStringLiteral("ab\r\ncd"));
    session.setSelStart(2);
    session.typeText(QStringLiteral("xy"));
    session.exSetSel({0, -1});
    session.setCharFormat(SelectionScope, change(Bold, 0));
    session.setCharFormat(AllScope, lcid(PlainLcid));
    session.setParaFormat(left);
    session.suspendUndo();
    session.setCharFormat(SelectionScope, change(Italic, 0));
    session.resumeUndo();
    session.setSelStart(session.document().length());
    session.setCharFormat(SelectionScope, change(Underline, 0));  // the end mark alone
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(session.document().text(), QStringLiteral("ab\r\ncd"));
    EXPECT_EQ(session.caret(), 2);
    ASSERT_TRUE(session.undo());
    EXPECT_EQ(session.document().text(), QStringLiteral("abxy\r\ncd"));

    session.exSetSel({0, 2});
    session.setCharFormat(SelectionScope, change(Bold, Bold));
    session.setCharFormat(SelectionScope, change(Bold, Bold));
    ASSERT_TRUE(session.undo());
    EXPECT_FALSE(formatAt(0).is(Bold));
    EXPECT_EQ(session.document().text(), QStringLiteral("abxy\r\ncd"));

    // With no step before it, nothing is left to undo.
    write(QStringLiteral("plain"));
    session.exSetSel({0, -1});
    session.setCharFormat(SelectionScope, change(Bold, 0));
    EXPECT_FALSE(session.canUndo());
}

TEST_F(EditSessionTest, ModifiedFlagFollowsChangesOnly)
{
    write(QStringLiteral("abc"));
    EXPECT_TRUE(session.isModified());  // a whole-document write counts
    session.setModified(false);
    session.exSetSel({0, 2});
    (void)session.charFormat();
    (void)session.selText();
    EXPECT_FALSE(session.isModified());
    session.setCharFormat(SelectionScope, lcid(LinkLcid));
    EXPECT_TRUE(session.isModified());
    session.setModified(false);
    session.undo();
    EXPECT_TRUE(session.isModified());
}

TEST_F(EditSessionTest, LockedProtectedAndMaxLengthBlockTheUserOnly)
{
    write(QStringLiteral("abcdef"));
    session.setReadOnly(true);
    session.setSelStart(1);
    EXPECT_FALSE(session.typeText(QStringLiteral("x")));
    EXPECT_FALSE(session.backspace());
    session.setSelText(QStringLiteral("x"));  // code still writes
    EXPECT_EQ(session.document().text(), QStringLiteral("axbcdef"));
    session.setReadOnly(false);

    session.exSetSel({2, 5});
    session.setCharFormat(SelectionScope, change(Protected, Protected));
    session.exSetSel({1, 3});
    EXPECT_FALSE(session.clear());
    EXPECT_FALSE(session.typeText(QStringLiteral("q")));
    session.setSelStart(3);  // both neighbours protected
    EXPECT_FALSE(session.typeText(QStringLiteral("q")));
    EXPECT_FALSE(session.deleteForward());
    session.setSelStart(2);  // only the right neighbour
    EXPECT_TRUE(session.typeText(QStringLiteral("q")));
    session.exSetSel({0, 1});
    EXPECT_TRUE(session.clear());

    write(QStringLiteral("abc"));
    session.setMaxLength(5);
    session.setSelStart(3);
    EXPECT_TRUE(session.typeText(QStringLiteral("d")));
    EXPECT_FALSE(session.typeText(QStringLiteral("\r")));  // two positions do not fit
    EXPECT_TRUE(session.pasteText(QStringLiteral("e\r\nfg")));
    EXPECT_EQ(session.document().text(), QStringLiteral("abcde"));
    session.setSelText(QStringLiteral("longer than allowed"));
    EXPECT_EQ(session.document().length(), 24);
}

TEST_F(EditSessionTest, CaseChangeWorksInPlace)
{
    EXPECT_EQ(changeCaseOf(QStringLiteral("hELLO wORLD"), UpperCase),
              QStringLiteral("HELLO WORLD"));
    EXPECT_EQ(changeCaseOf(QStringLiteral("\u00C0B\u0391"), LowerCase),
              QStringLiteral("\u00E0b\u03B1"));
    EXPECT_EQ(changeCaseOf(QStringLiteral("it's o\u2019neil x-ray 3d mcDONALD"), TitleCase),
              QStringLiteral("It's O\u2019neil X-Ray 3d Mcdonald"));
    EXPECT_EQ(changeCaseOf(QStringLiteral("HELLO. wORLD!next? yes\r\nnew e.g. it"), SentenceCase),
              QStringLiteral("Hello. World!next? Yes\r\nNew e.g. It"));
    EXPECT_EQ(changeCaseOf(QStringLiteral("aBc\U00010428"), ToggleCase),
              QStringLiteral("AbC\U00010400"));
    // Sharp s stays one unit.
    EXPECT_EQ(changeCaseOf(QStringLiteral("\u00DF"), UpperCase).size(), 1);

    write(QStringLiteral("ab cd"));
    session.exSetSel({1, 4});
    session.setCharFormat(SelectionScope, change(Bold, Bold));
    session.changeCase(UpperCase);
    EXPECT_EQ(session.document().text(), QStringLiteral("aB Cd"));
    EXPECT_EQ(session.selection(), (CharRange{1, 4}));
    EXPECT_TRUE(formatAt(3).is(Bold));
    EXPECT_FALSE(formatAt(4).is(Bold));
}

TEST_F(EditSessionTest, SpanAndUpToMoveTheActiveEnd)
{
    write(QStringLiteral("  abc123 def"));
    session.setSelStart(2);
    session.span(QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(session.selection(), (CharRange{2, 5}));
    session.span(QStringLiteral("0123456789"));
    EXPECT_EQ(session.selection(), (CharRange{2, 8}));
    session.upTo(QStringLiteral("f"));
    EXPECT_EQ(session.selection(), (CharRange{11, 11}));
    session.span(QStringLiteral(" "), false, true);
    EXPECT_EQ(session.anchor(), 11);
    EXPECT_EQ(session.caret(), 9);
    session.upTo(QStringLiteral(" "), false, true);  // back to just after the first non-blank
    EXPECT_EQ(session.selection(), (CharRange{8, 8}));
}

TEST_F(EditSessionTest, RemovePicturesIsOneStepThatShiftsTheSelection)
{
    write(QStringLiteral("ab"));
    DocumentFragment picture;
    picture.paragraphs.resize(1);
    picture.paragraphs[0].hasMark = false;
    picture.paragraphs[0].runs.push_back({QString(QChar(ObjectReplacementCharacter)),
                                          defaultCharFormat(), std::make_shared<Picture>()});
    session.setSelStart(1);
    session.replaceSelWithFragment(picture);
    EXPECT_EQ(session.caret(), 2);
    session.setSelStart(3);
    EXPECT_EQ(session.removePictures(), 1);
    EXPECT_EQ(session.document().text(), QStringLiteral("ab"));
    EXPECT_EQ(session.caret(), 2);
    session.undo();
    EXPECT_EQ(session.document().length(), 3);
    EXPECT_TRUE(session.document().paragraph(0).runs[1].picture);
}

TEST_F(EditSessionTest, RandomStepsUndoAndRedoExactly)
{
    std::mt19937 random(99);
    write(QStringLiteral("start\r\ntext"));
    for (int step = 0; step < 400; ++step) {
        const int32_t length = session.document().length();
        session.exSetSel({int32_t(random() % (length + 1)), int32_t(random() % (length + 1))});
        const QString before = session.document().text();
        const DocumentFragment formatsBefore = session.document().extractAll();
        const CharRange selectionBefore = session.selection();
        session.emptyUndoBuffer();  // what is undone below is this step alone
        switch (random() % 5) {
            case 0:
                session.setSelText(QStringLiteral("n\r\new").left(int(random() % 7)));
                break;
            case 1:
                session.typeText(random() % 2 ? QStringLiteral("k") : QStringLiteral("\r"));
                break;
            case 2:
                session.backspace();
                break;
            case 3:
                session.setCharFormat(SelectionScope, lcid(1000 + random() % 3));
                break;
            default:
                session.changeCase(int(random() % 3));
        }
        const QString after = session.document().text();
        const CharRange selectionAfter = session.selection();
        if (!session.canUndo())
            continue;
        session.undo();
        ASSERT_EQ(session.document().text(), before) << step;
        ASSERT_EQ(session.selection(), selectionBefore) << step;
        const DocumentFragment restored = session.document().extractAll();
        ASSERT_EQ(restored.paragraphs.size(), formatsBefore.paragraphs.size());
        for (size_t i = 0; i < restored.paragraphs.size(); ++i)
            ASSERT_EQ(restored.paragraphs[i].markFormat, formatsBefore.paragraphs[i].markFormat);
        session.undo();
        ASSERT_EQ(session.document().text(), after) << step;
        ASSERT_EQ(session.selection(), selectionAfter) << step;
    }
}

// Every position's format and every paragraph's format, with the text: what an exact undo
// puts back.
struct DocumentState {
    QString text;
    std::vector<CharFormat> formats;
    std::vector<ParaFormat> paragraphs;
    bool operator==(const DocumentState&) const = default;
};

DocumentState stateOf(const Document& document)
{
    DocumentState state{document.text(), {}, {}};
    for (int32_t position = 0; position <= document.length(); ++position)
        state.formats.push_back(document.formatAt(position));
    for (int i = 0; i < document.paragraphCount(); ++i)
        state.paragraphs.push_back(document.paragraphFormat(i));
    return state;
}

// Runs of typing, Backspace and Delete inside paragraphs of several formats (with pictures),
// ended now and then by Enter or a replacement, each undone and redone as one step.
TEST_F(EditSessionTest, EditsInsideAParagraphUndoAndRedoExactly)
{
    std::mt19937 random(7);
    write(QStringLiteral("alpha beta gamma\r\ndelta epsilon"));
    session.exSetSel({2, 9});
    session.setCharFormat(SelectionScope, change(Bold, Bold));
    session.exSetSel({12, 20});
    session.setCharFormat(SelectionScope, change(Italic, Italic));
    DocumentFragment picture;
    picture.paragraphs.push_back(FragmentParagraph{});
    picture.paragraphs.back().hasMark = false;
    picture.paragraphs.back().runs.push_back(FragmentRun{
        QString(QChar(ObjectReplacementCharacter)), CharFormat{}, std::make_shared<Picture>()});
    for (const int32_t at : {4, 15}) {
        session.setSelStart(at);
        session.replaceSelWithFragment(picture);
    }
    ASSERT_EQ(session.document().charAt(15), QChar(ObjectReplacementCharacter));
    for (int run = 0; run < 300; ++run) {
        const int32_t length = session.document().length();
        const auto caret = int32_t(random() % (length + 1));
        const int kind = int(random() % 4);
        session.exSetSel({caret, kind == 3 ? caret + int32_t(random() % 4) : caret});
        session.emptyUndoBuffer();
        const DocumentState before = stateOf(session.document());
        const CharRange selectionBefore = session.selection();
        for (int key = int(random() % 6); key >= 0; --key) {
            if (kind == 0) {
                session.backspace();
            } else if (kind == 1) {
                session.deleteForward();
            } else if (kind == 2) {
                session.typeText(key == 0 && random() % 3 == 0
                                     ? QStringLiteral("\r")
                                     : QStringLiteral("qw").left(1 + key % 2));
            } else {
                // One edit of the paragraph in place, leaving what a removal and an insertion
                // leave.
                Document model(session.document().defaultFormat());
                model.replaceAll(session.document().extractAll());
                const CharFormat format = session.insertionFormat();
                model.remove(session.selection());
                model.insert(session.selStart(), QStringLiteral("zz"), format);
                session.setSelText(QStringLiteral("zz"));
                ASSERT_EQ(stateOf(session.document()), stateOf(model)) << run;
                break;
            }
        }
        if (!session.canUndo())
            continue;
        const DocumentState after = stateOf(session.document());
        const CharRange selectionAfter = session.selection();
        session.undo();
        ASSERT_EQ(session.document().text(), before.text) << run;
        ASSERT_EQ(stateOf(session.document()), before) << run;
        ASSERT_EQ(session.selection(), selectionBefore) << run;
        session.undo();
        ASSERT_EQ(stateOf(session.document()), after) << run;
        ASSERT_EQ(session.selection(), selectionAfter) << run;
    }
}

// An edit inside a long paragraph works on the paragraph's own text: it is not copied for the
// undo step (which keeps only what the edit replaced), and the characters away from the edits
// stay where they were.
TEST_F(EditSessionTest, EditsInsideAParagraphLeaveItsTextWhereItIs)
{
    FragmentParagraph read{{{QString(50000, u'a'), defaultCharFormat(), nullptr}},
                           defaultParaFormat(),
                           defaultCharFormat()};
    read.hasLineEnds = false;
    session.replaceDocument(DocumentFragment{{std::move(read)}});
    session.setSelStart(25000);
    const QChar* storage = session.document().paragraph(0).text.storageAt(40000);
    session.typeText(QStringLiteral("x"));
    session.typeText(QStringLiteral("y"));
    session.setSelStart(100);  // a new step
    session.typeText(QStringLiteral("z"));
    session.backspace();
    session.exSetSel({200, 203});
    session.replaceSel(QStringLiteral("r"), true);
    EXPECT_EQ(session.document().paragraph(0).text.storageAt(40000), storage);
    ASSERT_TRUE(session.undo());  // the replacement: the text after it is two longer again
    EXPECT_EQ(session.document().paragraph(0).text.storageAt(40002), storage);
    // A format change (as the link pass makes for every address) keeps the characters.
    session.exSetSel({30000, 30010});
    session.setCharFormat(SelectionScope, lcid(1031));
    EXPECT_EQ(session.document().paragraph(0).text.storageAt(40002), storage);
    EXPECT_EQ(session.document().formatAt(30005).lcid, 1031u);
    EXPECT_EQ(session.document().paragraph(0).runs.size(), 3u);
    EXPECT_EQ(session.document().text().mid(199, 5), QStringLiteral("aaaaa"));
}
