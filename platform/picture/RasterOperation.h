// Ternary raster operations: the 8-bit operation index of a BitBlt-style record (bits 16..23 of
// its 32-bit code) is the truth table of a boolean function of pattern, source and destination
// bits, so that operation(P = 0xF0, S = 0xCC, D = 0xAA) is the index itself.
#pragma once

#include <cstdint>

namespace picture {

constexpr std::uint8_t ternaryIndex(std::uint32_t operation)
{
    return std::uint8_t((operation >> 16) & 0xFF);
}

// The operation applied bit by bit to whole words.
constexpr std::uint32_t ternaryRop(std::uint8_t index, std::uint32_t pattern, std::uint32_t source,
                                   std::uint32_t destination)
{
    std::uint32_t out = 0;
    for (int term = 0; term < 8; ++term) {
        if (!((index >> term) & 1))
            continue;
        out |= ((term & 4) ? pattern : ~pattern) & ((term & 2) ? source : ~source) &
               ((term & 1) ? destination : ~destination);
    }
    return out;
}

// Which operands an operation's result depends on.
constexpr bool ropUsesPattern(std::uint8_t index)
{
    return ((index >> 4) ^ index) & 0x0F;
}
constexpr bool ropUsesSource(std::uint8_t index)
{
    return ((index >> 2) ^ index) & 0x33;
}
constexpr bool ropUsesDestination(std::uint8_t index)
{
    return ((index >> 1) ^ index) & 0x55;
}

}  // namespace picture
