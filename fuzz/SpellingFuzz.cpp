// Feeds arbitrary text, as a user would type it into the spell-check dialog or select it for the
// context menu, to the suggestion engine and the prefix query, and checks what every answer
// must satisfy: suggestions are list entries (or listed abbreviations) without U+2019, scores
// stay in their range, and a prefix comes back escaped.
#include "fuzz/FuzzTarget.h"
#include "platform/richedit/view/RichTextBox.h"
#include "richtext/language/SpellingSuggestions.h"
#include "richtext/language/WordLists.h"
#include "richtext/language/WordQueries.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// Longer than any word (the lists' longest entry has 23 letters), yet short enough that the
// score's common-subsequence table (length squared) leaves time for thousands of inputs a
// second: longer text would reach no further into the code, only slow the search.
constexpr qsizetype LongestText = 64;

bool isAsciiWordCharacter(QChar ch)
{
    return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') ||
           ch == u'_';
}

// Whether a suggestion is an entry of the initial's plain list or the end of one from a word
// boundary on (where the suggestion pattern may start), or an abbreviation. Each plain list is
// indexed once: searching a whole list again for every suggestion would take most of the run.
bool isListEntry(WordLists& lists, const QString& letter, const QString& suggestion)
{
    static QHash<QString, QSet<QString>> endsByLetter;
    auto ends = endsByLetter.find(letter);
    if (ends == endsByLetter.end()) {
        ends = endsByLetter.insert(letter, {});
        const QStringList entries =
            lists.LoadDictionaryText(letter).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        for (const QString& entry : entries) {
            for (qsizetype from = 0; from < entry.size(); ++from) {
                if (from == 0 || !isAsciiWordCharacter(entry.at(from - 1)))
                    ends->insert(entry.mid(from));
            }
        }
    }
    return ends->contains(suggestion) || lists.containsMarked(QStringLiteral("DOTS2"), suggestion);
}

int fuzzOne(std::span<const uint8_t> data)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()))
            .left(LongestText);
    WordLists& lists = WordLists::instance();

    SPELL_CHECK_TYPE request;
    request.IncorrectWord = text;
    request.QAccuracy = -13;
    SpellingSuggestions(lists).GetPossibleSpellingCorrections(request);
    if (request.Suggestions) {
        const QString letter = WordLists::initialListName(QString(text).remove(u'.'));
        fuzz::require(!letter.isEmpty(), "suggestions only for words of a listed initial");
        for (const QString& suggestion : *request.Suggestions) {
            fuzz::require(!suggestion.isEmpty() && !suggestion.contains(u'\u2019'),
                          "a suggestion is a word without U+2019");
            fuzz::require(isListEntry(lists, letter, suggestion),
                          "a suggestion is an entry of the lists");
        }
    }

    const qsizetype half = text.size() / 2;
    const int16_t score = SpellingSuggestions::ScoreSuggestion(text.left(half), text.mid(half));
    fuzz::require(score >= -13 && score <= 110, "a score lies between -13 and 110");
    fuzz::require(SpellingSuggestions::GetSoundexCode(text).size() <= 4, "soundex of 4 at most");

    static richedit::RichTextBox window;
    WordQueries queries(window, lists);
    QString prefix = text;
    StringArray words;
    if (queries.GetWordsThatStartWith(prefix, words, 5)) {
        fuzz::require(prefix.size() >= text.size(), "the prefix comes back escaped");
        fuzz::require(!words || words->size() <= 5, "at most the limit");
    } else {
        fuzz::require(!words.has_value(), "no match, no array");
    }
    return 0;
}
