// The picture box the image control shows its image in, and the shape that outlines the
// selection over it. The box keeps a persistent opaque bitmap (drawing lands there and the
// widget shows it) and a picture, which clearing the box paints over the back colour. Its
// mouse coordinates are twips.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/host/OleColor.h"

#include <QImage>
#include <QWidget>
#include <memory>

namespace XrImage {

// A rectangle outline placed in twips; Left, Top, Width and Height keep what was set, while
// the widget shows it at whole pixels.
class SelectionShape : public QWidget {
    Q_OBJECT

public:
    explicit SelectionShape(QWidget* parent);

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void Move(float left, float top, float width, float height);
    void LetWidth(float width) { Move(m_left, m_top, width, m_height); }
    void LetHeight(float height) { Move(m_left, m_top, m_width, height); }
    bool Visible() const { return m_visible; }
    void LetVisible(bool visible);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
    // Kept apart from the widget's visibility, which also follows its parents.
    bool m_visible = false;
};

class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent);
    ~PictureBox() override;

    // The device context of the persistent bitmap (a 1 x 1 stand-in while the box is empty).
    gdi::DeviceContext* hDC() const { return m_dc.get(); }
    // The persistent bitmap itself: what `Image` hands out. Null while the box has no area.
    const gdi::Bitmap& Image() const { return m_image; }

    // The picture painted under every drawing; a null image is Nothing.
    const QImage& Picture() const { return m_picture; }
    void SetPicture(const QImage& picture);
    // `Picture = Image`: a copy of what the persistent bitmap shows now.
    void TakeImageAsPicture();

    host::OLE_COLOR BackColor() const { return m_backColor; }
    // Like clearing, a new back colour erases what was drawn.
    void LetBackColor(host::OLE_COLOR color);

    // The persistent bitmap cleared to the back colour with the picture at its top-left.
    void Cls();
    void Refresh();

    SelectionShape& Shape1() { return *m_shape; }

    // Moves the box and gives its bitmap the new size at once, also while hidden (a hidden
    // widget hears of its size only when shown).
    void Move(const QRect& geometry);

signals:
    // Mouse handlers with positions in twips; button 1 left, 2 right, 4 middle. A press and
    // release of the left or right button over the box is also a Click.
    void MouseDown(short Button, float X, float Y);
    void MouseMove(short Button, float X, float Y);
    void MouseUp(short Button, float X, float Y);
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void makeBitmap();

    host::OLE_COLOR m_backColor;
    QImage m_picture;
    gdi::Bitmap m_image;
    std::unique_ptr<gdi::DeviceContext> m_dc;
    SelectionShape* m_shape;
    // The button whose press a release completes into a click.
    Qt::MouseButton m_clickButton = Qt::NoButton;
};

// The control's fixed scale: twips to the pixel.
constexpr double ImageControlTwipsPerPixel = 15.0;

}  // namespace XrImage
