// The print preview's hidden page canvas: one sheet at screen resolution (15 twips to the pixel)
// that keeps what is drawn on it, with a print position, a font and text output in twips.
#pragma once

#include "platform/richedit/layout/FormatRange.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>

class PageCanvas {
public:
    static constexpr int TwipsPerPixel = 15;
    static constexpr int32_t SheetWidth = 12240;
    static constexpr int32_t SheetHeight = 15840;

    PageCanvas();

    // Outer size in twips; the canvas has no border, so it is also the inner size.
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    // A taller canvas gets white paper below what is drawn; a shorter one loses the bottom.
    void setHeight(int32_t twips);
    void setSize(int32_t widthTwips, int32_t heightTwips);

    // Removes everything drawn: a blank sheet.
    void Cls();

    const QImage& image() const { return m_image; }
    QImage& image() { return m_image; }
    // The canvas as the format range measures on it.
    richedit::TargetDevice device() const;

    // Text output: the line's top at the print position, in Font and ForeColor (0x00BBGGRR).
    double CurrentX = 0;
    double CurrentY = 0;
    QFont Font;
    quint32 ForeColor = 0;
    double TextWidth(const QString& text) const;
    // Prints one line and moves the print position to the start of the next.
    void Print(const QString& text = {});

private:
    int32_t m_width;
    int32_t m_height;
    QImage m_image;
};
