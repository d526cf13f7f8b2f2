// The misspelling scan over the 1 MiB sample with planted typos (tests/data/spelling), against
// libhunspell with Debian's en_US dictionary checking the same words in the same run. Before
// timing, both checkers' quality on the sample is printed side by side: recall of the planted
// typos, false alarms among the correct words, and how often the intended word is suggested
// (ours at the dialog's default threshold, 72). Without libhunspell at build time, or without
// its dictionary at run time, only our figures are given. Last, the scan's peak memory over a
// generated 10 MB RTF document is set against the memory the document itself takes.
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/language/SpellingSuggestions.h"
#include "richtext/language/WordLists.h"
#include "richtext/language/WordQueries.h"

#include "bench/GeneratedRtf.h"

#ifdef SCRIVET_HAVE_HUNSPELL
#include <hunspell.hxx>
#endif

#include <benchmark/benchmark.h>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

QString readSample(const char* name)
{
    QFile file(QStringLiteral(SCRIVET_SPELLING_SAMPLE_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read the sample %s\n", name);
        std::exit(1);
    }
    return QString::fromLatin1(file.readAll());
}

struct Typo {
    QString typo;
    QString intended;
};

struct Sample {
    QString text;
    std::vector<Typo> typos;
    // The words the scan checks, in text order (the scan's own word pattern).
    std::vector<std::string> words;
};

const Sample& sample()
{
    static const Sample loaded = [] {
        Sample s;
        s.text = readSample("sample.txt");
        for (const QString& line : readSample("typos.tsv").split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() == 2)
                s.typos.push_back({fields[0], fields[1]});
        }
        vbscript::RegExp pattern;
        pattern.setPattern(MisspellingWordPattern());
        pattern.setIgnoreCase(true);
        pattern.setGlobal(true);
        for (const vbscript::Match match : pattern.Execute(s.text))
            s.words.push_back(match.Value().toStdString());
        return s;
    }();
    return loaded;
}

struct Quality {
    double recall = 0;
    double falseAlarms = 0;
    double suggested = 0;
};

// Reported words matched against the planted typos as multisets.
Quality measure(const std::vector<QString>& reported, qsizetype wordCount,
                const std::vector<bool>& intendedSuggested)
{
    QHash<QString, int> planted;
    for (const Typo& typo : sample().typos)
        ++planted[typo.typo];
    qsizetype found = 0;
    qsizetype wrong = 0;
    for (const QString& word : reported) {
        auto entry = planted.find(word);
        if (entry != planted.end() && entry.value() > 0) {
            --entry.value();
            ++found;
        } else {
            ++wrong;
        }
    }
    const auto typos = static_cast<qsizetype>(sample().typos.size());
    Quality q;
    q.recall = double(found) / double(typos);
    q.falseAlarms = double(wrong) / double(wordCount - typos);
    q.suggested = double(std::count(intendedSuggested.begin(), intendedSuggested.end(), true)) /
                  double(intendedSuggested.size());
    return q;
}

// Suggestions are asked for every fifth typo.
constexpr size_t SuggestionStride = 5;

Quality ourQuality()
{
    richedit::RichTextBox window;
    window.setText(sample().text);
    WordQueries queries(window, WordLists::instance());
    StringArray reported;
    queries.DetectMisspellings(reported);
    const std::vector<QString> words(reported->begin(), reported->end());
    SpellingSuggestions engine(WordLists::instance());
    std::vector<bool> suggested;
    for (size_t index = 0; index < sample().typos.size(); index += SuggestionStride) {
        SPELL_CHECK_TYPE request;
        request.IncorrectWord = sample().typos[index].typo;
        request.QAccuracy = 72;
        engine.GetPossibleSpellingCorrections(request);
        suggested.push_back(request.Suggestions &&
                            request.Suggestions->contains(sample().typos[index].intended));
    }
    return measure(words, RichTextLibraryState::instance().ProgressTotal, suggested);
}

void printQuality(const char* who, const Quality& q)
{
    std::printf("%-28s recall %6.2f %%  false alarms %5.2f %%  intended word suggested %6.2f %%\n",
                who, 100 * q.recall, 100 * q.falseAlarms, 100 * q.suggested);
}

void DetectMisspellings(benchmark::State& state)
{
    richedit::RichTextBox window;
    window.setText(sample().text);
    WordQueries queries(window, WordLists::instance());
    int64_t words = 0;
    for (auto _ : state) {
        StringArray reported;
        benchmark::DoNotOptimize(queries.DetectMisspellings(reported));
        words += RichTextLibraryState::instance().ProgressTotal;
    }
    state.counters["words/s"] = benchmark::Counter(double(words), benchmark::Counter::kIsRate);
}
BENCHMARK(DetectMisspellings)->Unit(benchmark::kMillisecond);

// The sample's words in small letters, each with the index of its initial's list (-1: none),
// for the lookups alone: the lists' word sets against string sets of the same entries.
struct LookupWords {
    std::vector<QString> words;
    std::vector<int> lists;
};

const LookupWords& lookupWords()
{
    static const LookupWords loaded = [] {
        LookupWords l;
        for (const std::string& word : sample().words) {
            const QString lower = QString::fromStdString(word).toLower();
            const char letter = WordLists::initialLetter(lower);
            l.words.push_back(lower);
            l.lists.push_back(letter ? letter - 'A' : -1);
        }
        return l;
    }();
    return loaded;
}

QString markedListName(int list)
{
    return QString(QLatin1Char(char('A' + list))) + u'$';
}

template <typename Lists>
void lookUpSampleWords(benchmark::State& state, const Lists& lists)
{
    const LookupWords& sampleWords = lookupWords();
    int64_t words = 0;
    for (auto _ : state) {
        int64_t known = 0;
        for (size_t i = 0; i < sampleWords.words.size(); ++i) {
            const int list = sampleWords.lists[i];
            known += list >= 0 && lists[size_t(list)].contains(sampleWords.words[i]) ? 1 : 0;
        }
        benchmark::DoNotOptimize(known);
        state.counters["known"] = double(known);
        words += int64_t(sampleWords.words.size());
    }
    state.counters["words/s"] = benchmark::Counter(double(words), benchmark::Counter::kIsRate);
}

void MarkedLookups(benchmark::State& state)
{
    std::vector<WordLists::MarkedLookup> lists;
    for (int list = 0; list < 26; ++list)
        lists.push_back(WordLists::instance().markedLookup(markedListName(list)));
    lookUpSampleWords(state, lists);
}
BENCHMARK(MarkedLookups)->Unit(benchmark::kMillisecond);

void StringSetLookups(benchmark::State& state)
{
    std::vector<QSet<QString>> lists(26);
    for (int list = 0; list < 26; ++list) {
        const QString text = WordLists::instance().LoadDictionaryText(markedListName(list));
        for (const QString& line : text.split(QStringLiteral("\r\n"))) {
            if (line.startsWith(u'$') && line.endsWith(u'<'))
                lists[size_t(list)].insert(line.mid(1, line.size() - 2));
        }
    }
    lookUpSampleWords(state, lists);
}
BENCHMARK(StringSetLookups)->Unit(benchmark::kMillisecond);

#ifdef SCRIVET_HAVE_HUNSPELL
const char* const HunspellAffixes = "/usr/share/hunspell/en_US.aff";
const char* const HunspellWords = "/usr/share/hunspell/en_US.dic";

std::unique_ptr<Hunspell> makeHunspell()
{
    if (!QFile::exists(QString::fromLatin1(HunspellWords)))
        return nullptr;
    return std::make_unique<Hunspell>(HunspellAffixes, HunspellWords);
}

Quality hunspellQuality(Hunspell& hunspell)
{
    std::vector<QString> reported;
    for (const std::string& word : sample().words) {
        if (!hunspell.spell(word))
            reported.push_back(QString::fromStdString(word));
    }
    std::vector<bool> suggested;
    for (size_t index = 0; index < sample().typos.size(); index += SuggestionStride) {
        const std::vector<std::string> list =
            hunspell.suggest(sample().typos[index].typo.toStdString());
        const std::string intended = sample().typos[index].intended.toStdString();
        suggested.push_back(std::find(list.begin(), list.end(), intended) != list.end());
    }
    return measure(reported, static_cast<qsizetype>(sample().words.size()), suggested);
}

void HunspellSpell(benchmark::State& state)
{
    const std::unique_ptr<Hunspell> hunspell = makeHunspell();
    if (!hunspell) {
        state.SkipWithError("no en_US dictionary");
        return;
    }
    int64_t words = 0;
    for (auto _ : state) {
        int64_t wrong = 0;
        for (const std::string& word : sample().words)
            wrong += hunspell->spell(word) ? 0 : 1;
        benchmark::DoNotOptimize(wrong);
        words += static_cast<int64_t>(sample().words.size());
    }
    state.counters["words/s"] = benchmark::Counter(double(words), benchmark::Counter::kIsRate);
}
BENCHMARK(HunspellSpell)->Unit(benchmark::kMillisecond);
#endif

// Shows the usual console report and keeps each benchmark's words per second, the median over
// repetitions when there are several, for the ratio of the two checkers.
class SpeedReporter : public benchmark::ConsoleReporter {
public:
    SpeedReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto counter = run.counters.find("words/s");
            if (counter == run.counters.end())
                continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration && !m_median.count(name))
                m_speed[name] = counter->second.value;
            else if (run.aggregate_name == "median")
                m_median[name] = counter->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // 0 when the benchmark did not run.
    double wordsPerSecond(const std::string& name) const
    {
        if (const auto median = m_median.find(name); median != m_median.end())
            return median->second;
        const auto speed = m_speed.find(name);
        return speed == m_speed.end() ? 0 : speed->second;
    }

private:
    std::map<std::string, double> m_speed;
    std::map<std::string, double> m_median;
};

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); 0 when it cannot be read.
long statusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return 0;
}

// Opens a generated 10 MB RTF document and scans it: the resident memory the document added,
// and the peak above the same starting point while the scan ran.
void reportScanMemory()
{
    const QString rtf = QString::fromLatin1(generatedRtf(10 * 1024 * 1024));
    const long before = statusKiB("VmRSS");
    richedit::RichTextBox window;
    window.setTextRTF(rtf);
    const long withDocument = statusKiB("VmRSS");
    // Clearing the peak needs a kernel that allows it; without, the peak may be the load's.
    std::ofstream clearRefs("/proc/self/clear_refs");
    const bool peakCleared = static_cast<bool>(clearRefs << "5" << std::flush);
    WordQueries queries(window, WordLists::instance());
    StringArray reported;
    queries.DetectMisspellings(reported);
    const long peak = statusKiB("VmHWM");
    const double document = double(withDocument - before) / 1024;
    const double scanning = double(peak - before) / 1024;
    std::printf(
        "10 MB RTF: %lld words, %lld reported; document %.1f MiB, peak while scanning "
        "%.1f MiB%s; ratio %.3f (goal: at most 1.3)\n",
        static_cast<long long>(RichTextLibraryState::instance().ProgressTotal),
        static_cast<long long>(reported ? reported->size() : 0), document, scanning,
        peakCleared ? "" : " (peak not cleared)", scanning / document);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::printf("sample: %lld characters, %zu words, %zu planted typos\n",
                static_cast<long long>(sample().text.size()), sample().words.size(),
                sample().typos.size());
    printQuality("DetectMisspellings:", ourQuality());
#ifdef SCRIVET_HAVE_HUNSPELL
    if (const std::unique_ptr<Hunspell> hunspell = makeHunspell())
        printQuality("hunspell (en_US):", hunspellQuality(*hunspell));
    else
        std::printf("hunspell: no en_US dictionary (apt-get install hunspell-en-us)\n");
#else
    std::printf("hunspell: not built in (apt-get install libhunspell-dev hunspell-en-us)\n");
#endif
    SpeedReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double ours = reporter.wordsPerSecond("DetectMisspellings");
    const double theirs = reporter.wordsPerSecond("HunspellSpell");
    if (ours > 0)
        std::printf("DetectMisspellings: %.2f million words per second\n", ours / 1e6);
    if (ours > 0 && theirs > 0)
        std::printf("ratio DetectMisspellings / hunspell words per second: %.3f\n", ours / theirs);
    const double wordSets = reporter.wordsPerSecond("MarkedLookups");
    const double stringSets = reporter.wordsPerSecond("StringSetLookups");
    if (wordSets > 0 && stringSets > 0)
        std::printf("ratio word set / string set lookups per second: %.3f\n",
                    wordSets / stringSets);
    reportScanMemory();
    return 0;
}
