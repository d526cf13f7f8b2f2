#include "platform/richedit/view/Messages.h"

#include "platform/richedit/view/EngineHandles.h"

#include <QPoint>
#include <algorithm>
#include <limits>

namespace richedit {

namespace {

using Handler = intptr_t (*)(Engine& engine, intptr_t wParam, intptr_t lParam);

// Positions, lines and counts arrive as pointer-sized numbers; saturate rather than wrap, so
// that a huge value still means "past the end".
int32_t toInt32(intptr_t value)
{
    return int32_t(std::clamp<intptr_t>(value, std::numeric_limits<int32_t>::min(),
                                        std::numeric_limits<int32_t>::max()));
}

template <typename Record>
Record* record(intptr_t lParam)
{
    return reinterpret_cast<Record*>(lParam);
}

intptr_t flag(bool value)
{
    return value ? 1 : 0;
}

// --- Lines and view ---

intptr_t getRect(Engine& engine, intptr_t, intptr_t lParam)
{
    Rect* rect = record<Rect>(lParam);
    if (!rect)
        return 0;
    const FormattingRect area = engine.formattingRectPx();
    *rect = {area.left, area.top, area.right, area.bottom};
    return 0;
}

intptr_t lineScroll(Engine& engine, intptr_t, intptr_t lParam)
{
    return engine.lineScroll(toInt32(lParam));
}

intptr_t getLineCount(Engine& engine, intptr_t, intptr_t)
{
    return engine.lineCount();
}

intptr_t lineIndex(Engine& engine, intptr_t wParam, intptr_t)
{
    return engine.lineIndex(toInt32(wParam));
}

intptr_t lineLength(Engine& engine, intptr_t wParam, intptr_t)
{
    return engine.lineLength(toInt32(wParam));
}

intptr_t lineFromChar(Engine& engine, intptr_t wParam, intptr_t)
{
    return engine.lineFromChar(toInt32(wParam));
}

intptr_t exLineFromChar(Engine& engine, intptr_t, intptr_t lParam)
{
    return engine.lineFromChar(toInt32(lParam));
}

intptr_t getFirstVisibleLine(Engine& engine, intptr_t, intptr_t)
{
    return engine.firstVisibleLine();
}

intptr_t charFromPos(Engine& engine, intptr_t, intptr_t lParam)
{
    const PointL* point = record<PointL>(lParam);
    return point ? engine.charFromPos(QPoint(point->x, point->y)) : 0;
}

intptr_t setTargetDevice(Engine& engine, intptr_t wParam, intptr_t lParam)
{
    engine.setTargetDevice(reinterpret_cast<const QPaintDevice*>(wParam), toInt32(lParam));
    return 1;
}

// A null record frees the cached page layouts.
intptr_t formatRange(Engine& engine, intptr_t wParam, intptr_t lParam)
{
    FormatRange* range = record<FormatRange>(lParam);
    if (!range) {
        engine.releaseFormatCache();
        return 0;
    }
    return engine.formatRange(*range, wParam != 0);
}

// --- Selection, text and search ---

intptr_t exSetSel(Engine& engine, intptr_t, intptr_t lParam)
{
    const CharRange* range = record<CharRange>(lParam);
    return range ? engine.exSetSel(*range) : 0;
}

intptr_t replaceSel(Engine& engine, intptr_t wParam, intptr_t lParam)
{
    if (const QString* text = record<const QString>(lParam))
        engine.replaceSel(*text, wParam != 0);
    return 0;
}

intptr_t findText(Engine& engine, intptr_t wParam, intptr_t lParam)
{
    const FindText* find = record<const FindText>(lParam);
    if (!find)
        return -1;
    // Only the whole-word and match-case bits count; the search always runs forward.
    return engine.findText(*find, uint32_t(wParam) & (WholeWord | MatchCase));
}

// --- Formats ---

intptr_t getCharFormat(Engine& engine, intptr_t wParam, intptr_t lParam)
{
    RtfFormatQ* format = record<RtfFormatQ>(lParam);
    // A record of another size is left alone: writing a full record into it would run past it.
    if (wParam != SCF_SELECTION || !format || format->cbSize != RtfFormatQSize)
        return 0;
    fromCharFormat(engine.charFormat(), *format);
    return format->dwMask;
}

intptr_t setCharFormat(Engine& engine, intptr_t wParam, intptr_t lParam)
{
    const RtfFormatQ* format = record<const RtfFormatQ>(lParam);
    if (!format)
        return 0;
    const std::optional<CharFormat> change = toCharFormat(*format);
    if (!change || wParam < 0)
        return 0;
    return flag(engine.setCharFormat(uint32_t(wParam), *change));
}

intptr_t getParaFormat(Engine& engine, intptr_t, intptr_t lParam)
{
    ParaFormat2* format = record<ParaFormat2>(lParam);
    if (!format || format->cbSize != ParaFormat2Size)
        return 0;
    fromParaFormat(engine.paraFormat(), *format);
    return format->dwMask;
}

intptr_t setParaFormat(Engine& engine, intptr_t, intptr_t lParam)
{
    const ParaFormat2* format = record<const ParaFormat2>(lParam);
    if (!format)
        return 0;
    const std::optional<ParaFormat> change = toParaFormat(*format);
    if (!change)
        return 0;
    engine.setParaFormat(*change);
    return 1;
}

// --- Undo, state and the object model ---

intptr_t getModify(Engine& engine, intptr_t, intptr_t)
{
    return flag(engine.isModified());
}

intptr_t setModify(Engine& engine, intptr_t wParam, intptr_t)
{
    engine.setModified(wParam != 0);
    return 0;
}

intptr_t canUndo(Engine& engine, intptr_t, intptr_t)
{
    return flag(engine.canUndo());
}

intptr_t undo(Engine& engine, intptr_t, intptr_t)
{
    return flag(engine.undo());
}

intptr_t emptyUndoBuffer(Engine& engine, intptr_t, intptr_t)
{
    engine.emptyUndoBuffer();
    return 0;
}

intptr_t setReadOnly(Engine& engine, intptr_t wParam, intptr_t)
{
    engine.setReadOnly(wParam != 0);
    return 1;
}

intptr_t getOleInterface(Engine& engine, intptr_t, intptr_t lParam)
{
    TextDocument* out = record<TextDocument>(lParam);
    if (!out)
        return 0;
    *out = TextDocument(engine);
    return 1;
}

// --- Clipboard ---

intptr_t cut(Engine& engine, intptr_t, intptr_t)
{
    return flag(engine.cut());
}

intptr_t copy(Engine& engine, intptr_t, intptr_t)
{
    return flag(engine.copy());
}

intptr_t paste(Engine& engine, intptr_t, intptr_t)
{
    return flag(engine.paste());
}

intptr_t clear(Engine& engine, intptr_t, intptr_t)
{
    return flag(engine.clear());
}

intptr_t canPaste(Engine& engine, intptr_t, intptr_t)
{
    return flag(engine.canPaste());
}

struct Route {
    uint32_t message;
    Handler handler;
};

constexpr Route Routes[] = {
    {EM_GETRECT, getRect},
    {EM_LINESCROLL, lineScroll},
    {EM_GETMODIFY, getModify},
    {EM_SETMODIFY, setModify},
    {EM_GETLINECOUNT, getLineCount},
    {EM_LINEINDEX, lineIndex},
    {EM_LINELENGTH, lineLength},
    {EM_REPLACESEL, replaceSel},
    {EM_CANUNDO, canUndo},
    {EM_UNDO, undo},
    {EM_LINEFROMCHAR, lineFromChar},
    {EM_EMPTYUNDOBUFFER, emptyUndoBuffer},
    {EM_GETFIRSTVISIBLELINE, getFirstVisibleLine},
    {EM_SETREADONLY, setReadOnly},
    {EM_CHARFROMPOS, charFromPos},
    {WM_CUT, cut},
    {WM_COPY, copy},
    {WM_PASTE, paste},
    {WM_CLEAR, clear},
    {EM_CANPASTE, canPaste},
    {EM_EXLINEFROMCHAR, exLineFromChar},
    {EM_EXSETSEL, exSetSel},
    {EM_FINDTEXT, findText},
    {EM_FORMATRANGE, formatRange},
    {EM_GETCHARFORMAT, getCharFormat},
    {EM_GETOLEINTERFACE, getOleInterface},
    {EM_GETPARAFORMAT, getParaFormat},
    {EM_SETCHARFORMAT, setCharFormat},
    {EM_SETPARAFORMAT, setParaFormat},
    {EM_SETTARGETDEVICE, setTargetDevice},
};

}  // namespace

intptr_t sendMessage(intptr_t handle, uint32_t msg, intptr_t wParam, intptr_t lParam)
{
    Engine* engine = engineFromHandle(handle);
    if (!engine)
        return 0;
    const auto* route = std::find_if(std::begin(Routes), std::end(Routes),
                                     [msg](const Route& r) { return r.message == msg; });
    return route == std::end(Routes) ? 0 : route->handler(*engine, wParam, lParam);
}

}  // namespace richedit
