// GDI+ sessions: every start hands out its own token, and a thread's session runs while any of
// its tokens is alive, so one holder ending its session never ends another's.
#pragma once

#include "platform/gdiplus/GdiplusTypes.h"

namespace gdiplus {

// Starts a session on this thread; the token is 0 when the start fails (unknown version,
// the library switched off).
Status GdiplusStartup(Token& token, const GdiplusStartupInput& input);
// Ends the session of that token; unknown or already ended tokens are ignored.
void GdiplusShutdown(Token token);

// Whether this thread has a running session: the other calls fail without one.
bool sessionActive();

// The library switch: while off, nothing starts, as on a system without the library.
void setAvailable(bool available);
bool available();

}  // namespace gdiplus
