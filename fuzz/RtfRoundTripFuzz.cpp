// Reads arbitrary bytes as a whole document, writes it and reads the output back: the text must
// survive the writer, and the writer's output, once read, must write itself again unchanged.
#include "fuzz/FuzzTarget.h"
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/rtf/RtfWriter.h"

#include <QByteArrayView>
#include <QString>

namespace {

using richedit::DocumentFragment;

QString textOf(const DocumentFragment& fragment)
{
    QString text;
    for (const auto& paragraph : fragment.paragraphs) {
        for (const auto& run : paragraph.runs)
            text += run.text;
        text += u'\r';
    }
    return text;
}

DocumentFragment readWhole(QByteArrayView rtf)
{
    return richedit::readRtf(rtf, richedit::RtfReadMode::WholeDocument);
}

QByteArray writeWhole(const DocumentFragment& fragment)
{
    return richedit::writeRtf(fragment, richedit::RtfWriteMode::WholeDocument);
}

}  // namespace

int fuzzOne(std::span<const uint8_t> data)
{
    const DocumentFragment read =
        readWhole(QByteArrayView(data.data(), static_cast<qsizetype>(data.size())));
    const QByteArray written = writeWhole(read);
    fuzz::require(
        richedit::measureRtf(read, richedit::RtfWriteMode::WholeDocument) == written.size(),
        "the measured length is the written length");
    const DocumentFragment reread = readWhole(written);
    fuzz::require(reread.paragraphs.size() == read.paragraphs.size(),
                  "the paragraphs survive the writer");
    fuzz::require(textOf(reread) == textOf(read), "the text survives the writer");
    // The first reading may drop the end mark's underline; from then on nothing changes.
    const QByteArray again = writeWhole(reread);
    fuzz::require(writeWhole(readWhole(again)) == again, "the writer's output is a fixed point");
    return 0;
}
