// The control's ruler, page layout and printer target: thin members over the ruler component
// and the printer target.
#include "richtext/core/XrRTB.h"

#include "platform/host/Units.h"
#include "richtext/printing/PrinterTarget.h"
#include "richtext/printing/Ruler.h"

#include <exception>

static_assert(XrRTB::TabMarkerCount == ruler::TabMarkerCount);
static_assert(XrRTB::RulerStripTwips == ruler::StripHeight);

namespace {

// Runs one step of a member that passes over errors.
template <typename Step>
void passOver(Step step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

bool XrRTB::PrinterInstalled()
{
    return PrinterTarget::PrinterInstalled();
}

int32_t XrRTB::GetPrinterOffsetX()
{
    return PrinterTarget::GetPrinterOffsetX();
}

void XrRTB::SetPrinterWrap()
{
    passOver([&] { m_printerTarget->SetPrinterWrap(*RichTextBox1, m_settings.PrinterMargin); });
    ShadeRuler();
}

int32_t XrRTB::SnapToGrid(const int32_t& value)
{
    return Ruler::SnapToGrid(value);
}

void XrRTB::DrawRuler()
{
    m_ruler->DrawRuler();
}

void XrRTB::ClearRuler()
{
    m_ruler->ClearRuler();
}

void XrRTB::ShadeRuler()
{
    m_ruler->ShadeRuler();
}

void XrRTB::SetRulerTabs()
{
    m_ruler->SetRulerTabs();
}

void XrRTB::SyncRulerHandles()
{
    m_ruler->SyncRulerHandles();
}

void XrRTB::ResetRulerHandles()
{
    m_ruler->ResetRulerHandles();
}

const ruler::TabMarker& XrRTB::Image1(int index) const
{
    return m_ruler->Image1(index);
}

void XrRTB::applyWrapStyle()
{
    bool wrap = true;
    bool rulerWrap = true;
    switch (m_settings.MyWrapStyle) {
        case RulerWrap:
            break;
        case WindowWrap:
            rulerWrap = false;
            break;
        case NoWrap:
            wrap = false;
            break;
        default:
            return;
    }
    Word_Wrap(wrap, rulerWrap);
}

void XrRTB::PrepareXrRTB()
{
    placeEditingWindow();
    // Without the ruler there is nothing to clear or rest, and the wrap stays as it is.
    if (!m_settings.DisplayRuler)
        return;
    passOver([&] { ClearRuler(); });
    passOver([&] { ResetRulerHandles(); });
    applyWrapStyle();
}

void XrRTB::RefreshPageLayout()
{
    NormalizeIndents();
    if (!m_settings.DisplayRuler)
        return;
    passOver([&] { ClearRuler(); });
    DrawRuler();
    SyncRulerHandles();
    applyWrapStyle();
}
