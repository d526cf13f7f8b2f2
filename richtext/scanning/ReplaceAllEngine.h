// Replace All over an editing window: one pass over a copy of the text taken before the first
// replacement, each match replaced in place through the window's selection, with the library's
// progress counters and stop request. Positions are UTF-16 code units; letters compare
// without regard to case as letters (never by a fixed code distance), and words are bounded
// by the same rule as every other whole-word search.
#pragma once

#include <QString>
#include <cstdint>

namespace richedit {
class RichTextBox;
}

class ReplaceAllEngine {
public:
    explicit ReplaceAllEngine(richedit::RichTextBox& window);

    // Each variant replaces every occurrence of `find` by `replacement`, counting them into
    // `count`, and leaves in `caret` the position the caret should return to (the caller's
    // caret moved by the replacements before it). An empty `find`, an empty text or a `find`
    // longer than the text changes nothing, `caret` included.
    void ReplaceAllAnyCase(const QString& find, const QString& replacement, int32_t& caret,
                           bool applyFontColor, uint32_t color, int32_t& count);
    void ReplaceAllWholeWordAnyCase(const QString& find, const QString& replacement, int32_t& caret,
                                    bool applyFontColor, uint32_t color, int32_t& count);
    void ReplaceAllMatchCase(const QString& find, const QString& replacement, int32_t& caret,
                             bool applyFontColor, uint32_t color, int32_t& count);
    void ReplaceAllWholeWordMatchCase(const QString& find, const QString& replacement,
                                      int32_t& caret, bool applyFontColor, uint32_t color,
                                      int32_t& count);

    // Whether a character of the text matches one of the find text.
    static bool charactersMatch(QChar findChar, QChar textChar, bool anyCase);

private:
    void replaceAll(const QString& find, const QString& replacement, int32_t& caret,
                    bool applyFontColor, uint32_t color, int32_t& count, bool anyCase,
                    bool wholeWord);
    void select(int64_t start, int64_t end);

    richedit::RichTextBox& m_window;
};
