#include "platform/richedit/layout/LayoutPictures.h"

#include "platform/richedit/picture/PictureDecoding.h"

#include <algorithm>
#include <unordered_map>

namespace richedit {
namespace {

int32_t side(int32_t goalTw, int32_t pixels)
{
    const int64_t size = goalTw > 0 ? goalTw : int64_t(std::max(pixels, 0)) * 15;
    return int32_t(std::min<int64_t>(size, MaxPictureSideTw));
}

// Decoded images of the pictures that were drawn, by picture; a null image marks bytes that
// did not decode, so that painting does not try them again each time. An entry lives as long
// as its picture: entries of pictures that have gone are dropped as the cache grows.
struct DecodedPicture {
    std::weak_ptr<const Picture> picture;
    QImage image;
};

class DecodedPictures {
public:
    const QImage& imageOf(const std::shared_ptr<const Picture>& picture)
    {
        auto found = m_entries.find(picture.get());
        if (found != m_entries.end() && found->second.picture.lock() == picture)
            return found->second.image;
        if (m_entries.size() >= m_pruneAt) {
            std::erase_if(m_entries,
                          [](const auto& entry) { return entry.second.picture.expired(); });
            m_pruneAt = std::max<size_t>(64, 2 * m_entries.size());
        }
        // A reused address replaces the entry of the picture that had it.
        DecodedPicture& entry = m_entries[picture.get()];
        entry.picture = picture;
        // A metafile is drawn at the size the whole picture takes on the page, a pixel for 15
        // twips.
        const QSize sizeTw = pictureWholeTw(*picture).size();
        entry.image = decodePicture(
            picture->encoded, picture->kind,
            QSize(std::max(1, sizeTw.width() / 15), std::max(1, sizeTw.height() / 15)));
        return entry.image;
    }

private:
    std::unordered_map<const Picture*, DecodedPicture> m_entries;
    size_t m_pruneAt = 64;
};

DecodedPictures& decodedPictures()
{
    static DecodedPictures pictures;
    return pictures;
}

}  // namespace

QSize pictureSizeTw(const Picture& picture)
{
    const auto shown = [](int32_t whole, int32_t crop1, int32_t crop2) {
        return int32_t(std::clamp<int64_t>(int64_t(whole) - crop1 - crop2, 0, MaxPictureSideTw));
    };
    return {shown(side(picture.goalWidthTw, picture.pixelWidth), picture.cropLeftTw,
                  picture.cropRightTw),
            shown(side(picture.goalHeightTw, picture.pixelHeight), picture.cropTopTw,
                  picture.cropBottomTw)};
}

QRect pictureWholeTw(const Picture& picture)
{
    const auto offset = [](int32_t crop) {
        return -std::clamp<int32_t>(crop, -MaxPictureSideTw, MaxPictureSideTw);
    };
    return {offset(picture.cropLeftTw), offset(picture.cropTopTw),
            side(picture.goalWidthTw, picture.pixelWidth),
            side(picture.goalHeightTw, picture.pixelHeight)};
}

const QImage& pictureImage(const std::shared_ptr<const Picture>& picture)
{
    static const QImage none;
    if (!picture || picture->encoded.isEmpty())
        return none;
    return decodedPictures().imageOf(picture);
}

}  // namespace richedit
