// Feeds arbitrary bytes to the RTF reader in both modes and checks what every result must
// satisfy: a whole document has its end mark, runs are never empty, text holds no CR or LF and
// no half of a surrogate pair.
#include "platform/richedit/rtf/RtfReader.h"

#include <QByteArrayView>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkFragment(const richedit::DocumentFragment& fragment, richedit::RtfReadMode mode)
{
    if (mode == richedit::RtfReadMode::WholeDocument)
        check(!fragment.paragraphs.empty());
    for (const auto& paragraph : fragment.paragraphs) {
        check(paragraph.format.tabs.size() <= richedit::MaxTabStops);
        for (const auto& run : paragraph.runs) {
            check(!run.text.isEmpty());
            check(!run.picture || run.text.size() == 1);
            for (qsizetype i = 0; i < run.text.size(); ++i) {
                const QChar c = run.text[i];
                check(c != u'\r' && c != u'\n');
                if (c.isHighSurrogate())
                    check(i + 1 < run.text.size() && run.text[++i].isLowSurrogate());
                else
                    check(!c.isLowSurrogate());
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (auto mode : {richedit::RtfReadMode::WholeDocument, richedit::RtfReadMode::Insert})
        checkFragment(richedit::readRtf(input, mode), mode);
    richedit::looksLikeRtf(input);
    return 0;
}
