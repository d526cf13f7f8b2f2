// Writes a host image as a PNG file or byte array (8-bit samples, palette, grey, RGB or RGBA,
// never interlaced) and keeps the PNG property set of one image: texts under the standard
// keywords and free ones, a modification time, a background colour and a row-filter choice.
#pragma once

#include "image/core/c32bppDIB.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>

namespace XrImage {

enum ePngProperties : std::int32_t {
    pngProp_Title = 1,
    pngProp_Author = 2,
    pngProp_Description = 4,
    pngProp_Copyright = 8,
    pngProp_CreationTime = 16,
    pngProp_Software = 32,
    pngProp_Disclaimer = 64,
    pngProp_Warning = 128,
    pngProp_Source = 256,
    pngProp_Comment = 512,
    pngProp_Miscellaneous = 1024,
    pngProp_DateTimeModified = 2048,
    pngProp_DefaultBkgColor = 4096,
    pngProp_FilterMethod = 8192,
    pngProp_ClearProps = -1,
};

enum eFilterMethods : std::int32_t {
    filterDefault = 0,
    filterNone = 1,
    filterAdjLeft = 2,
    filterAdjTop = 3,
    filterAdjAvg = 4,
    filterPaeth = 5,
    filterAdaptive = 6,
};

class cPNGwriter {
public:
    // --- library-internal ---------------------------------------------------------------
    // Stores a property; False for an unknown identifier, a null or object value, a rejected
    // keyword, a value that is no date (2048) or no number (4096, 8192).
    XRIMAGE_INTERNAL bool SetPngProperty(std::int32_t PropertyID, const QVariant& PropertyValue,
                                         const QString& Caption_Misc = {});
    // Removes a property that is set; a free keyword must be given in its stored case.
    XRIMAGE_INTERNAL bool RemovePngProperty(std::int32_t PropertyID,
                                            const QString& Caption_Misc = {});
    // A text (empty when unset), the date (the zero date when unset), the colour (-1 when
    // unset) or the filter choice; an invalid QVariant for an unknown identifier.
    XRIMAGE_INTERNAL QVariant GetPngProperty(std::int32_t PropertyID,
                                             const QString& Caption_Misc = {}) const;
    // Writes cHost to FileName (beside it first, then renamed over it, keeping an existing
    // file's permissions) or, with an empty name, into outStream. False, with no file made or
    // changed and outStream emptied, when anything fails.
    XRIMAGE_INTERNAL bool WritePng(c32bppDIB& cHost, const QString& FileName,
                                   QByteArray& outStream);

private:
    bool setText(int slot, const QVariant& value);
    bool writePngOrThrow(c32bppDIB& cHost, const QString& FileName, QByteArray& outStream);

    std::int32_t FilterMethod = 0;
    std::int32_t BackgroundColour = 0;
    // Slots 0-9 the standard texts, 10 the modification date as text, 11 on "keyword\0text".
    QStringList Texts;
    QDateTime Modified;
    std::int32_t Mask = 0;
};

}  // namespace XrImage
