#include "app/ExtensionMod.h"

#include "app/InitMod.h"
#include "platform/host/MessageBox.h"
#include "platform/system/RegistryCalls.h"

namespace app {
namespace {

void showRegistryError(const QString& text)
{
    host::MsgBox(text, host::vbOKOnly, ApplicationTitle);
}

// Creates or opens the key; on failure the message is shown and the invalid key 0 returned,
// so that a value write that follows fails as well.
sys::HKEY createKey(const QString& path)
{
    sys::HKEY key = 0;
    if (sys::RegCreateKeyEx(sys::HKEY_CLASSES_ROOT, path, sys::KEY_ALL_ACCESS, key) !=
        sys::ERROR_SUCCESS) {
        showRegistryError(QStringLiteral("Error: Creating Key!"));
        return 0;
    }
    return key;
}

// Writes the key's default value; false (after the message and closing the key) on failure.
bool setDefaultValue(sys::HKEY key, const QString& value)
{
    if (sys::RegSetValueEx(key, QString(), sys::REG_SZ, value) == sys::ERROR_SUCCESS)
        return true;
    showRegistryError(QStringLiteral("Error Setting String Value!"));
    sys::RegCloseKey(key);
    return false;
}

}  // namespace

QString associationOpenCommand(const QString& programPath)
{
    const QChar quote = QLatin1Char('"');
    return quote + programPath + quote + QLatin1Char(' ') + quote + QStringLiteral("%1") + quote;
}

void RegisterFileAssociation(const QString& extension, const QString& programPath,
                             QString documentClass, const QString& description,
                             const QString& iconPath)
{
    sys::HKEY key = createKey(extension);
    if (!setDefaultValue(key, documentClass))
        return;
    sys::RegCloseKey(key);

    key = createKey(documentClass);
    if (!setDefaultValue(key, description))
        return;
    sys::RegCloseKey(key);

    key = createKey(documentClass + QStringLiteral("\\DefaultIcon"));
    if (!setDefaultValue(key, iconPath))
        return;
    sys::RegCloseKey(key);

    // The class name grows level by level into the command key's name.
    for (const char* level : {"\\shell", "\\open"}) {
        documentClass += QLatin1String(level);
        sys::RegCloseKey(createKey(documentClass));
    }
    documentClass += QStringLiteral("\\command");
    key = createKey(documentClass);
    if (!setDefaultValue(key, associationOpenCommand(programPath)))
        return;
    sys::RegCloseKey(key);
}

}  // namespace app
