#include "platform/richedit/model/Formats.h"

namespace richedit {

CharFormat defaultCharFormat(const QString& face, int32_t heightTw)
{
    CharFormat format;
    format.mask = AllCharFields;
    format.effects = AutoColorEffect | AutoBackColorEffect;
    format.heightTw = heightTw;
    format.face = face;
    return format;
}

void mergeCharFormat(CharFormat& target, const CharFormat& change)
{
    // Effect bits travel with their mask bits; sub- and superscript share one mask.
    const uint32_t effectBits = change.mask & (Bold | Italic | Underline | StrikeOut | Protected |
                                               Link | Hidden | SubSuperscript | BackColor | Color);
    target.effects = (target.effects & ~effectBits) | (change.effects & effectBits);
    if (change.has(Size))
        target.heightTw = change.heightTw;
    if (change.has(Offset))
        target.offsetTw = change.offsetTw;
    if (change.has(Color))
        target.color = change.color;
    if (change.has(BackColor))
        target.backColor = change.backColor;
    if (change.has(Lcid))
        target.lcid = change.lcid;
    if (change.has(Charset))
        target.charset = change.charset;
    if (change.has(Face))
        target.face = change.face;
    target.mask |= change.mask;
}

ParaFormat defaultParaFormat()
{
    ParaFormat format;
    format.mask = AllParaFields;
    return format;
}

void mergeParaFormat(ParaFormat& target, const ParaFormat& change)
{
    if (change.has(StartIndent))
        target.startIndent = change.startIndent;
    if (change.has(RightIndent))
        target.rightIndent = change.rightIndent;
    if (change.has(OffsetIndent))
        target.offset = change.offset;
    if (change.has(Alignment))
        target.alignment = change.alignment;
    if (change.has(TabStops))
        target.tabs = change.tabs;
    if (change.has(Numbering))
        target.numbering = change.numbering;
    if (change.has(SpaceBefore))
        target.spaceBefore = change.spaceBefore;
    if (change.has(SpaceAfter))
        target.spaceAfter = change.spaceAfter;
    if (change.has(LineSpacing)) {
        target.lineSpacing = change.lineSpacing;
        target.lineSpacingRule = change.lineSpacingRule;
    }
    if (change.has(NumberingStyle))
        target.numberingStyle = change.numberingStyle;
    if (change.has(NumberingTab))
        target.numberingTab = change.numberingTab;
    if (change.has(NumberingStart))
        target.numberingStart = change.numberingStart;
    target.mask |= change.mask;
}

}  // namespace richedit
