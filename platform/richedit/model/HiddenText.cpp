#include "platform/richedit/model/HiddenText.h"

namespace richedit {

int32_t skipHiddenForward(const Document& document, int32_t position)
{
    const int32_t length = document.length();
    int32_t at = document.snap(position);
    while (at < length && document.formatAt(at).is(Hidden))
        at = document.nextPosition(at);
    return at;
}

int32_t skipHiddenBackward(const Document& document, int32_t position)
{
    int32_t at = document.snap(position);
    while (at > 0 && document.formatAt(document.previousPosition(at)).is(Hidden))
        at = document.previousPosition(at);
    return at;
}

}  // namespace richedit
