// Pictures in a property bag: the bag holds a picture as its PNG bytes, which keep every pixel
// and the alpha channel.
#pragma once

#include <QImage>
#include <QVariant>

namespace host {

// The bag value of a picture; an invalid QVariant (nothing to write) for a null picture.
QVariant pictureProperty(const QImage& picture);

// The picture a bag value holds; a null image for anything but decodable picture bytes.
QImage pictureFromProperty(const QVariant& value);

}  // namespace host
