#include "platform/host/PropertySchema.h"

#include "platform/host/PictureProperty.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"

#include <cmath>
#include <limits>

namespace host {
namespace {

[[noreturn]] void typeMismatch()
{
    vb::raiseError(vb::ErrTypeMismatch);
}

bool isText(const QVariant& value)
{
    return value.typeId() == QMetaType::QString;
}

// Objects (fonts, pictures) are no numbers and no text.
bool isObject(const QVariant& value)
{
    switch (value.typeId()) {
        case QMetaType::QFont:
        case QMetaType::QByteArray:
        case QMetaType::QImage:
            return true;
        default:
            return false;
    }
}

double number(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? -1.0 : 0.0;
    if (isObject(value))
        typeMismatch();
    bool ok = false;
    const double result = value.toDouble(&ok);
    if (!ok)
        typeMismatch();
    return result;
}

bool boolean(const QVariant& value)
{
    if (isText(value)) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return number(value) != 0.0;
}

float single(const QVariant& value)
{
    const double result = number(value);
    if (!std::isfinite(result) || std::fabs(result) > std::numeric_limits<float>::max())
        vb::raiseError(vb::ErrOverflow);
    return static_cast<float>(result);
}

QString text(const QVariant& value)
{
    if (isObject(value))
        typeMismatch();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

QImage picture(const QVariant& value)
{
    if (value.typeId() == QMetaType::QImage)
        return value.value<QImage>();
    if (value.typeId() != QMetaType::QByteArray)
        typeMismatch();
    // Bytes that hold no picture read as none.
    return pictureFromProperty(value);
}

}  // namespace

QVariant convertProperty(const QVariant& value, PropertyType type)
{
    if (!value.isValid())
        return {};
    switch (type) {
        case PropertyType::Boolean:
            return QVariant(boolean(value));
        case PropertyType::Integer:
            return QVariant::fromValue(static_cast<short>(vb::CInt(number(value))));
        case PropertyType::Long:
            return QVariant(static_cast<int>(vb::CLng(number(value))));
        case PropertyType::Single:
            return QVariant(single(value));
        case PropertyType::String:
            return QVariant(text(value));
        case PropertyType::Font:
            if (value.typeId() != QMetaType::QFont)
                typeMismatch();
            return value;
        case PropertyType::Picture:
            return QVariant(picture(value));
    }
    return {};
}

QVariant readProperty(const PropertyBag& bag, const QString& key, PropertyType type,
                      const QVariant& defaultValue)
{
    return convertProperty(bag.ReadProperty(key, defaultValue), type);
}

void writeProperty(PropertyBag& bag, const QString& key, PropertyType type, const QVariant& value,
                   const QVariant& defaultValue)
{
    if (!value.isValid())
        return;
    if (type == PropertyType::Picture) {
        const QImage image = convertProperty(value, type).value<QImage>();
        if (image.isNull())
            bag.WriteProperty(key, QByteArray(), QByteArray());
        else
            bag.WriteProperty(key, pictureProperty(image));
        return;
    }
    bag.WriteProperty(key, convertProperty(value, type), convertProperty(defaultValue, type));
}

}  // namespace host
