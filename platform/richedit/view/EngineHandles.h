// Window handles of editing engines: a process-unique number per engine that callers pass
// around as the window's handle and turn back into the engine.
#pragma once

#include <cstdint>

namespace richedit {

class Engine;

// The engine's handle, given out on the first request and the same for the engine's life.
// Never 0.
intptr_t handleOf(Engine& engine);

// The engine a handle stands for; null for 0, for a number never given out and for the handle
// of an engine that has been destroyed. Handles are never reused.
Engine* engineFromHandle(intptr_t handle);

}  // namespace richedit
