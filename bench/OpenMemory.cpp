// The memory an opened document takes, for a run under `/usr/bin/time -v` (its peak resident
// size is the figure; the goal for a 10 MB RTF file is 80 MiB):
//   bench_OpenMemory --write-rtf FILE MEGABYTES   writes the generated RTF document
//   bench_OpenMemory --write-lines FILE COUNT     writes an RTF file of COUNT one-line paragraphs
//   bench_OpenMemory FILE                         opens it as the program does, lays it out and
//                                                 prints what each paragraph costs beyond its text
//   bench_OpenMemory FILE --save OUT              the same, then saves it as RTF to OUT and
//                                                 prints the peak after the open and after the
//                                                 save (goal: the save's at most 1.2 times the
//                                                 open's)
//   bench_OpenMemory FILE --save-fragment OUT     the same through a copy of the document as a
//                                                 fragment, the road saving took before
#include "platform/richedit/rtf/RtfWriter.h"
#include "platform/richedit/view/Engine.h"
#include "platform/system/FileSystem.h"

#include "bench/GeneratedRtf.h"

#include <sys/resource.h>
#include <unistd.h>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

namespace {

// Resident memory now, in bytes.
long long residentBytes()
{
    long long pages = 0;
    long long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lld %lld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// The peak resident size so far, in bytes.
long long peakBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray oneLineParagraphs(long long count)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}\\pard\\f0\\fs20 ";
    rtf.reserve(qsizetype(count) * 18);
    for (long long i = 0; i < count; ++i) {
        rtf += "line ";
        rtf += QByteArray::number(i);
        rtf += "\\par\r\n";
    }
    rtf += "}";
    return rtf;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QTextStream out(stdout);
    if (arguments.size() == 4 && arguments[1] == QLatin1String("--write-rtf"))
        return writeFile(arguments[2], generatedRtf(arguments[3].toLongLong() << 20)) ? 0 : 1;
    if (arguments.size() == 4 && arguments[1] == QLatin1String("--write-lines"))
        return writeFile(arguments[2], oneLineParagraphs(arguments[3].toLongLong())) ? 0 : 1;
    const bool throughFragment =
        arguments.size() == 4 && arguments[2] == QLatin1String("--save-fragment");
    const bool save =
        throughFragment || (arguments.size() == 4 && arguments[2] == QLatin1String("--save"));
    if (arguments.size() != 2 && !save) {
        out << "usage: bench_OpenMemory [--write-rtf FILE MB | --write-lines FILE COUNT | FILE"
               " [--save OUT | --save-fragment OUT]]\n";
        return 2;
    }
    richedit::Engine engine;
    engine.setViewportSize(QSize(9000, 6000));
    const long long before = residentBytes();
    if (engine.loadFile(arguments[1], richedit::FileKind::Rtf)) {
        out << "cannot open " << arguments[1] << "\n";
        return 1;
    }
    const int lines = engine.lineCount();
    const long long after = residentBytes();
    const richedit::Document& document = engine.document();
    const long long textBytes = 2LL * document.length();
    const int paragraphs = document.paragraphCount();
    out << "paragraphs " << paragraphs << ", lines " << lines << ", text "
        << double(textBytes) / (1 << 20) << " MiB (UTF-16)\n"
        << "resident: before " << double(before) / (1 << 20) << " MiB, after "
        << double(after) / (1 << 20) << " MiB\n"
        << "bytes per paragraph beyond its text "
        << double(after - before - textBytes) / std::max(paragraphs, 1) << "\n";
    if (!save)
        return 0;
    const long long openPeak = peakBytes();
    const auto saveThroughFragment = [&] {
        QByteArray bytes = writeRtf(document.extractAll(), richedit::RtfWriteMode::WholeDocument);
        bytes.append('\0');
        return sys::writeFileSafely(arguments[3], bytes);
    };
    const bool saved = throughFragment ? saveThroughFragment()
                                       : !engine.saveFile(arguments[3], richedit::FileKind::Rtf);
    if (!saved) {
        out << "cannot save " << arguments[3] << "\n";
        return 1;
    }
    const long long savePeak = peakBytes();
    out << "peak: open " << double(openPeak) / (1 << 20) << " MiB, open + save "
        << double(savePeak) / (1 << 20) << " MiB, ratio " << double(savePeak) / double(openPeak)
        << " (goal: at most 1.2)\n";
    return 0;
}
