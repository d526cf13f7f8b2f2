// Insert > Image end to end in the main window, through the fake open dialog and an in-memory
// clipboard: the size rule, the fitted square, files that do not decode, the clipboard coming
// back whole, and the picture in a saved and reopened document.
#include "image/control/XrImageControl.h"
#include "platform/host/Clipboard.h"
#include "richtext/core/XrRTB.h"
#include "tests/app/MainWindowSupport.h"
#include "tests/support/FakeClipboard.h"
#include "tests/support/FakeCommonDialogs.h"

#include <QAction>
#include <QFile>
#include <QMimeData>
#include <QRegularExpression>

namespace {

using testsupport::FakeClipboard;
using testsupport::FakeCommonDialogs;

const QRgb Red = qRgb(200, 30, 40);
// The hidden control's box in pixels: 7200 twips at 15 twips to the pixel.
constexpr int Square = 480;

struct DocumentPicture {
    int width = 0;   // \picw
    int height = 0;  // \pich
    QImage pixels;
};

// Every picture group of the document's RTF, decoded.
std::vector<DocumentPicture> picturesIn(const QString& rtf)
{
    static const QRegularExpression group(
        QStringLiteral(R"(\{\\pict\\\w+\\picw(\d+)\\pich(\d+)\\picwgoal\d+\\pichgoal\d+\s*)"
                       R"(([0-9a-fA-F\s]*)\})"));
    std::vector<DocumentPicture> pictures;
    auto match = group.globalMatch(rtf);
    while (match.hasNext()) {
        const auto found = match.next();
        QString hex = found.captured(3);
        hex.remove(QRegularExpression(QStringLiteral(R"(\s)")));
        pictures.push_back({found.captured(1).toInt(), found.captured(2).toInt(),
                            QImage::fromData(QByteArray::fromHex(hex.toLatin1()))});
    }
    return pictures;
}

class ImageInsertion : public testsupport::MainWindowTest {
protected:
    QString writePicture(const QString& name, int width, int height, QRgb colour = Red)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = appData.filePath(name);
        EXPECT_TRUE(image.save(path)) << name.toStdString();
        return path;
    }
    QString writeBytes(const QString& name, const QByteArray& bytes)
    {
        const QString path = appData.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // Chooses the file in the dialog and runs the menu entry.
    void insert(app::Form1& form, const QString& path)
    {
        dialogs.answer(host::DialogAnswer::file(path));
        form.menuImage->trigger();
    }
    std::vector<DocumentPicture> pictures(app::Form1& form)
    {
        return picturesIn(form.XrRTB1->TextRTF());
    }

    FakeCommonDialogs dialogs;
    FakeClipboard clipboard;
};

TEST_F(ImageInsertion, TheEntryIsOnAndOpensTheImageDialog)
{
    app::Form1& form = load();
    form.RefreshToolbarState();
    EXPECT_TRUE(form.menuImage->isEnabled());
    ASSERT_NE(form.XrImageControl1, nullptr);
    EXPECT_FALSE(form.XrImageControl1->isVisible());

    insert(form, writePicture("small.png", 20, 10));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const host::DialogRequest& request = dialogs.last();
    EXPECT_EQ(request.kind, host::DialogKind::Open);
    EXPECT_EQ(request.title, "Select Image...");
    EXPECT_EQ(request.filter, "Image Files (*.bmp;*.gif;*.jpg;*.png;)|*.bmp;*.gif;*.jpg;*.png;)");
    EXPECT_EQ(request.flags, 4100);
    EXPECT_TRUE(request.fileName.isEmpty());
}

TEST_F(ImageInsertion, PicturesBelow528PixelsKeepTheirSizeAndLargerOnesFillTheSquare)
{
    struct Case {
        int width, height;
        int insertedWidth, insertedHeight;
    };
    const Case cases[] = {
        {527, 527, 527, 527},       {400, 300, 400, 300},      {528, 10, Square, Square},
        {600, 400, Square, Square}, {10, 528, Square, Square},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        app::Form1& form = load();
        insert(form, writePicture(QStringLiteral("p%1x%2.png").arg(c.width).arg(c.height), c.width,
                                  c.height));
        const auto inserted = pictures(form);
        ASSERT_EQ(inserted.size(), 1u);
        EXPECT_EQ(inserted[0].width, c.insertedWidth);
        EXPECT_EQ(inserted[0].height, c.insertedHeight);
        ASSERT_FALSE(inserted[0].pixels.isNull());
        EXPECT_EQ(inserted[0].pixels.size(), QSize(c.insertedWidth, c.insertedHeight));
    }
}

TEST_F(ImageInsertion, AScaledPictureKeepsItsProportionsCentredInTheSquare)
{
    app::Form1& form = load();
    insert(form, writePicture("wide.bmp", 528, 10));
    const auto inserted = pictures(form);
    ASSERT_EQ(inserted.size(), 1u);
    const QImage& square = inserted[0].pixels;
    ASSERT_EQ(square.size(), QSize(Square, Square));
    // 528 x 10 times 480/528 is 480 x 9, drawn in the middle of the box.
    QRect red;
    for (int y = 0; y < square.height(); ++y)
        for (int x = 0; x < square.width(); ++x)
            if ((square.pixel(x, y) & 0xFFFFFF) == (Red & 0xFFFFFF))
                red |= QRect(x, y, 1, 1);
    EXPECT_EQ(red.width(), Square);
    EXPECT_EQ(red.height(), 9);
    EXPECT_NEAR(red.center().y(), Square / 2, 1);
    EXPECT_NE(square.pixel(0, 0) & 0xFFFFFF, Red & 0xFFFFFF) << "the box's back colour shows";
}

TEST_F(ImageInsertion, AFileThatDoesNotDecodeInsertsNothingNotEvenThePreviousPicture)
{
    app::Form1& form = load();
    insert(form, writePicture("first.png", 30, 30));
    ASSERT_EQ(pictures(form).size(), 1u);

    QByteArray truncated;
    {
        const QString path = writePicture("whole.png", 600, 600);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        truncated = file.readAll().left(60);  // the header says 600 x 600, the data is gone
    }
    clipboard.setMimeData(nullptr);
    const int writesBefore = clipboard.writes();
    for (const QString& path :
         {writeBytes("noise.png", QByteArray(200, 'x')), writeBytes("cut.png", truncated),
          writeBytes("empty.jpg", QByteArray())}) {
        SCOPED_TRACE(path.toStdString());
        const QString before = form.XrRTB1->TextRTF();
        insert(form, path);
        EXPECT_EQ(form.XrRTB1->TextRTF(), before);
        EXPECT_EQ(clipboard.writes(), writesBefore) << "the clipboard is not touched";
    }
}

TEST_F(ImageInsertion, EveryFormatOnTheClipboardComesBackAsItWas)
{
    app::Form1& form = load();
    QImage held(7, 5, QImage::Format_RGB32);
    held.fill(qRgb(1, 2, 3));
    auto* data = new QMimeData;
    data->setText("plain words");
    data->setData("text/rtf", "{\\rtf1 rich {\\b words}}");
    data->setData("application/x-scrivet-test", QByteArray("\x00\x01custom", 8));
    data->setImageData(held);
    clipboard.setMimeData(data);
    const host::ClipboardSnapshot before = host::Clipboard::snapshot();

    insert(form, writePicture("a.png", 40, 20));
    insert(form, writePicture("b.jpg", 600, 100));  // a second insertion in a row
    ASSERT_EQ(pictures(form).size(), 2u);

    const host::ClipboardSnapshot after = host::Clipboard::snapshot();
    EXPECT_EQ(after.formats, before.formats);
    ASSERT_TRUE(after.image.has_value());
    EXPECT_EQ(after.image->convertToFormat(QImage::Format_RGB32), held);
    EXPECT_EQ(host::Clipboard::GetText(), "plain words");
    EXPECT_EQ(host::Clipboard::rtf(), "{\\rtf1 rich {\\b words}}");
}

TEST_F(ImageInsertion, AnEmptyClipboardStaysEmptyAndPlainTextStaysPlain)
{
    app::Form1& form = load();
    clipboard.setMimeData(nullptr);
    insert(form, writePicture("one.png", 10, 10));
    EXPECT_EQ(clipboard.mimeData(), nullptr);

    host::Clipboard::SetText("only text");
    insert(form, writePicture("two.png", 10, 10));
    EXPECT_EQ(host::Clipboard::GetText(), "only text");
    EXPECT_FALSE(host::Clipboard::hasRichText());
    EXPECT_FALSE(host::Clipboard::hasImage());
    EXPECT_EQ(pictures(form).size(), 2u);
}

TEST_F(ImageInsertion, ACancelledDialogInsertsNothingAndLeavesTheClipboard)
{
    app::Form1& form = load();
    form.XrRTB1->LetText("text");
    host::Clipboard::SetText("kept");
    const int writes = clipboard.writes();
    const QString before = form.XrRTB1->TextRTF();
    dialogs.answerCancel();
    form.menuImage->trigger();
    EXPECT_EQ(form.XrRTB1->TextRTF(), before);
    EXPECT_EQ(clipboard.writes(), writes);
    EXPECT_EQ(host::Clipboard::GetText(), "kept");
}

TEST_F(ImageInsertion, ThePictureReplacesTheSelectionAndSurvivesSaveAndReopen)
{
    const QString document = appData.filePath("with picture.rtf");
    {
        app::Form1& form = load();
        form.XrRTB1->LetText("before XX after");
        form.XrRTB1->LetSelStart(7);
        form.XrRTB1->LetSelLength(2);
        insert(form, writePicture("dot.bmp", 12, 8, qRgb(10, 200, 90)));
        const QString text = form.XrRTB1->Text();
        EXPECT_TRUE(text.startsWith("before ")) << text.toStdString();
        EXPECT_TRUE(text.endsWith(" after")) << text.toStdString();
        EXPECT_FALSE(text.contains("XX"));
        ASSERT_TRUE(form.XrRTB1->SaveFile(document, rtfRTF));
    }
    app::Form1& reopened = load("\"" + document + "\"");
    const auto inserted = pictures(reopened);
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(QSize(inserted[0].width, inserted[0].height), QSize(12, 8));
    ASSERT_FALSE(inserted[0].pixels.isNull());
    EXPECT_EQ(inserted[0].pixels.pixel(5, 4) & 0xFFFFFF, qRgb(10, 200, 90) & 0xFFFFFF);
}

}  // namespace
