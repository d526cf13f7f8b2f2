#include "richtext/language/SpellingSuggestions.h"

#include "platform/regex/RegExp.h"
#include "platform/runtime/VbError.h"
#include "richtext/language/WordLists.h"

#include <QVarLengthArray>
#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr char16_t RightQuote = u'\u2019';
// The phonetic digit of each letter A to Z.
constexpr char PhoneticDigits[] = "01230120022455012623010202";

char phoneticDigit(QChar letter)
{
    return PhoneticDigits[letter.unicode() - u'A'];
}

bool isUpperAsciiLetter(QChar ch)
{
    return ch >= u'A' && ch <= u'Z';
}

// Characters that go into the candidate pattern as themselves: letters, digits and the two
// apostrophes. Anything else would be read as pattern syntax.
bool isPlainWordCharacter(QChar ch)
{
    return ch.isLetterOrNumber() || ch == u'\'' || ch == RightQuote;
}

}  // namespace

SpellingSuggestions::SpellingSuggestions(WordLists& lists) : m_lists(lists)
{
}

QString SpellingSuggestions::BuildShortWordPattern(const QString& Word)
{
    QString pattern = QStringLiteral("\\b") + Word.left(1);
    for (qsizetype index = 1; index < Word.size(); ++index)
        pattern += u'(' + QString(Word.at(index)) + QStringLiteral("|\\S)");
    return pattern + QStringLiteral("\\S?\\.?\\s");
}

QString SpellingSuggestions::BuildSuggestionPattern(const QString& Word)
{
    const qsizetype n = Word.size();
    if (n <= 3)
        return BuildShortWordPattern(Word);
    const qsizetype k = n >= 7 ? n - 3 : n - 2;
    const QString repeat = QStringLiteral("{%1,%2}").arg(k).arg(n);
    const QString first = Word.left(1);
    const QString last = Word.right(1);
    return QStringLiteral("(\\b(") + first + QStringLiteral(")[") + Word.mid(1, n - 2) +
           QStringLiteral("\\S]") + repeat + u'(' + last + QStringLiteral(")\\b|\\b(") + first +
           QStringLiteral(")[") + Word.mid(1) + u']' + repeat + QStringLiteral("\\w?\\b|\\b(") +
           Word.left(2) + QStringLiteral(")[a-z\\'\\") + QChar(RightQuote) + u']' + repeat +
           QStringLiteral("\\b)\\s");
}

QString SpellingSuggestions::GetDottedForm(const QString& Word)
{
    return Word.left(1) + u'.' + Word.mid(1) + u'.';
}

int16_t SpellingSuggestions::GetLCSPercent(const QString& A, const QString& B)
{
    if (A.isEmpty() || B.isEmpty())
        return 0;
    // Each row of the length table needs only the row above it: two rows, on the stack for
    // words of ordinary length, since a suggestion run scores every candidate of a list.
    const qsizetype columns = B.size() + 1;
    QVarLengthArray<int32_t, 128> rows(2 * columns);
    std::fill(rows.begin(), rows.end(), 0);
    int32_t* above = rows.data();
    int32_t* row = rows.data() + columns;
    for (qsizetype i = 1; i <= A.size(); ++i) {
        for (qsizetype j = 1; j <= B.size(); ++j) {
            if (A.at(i - 1) == B.at(j - 1))
                row[j] = above[j - 1] + 1;
            else
                row[j] = MaxOf(above[j], row[j - 1]);
        }
        std::swap(above, row);
    }
    return static_cast<int16_t>(above[B.size()] * 100 / B.size());
}

int16_t SpellingSuggestions::GetEditDistance(QStringView A, QStringView B, int16_t Cap)
{
    // Equal first characters are taken without trying other edits and keep the cap, so a
    // common start is skipped in a loop rather than one call per character: the depth of
    // the recursion stays within the cap whatever the length of the words.
    while (std::abs(A.size() - B.size()) < Cap && !A.isEmpty() && !B.isEmpty() &&
           A.front() == B.front()) {
        A = A.mid(1);
        B = B.mid(1);
    }
    int32_t value;
    if (std::abs(A.size() - B.size()) >= Cap) {
        value = Cap;
    } else if (A.isEmpty() || B.isEmpty()) {
        value = static_cast<int32_t>(A.size() + B.size());
    } else if (A.size() >= 2 && B.size() >= 2 && A.at(0) == B.at(1) && A.at(1) == B.at(0)) {
        value = 1 + GetEditDistance(A.mid(2), B.mid(2), static_cast<int16_t>(Cap - 1));
    } else {
        const int16_t substituted =
            GetEditDistance(A.mid(1), B.mid(1), static_cast<int16_t>(Cap - 1));
        const int16_t dropped = GetEditDistance(A.mid(1), B, substituted);
        const int16_t inserted = GetEditDistance(A, B.mid(1), dropped);
        value = 1 + inserted;
    }
    return static_cast<int16_t>(value < Cap ? value : Cap);
}

QString SpellingSuggestions::GetSoundexCode(QString Text)
{
    const QString upper = Text.toUpper();
    if (upper.isEmpty())
        return {};
    QString code(upper.at(0));
    char previous = isUpperAsciiLetter(upper.at(0)) ? phoneticDigit(upper.at(0)) : '0';
    for (qsizetype index = 1; index < upper.size(); ++index) {
        const QChar ch = upper.at(index);
        if (!isUpperAsciiLetter(ch))
            continue;
        const char digit = phoneticDigit(ch);
        if (digit != '0' && digit != previous) {
            code += QLatin1Char(digit);
            if (code.size() == 4)
                break;
        }
        previous = digit;
    }
    return code;
}

int16_t SpellingSuggestions::ScoreSuggestion(const QString& Word, const QString& Candidate)
{
    const int16_t base = GetLCSPercent(Word, Candidate);
    const int16_t distance = GetEditDistance(Word, Candidate, 3);
    const bool soundAlike = GetSoundexCode(Word) == GetSoundexCode(Candidate);
    return static_cast<int16_t>(base + (soundAlike ? 10 : -10) - distance);
}

void SpellingSuggestions::GetPossibleSpellingCorrections(SPELL_CHECK_TYPE& SCData)
{
    const QString word = QString(SCData.IncorrectWord).remove(u'.').toLower();
    const QString letter = WordLists::initialListName(word);
    if (letter.isEmpty())
        return;

    QString plain;
    QString abbreviations;
    try {
        plain = m_lists.LoadDictionaryText(letter);
    } catch (const vb::VbError&) {
    }
    try {
        abbreviations = m_lists.LoadDictionaryText(QStringLiteral("DOTS2"));
    } catch (const vb::VbError&) {
    }
    const QString lowerAbbreviations = abbreviations.toLower();

    // The abbreviation probes answer whatever the threshold: "am" gives "a.m.", "calif"
    // "Calif.".
    const QString dotted = GetDottedForm(word);
    qsizetype hit = lowerAbbreviations.indexOf(u'$' + dotted + u'<');
    if (hit >= 0) {
        storeArrayElement(SCData.Suggestions, 0, abbreviations.mid(hit + 1, dotted.size()));
        return;
    }
    hit = lowerAbbreviations.indexOf(u'$' + word + QStringLiteral(".<"));
    if (hit >= 0) {
        storeArrayElement(SCData.Suggestions, 0, abbreviations.mid(hit + 1, word.size() + 1));
        return;
    }

    if (!std::all_of(word.begin(), word.end(), isPlainWordCharacter))
        return;
    vbscript::RegExp candidates;
    candidates.setPattern(BuildSuggestionPattern(word));
    candidates.setIgnoreCase(true);
    candidates.setGlobal(true);
    try {
        qsizetype stored = 0;
        for (const vbscript::Match match : candidates.Execute(plain)) {
            QString candidate = match.Value();
            candidate.chop(1);
            if (ScoreSuggestion(word, candidate.toLower()) >= SCData.QAccuracy &&
                !candidate.contains(RightQuote)) {
                storeArrayElement(SCData.Suggestions, stored, candidate);
                ++stored;
            }
        }
    } catch (const vb::VbError&) {
        // Suggestions keeps what was stored before the failure.
    }
}
