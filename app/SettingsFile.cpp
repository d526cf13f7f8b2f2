#include "app/SettingsFile.h"

#include "platform/system/PrivateProfile.h"

#include <QRegularExpression>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace app {
namespace {

using enum FirstRunValue;

constexpr std::array<SettingsKey, 24> KeyTable{{
    {"Directories", "INIFILE", SettingsFilePath, nullptr},
    {"Settings", "WRAP", Fixed, "1"},
    {"Settings", "SHOWRULER", Fixed, "1"},
    {"Settings", "SHOWSTATUSBAR", Fixed, "1"},
    {"Settings", "ENABLERTFSAVE", Fixed, "0"},
    {"Settings", "ENABLEAUTOLINK", Fixed, "1"},
    {"Settings", "DISABLELINKING", Fixed, "0"},
    {"Settings", "ENABLEVISUALBASIC", Fixed, "0"},
    {"Settings", "FONTNAME", Fixed, "Verdana"},
    {"Settings", "FONTSTYLE", Fixed, "Regular"},
    {"Settings", "FONTSIZE", Fixed, "11"},
    {"Settings", "FONTSTRIKETHROUGH", Fixed, "0"},
    {"Settings", "FONTUNDERLINE", Fixed, "0"},
    {"Settings", "APPWIDTH", Fixed, "11790"},
    {"Settings", "APPHEIGHT", Fixed, "9357"},
    {"Settings", "WINDOWSTATE", Fixed, "0"},
    {"Settings", "PRINTMARGIN", Fixed, "1080"},
    {"Settings", "SAVEINDEX", Fixed, "1"},
    {"Settings", "OPENINDEX", Fixed, "1"},
    {"Settings", "FONTCOLOR", Fixed, "0"},
    {"Settings", "HIGHLIGHTCOLOR", Fixed, "65535"},
    {"Settings", "ABOUTLOC", AboutTextPath, nullptr},
    {"Settings", "EXTENSIONASSOCIATION", Fixed, "1", true},
    {"Directories", "HELPFILE", HelpFilePath, nullptr},
}};

QString firstRunValue(const SettingsKey& entry, const FirstRunPaths& paths)
{
    switch (entry.source) {
        case SettingsFilePath:
            return paths.settingsFile;
        case AboutTextPath:
            return paths.aboutText;
        case HelpFilePath:
            return paths.helpFile;
        case Fixed:
            break;
    }
    return QString::fromLatin1(entry.fixedValue);
}

std::optional<double> parseDecimal(const QString& text)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString trimmed = text.trimmed();
    if (!decimal.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    // Beyond 2^53 a double no longer holds every whole number; no setting comes near that.
    constexpr double Limit = 9007199254740992.0;
    if (!ok || std::fabs(value) > Limit)
        return std::nullopt;
    return value;
}

template <class Number>
Number readNumber(const QString& section, const QString& key, const QString& path, Number fallback)
{
    const std::optional<qint64> number = parseSettingNumber(IniRead(section, key, path));
    if (!number || *number < std::numeric_limits<Number>::min() ||
        *number > std::numeric_limits<Number>::max())
        return fallback;
    return static_cast<Number>(*number);
}

}  // namespace

QString IniRead(const QString& section, const QString& key, const QString& path)
{
    QString buffer;
    const int copied =
        sys::getPrivateProfileString(section, key, QString(), buffer, path, IniBufferSize);
    return copied > 0 ? buffer.left(copied) : QString();
}

void IniWrite(const QString& section, const QString& key, const QString& value, const QString& path)
{
    sys::writePrivateProfileString(section, key, value, path);
}

std::span<const SettingsKey> settingsKeyTable()
{
    return KeyTable;
}

void writeFirstRunSettings(const FirstRunPaths& paths,
                           const std::function<void()>& registerAssociation)
{
    // The defaults go to the file in as few replacements as the association's turn allows: it
    // sees every default before its own key written, as it would one key at a time.
    std::vector<sys::ProfileValue> pending;
    for (const SettingsKey& entry : KeyTable) {
        if (entry.followsAssociation && registerAssociation) {
            sys::writePrivateProfileStrings(pending, paths.settingsFile);
            pending.clear();
            registerAssociation();
        }
        pending.push_back({QString::fromLatin1(entry.section), QString::fromLatin1(entry.key),
                           firstRunValue(entry, paths)});
    }
    sys::writePrivateProfileStrings(pending, paths.settingsFile);
}

std::optional<qint64> parseSettingNumber(const QString& text)
{
    const std::optional<double> value = parseDecimal(text);
    if (!value)
        return std::nullopt;
    return static_cast<qint64>(std::nearbyint(*value));  // default rounding: half to even
}

qint16 readSettingInt16(const QString& section, const QString& key, const QString& path,
                        qint16 fallback)
{
    return readNumber<qint16>(section, key, path, fallback);
}

qint32 readSettingInt32(const QString& section, const QString& key, const QString& path,
                        qint32 fallback)
{
    return readNumber<qint32>(section, key, path, fallback);
}

bool readSettingBool(const QString& section, const QString& key, const QString& path, bool fallback)
{
    const QString text = IniRead(section, key, path).trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> number = parseDecimal(text);
    return number ? *number != 0.0 : fallback;
}

WindowGeometry readWindowGeometry(const QString& path)
{
    WindowGeometry geometry;
    const qint32 width = readSettingInt32(SettingsSection, QStringLiteral("APPWIDTH"), path, 0);
    const qint32 height = readSettingInt32(SettingsSection, QStringLiteral("APPHEIGHT"), path, 0);
    const qint16 state = readSettingInt16(SettingsSection, QStringLiteral("WINDOWSTATE"), path, 0);
    if (width > 0)
        geometry.width = width;
    if (height > 0)
        geometry.height = height;
    if (state >= 0 && state <= 2)
        geometry.windowState = state;
    return geometry;
}

}  // namespace app
