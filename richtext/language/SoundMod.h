// The library's click sound, played from memory without waiting for it.
#pragma once

#include <cstdint>

namespace SoundMod {

// Plays the library's resource "WAVE" of that identifier. True once playing was asked for,
// False when the resource could not be loaded; whether the platform could play it is not told.
bool PlayResourceSound(const int16_t& id);

}  // namespace SoundMod
