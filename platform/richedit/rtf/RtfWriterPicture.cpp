#include "platform/richedit/rtf/RtfWriterPicture.h"

#include "platform/richedit/picture/PictureBytes.h"

#include <utility>

namespace richedit {
namespace {

const char* blipWord(PictureKind kind)
{
    switch (kind) {
        case PictureKind::Png:
            return "\\pngblip";
        case PictureKind::Jpeg:
            return "\\jpegblip";
        case PictureKind::Dib:
            return "\\dibitmap0";
        case PictureKind::DeviceBitmap:
            return "\\wbitmap0";
        case PictureKind::Metafile:
            return "\\wmetafile";
        case PictureKind::EnhancedMetafile:
            return "\\emfblip";
    }
    return "\\pngblip";
}

void writeGroup(RtfOutput& out, PictureKind kind, int32_t width, int32_t height,
                const Picture& picture, const QByteArray& bytes)
{
    out.openGroup();
    out.word("\\pict");
    if (kind == PictureKind::Metafile)
        out.word("\\wmetafile", picture.metafileMapping);
    else
        out.word(blipWord(kind));
    out.word("\\picw", width);
    out.word("\\pich", height);
    out.word("\\picwgoal", picture.goalWidthTw);
    out.word("\\pichgoal", picture.goalHeightTw);
    // Crops are twips of the goal size, so they hold for whatever kind the bytes are written as.
    const std::pair<const char*, int32_t> crops[] = {{"\\piccropl", picture.cropLeftTw},
                                                     {"\\piccropr", picture.cropRightTw},
                                                     {"\\piccropt", picture.cropTopTw},
                                                     {"\\piccropb", picture.cropBottomTw}};
    for (const auto& [word, twips] : crops)
        if (twips != 0)
            out.word(word, twips);
    out.hex(bytes);
    out.closeGroup();
}

}  // namespace

void writePicture(RtfOutput& out, const Picture& picture)
{
    if (picture.kind != PictureKind::Png && picture.kind != PictureKind::Jpeg) {
        const PngPicture converted = pictureAsPng(picture.encoded, picture.kind);
        if (!converted.png.isEmpty()) {
            writeGroup(out, PictureKind::Png, converted.width, converted.height, picture,
                       converted.png);
            return;
        }
    }
    // A metafile's \\picw and \\pich are in hundredths of a millimetre.
    if (picture.kind == PictureKind::Metafile || picture.kind == PictureKind::EnhancedMetafile) {
        const auto himetric = [](int32_t twips) { return int32_t(int64_t(twips) * 2540 / 1440); };
        writeGroup(out, picture.kind, himetric(picture.goalWidthTw), himetric(picture.goalHeightTw),
                   picture, picture.encoded);
        return;
    }
    writeGroup(out, picture.kind, picture.pixelWidth, picture.pixelHeight, picture,
               picture.encoded);
}

qsizetype pictureSizeEstimate(const Picture& picture)
{
    return 2 * picture.encoded.size() + 96;
}

}  // namespace richedit
