#include "richtext/language/SpellingSuggestions.h"

#include "platform/regex/RegExp.h"
#include "platform/runtime/VbError.h"
#include "richtext/language/WordLists.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <bit>
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

bool isAscii(QChar ch)
{
    return ch.unicode() < 0x80;
}

QChar asciiUpper(QChar ch)
{
    return ch >= u'a' && ch <= u'z' ? QChar(ch.unicode() - 32) : ch;
}

// GetEditDistance over the words' characters as pointer and length: every candidate of a list
// takes up to forty calls, which need no views made and checked.
int cappedEditDistance(const QChar* a, qsizetype aSize, const QChar* b, qsizetype bSize, int cap)
{
    // Equal first characters are taken without trying other edits and keep the cap, so a
    // common start is skipped in a loop rather than one call per character: the depth of
    // the recursion stays within the cap whatever the length of the words.
    while (std::abs(aSize - bSize) < cap && aSize > 0 && bSize > 0 && *a == *b) {
        ++a, --aSize;
        ++b, --bSize;
    }
    int value;
    if (std::abs(aSize - bSize) >= cap) {
        value = cap;
    } else if (aSize == 0 || bSize == 0) {
        value = static_cast<int>(aSize + bSize);
    } else if (aSize >= 2 && bSize >= 2 && a[0] == b[1] && a[1] == b[0]) {
        value = 1 + cappedEditDistance(a + 2, aSize - 2, b + 2, bSize - 2, cap - 1);
    } else {
        const int substituted = cappedEditDistance(a + 1, aSize - 1, b + 1, bSize - 1, cap - 1);
        const int dropped = cappedEditDistance(a + 1, aSize - 1, b, bSize, substituted);
        const int inserted = cappedEditDistance(a, aSize, b + 1, bSize - 1, dropped);
        value = 1 + inserted;
    }
    return value < cap ? value : cap;
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
    const qsizetype length = B.size() <= 64 ? lcsOfWordLength(A, B) : lcsByRows(A, B);
    return static_cast<int16_t>(length * 100 / B.size());
}

qsizetype SpellingSuggestions::lcsByRows(const QString& A, const QString& B)
{
    // Each row of the length table needs only the row above it.
    const qsizetype columns = B.size() + 1;
    QVarLengthArray<int32_t, 128> rows(2 * columns);
    std::fill(rows.begin(), rows.end(), 0);
    int32_t* above = rows.data();
    int32_t* row = rows.data() + columns;
    const QChar* a = A.constData();
    const QChar* b = B.constData();
    for (qsizetype i = 0; i < A.size(); ++i) {
        const QChar ch = a[i];
        for (qsizetype j = 1; j < columns; ++j)
            row[j] = ch == b[j - 1] ? above[j - 1] + 1 : MaxOf(above[j], row[j - 1]);
        std::swap(above, row);
    }
    return above[B.size()];
}

qsizetype SpellingSuggestions::lcsOfWordLength(const QString& A, const QString& B)
{
    // The same table a row at a time in one 64-bit word, B's characters as bits: a bit is clear
    // where the row's length steps up, so the last row's clear bits count the subsequence. A
    // suggestion run scores every candidate of a list, and this takes a few operations per
    // character of A instead of one per pair of characters.
    const auto m = static_cast<int>(B.size());
    const uint64_t used = m == 64 ? ~uint64_t(0) : (uint64_t(1) << m) - 1;
    const QChar* b = B.constData();
    std::array<uint64_t, 256> latin1Positions{};
    for (int j = 0; j < m; ++j) {
        if (b[j].unicode() < 256)
            latin1Positions[b[j].unicode()] |= uint64_t(1) << j;
    }
    uint64_t row = ~uint64_t(0);
    for (const QChar ch : A) {
        uint64_t positions = 0;
        if (ch.unicode() < 256) {
            positions = latin1Positions[ch.unicode()];
        } else {
            for (int j = 0; j < m; ++j) {
                if (b[j] == ch)
                    positions |= uint64_t(1) << j;
            }
        }
        const uint64_t matched = row & positions;
        row = (row + matched) | (row - matched);
    }
    return m - std::popcount(row & used);
}

int16_t SpellingSuggestions::GetEditDistance(QStringView A, QStringView B, int16_t Cap)
{
    return static_cast<int16_t>(cappedEditDistance(A.data(), A.size(), B.data(), B.size(), Cap));
}

QString SpellingSuggestions::GetSoundexCode(QString Text)
{
    // Every candidate is coded: ASCII text (nearly all) is read upper-cased as it goes, other
    // text through the full case mapping, which may change its length or turn a letter into
    // one of A to Z.
    if (!std::all_of(Text.cbegin(), Text.cend(), isAscii))
        Text = Text.toUpper();
    if (Text.isEmpty())
        return {};
    const QChar first = asciiUpper(Text.at(0));
    QString code(first);
    char previous = isUpperAsciiLetter(first) ? phoneticDigit(first) : '0';
    for (qsizetype index = 1; index < Text.size(); ++index) {
        const QChar ch = asciiUpper(Text.at(index));
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
    return scoreAgainst(Word, GetSoundexCode(Word), Candidate);
}

int16_t SpellingSuggestions::scoreAgainst(const QString& Word, const QString& WordSoundex,
                                          const QString& Candidate)
{
    const int16_t base = GetLCSPercent(Word, Candidate);
    const int16_t distance = GetEditDistance(Word, Candidate, 3);
    const bool soundAlike = WordSoundex == GetSoundexCode(Candidate);
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
    QString lowerAbbreviations;
    try {
        plain = m_lists.LoadDictionaryText(letter);
    } catch (const vb::VbError&) {
    }
    try {
        abbreviations = m_lists.LoadDictionaryText(QStringLiteral("DOTS2"));
        lowerAbbreviations = m_lists.LoadLowerCaseText(QStringLiteral("DOTS2"));
    } catch (const vb::VbError&) {
    }

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
    const QString wordSoundex = GetSoundexCode(word);
    try {
        qsizetype stored = 0;
        for (const vbscript::Match match : candidates.Execute(plain)) {
            QString candidate = match.Value();
            candidate.chop(1);
            if (scoreAgainst(word, wordSoundex, candidate.toLower()) >= SCData.QAccuracy &&
                !candidate.contains(RightQuote)) {
                storeArrayElement(SCData.Suggestions, stored, candidate);
                ++stored;
            }
        }
    } catch (const vb::VbError&) {
        // Suggestions keeps what was stored before the failure.
    }
}
