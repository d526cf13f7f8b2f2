// The image's saving members: BMP by its own writer, PNG and JPEG through the GDI+ bridge,
// TGA through the TGA writer; files replaced only once the new one is complete.
#include "image/codecs/cGDIPlus.h"
#include "image/codecs/cPNGwriter.h"
#include "image/codecs/cTGAparser.h"
#include "image/core/FileReplacement.h"
#include "image/core/ImageHelpers.h"
#include "image/core/c32bppDIB.h"
#include "platform/host/MessageBox.h"

#include <QDateTime>
#include <cstring>

namespace XrImage {

namespace {

void put16(char* target, int value)
{
    target[0] = char(value & 0xFF);
    target[1] = char((value >> 8) & 0xFF);
}

void put32(char* target, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        target[i] = char(value >> (8 * i));
}

// The cached bridge when there is one, else a fresh one held by `fresh` for the call.
cGDIPlus& bridgeOf(cGDIPlus* cached, std::unique_ptr<cGDIPlus>& fresh)
{
    if (cached)
        return *cached;
    fresh = std::make_unique<cGDIPlus>();
    return *fresh;
}

}  // namespace

bool c32bppDIB::confirmOverwrite(const QString& FileName, bool PromptOverwrite) const
{
    if (!PromptOverwrite || !FileExists(FileName, (m_capabilityFlags & capWideFiles) != 0))
        return true;
    return host::MsgBox(QStringLiteral("Overwrite existing file?"),
                        host::vbYesNo | host::vbQuestion | host::vbDefaultButton2,
                        QStringLiteral("Overwrite Confirmation")) == host::vbYes;
}

QByteArray c32bppDIB::bmpFileBytes() const
{
    const int bitsPerPixel = m_alpha ? 32 : 24;
    const std::int64_t rowBytes = (std::int64_t(bitsPerPixel) * m_width + 31) / 32 * 4;
    const std::int64_t imageSize = rowBytes * m_height;
    if (imageSize + 54 > 0x7FFFFFFF)
        return {};
    QByteArray file(qsizetype(imageSize + 54), '\0');
    char* out = file.data();
    put16(out, 19778);
    put32(out + 2, std::uint32_t(imageSize + 54));
    put32(out + 10, 54);
    put32(out + 14, 40);
    put32(out + 18, std::uint32_t(m_width));
    put32(out + 22, std::uint32_t(m_height));
    put16(out + 26, 1);
    put16(out + 28, bitsPerPixel);
    put32(out + 34, std::uint32_t(imageSize));
    char* pixels = out + 54;
    if (bitsPerPixel == 32) {
        std::memcpy(pixels, m_bits, std::size_t(imageSize));
        return file;
    }
    // Blue, green, red as stored (premultiplied), rows padded to 4 bytes, bottom row first.
    for (std::int32_t row = 0; row < m_height; ++row) {
        const std::uint8_t* source = m_bits + std::size_t(row) * std::size_t(m_width) * 4;
        char* target = pixels + std::size_t(row) * std::size_t(rowBytes);
        for (std::int32_t x = 0; x < m_width; ++x)
            std::memcpy(target + std::size_t(x) * 3, source + std::size_t(x) * 4, 3);
    }
    return file;
}

bool c32bppDIB::SaveToFile(const QString& FileName, bool PromptOverwrite)
{
    if (m_dib.isNull() || FileName.isEmpty())
        return false;
    if (!confirmOverwrite(FileName, PromptOverwrite))
        return false;
    const QByteArray bytes = bmpFileBytes();
    return !bytes.isEmpty() && writeFileReplacing(FileName, bytes);
}

bool c32bppDIB::SaveToStream(QByteArray& outStream)
{
    if (m_dib.isNull())
        return false;
    outStream = bmpFileBytes();
    return !outStream.isEmpty();
}

bool c32bppDIB::SaveToStream_PNG(QByteArray& outStream)
{
    if (m_dib.isNull())
        return false;
    std::unique_ptr<cGDIPlus> fresh;
    cGDIPlus& bridge = bridgeOf(m_cachedGdiPlus.get(), fresh);
    // Only the own writer writes text properties: it goes first when there are any.
    if (m_pngPropertyHolder) {
        if (m_pngPropertyHolder->WritePng(*this, {}, outStream))
            return true;
        return bridge.SaveToPNG({}, outStream, *this, m_gdiToken);
    }
    if (bridge.SaveToPNG({}, outStream, *this, m_gdiToken))
        return true;
    return cPNGwriter().WritePng(*this, {}, outStream);
}

bool c32bppDIB::SaveToFile_PNG(const QString& FileName, bool PromptOverwrite)
{
    if (m_dib.isNull() || FileName.isEmpty() || !confirmOverwrite(FileName, PromptOverwrite))
        return false;
    QByteArray bytes;
    return SaveToStream_PNG(bytes) && writeFileReplacing(FileName, bytes);
}

bool c32bppDIB::PngPropertySet(std::int32_t PropertyID, const QVariant& PropertyValue,
                               const QString& Caption_Misc)
{
    if (PropertyID == pngProp_ClearProps) {
        m_pngPropertyHolder.reset();
        return true;
    }
    if (PropertyValue.isValid()) {
        if (!m_pngPropertyHolder)
            m_pngPropertyHolder = std::make_unique<cPNGwriter>();
        return m_pngPropertyHolder->SetPngProperty(PropertyID, PropertyValue, Caption_Misc);
    }
    if (!m_pngPropertyHolder)
        return false;
    return m_pngPropertyHolder->RemovePngProperty(PropertyID, Caption_Misc);
}

QVariant c32bppDIB::PngPropertyGet(std::int32_t PropertyID, const QString& Caption_Misc) const
{
    if (m_pngPropertyHolder)
        return m_pngPropertyHolder->GetPngProperty(PropertyID, Caption_Misc);
    switch (PropertyID) {
        case pngProp_DefaultBkgColor:
            return QVariant(std::int32_t(-1));
        case pngProp_DateTimeModified:
            // The date value 0: midnight at the start of 30 December 1899.
            return QVariant(QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
        default:
            return QVariant(QString());
    }
}

bool c32bppDIB::SaveToStream_JPG(QByteArray& outStream, std::int32_t Quality)
{
    if (m_dib.isNull())
        return false;
    std::unique_ptr<cGDIPlus> fresh;
    return bridgeOf(m_cachedGdiPlus.get(), fresh)
        .SaveToJPG({}, outStream, *this, Quality, m_gdiToken);
}

bool c32bppDIB::SaveToFile_JPG(const QString& FileName, std::int32_t Quality, bool PromptOverwrite)
{
    if (m_dib.isNull() || FileName.isEmpty() || !confirmOverwrite(FileName, PromptOverwrite))
        return false;
    QByteArray bytes;
    return SaveToStream_JPG(bytes, Quality) && writeFileReplacing(FileName, bytes);
}

bool c32bppDIB::SaveToStream_TGA(QByteArray& outStream, bool Compress, bool ReduceBitDepth,
                                 bool AllowPreMultipliedPixels, bool /*PromptOverwrite*/)
{
    if (m_dib.isNull())
        return false;
    return cTGAparser().SaveAsTGA({}, outStream, this, AllowPreMultipliedPixels, Compress,
                                  ReduceBitDepth);
}

bool c32bppDIB::SaveToFile_TGA(const QString& FileName, bool Compress, bool ReduceBitDepth,
                               bool AllowPreMultipliedPixels, bool PromptOverwrite)
{
    if (m_dib.isNull() || FileName.isEmpty() || !confirmOverwrite(FileName, PromptOverwrite))
        return false;
    QByteArray bytes;
    return cTGAparser().SaveAsTGA(FileName, bytes, this, AllowPreMultipliedPixels, Compress,
                                  ReduceBitDepth);
}

}  // namespace XrImage
