// The link passes on an editing window of their own, with the control around them faked.
#include "richtext/scanning/HyperlinkPasses.h"

#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/LineQueries.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/scanning/HyperlinkMark.h"
#include "richtext/scanning/ViewKeeper.h"
#include "tests/support/FakeMessageBoxes.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>

namespace {

class HyperlinkPassesTest : public testing::Test {
protected:
    HyperlinkPassesTest()
        : m_mark(m_window),
          m_view(m_window),
          m_lines(m_window),
          m_passes(m_window, m_mark, m_view, m_lines, hooks())
    {
        RichTextLibraryState::instance().reset();
    }
    ~HyperlinkPassesTest() override { RichTextLibraryState::instance().reset(); }

    HyperlinkPassHooks hooks()
    {
        HyperlinkPassHooks hooks;
        hooks.detectHyperLinks = [this] { return m_detect; };
        hooks.disableHyperLinks = [this] {
            m_detect = false;
            m_events.append(QStringLiteral("disable"));
        };
        hooks.freeze = [this](bool on) { m_freezeDepth += on ? 1 : -1; };
        hooks.begin = [this] { m_events.append(QStringLiteral("Begin")); };
        hooks.finish = [this] { m_events.append(QStringLiteral("Finish")); };
        hooks.ready = [this] { m_events.append(QStringLiteral("Ready")); };
        hooks.saveRegularUndoData = [this] { m_events.append(QStringLiteral("snapshot")); };
        hooks.documentRtfLength = [this] { return m_rtfLength; };
        return hooks;
    }
    // The characters carrying the link locale, one string per run.
    QStringList linkRuns()
    {
        const QString text = m_window.Text();
        QStringList runs;
        QString run;
        for (int32_t i = 0; i <= text.size(); ++i) {
            const bool link = i < text.size() &&
                              m_window.engine().document().formatAt(i).lcid == richedit::LinkLcid;
            if (link)
                run.append(text.at(i));
            else if (!run.isEmpty())
                runs.append(std::exchange(run, QString()));
        }
        return runs;
    }

    richedit::RichTextBox m_window;
    HyperlinkMark m_mark;
    ViewKeeper m_view;
    LineQueries m_lines;
    HyperlinkPasses m_passes;
    bool m_detect = true;
    int m_freezeDepth = 0;
    int64_t m_rtfLength = 100;
    QStringList m_events;
};

}  // namespace

TEST_F(HyperlinkPassesTest, DocumentPassMarksEveryAddressAndPutsTheCaretBack)
{
    m_window.setText(
        QStringLiteral("Mail a.b@example.com or see WWW.Example.org/x and "
                       "ftp://files.example.net today; www.ab is too short."));
    m_window.setSelStart(7);
    m_window.setSelLength(3);
    m_passes.HyperLinkDocument();
    EXPECT_EQ(linkRuns(),
              (QStringList{"a.b@example.com", "WWW.Example.org/x", "ftp://files.example.net"}));
    EXPECT_EQ(m_events, (QStringList{"Begin", "Finish", "Ready"}));
    EXPECT_EQ(m_window.SelStart(), 7);
    EXPECT_EQ(m_window.SelLength(), 0);
    EXPECT_EQ(m_freezeDepth, 0);
    EXPECT_FALSE(RichTextLibraryState::instance().LinkPassRunning);
    EXPECT_EQ(RichTextLibraryState::instance().SpecialUndoKind, HyperLinkUD);
    // The marking leaves nothing to undo.
    EXPECT_FALSE(m_window.engine().canUndo());
}

// A document's paragraphs as runs of (text, link locale), the formats of runs next to each other
// required to differ, as in a document read afresh.
QStringList linkedRunsOf(const richedit::Document& document)
{
    QStringList result;
    for (int p = 0; p < document.paragraphCount(); ++p) {
        const richedit::Paragraph& paragraph = document.paragraph(p);
        int32_t start = 0;
        for (size_t k = 0; k < paragraph.runs.size(); ++k) {
            const richedit::TextRun& run = paragraph.runs[k];
            if (k > 0 && run.format == paragraph.runs[k - 1].format)
                result.append(QStringLiteral("<unjoined run>"));
            const richedit::CharFormat& format = document.format(run.format);
            if (format.lcid == richedit::LinkLcid && format.is(richedit::Link))
                result.append(paragraph.text.mid(start, run.length));
            start += run.length;
        }
        if (start != paragraph.text.size())
            result.append(QStringLiteral("<runs do not cover the text>"));
    }
    return result;
}

// Many addresses in one long paragraph are marked each once, with every line and run as a
// layout and a document made afresh would have them, and the pass costs about what it costs
// over the same addresses one per paragraph (marking used to copy the paragraph's runs, lay
// the whole paragraph out and snapshot it for every address).
TEST_F(HyperlinkPassesTest, DocumentPassOverOneLongParagraphCostsWhatItMarks)
{
    constexpr int Count = 2000;
    QStringList addresses;
    const auto textWith = [&](const QString& separator) {
        QString text;
        for (int i = 0; i < Count; ++i)
            text += QStringLiteral("see ") + addresses.at(i) + separator;
        return text;
    };
    for (int i = 0; i < Count; ++i)
        addresses.append(i % 2 ? QStringLiteral("user%1@mail.example.org").arg(i)
                               : QStringLiteral("www.site%1.example.com").arg(i));
    richedit::Engine& engine = m_window.engine();
    engine.setTargetDevice(nullptr, 6000);
    // Frozen as the control freezes it, the paragraph laid out as a shown window holds it.
    const auto timedPass = [&](const QString& text) {
        m_window.setText(text);
        engine.lineCount();
        engine.setModified(false);
        QElapsedTimer timer;
        timer.start();
        engine.freeze();
        m_passes.HyperLinkDocument();
        engine.unfreeze();
        engine.lineCount();
        return timer.nsecsElapsed();
    };
    qint64 spread = std::numeric_limits<qint64>::max();
    qint64 oneParagraph = std::numeric_limits<qint64>::max();
    for (int round = 0; round < 2; ++round) {
        spread = std::min(spread, timedPass(textWith(QStringLiteral("\r\n"))));
        oneParagraph = std::min(oneParagraph, timedPass(textWith(QStringLiteral(" "))));
    }
    EXPECT_LT(oneParagraph, 6 * spread)
        << oneParagraph / 1000000 << " ms against " << spread / 1000000 << " ms";

    const richedit::Document& document = engine.document();
    ASSERT_EQ(document.paragraphCount(), 1);
    EXPECT_EQ(linkedRunsOf(document), addresses);
    EXPECT_FALSE(engine.canUndo());
    EXPECT_TRUE(engine.isModified());
    EXPECT_EQ(m_window.SelStart(), 0);
    richedit::DocumentLayout fresh(document);
    fresh.setTargetDevice(nullptr, 6000);
    ASSERT_EQ(engine.lineCount(), fresh.lineCount());
    for (int line = 0; line < fresh.lineCount(); line += 7)
        ASSERT_EQ(engine.lineIndex(line), fresh.lineIndex(line)) << line;
}

TEST_F(HyperlinkPassesTest, DocumentPassGuards)
{
    // Nothing that can be an address: Begin only, nothing changed.
    m_window.setText(QStringLiteral("plain words only"));
    const QString rtf = m_window.TextRTF();
    m_passes.HyperLinkDocument();
    EXPECT_EQ(m_events, QStringList{"Begin"});
    EXPECT_EQ(m_window.TextRTF(), rtf);

    // Another pass running: the bracket, no marks.
    m_window.setText(QStringLiteral("see www.example.com"));
    m_events.clear();
    RichTextLibraryState::instance().LinkPassRunning = true;
    m_passes.HyperLinkDocument();
    EXPECT_EQ(m_events, (QStringList{"Begin", "Finish", "Ready"}));
    EXPECT_TRUE(linkRuns().isEmpty());
    RichTextLibraryState::instance().LinkPassRunning = false;

    // A stop request held by a running replace: no mark, yet caret and running flag are put
    // back, and the request stays.
    RichTextLibraryState::instance().SyntaxRunning = true;
    RichTextLibraryState::instance().StopLinkPass = true;
    m_window.setSelStart(2);
    m_passes.HyperLinkDocument();
    EXPECT_TRUE(linkRuns().isEmpty());
    EXPECT_EQ(m_window.SelStart(), 2);
    EXPECT_FALSE(RichTextLibraryState::instance().LinkPassRunning);
    EXPECT_TRUE(RichTextLibraryState::instance().StopLinkPass);
    EXPECT_EQ(m_freezeDepth, 0);

    // A request left over from an earlier command never swallows the user's own pass.
    RichTextLibraryState::instance().SyntaxRunning = false;
    m_passes.HyperLinkDocument();
    EXPECT_EQ(linkRuns(), QStringList{"www.example.com"});
    EXPECT_FALSE(RichTextLibraryState::instance().StopLinkPass);
}

TEST_F(HyperlinkPassesTest, UnmarkingPassesAndTheirGates)
{
    m_window.setText(QStringLiteral("see www.example.com now"));
    m_passes.HyperLinkDocument();
    ASSERT_EQ(linkRuns(), QStringList{"www.example.com"});
    m_window.setSelStart(5);
    m_window.setSelLength(2);

    // Only with automatic links off.
    m_passes.UnHyperLinkDocument();
    EXPECT_EQ(linkRuns(), QStringList{"www.example.com"});
    m_detect = false;
    m_passes.UnHyperLinkDocument();
    EXPECT_TRUE(linkRuns().isEmpty());
    EXPECT_EQ(m_window.SelStart(), 5);
    EXPECT_EQ(m_window.SelLength(), 2);
    EXPECT_FALSE(m_window.engine().document().formatAt(6).effects & richedit::Link);

    // The marking passes of the handlers are gated by DetectHyperLinks too.
    m_passes.HyperLinkPass(0);
    EXPECT_TRUE(linkRuns().isEmpty());
    m_detect = true;
    m_passes.HyperLinkPass(3);
    EXPECT_EQ(linkRuns(), QStringList{"www.example.com"});
    EXPECT_EQ(m_window.SelStart(), 3);

    // UnlinkRange has no gate.
    m_passes.UnlinkRange(1);
    EXPECT_TRUE(linkRuns().isEmpty());
    EXPECT_EQ(m_window.SelStart(), 1);
}

TEST_F(HyperlinkPassesTest, TypingPassMarksTheCaretParagraphOnlyAndSnapshotsFirst)
{
    m_window.setText(QStringLiteral("www.first.com\r\nnow www.second.com "));
    m_window.setSelStart(int32_t(m_window.Text().size()));
    const int32_t caret = m_window.SelStart();
    m_passes.AutoLinkWhileTyping(caret);
    EXPECT_EQ(linkRuns(), QStringList{"www.second.com"});
    EXPECT_EQ(m_events, QStringList{"snapshot"});
    EXPECT_EQ(m_window.SelStart(), caret);

    // In a long paragraph only the stretch around the caret is looked at, cut at blanks.
    m_events.clear();
    QString filler;
    for (int i = 0; i < 1000; ++i)
        filler += QStringLiteral("abc ");
    m_window.setText(QStringLiteral("www.far.com ") + filler + QStringLiteral("www.near.com "));
    m_window.setSelStart(int32_t(m_window.Text().size()));
    m_passes.AutoLinkWhileTyping(m_window.SelStart());
    EXPECT_EQ(linkRuns(), QStringList{"www.near.com"});
    m_window.setSelStart(3);
    m_passes.AutoLinkWhileTyping(3);
    EXPECT_EQ(linkRuns(), (QStringList{"www.far.com", "www.near.com"}));
    // An address that the reach would cut in two is left whole for a later release.
    m_window.setText(QStringLiteral("http://www.cut.com/abc ") + filler);
    const int32_t caret2 = HyperlinkPasses::TypingReach + 7;
    m_window.setSelStart(caret2);
    m_passes.AutoLinkWhileTyping(caret2);
    EXPECT_TRUE(linkRuns().isEmpty());

    // After Enter the line above is linked.
    m_events.clear();
    m_window.setText(QStringLiteral("at www.above.com\r\n"));
    m_window.setSelStart(int32_t(m_window.Text().size()));
    m_passes.RelinkAfterEnter(m_window.SelStart());
    EXPECT_EQ(linkRuns(), QStringList{"www.above.com"});

    // UnlinkAtCaret clears the caret's line and the position after it.
    m_window.setSelStart(5);
    m_passes.UnlinkAtCaret(5);
    EXPECT_TRUE(linkRuns().isEmpty());
    EXPECT_EQ(m_window.SelStart(), 5);
}

TEST_F(HyperlinkPassesTest, TypingPassTurnsItselfOffForAVeryLargeDocument)
{
    testsupport::FakeMessageBoxes boxes;
    m_window.setText(QStringLiteral("see www.example.com "));
    m_window.setSelStart(20);
    m_rtfLength = HyperlinkPasses::TypingRtfLimit;
    m_passes.AutoLinkWhileTyping(20);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(linkRuns(), QStringList{"www.example.com"});

    m_window.setText(QStringLiteral("see www.example.com "));
    m_events.clear();
    m_rtfLength = HyperlinkPasses::TypingRtfLimit + 1;
    m_passes.AutoLinkWhileTyping(20);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, u"Automatic Hyperlinking Disabled");
    EXPECT_EQ(boxes.shown()[0].text,
              u"The current file is very large or contains images, automatic hyperlinking has "
              u"been disabled to improve performance.\r\nSimply click the Detect Hyperlinks "
              u"button to use hyperlinking as needed.");
    EXPECT_EQ(boxes.shown()[0].style, 64);
    EXPECT_EQ(m_events, QStringList{"disable"});
    EXPECT_TRUE(linkRuns().isEmpty());
    // The gate is closed now: the next release shows nothing.
    m_passes.AutoLinkWhileTyping(20);
    EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST_F(HyperlinkPassesTest, PreCheckLooksForAtColonOrWww)
{
    EXPECT_TRUE(HyperlinkPasses::mayHoldAddress(QStringLiteral("a@b")));
    EXPECT_TRUE(HyperlinkPasses::mayHoldAddress(QStringLiteral("x:y")));
    EXPECT_TRUE(HyperlinkPasses::mayHoldAddress(QStringLiteral("WwW")));
    EXPECT_FALSE(HyperlinkPasses::mayHoldAddress(QStringLiteral("ww w.example")));
}

// Addresses are read as the reader sees them: hidden text on either side is no part of one and
// hidden text inside one is left out of it (but carries its mark, so that a caret beside it
// stands in the link), for the whole-text and the typing passes; the zone under a spot gives
// the address that shows.
TEST_F(HyperlinkPassesTest, AddressesAreTheShownText)
{
    const QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n"
        "\\pard Visit www.bank.example{\\v .evil.example/steal} today.\\par\r\n"
        "\\pard Or {\\v http://evil.example/}www.shop.example now.\\par\r\n"
        "\\pard At www.cut{\\v xyz}.example and {\\v hidden@evil.org} me@mail.org\\par\r\n"
        "\\pard {\\v www.all.hidden.example}\\par\r\n}");
    const QStringList shown{"www.bank.example", "www.shop.example", "www.cutxyz.example",
                            "me@mail.org"};
    m_window.setTextRTF(rtf);
    m_passes.HyperLinkDocument();
    EXPECT_EQ(linkRuns(), shown);

    QString address;
    const QString text = m_window.Text();
    m_window.setSelStart(int32_t(text.indexOf(u"bank")));
    EXPECT_TRUE(m_mark.DetectURLZone(m_window.SelStart(), address));
    EXPECT_EQ(address, u"www.bank.example");
    m_window.setSelStart(int32_t(text.indexOf(u"shop")));
    EXPECT_TRUE(m_mark.DetectURLZone(m_window.SelStart(), address));
    EXPECT_EQ(address, u"www.shop.example");
    m_window.setSelStart(int32_t(text.indexOf(u".example and")));
    EXPECT_TRUE(m_mark.DetectURLZone(m_window.SelStart(), address));
    EXPECT_EQ(address, u"www.cut.example");
    // Inside hidden text the spot stands before the next character that shows.
    EXPECT_FALSE(m_mark.DetectURLZone(int32_t(text.indexOf(u"evil")), address));
    EXPECT_EQ(address, u"www.cut.example");

    // Typing in each paragraph marks the same.
    m_window.setTextRTF(rtf);
    for (const char16_t* word : {u"today", u"now", u"and", u"me@"}) {
        const auto caret = int32_t(m_window.Text().indexOf(word));
        m_window.setSelStart(caret);
        m_passes.AutoLinkWhileTyping(caret);
    }
    EXPECT_EQ(linkRuns(), shown);
}
