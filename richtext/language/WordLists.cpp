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
bool indexable(const QString& word)
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

QString WordLists::LoadDictionaryText(const QString& ResName, bool Use101)
{
    const QString name = Use101 ? QStringLiteral("101") : ResName;
    const List* list = find(name);
    if (!list)
        throw vb::VbError(vb::ErrResourceNotFound,
                          QStringLiteral("Resource with identifier '%1' not found").arg(name));
    return list->text;
}

QString WordLists::initialListName(const QString& word)
{
    if (word.isEmpty())
        return {};
    const QString initial = word.left(1).toUpper();
    if (initial.size() != 1)
        return {};
    const unsigned char code = vb::unicodeToWindows1252(initial.at(0).unicode());
    if (code < 'A' || code > 'Z')
        return {};
    return QString(QChar(code));
}

QString WordLists::GetMarkedWordList(const QString& Word)
{
    const QString letter = initialListName(Word);
    if (letter.isEmpty())
        return {};
    const List* list = find(letter + u'$');
    return list ? list->text : QString();
}

bool WordLists::containsMarked(const QString& listName, const QString& word)
{
    List* found = find(listName);
    if (!found)
        return false;
    if (!indexable(word))
        return found->text.contains(u'$' + word + u'<');
    List& list = *found;
    if (!list.indexed) {
        const QString& text = list.text;
        qsizetype dollar = text.indexOf(u'$');
        while (dollar >= 0) {
            qsizetype end = dollar + 1;
            while (end < text.size() && isMarkerFree(text.at(end)))
                ++end;
            if (end < text.size() && text.at(end) == u'<')
                list.marked.insert(text.mid(dollar + 1, end - dollar - 1));
            dollar = text.indexOf(u'$', end);
        }
        list.indexed = true;
    }
    return list.marked.contains(word);
}
