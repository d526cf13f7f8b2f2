#include "richtext/scanning/HyperlinkMark.h"

#include "platform/host/EventLoop.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"

using namespace richedit;

namespace {

RtfFormatQ emptyRecord()
{
    RtfFormatQ record;
    record.cbSize = RtfFormatQSize;
    return record;
}

}  // namespace

HyperlinkMark::HyperlinkMark(RichTextBox& window) : m_window(window)
{
}

void HyperlinkMark::selectRange(int32_t start, int32_t end)
{
    CharRange range{start, end};
    sendMessage(m_window.hWnd(), EM_EXSETSEL, 0, reinterpret_cast<intptr_t>(&range));
}

void HyperlinkMark::markRange(int32_t start, int32_t length)
{
    const int32_t end = int32_t(std::min<int64_t>(int64_t(start) + length, INT32_MAX));
    RtfFormatQ effect = emptyRecord();
    effect.dwMask = Link;
    effect.dwEffects = Link;
    selectRange(start, end);
    sendMessage(m_window.hWnd(), EM_SETCHARFORMAT, SCF_SELECTION,
                reinterpret_cast<intptr_t>(&effect));
    selectRange(start, end);
    setSelectionLocale(LinkLcid);
}

void HyperlinkMark::markRangeAtOnce(int32_t start, int32_t length)
{
    const int32_t end = int32_t(std::min<int64_t>(int64_t(start) + length, INT32_MAX));
    RtfFormatQ record = emptyRecord();
    record.dwMask = Link | Lcid;
    record.dwEffects = Link;
    record.lLCID = LinkLcid;
    selectRange(start, end);
    sendMessage(m_window.hWnd(), EM_SETCHARFORMAT, SCF_SELECTION,
                reinterpret_cast<intptr_t>(&record));
}

void HyperlinkMark::unmarkRangeAtOnce(int32_t start, int32_t end)
{
    RtfFormatQ record = emptyRecord();
    record.dwMask = Link | Lcid;
    record.dwEffects = 0;
    record.lLCID = PlainLcid;
    selectRange(start, end);
    sendMessage(m_window.hWnd(), EM_SETCHARFORMAT, SCF_SELECTION,
                reinterpret_cast<intptr_t>(&record));
}

void HyperlinkMark::unmarkRangeInTwoSteps(int32_t start, int32_t end)
{
    RtfFormatQ effect = emptyRecord();
    effect.dwMask = Link;
    effect.dwEffects = 0;
    selectRange(start, end);
    sendMessage(m_window.hWnd(), EM_SETCHARFORMAT, SCF_SELECTION,
                reinterpret_cast<intptr_t>(&effect));
    setRangeLocale(start, end, PlainLcid);
}

void HyperlinkMark::setRangeLocale(int32_t start, int32_t end, uint32_t lcid)
{
    selectRange(start, end);
    setSelectionLocale(lcid);
}

void HyperlinkMark::HyperLinkSelected(int32_t RTBSelStart, int32_t RTBSelectedLength)
{
    markRange(RTBSelStart, RTBSelectedLength);
    sendMessage(m_window.hWnd(), EM_EMPTYUNDOBUFFER, 0, 0);
    // A start past the text is clamped by the window; a negative one is refused and leaves
    // the caret where marking put it.
    m_window.setSelStart(RTBSelStart);
    m_window.setSelLength(0);
}

void HyperlinkMark::setSelectionLocale(uint32_t lcid)
{
    RtfFormatQ locale = emptyRecord();
    locale.dwMask = Lcid;
    // Lcid has no effect bit; the window ignores it here.
    locale.dwEffects = Lcid;
    locale.lLCID = lcid;
    sendMessage(m_window.hWnd(), EM_SETCHARFORMAT, SCF_SELECTION,
                reinterpret_cast<intptr_t>(&locale));
}

bool HyperlinkMark::IsSelectionHyperLink()
{
    RtfFormatQ record = emptyRecord();
    record.dwMask = Lcid;
    sendMessage(m_window.hWnd(), EM_GETCHARFORMAT, SCF_SELECTION,
                reinterpret_cast<intptr_t>(&record));
    return record.lLCID == LinkLcid;
}

void HyperlinkMark::MarkSelectionLinked()
{
    setSelectionLocale(LinkLcid);
}

void HyperlinkMark::MarkSelectionUnlinked()
{
    setSelectionLocale(PlainLcid);
}

bool HyperlinkMark::DetectEmailZone(int32_t MyHitSpot, QString& ReturnMyEAddress)
{
    return detectZone(EmailAddressPattern, MyHitSpot, ReturnMyEAddress);
}

bool HyperlinkMark::DetectURLZone(int32_t MyHitSpot, QString& ReturnMyURL)
{
    return detectZone(WebAddressPattern, MyHitSpot, ReturnMyURL);
}

bool HyperlinkMark::detectZone(const QString& pattern, int32_t hitSpot, QString& address)
{
    // The address under the spot as the link passes found it, in the shown text of its
    // paragraph, so that the address handed on is the one on the screen.
    const Document& document = m_window.engine().document();
    // A spot between the units of a paragraph end or of a pair is in no address.
    if (hitSpot < 0 || document.snap(hitSpot) != hitSpot)
        return false;
    const int paragraph = document.paragraphAt(hitSpot);
    const ShownText shown(document, paragraph, paragraph);
    // A spot in hidden text stands before the character that shows next.
    const qsizetype hit = shown.indexAt(hitSpot);
    if (hit >= shown.size())
        return false;
    try {
        vbscript::RegExp addresses;
        addresses.setPattern(pattern);
        addresses.setIgnoreCase(true);
        addresses.setGlobal(true);
        const vbscript::MatchCollection matches = addresses.Execute(shown.text());
        for (const vbscript::Match match : matches) {
            // Input waiting is handled here and the match examined all the same.
            host::GetInputState();
            // Matches come in order and do not overlap: none further on can hold the spot.
            if (match.FirstIndex() > hit)
                break;
            if (hit > match.FirstIndex() + match.Length() - 1)
                continue;
            // The click put the caret there: the selection's mark decides.
            if (!IsSelectionHyperLink())
                break;
            address = match.Value();
            return true;
        }
    } catch (const vb::VbError&) {
        // Passed over: no address found.
    }
    return false;
}
