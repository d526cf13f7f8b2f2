// Geometry: resizing, trimming transparent edges, tiling, the source icon's entries and the
// checkerboard.
#include "image/core/PixelViews.h"
#include "image/core/c32bppDIB.h"
#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstring>

namespace XrImage {
namespace {

// Copies a tile's pixels into the canvas with its top-left corner at (left, top), cut at the
// canvas's edges.
void layTile(const c32bppDIB& tile, c32bppDIB& canvas, std::int64_t left, std::int64_t top)
{
    const PixelView from = PixelView::of(tile);
    const PixelView to = PixelView::of(canvas);
    const std::int64_t first = std::max<std::int64_t>(0, -left);
    const std::int64_t end = std::min<std::int64_t>(from.width, to.width - left);
    if (end <= first)
        return;
    for (std::int64_t row = 0; row < from.height; ++row) {
        const std::int64_t y = top + row;
        if (y < 0 || y >= to.height)
            continue;
        std::memcpy(to.topDownRow(std::int32_t(y)) + (left + first) * 4,
                    from.topDownRow(std::int32_t(row)) + first * 4, std::size_t(end - first) * 4);
    }
}

}  // namespace

std::unique_ptr<c32bppDIB> c32bppDIB::makeSibling(std::int32_t width, std::int32_t height) const
{
    auto sibling = std::make_unique<c32bppDIB>();
    sibling->LetgdiToken(m_gdiToken);
    if (!sibling->InitializeDIB(width, height))
        return nullptr;
    sibling->LetisGDIplusEnabled(isGDIplusEnabled());
    sibling->LetHighQualityInterpolation(m_highQualityInterpolation);
    sibling->SetImageType(m_imageType);
    sibling->LetAlpha(m_alpha);
    sibling->SetOriginalFormat(m_originalFormatBytes);
    sibling->LetTag(m_tag);
    return sibling;
}

bool c32bppDIB::Resize(std::int32_t newWidth, std::int32_t newHeight)
{
    if (m_dib.isNull())
        return false;
    if (newWidth == 0)
        newWidth = m_width;
    if (newHeight == 0)
        newHeight = m_height;
    if (newWidth == m_width && newHeight == m_height)
        return true;
    const std::int64_t width = std::llabs(newWidth);
    const std::int64_t height = std::llabs(newHeight);
    if (width > INT32_MAX || height > INT32_MAX)
        return false;
    // An image that cannot be made leaves this one as it was.
    std::unique_ptr<c32bppDIB> resized = makeSibling(std::int32_t(width), std::int32_t(height));
    if (!resized)
        return false;
    float noLight = 0;
    if (isGDIplusEnabled() && m_highQualityInterpolation) {
        gdi::DeviceContext* dc = resized->LoadDIBinDC(true);
        if (dc)
            renderThroughGdiPlus(dc, 0.0f, 100, 0, 0, newWidth, newHeight, 0, 0, m_width, m_height,
                                 true, gsclNone, 0.0f);
        resized->LoadDIBinDC(false);
    } else if (newWidth < 0 || newHeight < 0) {
        // Mirrored, and scaled to the new size as the GDI+ road does.
        CopyImageTo(*resized, newWidth, newHeight);
    } else if (!isAlphaBlendFriendly() || m_highQualityInterpolation) {
        PixelArray none;
        PixelArray unused;
        std::int32_t w = newWidth, h = newHeight;
        ResampleImage(unused, none, resized.get(), 0, 0, m_width, m_height, 0, 0, w, h, noLight);
    } else {
        const std::int32_t flags = m_capabilityFlags;
        m_capabilityFlags &= ~capAlphaBlend;
        gdi::DeviceContext* dc = resized->LoadDIBinDC(true);
        Render(dc, 0, 0, newWidth, newHeight, 0, 0, 0, 0, 100, true, false, resized.get());
        resized->LoadDIBinDC(false);
        m_capabilityFlags = flags;
    }
    SwapDIBs(resized.get());
    return true;
}

bool c32bppDIB::TrimImage(bool UpdateDIB, std::int32_t Method, std::int32_t* X, std::int32_t* Y,
                          std::int32_t* Width, std::int32_t* Height)
{
    if (m_dib.isNull() || Method < 0)
        return false;
    if (Method == trimAll)
        Method = trimLeft | trimTop | trimRight | trimBottom;
    const PixelView pixels = PixelView::of(*this);
    auto alphaAt = [&](std::int32_t x, std::int32_t y) {
        return pixels.topDownRow(y)[std::size_t(x) * 4 + 3];
    };
    auto rowHasContent = [&](std::int32_t y) {
        for (std::int32_t x = 0; x < m_width; ++x)
            if (alphaAt(x, y) != 0)
                return true;
        return false;
    };
    auto report = [&](std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
        if (X)
            *X = x;
        if (Y)
            *Y = y;
        if (Width)
            *Width = w;
        if (Height)
            *Height = h;
    };
    std::int32_t top = 0;
    std::int32_t bottom = m_height - 1;
    std::int32_t left = 0;
    std::int32_t right = m_width - 1;
    bool empty = false;
    if (Method & trimTop) {
        while (top < m_height && !rowHasContent(top))
            ++top;
        empty = top == m_height;
    }
    if (!empty && (Method & trimBottom)) {
        while (bottom >= top && !rowHasContent(bottom))
            --bottom;
        empty = bottom < top;
    }
    if (!empty && (Method & trimLeft)) {
        left = m_width;
        for (std::int32_t y = top; y <= bottom && left > 0; ++y)
            for (std::int32_t x = 0; x < left; ++x)
                if (alphaAt(x, y) != 0) {
                    left = x;
                    break;
                }
        empty = left == m_width;
    }
    if (!empty && (Method & trimRight)) {
        right = -1;
        for (std::int32_t y = top; y <= bottom; ++y)
            for (std::int32_t x = m_width - 1; x > right && x >= left; --x)
                if (alphaAt(x, y) != 0) {
                    right = x;
                    break;
                }
        empty = right < 0;
    }
    if (empty) {
        report(0, 0, 0, 0);
        return false;
    }
    const std::int32_t width = right - left + 1;
    const std::int32_t height = bottom - top + 1;
    if (UpdateDIB && (width < m_width || height < m_height)) {
        std::unique_ptr<c32bppDIB> cropped = makeSibling(width, height);
        if (!cropped)
            return false;
        const PixelView to = PixelView::of(*cropped);
        for (std::int32_t y = 0; y < height; ++y)
            std::memcpy(to.topDownRow(y), pixels.topDownRow(top + y) + std::size_t(left) * 4,
                        std::size_t(width) * 4);
        SwapDIBs(cropped.get());
        left = 0;
        top = 0;
    }
    report(left, top, width, height);
    return true;
}

bool c32bppDIB::TileImage(gdi::DeviceContext* destinationDC, std::int32_t DestX, std::int32_t DestY,
                          std::int32_t DestWidth, std::int32_t DestHeight, std::int32_t TileWidth,
                          std::int32_t TileHeight, std::int32_t ColumnGap, std::int32_t RowGap,
                          bool StaggerRows, bool FlipAlternateTilesX, bool FlipAlternateTilesY,
                          std::int32_t Opacity, std::int32_t grayScale, float LightAdjustment)
{
    if (m_dib.isNull() || !destinationDC || DestWidth <= 0 || DestHeight <= 0)
        return false;
    if (TileWidth == 0)
        TileWidth = m_width;
    if (TileHeight == 0)
        TileHeight = m_height;
    const std::int64_t tileW = std::llabs(TileWidth);
    const std::int64_t tileH = std::llabs(TileHeight);
    const std::int64_t columnGap = std::llabs(ColumnGap);
    const std::int64_t rowGap = std::llabs(RowGap);
    if (tileW > DestWidth && tileH > DestHeight)
        return Render(destinationDC, DestX, DestY, DestWidth, DestHeight, 0, 0, 0, 0, Opacity, true,
                      true, nullptr, grayScale, LightAdjustment);
    if (tileW > INT32_MAX || tileH > INT32_MAX)
        return false;

    // The canvas holds only the part of the destination rectangle the destination shows: a
    // rectangle far larger than the destination costs no more than the destination.
    const TargetWindow shown =
        visiblePart(DestX, DestY, DestWidth, DestHeight, reachableArea(destinationDC, nullptr));
    if (shown.right <= shown.left || shown.bottom <= shown.top)
        return true;
    c32bppDIB canvas;
    canvas.LetisGDIplusEnabled(isGDIplusEnabled());
    canvas.LetisAlphaBlendFriendly(isAlphaBlendFriendly());
    canvas.LetgdiToken(m_gdiToken);
    if (!canvas.InitializeDIB(std::int32_t(shown.right - shown.left),
                              std::int32_t(shown.bottom - shown.top)))
        return false;

    // Tiles are rendered at their size (a negative size mirrors); an image without alpha
    // keeps its colours exact by nearest-pixel scaling. A tile no larger than the canvas is
    // rendered once and copied; a larger one is drawn straight into the canvas wherever it
    // shows, which gives the same pixels (both are drawn onto transparency).
    const bool interpolation = m_highQualityInterpolation;
    const bool copied = tileW <= canvas.Width() && tileH <= canvas.Height();
    auto renderTile = [&](std::int32_t width, std::int32_t height, c32bppDIB& into,
                          std::int64_t left, std::int64_t top) {
        if (!m_alpha)
            m_highQualityInterpolation = false;
        Render(nullptr, std::int32_t(left), std::int32_t(top), width, height, 0, 0, 0, 0, 100, true,
               true, &into, grayScale, LightAdjustment);
        m_highQualityInterpolation = interpolation;
    };
    const bool twoTiles =
        FlipAlternateTilesX || FlipAlternateTilesY || (StaggerRows && DestWidth < tileW);
    const std::int32_t secondWidth = FlipAlternateTilesX ? -TileWidth : TileWidth;
    const std::int32_t secondHeight = FlipAlternateTilesY ? -TileHeight : TileHeight;
    c32bppDIB tile;
    c32bppDIB second;
    if (copied) {
        if (!tile.InitializeDIB(std::int32_t(tileW), std::int32_t(tileH)))
            return false;
        renderTile(TileWidth, TileHeight, tile, 0, 0);
        if (twoTiles) {
            if (!second.InitializeDIB(std::int32_t(tileW), std::int32_t(tileH)))
                return false;
            renderTile(secondWidth, secondHeight, second, 0, 0);
        }
    }
    // One tile with its top-left corner at (left, top) of the destination rectangle.
    auto lay = [&](bool isSecond, std::int64_t left, std::int64_t top) {
        left -= shown.left;
        top -= shown.top;
        if (left >= canvas.Width() || left + tileW <= 0 || top + tileH <= 0)
            return;
        if (copied)
            layTile(isSecond ? second : tile, canvas, left, top);
        else
            renderTile(isSecond ? secondWidth : TileWidth, isSecond ? secondHeight : TileHeight,
                       canvas, left, top);
    };

    const std::int64_t pitchX = tileW + columnGap;
    const std::int64_t pitchY = tileH + rowGap;
    const std::int64_t period = twoTiles ? 2 * pitchX : pitchX;
    // Staggered rows move by half a pitch; the pattern continues to their left, cut at the edge.
    const std::int64_t stagger = pitchX / 2;
    // Rows and tiles wholly outside the shown part are passed over.
    const std::int64_t firstRow = std::max<std::int64_t>(0, (shown.top - tileH) / pitchY);
    for (std::int64_t rowIndex = firstRow, top = firstRow * pitchY; top < shown.bottom;
         top += pitchY, ++rowIndex) {
        const std::int64_t shift = (StaggerRows && rowIndex % 2 == 1) ? stagger : 0;
        std::int64_t left = shift > 0 ? shift - period : 0;
        const std::int64_t reach = shown.left - pitchX - tileW;
        if (left + period <= reach)
            left += (reach - left) / period * period;
        for (; left < shown.right; left += period) {
            lay(false, left, top);
            if (twoTiles)
                lay(true, left + pitchX, top);
        }
    }
    canvas.Render(destinationDC, std::int32_t(DestX + shown.left), std::int32_t(DestY + shown.top),
                  canvas.Width(), canvas.Height(), 0, 0, 0, 0, Opacity, true, true, nullptr,
                  gsclNone, 0);
    return true;
}

bool c32bppDIB::CreateCheckerBoard(std::int32_t CheckerSize, std::int32_t FirstColor,
                                   std::int32_t SecondColor)
{
    // A square of no size would never advance.
    if (m_dib.isNull() || CheckerSize <= 0)
        return false;
    auto pixelOf = [](std::int32_t colour) {
        return std::array<std::uint8_t, 4>{std::uint8_t((colour >> 16) & 255),
                                           std::uint8_t((colour >> 8) & 255),
                                           std::uint8_t(colour & 255), 255};
    };
    const std::array<std::uint8_t, 4> colours[2] = {pixelOf(FirstColor), pixelOf(SecondColor)};
    const PixelView pixels = PixelView::of(*this);
    for (std::int32_t y = 0; y < m_height; ++y) {
        std::uint8_t* row = pixels.topDownRow(y);
        const std::int32_t squareRow = y / CheckerSize;
        for (std::int32_t x = 0; x < m_width; ++x)
            std::memcpy(row + std::size_t(x) * 4, colours[(squareRow + x / CheckerSize) % 2].data(),
                        4);
    }
    m_alpha = false;
    m_imageType = imgCheckerBoard;
    return true;
}

}  // namespace XrImage
