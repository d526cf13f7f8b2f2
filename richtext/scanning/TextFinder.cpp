#include "richtext/scanning/TextFinder.h"

#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/model/Search.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbStrings.h"
#include "richtext/scanning/DetectNotWords.h"
#include "richtext/scanning/WholeWord.h"

#include <algorithm>

using richedit::CharRange;

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

CharRange TextFinder::find(const QString& what, int32_t from, int32_t to, int32_t options)
{
    // The window's find over the shown text: a hit may hold hidden text, so its length in
    // positions comes with it.
    return richedit::findShownText(m_window.engine().document(), CharRange{from, to}, what,
                                   uint32_t(options) & (richedit::WholeWord | richedit::MatchCase));
}

void TextFinder::select(const CharRange& hit)
{
    m_window.setSelStart(hit.cpMin);
    m_window.setSelLength(hit.cpMax - hit.cpMin);
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
    CharRange hit =
        find(what, clampPosition(int64_t(m_window.SelStart()) + m_window.SelLength()), -1, options);
    // Only whole-word searches pass over addresses; each retry starts past the last hit.
    if ((options & WholeWord) && skipAddresses) {
        while (hit.cpMin != -1 && DetectNotWords(m_window, hit.cpMin))
            hit = find(what, hit.cpMax, -1, options);
    }
    if (hit.cpMin != -1)
        select(hit);
    return hit.cpMin;
}

// The backward searches walk the shown text: an occurrence is found by its shown units and
// selected by the positions they cover.
int32_t TextFinder::findBackward(const QString& what, int32_t options)
{
    if (m_window.SelStart() == 0)
        m_window.setSelStart(1);
    if (what.isEmpty())
        return -1;
    const richedit::ShownText shown(m_window.engine().document());
    const QString& text = shown.text();
    const qsizetype start = shown.indexAt(m_window.SelStart());
    const qsizetype found = start >= 1 ? vb::InStrRev(text, what, start, compareFor(options)) : 0;
    // No occurrence ends before the caret: a forward search from the top would select one
    // after it, which is no previous occurrence.
    if (found == 0)
        return -1;
    const CharRange hit =
        find(what, shown.position(found - 1), shown.endPosition(found - 1 + what.size()), options);
    if (hit.cpMin != -1)
        select(hit);
    return hit.cpMin;
}

int32_t TextFinder::findWordBackward(const QString& what, int32_t options, bool skipAddresses)
{
    if (m_window.SelStart() == 0)
        m_window.setSelStart(1);
    if (what.isEmpty())
        return -1;
    const richedit::ShownText shown(m_window.engine().document());
    const QString& text = shown.text();
    const vb::CompareMethod compare = compareFor(options);
    // The last occurrence ending at or before shown unit `end` (1-based), checked as a whole
    // word by the window over the occurrence and the character after it; -1 when there is
    // none or it is no whole word. `occurrence` receives its 1-based start (0: none).
    auto previousWord = [&](qsizetype end, qsizetype& occurrence) -> CharRange {
        occurrence = end >= 1 && end <= text.size() ? vb::InStrRev(text, what, end, compare) : 0;
        if (occurrence == 0)
            return {-1, -1};
        const qsizetype from = occurrence - 1;
        return find(what, shown.position(from),
                    shown.endPosition(std::min(text.size(), from + what.size() + 1)), options);
    };

    CharRange hit{-1, -1};
    while (m_window.SelStart() != 0) {
        qsizetype occurrence = 0;
        hit = previousWord(shown.indexAt(m_window.SelStart()), occurrence);
        if (occurrence == 0) {
            // Nothing earlier at all: the walk ends at the top.
            m_window.setSelStart(0);
            return -1;
        }
        if (hit.cpMin == -1) {
            // Part of a longer word: go on before it.
            m_window.setSelStart(shown.position(occurrence - 1));
            continue;
        }
        if (skipAddresses) {
            while (hit.cpMin != -1 && DetectNotWords(m_window, hit.cpMin)) {
                const qsizetype inAddress = shown.indexAt(hit.cpMin);
                const int32_t inAddressAt = hit.cpMin;
                hit = inAddress == 0 ? CharRange{-1, -1} : previousWord(inAddress, occurrence);
                // Each retry must move back, or the walk has nowhere left to go.
                if (hit.cpMin >= inAddressAt)
                    hit = {-1, -1};
            }
        }
        if (hit.cpMin == -1)
            m_window.setSelStart(occurrence == 0 ? 0 : shown.position(occurrence - 1));
        else
            select(hit);
        return hit.cpMin;
    }
    return hit.cpMin;
}

bool TextFinder::FindVerify(const QString& FVTextToFind, int32_t FVFindOptions)
{
    try {
        const QString text = richedit::ShownText(m_window.engine().document()).text();
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
