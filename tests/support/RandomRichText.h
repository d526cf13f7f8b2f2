// A seeded generator of rich-text content for the engine's randomized tests: character and
// paragraph formats, texts, pictures, paragraphs and whole fragments.
#pragma once

#include "platform/richedit/model/DocumentFragment.h"
#include "platform/richedit/model/Formats.h"

#include <QBuffer>
#include <QImage>
#include <QString>
#include <QStringList>

#include <iterator>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace testsupport {

// An image as the bytes of an image file format ("PNG", "JPG", "BMP").
inline QByteArray encodedImage(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A one-colour image of the given size, encoded.
inline QByteArray encodedImage(int width, int height, QRgb color, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return encodedImage(image, format);
}

// What a test may change in the generated content.
struct RandomRichTextOptions {
    QStringList faces = {QStringLiteral("Arial"), QStringLiteral("Times New Roman"),
                         QStringLiteral("Verdana"), QStringLiteral("No Such Face")};
    int pictureOdds = 8;        // one run in this many is a picture
    int pictureScale = 1;       // goal sizes are 1 to 3 times the pixel size (in twips) times this
    bool pictureCrops = false;  // pictures cropped on some sides, by up to a third either way
    int listOdds = 4;           // one paragraph format in this many is a list
    int maxRunsPerParagraph = 5;
    int maxPiecesPerText = 4;
    int hiddenOdds = 0;  // one format in this many is hidden; 0: none
};

// Values lie on what RTF keeps: whole half-point sizes and offsets, ascending tab stops,
// numbering start and style only on numbered paragraphs, pictures whose bytes decode.
// Texts mix words, long unbreakable words, tabs, soft breaks, RTF's own special characters,
// control characters, accented, Greek, Cyrillic, Arabic and CJK letters and characters
// outside the BMP.
class RandomRichText {
public:
    using Options = RandomRichTextOptions;

    explicit RandomRichText(unsigned seed, Options options = {})
        : m_random(seed), m_options(std::move(options))
    {
    }

    // 0 .. bound-1.
    int pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

    richedit::CharFormat charFormat()
    {
        using namespace richedit;
        CharFormat f = defaultCharFormat(m_options.faces[pick(int(m_options.faces.size()))],
                                         20 * (8 + pick(8)) + 10 * pick(2));
        if (pick(8) == 0) {
            static const uint8_t charsets[] = {2, 128, 161, 177, 204, 238};
            f.charset = charsets[pick(6)];
        }
        for (const uint32_t bit : {Bold, Italic, Underline, StrikeOut, Protected}) {
            if (pick(5) == 0)
                f.effects |= bit;
        }
        if (pick(6) == 0) {
            f.effects &= ~AutoColorEffect;
            f.color = color();
        }
        if (pick(8) == 0) {
            f.effects &= ~AutoBackColorEffect;
            f.backColor = color();
        }
        if (pick(10) == 0)
            f.effects |= pick(2) == 0 ? Subscript : Superscript;
        if (pick(10) == 0)
            f.offsetTw = 10 * (pick(13) - 6);
        if (pick(8) == 0) {
            f.lcid = LinkLcid;
            f.effects |= Link;
        } else if (pick(20) == 0) {
            f.lcid = 1049;
        }
        if (m_options.hiddenOdds > 0 && pick(m_options.hiddenOdds) == 0)
            f.effects |= Hidden;
        return f;
    }

    uint32_t color()
    {
        static const uint32_t colors[] = {0x000000, 0x0000FF, 0xFF0000, 0x00FFFF, 0x123456};
        return colors[pick(5)];
    }

    // Line spacing of rule 5 (twentieths of a line) includes 30 and 40, which RTF keeps as
    // one and a half and double spacing.
    richedit::ParaFormat paraFormat()
    {
        using namespace richedit;
        ParaFormat f = defaultParaFormat();
        f.alignment = uint16_t(1 + pick(4));
        if (pick(3) == 0) {
            f.startIndent = 360 * pick(4);
            f.offset = 360 * (pick(3) - 1);
            f.rightIndent = pick(2) == 0 ? 0 : 100 * (pick(30) - 10);
        }
        if (pick(4) == 0) {
            f.spaceBefore = 20 * pick(10);
            f.spaceAfter = 20 * pick(10);
        }
        if (pick(3) == 0) {
            f.lineSpacingRule = uint8_t(pick(6));
            if (f.lineSpacingRule >= 3)
                f.lineSpacing = f.lineSpacingRule == 5 ? 20 + 5 * pick(6) : 200 + 20 * pick(10);
        }
        if (pick(4) == 0)
            f.tabs = tabs();
        if (pick(m_options.listOdds) == 0) {
            f.numbering = uint16_t(1 + pick(6));
            if (f.numbering != Bullet) {
                f.numberingStart = uint16_t(1 + pick(3));
                static const uint16_t styles[] = {0, 0x100, 0x200, 0x300};
                f.numberingStyle = styles[pick(4)];
            }
        }
        return f;
    }

    std::vector<int32_t> tabs()
    {
        std::vector<int32_t> stops;
        for (int i = 0, n = 1 + pick(6); i < n; ++i)
            stops.push_back(720 * (i + 1) + 15 * pick(20));
        return stops;
    }

    std::shared_ptr<const richedit::Picture> picture()
    {
        using richedit::PictureKind;
        auto picture = std::make_shared<richedit::Picture>();
        const bool jpeg = pick(3) == 0;
        picture->kind = jpeg ? PictureKind::Jpeg : PictureKind::Png;
        picture->pixelWidth = 1 + pick(4);
        picture->pixelHeight = 1 + pick(4);
        picture->encoded = encodedImage(picture->pixelWidth, picture->pixelHeight,
                                        qRgb(pick(256), 40, 90), jpeg ? "JPG" : "PNG");
        const int scale = 15 * m_options.pictureScale;
        picture->goalWidthTw = scale * picture->pixelWidth * (1 + pick(3));
        picture->goalHeightTw = scale * picture->pixelHeight * (1 + pick(3));
        if (m_options.pictureCrops) {
            const auto crop = [this](int32_t goalTw) {
                return pick(2) == 0 ? 0 : pick(2 * goalTw / 3 + 1) - goalTw / 3;
            };
            picture->cropLeftTw = crop(picture->goalWidthTw);
            picture->cropRightTw = crop(picture->goalWidthTw);
            picture->cropTopTw = crop(picture->goalHeightTw);
            picture->cropBottomTw = crop(picture->goalHeightTw);
        }
        return picture;
    }

    // One to `maxPiecesPerText` pieces.
    QString text()
    {
        static const QString pieces[] = {
            QStringLiteral("word "),
            QStringLiteral("\t"),
            QStringLiteral("\v"),
            QStringLiteral("\\{}"),
            QStringLiteral("caf\u00E9 \u20AC5 \u0152"),
            QStringLiteral("\u4E2D\u6587"),
            QStringLiteral("\u0395\u03BB\u03BB\u03AC\u03B4\u03B1 \u041C\u0438\u0440"),
            QStringLiteral("\u0645\u0631\u062D\u0628\u0627"),
            QStringLiteral("\U0001F600"),
            QStringLiteral("\u00A0\u00AD"),
            QStringLiteral("  two  "),
            QStringLiteral("\u2019s \u201Cquoted\u201D"),
            QStringLiteral("www.example.com"),
            QStringLiteral("\x01\x1F\x7F\uFFFF"),
            QStringLiteral("\\par \\'41"),
            QStringLiteral("extraordinarilylongwordwithoutanybreaks "),
        };
        QString result;
        for (int i = 0, n = 1 + pick(m_options.maxPiecesPerText); i < n; ++i)
            result += pieces[pick(int(std::size(pieces)))];
        return result;
    }

    // A paragraph with a mark and up to `maxRunsPerParagraph` runs of text or pictures.
    richedit::FragmentParagraph paragraph()
    {
        using namespace richedit;
        FragmentParagraph p{{}, paraFormat(), charFormat(), true};
        for (int i = 0, n = pick(m_options.maxRunsPerParagraph + 1); i < n; ++i) {
            if (pick(m_options.pictureOdds) == 0)
                p.runs.push_back({QString(ObjectReplacementCharacter), charFormat(), picture()});
            else
                p.runs.push_back({text(), charFormat(), nullptr});
        }
        return p;
    }

    richedit::DocumentFragment fragment(int paragraphs)
    {
        richedit::DocumentFragment result;
        for (int i = 0; i < paragraphs; ++i)
            result.paragraphs.push_back(paragraph());
        return result;
    }

private:
    std::mt19937 m_random;
    Options m_options;
};

}  // namespace testsupport
