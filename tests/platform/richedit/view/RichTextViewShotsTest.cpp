// A formatted document as the view shows it: every kind of formatting reaches the screen.
// With SCRIVET_SHOTS set to a folder the picture is also saved there to be looked at.
#include "tests/platform/richedit/view/RichTextViewTest.h"

#include "platform/host/OleColor.h"
#include "platform/richedit/layout/ParagraphPainter.h"
#include "tests/support/PixelAt.h"

#include <QBuffer>
#include <QDir>
#include <QImage>

using namespace richedit;

namespace {

constexpr QRgb PictureColor = qRgb(10, 200, 30);

QByteArray pngHex()
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(PictureColor);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toHex();
}

QString formattedDocument()
{
    QByteArray rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}{\\f1\\fnil DejaVu Serif;}"
        "{\\f2\\fnil Liberation Mono;}}\r\n"
        "{\\colortbl "
        ";\\red200\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green128\\blue0;}\r\n"
        "\\pard\\f0\\fs32\\b Heading in bold\\b0\\fs20\\par\r\n"
        "\\pard Plain, \\i italic\\i0 , \\ul underlined\\ulnone , \\strike struck\\strike0 , "
        "\\cf1 red\\cf0 , \\highlight2 highlighted\\highlight0 , \\f1 serif\\f0 , \\f2 mono\\f0 , "
        "x\\super 2\\nosupersub  and H\\sub 2\\nosupersub O.\\par\r\n"
        "\\pard Visit {\\lang357 http://example.com} today.\\par\r\n"
        "\\pard\\fi-360\\li720{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'B7}} First "
        "bullet\\par\r\n"
        "\\pard\\fi-360\\li720{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'B7}} Second "
        "bullet\\par\r\n"
        "\\pard\\fi-360\\li720{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta.}} "
        "Numbered one\\par\r\n"
        "\\pard\\fi-360\\li720{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta.}} "
        "Numbered two\\par\r\n"
        "\\pard\\li1440\\ri720\\qc Centred and indented paragraph that wraps across more than one "
        "line in the view, \\cf3 partly green\\cf0 .\\par\r\n"
        "\\pard\\tx1440\\tx2880 Name\\tab Qty\\tab Price\\par\r\n"
        "\\pard\\tx1440\\tx2880 Apples\\tab 12\\tab 3.40\\par\r\n"
        "\\pard Picture: {\\pict\\pngblip\\picw32\\pich32\\picwgoal480\\pichgoal480 " +
        pngHex() +
        "} after it.\\par\r\n"
        "\\pard\\qr Right aligned\\par\r\n}";
    return QString::fromLatin1(rtf);
}

bool hasPixel(const QImage& image, host::COLORREF color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (testsupport::pixelAt(image, x, y) == color)
                return true;
        }
    }
    return false;
}

}  // namespace

using ViewShotTest = testsupport::ViewFixture;

TEST_F(ViewShotTest, FormattedDocumentShowsEveryFormat)
{
    view->resize(640, 420);
    engine.setTextRtf(formattedDocument());
    const int32_t plain = engine.text().indexOf(QStringLiteral("Plain"));
    engine.exSetSel({plain, plain + 20});
    settle();
    const QImage shot = view->grab().toImage();

    EXPECT_TRUE(hasPixel(shot, host::GetSysColor(host::COLOR_HIGHLIGHT)));
    EXPECT_TRUE(hasPixel(shot, host::RGB(255, 255, 0)));  // highlighted text
    EXPECT_TRUE(hasPixel(shot, LinkColorBgr));            // the link's underline
    EXPECT_TRUE(
        hasPixel(shot, host::RGB(qRed(PictureColor), qGreen(PictureColor), qBlue(PictureColor))));

    const QString folder = qEnvironmentVariable("SCRIVET_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(shot.save(QDir(folder).filePath(QStringLiteral("formatted-document.png"))));
    }
}
