// The window messages an editing engine answers, by handle: their numbers, the records their
// parameters point at, and sendMessage, which turns each into the engine's typed call.
#pragma once

#include "platform/richedit/layout/FormatRange.h"
#include "platform/richedit/model/FormatRecords.h"
#include "platform/richedit/view/Engine.h"
#include "platform/richedit/view/TextObjectModel.h"

#include <cstdint>

namespace richedit {

// A point in client pixels.
struct PointL {
    int32_t x = 0;
    int32_t y = 0;
};

// Message numbers, with what wParam and lParam carry.
enum MessageNumber : uint32_t {
    EM_GETRECT = 0xB2,              // - / Rect* (client pixels)
    EM_LINESCROLL = 0xB6,           // 0 / signed display-line delta
    EM_GETMODIFY = 0xB8,            // -
    EM_SETMODIFY = 0xB9,            // 0 clears, non-zero sets
    EM_GETLINECOUNT = 0xBA,         // -
    EM_LINEINDEX = 0xBB,            // display line, -1 = the caret's
    EM_LINELENGTH = 0xC1,           // a position
    EM_REPLACESEL = 0xC2,           // 0 = not undoable / const QString*
    EM_CANUNDO = 0xC6,              // -
    EM_UNDO = 0xC7,                 // -
    EM_LINEFROMCHAR = 0xC9,         // position, -1 = the caret
    EM_EMPTYUNDOBUFFER = 0xCD,      // -
    EM_GETFIRSTVISIBLELINE = 0xCE,  // -
    EM_SETREADONLY = 0xCF,          // non-zero read-only
    EM_CHARFROMPOS = 0xD7,          // - / PointL* (client pixels)
    EM_CANPASTE = 0x432,            // 0 (any format)
    EM_EXLINEFROMCHAR = 0x436,      // 0 / position
    EM_EXSETSEL = 0x437,            // 0 / CharRange*
    EM_FINDTEXT = 0x438,            // flags / FindText*
    EM_FORMATRANGE = 0x439,         // 0 measure, non-zero draw / FormatRange*, 0 frees the cache
    EM_GETCHARFORMAT = 0x43A,       // 1 / RtfFormatQ*
    EM_GETOLEINTERFACE = 0x43C,     // 0 / TextDocument* that receives a new handle
    EM_GETPARAFORMAT = 0x43D,       // 0 / ParaFormat2*
    EM_SETCHARFORMAT = 0x444,       // scope 1, 4 or 9 / RtfFormatQ*
    EM_SETPARAFORMAT = 0x447,       // 0 / ParaFormat2*
    EM_SETTARGETDEVICE = 0x448,     // target device / line width in twips
    WM_CUT = 0x300,
    WM_COPY = 0x301,
    WM_PASTE = 0x302,
    WM_CLEAR = 0x303,
};

// Character-format scopes.
constexpr intptr_t SCF_SELECTION = 1;
constexpr intptr_t SCF_ALL = 4;
constexpr intptr_t SCF_USEUIRULES = 8;

// Sends a message to the engine with that window handle and returns its result. An unknown
// handle or message, and a null record pointer, give 0 (-1 for the find) and change nothing.
intptr_t sendMessage(intptr_t handle, uint32_t msg, intptr_t wParam, intptr_t lParam);

}  // namespace richedit
