// Pictures in the layout: the size a picture takes on the page and its decoded image.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <memory>

namespace richedit {

// Largest picture side the layout accepts (twips, about 2,900 inches); keeps sums of line
// heights far from overflowing.
constexpr int32_t MaxPictureSideTw = 1 << 22;

// The size the picture takes on the page in twips: its goal size (without one, the pixel size
// at 15 twips a pixel) less its crops.
QSize pictureSizeTw(const Picture& picture);

// Where the whole picture lies against the top left of the part the page shows, in twips:
// crops move it up and left and make it larger than that part, negative crops smaller.
QRect pictureWholeTw(const Picture& picture);

// The picture's image, decoded on first use and kept in the layout's picture cache while the
// picture lives. A null image when the bytes cannot be decoded; a failed picture is not tried
// again while it lives.
const QImage& pictureImage(const std::shared_ptr<const Picture>& picture);

}  // namespace richedit
