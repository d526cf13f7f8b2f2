// Printing a range of an editing window on the printer object, page by page through the
// format range over the printer's printable area.
#pragma once

#include "platform/richedit/model/Document.h"
#include "platform/runtime/VbError.h"

#include <optional>

namespace richedit {

class Engine;

// Prints `range` (cpMax -1 = to the end) measured and drawn at the printer's resolution. With
// `startDoc` the job is opened and ended here; without it the pages go to the job already open
// (one is opened when none is) and the job is left open. Printer errors (482) are returned; a
// job that failed has been aborted. The engine's format cache is released at the end.
std::optional<vb::VbError> printRange(Engine& engine, CharRange range, bool startDoc);

}  // namespace richedit
