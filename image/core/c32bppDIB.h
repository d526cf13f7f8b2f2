// The image library's one in-memory image: a 32-bit device-independent bitmap section with
// premultiplied alpha (blue, green, red, alpha bytes; rows bottom-up; stride exactly Width x 4)
// and the state that goes with it. Codecs fill it through InitializeDIB, BitsPointer,
// scanWidth, SetImageType and Alpha.
//
// A property's read is `Name()`, its write `LetName()` (`SetName()` for an object). The public
// members keep the interface's slot order; groups built elsewhere are marked where they go.
#pragma once

#include "image/core/CapabilityFlags.h"
#include "image/core/ImageEnums.h"
#include "platform/gdi/Bitmap.h"

#include <QByteArray>
#include <QStringList>
#include <QVariant>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QMimeData;

namespace gdi {
class DeviceContext;
}
namespace picture {
class Picture;
}

// Members only the library's own classes may call: other libraries cannot link them. A test
// build exports them so that the library's own tests can reach them.
#ifdef XRIMAGE_EXPORT_INTERNALS
#define XRIMAGE_INTERNAL
#else
#define XRIMAGE_INTERNAL __attribute__((visibility("hidden")))
#endif

namespace XrImage {

class cGDIPlus;

// A GDI object named as a number; 0 names nothing.
using GdiHandle = std::uintptr_t;

class c32bppDIB {
public:
    c32bppDIB();
    // An image made on a platform of that version (the capability flags follow from it).
    explicit c32bppDIB(const PlatformVersion& platform);
    ~c32bppDIB();
    c32bppDIB(const c32bppDIB&) = delete;
    c32bppDIB& operator=(const c32bppDIB&) = delete;

    // --- properties (slots 0-23) ---------------------------------------------------------
    void LetAlpha(bool value) { m_alpha = value; }
    bool Alpha() const { return m_alpha; }
    void LetHighQualityInterpolation(bool value) { m_highQualityInterpolation = value; }
    bool HighQualityInterpolation() const { return m_highQualityInterpolation; }
    eImageFormat ImageType() const { return m_imageType; }
    // False deletes OwnDC (deselecting the DIB first); True makes one when a DIB exists.
    void LetManageOwnDC(bool value);
    bool ManageOwnDC() const { return m_manageOwnDC; }
    bool isAlphaBlendFriendly() const { return (m_capabilityFlags & capAlphaBlend) != 0; }
    // True switches AlphaBlend on only on platforms that have it (bit 8 or 16); false clears it.
    void LetisAlphaBlendFriendly(bool value);
    // True when GDI+ is the usable drawing path (capability bit 2).
    bool isGDIplusEnabled() const { return (m_capabilityFlags & capGdiPlus) != 0; }
    // A change clears bit 2; True then probes the bridge (unless the platform has no GDI+)
    // and sets the bit when a session could start.
    void LetisGDIplusEnabled(bool value);
    // While KeepGDIplusActive is set the cached bridge is released first.
    void LetgdiToken(std::int32_t value);
    std::int32_t gdiToken() const { return m_gdiToken; }
    void LetTag(const QVariant& value) { m_tag = value; }
    void SetTag(const QVariant& value) { LetTag(QVariant(value)); }
    QVariant Tag() const { return m_tag; }
    // Keeps a GDI+ bridge cached between calls; reads False while GDI+ is not enabled, and
    // False releases the cached bridge.
    void LetKeepGDIplusActive(bool value);
    bool KeepGDIplusActive() const { return m_keepGDIplusActive; }
    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }
    // The first pixel byte, that of the bottom row; null without an image.
    std::uint8_t* BitsPointer() const { return m_bits; }
    // Width x 4: the bytes of one row.
    std::int32_t scanWidth() const;
    GdiHandle Handle() const;
    // Whether zlib can be loaded (as "zlib1.dll", else "zlib.dll") and exports crc32; asked
    // anew on every read.
    bool isZlibEnabled() const;

    // --- loading (slots 24-30; see DibLoading.cpp) -----------------------------------------
    // Every loader empties the image first, so a failed load leaves it empty (imgError).
    // iconCx, iconCy and iconBitDepth pick the entry of an icon file; SaveFormat keeps the
    // source's bytes as OriginalFormatBytes.
    bool LoadPicture_File(const QString& FileName, std::int32_t iconCx = 0, std::int32_t iconCy = 0,
                          bool SaveFormat = false, std::int32_t iconBitDepth = 0);
    // The bytes from streamStart for streamLength (0: to the end); the caller's array is
    // never changed.
    bool LoadPicture_Stream(QByteArray& inStream, std::int32_t iconCx = 0, std::int32_t iconCy = 0,
                            std::int32_t streamStart = 0, std::int32_t streamLength = 0,
                            bool SaveFormat = false, std::int32_t iconBitDepth = 0);
    // A resource of a deliverable (empty: this library's own). A String ResSection names a
    // custom resource type whose bytes are loaded; a number is a picture kind (0 bitmap,
    // 1 icon, 2 cursor).
    bool LoadPicture_Resource(const QVariant& ResIndex, const QVariant& ResSection,
                              const QString& deliverable = {}, std::int32_t iconCx = 0,
                              std::int32_t iconCy = 0, std::int32_t streamStart = 0,
                              std::int32_t streamLength = 0, std::int32_t iconBitDepth = 0);
    bool LoadPicture_StdPicture(const picture::Picture* Picture);
    bool LoadPicture_ByHandle(const gdi::Bitmap* Handle);
    bool LoadPicture_ClipBoard();
    bool LoadPicture_FromOrignalFormat(std::int32_t iconCx = 0, std::int32_t iconCy = 0,
                                       std::int32_t iconBitDepth = 0);
    bool GetOrginalFormat(QByteArray& outStream) const;
    // Keeps only the local files of the dropped data's URL list, in order; False without any.
    bool GetDroppedFileNames(QMimeData* OLEDragDrop_DataObject) const;
    // The files on the clipboard, in order; 0 (and the list untouched) when there are none.
    std::int32_t GetPastedFileNames(QStringList& ListOfFiles) const;

    // The size at which the image fits a DestWidth x DestHeight box in the given mode; the
    // image is not changed, and without one the out-arguments are left as they are.
    void ScaleImage(std::int32_t DestWidth, std::int32_t DestHeight, std::int32_t& newWidth,
                    std::int32_t& newHeight, std::int32_t ScaleMode = scaleDownAsNeeded) const;

    // (slots 32-39: pixel access, alpha mask, regions, copies, the original format)

    // True selects the DIB into OwnDC (made when missing) and returns it; false deselects it
    // and drops OwnDC unless ManageOwnDC is set. Null without a DIB or after a deselect.
    gdi::DeviceContext* LoadDIBinDC(bool bLoad);
    // A Width x |Height| image of transparent black; false (and an empty image) for a width
    // below 1, a height of 0 or a size that cannot be allocated.
    bool InitializeDIB(std::int32_t Width, std::int32_t Height);
    void DestroyDIB();
    // Every pixel byte 0, ImageType imgNone, Alpha true; nothing without an image.
    void EraseDIB();

    // (slots 44-68: text, rendering, saving, PNG properties, geometry, effects)

    // --- the entries of a source icon (see DibIconSizes.cpp) -----------------------------
    // For an icon or cursor image: one row per entry of its kept source bytes (width,
    // height, bit depth, colour-count code), or the image itself without them; the number of
    // rows, 0 for other images.
    std::int32_t SourceIconSizes(std::vector<std::array<std::int32_t, 4>>& sizeArray) const;

    // --- saving (see DibSaving.cpp) ------------------------------------------------------
    // Files are written beside the target and replace it only when complete; an existing
    // file is first confirmed with the user when PromptOverwrite is set.
    // BMP: 32 bits when Alpha is set, else 24.
    bool SaveToFile(const QString& FileName, bool PromptOverwrite = true);
    bool SaveToFile_PNG(const QString& FileName, bool PromptOverwrite = true);
    bool SaveToFile_JPG(const QString& FileName, std::int32_t Quality = 60,
                        bool PromptOverwrite = true);
    bool SaveToFile_TGA(const QString& FileName, bool Compress = false, bool ReduceBitDepth = false,
                        bool AllowPreMultipliedPixels = false, bool PromptOverwrite = true);
    bool SaveToStream(QByteArray& outStream);
    bool SaveToStream_PNG(QByteArray& outStream);
    bool SaveToStream_JPG(QByteArray& outStream, std::int32_t Quality = 60);
    bool SaveToStream_TGA(QByteArray& outStream, bool Compress = false, bool ReduceBitDepth = false,
                          bool AllowPreMultipliedPixels = false, bool PromptOverwrite = true);

    // A GDI+ session of the caller's own, to hand to images through gdiToken; 0 when none
    // could start. It lasts until DestroyGDIplusToken.
    std::int32_t CreateGDIplusToken();
    // Ends the token's session; 0 does nothing. Answers False (a shutdown reports no success).
    bool DestroyGDIplusToken(std::int32_t token);

    // (slots 71-73: dropped and pasted file names)

    // Exchanges the pixels, size, image type, Alpha and original bytes with another image;
    // each side's device context then holds its new DIB if it held one before.
    void SwapDIBs(c32bppDIB* SwapFromDIB);

    // --- library-internal ---------------------------------------------------------------
    XRIMAGE_INTERNAL void SetImageType(std::int32_t value);
    XRIMAGE_INTERNAL void SetOriginalFormat(const QByteArray& bytes);

    // --- state that is not part of the interface ----------------------------------------
    // The bridge kept while KeepGDIplusActive is set; null when none is cached.
    cGDIPlus* CachedGdiPlus() const { return m_cachedGdiPlus.get(); }
    void releaseCachedGdiPlus();
    std::int32_t CapabilityFlags() const { return m_capabilityFlags; }
    // The image's own memory device context; null when there is none.
    gdi::DeviceContext* OwnDC() const { return m_ownDC.get(); }
    // The DIB section as a bitmap object; null without an image.
    const gdi::Bitmap& DibSection() const { return m_dib; }
    const QByteArray& OriginalFormatBytes() const { return m_originalFormatBytes; }

private:
    // The one chain every byte source runs through (see DibLoading.cpp).
    bool LoadPicture_Dispatch(const QString& FileName, QByteArray& stream, std::int32_t iconCx,
                              std::int32_t iconCy, std::int32_t streamStart,
                              std::int32_t streamLength, bool SaveFormat,
                              std::int32_t iconBitDepth);
    bool runReaders(const QString& FileName, QByteArray& stream, std::int32_t& iconCx,
                    std::int32_t& iconCy, std::int32_t& streamStart, std::int32_t& streamLength,
                    bool SaveFormat, std::int32_t& iconBitDepth, QByteArray& keptBytes);
    // The BMP file of the image, headers and pixels.
    QByteArray bmpFileBytes() const;
    // False when the file exists and the user declines to overwrite it.
    bool confirmOverwrite(const QString& FileName, bool PromptOverwrite) const;

    void deselectFromOwnDC();
    void selectIntoOwnDC();
    void makeOwnDC();
    void reselectAfterSwap();

    QVariant m_tag;
    bool m_highQualityInterpolation = false;
    gdi::Bitmap m_dib;
    std::uint8_t* m_bits = nullptr;
    std::int32_t m_height = 0;
    std::int32_t m_width = 0;
    std::unique_ptr<gdi::DeviceContext> m_ownDC;
    gdi::Bitmap m_displacedBitmap;
    std::int32_t m_capabilityFlags = 0;
    eImageFormat m_imageType = imgError;
    bool m_manageOwnDC = false;
    bool m_alpha = false;
    std::int32_t m_gdiToken = 0;
    bool m_keepGDIplusActive = false;
    std::unique_ptr<cGDIPlus> m_cachedGdiPlus;
    QByteArray m_originalFormatBytes;
};

}  // namespace XrImage
