#include "platform/system/RegistryStore.h"

#include "platform/system/FileSystem.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace sys {
namespace {

const QString formatName = QStringLiteral("scrivet-registry");
const QChar separator = QLatin1Char('\\');

QString folded(const QString& name)
{
    return name.toCaseFolded();
}

// The levels of a sub-key name; nullopt for a name that starts with "\" or has an empty level.
// One trailing "\" is allowed.
std::optional<QStringList> splitSubKey(const QString& subKey)
{
    if (subKey.isEmpty())
        return QStringList();
    if (subKey.startsWith(separator))
        return std::nullopt;
    QStringList parts = subKey.split(separator);
    if (parts.last().isEmpty())
        parts.removeLast();
    for (const QString& part : parts) {
        if (part.isEmpty())
            return std::nullopt;
    }
    return parts;
}

QString joined(const QString& parent, const QString& child)
{
    return parent.isEmpty() ? child : parent + separator + child;
}

bool hasSubKeys(const auto& tree, const QString& foldedPath)
{
    const QString prefix = foldedPath + separator;
    auto next = tree.lower_bound(prefix);
    return next != tree.end() && next->first.startsWith(prefix);
}

}  // namespace

RegistryStore::RegistryStore(QString filePath) : m_filePath(std::move(filePath))
{
}

RegistryStore::RegistryStore(std::function<QString()> filePathSource)
    : m_filePathSource(std::move(filePathSource))
{
}

RegistryStore::~RegistryStore() = default;

RegistryStore::Tree RegistryStore::load() const
{
    Tree tree;
    tree[QString()] = Key{};
    const std::optional<QByteArray> bytes = readWholeFile(filePath());
    if (!bytes)
        return tree;
    // A damaged or foreign file reads as an empty store rather than stopping the program.
    const QJsonObject top = QJsonDocument::fromJson(*bytes).object();
    if (top.value(QStringLiteral("format")).toString() != formatName)
        return tree;
    for (const QJsonValue& entry : top.value(QStringLiteral("keys")).toArray()) {
        const QJsonObject object = entry.toObject();
        const std::optional<QStringList> parts =
            splitSubKey(object.value(QStringLiteral("path")).toString());
        if (!parts)
            continue;
        QString path;
        for (const QString& part : *parts) {
            path = joined(path, part);
            tree.try_emplace(folded(path), Key{path, {}});
        }
        Key& key = tree[folded(path)];
        for (const QJsonValue& item : object.value(QStringLiteral("values")).toArray()) {
            const QJsonObject value = item.toObject();
            const QString name = value.value(QStringLiteral("name")).toString();
            key.values[folded(name)] =
                Value{name, REG_SZ, value.value(QStringLiteral("data")).toString()};
        }
    }
    return tree;
}

bool RegistryStore::save(const Tree& tree) const
{
    QJsonArray keys;
    for (const auto& [foldedPath, key] : tree) {
        QJsonArray values;
        for (const auto& [foldedName, value] : key.values) {
            values.append(QJsonObject{{QStringLiteral("name"), value.name},
                                      {QStringLiteral("type"), static_cast<int>(value.type)},
                                      {QStringLiteral("data"), value.data}});
        }
        if (foldedPath.isEmpty() && values.isEmpty())
            continue;
        keys.append(
            QJsonObject{{QStringLiteral("path"), key.path}, {QStringLiteral("values"), values}});
    }
    const QJsonObject top{{QStringLiteral("format"), formatName},
                          {QStringLiteral("version"), 1},
                          {QStringLiteral("root"), QStringLiteral("HKEY_CLASSES_ROOT")},
                          {QStringLiteral("keys"), keys}};
    // Written beside the old file and renamed over it, so a failed write leaves the old store.
    const QString path = filePath();
    return createFolder(QFileInfo(path).absolutePath()) &&
           writeFileSafely(path, QJsonDocument(top).toJson(QJsonDocument::Indented));
}

RegistryStore::Handle* RegistryStore::handleOf(HKEY key)
{
    auto found = m_handles.find(key);
    return found == m_handles.end() ? nullptr : &found->second;
}

HKEY RegistryStore::newHandle(const QString& foldedPath, quint32 access)
{
    const HKEY key = m_nextHandle++;
    m_handles[key] = Handle{foldedPath, access, false};
    return key;
}

// Checks that `key` is usable with the `needed` rights; `handle` is null for the root.
long RegistryStore::checkKey(const Tree& tree, HKEY key, quint32 needed, Handle*& handle)
{
    handle = nullptr;
    if (key == HKEY_CLASSES_ROOT)
        return ERROR_SUCCESS;
    handle = handleOf(key);
    if (!handle)
        return ERROR_INVALID_HANDLE;
    if (!tree.contains(handle->path))
        return ERROR_KEY_DELETED;
    if ((handle->access & needed) != needed)
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

RegistryStore::Resolved RegistryStore::resolve(const Tree& tree, HKEY parent,
                                               const QString& subKey) const
{
    const std::optional<QStringList> parts = splitSubKey(subKey);
    if (!parts)
        return {ERROR_BAD_PATHNAME, {}, {}};
    const Handle* handle = parent == HKEY_CLASSES_ROOT ? nullptr : &m_handles.at(parent);
    Resolved resolved{ERROR_SUCCESS, handle ? handle->path : QString(), QString()};
    resolved.path = tree.at(resolved.foldedPath).path;
    for (const QString& part : *parts) {
        resolved.foldedPath = joined(resolved.foldedPath, folded(part));
        auto existing = tree.find(resolved.foldedPath);
        resolved.path =
            existing != tree.end() ? existing->second.path : joined(resolved.path, part);
    }
    return resolved;
}

long RegistryStore::createKey(HKEY parent, const QString& subKey, quint32 access, HKEY& result,
                              quint32* disposition)
{
    result = 0;
    Tree tree = load();
    Handle* parentHandle = nullptr;
    if (const long check = checkKey(tree, parent, KEY_CREATE_SUB_KEY, parentHandle))
        return check;
    if (m_refuseCreate)
        return ERROR_ACCESS_DENIED;
    const Resolved resolved = resolve(tree, parent, subKey);
    if (resolved.result != ERROR_SUCCESS)
        return resolved.result;
    const bool exists = tree.contains(resolved.foldedPath);
    if (!exists) {
        // Every missing level is made, each keeping the case it was named with.
        QString foldedPath;
        QString path;
        for (const QString& part : resolved.path.split(separator)) {
            path = joined(path, part);
            foldedPath = joined(foldedPath, folded(part));
            tree.try_emplace(foldedPath, Key{path, {}});
        }
        if (!save(tree))
            return ERROR_ACCESS_DENIED;
    }
    result = newHandle(resolved.foldedPath, access);
    m_handles[result].changed = !exists;
    if (disposition)
        *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

long RegistryStore::openKey(HKEY parent, const QString& subKey, quint32 access, HKEY& result)
{
    result = 0;
    const Tree tree = load();
    Handle* parentHandle = nullptr;
    if (const long check = checkKey(tree, parent, 0, parentHandle))
        return check;
    const Resolved resolved = resolve(tree, parent, subKey);
    if (resolved.result != ERROR_SUCCESS)
        return resolved.result;
    if (!tree.contains(resolved.foldedPath))
        return ERROR_FILE_NOT_FOUND;
    // A store without write rights grants no handle that could write.
    if (((access & KEY_SET_VALUE) && m_refuseSetValue) ||
        ((access & KEY_CREATE_SUB_KEY) && m_refuseCreate))
        return ERROR_ACCESS_DENIED;
    result = newHandle(resolved.foldedPath, access);
    return ERROR_SUCCESS;
}

long RegistryStore::closeKey(HKEY key)
{
    if (key == HKEY_CLASSES_ROOT)
        return ERROR_SUCCESS;
    auto found = m_handles.find(key);
    if (found == m_handles.end())
        return ERROR_INVALID_HANDLE;
    const bool changed = found->second.changed;
    m_handles.erase(found);
    if (changed && m_listener)
        m_listener(*this);
    return ERROR_SUCCESS;
}

long RegistryStore::deleteKey(HKEY parent, const QString& subKey)
{
    Tree tree = load();
    Handle* parentHandle = nullptr;
    if (const long check = checkKey(tree, parent, 0, parentHandle))
        return check;
    if (splitSubKey(subKey).value_or(QStringList()).isEmpty())
        return ERROR_INVALID_PARAMETER;
    const Resolved resolved = resolve(tree, parent, subKey);
    if (resolved.result != ERROR_SUCCESS)
        return resolved.result;
    if (!tree.contains(resolved.foldedPath))
        return ERROR_FILE_NOT_FOUND;
    if (m_refuseCreate || hasSubKeys(tree, resolved.foldedPath))
        return ERROR_ACCESS_DENIED;
    tree.erase(resolved.foldedPath);
    if (!save(tree))
        return ERROR_ACCESS_DENIED;
    if (parentHandle)
        parentHandle->changed = true;
    else if (m_listener)
        m_listener(*this);
    return ERROR_SUCCESS;
}

long RegistryStore::setValue(HKEY key, const QString& name, quint32 type, const QString& data)
{
    Tree tree = load();
    Handle* handle = nullptr;
    if (const long check = checkKey(tree, key, KEY_SET_VALUE, handle))
        return check;
    if (type != REG_SZ)
        return ERROR_INVALID_PARAMETER;
    if (m_refuseSetValue)
        return ERROR_ACCESS_DENIED;
    const QString path = handle ? handle->path : QString();
    tree[path].values[folded(name)] = Value{name, type, data};
    if (!save(tree))
        return ERROR_ACCESS_DENIED;
    if (handle)
        handle->changed = true;
    else if (m_listener)
        m_listener(*this);
    return ERROR_SUCCESS;
}

long RegistryStore::queryValue(HKEY key, const QString& name, quint32* type, QString* data,
                               quint32* size)
{
    const Tree tree = load();
    Handle* handle = nullptr;
    if (const long check = checkKey(tree, key, KEY_QUERY_VALUE, handle))
        return check;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    const Key& stored = tree.at(handle ? handle->path : QString());
    auto found = stored.values.find(folded(name));
    if (found == stored.values.end())
        return ERROR_FILE_NOT_FOUND;
    const quint32 needed = static_cast<quint32>(found->second.data.size()) + 1;
    if (type)
        *type = found->second.type;
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data)
        *data = found->second.data;
    if (size)
        *size = needed;
    return ERROR_SUCCESS;
}

long RegistryStore::deleteValue(HKEY key, const QString& name)
{
    Tree tree = load();
    Handle* handle = nullptr;
    if (const long check = checkKey(tree, key, KEY_SET_VALUE, handle))
        return check;
    if (m_refuseSetValue)
        return ERROR_ACCESS_DENIED;
    Key& stored = tree[handle ? handle->path : QString()];
    if (stored.values.erase(folded(name)) == 0)
        return ERROR_FILE_NOT_FOUND;
    if (!save(tree))
        return ERROR_ACCESS_DENIED;
    if (handle)
        handle->changed = true;
    else if (m_listener)
        m_listener(*this);
    return ERROR_SUCCESS;
}

QStringList RegistryStore::subKeyNames(HKEY key)
{
    const Tree tree = load();
    Handle* handle = nullptr;
    if (checkKey(tree, key, KEY_ENUMERATE_SUB_KEYS, handle) != ERROR_SUCCESS)
        return {};
    const QString parent = handle ? handle->path : QString();
    const QString prefix = parent.isEmpty() ? QString() : parent + separator;
    QStringList names;
    for (auto it = tree.lower_bound(prefix); it != tree.end() && it->first.startsWith(prefix);
         ++it) {
        const QString rest = it->first.mid(prefix.size());
        if (!rest.isEmpty() && !rest.contains(separator))
            names.append(it->second.path.section(separator, -1));
    }
    return names;
}

}  // namespace sys
