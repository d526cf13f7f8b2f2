// Letting the event loop run from inside a long pass: the Basic DoEvents and the platform's
// "is user input waiting" query that such passes poll.
#pragma once

#include <cstdint>

namespace host {

// Handles every event pending now (input, timers, paints, posted events) and returns. Objects
// released with deleteLater() by the handlers that ran here are deleted before it returns; an
// object released by the caller, or further out, stays alive until control goes back to the
// event loop, since it may still be in use on the stack.
void DoEvents();

// Stand-in for the platform's query whether mouse-button or keyboard input waits. It reads the
// poll clock and, at most once per few milliseconds, lets the event loop run (as DoEvents) and
// then reports whether user input was waiting; the input has been handled by the time it
// returns. Passes do not skip work on the answer; a pass of very short steps asks only every
// few steps (LongPass), since reading the clock costs more than such a step.
bool GetInputState();

// The monotonic clock GetInputState measures its slices with, in nanoseconds.
int64_t pollClockNanoseconds();
// Puts another clock in its place, so that a test decides how time passes; nullptr brings the
// steady clock back.
using PollClock = int64_t (*)();
void setPollClock(PollClock clock);

}  // namespace host
