#include "richtext/scanning/ShownAddresses.h"

#include "platform/runtime/VbError.h"

void forEachShownAddress(
    vbscript::RegExp& expression, const richedit::ShownText& shown,
    const std::function<bool(const vbscript::Match&, qsizetype, richedit::CharRange)>& visit)
{
    vbscript::MatchCollection matches;
    try {
        matches = expression.Execute(shown.text());
    } catch (const vb::VbError&) {
        return;
    }
    for (const vbscript::Match match : matches) {
        const qsizetype first = match.FirstIndex();
        if (!visit(match, first, shown.range(first, first + match.Length())))
            return;
    }
}
