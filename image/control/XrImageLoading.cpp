// Loading a file into the control at its own size or fitted to the control, and reading a
// file's header into the request record.
#include "image/codecs/CImageInfo.h"
#include "image/control/PictureBox.h"
#include "image/control/XrImageControl.h"
#include "image/core/c32bppDIB.h"

namespace XrImage {

void XrImageControl::LoadImageActualSize(MyImageInformation& MyImgData)
{
    clearBox();
    m_image->DestroyDIB();
    m_image->LoadPicture_File(MyImgData.sFile, 0, 0, false, 32);
    LetWidth(m_image->Width() * ImageControlTwipsPerPixel);
    LetHeight(m_image->Height() * ImageControlTwipsPerPixel);
    renderTopLeft();
    m_picture1->Refresh();
    m_picture1->TakeImageAsPicture();
}

void XrImageControl::LoadImageForcedScale(MyImageInformation& MyImgData)
{
    // Only its errors matter here: the host has read the header already.
    CImageInfo probe;
    probe.ReadImageInfo(MyImgData.sFile);

    clearBox();
    m_image->DestroyDIB();
    const std::int32_t targetWidth = pixelsOf(Width());
    const std::int32_t targetHeight = pixelsOf(Height());
    m_image->LoadPicture_File(MyImgData.sFile, 0, 0, false, 32);
    std::int32_t newWidth = 0;
    std::int32_t newHeight = 0;
    m_image->ScaleImage(targetWidth, targetHeight, newWidth, newHeight, scaleDownAsNeeded);
    m_image->Resize(newWidth, newHeight);
    renderTopLeft();
    CenterRender();

    // The image becomes the whole box: the fitted picture centred on the back colour.
    m_image->DestroyDIB();
    m_image->LoadPicture_ByHandle(&m_picture1->Image());
    renderTopLeft();
    m_picture1->Refresh();
    m_picture1->TakeImageAsPicture();
}

void XrImageControl::GetMyImageInfo(MyImageInformation& MyImgData)
{
    CImageInfo probe;
    probe.ReadImageInfo(MyImgData.sFile);
    MyImgData.bDepth = probe.Depth();
    MyImgData.sDepth = QString::number(MyImgData.bDepth) + QStringLiteral(" Bit");
    MyImgData.lHeight = probe.Height();
    MyImgData.sHeight = QString::number(MyImgData.lHeight) + QStringLiteral(" H");
    MyImgData.lWidth = probe.Width();
    MyImgData.sWidth = QString::number(MyImgData.lWidth) + QStringLiteral(" W");
    MyImgData.eImgType = probe.ImageType();
    switch (MyImgData.eImgType) {
        case itUNKNOWN:
            MyImgData.sImgType = QStringLiteral("Unknown");
            break;
        case itGIF:
            MyImgData.sImgType = QStringLiteral("GIF");
            break;
        case itJPEG:
            MyImgData.sImgType = QStringLiteral("JPEG");
            break;
        case itPNG:
            MyImgData.sImgType = QStringLiteral("PNG");
            break;
        case itBMP:
            MyImgData.sImgType = QStringLiteral("BMP");
            break;
    }
}

}  // namespace XrImage
