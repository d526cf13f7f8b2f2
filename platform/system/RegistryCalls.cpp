#include "platform/system/RegistryCalls.h"

#include "platform/system/DesktopRegistration.h"
#include "platform/system/SpecialFolders.h"

namespace sys {
namespace {

// On this platform the application-data folder is the desktop's per-user data folder
// ($XDG_DATA_HOME), so the store and the desktop files it mirrors into share one root. Both are
// looked up at each use, so a test that redirects the folder redirects both.
std::unique_ptr<RegistryStore> makeRealRegistry()
{
    auto store = std::make_unique<RegistryStore>(std::function<QString()>(
        [] { return applicationDataFolder() + QStringLiteral("/scrivet/registry.json"); }));
    store->setChangeListener(desktopMirrorChanged);
    return store;
}

}  // namespace

host::ServiceSlot<RegistryStore>& registryService()
{
    static host::ServiceSlot<RegistryStore> slot(makeRealRegistry);
    return slot;
}

long RegCreateKeyEx(HKEY key, const QString& subKey, quint32 access, HKEY& result,
                    quint32* disposition)
{
    return registryService().get().createKey(key, subKey, access, result, disposition);
}

long RegOpenKeyEx(HKEY key, const QString& subKey, quint32 access, HKEY& result)
{
    return registryService().get().openKey(key, subKey, access, result);
}

long RegSetValueEx(HKEY key, const QString& valueName, quint32 type, const QString& data)
{
    return registryService().get().setValue(key, valueName, type, data);
}

long RegQueryValueEx(HKEY key, const QString& valueName, quint32* type, QString* data,
                     quint32* size)
{
    return registryService().get().queryValue(key, valueName, type, data, size);
}

long RegCloseKey(HKEY key)
{
    return registryService().get().closeKey(key);
}

long RegDeleteKey(HKEY key, const QString& subKey)
{
    return registryService().get().deleteKey(key, subKey);
}

long RegDeleteValue(HKEY key, const QString& valueName)
{
    return registryService().get().deleteValue(key, valueName);
}

}  // namespace sys
