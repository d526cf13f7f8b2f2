// Letting the event loop run from inside a long pass: the Basic DoEvents and the platform's
// "is user input waiting" query that such passes poll.
#pragma once

namespace host {

// Handles every event pending now (input, timers, paints, posted events) and returns. Objects
// released with deleteLater() by the handlers that ran here are deleted before it returns; an
// object released by the caller, or further out, stays alive until control goes back to the
// event loop, since it may still be in use on the stack.
void DoEvents();

// Stand-in for the platform's query whether mouse-button or keyboard input waits. A pass
// polls it for every step, so it is cheap: at most once per few milliseconds it lets the
// event loop run (as DoEvents) and then reports whether user input was waiting; the input has
// been handled by the time it returns. Passes do not skip work on the answer.
bool GetInputState();

}  // namespace host
