#include "controls/frame/PropertyBag.h"

#include <algorithm>

namespace XrFrame {

std::vector<PropertyBag::Entry>::const_iterator PropertyBag::find(const QString& name) const
{
    return std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    const auto found = find(name);
    return found == m_entries.end() ? defaultValue : found->second;
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value,
                                const std::optional<QVariant>& defaultValue)
{
    if (defaultValue && value == *defaultValue)
        return;
    const auto found = find(name);
    if (found == m_entries.end()) {
        m_entries.emplace_back(name, value);
        return;
    }
    m_entries[std::size_t(found - m_entries.begin())].second = value;
}

bool PropertyBag::contains(const QString& name) const
{
    return find(name) != m_entries.end();
}

QStringList PropertyBag::keys() const
{
    QStringList names;
    for (const Entry& entry : m_entries)
        names.append(entry.first);
    return names;
}

}  // namespace XrFrame
