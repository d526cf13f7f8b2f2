// An association store in a temporary folder, installed as the process-wide store for the
// lifetime of a test; it mirrors nothing to the desktop. Failure injection and the test
// helpers below come on top of the real store's behaviour.
#pragma once

#include "platform/system/RegistryCalls.h"
#include "tests/support/ScopedService.h"
#include "tests/support/TempFolder.h"

#include <optional>

namespace testsupport {

struct FakeRegistryFolder {
    TempFolder folder;
};

class FakeRegistry : private FakeRegistryFolder, public sys::RegistryStore {
public:
    FakeRegistry()
        : sys::RegistryStore(folder.filePath(QStringLiteral("registry.json"))),
          m_scope(sys::registryService(), *this)
    {
    }

    bool hasKey(const QString& path)
    {
        sys::HKEY key = 0;
        if (openKey(sys::HKEY_CLASSES_ROOT, path, sys::KEY_READ, key) != sys::ERROR_SUCCESS)
            return false;
        closeKey(key);
        return true;
    }

    // A named (or, with an empty name, the default) value of a key under the classes root.
    std::optional<QString> value(const QString& path, const QString& name = {})
    {
        sys::HKEY key = 0;
        if (openKey(sys::HKEY_CLASSES_ROOT, path, sys::KEY_READ, key) != sys::ERROR_SUCCESS)
            return std::nullopt;
        QString data;
        quint32 size = 1u << 20;
        const long result = queryValue(key, name, nullptr, &data, &size);
        closeKey(key);
        return result == sys::ERROR_SUCCESS ? std::optional<QString>(data) : std::nullopt;
    }

private:
    ScopedService<sys::RegistryStore> m_scope;
};

}  // namespace testsupport
