// The passes that put the control's link mark on every address the address pattern finds, or
// take it off again: over the whole document on request, after loading, pasting and undo,
// while typing, after Backspace or Delete and after Enter. One routine in several cuts: which
// text each scans, which guards it honours and how it puts view and selection back. None lets
// the event loop run; each stops at its next match once StopLinkPass is set.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class HyperlinkMark;
class LineQueries;
class ViewKeeper;
class QWidget;

namespace richedit {
class RichTextBox;
class ShownText;
struct CharRange;
}  // namespace richedit

// What the passes need of the control around them.
struct HyperlinkPassHooks {
    std::function<bool()> detectHyperLinks;
    // Turns DetectHyperLinks off through the property, as a host's write would.
    std::function<void()> disableHyperLinks;
    // The control's nesting display freeze (LockWindowUpdateEx).
    std::function<void(bool)> freeze;
    std::function<void()> begin;
    std::function<void()> finish;
    std::function<void()> ready;
    // The typing snapshot of the state before the last edit (SaveRegularUndoData).
    std::function<void()> saveRegularUndoData;
    // Length of the document's RTF, in characters, as GetRTFString would give it.
    std::function<int64_t()> documentRtfLength;
    // Owner of the size-limit message.
    std::function<QWidget*()> owner;
};

class HyperlinkPasses {
public:
    // Past this RTF length typing turns automatic links off.
    static constexpr int64_t TypingRtfLimit = 2500000;
    // How far either side of the caret the passes run while typing look into its paragraph,
    // so that a key release stays cheap in a very long paragraph.
    static constexpr int32_t TypingReach = 2048;

    HyperlinkPasses(richedit::RichTextBox& window, HyperlinkMark& mark, ViewKeeper& view,
                    LineQueries& lines, HyperlinkPassHooks hooks);

    // Public members: mark every address of the document; take every link mark off (only
    // while DetectHyperLinks is off).
    void HyperLinkDocument();
    void UnHyperLinkDocument();

    // The passes the control's own handlers run, each given the caret it puts back.
    void HyperLinkPass(int32_t caret);
    // For HyperUndo, which holds the freeze and restores view and selection itself.
    void HyperLinkPassUndo();
    void UnlinkRange(int32_t caret);
    void AutoLinkWhileTyping(int32_t caret);
    void UnlinkAtCaret(int32_t caret);
    void RelinkAfterEnter(int32_t caret);
    // Closing step of every marking pass: the two positions after the end of the text take the
    // plain locale, so that text typed at the end is no link.
    void ResetEndLocale(int32_t caret);

    // Whether a text can hold an address at all: "@" or ":" exactly, or "www" in any case.
    static bool mayHoldAddress(const QString& text);

private:
    // Marks every match of the address pattern in the shown text, at the positions its
    // characters hold, until the stop request; empties the undo buffer after each.
    // `linked`, when given, tells which shown characters already carry the mark: a match
    // marked whole is passed over, so that a key release changes only the address typed.
    void markMatches(const richedit::ShownText& shown, const std::vector<bool>* linked = nullptr);
    bool addressFound(const QString& text);
    // The caret's paragraph (not its display line, so that an address wrapped onto the next
    // line is seen whole), at most TypingReach characters either side of the caret; a side
    // cut short ends at a blank, so no address is cut in two.
    richedit::CharRange caretStretch(int32_t caret) const;
    // Which of the `length` characters from `start` (inside one paragraph) carry the mark.
    std::vector<bool> linkedCharacters(int32_t start, int32_t length) const;
    // The same for each unit of a shown stretch of one paragraph.
    std::vector<bool> linkedCharacters(const richedit::ShownText& shown) const;
    void restoreCaret(int32_t caret);
    void clearUndoBuffer();
    // Unmarks every link, keeping the selection, and restores the view while the pass still runs.
    void unmarkWholeDocument(int32_t caret, void (ViewKeeper::*restoreView)());

    richedit::RichTextBox& m_window;
    HyperlinkMark& m_mark;
    ViewKeeper& m_view;
    LineQueries& m_lines;
    HyperlinkPassHooks m_hooks;
};
