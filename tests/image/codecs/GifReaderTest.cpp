#include "CodecTestSupport.h"
#include "image/codecs/cGIFparser.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

using namespace XrImage;
using codectest::bgraAt;

namespace {

int appendBytes(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

int readBytes(GifFileType* gif, GifByteType* data, int length)
{
    auto* source = static_cast<QByteArray*>(gif->UserData);
    const int count = std::min(length, int(source->size()));
    std::memcpy(data, source->constData(), std::size_t(count));
    source->remove(0, count);
    return count;
}

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<GifByteType> indexes;  // top-down
    QList<QRgb> localColours;          // empty: the global table
    int transparentIndex = -1;         // -1: no control extension
    bool controlWithoutTransparency = false;
};

struct GifSpec {
    int screenWidth = 0, screenHeight = 0;
    QList<QRgb> globalColours;
    bool version89 = true;
    bool applicationExtension = false;
    bool comment = false;
    std::vector<Frame> frames;
};

ColorMapObject* mapOf(const QList<QRgb>& colours)
{
    std::vector<GifColorType> table;
    for (QRgb c : colours)
        table.push_back({GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))});
    return GifMakeMapObject(int(table.size()), table.data());
}

QByteArray encodeGif(const GifSpec& spec)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    ColorMapObject* global = spec.globalColours.isEmpty() ? nullptr : mapOf(spec.globalColours);
    EGifSetGifVersion(gif, spec.version89);
    EGifPutScreenDesc(gif, spec.screenWidth, spec.screenHeight, 8, 0, global);
    if (spec.applicationExtension) {
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
        const GifByteType loop[3] = {1, 0, 0};
        EGifPutExtensionBlock(gif, 3, loop);
        EGifPutExtensionTrailer(gif);
    }
    if (spec.comment)
        EGifPutComment(gif, "made for a test");
    for (const Frame& frame : spec.frames) {
        if (frame.transparentIndex >= 0 || frame.controlWithoutTransparency) {
            GraphicsControlBlock control{};
            control.TransparentColor =
                frame.transparentIndex >= 0 ? frame.transparentIndex : NO_TRANSPARENT_COLOR;
            GifByteType extension[4];
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE,
                             int(EGifGCBToExtension(&control, extension)), extension);
        }
        ColorMapObject* local = frame.localColours.isEmpty() ? nullptr : mapOf(frame.localColours);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, local);
        for (int y = 0; y < frame.height; ++y)
            EGifPutLine(gif, const_cast<GifByteType*>(frame.indexes.data()) + y * frame.width,
                        frame.width);
        if (local)
            GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &error);
    if (global)
        GifFreeMapObject(global);
    return out;
}

// giflib's reading of the first frame: its colours from its table, the transparent index of
// the last control extension before it transparent, at the frame's own size.
QImage decodeWithGiflib(QByteArray bytes)
{
    int error = 0;
    GifFileType* gif = DGifOpen(&bytes, readBytes, &error);
    if (!gif)
        return {};
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        DGifCloseFile(gif, &error);
        return {};
    }
    const SavedImage& first = gif->SavedImages[0];
    const ColorMapObject* map =
        first.ImageDesc.ColorMap ? first.ImageDesc.ColorMap : gif->SColorMap;
    int transparent = -1;
    for (int i = 0; i < first.ExtensionBlockCount; ++i)
        if (first.ExtensionBlocks[i].Function == GRAPHICS_EXT_FUNC_CODE) {
            GraphicsControlBlock control;
            DGifExtensionToGCB(first.ExtensionBlocks[i].ByteCount, first.ExtensionBlocks[i].Bytes,
                               &control);
            transparent = control.TransparentColor;
        }
    QImage out(first.ImageDesc.Width, first.ImageDesc.Height, QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const int index = first.RasterBits[y * out.width() + x];
            if (index == transparent)
                out.setPixel(x, y, 0);
            else if (index < map->ColorCount)
                out.setPixel(x, y,
                             qRgb(map->Colors[index].Red, map->Colors[index].Green,
                                  map->Colors[index].Blue));
            else
                out.setPixel(x, y, qRgb(0, 0, 0));
        }
    DGifCloseFile(gif, &error);
    return out;
}

struct Loaded {
    bool result = false;
    std::unique_ptr<c32bppDIB> image = std::make_unique<c32bppDIB>();
};

Loaded load(const QByteArray& bytes)
{
    Loaded out;
    cGIFparser reader;
    out.result = reader.LoadStream(bytes, out.image.get(), 0, int(bytes.size()));
    return out;
}

QList<QRgb> ramp(int count, bool duplicates = false)
{
    QList<QRgb> colours;
    for (int i = 0; i < count; ++i)
        colours.append(duplicates && i % 2 ? colours.last()
                                           : qRgb((i * 53) % 256, (i * 97) % 256, (i * 31) % 256));
    return colours;
}

Frame frameOf(int width, int height, int colours, int left = 0, int top = 0)
{
    Frame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    for (int i = 0; i < width * height; ++i)
        frame.indexes.push_back(GifByteType((i * 7 + i / width) % colours));
    return frame;
}

// A four-entry colour table as it stands in a file.
QByteArray ramp4Bytes()
{
    QByteArray out;
    for (QRgb c : ramp(4))
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    return out;
}

}  // namespace

TEST(GifReader, FirstFrameAgreesWithGiflib)
{
    for (int colours : {2, 4, 16, 256})
        for (int transparent : {-1, 1})
            for (bool local : {false, true})
                for (bool duplicates : {false, true}) {
                    SCOPED_TRACE(testing::Message() << colours << " " << transparent << " " << local
                                                    << " " << duplicates);
                    GifSpec spec;
                    spec.screenWidth = 30;
                    spec.screenHeight = 20;
                    spec.applicationExtension = true;
                    spec.comment = true;
                    spec.globalColours = local ? ramp(4) : ramp(colours, duplicates);
                    Frame first = frameOf(11, 7, colours, 5, 3);
                    first.transparentIndex = transparent;
                    if (local)
                        first.localColours = ramp(colours, duplicates);
                    spec.frames.push_back(first);
                    Frame second = frameOf(30, 20, 2);
                    second.transparentIndex = 0;
                    // giflib drops a frame's table unfreed when the next frame has none.
                    second.localColours = first.localColours;
                    spec.frames.push_back(second);
                    const QByteArray file = encodeGif(spec);
                    Loaded loaded = load(file);
                    ASSERT_TRUE(loaded.result);
                    EXPECT_EQ(loaded.image->ImageType(), imgGIF);
                    EXPECT_EQ(loaded.image->Width(), 11);
                    EXPECT_EQ(loaded.image->Height(), 7);
                    EXPECT_EQ(loaded.image->Alpha(), transparent >= 0);
                    EXPECT_EQ(codectest::differingPixels(*loaded.image, decodeWithGiflib(file)), 0);
                }
}

TEST(GifReader, SignaturesAndControlExtensions)
{
    GifSpec spec;
    spec.screenWidth = 4;
    spec.screenHeight = 2;
    spec.globalColours = ramp(8);
    spec.frames.push_back(frameOf(4, 2, 8));
    const QByteArray file = encodeGif(spec);
    for (const char* signature : {"GIF89a", "gif89a", "GIF87A", "gIf87a"}) {
        QByteArray renamed = file;
        renamed.replace(0, 6, signature);
        Loaded loaded = load(renamed);
        EXPECT_TRUE(loaded.result) << signature;
        ASSERT_NE(loaded.image->Handle(), 0u) << signature;
        EXPECT_FALSE(loaded.image->Alpha());
        EXPECT_EQ(bgraAt(*loaded.image, 1, 0)[3], 255);
    }
    QByteArray future = file;
    future.replace(0, 6, "GIF90a");
    EXPECT_FALSE(load(future).result);
    EXPECT_FALSE(load(QByteArray("GIF8")).result);

    // Two control extensions before the image: the last one counts.
    QByteArray twoControls = file;
    const qsizetype descriptor = twoControls.indexOf(char(0x2C), 13 + 24);
    const QByteArray transparentThree = QByteArray::fromHex("21f90401000003") + QByteArray(1, '\0');
    const QByteArray noTransparency = QByteArray::fromHex("21f90400000000") + QByteArray(1, '\0');
    Loaded lastWins =
        load(QByteArray(twoControls).insert(descriptor, transparentThree + noTransparency));
    ASSERT_TRUE(lastWins.result);
    EXPECT_FALSE(lastWins.image->Alpha());
    Loaded transparentLast =
        load(QByteArray(twoControls).insert(descriptor, noTransparency + transparentThree));
    ASSERT_TRUE(transparentLast.result);
    EXPECT_TRUE(transparentLast.image->Alpha());
    // No colour table at all, or no image after the extensions: not taken.
    QByteArray noTable = encodeGif(GifSpec{4, 2, {}, true, false, false, {[] {
                                               Frame f = frameOf(4, 2, 2);
                                               f.localColours = ramp(2);
                                               return f;
                                           }()}});
    EXPECT_TRUE(load(noTable).result);
    QByteArray tableless = file.left(13) + file.mid(13 + 24);
    tableless[10] = char(tableless[10] & 0x7F);
    EXPECT_FALSE(load(tableless).result);
    QByteArray noImage = file.left(13 + 24) + ";";
    EXPECT_FALSE(load(noImage).result);
}

TEST(GifReader, DamageAndIndexesPastTheTable)
{
    GifSpec spec;
    spec.screenWidth = 16;
    spec.screenHeight = 16;
    spec.globalColours = ramp(256);
    Frame frame = frameOf(16, 16, 256);
    frame.transparentIndex = 1;
    spec.frames.push_back(frame);
    const QByteArray file = encodeGif(spec);
    // Cut inside the image data: taken, nothing loaded.
    Loaded cut = load(file.left(file.size() - 20));
    EXPECT_TRUE(cut.result);
    EXPECT_EQ(cut.image->Handle(), 0u);

    // The same pixels under a four-entry table: indexes past it are opaque black.
    const qsizetype imageStart = 13 + 768;
    QByteArray shortTable = file.left(13) + ramp4Bytes() + file.mid(imageStart);
    shortTable[10] = char(0x80 | 0x70 | 1);
    Loaded small = load(shortTable);
    ASSERT_TRUE(small.result);
    for (int x = 0; x < 16; ++x) {
        const int index = frame.indexes[std::size_t(x)];
        const auto pixel = bgraAt(*small.image, x, 0);
        if (index == 1) {
            EXPECT_EQ(pixel, (std::array<int, 4>{0, 0, 0, 0}));
        } else if (index >= 4) {
            EXPECT_EQ(pixel, (std::array<int, 4>{0, 0, 0, 255})) << index;
        }
    }

    codectest::forEachDamagedCopy(file, [](const QByteArray& damaged) {
        Loaded loaded = load(damaged);
        if (loaded.image->Handle() != 0) {
            EXPECT_TRUE(loaded.result);
            EXPECT_EQ(loaded.image->ImageType(), imgGIF);
        }
    });
}
