// Feeds arbitrary bytes to the RTF reader in both modes and checks what every result must
// satisfy: a whole document has its end mark, runs are never empty, text holds no CR or LF and
// no half of a surrogate pair.
#include "fuzz/FuzzTarget.h"
#include "platform/richedit/rtf/RtfReader.h"

#include <QByteArrayView>

namespace {

void checkFragment(const richedit::DocumentFragment& fragment, richedit::RtfReadMode mode)
{
    if (mode == richedit::RtfReadMode::WholeDocument)
        fuzz::require(!fragment.paragraphs.empty(), "a whole document has a paragraph");
    for (const auto& paragraph : fragment.paragraphs) {
        fuzz::require(paragraph.format.tabs.size() <= richedit::MaxTabStops,
                      "tab stops within the limit");
        for (const auto& run : paragraph.runs) {
            fuzz::require(!run.text.isEmpty(), "runs are never empty");
            fuzz::require(!run.picture || run.text.size() == 1, "a picture is one character");
            for (qsizetype i = 0; i < run.text.size(); ++i) {
                const QChar c = run.text[i];
                fuzz::require(c != u'\r' && c != u'\n', "no line end inside a run");
                if (c.isHighSurrogate()) {
                    fuzz::require(i + 1 < run.text.size() && run.text[++i].isLowSurrogate(),
                                  "surrogates in pairs");
                } else {
                    fuzz::require(!c.isLowSurrogate(), "surrogates in pairs");
                }
            }
        }
    }
}

}  // namespace

int fuzzOne(std::span<const uint8_t> data)
{
    const QByteArrayView input(data.data(), static_cast<qsizetype>(data.size()));
    for (auto mode : {richedit::RtfReadMode::WholeDocument, richedit::RtfReadMode::Insert})
        checkFragment(richedit::readRtf(input, mode), mode);
    richedit::looksLikeRtf(input);
    return 0;
}
