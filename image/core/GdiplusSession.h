// The image control's GDI+ session, one per thread, and saving a device bitmap through the
// GDI+ encoder that the file name's ending chooses.
//
// Several controls on one thread each start and stop a session: every start holds its own
// token and every stop ends one of them, so the thread's session lasts until the last
// control stops and no session is ended twice.
#pragma once

#include <QString>
#include <QUuid>
#include <cstdint>

namespace gdi {
class Bitmap;
}

namespace XrImage {

// Starts a session of that version on this thread (version 1 is the one there is).
void StartGdiplus(std::int32_t version);
// Ends the session of the last start on this thread that has not been stopped yet.
void StopGdiplus();
// Whether the last start on this thread succeeded.
bool GdiplusStarted();

// Saves the bitmap (without a palette) through the encoder for the last four characters of
// the file name: ".png", ".gif", ".jpg", ".tif" or ".bmp", in any case. Any other ending
// answers False without touching GDI+; so does a save outside a running session.
bool SaveBitmapViaGdiplus(const gdi::Bitmap& bitmap, const QString& fileName);

// The class id of the encoder for a MIME type, compared without regard to case.
bool FindEncoderClsid(const QString& mime, QUuid& clsid);

}  // namespace XrImage
