// Interned formats: every distinct stored format is kept once, and runs, marks and paragraphs
// hold its index, so that comparing two formats is comparing two numbers and a million
// paragraphs in one format share one record.
#pragma once

#include "platform/richedit/model/Formats.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace richedit {

// Equal formats; a face shared by both (the usual case when one reader made them) is not
// compared character by character.
inline bool sameCharFormat(const CharFormat& a, const CharFormat& b)
{
    static_assert(sizeof(CharFormat) == 32 + sizeof(QString), "compare every field here");
    return a.mask == b.mask && a.effects == b.effects && a.heightTw == b.heightTw &&
           a.offsetTw == b.offsetTw && a.color == b.color && a.backColor == b.backColor &&
           a.lcid == b.lcid && a.charset == b.charset &&
           ((a.face.constData() == b.face.constData() && a.face.size() == b.face.size()) ||
            a.face == b.face);
}

struct CharFormatHash {
    size_t operator()(const CharFormat& format) const;
};

struct ParaFormatHash {
    size_t operator()(const ParaFormat& format) const;
};

template <typename Format, typename Hash>
class InternedFormats {
public:
    // The index of `format`, adding it when it is new. Indexes stay valid for the pool's life.
    uint32_t intern(const Format& format)
    {
        auto found = m_indexes.find(format);
        if (found != m_indexes.end())
            return found->second;
        const auto index = uint32_t(m_formats.size());
        m_formats.push_back(format);
        m_indexes.emplace(format, index);
        return index;
    }

    const Format& at(uint32_t index) const { return m_formats[index]; }
    size_t size() const { return m_formats.size(); }

private:
    std::vector<Format> m_formats;
    std::unordered_map<Format, uint32_t, Hash> m_indexes;
};

using FormatPool = InternedFormats<CharFormat, CharFormatHash>;
using ParaFormatPool = InternedFormats<ParaFormat, ParaFormatHash>;

}  // namespace richedit
