/* Records tests/data/metafiles/wine-gdiplus.emf and wine-gdiplus-units.emf: EMF+ only metafiles
 * written by Wine's GDI+ (tools/make-metafile-corpus.py builds this with MinGW and runs it under
 * Wine). Rows of outlines and fills, a path of lines and a curve, a 2 × 2 bitmap drawn without
 * smoothing and mirrored, text, transforms (saved and restored, translated, scaled, rotated,
 * multiplied) and clips (a rectangle, a path, reset). The test checks the pixels these calls
 * define. */
#include <windows.h>

#include <gdiplus.h>
#include <stdlib.h>

static GpBrush* solid(ARGB colour)
{
    GpSolidFill* brush = NULL;
    GdipCreateSolidFill(colour, &brush);
    return (GpBrush*)brush;
}

static GpGraphics* record(const WCHAR* name, GpMetafile** metafile)
{
    GpRectF frame = {0, 0, 200, 150};
    GpGraphics* g = NULL;
    if (GdipRecordMetafileFileName(name, CreateCompatibleDC(0), EmfTypeEmfPlusOnly, &frame,
                                   MetafileFrameUnitPixel, L"Scrivet", metafile) != Ok ||
        GdipGetImageGraphicsContext((GpImage*)*metafile, &g) != Ok)
        exit(1);
    return g;
}

static void finish(GpGraphics* g, GpMetafile* metafile)
{
    GdipDeleteGraphics(g);
    GdipDisposeImage((GpImage*)metafile);
}

/* Millimetres as the page unit: pens in world units and in pixels, a font in points. */
static void units(void)
{
    GpMetafile* metafile = NULL;
    GpGraphics* g = record(L"wine-gdiplus-units.emf", &metafile);
    GdipSetPageUnit(g, UnitMillimeter);
    GdipFillRectangle(g, solid(0xFFD02020), 5, 5, 20, 10);
    GpPen* world = NULL;
    GdipCreatePen1(0xFF0000C0, 2, UnitWorld, &world);
    GdipDrawRectangle(g, world, 5, 20, 20, 10);
    GpPen* pixels = NULL;
    GdipCreatePen1(0xFF20A040, 3, UnitPixel, &pixels);
    GdipDrawLine(g, pixels, 30, 5, 30, 35);
    GpFontFamily* family = NULL;
    GdipCreateFontFamilyFromName(L"Liberation Sans", NULL, &family);
    GpFont* font = NULL;
    GdipCreateFont(family, 24, FontStyleRegular, UnitPoint, &font);
    GpRectF layout = {35, 5, 15, 15};
    GdipDrawString(g, L"H", -1, font, &layout, NULL, solid(0xFF000000));
    finish(g, metafile);
}

int main(void)
{
    ULONG_PTR token;
    GdiplusStartupInput input = {1, NULL, FALSE, FALSE};
    if (GdiplusStartup(&token, &input, NULL) != Ok)
        return 1;
    GpMetafile* metafile = NULL;
    GpGraphics* g = record(L"wine-gdiplus.emf", &metafile);
    GdipSetPageUnit(g, UnitPixel);

    GpPen* pen = NULL;
    GdipCreatePen1(0xFF0000C0, 4, UnitPixel, &pen);
    GdipDrawRectangle(g, pen, 10, 10, 40, 30);
    GpPointF triangle[3] = {{60, 40}, {100, 40}, {80, 5}};
    GdipFillPolygon(g, solid(0xFF20A040), triangle, 3, FillModeAlternate);
    GdipDrawEllipse(g, pen, 110, 5, 40, 40);
    GpPath* path = NULL;
    GdipCreatePath(FillModeAlternate, &path);
    GdipAddPathLine(path, 160, 5, 190, 5);
    GdipAddPathLine(path, 190, 5, 190, 25);
    GdipAddPathBezier(path, 190, 25, 180, 40, 170, 40, 160, 25);
    GdipClosePathFigure(path);
    GdipFillPath(g, solid(0xFFD02020), path);
    GdipDrawPath(g, pen, path);

    /* Red and blue over blue and red (BGRA bytes, top row first). */
    static BYTE pixels[16] = {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF,
                              0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF};
    GpBitmap* bitmap = NULL;
    GdipCreateBitmapFromScan0(2, 2, 8, PixelFormat32bppARGB, pixels, &bitmap);
    GdipSetInterpolationMode(g, InterpolationModeNearestNeighbor);
    GdipDrawImageRectRect(g, (GpImage*)bitmap, 10, 50, 40, 40, 0, 0, 2, 2, UnitPixel, NULL, NULL,
                          NULL);
    GpPointF mirrored[3] = {{100, 50}, {60, 50}, {100, 90}};
    GdipDrawImagePointsRect(g, (GpImage*)bitmap, mirrored, 3, 0, 0, 2, 2, UnitPixel, NULL, NULL,
                            NULL);
    GpFontFamily* family = NULL;
    GdipCreateFontFamilyFromName(L"Liberation Sans", NULL, &family);
    GpFont* font = NULL;
    GdipCreateFont(family, 24, FontStyleBold, UnitPixel, &font);
    GpRectF layout = {110, 55, 85, 30};
    GdipDrawString(g, L"EMF+", -1, font, &layout, NULL, solid(0xFF006000));

    GraphicsState state;
    GdipSaveGraphics(g, &state);
    GdipTranslateWorldTransform(g, 10, 100, MatrixOrderPrepend);
    GdipScaleWorldTransform(g, 2, 1, MatrixOrderPrepend);
    GdipFillRectangle(g, solid(0xFFF09000), 0, 0, 10, 20);
    GdipRestoreGraphics(g, state);
    GdipFillRectangle(g, solid(0xFF8000A0), 40, 100, 10, 10);
    GpMatrix* matrix = NULL;
    GdipCreateMatrix2(1, 0, 0, 1, 70, 100, &matrix);
    GdipSetWorldTransform(g, matrix);
    GdipRotateWorldTransform(g, 90, MatrixOrderPrepend);
    GdipFillRectangle(g, solid(0xFF008080), 0, -20, 20, 10);
    GpMatrix* down = NULL;
    GdipCreateMatrix2(1, 0, 0, 1, 0, 25, &down);
    GdipMultiplyWorldTransform(g, down, MatrixOrderAppend);
    GdipFillRectangle(g, solid(0xFF008080), 0, -20, 20, 10);
    GdipResetWorldTransform(g);

    GdipSetClipRect(g, 110, 100, 40, 40, CombineModeReplace);
    GdipFillRectangle(g, solid(0xFF4060A0), 100, 95, 100, 55);
    GpPath* clip = NULL;
    GdipCreatePath(FillModeAlternate, &clip);
    GdipAddPathRectangle(clip, 165, 100, 30, 40);
    GdipSetClipPath(g, clip, CombineModeReplace);
    GdipFillRectangle(g, solid(0xFF4060A0), 155, 95, 45, 55);
    GdipResetClip(g);
    GdipFillRectangle(g, solid(0xFF000000), 100, 143, 100, 6);

    finish(g, metafile);
    units();
    GdiplusShutdown(token);
    return 0;
}
