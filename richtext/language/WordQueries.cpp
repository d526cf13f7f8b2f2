#include "richtext/language/WordQueries.h"

#include "platform/host/EventLoop.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/model/HiddenText.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/Windows1252.h"
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/language/WordLists.h"
#include "richtext/scanning/HyperlinkMark.h"

#include <QVarLengthArray>
#include <functional>

namespace {

const QString AccentedSmallLetters = QStringLiteral("àáâãäèéêëìíîïñòóôõöùúûüýÿ");
constexpr char16_t RightQuote = u'\u2019';

QString escapedEach(const QString& characters)
{
    QString escaped;
    for (const QChar ch : characters) {
        escaped += u'\\';
        escaped += ch;
    }
    return escaped;
}

QString buildWordPattern()
{
    const QString accents = escapedEach(AccentedSmallLetters);
    const QString apostrophes = QStringLiteral("\\'\\") + QChar(RightQuote);
    const QString edge = u'[' + accents + apostrophes + QStringLiteral("]?");
    return edge + QStringLiteral("(\\b[a-z") + apostrophes + accents +
           QStringLiteral("]{2,}\\b|\\b([a-z]{1}[\\.]){1,}[a-z]{1,}\\b\\.?)") + edge +
           QStringLiteral("(?!(:|#))");
}

bool isApostrophe(QChar ch)
{
    return ch == u'\'' || ch == RightQuote;
}

// A letter A to Z once upper-cased, by its Windows-1252 code.
bool isListLetter(QChar ch)
{
    const QString upper = QString(ch).toUpper();
    if (upper.size() != 1)
        return false;
    const unsigned char code = vb::unicodeToWindows1252(upper.at(0).unicode());
    return code >= 'A' && code <= 'Z';
}

}  // namespace

const QString& MisspellingWordPattern()
{
    static const QString pattern = buildWordPattern();
    return pattern;
}

WordQueries::WordQueries(richedit::RichTextBox& window, WordLists& lists)
    : m_window(window), m_lists(lists)
{
}

bool WordQueries::GetWordsThatStartWith(QString& MyStartingLetters, StringArray& MyReturnArray,
                                        int32_t ReturnLimit)
{
    if (MyStartingLetters.isEmpty() || !isListLetter(MyStartingLetters.at(0)))
        return false;
    QString escaped;
    for (const QChar ch : MyStartingLetters) {
        if (!isListLetter(ch))
            escaped += u'\\';
        escaped += ch;
    }
    MyStartingLetters = escaped;

    QString list;
    try {
        list = m_lists.LoadDictionaryText(WordLists::initialListName(escaped));
    } catch (const vb::VbError&) {
        // A failed load leaves an empty list, which finds nothing.
    }
    vbscript::RegExp expression;
    expression.setPattern(QStringLiteral("(\\b") + escaped + QStringLiteral(".*)"));
    expression.setIgnoreCase(true);
    expression.setGlobal(true);
    // Matches are taken one at a time, up to the limit: the whole list is not searched to
    // answer for a few words.
    bool found = false;
    try {
        qsizetype added = 0;
        expression.forEachMatch(list, [&](qsizetype start, qsizetype end) {
            found = true;
            QString entry = list.mid(start, end - start);
            if (!entry.contains(RightQuote)) {
                if (entry.endsWith(u'\r'))
                    entry.chop(1);
                storeArrayElement(MyReturnArray, added, entry);
                ++added;
            }
            host::GetInputState();
            return ReturnLimit == 0 || added != ReturnLimit;
        });
    } catch (const vb::VbError&) {
        // A prefix the pattern cannot take (an escaped digit read as a back reference) finds
        // nothing more.
    }
    return found;
}

// A word of the small-word lists is known in any case, a capitalised word only exactly as the
// capitals list holds it.
struct WordQueries::KnownWords {
    explicit KnownWords(WordLists& lists) : capitals(lists.markedLookup(QStringLiteral("101")))
    {
        for (char letter = 'A'; letter <= 'Z'; ++letter)
            small[letter - 'A'] = lists.markedLookup(QString(QLatin1Char(letter)) + u'$');
    }

    bool contains(QStringView word)
    {
        const char letter = WordLists::initialLetter(word);
        if (letter && small[letter - 'A'].contains(lowered(word)))
            return true;
        return capitals.contains(word);
    }

    // The word in small letters: ASCII words (nearly all) into a reused buffer, others through
    // the full case mapping, which may change their length.
    QStringView lowered(QStringView word)
    {
        lower.resize(word.size());
        for (qsizetype i = 0; i < word.size(); ++i) {
            const char16_t ch = word[i].unicode();
            if (ch >= 0x80) {
                lowerFallback = word.toString().toLower();
                return lowerFallback;
            }
            lower[i] = (ch >= u'A' && ch <= u'Z') ? char16_t(ch + 32) : ch;
        }
        return QStringView(lower.constData(), lower.size());
    }

    WordLists::MarkedLookup small[26];
    WordLists::MarkedLookup capitals;
    QVarLengthArray<char16_t, 64> lower;
    QString lowerFallback;
};

// The checked words of one paragraph: addresses are taken out first, then listed abbreviations,
// then the word pattern runs over what is left. None of the three patterns reaches over a
// paragraph end, and one sees a paragraph's start and end as it sees CR and LF, so a paragraph
// at a time finds the words of the whole text in the same order. A paragraph is copied only
// when something is taken out of it.
class WordQueries::ParagraphWords {
public:
    explicit ParagraphWords(WordLists& lists)
    {
        m_addresses.setPattern(AddressPattern);
        m_addresses.setIgnoreCase(true);
        m_addresses.setGlobal(true);
        try {
            m_abbreviations.setPattern(QStringLiteral("\\b") +
                                       lists.LoadDictionaryText(QStringLiteral("DOTS")));
            m_abbreviations.setGlobal(true);
            m_haveAbbreviations = true;
        } catch (const vb::VbError&) {
        }
        m_words.setPattern(MisspellingWordPattern());
        m_words.setIgnoreCase(true);
        m_words.setGlobal(true);
    }

    // Hands each word, and where it starts in the paragraph once addresses and abbreviations
    // are out, to `onWord`, which returns false to stop; false when it stopped.
    bool scan(QString text, const std::function<bool(QStringView word, qsizetype at)>& onWord)
    {
        if (mayHoldAddress(text))
            text = withoutMatches(m_addresses, text);
        if (m_haveAbbreviations)
            text = withoutMatches(m_abbreviations, text);
        bool stopped = false;
        try {
            m_words.forEachMatch(text, [&](qsizetype start, qsizetype end) {
                stopped = !onWord(QStringView(text).sliced(start, end - start), start);
                return !stopped;
            });
        } catch (const vb::VbError&) {
        }
        return !stopped;
    }

private:
    // Every address holds "@", "www." or a colon and two slashes or backslashes: a paragraph
    // without any of them is spared the address search.
    static bool mayHoldAddress(QStringView text)
    {
        return text.contains(u'@') || text.contains(u"://") || text.contains(u":\\\\") ||
               text.contains(u"www.", Qt::CaseInsensitive);
    }

    // A pattern the engine cannot run takes nothing out.
    static QString withoutMatches(vbscript::RegExp& expression, const QString& text)
    {
        try {
            return expression.Replace(text, QString());
        } catch (const vb::VbError&) {
            return text;
        }
    }

    vbscript::RegExp m_addresses;
    vbscript::RegExp m_abbreviations;
    bool m_haveAbbreviations = false;
    vbscript::RegExp m_words;
};

bool WordQueries::DetectMisspellings(StringArray& MyReturnArray)
{
    RichTextLibraryState& state = RichTextLibraryState::instance();
    state.SpellScanAbort = false;
    m_scanAborted = false;

    // Lets the dialogs' buttons and timers run; pending input never makes a word skipped. The
    // progress counts positions of the document while the scan runs (the number of words is
    // known only at its end) and the words checked once it has ended.
    const richedit::Document& document = m_window.engine().document();
    state.ProgressTotal = document.length();
    state.ProgressDone = 0;
    LongPass pass(&state.SpellScanAbort, LongPass::EventLoop::LetRun);

    KnownWords known(m_lists);
    ParagraphWords words(m_lists);
    QStringList misspelt;
    int32_t paragraphStart = 0;
    for (int index = 0; index < document.paragraphCount(); ++index) {
        // A counted reference, not a copy, unless hidden text is left out: it stays valid if
        // the event loop lets an edit in. Only shown words are checked, a hidden run inside a
        // word leaving it whole.
        const QString text = richedit::shownParagraphText(document, index);
        const int32_t span = int32_t(document.paragraph(index).text.size()) + 2;
        const bool finished = words.scan(text, [&](QStringView word, qsizetype at) {
            if (!isApostrophe(word.front()) && !isApostrophe(word.back()) && !known.contains(word))
                misspelt.append(word.toString());
            state.ProgressDone = paragraphStart + at;
            pass.stepDone();
            return pass.proceed();
        });
        if (!finished)
            break;
        paragraphStart += span;
    }
    state.ProgressTotal = pass.done();
    state.ProgressDone = 0;
    if (pass.stopped()) {
        MyReturnArray.reset();
        m_scanAborted = true;
        return !misspelt.isEmpty();
    }
    if (misspelt.isEmpty())
        return false;
    MyReturnArray = std::move(misspelt);
    return true;
}
