// The image's loading members: files, byte arrays, resources, pictures, bitmaps, the clipboard
// and the kept source bytes, all byte sources through one chain of readers.
#include "image/codecs/cBMPparser.h"
#include "image/codecs/cGDIPlus.h"
#include "image/codecs/cGIFparser.h"
#include "image/codecs/cICOparser.h"
#include "image/codecs/cPNGparser.h"
#include "image/codecs/cTGAparser.h"
#include "image/core/ImageHelpers.h"
#include "image/core/c32bppDIB.h"
#include "platform/host/Clipboard.h"
#include "platform/host/MessageBox.h"
#include "platform/host/Resources.h"
#include "platform/picture/Picture.h"
#include "platform/runtime/VbError.h"

#include <QMimeData>
#include <QUrl>
#include <exception>

namespace XrImage {

namespace {

// Files this short, and byte ranges this short, hold no picture any reader takes.
constexpr qint64 maxRefusedFileSize = 56;
constexpr std::int32_t maxRefusedStreamLength = 19;

std::span<const std::uint8_t> asSpan(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}

}  // namespace

bool c32bppDIB::LoadPicture_File(const QString& FileName, std::int32_t iconCx, std::int32_t iconCy,
                                 bool SaveFormat, std::int32_t iconBitDepth)
{
    DestroyDIB();
    const std::unique_ptr<QFile> file =
        OpenFileForIO(FileName, true, (m_capabilityFlags & capWideFiles) != 0);
    if (!file)
        return false;
    if ((file->size() & 0xFFFFFFFF) <= maxRefusedFileSize)
        return false;
    QByteArray contents = file->readAll();
    file->close();
    return LoadPicture_Dispatch(FileName, contents, iconCx, iconCy, 0,
                                std::int32_t(std::min<qsizetype>(contents.size(), INT32_MAX)),
                                SaveFormat, iconBitDepth);
}

bool c32bppDIB::LoadPicture_Stream(QByteArray& inStream, std::int32_t iconCx, std::int32_t iconCy,
                                   std::int32_t streamStart, std::int32_t streamLength,
                                   bool SaveFormat, std::int32_t iconBitDepth)
{
    DestroyDIB();
    if (inStream.isEmpty())
        return false;
    const std::int64_t size = inStream.size();
    if (streamStart < 0)
        streamStart = 0;
    // A start past the array selects nothing; a length past its end is cut there.
    if (streamStart >= size)
        return false;
    const std::int64_t available = size - streamStart;
    if (streamLength == 0 || streamLength > available)
        streamLength = std::int32_t(std::min<std::int64_t>(available, INT32_MAX));
    if (streamLength <= maxRefusedStreamLength)
        return false;
    return LoadPicture_Dispatch({}, inStream, iconCx, iconCy, streamStart, streamLength, SaveFormat,
                                iconBitDepth);
}

bool c32bppDIB::LoadPicture_Dispatch(const QString& FileName, QByteArray& stream,
                                     std::int32_t iconCx, std::int32_t iconCy,
                                     std::int32_t streamStart, std::int32_t streamLength,
                                     bool SaveFormat, std::int32_t iconBitDepth)
{
    DestroyDIB();
    if (iconCx < 0)
        iconCx = 0;
    if (iconCy < 0)
        iconCy = 0;
    if (iconBitDepth < 0 || iconBitDepth > 32)
        iconBitDepth = 32;
    QByteArray keptBytes;
    bool loaded = false;
    try {
        loaded = runReaders(FileName, stream, iconCx, iconCy, streamStart, streamLength, SaveFormat,
                            iconBitDepth, keptBytes);
    } catch (const std::exception&) {
        // A reader that raises instead of answering ends the load empty.
        loaded = false;
    }
    if (!loaded || Handle() == 0) {
        DestroyDIB();
        return false;
    }
    if (SaveFormat)
        m_originalFormatBytes = keptBytes;
    return true;
}

bool c32bppDIB::runReaders(const QString& FileName, QByteArray& stream, std::int32_t& iconCx,
                           std::int32_t& iconCy, std::int32_t& streamStart,
                           std::int32_t& streamLength, bool SaveFormat, std::int32_t& iconBitDepth,
                           QByteArray& keptBytes)
{
    // The own readers in turn; the first that answers True ends this part of the chain. The
    // PNG reader offers the data to GDI+ itself first.
    bool answered = false;
    try {
        answered = cPNGparser().LoadStream(stream, *this, streamStart, streamLength, m_gdiToken);
    } catch (const vb::VbError& error) {
        host::MsgBox(error.description(), host::vbOKOnly);
        answered = false;
    }
    if (!answered)
        answered = cGIFparser().LoadStream(stream, this, streamStart, streamLength);
    if (!answered)
        answered = cICOparser().LoadStream(stream, iconCx, iconCy, this, streamStart, streamLength,
                                           iconBitDepth, m_gdiToken);
    if (!answered)
        answered = cBMPparser().LoadStream(stream, this, streamStart, streamLength);

    bool gdiPlusLoaded = false;
    if (Handle() == 0 && isGDIplusEnabled()) {
        std::unique_ptr<cGDIPlus> fresh;
        cGDIPlus* bridge = m_cachedGdiPlus.get();
        if (!bridge) {
            fresh = std::make_unique<cGDIPlus>();
            bridge = fresh.get();
        }
        const QByteArray range = stream.mid(streamStart, streamLength);
        if (bridge->LoadIntoDIB({}, range, *this, m_gdiToken)) {
            gdiPlusLoaded = true;
            // The kept source of a format only GDI+ reads is its PNG rendition; the caller's
            // array stays as it was.
            if (SaveFormat) {
                QByteArray rendition;
                if (bridge->SaveToPNG({}, rendition, *this, m_gdiToken))
                    keptBytes = rendition;
            }
            SetImageType(imgPNG);
        }
    }
    if (!answered && !gdiPlusLoaded)
        cTGAparser().LoadStream(stream, this, streamStart, streamLength);
    if (Handle() == 0)
        return false;
    if (SaveFormat && !gdiPlusLoaded)
        keptBytes = stream;
    Q_UNUSED(FileName);
    return true;
}

bool c32bppDIB::LoadPicture_Resource(const QVariant& ResIndex, const QVariant& ResSection,
                                     const QString& deliverable, std::int32_t iconCx,
                                     std::int32_t iconCy, std::int32_t streamStart,
                                     std::int32_t streamLength, std::int32_t iconBitDepth)
{
    DestroyDIB();
    const QString owner = deliverable.isEmpty() ? QStringLiteral("XrImage") : deliverable;
    const auto find = [&owner, &ResIndex](const QString& type) {
        if (ResIndex.typeId() == QMetaType::QString)
            return host::resourceData(owner, type, ResIndex.toString());
        return host::resourceData(owner, type, ResIndex.toInt());
    };
    if (ResSection.typeId() == QMetaType::QString) {
        std::optional<QByteArray> bytes = find(ResSection.toString());
        if (!bytes)
            return false;
        return LoadPicture_Stream(*bytes, iconCx, iconCy, streamStart, streamLength, false,
                                  iconBitDepth);
    }
    static const char* const pictureKinds[] = {"BITMAP", "ICON", "CURSOR"};
    const int kind = ResSection.toInt();
    if (kind < 0 || kind > 2)
        return false;
    const std::optional<QByteArray> bytes = find(QString::fromLatin1(pictureKinds[kind]));
    if (!bytes)
        return false;
    const std::optional<picture::Picture> loaded = picture::loadPicture(asSpan(*bytes));
    if (!loaded)
        return false;
    return LoadPicture_StdPicture(&*loaded);
}

bool c32bppDIB::LoadPicture_StdPicture(const picture::Picture* Picture)
{
    DestroyDIB();
    if (!Picture)
        return false;
    try {
        switch (Picture->Type()) {
            case picture::PICTYPE_NONE:
                break;
            case picture::PICTYPE_ICON:
                cICOparser().ConvertstdPicTo32bpp(Picture, this);
                break;
            default:
                cBMPparser().ConvertstdPicTo32bpp(Picture, nullptr, this, 0);
                break;
        }
    } catch (const std::exception&) {
        DestroyDIB();
    }
    return Handle() != 0;
}

bool c32bppDIB::LoadPicture_ByHandle(const gdi::Bitmap* Handle)
{
    DestroyDIB();
    if (!Handle || Handle->isNull())
        return false;
    return cBMPparser().ConvertstdPicTo32bpp(nullptr, Handle, this, 0);
}

bool c32bppDIB::LoadPicture_ByHandle(const picture::Metafile* Handle)
{
    DestroyDIB();
    if (!Handle)
        return false;
    // The object type decides the picture type: 9 (metafile) gives 2, 13 (enhanced) gives 4.
    const std::int32_t type = Handle->kind() == picture::MetafileKind::Wmf
                                  ? picture::PICTYPE_METAFILE
                                  : picture::PICTYPE_ENHMETAFILE;
    const std::optional<picture::Picture> wrapped = PictureFromHandle(*Handle, type);
    return wrapped && LoadPicture_StdPicture(&*wrapped);
}

bool c32bppDIB::LoadPicture_ClipBoard()
{
    DestroyDIB();
    using host::Clipboard;
    if (!Clipboard::GetFormat(host::vbCFBitmap) && !Clipboard::GetFormat(host::vbCFDIB) &&
        !Clipboard::GetFormat(host::vbCFEMetafile) && !Clipboard::GetFormat(host::vbCFMetafile))
        return false;
    // The clipboard's picture: its bitmap when it has one, else its enhanced metafile, else
    // its metafile.
    const QImage image = Clipboard::GetData();
    if (!image.isNull()) {
        const picture::Picture pasted(picture::PICTYPE_BITMAP, image);
        return LoadPicture_StdPicture(&pasted);
    }
    for (const int format : {host::vbCFEMetafile, host::vbCFMetafile}) {
        const QByteArray bytes = Clipboard::GetMetafile(format);
        if (bytes.isEmpty())
            continue;
        const std::optional<picture::Picture> pasted = picture::loadPicture(asSpan(bytes));
        if (pasted && pasted->metafile())
            return LoadPicture_StdPicture(&*pasted);
    }
    return false;
}

bool c32bppDIB::LoadPicture_FromOrignalFormat(std::int32_t iconCx, std::int32_t iconCy,
                                              std::int32_t iconBitDepth)
{
    QByteArray copy = m_originalFormatBytes;
    if (copy.isEmpty()) {
        DestroyDIB();
        return false;
    }
    return LoadPicture_Stream(copy, iconCx, iconCy, 0, 0, true, iconBitDepth);
}

bool c32bppDIB::GetOrginalFormat(QByteArray& outStream) const
{
    outStream = m_originalFormatBytes;
    return !outStream.isEmpty();
}

bool c32bppDIB::GetDroppedFileNames(QMimeData* OLEDragDrop_DataObject) const
{
    if (!OLEDragDrop_DataObject || !OLEDragDrop_DataObject->hasUrls())
        return false;
    QList<QUrl> files;
    for (const QUrl& url : OLEDragDrop_DataObject->urls())
        if (url.isLocalFile())
            files.append(url);
    if (files.isEmpty())
        return false;
    OLEDragDrop_DataObject->setUrls(files);
    return true;
}

std::int32_t c32bppDIB::GetPastedFileNames(QStringList& ListOfFiles) const
{
    const QStringList names = host::Clipboard::fileNames();
    if (names.isEmpty())
        return 0;
    ListOfFiles = names;
    return std::int32_t(names.size());
}

}  // namespace XrImage
