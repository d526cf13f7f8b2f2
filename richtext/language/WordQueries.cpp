#include "richtext/language/WordQueries.h"

#include "platform/host/EventLoop.h"
#include "platform/regex/RegExp.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/Windows1252.h"
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"
#include "richtext/language/WordLists.h"
#include "richtext/scanning/HyperlinkMark.h"

namespace {

const QString AccentedSmallLetters = QStringLiteral("àáâãäèéêëìíîïñòóôõöùúûüýÿ");
constexpr char16_t RightQuote = u'\u2019';
// How many words the scan checks between two polls of the event loop: the poll itself runs the
// event loop at most every few milliseconds, so asking every few words is as responsive and
// spares a clock read per word.
constexpr int InputPollWords = 16;

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
    bool found = false;
    try {
        const vbscript::MatchCollection matches = expression.Execute(list);
        found = matches.Count() > 0;
        qsizetype added = 0;
        for (const vbscript::Match match : matches) {
            QString entry = match.Value();
            if (!entry.contains(RightQuote)) {
                if (entry.endsWith(u'\r'))
                    entry.chop(1);
                storeArrayElement(MyReturnArray, added, entry);
                ++added;
            }
            host::GetInputState();
            if (ReturnLimit != 0 && added == ReturnLimit)
                break;
        }
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

    bool contains(const QString& word) const
    {
        const char letter = WordLists::initialLetter(word);
        if (letter && small[letter - 'A'].contains(word.toLower()))
            return true;
        return capitals.contains(word);
    }

    WordLists::MarkedLookup small[26];
    WordLists::MarkedLookup capitals;
};

bool WordQueries::DetectMisspellings(StringArray& MyReturnArray)
{
    RichTextLibraryState& state = RichTextLibraryState::instance();
    state.SpellScanAbort = false;
    m_scanAborted = false;
    bool result = false;
    qsizetype added = 0;

    QString text = m_window.Text();
    try {
        vbscript::RegExp addresses;
        addresses.setPattern(AddressPattern);
        addresses.setIgnoreCase(true);
        addresses.setGlobal(true);
        text = addresses.Replace(text, QString());
    } catch (const vb::VbError&) {
    }
    try {
        vbscript::RegExp abbreviations;
        abbreviations.setPattern(QStringLiteral("\\b") +
                                 m_lists.LoadDictionaryText(QStringLiteral("DOTS")));
        abbreviations.setGlobal(true);
        text = abbreviations.Replace(text, QString());
    } catch (const vb::VbError&) {
    }

    vbscript::MatchCollection matches;
    try {
        vbscript::RegExp words;
        words.setPattern(MisspellingWordPattern());
        words.setIgnoreCase(true);
        words.setGlobal(true);
        matches = words.Execute(text);
    } catch (const vb::VbError&) {
    }
    // Lets the dialogs' buttons and timers run; pending input never makes a word skipped.
    LongPass pass(&state.SpellScanAbort, LongPass::EventLoop::LetRun, LongPass::Progress::Tracked,
                  InputPollWords);
    pass.setTotal(matches.Count());

    const KnownWords known(m_lists);
    for (const vbscript::Match match : matches) {
        const QString word = match.Value();
        if (!isApostrophe(word.front()) && !isApostrophe(word.back()) && !known.contains(word)) {
            storeArrayElement(MyReturnArray, added, word);
            ++added;
            result = true;
        }
        pass.stepDone();
        if (!pass.proceed()) {
            MyReturnArray.reset();
            m_scanAborted = true;
            return result;
        }
    }
    return result;
}
