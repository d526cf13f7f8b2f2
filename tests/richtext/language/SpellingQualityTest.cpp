// The spell checker on 1 MiB of English with planted one-edit typos (made by
// tools/make-spelling-sample.py): it must find the typos, leave correct words alone, and offer
// the intended word among its suggestions at the dialog's default threshold.
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/language/SpellingSuggestions.h"
#include "richtext/language/WordLists.h"
#include "richtext/language/WordQueries.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QHash>

namespace {

QString readSample(const char* name)
{
    QFile file(QStringLiteral(SCRIVET_SPELLING_SAMPLE_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromLatin1(file.readAll());
}

struct Typo {
    QString typo;
    QString intended;
};

std::vector<Typo> plantedTypos()
{
    std::vector<Typo> typos;
    for (const QString& line : readSample("typos.tsv").split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 2)
            typos.push_back({fields[0], fields[1]});
    }
    return typos;
}

}  // namespace

TEST(SpellingQualityTest, FindsPlantedTyposWithFewFalseAlarmsAndSuggestsTheIntendedWord)
{
    RichTextLibraryState::instance().reset();
    const std::vector<Typo> typos = plantedTypos();
    ASSERT_GT(typos.size(), 1000u);

    richedit::RichTextBox window;
    window.setText(readSample("sample.txt"));
    WordQueries queries(window, WordLists::instance());
    StringArray reported;
    queries.DetectMisspellings(reported);
    ASSERT_TRUE(reported.has_value());
    const int64_t words = RichTextLibraryState::instance().ProgressTotal;

    // Reported words matched against the planted ones as multisets.
    QHash<QString, int> planted;
    for (const Typo& typo : typos)
        ++planted[typo.typo];
    qsizetype found = 0;
    qsizetype falseAlarms = 0;
    for (const QString& word : *reported) {
        auto entry = planted.find(word);
        if (entry != planted.end() && entry.value() > 0) {
            --entry.value();
            ++found;
        } else {
            ++falseAlarms;
        }
    }
    const double recall = double(found) / double(typos.size());
    const double falseAlarmRate = double(falseAlarms) / double(words - qsizetype(typos.size()));

    // Suggestions for every fifth typo at the default threshold of the dialog (100 - 28).
    SpellingSuggestions engine(WordLists::instance());
    qsizetype asked = 0;
    qsizetype helped = 0;
    for (size_t index = 0; index < typos.size(); index += 5) {
        SPELL_CHECK_TYPE request;
        request.IncorrectWord = typos[index].typo;
        request.QAccuracy = 72;
        engine.GetPossibleSpellingCorrections(request);
        ++asked;
        if (request.Suggestions && request.Suggestions->contains(typos[index].intended))
            ++helped;
    }
    const double suggestionRate = double(helped) / double(asked);

    RecordProperty("recall", QString::number(recall, 'f', 4).toStdString());
    RecordProperty("falseAlarms", QString::number(falseAlarmRate, 'f', 4).toStdString());
    RecordProperty("suggestions", QString::number(suggestionRate, 'f', 4).toStdString());
    std::printf(
        "words %lld, typos %zu: recall %.4f, false alarms %.4f, intended word "
        "suggested %.4f\n",
        static_cast<long long>(words), typos.size(), recall, falseAlarmRate, suggestionRate);
    EXPECT_GE(recall, 0.95);
    EXPECT_LE(falseAlarmRate, 0.01);
    EXPECT_GE(suggestionRate, 0.70);
}
