#include "platform/host/Clipboard.h"

#include "platform/host/HtmlText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <functional>

namespace host {
namespace {

const QString kPlainText = QStringLiteral("text/plain");
const QString kTextRtf = QStringLiteral("text/rtf");
const QString kApplicationRtf = QStringLiteral("application/rtf");
const QString kQtImage = QStringLiteral("application/x-qt-image");
const QString kTextHtml = QStringLiteral("text/html");

class QtClipboardService : public ClipboardService {
public:
    const QMimeData* mimeData() override
    {
        return hasGuiApplication() ? QGuiApplication::clipboard()->mimeData() : nullptr;
    }

    void setMimeData(QMimeData* data) override
    {
        if (!hasGuiApplication()) {
            delete data;
            return;
        }
        if (data)
            QGuiApplication::clipboard()->setMimeData(data);
        else
            QGuiApplication::clipboard()->clear();
    }

private:
    static bool hasGuiApplication()
    {
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    }
};

const QMimeData* current()
{
    return clipboardService().get().mimeData();
}

// Metafiles travel under these types between programs on this desktop.
const QString kWindowsMetafile = QStringLiteral("image/x-wmf");
const QString kEnhancedMetafile = QStringLiteral("image/x-emf");

const QString* metafileMime(int format)
{
    if (format == vbCFMetafile)
        return &kWindowsMetafile;
    if (format == vbCFEMetafile)
        return &kEnhancedMetafile;
    return nullptr;
}

bool isRtfFormat(int format)
{
    return format == vbCFRTF || (format & 0xFFFF) == (vbCFRTF & 0xFFFF);
}

bool isPictureFormat(int format)
{
    return format == vbCFBitmap || format == vbCFDIB;
}

bool isTextMime(const QString& mime)
{
    return mime == kPlainText || mime.startsWith(kPlainText + QLatin1Char(';'));
}

bool isRtfMime(const QString& mime)
{
    return mime == kTextRtf || mime == kApplicationRtf;
}

bool isImageMime(const QString& mime)
{
    return mime == kQtImage || mime.startsWith(QLatin1String("image/"));
}

// The clipboard's present contents without the formats a new value of one kind replaces.
QMimeData* contentsWithout(const std::function<bool(const QString&)>& replaced)
{
    const ClipboardSnapshot contents = Clipboard::snapshot();
    auto* next = new QMimeData;
    for (const auto& [mime, bytes] : contents.formats) {
        if (!replaced(mime))
            next->setData(mime, bytes);
    }
    if (contents.image && !replaced(kQtImage))
        next->setImageData(*contents.image);
    return next;
}

// RTF is 8-bit text: characters up to U+00FF are their own byte; any other UTF-16 unit becomes
// an RTF Unicode escape with its signed 16-bit value.
QByteArray rtfBytesOf(const QString& rtf)
{
    QByteArray bytes;
    bytes.reserve(rtf.size());
    for (const QChar unit : rtf) {
        if (unit.unicode() <= 0xFF)
            bytes.append(static_cast<char>(unit.unicode()));
        else
            bytes.append("\\u" + QByteArray::number(static_cast<qint16>(unit.unicode())) + '?');
    }
    return bytes;
}

}  // namespace

ServiceSlot<ClipboardService>& clipboardService()
{
    static ServiceSlot<ClipboardService> slot([]() -> std::unique_ptr<ClipboardService> {
        return std::make_unique<QtClipboardService>();
    });
    return slot;
}

void Clipboard::Clear()
{
    clipboardService().get().setMimeData(nullptr);
}

bool Clipboard::GetFormat(int format)
{
    if (format == vbCFText)
        return hasText();
    if (isRtfFormat(format))
        return hasRichText();
    if (isPictureFormat(format))
        return hasImage();
    if (format == vbCFFiles)
        return !fileNames().isEmpty();
    if (const QString* mime = metafileMime(format))
        return current() && current()->hasFormat(*mime);
    return false;  // palettes and links do not exist here
}

QByteArray Clipboard::GetMetafile(int format)
{
    const QString* mime = metafileMime(format);
    if (!mime || !current())
        return {};
    return current()->data(*mime);
}

QString Clipboard::GetText(int format)
{
    if (format == vbCFText)
        return hasText() ? current()->text() : QString();
    if (isRtfFormat(format))
        return QString::fromLatin1(rtf());
    return {};
}

void Clipboard::SetText(const QString& text, int format)
{
    if (isRtfFormat(format)) {
        setRtf(rtfBytesOf(text));
    } else if (format == vbCFText) {
        QMimeData* next = contentsWithout(isTextMime);
        next->setText(text);
        clipboardService().get().setMimeData(next);
    }
}

QImage Clipboard::GetData(int format)
{
    const QMimeData* data = current();
    if (!data || !isPictureFormat(format))
        return {};
    if (data->hasImage())
        return qvariant_cast<QImage>(data->imageData());
    for (const QString& mime : data->formats()) {
        if (isImageMime(mime)) {
            const QImage picture = QImage::fromData(data->data(mime));
            if (!picture.isNull())
                return picture;
        }
    }
    return {};
}

void Clipboard::SetData(const QImage& picture, int format)
{
    if (picture.isNull() || !isPictureFormat(format))
        return;
    QMimeData* next = contentsWithout(isImageMime);
    next->setImageData(picture);
    clipboardService().get().setMimeData(next);
}

QByteArray Clipboard::rtf()
{
    const QMimeData* data = current();
    if (!data)
        return {};
    if (data->hasFormat(kTextRtf))
        return data->data(kTextRtf);
    return data->hasFormat(kApplicationRtf) ? data->data(kApplicationRtf) : QByteArray();
}

void Clipboard::setRtf(const QByteArray& rtf)
{
    QMimeData* next = contentsWithout(isRtfMime);
    next->setData(kTextRtf, rtf);
    next->setData(kApplicationRtf, rtf);
    clipboardService().get().setMimeData(next);
}

QStringList Clipboard::fileNames()
{
    QStringList names;
    const QMimeData* data = current();
    if (!data || !data->hasUrls())
        return names;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            names << url.toLocalFile();
    }
    return names;
}

bool Clipboard::hasText()
{
    const QMimeData* data = current();
    if (!data)
        return false;
    for (const QString& mime : data->formats()) {
        if (isTextMime(mime))
            return true;
    }
    return false;
}

bool Clipboard::hasRichText()
{
    const QMimeData* data = current();
    return data && (data->hasFormat(kTextRtf) || data->hasFormat(kApplicationRtf));
}

bool Clipboard::hasImage()
{
    const QMimeData* data = current();
    if (!data)
        return false;
    for (const QString& mime : data->formats()) {
        if (isImageMime(mime))
            return true;
    }
    return false;
}

bool Clipboard::hasHtml()
{
    const QMimeData* data = current();
    return data && data->hasFormat(kTextHtml);
}

QString Clipboard::html()
{
    const QMimeData* data = current();
    return data && data->hasFormat(kTextHtml) ? decodeHtmlBytes(data->data(kTextHtml)) : QString();
}

bool Clipboard::hasPastable()
{
    return hasText() || hasRichText() || hasHtml() || hasImage();
}

ClipboardSnapshot Clipboard::snapshot()
{
    ClipboardSnapshot contents;
    const QMimeData* data = current();
    if (!data)
        return contents;
    for (const QString& mime : data->formats()) {
        // A picture put there as an image has no bytes of its own; it is kept as the image.
        if (mime == kQtImage) {
            const QImage picture = qvariant_cast<QImage>(data->imageData());
            if (!picture.isNull())
                contents.image = picture;
        } else {
            contents.formats.emplace_back(mime, data->data(mime));
        }
    }
    return contents;
}

void Clipboard::restore(const ClipboardSnapshot& contents)
{
    if (contents.isEmpty()) {
        Clear();
        return;
    }
    auto* next = new QMimeData;
    for (const auto& [mime, bytes] : contents.formats)
        next->setData(mime, bytes);
    if (contents.image)
        next->setImageData(*contents.image);
    clipboardService().get().setMimeData(next);
}

}  // namespace host
