// The binary character and paragraph format records that callers exchange with the engine
// (84 and 188 bytes, packed, little-endian), and their conversion to and from formats.
#pragma once

#include "platform/richedit/model/Formats.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace richedit {

static_assert(std::endian::native == std::endian::little, "format records are little-endian");

#pragma pack(push, 1)
struct RtfFormatQ {
    uint16_t cbSize = 0;
    uint16_t wPad1 = 0;
    uint32_t dwMask = 0;
    uint32_t dwEffects = 0;
    int32_t yHeight = 0;
    int32_t yOffset = 0;
    uint32_t crTextColor = 0;
    uint8_t bCharSet = 0;
    uint8_t bPitchAndFamily = 0;
    char szFaceName[32] = {};  // Windows-1252, NUL-terminated
    uint16_t wPad2 = 0;
    uint16_t wWeight = 0;
    int16_t sSpacing = 0;
    uint32_t crBackColor = 0;
    uint32_t lLCID = 0;
    uint32_t dwReserved = 0;
    int16_t sStyle = 0;
    uint16_t wKerning = 0;
    uint8_t bUnderlineType = 0;
    uint8_t bAnimation = 0;
    uint8_t bRevAuthor = 0;
    uint8_t bReserved1 = 0;
};

struct ParaFormat2 {
    uint32_t cbSize = 0;
    uint32_t dwMask = 0;
    uint16_t wNumbering = 0;
    uint16_t wEffects = 0;
    int32_t dxStartIndent = 0;
    int32_t dxRightIndent = 0;
    int32_t dxOffset = 0;
    uint16_t wAlignment = 0;
    int16_t cTabCount = 0;
    int32_t rgxTabs[MaxTabStops] = {};
    int32_t dySpaceBefore = 0;
    int32_t dySpaceAfter = 0;
    int32_t dyLineSpacing = 0;
    int16_t sStyle = 0;
    uint8_t bLineSpacingRule = 0;
    uint8_t bOutlineLevel = 0;
    uint16_t wShadingWeight = 0;
    uint16_t wShadingStyle = 0;
    uint16_t wNumberingStart = 0;
    uint16_t wNumberingStyle = 0;
    uint16_t wNumberingTab = 0;
    uint16_t wBorderSpace = 0;
    uint16_t wBorderWidth = 0;
    uint16_t wBorders = 0;
};
#pragma pack(pop)

constexpr uint16_t RtfFormatQSize = 84;
constexpr uint32_t ParaFormat2Size = 188;
static_assert(sizeof(RtfFormatQ) == RtfFormatQSize);
static_assert(sizeof(ParaFormat2) == ParaFormat2Size);

// The longest face name a record holds, in bytes, before its terminating NUL.
constexpr int MaxFaceNameBytes = 31;

// The masked fields of a record; empty when its cbSize is not the record's size. Effect bits
// whose mask bit is clear are dropped.
std::optional<CharFormat> toCharFormat(const RtfFormatQ& record);
// Fills a zeroed record from a format (a reading: mask, effects and values as they stand).
void fromCharFormat(const CharFormat& format, RtfFormatQ& record);

std::optional<ParaFormat> toParaFormat(const ParaFormat2& record);
void fromParaFormat(const ParaFormat& format, ParaFormat2& record);

}  // namespace richedit
