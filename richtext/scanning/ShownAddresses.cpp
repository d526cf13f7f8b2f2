#include "richtext/scanning/ShownAddresses.h"

#include "platform/runtime/VbError.h"
#include "richtext/scanning/HyperlinkPasses.h"

#include <algorithm>

void forEachShownAddress(
    vbscript::RegExp& expression, const richedit::ShownText& shown,
    const std::function<bool(const vbscript::Match&, qsizetype, richedit::CharRange)>& visit)
{
    for (qsizetype from = 0; from < shown.size();) {
        const richedit::ShownText::Stretch stretch = shown.stretchAt(from);
        from = std::max(stretch.to, from + 1);
        const QString text = shown.text().mid(stretch.from, stretch.to - stretch.from);
        if (!HyperlinkPasses::mayHoldAddress(text))
            continue;
        vbscript::MatchCollection matches;
        try {
            matches = expression.Execute(text);
        } catch (const vb::VbError&) {
            return;
        }
        for (const vbscript::Match match : matches) {
            const qsizetype first = stretch.from + match.FirstIndex();
            if (!visit(match, first, shown.range(first, first + match.Length())))
                return;
        }
    }
}
