#include "platform/richedit/model/FormatPool.h"

#include <QHash>

namespace richedit {

size_t FormatPool::Hash::operator()(const CharFormat& format) const
{
    size_t seed = qHash(format.face);
    for (uint32_t value :
         {format.mask, format.effects, uint32_t(format.heightTw), uint32_t(format.offsetTw),
          format.color, format.backColor, format.lcid, uint32_t(format.charset)})
        seed = seed * 1000003u ^ value;
    return seed;
}

uint32_t FormatPool::intern(const CharFormat& format)
{
    auto found = m_indexes.find(format);
    if (found != m_indexes.end())
        return found->second;
    const auto index = uint32_t(m_formats.size());
    m_formats.push_back(format);
    m_indexes.emplace(format, index);
    return index;
}

}  // namespace richedit
