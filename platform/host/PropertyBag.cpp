#include "platform/host/PropertyBag.h"

#include <QFont>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace host {
namespace {

// Serialised form, all numbers little-endian:
//   "SVPB", version (u16), entry count (u32), then per entry:
//   name (u32 length in UTF-16 units, UTF-16 units), type tag (u8), payload.
// Payloads: bool u8 (0/1); short i16; int i32; float IEEE-754 bits u32; string as a name;
// font as two strings (family, QFont description); bytes u32 count + the bytes.
constexpr char kMagic[4] = {'S', 'V', 'P', 'B'};
constexpr quint16 kVersion = 1;

enum Tag : quint8 {
    TagBool = 1,
    TagShort = 2,
    TagInt = 3,
    TagFloat = 4,
    TagString = 5,
    TagFont = 6,
    TagBytes = 7,
};

bool isNumeric(const QVariant& value)
{
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Float:
        case QMetaType::Double:
            return true;
        default:
            return false;
    }
}

// Booleans take the platform's numeric value: True is -1.
double numericValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? -1.0 : 0.0;
    return value.toDouble();
}

bool sameValue(const QVariant& value, const QVariant& defaultValue)
{
    if (!defaultValue.isValid())
        return false;
    if (isNumeric(value) && isNumeric(defaultValue))
        return numericValue(value) == numericValue(defaultValue);
    if (value.typeId() != defaultValue.typeId())
        return false;
    return value == defaultValue;
}

class Writer {
public:
    void u8(quint8 v) { m_out.append(static_cast<char>(v)); }
    void u16(quint16 v) { appendLittle(v); }
    void u32(quint32 v) { appendLittle(v); }
    void text(const QString& s)
    {
        u32(static_cast<quint32>(s.size()));
        for (const QChar ch : s)
            u16(ch.unicode());
    }
    void block(const QByteArray& bytes)
    {
        u32(static_cast<quint32>(bytes.size()));
        m_out.append(bytes);
    }
    void raw(const char* data, qsizetype size) { m_out.append(data, size); }
    QByteArray result() const { return m_out; }

private:
    template <class T>
    void appendLittle(T v)
    {
        char buffer[sizeof(T)];
        qToLittleEndian(v, buffer);
        m_out.append(buffer, sizeof(T));
    }
    QByteArray m_out;
};

// Reads with every length checked against what is left; the first failure sticks.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos == m_bytes.size(); }

    bool expect(const char* data, qsizetype size)
    {
        if (!need(size) || std::memcmp(m_bytes.constData() + m_pos, data, size) != 0)
            return fail();
        m_pos += size;
        return true;
    }
    quint8 u8() { return need(1) ? static_cast<quint8>(m_bytes.at(m_pos++)) : 0; }
    quint16 u16() { return little<quint16>(); }
    quint32 u32() { return little<quint32>(); }

    QString text()
    {
        const quint32 units = u32();
        if (!m_ok || units > static_cast<quint64>(remaining()) / 2) {
            fail();
            return {};
        }
        QString s(static_cast<qsizetype>(units), Qt::Uninitialized);
        for (quint32 i = 0; i < units; ++i)
            s[i] = QChar(u16());
        return s;
    }

    QByteArray block()
    {
        const quint32 size = u32();
        if (!m_ok || size > static_cast<quint64>(remaining())) {
            fail();
            return {};
        }
        QByteArray out = m_bytes.mid(m_pos, size);
        m_pos += size;
        return out;
    }

    bool fail()
    {
        m_ok = false;
        return false;
    }

private:
    qsizetype remaining() const { return m_bytes.size() - m_pos; }
    bool need(qsizetype size)
    {
        if (m_ok && remaining() >= size)
            return true;
        return fail();
    }
    template <class T>
    T little()
    {
        if (!need(sizeof(T)))
            return 0;
        const T v = qFromLittleEndian<T>(m_bytes.constData() + m_pos);
        m_pos += sizeof(T);
        return v;
    }

    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

// A font is kept as its family and Qt's own text description. The family goes apart because
// the description is comma-separated and a family name may hold a comma.
void writeFont(Writer& out, const QFont& font)
{
    out.text(font.family());
    out.text(font.toString());
}

// QFont::toString() writes at least this many fields; fewer is not a stored font.
constexpr qsizetype kMinFontFields = 10;

QVariant readFont(Reader& in)
{
    const QString family = in.text();
    const QString description = in.text();
    QFont font;
    if (!in.ok() || description.count(QLatin1Char(',')) + 1 < kMinFontFields ||
        !font.fromString(description))
        return {};
    font.setFamily(family);
    return font;
}

void writeValue(Writer& out, const QVariant& value)
{
    switch (value.typeId()) {
        case QMetaType::Bool:
            out.u8(TagBool);
            out.u8(value.toBool() ? 1 : 0);
            break;
        case QMetaType::Short:
            out.u8(TagShort);
            out.u16(static_cast<quint16>(value.value<short>()));
            break;
        case QMetaType::Int:
            out.u8(TagInt);
            out.u32(static_cast<quint32>(value.toInt()));
            break;
        case QMetaType::Float: {
            const float f = value.toFloat();
            quint32 bits = 0;
            std::memcpy(&bits, &f, sizeof bits);
            out.u8(TagFloat);
            out.u32(bits);
            break;
        }
        case QMetaType::QString:
            out.u8(TagString);
            out.text(value.toString());
            break;
        case QMetaType::QFont:
            out.u8(TagFont);
            writeFont(out, value.value<QFont>());
            break;
        case QMetaType::QByteArray:
            out.u8(TagBytes);
            out.block(value.toByteArray());
            break;
        default:
            break;  // not storable: WriteProperty refuses such values
    }
}

// An invalid QVariant when the tag or payload is malformed.
QVariant readValue(Reader& in)
{
    switch (in.u8()) {
        case TagBool: {
            const quint8 flag = in.u8();
            if (flag > 1)
                return {};
            return QVariant(flag == 1);
        }
        case TagShort:
            return QVariant::fromValue(static_cast<short>(in.u16()));
        case TagInt:
            return QVariant(static_cast<int>(in.u32()));
        case TagFloat: {
            const quint32 bits = in.u32();
            float f = 0;
            std::memcpy(&f, &bits, sizeof f);
            return QVariant(f);
        }
        case TagString:
            return QVariant(in.text());
        case TagFont:
            return readFont(in);
        case TagBytes:
            return QVariant(in.block());
        default:
            return {};
    }
}

}  // namespace

bool PropertyBag::isStorable(const QVariant& value)
{
    switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Short:
        case QMetaType::Int:
        case QMetaType::Float:
        case QMetaType::QString:
        case QMetaType::QFont:
        case QMetaType::QByteArray:
            return true;
        default:
            return false;
    }
}

std::vector<PropertyBag::Entry>::iterator PropertyBag::find(const QString& name)
{
    return std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

std::vector<PropertyBag::Entry>::const_iterator PropertyBag::find(const QString& name) const
{
    return std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return entry.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

bool PropertyBag::WriteProperty(const QString& name, const QVariant& value,
                                const QVariant& defaultValue)
{
    if (name.isEmpty() || !isStorable(value))
        return false;
    const auto it = find(name);
    if (sameValue(value, defaultValue)) {
        // An earlier value under the name must not outlive a write of the default.
        if (it != m_entries.end())
            m_entries.erase(it);
        return true;
    }
    if (it != m_entries.end())
        it->value = value;
    else
        m_entries.push_back({name, value});
    return true;
}

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    const auto it = find(name);
    return it != m_entries.end() ? it->value : defaultValue;
}

bool PropertyBag::contains(const QString& name) const
{
    return find(name) != m_entries.end();
}

QStringList PropertyBag::names() const
{
    QStringList result;
    for (const Entry& entry : m_entries)
        result.append(entry.name);
    return result;
}

QByteArray PropertyBag::toBytes() const
{
    Writer out;
    out.raw(kMagic, sizeof kMagic);
    out.u16(kVersion);
    out.u32(static_cast<quint32>(m_entries.size()));
    for (const Entry& entry : m_entries) {
        out.text(entry.name);
        writeValue(out, entry.value);
    }
    return out.result();
}

PropertyBag PropertyBag::fromBytes(const QByteArray& bytes, bool* ok)
{
    if (ok)
        *ok = false;
    Reader in(bytes);
    if (!in.expect(kMagic, sizeof kMagic) || in.u16() != kVersion)
        return {};
    const quint32 count = in.u32();
    PropertyBag bag;
    for (quint32 i = 0; i < count && in.ok(); ++i) {
        const QString name = in.text();
        const QVariant value = readValue(in);
        if (!in.ok() || name.isEmpty() || !value.isValid() || bag.contains(name))
            return {};
        bag.m_entries.push_back({name, value});
    }
    if (!in.ok() || !in.atEnd())
        return {};
    if (ok)
        *ok = true;
    return bag;
}

}  // namespace host
