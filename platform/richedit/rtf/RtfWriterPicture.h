// Pictures in the RTF writer's output: one "{\pict...}" group on the current line, PNG and
// JPEG bytes as read, other kinds turned into PNG when they decode.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"
#include "platform/richedit/rtf/RtfWriterOutput.h"

namespace richedit {

void writePicture(RtfOutput& out, const Picture& picture);

// The bytes' share of the output (two hex digits per byte plus the group's words), for
// reserving the buffer up front.
qsizetype pictureSizeEstimate(const Picture& picture);

}  // namespace richedit
