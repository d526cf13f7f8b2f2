// The widget of a visible editing window: paints an engine's layout, edits, selects and
// scrolls, and raises the key and mouse events by reference before acting on them.
#pragma once

#include "platform/host/OleColor.h"
#include "platform/richedit/model/Document.h"

#include <QAbstractScrollArea>
#include <QMargins>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

class QKeyEvent;

namespace richedit {

class Engine;

class RichTextView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // The system's window background.
    static constexpr host::OLE_COLOR DefaultBackColor = 0x80000005u;

    // The view does not own the engine; it lets go of it when the engine goes away.
    explicit RichTextView(Engine& engine, QWidget* parent = nullptr);
    ~RichTextView() override;

    Engine* engine() const { return m_engine; }

    // An OLE colour (a system colour is translated when painting).
    host::OLE_COLOR backColor() const { return m_backColor; }
    void setBackColor(host::OLE_COLOR color);
    // Space between the client area's edges and the text, in pixels.
    QMargins textInsets() const { return m_insets; }
    void setTextInsets(QMargins pixels);

signals:
    // Raised before the view acts: setting KeyCode to 0 swallows the key, other changes are
    // acted on. Handlers may re-enter the engine or run a modal dialog.
    void KeyDown(int& KeyCode, int& Shift);
    // Each character a key produces (8, 9, 13 and 27 included); 0 cancels it.
    void KeyPress(int& KeyAscii);
    // After the key was handled; not for the releases of auto-repeat.
    void KeyUp(int& KeyCode, int& Shift);
    // Buttons 1 left, 2 right, 4 middle; X and Y in twips from the client area's corner.
    void MouseDown(int& Button, int& Shift, float& X, float& Y);
    void MouseMove(int& Button, int& Shift, float& X, float& Y);
    void MouseUp(int& Button, int& Shift, float& X, float& Y);
    void Click();
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // A key as the view acts on it, after KeyDown had its say.
    struct Stroke {
        int key = 0;  // Qt::Key
        Qt::KeyboardModifiers modifiers;
        QString text;
    };
    struct MouseArgs {
        int button = 0;
        int shift = 0;
        float x = 0;
        float y = 0;
    };

    // --- Engine and layout ---
    void attach();
    void detach();
    void layoutWantsRepaint();
    void documentChanged(const ChangeRecord& record);
    void selectionMoved();
    void syncViewport();
    // Once the change in progress is over: the scroll bars, then what it left to paint.
    void scheduleRefresh();
    void refresh();
    QRect rowsOf(int32_t from, int32_t to);
    void syncScrollBars();
    int visibleLineCount();
    void keepCaretInViewHorizontally();
    int32_t contentWidthTw();

    // --- Painting ---
    void paintText(QPainter& painter, const QRect& exposed);
    void paintCaret(QPainter& painter);
    QRect caretRect();
    double twipsPerPixel() const;
    void restartCaretBlink();

    // --- Keys (RichTextViewKeys.cpp) ---
    Stroke strokeFor(int keyCode, int shift, const QKeyEvent& event) const;
    void runCommand(const Stroke& stroke);
    void runNavigation(int key, bool shift, bool ctrl);
    void moveCaret(int32_t caret, bool extend);
    void moveVertically(int lines, bool extend);
    void movePage(int direction, bool extend);
    void typeCharacters(const Stroke& stroke);
    // A character a key or the input method produced: its KeyAscii and its own text.
    struct Typed {
        int keyAscii = 0;
        QChar own;
    };
    // Raises KeyPress for each character, then acts on what the handlers left.
    void pressCharacters(const std::vector<Typed>& typed);

    // --- Mouse (RichTextViewMouse.cpp) ---
    MouseArgs mouseArgs(const QMouseEvent& event, int button) const;
    QPoint layoutPoint(float xTw, float yTw) const;
    int32_t positionAt(float xTw, float yTw);
    void selectWordAt(float xTw, float yTw);

    QPointer<Engine> m_engine;
    std::function<void()> m_previousRepaintHook;
    QMetaObject::Connection m_selectionConnection;

    host::OLE_COLOR m_backColor = DefaultBackColor;
    QMargins m_insets{2, 1, 2, 1};
    int32_t m_horizontalOffsetTw = 0;
    bool m_refreshPending = false;
    bool m_syncingScrollBars = false;
    bool m_caretMovedWhileFrozen = false;
    int m_documentWatcher = 0;
    int m_edits = 0;  // document and selection changes seen, to tell a key that acted

    // What changed since the last refresh, so that a keystroke repaints only its rows.
    struct Pending {
        bool full = false;
        bool layoutAsked = false;
        bool selection = false;
        int32_t from = INT32_MAX;  // changed text, in current positions
        int32_t to = -1;
    };
    Pending m_pending;
    // What the screen showed at the last refresh.
    struct Shown {
        int firstLine = -1;
        int lineCount = -1;
        int paragraphCount = -1;
        int64_t height = -1;
        int32_t anchor = 0;
        int32_t caret = 0;
    };
    Shown m_shown;
    void updateChangedRows(const Shown& now);

    // Up and down keep the x they started from while they follow each other.
    std::optional<double> m_goalX;
    bool m_movingVertically = false;

    bool m_dragging = false;
    bool m_pressed = false;
    bool m_afterDoubleClick = false;

    QTimer m_caretTimer;
    bool m_caretShown = true;
};

}  // namespace richedit
