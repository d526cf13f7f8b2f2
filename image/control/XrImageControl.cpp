#include "image/control/XrImageControl.h"

#include "image/control/PictureBox.h"
#include "image/core/GdiplusSession.h"
#include "image/core/c32bppDIB.h"
#include "platform/host/SavePicture.h"
#include "platform/runtime/VbNumbers.h"

#include <QPaintEvent>
#include <QPainter>

namespace XrImage {

namespace {

// The system button face.
constexpr std::int32_t DefaultBackColor = std::int32_t(0x8000000Fu);

}  // namespace

XrImageControl::XrImageControl(QWidget* parent)
    : QWidget(parent),
      m_image(std::make_unique<c32bppDIB>()),
      m_picture1(new PictureBox(this)),
      m_surface(this)
{
    connect(m_picture1, &PictureBox::MouseDown, this,
            [this](short, float X, float Y) { Picture1_MouseDown(X, Y); });
    connect(m_picture1, &PictureBox::MouseMove, this,
            [this](short, float X, float Y) { Picture1_MouseMove(X, Y); });
    connect(m_picture1, &PictureBox::MouseUp, this,
            [this](short, float, float) { Picture1_MouseUp(); });
    connect(m_picture1, &PictureBox::Click, this, &XrImageControl::Click);
    StartGdiplus(1);
}

XrImageControl::~XrImageControl()
{
    m_image->DestroyDIB();
    m_image.reset();
    StopGdiplus();
}

const host::PropertySchema<XrImageControl>& XrImageControl::persistedProperties()
{
    using Row = host::PropertyRow<XrImageControl>;
    static const host::PropertySchema<XrImageControl> schema{
        {"BackColor", host::PropertyType::Long, Row::constant(DefaultBackColor),
         [](const XrImageControl& control) {
             return host::toStored(host::PropertyType::Long, control.BackColor());
         },
         [](XrImageControl& control, const QVariant& value) {
             control.m_picture1->LetBackColor(host::fromStored<host::OLE_COLOR>(value));
         },
         host::NotifyHost},
    };
    return schema;
}

// --- the standard redraw -------------------------------------------------------------------

void XrImageControl::clearBox()
{
    m_picture1->SetPicture(QImage());
    m_picture1->Cls();
}

void XrImageControl::keepDrawing()
{
    m_picture1->TakeImageAsPicture();
    m_picture1->Refresh();
}

void XrImageControl::renderTopLeft(std::int32_t opacity, float angle)
{
    m_image->Render(m_picture1->hDC(), 0, 0, 0, 0, 0, 0, 0, 0, opacity, true, true, nullptr,
                    gsclNone, 0, angle, false);
}

template <class Operation>
void XrImageControl::redrawAfter(Operation operation, std::int32_t opacity, float angle)
{
    clearBox();
    operation();
    renderTopLeft(opacity, angle);
    keepDrawing();
}

void XrImageControl::CenterRender()
{
    clearBox();
    const auto X = std::int32_t(vb::roundHalfEven(double(pixelsOf(Width())) / 2));
    const auto Y = std::int32_t(vb::roundHalfEven(double(pixelsOf(Height())) / 2));
    m_image->Render(m_picture1->hDC(), X, Y, 0, 0, 0, 0, 0, 0, 100, false, false, nullptr, gsclNone,
                    0, 0, true);
    keepDrawing();
}

// --- effects -------------------------------------------------------------------------------

void XrImageControl::CropImage()
{
    if (!m_picture1->Shape1().Visible())
        return;
    clearBox();
    m_image->Render(m_picture1->hDC(), m_selLeft, m_selTop, m_selWidth, m_selHeight, m_selLeft,
                    m_selTop, m_selWidth, m_selHeight, 100, true, true, nullptr, gsclNone, 0, 0,
                    false);
    keepDrawing();
}

void XrImageControl::CustomResize()
{
    if (!m_picture1->Shape1().Visible())
        return;
    clearBox();
    m_image->Render(m_picture1->hDC(), m_selLeft, m_selTop, m_selWidth, m_selHeight, 0, 0, 0, 0,
                    100, true, true, nullptr, gsclNone, 0, 0, false);
    keepDrawing();
}

void XrImageControl::MakeImgTransparentF(MyImageInformation& MyImgData)
{
    redrawAfter([&] { m_image->MakeTransparent(MyImgData.lColor, false); });
}

void XrImageControl::MakeImgTransparentT(MyImageInformation& MyImgData)
{
    redrawAfter([&] { m_image->MakeTransparent(MyImgData.lColor, false); });
}

void XrImageControl::LightenDarkenImage(MyImageInformation& MyImgData)
{
    redrawAfter([&] { m_image->MakeLighterDarker(MyImgData.mLightAdj); });
}

void XrImageControl::drawShadow(const MyImageInformation& MyImgData, std::int32_t blurDepth,
                                std::int32_t opacity, float lightAdjustment)
{
    clearBox();
    m_image->RenderDropShadow_JIT(m_picture1->hDC(), 0, 0, blurDepth, MyImgData.lColor, opacity,
                                  lightAdjustment, nullptr);
    keepDrawing();
}

void XrImageControl::ChangeColorPNG(MyImageInformation& MyImgData)
{
    drawShadow(MyImgData, 0, 100, 0);
}

void XrImageControl::SpecialBlurPNG(MyImageInformation& MyImgData)
{
    drawShadow(MyImgData, MyImgData.mBlurDepth, MyImgData.lOpacity, MyImgData.mLightAdj);
}

void XrImageControl::ImageOpacity(MyImageInformation& MyImgData)
{
    redrawAfter([] {}, MyImgData.lOpacity);
}

void XrImageControl::Rotation(MyImageInformation& MyImgData)
{
    redrawAfter([] {}, 100, float(MyImgData.my360));
}

void XrImageControl::ColorBlender(MyImageInformation& MyImgData)
{
    redrawAfter([&] { m_image->BlendToColor(MyImgData.lColor, MyImgData.lOpacity); });
}

void XrImageControl::MirrorImage(MyImageInformation& MyImgData)
{
    redrawAfter([&] { m_image->MirrorImage(MyImgData.horzFlip, MyImgData.vertFlip); });
}

void XrImageControl::ImageInverse()
{
    redrawAfter([&] { m_image->MakeImageInverse(); });
}

void XrImageControl::ConvertToGrayScaling(std::int32_t& MyGrey)
{
    redrawAfter([&] { m_image->MakeGrayScale(MyGrey); });
}

// --- saving --------------------------------------------------------------------------------

bool XrImageControl::SpecialSave(MyImageInformation& MyImgData)
{
    return SaveBitmapViaGdiplus(m_picture1->Image(), MyImgData.sFileSaveLoc);
}

bool XrImageControl::SaveMyImage(MyImageInformation& MyImgData)
{
    return m_image->SaveToFile(MyImgData.sFileSaveLoc, true);
}

bool XrImageControl::SaveMyImageAsPNG(MyImageInformation& MyImgData)
{
    return m_image->SaveToFile_PNG(MyImgData.sFileSaveLoc, true);
}

bool XrImageControl::SaveMyImageAsJPG(MyImageInformation& MyImgData)
{
    return m_image->SaveToFile_JPG(MyImgData.sFileSaveLoc, 100, true);
}

bool XrImageControl::SaveImageUCASEBMP(MyImageInformation& MyImgData)
{
    try {
        host::SavePicture(m_picture1->Picture(), MyImgData.sFileSaveLoc);
        return true;
    } catch (...) {
        return false;
    }
}

// --- picture, colour and surface -----------------------------------------------------------

std::optional<picture::Picture> XrImageControl::Image() const
{
    return picture::pictureFromBitmap(m_picture1->Image(), picture::PICTYPE_BITMAP);
}

host::OLE_COLOR XrImageControl::BackColor() const
{
    return m_picture1->BackColor();
}

void XrImageControl::LetBackColor(host::OLE_COLOR value)
{
    m_picture1->LetBackColor(value);
    emit PropertyChanged(QStringLiteral("BackColor"));
}

gdi::DeviceContext* XrImageControl::hDC()
{
    return &m_surface.dc();
}

// --- hosting -------------------------------------------------------------------------------

void XrImageControl::ReadProperties(const host::PropertyBag& PropBag)
{
    persistedProperties().read(*this, PropBag);
}

void XrImageControl::WriteProperties(host::PropertyBag& PropBag) const
{
    persistedProperties().write(*this, PropBag);
}

std::int32_t XrImageControl::pixelsOf(double twips)
{
    return std::int32_t(vb::roundHalfEven(twips / ImageControlTwipsPerPixel));
}

double XrImageControl::Width() const
{
    return width() * ImageControlTwipsPerPixel;
}

double XrImageControl::Height() const
{
    return height() * ImageControlTwipsPerPixel;
}

void XrImageControl::LetWidth(double twips)
{
    resize(std::max(0, pixelsOf(twips)), height());
    // A hidden widget hears of its new size only when shown; the box follows at once.
    m_picture1->Move(rect());
}

void XrImageControl::LetHeight(double twips)
{
    resize(width(), std::max(0, pixelsOf(twips)));
    m_picture1->Move(rect());
}

void XrImageControl::resizeEvent(QResizeEvent*)
{
    m_picture1->Move(rect());
    m_surface.resizeToWidget();
}

void XrImageControl::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    m_surface.present(painter, event->rect());
}

// --- selection -----------------------------------------------------------------------------

void XrImageControl::Picture1_MouseDown(float X, float Y)
{
    SelectionShape& shape = m_picture1->Shape1();
    m_dragging = true;
    if (m_selectionVisible) {
        // A press over a shown selection only removes it.
        m_selectionVisible = false;
        shape.LetVisible(false);
    } else {
        shape.Move(X, Y, 0, 0);
        m_selectionVisible = true;
        shape.LetVisible(true);
    }
}

void XrImageControl::Picture1_MouseMove(float X, float Y)
{
    if (!m_dragging)
        return;
    // The rectangle only grows right and down from the press point.
    SelectionShape& shape = m_picture1->Shape1();
    if (X > shape.Left())
        shape.LetWidth(X - shape.Left());
    if (Y > shape.Top())
        shape.LetHeight(Y - shape.Top());
}

void XrImageControl::Picture1_MouseUp()
{
    m_dragging = false;
    const SelectionShape& shape = m_picture1->Shape1();
    m_selWidth = pixelsOf(shape.Width());
    m_selHeight = pixelsOf(shape.Height());
    m_selLeft = pixelsOf(shape.Left());
    m_selTop = pixelsOf(shape.Top());
}

}  // namespace XrImage
