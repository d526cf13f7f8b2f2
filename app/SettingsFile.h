// The program's settings file: one INI file read and written value by value (nothing is
// cached), its key table with the first-run values, and typed readers for the windows.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>
#include <span>

namespace app {

inline const QString SettingsFileName = QStringLiteral("wexmoor_app.ini");
inline const QString SettingsSection = QStringLiteral("Settings");
inline const QString DirectoriesSection = QStringLiteral("Directories");

// Characters of the reader's buffer, its terminating NUL included: a value reads cut to one
// character less.
constexpr int IniBufferSize = 65536;

// The value of the key; empty when the file, the section or the key is missing, or the value
// is empty.
QString IniRead(const QString& section, const QString& key, const QString& path);

// Stores the value, creating the file, section and key as needed. Nothing is reported: a file
// that cannot be written loses the change.
void IniWrite(const QString& section, const QString& key, const QString& value,
              const QString& path);

// Where a key's first-run value comes from.
enum class FirstRunValue { Fixed, SettingsFilePath, AboutTextPath, HelpFilePath };

struct SettingsKey {
    const char* section;
    const char* key;
    FirstRunValue source;
    const char* fixedValue;  // the value when `source` is Fixed
    // The key records that the document association was registered, so the registration
    // comes just before it.
    bool followsAssociation = false;
};

// Every key of the settings file, in the order the first run writes them.
std::span<const SettingsKey> settingsKeyTable();

struct FirstRunPaths {
    QString settingsFile;
    QString aboutText;
    QString helpFile;
};

// Writes every key of the table with its first-run value into paths.settingsFile, in the
// table's order, calling `registerAssociation` (when given) at its place in that order.
void writeFirstRunSettings(const FirstRunPaths& paths,
                           const std::function<void()>& registerAssociation = {});

// Typed readers: whole numbers are decimal digits with an optional sign (a fraction is
// rounded half to even); Booleans are "True"/"False" in any case or a number (non-zero is
// true). Empty or malformed text, and a number outside the type's range, give `fallback`.
qint16 readSettingInt16(const QString& section, const QString& key, const QString& path,
                        qint16 fallback = 0);
qint32 readSettingInt32(const QString& section, const QString& key, const QString& path,
                        qint32 fallback = 0);
bool readSettingBool(const QString& section, const QString& key, const QString& path,
                     bool fallback = false);

constexpr qint32 DefaultAppWidth = 11790;  // twips
constexpr qint32 DefaultAppHeight = 9357;  // twips

// The main window's geometry stored at close: width and height in twips, state 0 normal,
// 1 minimised, 2 maximised.
struct WindowGeometry {
    qint32 width = DefaultAppWidth;
    qint32 height = DefaultAppHeight;
    qint16 windowState = 0;
};

// [Settings] APPWIDTH, APPHEIGHT and WINDOWSTATE. Sizes are read as 32-bit numbers, since a
// window on a large screen is wider than 32,767 twips; a size that is empty, malformed or not
// positive gives the default, an unknown state gives 0.
WindowGeometry readWindowGeometry(const QString& path);

// The whole number a setting's text holds, if any (see the typed readers).
std::optional<qint64> parseSettingNumber(const QString& text);

}  // namespace app
