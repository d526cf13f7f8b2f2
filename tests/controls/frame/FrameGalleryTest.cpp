// Every style and every theme painted side by side: each must look different from the others.
// With SCRIVET_FRAME_SHOTS naming a folder the pictures are also saved there for a look.
#include "controls/frame/XrFrameControl.h"
#include "tests/controls/frame/FrameTestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QPainter>

using namespace XrFrame;
using namespace frametest;

namespace {

QImage sampleIcon()
{
    QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40, 120, 220));
    painter.setPen(QColor(20, 60, 120));
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(7, 4, 2, 8));
    return icon;
}

void save(const QImage& image, const QString& name)
{
    const QString folder = qEnvironmentVariable("SCRIVET_FRAME_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    EXPECT_TRUE(image.save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}

const char* const styleNames[] = {"XPDefault",  "jcGradient", "TextBox", "Windows", "Messenger",
                                  "InnerWedge", "OuterWedge", "Header",  "Panel"};
const char* const themeNames[] = {"Blue", "Silver", "Olive", "Visual2005", "Norton2004", "Custom"};

std::unique_ptr<XrFrameControl> styledFrame(int style)
{
    auto frame = placedFrame(260, 150);
    frame->LetStyle(jcStyleConst(style));
    frame->LetCaption(QStringLiteral("Paragraph settings"));
    return frame;
}

TEST(FrameGallery, EveryStyleLooksDifferent)
{
    std::vector<QImage> shots;
    for (int style = XPDefault; style <= Panel; ++style) {
        auto frame = styledFrame(style);
        shots.push_back(shown(*frame));
        save(shots.back(), QStringLiteral("style-%1-%2").arg(style).arg(styleNames[style]));
        frame->SetPicture(sampleIcon());
        save(shown(*frame), QStringLiteral("style-%1-%2-icon").arg(style).arg(styleNames[style]));
        frame->LetEnabled(false);
        save(shown(*frame),
             QStringLiteral("style-%1-%2-disabled").arg(style).arg(styleNames[style]));
    }
    for (std::size_t a = 0; a < shots.size(); ++a)
        for (std::size_t b = a + 1; b < shots.size(); ++b)
            EXPECT_NE(shots[a], shots[b]) << styleNames[a] << " and " << styleNames[b];

    // A caption the panel has to wrap.
    auto panel = styledFrame(Panel);
    panel->resize(150, 100);
    panel->LetCaption(QStringLiteral("Paragraph settings of the whole page"));
    save(shown(*panel), QStringLiteral("style-8-Panel-wrapped"));
}

TEST(FrameGallery, EveryThemeLooksDifferent)
{
    for (const int style : {int(jcGradient), int(Messenger), int(Panel), int(Windows)}) {
        std::vector<QImage> shots;
        for (int theme = Blue; theme <= Custom; ++theme) {
            auto frame = styledFrame(style);
            if (style == Windows) {
                frame->LetHeaderStyle(Gradient);
                frame->LetGradientHeaderStyle(VCilinderGradient);
            }
            frame->LetThemeColor(jcThemeConst(theme));
            frame->SetPicture(sampleIcon());
            shots.push_back(shown(*frame));
            save(shots.back(),
                 QStringLiteral("theme-%1-%2").arg(styleNames[style]).arg(themeNames[theme]));
        }
        for (std::size_t a = 0; a < shots.size(); ++a)
            for (std::size_t b = a + 1; b < shots.size(); ++b)
                EXPECT_NE(shots[a], shots[b])
                    << styleNames[style] << ": " << themeNames[a] << " and " << themeNames[b];
    }
}

}  // namespace
