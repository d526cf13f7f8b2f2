// Feeds arbitrary bytes to the inline-picture decoder as a packed bitmap, the kind it parses
// itself, and checks that whatever it decodes stays inside the decode limits.
#include "fuzz/FuzzTarget.h"
#include "platform/bytes/DecodeLimits.h"
#include "platform/richedit/picture/PictureDecoding.h"

#include <QImage>

int fuzzOne(std::span<const uint8_t> data)
{
    const QByteArray input(reinterpret_cast<const char*>(data.data()),
                           static_cast<qsizetype>(data.size()));
    const QImage image = richedit::decodePicture(input, richedit::PictureKind::Dib);
    if (!image.isNull()) {
        const auto limits = bytes::DecodeLimits::standard();
        fuzz::require(bytes::checkImageSize(limits, image.width(), image.height(), 4).ok(),
                      "a decoded bitmap is within the limits");
    }
    return 0;
}
