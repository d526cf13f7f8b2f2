// One indent handle of the ruler: a 150 x 150-twip picture whose left edge (twips, kept exactly
// apart from the pixel it is shown at) is the ruler position it marks. Its mouse moves and
// releases go to the ruler with the pointer in twips from the handle's left edge.
#pragma once

#include <QWidget>

class IndentHandle : public QWidget {
    Q_OBJECT
public:
    enum class Shape { PointingDown, PointingUp };

    IndentHandle(QWidget* ruler, const QString& name, const QString& toolTip, Shape shape,
                 float top);

    float Left() const { return m_left; }
    void setLeft(float twips);
    float Top() const { return m_top; }
    float Width() const;

signals:
    // Button and Shift as bit sets: 1 left, 2 right, 4 middle; 1 Shift, 2 Ctrl, 4 Alt.
    void MouseMove(int Button, int Shift, float X, float Y);
    void MouseUp(int Button, int Shift, float X, float Y);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Taking the press keeps the pointer with this handle until the release.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void place();

    Shape m_shape;
    float m_left = 0;
    float m_top = 0;
};

// Button and Shift of a mouse event as the control's events give them.
int mouseButtonsOf(Qt::MouseButtons buttons);
int shiftStateOf(Qt::KeyboardModifiers modifiers);
