#include "richtext/language/Thesaurus.h"

#include "platform/runtime/VbNumbers.h"
#include "platform/runtime/VbStrings.h"
#include "richtext/language/WordLists.h"

#include <QHash>
#include <chrono>
#include <exception>
#include <random>

namespace Thesaurus {

namespace {

UniformSource& uniformSource()
{
    static UniformSource source;
    return source;
}

// A fresh generator seeded from the clock for each draw, as the design asks: two draws in the
// same clock tick may repeat, which is acceptable for a random word.
class ClockSeededDraw {
public:
    ClockSeededDraw()
        : m_engine(static_cast<std::mt19937::result_type>(
              std::chrono::steady_clock::now().time_since_epoch().count()))
    {
    }
    double next()
    {
        if (uniformSource())
            return uniformSource()();
        return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine);
    }

private:
    std::mt19937 m_engine;
};

bool acceptable(const QString& entry)
{
    return entry.size() >= 4 && !entry.contains(u'\'') && !entry.contains(QChar(0x2019)) &&
           !entry.contains(u'.');
}

}  // namespace

QString TrimNewLines(const QString& text)
{
    QString trimmed = vb::Trim(text);
    trimmed.remove(QStringLiteral("\r\n"));
    return trimmed;
}

QStringList SplitSynonyms(const QString& body)
{
    const QString trimmed = TrimNewLines(body);
    if (trimmed.isEmpty())
        return {};
    return trimmed.split(u' ');
}

bool LookUpSynonyms(WordLists& lists, const QString& word, QStringList& synonyms)
{
    if (word.isEmpty())
        return false;
    const QString listName = WordLists::initialListName(word);
    if (listName.isEmpty())
        return false;
    QString text;
    try {
        text = lists.LoadDictionaryText(listName + QStringLiteral("SYN"));
    } catch (const std::exception&) {
        return false;
    }
    const QString key = u'$' + word + u'<';
    const qsizetype at = text.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return false;
    const qsizetype bodyStart = at + key.size();
    const qsizetype end = text.indexOf(u'>', at);
    // A line cut off before its ">" (damaged data) reads to the end of the list.
    const QString body = text.mid(bodyStart, end < 0 ? -1 : end - bodyStart);
    synonyms = SplitSynonyms(body);
    return true;
}

QString GetSynonyms(WordLists& lists, const QString& MYWORD1, StringArray& ASynArray)
{
    QStringList found;
    if (!LookUpSynonyms(lists, MYWORD1, found))
        return NoSynonymsFound;
    ASynArray = found;
    return QString();
}

void setUniformSource(UniformSource source)
{
    uniformSource() = std::move(source);
}

QString GetRandomWord(WordLists& lists)
{
    ClockSeededDraw draw;
    // The lists never change while the library is loaded, so each is split once per draw.
    QHash<int, QStringList> split;
    for (int attempt = 0; attempt < MaxDrawAttempts; ++attempt) {
        // 0 to 25 with halves to even: "a" and "z" come half as often as the other letters.
        const int letter = 97 + int(vb::roundHalfEven(draw.next() * 25));
        if (!split.contains(letter)) {
            try {
                split.insert(letter, lists.LoadDictionaryText(QString(QChar(letter)).toUpper())
                                         .split(QStringLiteral("\r\n")));
            } catch (const std::exception&) {
                split.insert(letter, {});
            }
        }
        const QStringList& entries = split[letter];
        const qsizetype last = entries.size() - 1;
        const qsizetype index = qsizetype(vb::Int(draw.next() * double(last))) + 1;
        if (last < 1 || index > last)
            continue;
        QString entry = entries.at(index);
        entry.remove(QChar(0));
        if (acceptable(entry))
            return vb::StrConv(entry, vb::vbProperCase);
    }
    return QString();
}

}  // namespace Thesaurus
