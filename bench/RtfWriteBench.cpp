// Writing a generated 10 MB document as RTF, against reading the same RTF back: writing runs on
// most key releases and must stay well below reading. Saving an opened 10 MB RTF document costs
// no more than reading it into a document (goal: a ratio of at most 1); the fragment road that
// saving took before is measured beside it.
#include "platform/richedit/model/Document.h"
#include "platform/richedit/rtf/RtfReader.h"
#include "platform/richedit/rtf/RtfWriter.h"

#include "bench/GeneratedRtf.h"
#include "bench/RatioReporter.h"

#include <benchmark/benchmark.h>
#include <QString>
#include <cstdint>

namespace {

using namespace richedit;

constexpr qsizetype targetCharacters = 10 * 1024 * 1024;

// A small fixed generator, so that every run writes the same document.
class Random {
public:
    uint32_t next(uint32_t bound)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) % bound;
    }

private:
    uint32_t m_state = 2024;
};

CharFormat runFormat(Random& random, const CharFormat& base)
{
    static const uint32_t colors[] = {0x0000FF, 0x008000, 0x800000, 0x808080, 0x00A5FF};
    CharFormat format = base;
    switch (random.next(12)) {
        case 0:
            format.effects |= Bold;
            break;
        case 1:
            format.effects |= Italic;
            break;
        case 2:
            format.effects |= Underline | Bold;
            break;
        case 3:
            format.effects &= ~AutoColorEffect;
            format.color = colors[random.next(5)];
            break;
        case 4:
            format.effects &= ~AutoBackColorEffect;
            format.backColor = 0x00FFFF;
            break;
        case 5:
            format.heightTw = 240;
            break;
        default:
            break;
    }
    return format;
}

QString words(Random& random, int count)
{
    static const char16_t* const vocabulary[] = {
        u"the ",        u"quick ",   u"report ",       u"was ",      u"sent ",
        u"to ",         u"our ",     u"office ",       u"in ",       u"Caf\u00e9 ",
        u"na\u00efve ", u"review ",  u"of ",           u"2024 ",     u"figures\t",
        u"and ",        u"{plans} ", u"\u4e2d\u6587 ", u"C:\\path ", u"\u20ac42 "};
    QString text;
    for (int i = 0; i < count; ++i)
        text += QString::fromUtf16(vocabulary[random.next(20)]);
    return text;
}

const DocumentFragment& generatedDocument()
{
    static const DocumentFragment document = [] {
        Random random;
        const CharFormat base = defaultCharFormat(QStringLiteral("Arial"), 200);
        CharFormat link = base;
        link.effects |= Link;
        link.lcid = LinkLcid;
        DocumentFragment fragment;
        qsizetype characters = 0;
        while (characters < targetCharacters) {
            FragmentParagraph paragraph{{}, defaultParaFormat(), base, true};
            if (random.next(8) == 0)
                paragraph.format.alignment = AlignCenter;
            const int runs = 1 + static_cast<int>(random.next(12));
            for (int r = 0; r < runs; ++r) {
                FragmentRun run;
                if (random.next(10) == 0) {
                    run.text = QStringLiteral("http://www.example.com/page") +
                               QString::number(random.next(1000));
                    run.format = link;
                } else {
                    run.text = words(random, 1 + static_cast<int>(random.next(10)));
                    run.format = runFormat(random, base);
                }
                characters += run.text.size();
                paragraph.runs.push_back(std::move(run));
            }
            characters += 2;
            fragment.paragraphs.push_back(std::move(paragraph));
        }
        return fragment;
    }();
    return document;
}

void writeDocument(benchmark::State& state)
{
    const DocumentFragment& document = generatedDocument();
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray rtf = writeRtf(document, RtfWriteMode::WholeDocument);
        bytes = rtf.size();
        benchmark::DoNotOptimize(rtf.constData());
    }
    state.counters["rtf_bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(state.iterations() * bytes);
}

void readDocument(benchmark::State& state)
{
    const QByteArray rtf = writeRtf(generatedDocument(), RtfWriteMode::WholeDocument);
    for (auto _ : state) {
        DocumentFragment fragment = readRtf(rtf, RtfReadMode::WholeDocument);
        benchmark::DoNotOptimize(fragment.paragraphs.data());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

const QByteArray& generatedFile()
{
    static const QByteArray rtf = generatedRtf(10 * 1024 * 1024);
    return rtf;
}

// Read as a file is opened: each paragraph goes into the document as it is read.
void readInto(Document& document, const QByteArray& rtf)
{
    document.replaceAll([&rtf](const ParagraphSink& sink) {
        readRtf(rtf, RtfReadMode::WholeDocument, sink, RtfRunText::Joined);
    });
}

const Document& openedDocument()
{
    static const Document* const document = [] {
        auto* opened = new Document;
        readInto(*opened, generatedFile());
        return opened;
    }();
    return *document;
}

void ReadIntoDocument(benchmark::State& state)
{
    const QByteArray& rtf = generatedFile();
    for (auto _ : state) {
        Document document;
        readInto(document, rtf);
        benchmark::DoNotOptimize(document.paragraphCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void SaveDocument(benchmark::State& state)
{
    const Document& document = openedDocument();
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray rtf = writeRtf(document);
        bytes = rtf.size();
        benchmark::DoNotOptimize(rtf.constData());
    }
    state.counters["rtf_bytes"] = static_cast<double>(bytes);
}

void SaveThroughFragment(benchmark::State& state)
{
    const Document& document = openedDocument();
    for (auto _ : state) {
        const QByteArray rtf = writeRtf(document.extractAll(), RtfWriteMode::WholeDocument);
        benchmark::DoNotOptimize(rtf.constData());
    }
}

}  // namespace

BENCHMARK(writeDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(readDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadIntoDocument)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(SaveDocument)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(SaveThroughFragment)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.printRatio("SaveDocument", "ReadIntoDocument", "at most 1");
    reporter.printRatio("SaveThroughFragment", "ReadIntoDocument", "the road saving took before");
    return 0;
}
