#include "richtext/language/WordLists.h"

#include "platform/host/Resources.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/Windows1252.h"

#include <algorithm>

namespace {

const QString Deliverable = QStringLiteral("XrRichTextBox");
const QString ResourceType = QStringLiteral("USDICTIONARY");

bool isMarkerFree(QChar ch)
{
    return ch != u'$' && ch != u'<' && ch != u'\r' && ch != u'\n';
}

// A word the index can answer for: one that cannot itself make or break a marker.
bool indexable(QStringView word)
{
    return std::all_of(word.begin(), word.end(), isMarkerFree);
}

}  // namespace

WordLists& WordLists::instance()
{
    static WordLists lists;
    return lists;
}

WordLists::List* WordLists::find(const QString& name)
{
    const QString key = name.toUpper();
    auto found = m_lists.constFind(key);
    if (found != m_lists.constEnd())
        return found->get();
    const std::optional<QByteArray> bytes = host::resourceData(Deliverable, ResourceType, key);
    if (!bytes)
        return nullptr;
    auto list = std::make_shared<List>();
    list->text = vb::fromWindows1252(*bytes);
    m_lists.insert(key, list);
    return list.get();
}

WordLists::List& WordLists::found(const QString& name)
{
    List* list = find(name);
    if (!list)
        throw vb::VbError(vb::ErrResourceNotFound,
                          QStringLiteral("Resource with identifier '%1' not found").arg(name));
    return *list;
}

QString WordLists::LoadDictionaryText(const QString& ResName, bool Use101)
{
    const QString name = Use101 ? QStringLiteral("101") : ResName;
    return found(name).text;
}

QString WordLists::LoadLowerCaseText(const QString& ResName)
{
    List& list = found(ResName);
    if (!list.lowered) {
        list.lowerText = list.text.toLower();
        list.lowered = true;
    }
    return list.lowerText;
}

char WordLists::initialLetter(QStringView word)
{
    if (word.isEmpty())
        return 0;
    // Only the characters U+0041-U+005A are the code page's bytes 65 to 90.
    const QChar upper = word.front().toUpper();
    if (upper < u'A' || upper > u'Z')
        return 0;
    return static_cast<char>(upper.unicode());
}

QString WordLists::initialListName(const QString& word)
{
    const char letter = initialLetter(word);
    return letter ? QString(QLatin1Char(letter)) : QString();
}

QString WordLists::GetMarkedWordList(const QString& Word)
{
    const QString letter = initialListName(Word);
    if (letter.isEmpty())
        return {};
    const List* list = find(letter + u'$');
    return list ? list->text : QString();
}

WordLists::MarkedLookup WordLists::markedLookup(const QString& listName)
{
    List* list = find(listName);
    if (!list)
        return {};
    if (!list->indexed) {
        const QString& text = list->text;
        qsizetype dollar = text.indexOf(u'$');
        while (dollar >= 0) {
            qsizetype end = dollar + 1;
            while (end < text.size() && isMarkerFree(text.at(end)))
                ++end;
            if (end < text.size() && text.at(end) == u'<')
                list->marked.insert(QStringView(text).sliced(dollar + 1, end - dollar - 1));
            dollar = text.indexOf(u'$', end);
        }
        list->indexed = true;
    }
    return MarkedLookup(list);
}

bool WordLists::MarkedLookup::contains(QStringView word) const
{
    if (!m_list)
        return false;
    if (!indexable(word))
        return m_list->text.contains(u'$' + word.toString() + u'<');
    return m_list->marked.contains(word);
}

bool WordLists::containsMarked(const QString& listName, const QString& word)
{
    return markedLookup(listName).contains(word);
}
