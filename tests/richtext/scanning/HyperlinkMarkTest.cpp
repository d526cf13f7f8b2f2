// The control's own link mark (link effect and locale 357, tested by the locale alone), the
// address patterns and the zones under a click.
#include "richtext/scanning/HyperlinkMark.h"

#include "platform/regex/RegExp.h"
#include "platform/richedit/view/RichTextBox.h"

#include <gtest/gtest.h>

using namespace richedit;

namespace {

class HyperlinkMarkTest : public testing::Test {
protected:
    // The format of a range, read back through a selection that is put back afterwards.
    CharFormat formatOf(int32_t start, int32_t length)
    {
        const int32_t selStart = m_box.SelStart();
        const int32_t selLength = m_box.SelLength();
        m_box.setSelStart(start);
        m_box.setSelLength(length);
        const CharFormat format = m_box.engine().charFormat();
        m_box.setSelStart(selStart);
        m_box.setSelLength(selLength);
        return format;
    }
    bool caretInLink(int32_t position)
    {
        m_box.setSelStart(position);
        m_box.setSelLength(0);
        return m_marks.IsSelectionHyperLink();
    }

    RichTextBox m_box;
    HyperlinkMark m_marks{m_box};
};

QStringList matches(const QString& pattern, const QString& text)
{
    vbscript::RegExp expression;
    expression.setPattern(pattern);
    expression.setIgnoreCase(true);
    expression.setGlobal(true);
    QStringList found;
    for (const vbscript::Match match : expression.Execute(text))
        found << match.Value();
    return found;
}

}  // namespace

TEST_F(HyperlinkMarkTest, MarkingSetsEffectAndLocaleAndLeavesACaret)
{
    m_box.setText(QStringLiteral("see www.example.com now"));
    m_box.engine().setModified(false);
    m_marks.HyperLinkSelected(4, 15);
    EXPECT_EQ(m_box.SelStart(), 4);
    EXPECT_EQ(m_box.SelLength(), 0);
    const CharFormat link = formatOf(4, 15);
    EXPECT_TRUE(link.has(Link | Lcid));
    EXPECT_TRUE(link.is(Link));
    EXPECT_EQ(link.lcid, LinkLcid);
    EXPECT_EQ(formatOf(0, 4).lcid, PlainLcid);
    EXPECT_EQ(formatOf(19, 4).lcid, PlainLcid);
    EXPECT_FALSE(m_box.engine().canUndo()) << "marking leaves nothing to undo";
    EXPECT_TRUE(caretInLink(10));

    // A length of 0 changes no character.
    m_box.setText(QStringLiteral("plain"));
    m_marks.HyperLinkSelected(2, 0);
    EXPECT_EQ(formatOf(0, 5).lcid, PlainLcid);
    EXPECT_FALSE(formatOf(0, 5).is(Link));
    EXPECT_EQ(m_box.SelStart(), 2);

    // A range past the text is clamped by the window: the caret goes to the end.
    m_marks.HyperLinkSelected(100, 5);
    EXPECT_EQ(m_box.SelStart(), 5);
    EXPECT_EQ(m_box.Text(), u"plain");
    m_marks.HyperLinkSelected(3, INT32_MAX);
    EXPECT_EQ(formatOf(3, 2).lcid, LinkLcid);
    EXPECT_EQ(formatOf(0, 3).lcid, PlainLcid);
}

TEST_F(HyperlinkMarkTest, OnlyTheLocaleDecidesWhatIsALink)
{
    m_box.setText(QStringLiteral("effect only"));
    // The link effect set by other means, the locale left plain: no link of ours.
    m_box.setSelStart(0);
    m_box.setSelLength(6);
    CharFormat effect;
    effect.mask = Link;
    effect.effects = Link;
    m_box.engine().setCharFormat(1, effect);
    EXPECT_TRUE(formatOf(0, 6).is(Link));
    EXPECT_FALSE(caretInLink(3));

    // The locale alone makes one, and unmarking keeps the effect but ends the link.
    m_box.setSelStart(0);
    m_box.setSelLength(6);
    m_marks.MarkSelectionLinked();
    EXPECT_EQ(m_box.SelLength(), 6);
    EXPECT_TRUE(caretInLink(3));
    m_box.setSelStart(0);
    m_box.setSelLength(6);
    m_marks.MarkSelectionUnlinked();
    EXPECT_TRUE(formatOf(0, 6).is(Link));
    EXPECT_FALSE(caretInLink(3));
}

TEST_F(HyperlinkMarkTest, MarkSurvivesTheRtfRoundTrip)
{
    m_box.setText(QStringLiteral("mail a@b.com please"));
    m_marks.HyperLinkSelected(5, 7);
    RichTextBox copy;
    copy.setTextRTF(m_box.TextRTF());
    HyperlinkMark copyMarks(copy);
    copy.setSelStart(7);
    EXPECT_TRUE(copyMarks.IsSelectionHyperLink());
    copy.setSelStart(2);
    EXPECT_FALSE(copyMarks.IsSelectionHyperLink());
}

TEST_F(HyperlinkMarkTest, ZonesFindTheMarkedAddressUnderThePosition)
{
    const QString text = QStringLiteral("write to me@example.org or see http://example.com/x");
    m_box.setText(text);
    const int32_t mail = int32_t(text.indexOf(QStringLiteral("me@")));
    const int32_t web = int32_t(text.indexOf(QStringLiteral("http")));

    // Typed as plain text the address is no zone, and the out-argument stays.
    QString address = QStringLiteral("unchanged");
    m_box.setSelStart(mail + 2);
    EXPECT_FALSE(m_marks.DetectEmailZone(mail + 2, address));
    EXPECT_EQ(address, u"unchanged");

    m_marks.HyperLinkSelected(mail, 14);
    m_marks.HyperLinkSelected(web, 20);
    m_box.setSelStart(mail + 2);
    EXPECT_TRUE(m_marks.DetectEmailZone(mail + 2, address));
    EXPECT_EQ(address, u"me@example.org");
    // Its first and last characters are inside, the one after it is not.
    EXPECT_TRUE(m_marks.DetectEmailZone(mail, address));
    EXPECT_TRUE(m_marks.DetectEmailZone(mail + 13, address));
    address.clear();
    EXPECT_FALSE(m_marks.DetectEmailZone(mail + 14, address));
    EXPECT_TRUE(address.isEmpty());
    // An e-mail zone is no web zone.
    EXPECT_FALSE(m_marks.DetectURLZone(mail + 2, address));

    m_box.setSelStart(web + 8);
    EXPECT_TRUE(m_marks.DetectURLZone(web + 8, address));
    EXPECT_EQ(address, u"http://example.com/x");
}

TEST(AddressPattern, WebAndMailAddresses)
{
    EXPECT_EQ(matches(WebAddressPattern, QStringLiteral("www.ab and WwW.abc")),
              QStringList{QStringLiteral("WwW.abc")});
    EXPECT_EQ(matches(WebAddressPattern, QStringLiteral("ftp://ab ftp://abc")),
              QStringList{QStringLiteral("ftp://abc")});
    EXPECT_EQ(matches(WebAddressPattern, QStringLiteral("file:\\\\\\\\server\\share x")),
              QStringList{QStringLiteral("file:\\\\\\\\server\\share")});
    // The range from "+" to "=" admits commas and semicolons inside an address.
    EXPECT_EQ(matches(WebAddressPattern, QStringLiteral("https://a.b/c,d;e=f end")),
              QStringList{QStringLiteral("https://a.b/c,d;e=f")});
    EXPECT_EQ(matches(EmailAddressPattern, QStringLiteral("Ann.Lee@Example.CO.uk, x@y")),
              QStringList{QStringLiteral("Ann.Lee@Example.CO.uk")});
    EXPECT_EQ(matches(AddressPattern, QStringLiteral("a@b.org www.site.net")),
              (QStringList{QStringLiteral("a@b.org"), QStringLiteral("www.site.net")}));
}
