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
#include <QFont>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QMimeData;

namespace gdi {
class DeviceContext;
class Font;
class Region;
}  // namespace gdi
namespace picture {
class Metafile;
class Picture;
}  // namespace picture

// Members only the library's own classes may call: other libraries cannot link them. A test
// build exports them so that the library's own tests can reach them.
#ifdef XRIMAGE_EXPORT_INTERNALS
#define XRIMAGE_INTERNAL
#else
#define XRIMAGE_INTERNAL __attribute__((visibility("hidden")))
#endif

namespace XrImage {

class cGDIPlus;
class cPNGwriter;

// --- rendering, pixel access, text, geometry and effects: types ----------------------------

// A two-dimensional byte array handed between the rendering workers: byte columns (width x 4)
// by rows, rows bottom-up, premultiplied blue, green, red, alpha. Never dimensioned (empty)
// tells the receiving worker to read the image's own pixels.
struct PixelArray {
    std::vector<std::uint8_t> bytes;
    std::int32_t width = 0;   // pixels of a row
    std::int32_t height = 0;  // rows
    // Set by scaling that worked out only the part of the destination that can change: the
    // compositor places the array's top-left pixel at (placedLeft, placedTop) without
    // cropping it again.
    bool placed = false;
    std::int64_t placedLeft = 0;
    std::int64_t placedTop = 0;

    bool isDimensioned() const { return !bytes.empty(); }
    // Makes it width x height pixels of 0; false (and empty) when the size cannot be held.
    bool dimension(std::int32_t pixelsWide, std::int32_t rows);
    void erase();
    std::uint8_t* row(std::int32_t bottomUpRow) { return bytes.data() + rowOffset(bottomUpRow); }
    const std::uint8_t* row(std::int32_t bottomUpRow) const
    {
        return bytes.data() + rowOffset(bottomUpRow);
    }

private:
    std::size_t rowOffset(std::int32_t bottomUpRow) const
    {
        return std::size_t(bottomUpRow) * std::size_t(width) * 4;
    }
};

// A rectangle of a scaled target, top-down and relative to the target's top-left corner:
// columns left to right - 1, rows top to bottom - 1.
struct TargetWindow {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;
};

// A Basic byte array as the block transfers hand it over: one dimension (every row one after
// the other) or two (the bytes of a row by the rows), zero-based.
struct DibByteArray {
    QByteArray bytes;
    std::int32_t dimensions = 0;  // 0: never dimensioned
    std::int32_t rowLength = 0;   // first index's count in two dimensions
    std::int32_t rows = 0;        // second index's count in two dimensions

    bool isAllocated() const { return dimensions > 0 && !bytes.isEmpty(); }
};

// Which way Render drew, kept so that the road rules can be checked.
enum class RenderRoad { None, AlphaBlend, GdiPlus, Own, Rotated };

// Alignment flags of the text members, as the platform's text alignment takes them.
enum eTextAlignment : std::int32_t {
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_RTLREADING = 256,
};

// What CreateRegion makes of the alpha channel.
enum eRegionStyles : std::int32_t {
    regionBounds = 0,
    regionEnclosed = 1,
    regionShaped = 2,
};

// Sides TrimImage searches; 0 means all four.
enum eTrimOptions : std::int32_t {
    trimAll = 0,
    trimLeft = 1,
    trimTop = 2,
    trimRight = 4,
    trimBottom = 8,
};

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
                          bool SaveFormat = false, std::int32_t iconBitDepth = 32);
    // The bytes from streamStart for streamLength (0: to the end); the caller's array is
    // never changed.
    bool LoadPicture_Stream(QByteArray& inStream, std::int32_t iconCx = 0, std::int32_t iconCy = 0,
                            std::int32_t streamStart = 0, std::int32_t streamLength = 0,
                            bool SaveFormat = false, std::int32_t iconBitDepth = 32);
    // A resource of a deliverable (empty: this library's own). A String ResSection names a
    // custom resource type whose bytes are loaded; a number is a picture kind (0 bitmap,
    // 1 icon, 2 cursor).
    bool LoadPicture_Resource(const QVariant& ResIndex, const QVariant& ResSection,
                              const QString& deliverable = {}, std::int32_t iconCx = 0,
                              std::int32_t iconCy = 0, std::int32_t streamStart = 0,
                              std::int32_t streamLength = 0, std::int32_t iconBitDepth = 32);
    bool LoadPicture_StdPicture(const picture::Picture* Picture);
    bool LoadPicture_ByHandle(const gdi::Bitmap* Handle);
    // A metafile or enhanced-metafile handle: drawn as a picture of its kind. The caller's
    // handle stays its own.
    bool LoadPicture_ByHandle(const picture::Metafile* Handle);
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

    // --- pixel access, alpha mask, copies and regions (coordinates top-down) ------------
    // The pixel's colour as an RGB value (straight unless asked premultiplied; a colour byte
    // above its alpha reads 255), its alpha into AlphaValue; -1 outside the image.
    std::int32_t GetPixel(std::int32_t X, std::int32_t Y, std::int32_t* AlphaValue = nullptr,
                          bool asPreMultiplied = false) const;
    // The rectangle's pixels into outStream in the asked layout. False without an image, for a
    // negative position or size, or a rectangle that starts at or past the image's edge.
    bool GetDIBbits(DibByteArray& outStream, bool as2dArray = true, bool asBGRformat = true,
                    bool as32bpp = true, bool asWordAligned = true, bool asBottomUp = true,
                    std::int32_t X = 0, std::int32_t Y = 0, std::int32_t Width = 0,
                    std::int32_t Height = 0, bool asPreMultiplied = true) const;
    // Writes one pixel; the address of the written pixel, 0 when nothing was written.
    std::uintptr_t SetPixel(std::int32_t X, std::int32_t Y, std::int32_t Color,
                            std::int32_t AlphaValue = 255, bool isPreMultiplied = false);
    // Writes the rectangle from inStream, which must hold at least the rectangle's rows, then
    // classifies the alpha of the whole image.
    bool SetDIBbits(const DibByteArray& inStream, bool isBGRformat = true, bool is32bpp = true,
                    bool isWordAligned = true, bool isBottomUp = true, std::int32_t dstX = 0,
                    std::int32_t dsty = 0, std::int32_t dstwidth = 0, std::int32_t dstheight = 0);
    // The rectangle's alpha bytes, one per pixel.
    bool GetAlphaMask(DibByteArray& outStream, bool as2dArray = true, bool asWordAligned = true,
                      bool asBottomUp = true, std::int32_t X = 0, std::int32_t Y = 0,
                      std::int32_t Width = 0, std::int32_t Height = 0) const;
    // A region of the pixels with alpha (moved by the offsets); null when none results. The
    // caller owns it.
    std::unique_ptr<gdi::Region> CreateRegion(std::int32_t Style = regionBounds,
                                              std::int32_t xOffset = 0,
                                              std::int32_t yOffset = 0) const;
    // Copies the image into cDIBclass (made when null), resized or mirrored by the sizes.
    void CopyImageTo(std::unique_ptr<c32bppDIB>& cDIBclass, std::int32_t newWidth = 0,
                     std::int32_t newHeight = 0, bool CopyOriginalFormat = false);
    void CopyImageTo(c32bppDIB& cDIBclass, std::int32_t newWidth = 0, std::int32_t newHeight = 0,
                     bool CopyOriginalFormat = false);

    // (slots 38-39: the original format)

    // True selects the DIB into OwnDC (made when missing) and returns it; false deselects it
    // and drops OwnDC unless ManageOwnDC is set. Null without a DIB or after a deselect.
    gdi::DeviceContext* LoadDIBinDC(bool bLoad);
    // A Width x |Height| image of transparent black; false (and an empty image) for a width
    // below 1, a height of 0 or a size that cannot be allocated.
    bool InitializeDIB(std::int32_t Width, std::int32_t Height);
    void DestroyDIB();
    // Every pixel byte 0, ImageType imgNone, Alpha true; nothing without an image.
    void EraseDIB();

    // --- text and rendering ----------------------------------------------------------------
    // Draws the text (lines split at CR LF) in the font object's font; an empty image becomes
    // the text's picture.
    bool DrawText_stdFont(const QFont* theFont, const QString& theText,
                          std::int32_t Alignment = TA_LEFT, std::int32_t DestX = 0,
                          std::int32_t DestY = 0, std::int32_t DestWidth = 0,
                          std::int32_t DestHeight = 0, std::int32_t ForeColor = 0,
                          std::int32_t BackColor = -1, std::int32_t Opacity = 100,
                          std::int32_t grayScale = gsclNone, float Angle = 0,
                          bool CenterOnDestXY = false);
    bool DrawText_hFont(const gdi::Font* theFontHandle, const QString& theText,
                        std::int32_t Alignment = TA_LEFT, std::int32_t DestX = 0,
                        std::int32_t DestY = 0, std::int32_t DestWidth = 0,
                        std::int32_t DestHeight = 0, std::int32_t ForeColor = 0,
                        std::int32_t BackColor = -1, std::int32_t Opacity = 100,
                        std::int32_t grayScale = gsclNone, float Angle = 0,
                        bool CenterOnDestXY = false);
    // Draws a rectangle of the image onto a device context or into destHostDIB, scaled,
    // mirrored (negative sizes), faded, greyed, lightened or turned.
    bool Render(gdi::DeviceContext* destinationDC, std::int32_t DestX = 0, std::int32_t DestY = 0,
                std::int32_t DestWidth = 0, std::int32_t DestHeight = 0, std::int32_t srcx = 0,
                std::int32_t srcy = 0, std::int32_t srcwidth = 0, std::int32_t srcheight = 0,
                std::int32_t Opacity = 100, bool Blend = true, bool SetHalfTone = true,
                c32bppDIB* destHostDIB = nullptr, std::int32_t grayScale = gsclNone,
                float LightAdjustment = 0, float Angle = 0, bool CenterOnDestXY = false);

    // (slots 47-56: saving and PNG properties)

    // --- geometry ---------------------------------------------------------------------------
    bool Resize(std::int32_t newWidth, std::int32_t newHeight);
    bool TrimImage(bool UpdateDIB, std::int32_t Method, std::int32_t* X = nullptr,
                   std::int32_t* Y = nullptr, std::int32_t* Width = nullptr,
                   std::int32_t* Height = nullptr);
    bool TileImage(gdi::DeviceContext* destinationDC, std::int32_t DestX, std::int32_t DestY,
                   std::int32_t DestWidth, std::int32_t DestHeight, std::int32_t TileWidth = 0,
                   std::int32_t TileHeight = 0, std::int32_t ColumnGap = 0, std::int32_t RowGap = 0,
                   bool StaggerRows = false, bool FlipAlternateTilesX = false,
                   bool FlipAlternateTilesY = false, std::int32_t Opacity = 100,
                   std::int32_t grayScale = gsclNone, float LightAdjustment = 0);
    bool CreateCheckerBoard(std::int32_t CheckerSize = 12, std::int32_t FirstColor = 0xFFFFFF,
                            std::int32_t SecondColor = 0xC0C0C0);

    // --- effects ----------------------------------------------------------------------------
    bool MakeGrayScale(std::int32_t Formula);
    bool MakeImageInverse();
    bool MakeTransparent(std::int32_t TransparentColor, bool Revert = false);
    bool MirrorImage(bool MirrorAxisX, bool MirrorAxisY);
    std::unique_ptr<c32bppDIB> CreateDropShadow(std::int32_t blurDepth = 4,
                                                std::int32_t Color = 0xC0C0C0) const;
    bool RenderDropShadow_JIT(gdi::DeviceContext* hDC, std::int32_t X, std::int32_t Y,
                              std::int32_t blurDepth = 4, std::int32_t Color = 0xC0C0C0,
                              std::int32_t Opacity = 50, float LightAdjustment = 0,
                              c32bppDIB* destHostDIB = nullptr) const;
    bool MakeLighterDarker(float Percent);

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
    // Stores a PNG text property for the own PNG writer (no value removes it;
    // pngProp_ClearProps drops them all).
    bool PngPropertySet(std::int32_t PropertyID, const QVariant& PropertyValue = {},
                        const QString& Caption_Misc = {});
    QVariant PngPropertyGet(std::int32_t PropertyID, const QString& Caption_Misc = {}) const;

    // A GDI+ session of the caller's own, to hand to images through gdiToken; 0 when none
    // could start. It lasts until DestroyGDIplusToken.
    std::int32_t CreateGDIplusToken();
    // Ends the token's session; 0 does nothing. Answers False (a shutdown reports no success).
    bool DestroyGDIplusToken(std::int32_t token);

    bool BlendToColor(std::int32_t BlendColor, std::int32_t BlendOpacity = 33);

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
    // The road the last Render took (None when it drew nothing).
    RenderRoad LastRenderRoad() const { return m_lastRenderRoad; }

    // --- rendering workers (library-internal) -----------------------------------------------
    XRIMAGE_INTERNAL bool MirrorCopy(std::int32_t& srcx, std::int32_t& srcy, std::int32_t srcwidth,
                                     std::int32_t srcheight, std::int32_t& DestWidth,
                                     std::int32_t& DestHeight, PixelArray& pixels,
                                     c32bppDIB* destination, float& LightAdjustment) const;
    XRIMAGE_INTERNAL bool ResampleImage(PixelArray& output, PixelArray& input,
                                        c32bppDIB* destination, std::int32_t srcx,
                                        std::int32_t srcy, std::int32_t srcwidth,
                                        std::int32_t srcheight, std::int32_t DestX,
                                        std::int32_t DestY, std::int32_t& DestWidth,
                                        std::int32_t& DestHeight, float& LightAdjustment,
                                        const TargetWindow* visible = nullptr) const;
    // With copyFromImage the rectangle of this image is copied with the change into pixels;
    // otherwise pixels is changed in place.
    XRIMAGE_INTERNAL void AdjustLightness(bool copyFromImage, float Percent, PixelArray& pixels,
                                          std::int32_t& X, std::int32_t& Y, std::int32_t Width,
                                          std::int32_t Height) const;
    XRIMAGE_INTERNAL bool BlendToDC(gdi::DeviceContext* destDC, PixelArray& pixels,
                                    std::int32_t srcx, std::int32_t srcy, std::int32_t DestX,
                                    std::int32_t DestY, std::int32_t DestWidth,
                                    std::int32_t DestHeight, std::int32_t constantAlpha,
                                    c32bppDIB* destHostDIB, std::int32_t grayScale,
                                    float LightAdjustment) const;

private:
    bool RenderRotated(gdi::DeviceContext* destDC, float Angle, std::int32_t X, std::int32_t Y,
                       std::int32_t DestWidth, std::int32_t DestHeight, std::int32_t srcx,
                       std::int32_t srcy, std::int32_t srcwidth, std::int32_t srcheight,
                       std::int32_t Opacity, c32bppDIB* destHostDIB, std::int32_t grayScale,
                       float LightAdjustment);
    bool renderThroughGdiPlus(gdi::DeviceContext* destDC, float Angle, std::int32_t Opacity,
                              std::int32_t DestX, std::int32_t DestY, std::int32_t DestWidth,
                              std::int32_t DestHeight, std::int32_t srcx, std::int32_t srcy,
                              std::int32_t srcwidth, std::int32_t srcheight, bool highQuality,
                              std::int32_t grayScale, float LightAdjustment);
    bool RenderText(const gdi::Font& font, const QString& theText, std::int32_t Alignment,
                    std::int32_t DestX, std::int32_t DestY, std::int32_t DestWidth,
                    std::int32_t DestHeight, std::int32_t ForeColor, std::int32_t BackColor,
                    std::int32_t Opacity, std::int32_t grayScale, float Angle, bool CenterOnDestXY);
    // A new image that carries this one's token, flags, type, Alpha, original bytes and Tag.
    std::unique_ptr<c32bppDIB> makeSibling(std::int32_t width, std::int32_t height) const;
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
    // The PNG text properties, held in the writer that will write them.
    std::unique_ptr<cPNGwriter> m_pngPropertyHolder;
    RenderRoad m_lastRenderRoad = RenderRoad::None;
};

}  // namespace XrImage
