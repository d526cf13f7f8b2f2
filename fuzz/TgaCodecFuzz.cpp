// Feeds arbitrary bytes to the image library's TGA reader: it answers true exactly when the
// host holds an image, and never allocates more pixels than the data can describe.
#include "fuzz/FuzzTarget.h"
#include "image/codecs/cTGAparser.h"
#include "image/core/c32bppDIB.h"

#include <QByteArray>

int fuzzOne(std::span<const uint8_t> data)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    XrImage::c32bppDIB host;
    XrImage::cTGAparser reader;
    const bool loaded = reader.LoadStream(bytes, &host, 0, std::int32_t(bytes.size()));
    fuzz::require(loaded == (host.Handle() != 0), "the answer says whether an image was made");
    if (loaded)
        fuzz::require(std::uint64_t(host.Width()) * std::uint64_t(host.Height()) <=
                          std::uint64_t(bytes.size()) * 128,
                      "no more pixels than the data describes");
    return 0;
}
