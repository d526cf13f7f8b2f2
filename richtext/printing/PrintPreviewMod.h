// The print preview's page renderer: finds where a page of the preview copy begins and ends on
// the printer and draws its lines, at their printed places, onto the window's page canvas.
#pragma once

#include <cstdint>

class PrintPreview;

namespace PrintPreviewMod {

// Renders page `wantedPage` (1-based), searching no further than `pageLimit` pages, into
// `preview.Picture1`. Errors (a missing printer) reach the caller.
void RenderPreviewPage(PrintPreview& preview, int32_t& wantedPage, int32_t& pageLimit);

// Draws display lines `startLine` .. the line before `endLine` (through `endLine` when it is the
// document's last line) of the preview copy onto the canvas, each at full size.
void FormatPreviewRange(PrintPreview& preview, int32_t& startLine, int32_t& endLine);

}  // namespace PrintPreviewMod
