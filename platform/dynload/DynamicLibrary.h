// Loading libraries by their Windows names and looking up their exports (what LoadLibrary and
// GetProcAddress give the image library). A table maps each Windows name to the shared object
// that stands in for it; tests replace or empty the table to simulate a missing library.
#pragma once

#include <QByteArray>
#include <QString>
#include <map>
#include <vector>

namespace dynload {

// One Windows library name (compared without regard to case) and what stands in for it: a shared
// object opened with dlopen, or, when `exports` is not empty, functions of this program itself.
struct LibraryName {
    QString windowsName;
    QString sharedObject;
    std::map<QByteArray, void*> exports;
};

using LibraryNameTable = std::vector<LibraryName>;

// "zlib1.dll" and "zlib.dll" -> libz.so.1.
LibraryNameTable defaultLibraryNames();
LibraryNameTable libraryNames();
void setLibraryNames(LibraryNameTable table);
void resetLibraryNames();
// Adds or replaces one entry of the current table.
void addLibraryName(LibraryName entry);

// The shared object a library name opens: the table's entry for a Windows name; a name that is
// itself a shared object ("libc.so.6", a path) as it stands; empty for an unknown Windows name.
QString sharedObjectFor(const QString& libraryName);

// A loaded library; unloaded when the last copy of it goes.
class Library {
public:
    Library() = default;
    ~Library();
    Library(Library&& other) noexcept;
    Library& operator=(Library&& other) noexcept;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Loads a library by its Windows name (or shared-object name); not loaded when the name is
    // unknown or the shared object cannot be opened.
    static Library open(const QString& libraryName);

    bool isLoaded() const { return m_handle != nullptr || m_builtin; }
    // The name the library was opened with.
    const QString& name() const { return m_name; }
    // The address of an exported function; nullptr when the library does not export it.
    void* symbol(const QByteArray& functionName) const;

private:
    void release();

    QString m_name;
    void* m_handle = nullptr;
    bool m_builtin = false;
    std::map<QByteArray, void*> m_exports;
};

// True when the library loads and exports the function; the library is unloaded again.
bool exportsFunction(const QString& libraryName, const QString& functionName);

}  // namespace dynload
