// Helpers of the frame tests: a frame placed on a host with known ambient values, and its
// painted pixels.
#pragma once

#include "controls/frame/XrFrameControl.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiTypes.h"
#include "tests/support/PixelAt.h"

#include <QGuiApplication>
#include <QImage>
#include <memory>

namespace frametest {

// The ambient background of the test host, not a colour any style paints by itself.
constexpr host::OLE_COLOR hostBack = 0x00D8E4ECu;

inline XrFrame::AmbientProperties testAmbient()
{
    XrFrame::AmbientProperties ambient;
    ambient.BackColor = hostBack;
    ambient.DisplayName = QStringLiteral("XrFrameControl1");
    ambient.Font = QGuiApplication::font();
    return ambient;
}

// A frame first placed on the test host, at that size, shown (offscreen).
inline std::unique_ptr<XrFrameControl> placedFrame(int width = 240, int height = 160)
{
    auto frame = std::make_unique<XrFrameControl>();
    frame->setAmbientProperties(testAmbient());
    frame->InitProperties();
    frame->resize(width, height);
    frame->show();
    return frame;
}

// What the frame shows.
inline QImage shown(XrFrameControl& frame)
{
    return frame.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The caption's size in the frame's font.
inline QSize captionExtent(XrFrameControl& frame)
{
    gdi::DeviceContext dc;
    dc.selectFont(gdi::Font::fromQFont(*frame.Font()));
    return dc.textExtent(frame.Caption());
}

using testsupport::pixelAt;

}  // namespace frametest
