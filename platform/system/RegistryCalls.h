// The registry calls the system's code makes, on one process-wide association store that tests
// can replace (tests/support/FakeRegistry.h).
#pragma once

#include "platform/host/ServiceSlot.h"
#include "platform/system/RegistryStore.h"

namespace sys {

// The process-wide store: by default "registry.json" in the "scrivet" folder of the
// application-data folder, mirrored into the desktop's file associations after each change.
host::ServiceSlot<RegistryStore>& registryService();

// Each call forwards to the same member of the process-wide store.
long RegCreateKeyEx(HKEY key, const QString& subKey, quint32 access, HKEY& result,
                    quint32* disposition = nullptr);
long RegOpenKeyEx(HKEY key, const QString& subKey, quint32 access, HKEY& result);
long RegSetValueEx(HKEY key, const QString& valueName, quint32 type, const QString& data);
long RegQueryValueEx(HKEY key, const QString& valueName, quint32* type, QString* data,
                     quint32* size);
long RegCloseKey(HKEY key);
long RegDeleteKey(HKEY key, const QString& subKey);
long RegDeleteValue(HKEY key, const QString& valueName);

}  // namespace sys
