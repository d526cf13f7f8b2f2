#include "image/core/GdiplusSession.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdiplus/Encoders.h"
#include "platform/gdiplus/GpImage.h"
#include "platform/gdiplus/Session.h"

#include <memory>
#include <vector>

namespace XrImage {
namespace {

struct ThreadSessions {
    std::vector<gdiplus::Token> tokens;  // started and not yet stopped, oldest first
    bool started = false;
};

ThreadSessions& sessions()
{
    thread_local ThreadSessions state;
    return state;
}

QString mimeForEnding(const QString& fileName)
{
    const QString ending = fileName.right(4).toLower();
    if (ending == u".png")
        return QStringLiteral("image/png");
    if (ending == u".gif")
        return QStringLiteral("image/gif");
    if (ending == u".jpg")
        return QStringLiteral("image/jpeg");
    if (ending == u".tif")
        return QStringLiteral("image/tiff");
    if (ending == u".bmp")
        return QStringLiteral("image/bmp");
    return {};
}

}  // namespace

void StartGdiplus(std::int32_t version)
{
    gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = std::uint32_t(version);
    gdiplus::Token token = 0;
    ThreadSessions& state = sessions();
    state.started = gdiplus::GdiplusStartup(token, input) == gdiplus::Ok && token != 0;
    if (state.started)
        state.tokens.push_back(token);
}

void StopGdiplus()
{
    ThreadSessions& state = sessions();
    if (state.tokens.empty())
        return;
    gdiplus::GdiplusShutdown(state.tokens.back());
    state.tokens.pop_back();
}

bool GdiplusStarted()
{
    return sessions().started;
}

bool FindEncoderClsid(const QString& mime, QUuid& clsid)
{
    return gdiplus::findEncoder(mime, clsid) > 0;
}

bool SaveBitmapViaGdiplus(const gdi::Bitmap& bitmap, const QString& fileName)
{
    const QString mime = mimeForEnding(fileName);
    if (mime.isEmpty())
        return false;
    std::unique_ptr<gdiplus::GpImage> image;
    if (gdiplus::GdipCreateBitmapFromHBITMAP(bitmap, image) != gdiplus::Ok || !image)
        return false;
    QUuid encoder;
    if (!FindEncoderClsid(mime, encoder))
        return false;
    return gdiplus::GdipSaveImageToFile(*image, fileName, encoder, nullptr) == gdiplus::Ok;
}

}  // namespace XrImage
