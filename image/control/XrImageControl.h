// XrImageControl: the image library's control. It owns one image and shows it in a picture
// box that fills the control; every operation clears the box, changes or draws the image, and
// keeps the drawing as the box's picture, which the host takes through Image(). A rectangle
// the user drags over the box is the selection that CropImage and CustomResize use.
//
// The public members follow the control's interface slot by slot. Methods that the interface
// gives a Variant result return nothing: their effect is on the box and the image.
#pragma once

#include "image/control/MyImageInformation.h"
#include "platform/gdi/WidgetSurface.h"
#include "platform/host/OleColor.h"
#include "platform/host/PropertyBag.h"
#include "platform/host/PropertySchema.h"
#include "platform/picture/Picture.h"

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

namespace XrImage {

class c32bppDIB;
class PictureBox;

class XrImageControl : public QWidget {
    Q_OBJECT

public:
    explicit XrImageControl(QWidget* parent = nullptr);
    ~XrImageControl() override;

    void CropImage();
    void CustomResize();
    void MakeImgTransparentF(MyImageInformation& MyImgData);
    void MakeImgTransparentT(MyImageInformation& MyImgData);
    void LightenDarkenImage(MyImageInformation& MyImgData);
    // Draws only the image's one-colour silhouette; the image is unchanged.
    void ChangeColorPNG(MyImageInformation& MyImgData);
    // Draws only the image's blurred one-colour shadow; the image is unchanged.
    void SpecialBlurPNG(MyImageInformation& MyImgData);
    void ImageOpacity(MyImageInformation& MyImgData);
    void Rotation(MyImageInformation& MyImgData);
    // Saves what the box shows (the image over the back colour) by the file name's ending.
    bool SpecialSave(MyImageInformation& MyImgData);
    bool SaveMyImage(MyImageInformation& MyImgData);
    bool SaveMyImageAsPNG(MyImageInformation& MyImgData);
    bool SaveMyImageAsJPG(MyImageInformation& MyImgData);
    // Writes the box's picture as a BMP file; False for any failure on the way, never raising.
    bool SaveImageUCASEBMP(MyImageInformation& MyImgData);
    void ColorBlender(MyImageInformation& MyImgData);
    void MirrorImage(MyImageInformation& MyImgData);
    void ImageInverse();
    void ConvertToGrayScaling(std::int32_t& MyGrey);
    // Loads sFile at its own size and sizes the control to it.
    void LoadImageActualSize(MyImageInformation& MyImgData);
    // Loads sFile scaled down to fit the control, centred on the back colour; the image
    // becomes the whole box.
    void LoadImageForcedScale(MyImageInformation& MyImgData);
    // Fills the type, depth and size fields from the file's header.
    void GetMyImageInfo(MyImageInformation& MyImgData);
    // The box's persistent bitmap as a picture; nothing while the control has no area.
    std::optional<picture::Picture> Image() const;
    host::OLE_COLOR BackColor() const;
    void LetBackColor(host::OLE_COLOR value);
    // The control's own surface, which the box covers.
    gdi::DeviceContext* hDC();

    // --- hosting ---------------------------------------------------------------------------
    void ReadProperties(const host::PropertyBag& PropBag);
    void WriteProperties(host::PropertyBag& PropBag) const;
    // The control's size in twips; setting one resizes the control.
    double Width() const;
    double Height() const;
    void LetWidth(double twips);
    void LetHeight(double twips);

    // --- state that is not part of the interface ------------------------------------------
    PictureBox& Picture1() { return *m_picture1; }
    const c32bppDIB& image() const { return *m_image; }
    c32bppDIB& image() { return *m_image; }
    bool SelectionVisible() const { return m_selectionVisible; }
    // The last selection in pixels, stored on each mouse release.
    QRect selection() const { return QRect(m_selLeft, m_selTop, m_selWidth, m_selHeight); }

signals:
    void Click();
    // A persisted property was written (the host's property-changed notification).
    void PropertyChanged(const QString& key);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    static const host::PropertySchema<XrImageControl>& persistedProperties();

    // The standard redraw: the box cleared, the operation done, the whole image drawn at
    // the box's top-left with the given opacity and angle, the drawing kept as the picture.
    template <class Operation>
    void redrawAfter(Operation operation, std::int32_t opacity = 100, float angle = 0);
    void clearBox();
    void keepDrawing();
    void renderTopLeft(std::int32_t opacity = 100, float angle = 0);
    void CenterRender();
    void drawShadow(const MyImageInformation& MyImgData, std::int32_t blurDepth,
                    std::int32_t opacity, float lightAdjustment);

    void Picture1_MouseDown(float X, float Y);
    void Picture1_MouseMove(float X, float Y);
    void Picture1_MouseUp();

    // Twips to the control's pixels, rounded halves to even.
    static std::int32_t pixelsOf(double twips);

    std::unique_ptr<c32bppDIB> m_image;
    PictureBox* m_picture1;
    gdi::WidgetSurface m_surface;
    bool m_selectionVisible = false;
    bool m_dragging = false;
    std::int32_t m_selWidth = 0;
    std::int32_t m_selHeight = 0;
    std::int32_t m_selLeft = 0;
    std::int32_t m_selTop = 0;
};

}  // namespace XrImage
