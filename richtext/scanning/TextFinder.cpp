#include "richtext/scanning/TextFinder.h"

#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbStrings.h"
#include "richtext/scanning/DetectNotWords.h"
#include "richtext/scanning/WholeWord.h"

#include <algorithm>

namespace {

bool isListedOption(int32_t options)
{
    return options == AllMatches || options == WholeWord || options == MatchCase ||
           options == WholeWord_MatchCase;
}

vb::CompareMethod compareFor(int32_t options)
{
    return (options & MatchCase) ? vb::vbBinaryCompare : vb::vbTextCompare;
}

int32_t clampPosition(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, 0, INT32_MAX));
}

}  // namespace

TextFinder::TextFinder(richedit::RichTextBox& window) : m_window(window)
{
}

int32_t TextFinder::find(const QString& what, int32_t from, int32_t to, int32_t options)
{
    richedit::FindText record{richedit::CharRange{from, to}, what};
    return int32_t(richedit::sendMessage(m_window.hWnd(), richedit::EM_FINDTEXT, options,
                                         reinterpret_cast<intptr_t>(&record)));
}

void TextFinder::select(int32_t start, int32_t length)
{
    m_window.setSelStart(start);
    m_window.setSelLength(length);
}

int32_t TextFinder::Find2(const QString& TextToFind, int32_t FindDirection, int32_t FindOptions,
                          bool SkipURLEmail)
{
    if (!isListedOption(FindOptions))
        return 0;
    try {
        if (FindDirection == FindNext)
            return findForward(TextToFind, FindOptions, SkipURLEmail);
        if (FindDirection == FindPrevious) {
            if (FindOptions & WholeWord)
                return findWordBackward(TextToFind, FindOptions, SkipURLEmail);
            return findBackward(TextToFind, FindOptions);
        }
    } catch (const vb::VbError&) {
        // Passed over like every other failure of the search: nothing found.
        return -1;
    }
    return 0;
}

int32_t TextFinder::findForward(const QString& what, int32_t options, bool skipAddresses)
{
    const int32_t length = int32_t(std::min<qsizetype>(what.size(), INT32_MAX));
    int32_t hit =
        find(what, clampPosition(int64_t(m_window.SelStart()) + m_window.SelLength()), -1, options);
    // Only whole-word searches pass over addresses; each retry starts past the last hit.
    if ((options & WholeWord) && skipAddresses) {
        while (hit != -1 && DetectNotWords(m_window, hit))
            hit = find(what, clampPosition(int64_t(hit) + length), -1, options);
    }
    if (hit != -1)
        select(hit, length);
    return hit;
}

int32_t TextFinder::findBackward(const QString& what, int32_t options)
{
    if (m_window.SelStart() == 0)
        m_window.setSelStart(1);
    if (what.isEmpty())
        return -1;
    const QString text = m_window.Text();
    const qsizetype start = m_window.SelStart();
    const qsizetype found =
        start <= text.size() ? vb::InStrRev(text, what, start, compareFor(options)) : 0;
    // No occurrence ends before the caret: a forward search from the top would select one
    // after it, which is no previous occurrence.
    if (found == 0)
        return -1;
    const int32_t from = int32_t(found - 1);
    const int32_t hit = find(what, from, clampPosition(int64_t(from) + what.size()), options);
    if (hit != -1)
        select(hit, int32_t(what.size()));
    return hit;
}

int32_t TextFinder::findWordBackward(const QString& what, int32_t options, bool skipAddresses)
{
    if (m_window.SelStart() == 0)
        m_window.setSelStart(1);
    if (what.isEmpty())
        return -1;
    const QString text = m_window.Text();
    const vb::CompareMethod compare = compareFor(options);
    const int32_t length = int32_t(std::min<qsizetype>(what.size(), INT32_MAX));
    // The last occurrence ending at or before `end` (1-based), checked as a whole word by the
    // window over the occurrence and the character after it; -1 when there is none or it is
    // no whole word. `occurrence` receives its 1-based start (0: none).
    auto previousWord = [&](qsizetype end, qsizetype& occurrence) -> int32_t {
        occurrence = end >= 1 && end <= text.size() ? vb::InStrRev(text, what, end, compare) : 0;
        if (occurrence == 0)
            return -1;
        const int32_t from = int32_t(occurrence - 1);
        return find(what, from, clampPosition(int64_t(from) + length + 1), options);
    };

    int32_t hit = -1;
    while (m_window.SelStart() != 0) {
        qsizetype occurrence = 0;
        hit = previousWord(m_window.SelStart(), occurrence);
        if (occurrence == 0) {
            // Nothing earlier at all: the walk ends at the top.
            m_window.setSelStart(0);
            return -1;
        }
        if (hit == -1) {
            // Part of a longer word: go on before it.
            m_window.setSelStart(int32_t(occurrence - 1));
            continue;
        }
        if (skipAddresses) {
            while (hit != -1 && DetectNotWords(m_window, hit)) {
                const int32_t inAddress = hit;
                hit = inAddress == 0 ? -1 : previousWord(inAddress, occurrence);
                // Each retry must move back, or the walk has nowhere left to go.
                if (hit >= inAddress)
                    hit = -1;
            }
        }
        if (hit == -1)
            m_window.setSelStart(occurrence == 0 ? 0 : int32_t(occurrence - 1));
        else
            select(hit, length);
        return hit;
    }
    return hit;
}

bool TextFinder::FindVerify(const QString& FVTextToFind, int32_t FVFindOptions)
{
    try {
        const QString text = m_window.Text();
        switch (FVFindOptions) {
            case AllMatches:
                return vb::InStr(text, FVTextToFind, vb::vbTextCompare) > 0;
            case MatchCase:
                return vb::InStr(text, FVTextToFind, vb::vbBinaryCompare) > 0;
            case WholeWord:
            case WholeWord_MatchCase: {
                const vb::CompareMethod compare = compareFor(FVFindOptions);
                return FindWholeWord(1, text, FVTextToFind, compare, spacesSymbolsAndCtrl) >= 1 &&
                       vb::InStr(text, FVTextToFind, compare) > 0;
            }
            default:
                return false;
        }
    } catch (const vb::VbError&) {
        return false;
    }
}
