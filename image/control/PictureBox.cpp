#include "image/control/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace XrImage {

namespace {

// The system button face, the back colour of a new box.
constexpr host::OLE_COLOR ButtonFace = 0x8000000Fu;

short buttonCode(Qt::MouseButtons buttons)
{
    short code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

// A box is clicked with the left or the right button.
bool clicks(Qt::MouseButton button)
{
    return button == Qt::LeftButton || button == Qt::RightButton;
}

float toTwips(double pixels)
{
    return float(pixels * ImageControlTwipsPerPixel);
}

int toPixels(float twips)
{
    return int(std::lround(double(twips) / ImageControlTwipsPerPixel));
}

}  // namespace

SelectionShape::SelectionShape(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void SelectionShape::Move(float left, float top, float width, float height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    // One pixel more each way, so that a rectangle of no size still shows as a dot.
    setGeometry(toPixels(left), toPixels(top), toPixels(width) + 1, toPixels(height) + 1);
}

void SelectionShape::LetVisible(bool visible)
{
    m_visible = visible;
    setVisible(visible);
}

void SelectionShape::paintEvent(QPaintEvent*)
{
    // Black dashes over a white line show on light and dark pictures alike.
    QPainter painter(this);
    const QRect outline(0, 0, width() - 1, height() - 1);
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(outline);
    painter.setPen(QPen(Qt::black, 0, Qt::DashLine));
    painter.drawRect(outline);
}

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), m_backColor(ButtonFace), m_shape(new SelectionShape(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    makeBitmap();
}

PictureBox::~PictureBox() = default;

void PictureBox::makeBitmap()
{
    // One device pixel per pixel: the box's bitmap is read back pixel for pixel. What was
    // drawn is kept where the old and new sizes overlap.
    const gdi::Bitmap previous = m_image;
    m_image = gdi::Bitmap::create(width(), height(), 1.0);
    m_dc = m_image.isNull() ? std::make_unique<gdi::DeviceContext>()
                            : std::make_unique<gdi::DeviceContext>(m_image);
    Cls();
    if (!m_image.isNull() && !previous.isNull()) {
        QPainter painter(&m_image.image());
        painter.drawImage(0, 0, previous.image());
    }
}

void PictureBox::SetPicture(const QImage& picture)
{
    m_picture = picture;
    Cls();
}

void PictureBox::TakeImageAsPicture()
{
    m_picture = m_image.toImage();
}

void PictureBox::LetBackColor(host::OLE_COLOR color)
{
    m_backColor = color;
    Cls();
    update();
}

void PictureBox::Cls()
{
    if (m_image.isNull())
        return;
    QImage& pixels = m_image.image();
    pixels.fill(host::colorFromOleColor(m_backColor));
    if (!m_picture.isNull()) {
        QPainter painter(&pixels);
        painter.drawImage(0, 0, m_picture);
    }
}

void PictureBox::Refresh()
{
    repaint();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (m_image.isNull())
        painter.fillRect(event->rect(), host::colorFromOleColor(m_backColor));
    else
        painter.drawImage(event->rect(), m_image.image(), event->rect());
}

void PictureBox::Move(const QRect& geometry)
{
    setGeometry(geometry);
    if (m_image.width() != width() || m_image.height() != height())
        makeBitmap();
}

void PictureBox::resizeEvent(QResizeEvent*)
{
    if (m_image.width() != width() || m_image.height() != height())
        makeBitmap();
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    if (clicks(event->button()))
        m_clickButton = event->button();
    emit MouseDown(buttonCode(event->button()), toTwips(event->position().x()),
                   toTwips(event->position().y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(buttonCode(event->buttons()), toTwips(event->position().x()),
                   toTwips(event->position().y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        event->button() == m_clickButton && rect().contains(event->position().toPoint());
    if (event->button() == m_clickButton)
        m_clickButton = Qt::NoButton;
    emit MouseUp(buttonCode(event->button()), toTwips(event->position().x()),
                 toTwips(event->position().y()));
    if (click)
        emit Click();
}

}  // namespace XrImage
