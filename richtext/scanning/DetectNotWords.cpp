#include "richtext/scanning/DetectNotWords.h"

#include "platform/host/EventLoop.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "richtext/scanning/HyperlinkMark.h"

bool DetectNotWords(richedit::RichTextBox& window, const int32_t& MyHitSpot)
{
    try {
        vbscript::RegExp addresses;
        addresses.setPattern(AddressPattern);
        addresses.setIgnoreCase(true);
        addresses.setGlobal(true);
        const vbscript::MatchCollection matches = addresses.Execute(window.Text());
        for (const vbscript::Match match : matches) {
            const int64_t first = match.FirstIndex();
            if (first <= MyHitSpot && MyHitSpot <= first + match.Length() - 1)
                return true;
            // Matches come in order and do not overlap: none further on can hold the spot.
            if (first > MyHitSpot)
                break;
            // Lets waiting input be handled; the next match is examined all the same.
            host::GetInputState();
        }
    } catch (const vb::VbError&) {
        // Passed over: no address found.
    }
    return false;
}
