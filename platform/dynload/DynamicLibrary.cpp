#include "platform/dynload/DynamicLibrary.h"

#include <dlfcn.h>
#include <mutex>
#include <utility>

namespace dynload {

namespace {

std::mutex& tableMutex()
{
    static std::mutex mutex;
    return mutex;
}

LibraryNameTable& table()
{
    static LibraryNameTable names = defaultLibraryNames();
    return names;
}

// A name that already names a shared object: a path, or a file name with ".so" in it.
bool isSharedObjectName(const QString& name)
{
    return name.contains(QLatin1Char('/')) || name.endsWith(QLatin1String(".so")) ||
           name.contains(QLatin1String(".so."));
}

// The table entry for a Windows name; false when there is none.
bool findEntry(const QString& libraryName, LibraryName& found)
{
    std::lock_guard lock(tableMutex());
    for (const LibraryName& entry : table()) {
        if (entry.windowsName.compare(libraryName, Qt::CaseInsensitive) == 0) {
            found = entry;
            return true;
        }
    }
    return false;
}

}  // namespace

LibraryNameTable defaultLibraryNames()
{
    return {
        {QStringLiteral("zlib1.dll"), QStringLiteral("libz.so.1"), {}},
        {QStringLiteral("zlib.dll"), QStringLiteral("libz.so.1"), {}},
    };
}

LibraryNameTable libraryNames()
{
    std::lock_guard lock(tableMutex());
    return table();
}

void setLibraryNames(LibraryNameTable names)
{
    std::lock_guard lock(tableMutex());
    table() = std::move(names);
}

void resetLibraryNames()
{
    setLibraryNames(defaultLibraryNames());
}

void addLibraryName(LibraryName entry)
{
    std::lock_guard lock(tableMutex());
    for (LibraryName& existing : table()) {
        if (existing.windowsName.compare(entry.windowsName, Qt::CaseInsensitive) == 0) {
            existing = std::move(entry);
            return;
        }
    }
    table().push_back(std::move(entry));
}

QString sharedObjectFor(const QString& libraryName)
{
    LibraryName entry;
    if (findEntry(libraryName, entry))
        return entry.sharedObject;
    return isSharedObjectName(libraryName) ? libraryName : QString();
}

Library::~Library()
{
    release();
}

Library::Library(Library&& other) noexcept
    : m_name(std::move(other.m_name)),
      m_handle(std::exchange(other.m_handle, nullptr)),
      m_builtin(std::exchange(other.m_builtin, false)),
      m_exports(std::move(other.m_exports))
{
}

Library& Library::operator=(Library&& other) noexcept
{
    if (this != &other) {
        release();
        m_name = std::move(other.m_name);
        m_handle = std::exchange(other.m_handle, nullptr);
        m_builtin = std::exchange(other.m_builtin, false);
        m_exports = std::move(other.m_exports);
    }
    return *this;
}

void Library::release()
{
    if (m_handle)
        dlclose(m_handle);
    m_handle = nullptr;
    m_builtin = false;
    m_exports.clear();
}

Library Library::open(const QString& libraryName)
{
    Library library;
    library.m_name = libraryName;
    LibraryName entry;
    QString file;
    if (findEntry(libraryName, entry)) {
        if (!entry.exports.empty()) {
            library.m_builtin = true;
            library.m_exports = std::move(entry.exports);
            return library;
        }
        file = entry.sharedObject;
    } else if (isSharedObjectName(libraryName)) {
        file = libraryName;
    }
    if (!file.isEmpty())
        library.m_handle = dlopen(file.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    return library;
}

void* Library::symbol(const QByteArray& functionName) const
{
    if (functionName.isEmpty())
        return nullptr;
    if (m_builtin) {
        auto found = m_exports.find(functionName);
        return found == m_exports.end() ? nullptr : found->second;
    }
    if (!m_handle)
        return nullptr;
    return dlsym(m_handle, functionName.constData());
}

bool exportsFunction(const QString& libraryName, const QString& functionName)
{
    Library library = Library::open(libraryName);
    return library.isLoaded() && library.symbol(functionName.toLatin1()) != nullptr;
}

}  // namespace dynload
