// Interned character formats: every distinct stored format is kept once, and runs and marks
// hold its index, so that comparing two runs' formats is comparing two numbers.
#pragma once

#include "platform/richedit/model/Formats.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace richedit {

class FormatPool {
public:
    // The index of `format`, adding it when it is new. Indexes stay valid for the pool's life.
    uint32_t intern(const CharFormat& format);

    const CharFormat& at(uint32_t index) const { return m_formats[index]; }
    size_t size() const { return m_formats.size(); }

private:
    struct Hash {
        size_t operator()(const CharFormat& format) const;
    };
    std::vector<CharFormat> m_formats;
    std::unordered_map<CharFormat, uint32_t, Hash> m_indexes;
};

}  // namespace richedit
