// Interned formats: every distinct stored format is kept once, and runs, marks and paragraphs
// hold its index, so that comparing two formats is comparing two numbers and a million
// paragraphs in one format share one record.
#pragma once

#include "platform/richedit/model/Formats.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace richedit {

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
