// The property bag a control saves its settings into and reads them back from: named values in
// the order of their first write, with a serialised form the host stores.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace host {

// Values are bool, 16-bit integer (short), 32-bit integer (int), float, QString, QFont or
// QByteArray (picture bytes). Names compare without regard to case.
class PropertyBag {
public:
    // Stores the value under the name, or removes the name when the value equals the default
    // (a reader supplies that same default), as the platform's bag omits default values. An
    // invalid default means "no default": the value is always stored. Numbers compare by value
    // whatever their width (a Boolean True counts as -1). Returns false, storing nothing, for
    // an empty name or a value of a type the bag cannot hold.
    bool WriteProperty(const QString& name, const QVariant& value,
                       const QVariant& defaultValue = QVariant());

    // The stored value with its stored type, or the default when the name is absent.
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = QVariant()) const;

    bool contains(const QString& name) const;
    // The stored names, each spelt as at its first write, in the order of first write.
    QStringList names() const;
    int count() const { return static_cast<int>(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    void clear() { m_entries.clear(); }

    // The versioned binary form the host keeps, and the bag made back from it. Malformed or
    // truncated input (or a newer version) gives an empty bag with `ok` set to false.
    QByteArray toBytes() const;
    static PropertyBag fromBytes(const QByteArray& bytes, bool* ok = nullptr);

    // Whether the bag can hold a value of this type.
    static bool isStorable(const QVariant& value);

private:
    struct Entry {
        QString name;
        QVariant value;
    };

    std::vector<Entry>::iterator find(const QString& name);
    std::vector<Entry>::const_iterator find(const QString& name) const;

    std::vector<Entry> m_entries;
};

}  // namespace host
