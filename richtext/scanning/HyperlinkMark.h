// The mark of a link the control made (the link effect and locale 357 on its characters), the
// one address pattern that finds web and e-mail addresses, and the small operations that set,
// clear and test the mark on the selection or find the address under a position.
#pragma once

#include <QString>
#include <cstdint>

namespace richedit {
class RichTextBox;
}

// The address patterns, used with IgnoreCase and Global. In the last bracket "\+-=" is the
// range from "+" to "=", which also admits the comma, hyphen, point, slash, digits, colon,
// semicolon and "<".
inline const QString EmailAddressPattern =
    QStringLiteral(R"(\b[A-Z0-9._%-]+@[A-Z0-9.-]+\.[A-Z]{2,4}\b)");
inline const QString WebAddressPattern = QStringLiteral(
    R"(\b(((https?|ftp|gopher|telnet|file|notes|ms-help):((//)|(\\\\))|(WWW)\.)+[\w\d:#@%/;$()~_?\+-=\\\.&]{3,}))");
inline const QString AddressPattern = QStringLiteral("(") + EmailAddressPattern +
                                      QStringLiteral("|") + WebAddressPattern + QStringLiteral(")");

class HyperlinkMark {
public:
    explicit HyperlinkMark(richedit::RichTextBox& window);

    // Marks the range as a link: the link effect first, then the locale, each after selecting
    // the range. The selection is left on the range.
    void markRange(int32_t start, int32_t length);
    // The same mark with one record carrying both the effect and the locale: what the passes
    // use per match, so that each match costs one format change of its paragraph, not two.
    void markRangeAtOnce(int32_t start, int32_t length);
    // Marks the range, empties the undo buffer and leaves a caret at `start`.
    void HyperLinkSelected(int32_t RTBSelStart, int32_t RTBSelectedLength);

    // Reads the locale only: text with the link effect but another locale is no link.
    bool IsSelectionHyperLink();
    // The locale alone, on the selection as it stands.
    void MarkSelectionLinked();
    void MarkSelectionUnlinked();

    // True when position `MyHitSpot` lies inside an address of that kind in the text and the
    // selection carries the link mark; the address is then written to the out-argument, which
    // is otherwise left as it was.
    bool DetectEmailZone(int32_t MyHitSpot, QString& ReturnMyEAddress);
    bool DetectURLZone(int32_t MyHitSpot, QString& ReturnMyURL);

    // For the link passes, each after selecting characters `start` to `end` (-1: the end):
    // both the effect and the locale cleared with one record (whole-text unmarking); the
    // effect and then the locale each with its own selection (a line); the locale alone.
    void unmarkRangeAtOnce(int32_t start, int32_t end);
    void unmarkRangeInTwoSteps(int32_t start, int32_t end);
    void setRangeLocale(int32_t start, int32_t end, uint32_t lcid);

private:
    bool detectZone(const QString& pattern, int32_t hitSpot, QString& address);
    void setSelectionLocale(uint32_t lcid);
    void selectRange(int32_t start, int32_t end);

    richedit::RichTextBox& m_window;
};
