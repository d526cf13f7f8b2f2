#include "richtext/scanning/ReplaceAllEngine.h"

#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/model/Search.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"

#include <limits>

using namespace richedit;

namespace {

bool fitsPosition(int64_t value)
{
    return value >= 0 && value <= std::numeric_limits<int32_t>::max();
}

}  // namespace

ReplaceAllEngine::ReplaceAllEngine(RichTextBox& window) : m_window(window)
{
}

bool ReplaceAllEngine::charactersMatch(QChar findChar, QChar textChar, bool anyCase)
{
    if (findChar == textChar)
        return true;
    return anyCase && findChar.isLetter() && textChar.isLetter() &&
           findChar.toCaseFolded() == textChar.toCaseFolded();
}

void ReplaceAllEngine::ReplaceAllAnyCase(const QString& find, const QString& replacement,
                                         int32_t& caret, bool applyFontColor, uint32_t color,
                                         int32_t& count)
{
    replaceAll(find, replacement, caret, applyFontColor, color, count, true, false);
}

void ReplaceAllEngine::ReplaceAllWholeWordAnyCase(const QString& find, const QString& replacement,
                                                  int32_t& caret, bool applyFontColor,
                                                  uint32_t color, int32_t& count)
{
    replaceAll(find, replacement, caret, applyFontColor, color, count, true, true);
}

void ReplaceAllEngine::ReplaceAllMatchCase(const QString& find, const QString& replacement,
                                           int32_t& caret, bool applyFontColor, uint32_t color,
                                           int32_t& count)
{
    replaceAll(find, replacement, caret, applyFontColor, color, count, false, false);
}

void ReplaceAllEngine::ReplaceAllWholeWordMatchCase(const QString& find, const QString& replacement,
                                                    int32_t& caret, bool applyFontColor,
                                                    uint32_t color, int32_t& count)
{
    replaceAll(find, replacement, caret, applyFontColor, color, count, false, true);
}

void ReplaceAllEngine::select(int64_t start, int64_t end)
{
    CharRange range{int32_t(start), int32_t(end)};
    sendMessage(m_window.hWnd(), EM_EXSETSEL, 0, reinterpret_cast<intptr_t>(&range));
}

void ReplaceAllEngine::replaceAll(const QString& find, const QString& replacement, int32_t& caret,
                                  bool applyFontColor, uint32_t color, int32_t& count, bool anyCase,
                                  bool wholeWord)
{
    // The copy is taken before the first replacement: matches are never looked for inside
    // replacement text, and `shift` maps a position of the copy into the changed document. It
    // is the shown text: hidden text is neither matched nor a word boundary, and a match
    // replaces the positions its shown characters cover.
    const ShownText shown(m_window.engine().document());
    const QString& text = shown.text();
    if (find.isEmpty() || text.isEmpty() || find.size() > text.size())
        return;

    caret = 0;
    const int64_t callerCaret = m_window.SelStart();
    const int64_t findLength = find.size();
    const int64_t replacementLength = replacement.size();
    int64_t shift = 0;
    int64_t previousShift = 0;
    bool caretFixed = false;
    const qsizetype last = text.size() - 1;
    // Lets timers tick and the dialog react after each position; waiting input never makes a
    // position pass uncompared.
    LongPass pass(&RichTextLibraryState::instance().ReplaceAbort, LongPass::EventLoop::LetRun,
                  LongPass::Progress::Tracked);
    pass.setTotal(last);

    const QChar* const textData = text.constData();
    const QChar* const findData = find.constData();
    for (qsizetype i = 0; i <= last; ++i) {
        bool matched = charactersMatch(findData[0], textData[i], anyCase);
        if (matched && wholeWord && isWholeWordCharacterAt(text, i - 1))
            matched = false;
        if (matched) {
            if (i + findLength - 1 > last)
                break;  // runs off the end: no later position can match either
            for (qsizetype j = 1; j < findLength; ++j) {
                if (!charactersMatch(findData[j], textData[i + j], anyCase)) {
                    matched = false;
                    break;
                }
            }
        }
        if (matched && wholeWord && isWholeWordCharacterAt(text, i + findLength))
            matched = false;

        if (matched) {
            const CharRange covered = shown.range(i, i + findLength);
            const int64_t start = covered.cpMin + shift;
            const int64_t matchLength = covered.cpMax - covered.cpMin;
            if (!fitsPosition(start + matchLength) || !fitsPosition(start + replacementLength))
                break;
            select(start, start + matchLength);
            sendMessage(m_window.hWnd(), EM_REPLACESEL, 0,
                        reinterpret_cast<intptr_t>(&replacement));
            if (applyFontColor) {
                select(start, start + replacementLength);
                m_window.engine().setSelColor(color);
            }
            previousShift = shift;
            shift += replacementLength - matchLength;
            if (!caretFixed) {
                const int64_t moved = callerCaret + shift;
                const int64_t current = m_window.SelStart();
                if (moved == current) {
                    caret = int32_t(moved);
                    caretFixed = true;
                } else if (moved < current) {
                    caret = int32_t(callerCaret + previousShift);
                    caretFixed = true;
                }
            }
            ++count;
            i += findLength - 1;
        }

        // A stop request ends the scan after the position it was raised in.
        if (!pass.proceed())
            break;
        pass.stepDone();
    }
    if (!caretFixed)
        caret = int32_t(std::clamp<int64_t>(callerCaret + shift, INT32_MIN, INT32_MAX));
}
