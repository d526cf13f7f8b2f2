#include "platform/richedit/model/FormatPool.h"

#include <QHash>

namespace richedit {

size_t CharFormatHash::operator()(const CharFormat& format) const
{
    size_t seed = qHash(format.face);
    for (uint32_t value :
         {format.mask, format.effects, uint32_t(format.heightTw), uint32_t(format.offsetTw),
          format.color, format.backColor, format.lcid, uint32_t(format.charset)})
        seed = seed * 1000003u ^ value;
    return seed;
}

size_t ParaFormatHash::operator()(const ParaFormat& format) const
{
    size_t seed = format.mask;
    for (uint32_t value :
         {uint32_t(format.numbering), uint32_t(format.numberingStart),
          uint32_t(format.numberingStyle), uint32_t(format.numberingTab),
          uint32_t(format.alignment), uint32_t(format.startIndent), uint32_t(format.rightIndent),
          uint32_t(format.offset), uint32_t(format.spaceBefore), uint32_t(format.spaceAfter),
          uint32_t(format.lineSpacing), uint32_t(format.lineSpacingRule)})
        seed = seed * 1000003u ^ value;
    for (int32_t tab : format.tabs)
        seed = seed * 1000003u ^ uint32_t(tab);
    return seed;
}

}  // namespace richedit
