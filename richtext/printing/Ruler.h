// The ruler strip of the editing control: one painted widget holding the control's drawing
// surface (ticks, inch numbers and shading), the 136 tab-stop markers with their hit-testing,
// and the three indent handles. It shows and sets the paragraph format of the selection of the
// control's editing window.
#pragma once

#include "richtext/printing/IndentHandle.h"
#include "richtext/printing/RulerGeometry.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

namespace richedit {
class RichTextBox;
class TextDocument;
}  // namespace richedit

class Ruler : public QWidget {
    Q_OBJECT
public:
    using TabMarker = ruler::TabMarker;

    // `printerMargin` and `undoSuspended` are the control's own values, read and written in
    // place; `textDocument` suspends and resumes undo collection during a drag.
    Ruler(QWidget* control, richedit::RichTextBox& window, richedit::TextDocument& textDocument,
          const int32_t& printerMargin, bool& undoSuspended);

    // Runs in place of the whole-document undo snapshot before a marker click changes the
    // tab stops.
    void setSaveSpecialUndoData(std::function<void()> save)
    {
        m_saveSpecialUndoData = std::move(save);
    }

    // --- Drawing and shading ---
    void DrawRuler();
    void ClearRuler();
    void ShadeRuler();
    static int32_t SnapToGrid(const int32_t& value) { return ruler::snapToGrid(value); }
    // What the surface shows, without markers and handles; 15 twips per pixel at 96 dpi.
    const QImage& surface() const { return m_surface; }
    // The grey copy of the ruler painted over the part beyond the usable line width.
    const QImage& ShadeRulerPic() const { return m_shadeRulerPic; }
    // The picture a set marker shows.
    const QImage& MasterPic() const { return m_masterPic; }

    // --- Indent handles ---
    IndentHandle* LIHandle() const { return m_LIHandle; }
    IndentHandle* HIHandle() const { return m_HIHandle; }
    IndentHandle* RIHandle() const { return m_RIHandle; }
    void LIHandle_MouseMove(int Button, int Shift, float X, float Y);
    void HIHandle_MouseMove(int Button, int Shift, float X, float Y);
    void RIHandle_MouseMove(int Button, int Shift, float X, float Y);
    // Places the handles from the selection's indents; nothing without a printer.
    void SyncRulerHandles();
    void ResetRulerHandles();
    void PlaceLeftHandle(int32_t value);
    void PlaceHangingHandle(int32_t value);
    void PlaceRightHandle(int32_t value);

    // --- Tab-stop markers ---
    const TabMarker& Image1(int index) const { return m_markers.at(size_t(index)); }
    // Surface rectangle of a marker, twips.
    static QRect markerRect(int index);
    // The marker under a point of the widget (pixels); -1 when none.
    int markerAt(QPoint pixels) const;
    void Image1_Click(int16_t Index);
    void SetRulerTabs();
    static QString TabStopLabel(const int16_t& Index) { return ruler::tabStopLabel(Index); }
    int16_t CountTabMarkers() const;
    int16_t TabMarkerPosition(const int16_t& k) const;
    void ApplyTabStops();
    void MarkTabStop(const int16_t& position);
    void ClearTabMarkers();

signals:
    void Begin();
    void Ready();
    // A mouse release over any of the three handles.
    void handleReleased();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The ruler's ticks and numbers onto an image of the surface's scale.
    static void drawTicks(QImage& image);
    static QImage makeShadeRulerPic();
    static QImage makeMasterPic();
    QImage blankSurface() const;

    void ApplyLeftIndent(const int32_t& value);
    int32_t HangingFromHandles() const;
    void ApplyHangingIndent(const int32_t& value);
    void ApplyRightIndent(const int32_t& value);
    // The handle's new left edge for a drag towards `n`, kept left of the right handle.
    float leftHandleTarget(const IndentHandle& handle, float n) const;
    // Suspends undo collection on the first move of a drag.
    void suspendUndoOnce();
    void setMarker(int index, bool set);

    richedit::RichTextBox& m_window;
    richedit::TextDocument& m_textDocument;
    const int32_t& m_printerMargin;
    bool& RulerUndoSuspended;
    std::function<void()> m_saveSpecialUndoData;

    QImage m_surface;
    QImage m_shadeRulerPic;
    QImage m_masterPic;
    IndentHandle* m_LIHandle = nullptr;
    IndentHandle* m_HIHandle = nullptr;
    IndentHandle* m_RIHandle = nullptr;
    std::array<TabMarker, ruler::TabMarkerCount> m_markers{};
    int m_pressedMarker = -1;
};
