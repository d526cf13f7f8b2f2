// Printing the print preview's copy of the document on the system's printer: all pages, one page
// or a range of pages, one job per call, each page with an optional one-line stamp; and the page
// count that the preview and the single-page print rely on.
#pragma once

#include "platform/richedit/layout/FormatRange.h"

#include <QString>
#include <cstdint>

namespace host {
class Printer;
}
namespace richedit {
class RichTextBox;
}

// The stamp kind.
enum PageNumAndNow : int32_t {
    PrintNiether = 0,
    PrintBoth = 1,
    PrintPageOnly = 2,
    PrintNowOnly = 3,
    PrintCustom = 4,
    PrintCustomWNum = 5,
};

// Where the stamp goes: 1..3 at the top of the page, 4..6 at the bottom.
enum PageHeadingAlign : int32_t {
    CenterAlignHeading = 1,
    RightAlignHeading = 2,
    LeftAlignHeading = 3,
    CenterAlignHeadingBottom = 4,
    RightAlignHeadingBottom = 5,
    LeftAlignHeadingBottom = 6,
};

namespace PrintingMod {

// Where the printed stamp is wanted, twips below the printable area's top.
constexpr int32_t TopStampY = 360;
constexpr int32_t BottomStampY = 14610;

// The printed page in twips, worked out afresh from the printer object (in twips scale) and the
// print margin: the rectangle the text goes in, relative to the printable area, and the
// printable area itself. A stamp needs a line of its own between the printable area's edge
// and the text: where the margin leaves less than that, the text rectangle gives way by the
// stamp's height at that edge, whatever stamp is chosen, so that the page count, the preview
// and the print break the pages alike.
struct PrinterPage {
    int32_t offsetX = 0;  // physical offsets, twips
    int32_t offsetY = 0;
    int32_t paperWidth = 0;
    int32_t paperHeight = 0;
    int32_t stampHeight = 0;  // a line of the stamp font as the printer measures it
    richedit::Rect drawing;
    richedit::Rect page;
};
PrinterPage printerPage(host::Printer& printer, int32_t margin);

// The stamp's top for a position: `wantedY` where it lies clear of the text and above
// `lowestEdge` (the printable area's bottom on paper, the sheet's in the preview), else the
// nearest place in the room between the text and that edge (or the printable area's top).
int32_t fitStampY(const PrinterPage& page, int32_t stampPosition, int32_t wantedY,
                  int32_t lowestEdge);

// The stamp line of a kind for page n; empty for kind 0 and unknown kinds. `hasLine` tells an
// empty custom text (a line) from no line at all.
QString StampLine(int32_t kind, const QString& customText, int32_t pageNumber, bool* hasLine);

// The date and time as the stamp writes them (the general date format).
QString StampNow();

// The print procedures print `previewText`, the preview's hidden editing window, at the
// library's SharedPrintMargin. Errors end in one message box; the open job is aborted then.
void PrintAllPages(richedit::RichTextBox& previewText, int32_t& pageCount, int32_t& stampKind,
                   QString& customText, int32_t& stampPosition);
void PrintSinglePage(richedit::RichTextBox& previewText, int32_t& pageNumber, int32_t& stampKind,
                     QString& customText, int32_t& stampPosition);
void PrintPageRange(richedit::RichTextBox& previewText, int32_t& firstPage, int32_t& lastPage,
                    int32_t& pageCount, int32_t& stampKind, QString& customText,
                    int32_t& stampPosition);

// True when the last print procedure's job was cancelled by the user as it started (the file
// dialog of a file printer): it ended without a message.
bool JobCancelled();

// Sets the printer's vertical print position for the stamp and returns its horizontal one.
int32_t PlaceStamp(int32_t& stampPosition, QString& stampText);
void SetStampFont();

// How the page loops send their format-range messages: richedit::sendMessage, unless a test
// puts a formatter of its own in its place.
using MessageSender = intptr_t (*)(intptr_t handle, uint32_t msg, intptr_t wParam, intptr_t lParam);
MessageSender& formatRangeSender();

// The number of printed pages of `previewText` (at least 1); 0 after a printer error.
int32_t CountPages(richedit::RichTextBox& previewText);

}  // namespace PrintingMod
