// Spelling suggestions for one word: the abbreviation probes, then the candidates of the plain
// list of the word's initial picked by a pattern built from the word and kept when their score
// (common-subsequence share, phonetic code and a capped edit distance) reaches the threshold.
#pragma once

#include "richtext/language/StringArray.h"

#include <QString>
#include <cstdint>

class WordLists;

// One suggestion request.
struct SPELL_CHECK_TYPE {
    QString IncorrectWord;
    // In list order; grown from element 0 by a call that finds anything, else left alone.
    StringArray Suggestions;
    // Not written by the engine; callers test Suggestions with IsArrayGood.
    bool SuggestionsFound = false;
    // The lowest score a candidate must reach.
    int16_t QAccuracy = 0;
};

class SpellingSuggestions {
public:
    explicit SpellingSuggestions(WordLists& lists);

    // Never raises. A word whose initial is not A to Z, an empty word, or one made only of
    // full stops leaves SCData as it was; so does a word with characters that would act as
    // pattern syntax (brackets, parentheses, backslashes), which gets no suggestions.
    void GetPossibleSpellingCorrections(SPELL_CHECK_TYPE& SCData);

    // The candidate pattern; words of at most three characters get the short pattern.
    static QString BuildSuggestionPattern(const QString& Word);
    static QString BuildShortWordPattern(const QString& Word);
    // "am" gives "a.m.".
    static QString GetDottedForm(const QString& Word);
    // Between -13 and 110: the common-subsequence share of the candidate, plus 10 when both
    // sound alike (else minus 10), minus the edit distance capped at 3.
    static int16_t ScoreSuggestion(const QString& Word, const QString& Candidate);
    // The length of the longest common subsequence as a whole percentage of B's length.
    static int16_t GetLCSPercent(const QString& A, const QString& B);
    // A distance capped at Cap, in which a match or a transposition at the front is taken
    // without trying the other edits ("ab" to "bab" is 2).
    static int16_t GetEditDistance(QStringView A, QStringView B, int16_t Cap);
    // One to four characters: the initial and the digits of the following consonant groups.
    static QString GetSoundexCode(QString Text);
    static int32_t MaxOf(int32_t A, int32_t B) { return A >= B ? A : B; }

private:
    // The common-subsequence length by the two-row table, and bit-parallel for a B of at most
    // 64 characters.
    static qsizetype lcsByRows(const QString& A, const QString& B);
    static qsizetype lcsOfWordLength(const QString& A, const QString& B);
    // ScoreSuggestion with the word's phonetic code worked out once for all its candidates.
    static int16_t scoreAgainst(const QString& Word, const QString& WordSoundex,
                                const QString& Candidate);

    WordLists& m_lists;
};
