// The property bag the progress bar saves itself into and restores itself from: named values
// in the order written, each with a default that is not stored. A shared property bag of the
// hosting layer is to take its place.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

namespace XrSpecStatusBar {

class PropertyBag {
public:
    // The stored value, or the default when the key was not written. Keys are compared
    // without regard to case.
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = {}) const;
    // Stores the value unless it equals the default; no default means it is always stored.
    // Writing a key again replaces its value in place.
    void WriteProperty(const QString& name, const QVariant& value,
                       const std::optional<QVariant>& defaultValue = std::nullopt);

    bool contains(const QString& name) const;
    // The stored keys in the order they were first written.
    QStringList keys() const;

private:
    std::vector<std::pair<QString, QVariant>>::const_iterator find(const QString& name) const;

    std::vector<std::pair<QString, QVariant>> m_entries;
};

}  // namespace XrSpecStatusBar
