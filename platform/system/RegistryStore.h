// The association store: the classes-root subset of the registry that the program writes its
// document-type association into, kept in one JSON file.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>

namespace sys {

// An open key, or one of the predefined roots; 0 is no key.
using HKEY = quintptr;

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;

// Result codes of the registry calls.
enum RegistryResult : long {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_BAD_PATHNAME = 161,
    ERROR_MORE_DATA = 234,
    ERROR_KEY_DELETED = 1018,
};

// Access rights asked for when a key is opened or created.
enum RegistryAccess : quint32 {
    KEY_QUERY_VALUE = 0x0001,
    KEY_SET_VALUE = 0x0002,
    KEY_CREATE_SUB_KEY = 0x0004,
    KEY_ENUMERATE_SUB_KEYS = 0x0008,
    KEY_READ = 0x20019,
    KEY_WRITE = 0x20006,
    KEY_ALL_ACCESS = 0xF003F,
};

enum RegistryValueType : quint32 {
    REG_NONE = 0,
    REG_SZ = 1,
};

// What RegCreateKeyEx did.
enum RegistryDisposition : quint32 {
    REG_CREATED_NEW_KEY = 1,
    REG_OPENED_EXISTING_KEY = 2,
};

class RegistryStore {
public:
    // Called after a handle through which something changed is closed.
    using ChangeListener = std::function<void(RegistryStore&)>;

    // The store lives in `filePath`; the file and its folder are made on the first change.
    explicit RegistryStore(QString filePath);
    // The store's file is asked for anew at each call, so it follows a folder that moves.
    explicit RegistryStore(std::function<QString()> filePathSource);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    QString filePath() const { return m_filePathSource ? m_filePathSource() : m_filePath; }

    // Key names are compared without regard to case; "\" separates their levels. An empty
    // sub-key opens the parent key itself.
    long createKey(HKEY parent, const QString& subKey, quint32 access, HKEY& result,
                   quint32* disposition = nullptr);
    long openKey(HKEY parent, const QString& subKey, quint32 access, HKEY& result);
    long closeKey(HKEY key);
    // Deletes a key that has no sub-keys (else ERROR_ACCESS_DENIED).
    long deleteKey(HKEY parent, const QString& subKey);

    // An empty name is the key's default value. Only text values (REG_SZ) are kept.
    long setValue(HKEY key, const QString& name, quint32 type, const QString& data);
    // `size` is counted in characters including a terminating NUL. With `data` null only the
    // size is reported; when `*size` is too small for the value, ERROR_MORE_DATA is returned,
    // `*size` tells what is needed and `data` is left as it was.
    long queryValue(HKEY key, const QString& name, quint32* type, QString* data, quint32* size);
    long deleteValue(HKEY key, const QString& name);

    // The names of the sub-keys of an open key (for the desktop mirror), in stored case.
    QStringList subKeyNames(HKEY key);

    // Failure injection: the store refuses key creation or value writes as a store without
    // write rights does (ERROR_ACCESS_DENIED).
    void setRefuseCreate(bool refuse) { m_refuseCreate = refuse; }
    void setRefuseSetValue(bool refuse) { m_refuseSetValue = refuse; }

    void setChangeListener(ChangeListener listener) { m_listener = std::move(listener); }

private:
    struct Value {
        QString name;
        quint32 type = REG_SZ;
        QString data;
    };
    struct Key {
        QString path;                     // in the case it was created with
        std::map<QString, Value> values;  // by case-folded name
    };
    using Tree = std::map<QString, Key>;  // by case-folded path; the root is ""
    struct Handle {
        QString path;  // case-folded
        quint32 access = 0;
        bool changed = false;
    };

    struct Resolved {
        long result = ERROR_SUCCESS;
        QString foldedPath;
        QString path;
    };

    Tree load() const;
    bool save(const Tree& tree) const;
    Resolved resolve(const Tree& tree, HKEY parent, const QString& subKey) const;
    Handle* handleOf(HKEY key);
    HKEY newHandle(const QString& foldedPath, quint32 access);
    long checkKey(const Tree& tree, HKEY key, quint32 needed, Handle*& handle);

    QString m_filePath;
    std::function<QString()> m_filePathSource;
    std::map<HKEY, Handle> m_handles;
    HKEY m_nextHandle = 0x100;
    bool m_refuseCreate = false;
    bool m_refuseSetValue = false;
    ChangeListener m_listener;
};

}  // namespace sys
