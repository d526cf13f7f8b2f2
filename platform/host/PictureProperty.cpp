#include "platform/host/PictureProperty.h"

#include <QBuffer>
#include <QByteArray>

namespace host {

QVariant pictureProperty(const QImage& picture)
{
    if (picture.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return {};
    return bytes;
}

QImage pictureFromProperty(const QVariant& value)
{
    if (value.typeId() != QMetaType::QByteArray)
        return {};
    QImage picture;
    picture.loadFromData(value.toByteArray(), "PNG");
    return picture;
}

}  // namespace host
