// How the outside controls draw: pictures centred, distinct hover/down/disabled faces, colour
// faces, sunken status panels. Set SCRIVET_SHOTS_DIR to keep a picture of all of them.
#include "platform/widgets/ProgressBar.h"
#include "platform/widgets/StatusBar.h"
#include "platform/widgets/XrLinkControl.h"
#include "platform/widgets/XrSliderControl.h"
#include "platform/widgets/XrUCbutton.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

QIcon solidIcon(const QColor& color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QIcon letterIcon(const QString& letter, bool bold, bool italic, bool underline)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(14);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, letter);
    return QIcon(pixmap);
}

QImage imageOf(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The bounding box of every pixel of exactly `color`.
QRect boxOf(const QImage& image, QRgb color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

TEST(OutsideControlsLook, ButtonPictureIsCentredAndStatesLookDifferent)
{
    XrUCbutton button;
    button.setToggle(true);
    button.setPicture(solidIcon(QColor(0, 128, 0)));
    button.resize(40, 30);

    const QRect picture = boxOf(imageOf(button), qRgb(0, 128, 0));
    EXPECT_EQ(picture.size(), QSize(16, 16));
    EXPECT_NEAR(picture.center().x(), button.rect().center().x(), 1);
    EXPECT_NEAR(picture.center().y(), button.rect().center().y(), 1);

    const QImage normal = imageOf(button);
    button.setAttribute(Qt::WA_UnderMouse, true);
    const QImage hover = imageOf(button);
    button.setAttribute(Qt::WA_UnderMouse, false);
    button.setValue(true);
    const QImage down = imageOf(button);
    button.setValue(false);
    button.setEnabled(false);
    const QImage disabled = imageOf(button);
    EXPECT_NE(normal, hover);
    EXPECT_NE(normal, down);
    EXPECT_NE(hover, down);
    EXPECT_NE(normal, disabled);
    EXPECT_TRUE(boxOf(disabled, qRgb(0, 128, 0)).isEmpty());  // the picture is greyed
}

TEST(OutsideControlsLook, ColourFaceAndSunkenPanels)
{
    XrUCbutton swatch;
    swatch.resize(24, 24);
    swatch.setBackColor(0x0000FF);  // red in the 0x00BBGGRR layout
    EXPECT_EQ(imageOf(swatch).pixel(4, 12) & 0xFFFFFF, 0xFF0000u);

    StatusBar bar(2);
    bar.resize(300, bar.sizeHint().height());
    bar.Panels(1).setText(QStringLiteral("Line: 1"));
    const QImage image = imageOf(bar);
    const QRect panel = bar.panelRect(1);
    // Sunken: the shadow is on the top and left edges, the light on the bottom and right.
    EXPECT_LT(qGray(image.pixel(panel.left(), panel.center().y())),
              qGray(image.pixel(panel.right(), panel.center().y())));
    EXPECT_LT(qGray(image.pixel(panel.center().x(), panel.top())),
              qGray(image.pixel(panel.center().x(), panel.bottom())));
}

TEST(OutsideControlsLook, WindowWithEveryControl)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("Outside controls"));
    auto* layout = new QVBoxLayout(&window);

    auto* toolbar = new QHBoxLayout;
    const std::tuple<QString, bool, bool, bool> letters[] = {
        {QStringLiteral("B"), true, false, false},
        {QStringLiteral("I"), false, true, false},
        {QStringLiteral("U"), false, false, true},
    };
    for (const auto& [letter, bold, italic, underline] : letters) {
        auto* button = new XrUCbutton(&window);
        button->setToggle(true);
        button->setPicture(letterIcon(letter, bold, italic, underline));
        button->setValue(bold);
        button->setToolTipText(letter);
        toolbar->addWidget(button);
    }
    auto* hot = new XrUCbutton(&window);
    hot->setCaption(QStringLiteral("Cut"));
    hot->setAttribute(Qt::WA_UnderMouse, true);
    toolbar->addWidget(hot);
    auto* off = new XrUCbutton(&window);
    off->setCaption(QStringLiteral("Paste"));
    off->setEnabled(false);
    toolbar->addWidget(off);
    auto* swatch = new XrUCbutton(&window);
    swatch->setBackColor(0x00FFFF);
    toolbar->addWidget(swatch);
    toolbar->addStretch();
    layout->addLayout(toolbar);

    auto* link = new XrLinkControl(&window);
    link->setCaption(QStringLiteral("www.example.com"));
    layout->addWidget(link);

    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(new QLabel(QStringLiteral("more suggestions"), &window));
    auto* slider = new XrSliderControl(&window);
    slider->setValue(28);
    sliderRow->addWidget(slider);
    sliderRow->addWidget(new QLabel(QStringLiteral("fewer suggestions"), &window));
    layout->addLayout(sliderRow);

    auto* progress = new ProgressBar(&window);
    progress->setValue(60);
    layout->addWidget(progress);

    auto* status = new StatusBar(4, &window);
    status->Panels(1).setAutoSize(StatusBar::sbrSpring);
    status->Panels(1).setText(QStringLiteral("Document Name: Document.wmdf"));
    status->Panels(2).setText(QStringLiteral("Line: 1"));
    status->Panels(3).setText(QStringLiteral("Column: 1"));
    status->Panels(4).setText(QStringLiteral("Position: 0"));
    layout->addStretch();
    layout->addWidget(status);

    window.resize(560, 220);
    const QImage shot = imageOf(window);
    EXPECT_EQ(shot.size(), QSize(560, 220));
    // The swatch shows its colour (yellow) somewhere on the window.
    EXPECT_FALSE(boxOf(shot, qRgb(255, 255, 0)).isEmpty());

    const QString folder = qEnvironmentVariable("SCRIVET_SHOTS_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(shot.save(folder + QStringLiteral("/outside-controls.png")));
    }
}

}  // namespace
