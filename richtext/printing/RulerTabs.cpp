// The tab-stop markers: a click sets or removes a stop for the selection's paragraphs, and
// SetRulerTabs shows the selection's stops.
#include "richtext/printing/Ruler.h"

#include "platform/richedit/view/Messages.h"
#include "platform/richedit/view/RichTextBox.h"
#include "platform/runtime/VbError.h"
#include "platform/runtime/VbNumbers.h"

#include <exception>

namespace {

const QString SetTag = QStringLiteral("1");

template <typename Step>
void passOver(Step step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

void Ruler::setMarker(int index, bool set)
{
    TabMarker& marker = m_markers.at(size_t(index));
    marker.Tag = set ? SetTag : QStringLiteral("0");
    marker.showsPicture = set;
    marker.ToolTipText =
        set ? QStringLiteral("Tab Stop ") + TabStopLabel(int16_t(index)) : QString();
    update();
}

void Ruler::Image1_Click(int16_t Index)
{
    emit Begin();
    passOver([&] {
        const int16_t setBefore = CountTabMarkers();
        const TabMarker& marker = m_markers.at(size_t(Index));
        // A set marker is always cleared; an unset one is set only below the limit.
        setMarker(Index, !(marker.Tag == SetTag || setBefore >= ruler::MaxTabMarkersSet));
    });
    passOver([&] {
        if (m_saveSpecialUndoData)
            m_saveSpecialUndoData();
    });
    passOver([&] { ApplyTabStops(); });
    // The editing window keeps no undo step of its own for the change.
    richedit::sendMessage(m_window.hWnd(), richedit::EM_EMPTYUNDOBUFFER, 0, 0);
    emit Ready();
}

int16_t Ruler::CountTabMarkers() const
{
    int16_t count = 0;
    for (const TabMarker& marker : m_markers)
        count = int16_t(count + (marker.Tag == SetTag ? 1 : 0));
    return count;
}

int16_t Ruler::TabMarkerPosition(const int16_t& k) const
{
    int16_t seen = 0;
    for (int index = 0; index < ruler::TabMarkerCount; ++index) {
        if (m_markers[size_t(index)].Tag != SetTag)
            continue;
        if (seen == k)
            return vb::CInt(ruler::markerLeft(index));
        ++seen;
    }
    return 0;
}

void Ruler::ApplyTabStops()
{
    richedit::Engine& engine = m_window.engine();
    passOver([&] {
        vb::raiseIfFailed(engine.setSelTabCount(CountTabMarkers()));
        const int count = engine.selTabCount().value_or(0);
        // Marker order, left to right: the stops ascend.
        for (int16_t i = 0; i < count; ++i)
            engine.setSelTab(i, TabMarkerPosition(i));
    });
    m_window.SetFocus();
}

void Ruler::SetRulerTabs()
{
    const richedit::Engine& engine = m_window.engine();
    // Paragraphs with different stops: the markers stay as they are.
    const std::optional<int> count = engine.selTabCount();
    if (!count)
        return;
    ClearTabMarkers();
    for (int i = 0; i < *count; ++i) {
        passOver([&] {
            if (const auto stop = engine.selTab(i))
                MarkTabStop(vb::CInt(double(*stop)));
        });
    }
    m_window.SetFocus();
}

void Ruler::MarkTabStop(const int16_t& position)
{
    const int32_t wanted = SnapToGrid(position);
    for (int index = 0; index < ruler::TabMarkerCount; ++index) {
        if (SnapToGrid(ruler::markerLeft(index)) == wanted) {
            setMarker(index, true);
            return;
        }
    }
}

void Ruler::ClearTabMarkers()
{
    for (int index = 0; index < ruler::TabMarkerCount; ++index)
        setMarker(index, false);
}
