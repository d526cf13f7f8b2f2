#include "platform/richedit/model/FormatRecords.h"

#include "platform/runtime/Windows1252.h"

#include <algorithm>
#include <cstring>

namespace richedit {

namespace {

constexpr uint32_t EffectFields = Bold | Italic | Underline | StrikeOut | Protected | Link |
                                  Hidden | SubSuperscript | BackColor | Color;

}  // namespace

std::optional<CharFormat> toCharFormat(const RtfFormatQ& record)
{
    if (record.cbSize != RtfFormatQSize)
        return std::nullopt;
    CharFormat format;
    format.mask = record.dwMask & AllCharFields;
    format.effects = record.dwEffects & format.mask & EffectFields;
    format.heightTw = record.yHeight;
    format.offsetTw = record.yOffset;
    format.color = record.crTextColor;
    format.backColor = record.crBackColor;
    format.lcid = record.lLCID;
    format.charset = record.bCharSet;
    const char* face = record.szFaceName;
    const auto length = std::find(face, face + sizeof(record.szFaceName), '\0') - face;
    format.face = vb::fromWindows1252(QByteArray(face, length));
    return format;
}

void fromCharFormat(const CharFormat& format, RtfFormatQ& record)
{
    record = RtfFormatQ{};
    record.cbSize = RtfFormatQSize;
    record.dwMask = format.mask;
    record.dwEffects = format.effects;
    record.yHeight = format.heightTw;
    record.yOffset = format.offsetTw;
    record.crTextColor = format.color;
    record.crBackColor = format.backColor;
    record.lLCID = format.lcid;
    record.bCharSet = format.charset;
    const QByteArray face = vb::toWindows1252(format.face).left(MaxFaceNameBytes);
    std::memcpy(record.szFaceName, face.constData(), size_t(face.size()));
}

std::optional<ParaFormat> toParaFormat(const ParaFormat2& record)
{
    if (record.cbSize != ParaFormat2Size)
        return std::nullopt;
    ParaFormat format;
    format.mask = record.dwMask & AllParaFields;
    format.numbering = record.wNumbering;
    format.startIndent = record.dxStartIndent;
    format.rightIndent = record.dxRightIndent;
    format.offset = record.dxOffset;
    format.alignment = record.wAlignment;
    const int count = std::clamp<int>(record.cTabCount, 0, MaxTabStops);
    format.tabs.assign(record.rgxTabs, record.rgxTabs + count);
    format.spaceBefore = record.dySpaceBefore;
    format.spaceAfter = record.dySpaceAfter;
    format.lineSpacing = record.dyLineSpacing;
    format.lineSpacingRule = record.bLineSpacingRule;
    format.numberingStart = record.wNumberingStart;
    format.numberingStyle = record.wNumberingStyle;
    format.numberingTab = record.wNumberingTab;
    return format;
}

void fromParaFormat(const ParaFormat& format, ParaFormat2& record)
{
    record = ParaFormat2{};
    record.cbSize = ParaFormat2Size;
    record.dwMask = format.mask;
    record.wNumbering = format.numbering;
    record.dxStartIndent = format.startIndent;
    record.dxRightIndent = format.rightIndent;
    record.dxOffset = format.offset;
    record.wAlignment = format.alignment;
    const size_t count = std::min(format.tabs.size(), size_t(MaxTabStops));
    record.cTabCount = int16_t(count);
    std::copy_n(format.tabs.begin(), count, record.rgxTabs);
    record.dySpaceBefore = format.spaceBefore;
    record.dySpaceAfter = format.spaceAfter;
    record.dyLineSpacing = format.lineSpacing;
    record.bLineSpacingRule = format.lineSpacingRule;
    record.wNumberingStart = format.numberingStart;
    record.wNumberingStyle = format.numberingStyle;
    record.wNumberingTab = format.numberingTab;
}

}  // namespace richedit
