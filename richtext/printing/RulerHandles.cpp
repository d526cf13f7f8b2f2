// The indent handles: dragging them sets the selection's indents live, snapped to the grid and
// kept inside the page; placing them shows the selection's indents.
#include "richtext/printing/Ruler.h"

#include "platform/richedit/view/RichTextBox.h"
#include "platform/richedit/view/TextObjectModel.h"
#include "platform/runtime/VbNumbers.h"
#include "richtext/printing/PrinterTarget.h"

#include <exception>

namespace {

constexpr int LeftButtonOnly = 1;

// Rounded to a whole number, halves to even; a value beyond the 32-bit range fails.
int32_t rounded(double value)
{
    return vb::CLng(value);
}

// Runs one step with errors passed over.
template <typename Step>
void passOver(Step step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

float Ruler::leftHandleTarget(const IndentHandle& handle, float n) const
{
    const float w = handle.Width();
    const float limit = m_RIHandle->Left() - float(ruler::HandleGap);
    if (n >= 0 && double(limit) >= double(n) + w)
        return float(SnapToGrid(rounded(n)));
    if (n < 0)
        return 0;
    return float(SnapToGrid(rounded(double(limit) - w)));
}

// Before the first indent of a drag is applied, so that the indents of the whole drag become
// one undo step of the editing window: undo takes back the drag, and only the drag.
void Ruler::suspendUndoOnce()
{
    if (RulerUndoSuspended)
        return;
    if (m_textDocument.isValid())
        m_textDocument.Undo(richedit::tomSuspend);
    RulerUndoSuspended = true;
}

void Ruler::LIHandle_MouseMove(int Button, int, float X, float)
{
    if (Button != LeftButtonOnly)
        return;
    passOver([&] { suspendUndoOnce(); });
    passOver([&] {
        const float w = m_LIHandle->Width();
        const float half = float(rounded(w / 2));
        const float n = m_LIHandle->Left() + X - half;
        m_LIHandle->setLeft(leftHandleTarget(*m_LIHandle, n));
        // Snapping can carry the handle past the gap; the indent then stays at the limit.
        const float limit = m_RIHandle->Left() - float(ruler::HandleGap);
        const int32_t indent = limit <= m_LIHandle->Left() + w ? rounded(double(limit) - w)
                                                               : rounded(m_LIHandle->Left());
        ApplyLeftIndent(indent);
    });
}

void Ruler::HIHandle_MouseMove(int Button, int, float X, float)
{
    if (Button != LeftButtonOnly)
        return;
    passOver([&] { suspendUndoOnce(); });
    passOver([&] {
        const float half = float(rounded(m_HIHandle->Width() / 2));
        const float n = m_HIHandle->Left() + X - half;
        m_HIHandle->setLeft(leftHandleTarget(*m_HIHandle, n));
        ApplyHangingIndent(HangingFromHandles());
    });
}

void Ruler::RIHandle_MouseMove(int Button, int, float X, float)
{
    if (Button != LeftButtonOnly)
        return;
    passOver([&] { suspendUndoOnce(); });
    passOver([&] {
        const float w = m_RIHandle->Width();
        const float n = m_RIHandle->Left() + X - float(rounded(w / 2));
        const float gap = float(ruler::HandleGap);
        const float l = m_LIHandle->Left() + m_LIHandle->Width() + gap;
        const float h = m_HIHandle->Left() + m_HIHandle->Width() + gap;
        const double right = double(ruler::RightLimit);
        float left = m_RIHandle->Left();
        if (l <= n && h <= n && double(n) + w <= right)
            left = float(SnapToGrid(rounded(n)));
        else if (l > n && m_LIHandle->Left() > m_HIHandle->Left())
            left = float(SnapToGrid(rounded(l)));
        else if (h > n)
            left = float(SnapToGrid(rounded(h)));
        else if (double(n) + w > right)
            left = float(SnapToGrid(rounded(right - w)));
        m_RIHandle->setLeft(left);
        const int32_t value =
            rounded(ruler::PageWidth - (double(m_RIHandle->Left()) + 2.0 * m_printerMargin +
                                        PrinterTarget::GetPrinterOffsetX()));
        ApplyRightIndent(value + ruler::RightHandleOffset);
    });
}

void Ruler::ApplyLeftIndent(const int32_t& value)
{
    m_window.engine().setSelIndent(value);
    // The following lines stay under the hanging handle.
    m_window.engine().setSelHangingIndent(HangingFromHandles());
    m_window.SetFocus();
}

int32_t Ruler::HangingFromHandles() const
{
    return rounded(double(m_HIHandle->Left()) - m_LIHandle->Left());
}

void Ruler::ApplyHangingIndent(const int32_t& value)
{
    m_window.engine().setSelHangingIndent(value);
    m_window.SetFocus();
}

void Ruler::ApplyRightIndent(const int32_t& value)
{
    m_window.engine().setSelRightIndent(value);
    m_window.SetFocus();
}

void Ruler::SyncRulerHandles()
{
    // Without a printer the handles do not follow the selection.
    if (!PrinterTarget::PrinterInstalled())
        return;
    const richedit::Engine& engine = m_window.engine();
    passOver([&] {
        if (const auto indent = engine.selIndent())
            PlaceLeftHandle(*indent);
    });
    passOver([&] {
        if (const auto hanging = engine.selHangingIndent())
            PlaceHangingHandle(*hanging);
    });
    passOver([&] {
        if (const auto right = engine.selRightIndent()) {
            const double edge =
                double(*right) + 2.0 * m_printerMargin + PrinterTarget::GetPrinterOffsetX();
            PlaceRightHandle(rounded(ruler::PageWidth - edge));
        }
    });
}

void Ruler::ResetRulerHandles()
{
    m_LIHandle->setLeft(0);
    m_HIHandle->setLeft(0);
    const int64_t right = ruler::PageWidth -
                          (2 * int64_t(m_printerMargin) + PrinterTarget::GetPrinterOffsetX()) +
                          ruler::RightHandleOffset;
    m_RIHandle->setLeft(float(right));
}

void Ruler::PlaceLeftHandle(int32_t value)
{
    m_LIHandle->setLeft(float(value));
}

void Ruler::PlaceHangingHandle(int32_t value)
{
    const float left = m_LIHandle->Left();
    if (left > ruler::HangingHandleOffset && value < 0)
        m_HIHandle->setLeft(left - ruler::HangingHandleOffset + float(value));
    else
        m_HIHandle->setLeft(left + float(value));
}

void Ruler::PlaceRightHandle(int32_t value)
{
    m_RIHandle->setLeft(float(int64_t(value) + ruler::RightHandleOffset));
}
