// The clipboard as the system's code sees it: text, rich text (RTF), pictures and file lists,
// format queries by the platform's format numbers, and whole-content snapshots.
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

class QMimeData;

namespace host {

// Clipboard format numbers the code asks for.
enum ClipboardConstants : int {
    vbCFText = 1,
    vbCFBitmap = 2,
    vbCFMetafile = 3,
    vbCFDIB = 8,
    vbCFPalette = 9,
    vbCFEMetafile = 14,
    vbCFFiles = 15,
    vbCFLink = -16640,
    vbCFRTF = -16639,  // also accepted as its 16-bit pattern 0xBF01
};

// The clipboard's contents as they were at one moment: every MIME format with its bytes, and
// the picture when one was put there as an image.
struct ClipboardSnapshot {
    std::vector<std::pair<QString, QByteArray>> formats;
    std::optional<QImage> image;
    bool isEmpty() const { return formats.empty() && !image; }
};

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    // The current contents; nullptr when there are none.
    virtual const QMimeData* mimeData() = 0;
    // Replaces the contents; takes ownership. nullptr empties the clipboard.
    virtual void setMimeData(QMimeData* data) = 0;
};

ServiceSlot<ClipboardService>& clipboardService();

// The clipboard object. SetText and SetData add their format to what the clipboard holds (the
// code clears it first when it wants only the new data).
class Clipboard {
public:
    static void Clear();
    // True when the clipboard holds data of the format (see ClipboardConstants).
    static bool GetFormat(int format);
    // vbCFText: the Unicode text; vbCFRTF: the RTF, one character per byte.
    static QString GetText(int format = vbCFText);
    static void SetText(const QString& text, int format = vbCFText);
    // The picture on the clipboard (a null image when there is none).
    static QImage GetData(int format = vbCFBitmap);
    // The metafile's bytes for vbCFMetafile or vbCFEMetafile (empty when there is none).
    static QByteArray GetMetafile(int format);
    static void SetData(const QImage& picture, int format = vbCFBitmap);

    static QByteArray rtf();
    static void setRtf(const QByteArray& rtf);
    // Local files of a file list on the clipboard, in order.
    static QStringList fileNames();

    static bool hasText();
    static bool hasRichText();
    static bool hasImage();
    // HTML, as browsers offer a selection; html() is its markup decoded.
    static bool hasHtml();
    static QString html();
    // Something an editing window can paste: text, rich text, HTML or a picture.
    static bool hasPastable();

    static ClipboardSnapshot snapshot();
    // Puts a snapshot back exactly; an empty snapshot leaves the clipboard empty.
    static void restore(const ClipboardSnapshot& contents);
};

}  // namespace host
