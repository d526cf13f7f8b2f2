// A control's persisted properties as one table: each row names its bag key, the type it is
// stored as, its default, how the control's value is read and put back, and what a write of
// the property does besides storing. Reading, writing and first placement all walk the table,
// and property writes look up their effects in it, so a key and its default are stated once.
#pragma once

#include "platform/host/PropertyBag.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <vector>

namespace host {

// The stored type of a property. Values travel as bool, short (Integer), int (Long), float
// (Single), QString, QFont or QImage (Picture); the bag keeps a picture as its bytes.
enum class PropertyType { Boolean, Integer, Long, Single, String, Font, Picture };

// What a property write does besides storing. Controls number their own effects from
// FirstOwnEffect on.
enum PropertyEffect : unsigned {
    NoEffect = 0,
    // The host's property-changed notification with the property's key.
    NotifyHost = 1u << 0,
    Redraw = 1u << 1,
    FirstOwnEffect = 1u << 8,
};

// A value as the given type, converted as the platform converts: any number or numeric text
// becomes a number, "True"/"False" a Boolean, numbers and Booleans text. A value that cannot
// become the type raises error 13 (Type mismatch); a number outside the type's range raises
// error 6 (Overflow); whole numbers round halves to even. An invalid value stays invalid.
QVariant convertProperty(const QVariant& value, PropertyType type);

// The stored value of `key` as `type`, or the default when the key is absent (an invalid
// QVariant for an absent key without default). Errors as convertProperty.
QVariant readProperty(const PropertyBag& bag, const QString& key, PropertyType type,
                      const QVariant& defaultValue);

// Stores `value` as `type`, leaving it out when it equals the default. An invalid value has no
// stored form and writes nothing; a null picture removes the key.
void writeProperty(PropertyBag& bag, const QString& key, PropertyType type, const QVariant& value,
                   const QVariant& defaultValue);

// A member's value in its stored form, and a stored value put back into a member's type (a
// Long colour keeps its bits).
template <class T>
QVariant toStored(PropertyType type, const T& value)
{
    if constexpr (std::is_arithmetic_v<T> || std::is_enum_v<T>) {
        switch (type) {
            case PropertyType::Boolean:
                return QVariant(value != T{});
            case PropertyType::Integer:
                return QVariant::fromValue(static_cast<short>(value));
            case PropertyType::Single:
                return QVariant(static_cast<float>(value));
            default:
                return QVariant(static_cast<std::int32_t>(value));
        }
    } else {
        return QVariant::fromValue(value);
    }
}

template <class T>
T fromStored(const QVariant& value)
{
    if constexpr (std::is_same_v<T, bool>)
        return value.toBool();
    else if constexpr (std::is_floating_point_v<T>)
        return static_cast<T>(value.toDouble());
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return static_cast<T>(value.toLongLong());
    else
        return value.value<T>();
}

template <class Control>
struct PropertyRow {
    using Value = std::function<QVariant(const Control&)>;
    using Put = std::function<void(Control&, const QVariant&)>;

    // How first placement treats the property.
    enum class Placement {
        Default,  // takes the default
        Own,      // takes `placed`
        Kept,     // keeps what the control has
    };

    // A default or first value that is the same for every control.
    static Value constant(const QVariant& value)
    {
        return [value](const Control&) { return value; };
    }

    const char* key;
    PropertyType type;
    // The value of an absent key; none (an empty function or an invalid value) means the
    // property is always written and an absent key leaves the control's value alone.
    Value defaultValue = {};
    // The control's value in the stored form, and a read value put back where it belongs.
    Value get;
    Put put;
    unsigned effects = NoEffect;
    Placement placement = Placement::Default;
    Value placed = {};
};

template <class Control>
class PropertySchema {
public:
    using Row = PropertyRow<Control>;

    // The rows in the order the bag is written; `readOrder` lists the keys in the order they
    // are read when that differs (empty: the same order).
    PropertySchema(std::initializer_list<Row> rows,
                   std::initializer_list<const char*> readOrder = {})
        : m_rows(rows)
    {
        for (const char* key : readOrder)
            m_readOrder.push_back(indexOf(QLatin1String(key)));
        if (m_readOrder.empty())
            for (size_t index = 0; index < m_rows.size(); ++index)
                m_readOrder.push_back(index);
    }

    // Every key, read in the reading order and put where it belongs.
    void read(Control& control, const PropertyBag& bag) const
    {
        for (const size_t index : m_readOrder) {
            const Row& entry = m_rows[index];
            const QVariant value = readProperty(bag, QString::fromLatin1(entry.key), entry.type,
                                                defaultOf(entry, control));
            if (value.isValid())
                entry.put(control, value);
        }
    }

    void write(const Control& control, PropertyBag& bag) const
    {
        for (const Row& entry : m_rows)
            writeProperty(bag, QString::fromLatin1(entry.key), entry.type, entry.get(control),
                          defaultOf(entry, control));
    }

    // First placement: each property its default or its own first value.
    void place(Control& control) const
    {
        for (const Row& entry : m_rows) {
            QVariant value;
            if (entry.placement == Row::Placement::Default)
                value = defaultOf(entry, control);
            else if (entry.placement == Row::Placement::Own)
                value = entry.placed(control);
            if (value.isValid())
                entry.put(control, convertProperty(value, entry.type));
        }
    }

    // The row of a key; a key the table lacks is a fault of the control's code.
    const Row& row(QLatin1String key) const { return m_rows[indexOf(key)]; }

private:
    size_t indexOf(QLatin1String key) const
    {
        for (size_t index = 0; index < m_rows.size(); ++index)
            if (key == QLatin1String(m_rows[index].key))
                return index;
        qFatal("No persisted property \"%s\"", key.data());
        std::abort();
    }

    static QVariant defaultOf(const Row& entry, const Control& control)
    {
        return entry.defaultValue ? entry.defaultValue(control) : QVariant();
    }

    std::vector<Row> m_rows;
    std::vector<size_t> m_readOrder;
};

}  // namespace host
