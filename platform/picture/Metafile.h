// Windows metafiles (WMF, with or without the placeable header) and enhanced metafiles (EMF,
// and EMF+ where a file holds only those records), read and played onto a QPainter by our own
// player. A metafile keeps its bytes as they were; playing draws its records into a target
// rectangle, mapping the picture's frame onto it.
//
// Damaged and hostile files: every record is read through the bounds-checked byte reader; a
// record that runs past the end stops the playback (what was drawn stays), bitmaps inside the
// file are held to the decode limits, the save stack and the clip are bounded, and nothing is
// allocated by a header's word.
#pragma once

#include "platform/bytes/DecodeError.h"
#include "platform/bytes/DecodeLimits.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <cstdint>
#include <span>

class QPainter;

namespace picture {

enum class MetafileKind { Wmf, Emf };

// What playback may spend: records played, saved states, clip complexity, objects, paths and
// bitmaps. A record is small and what it makes can be large (a run-length bitmap, a region, an
// arc in a path), so every kind of allocation the records decide has a bound of its own rather
// than relying on the file's size:
// - one bitmap inside takes a quarter gigabyte at most;
// - the objects alive at once are as many as a WMF can number, and the bitmaps, regions and
//   paths they hold, added up over the playback (a saved state keeps an object's bitmap after
//   the object is deleted), take another quarter gigabyte;
// - a path being recorded holds a million elements (24 bytes each) at most, far more than any
//   drawing program writes into one path;
// - the bitmaps decoded over the playback, each freed after it is drawn, take four gigabytes
//   (some seconds of decoding), so that a file of many small run-length records stays quick.
struct MetafileLimits {
    std::uint64_t maxRecords = 1'000'000;
    int maxSavedStates = 256;
    int maxClipElements = 20'000;
    std::size_t maxObjects = 0xFFFF;
    std::uint64_t maxObjectBytes = std::uint64_t{1} << 28;
    qsizetype maxPathElements = 1 << 20;
    std::uint64_t maxDecodedBytes = std::uint64_t{1} << 32;
    bytes::DecodeLimits raster = bitmapLimits();

    static bytes::DecodeLimits bitmapLimits()
    {
        bytes::DecodeLimits limits;
        limits.maxWidth = limits.maxHeight = 1 << 16;
        limits.maxImageBytes = std::uint64_t{1} << 28;
        limits.maxPixels = limits.maxImageBytes / 4;
        return limits;
    }
};

class Metafile {
public:
    // Reads the headers. A WMF without the placeable header has no size of its own: give it in
    // HIMETRIC (its window extent is used when the file sets one).
    static bytes::Result<Metafile> parse(std::span<const std::uint8_t> data,
                                         std::int32_t widthHimetric = 0,
                                         std::int32_t heightHimetric = 0);
    static bool looksLikeMetafile(std::span<const std::uint8_t> data);

    MetafileKind kind() const { return m_kind; }
    const QByteArray& bytes() const { return m_bytes; }
    // The picture's size in HIMETRIC (0.01 mm), and in pixels at 96 per inch.
    std::int32_t widthHimetric() const { return m_widthHimetric; }
    std::int32_t heightHimetric() const { return m_heightHimetric; }
    std::int32_t pixelWidth() const;
    std::int32_t pixelHeight() const;

    // Plays the records into `target` (painter coordinates); the painter's state is restored
    // afterwards. False when the records stopped early (damage or a limit); what was drawn
    // until then stays.
    bool play(QPainter& painter, const QRectF& target,
              const MetafileLimits& limits = MetafileLimits()) const;

    // The picture drawn at a size (pixels) over a background; null when the size passes the
    // raster limits.
    QImage render(int width, int height, QRgb background = 0,
                  const MetafileLimits& limits = MetafileLimits()) const;

    // The frame the records draw in, in logical units of the file (WMF: the placeable box or
    // the window; EMF: the reference device's pixels).
    QRectF logicalFrame() const { return m_frame; }

private:
    MetafileKind m_kind = MetafileKind::Wmf;
    QByteArray m_bytes;
    std::int32_t m_widthHimetric = 0;
    std::int32_t m_heightHimetric = 0;
    QRectF m_frame;
    // WMF: where the records start. EMF: the reference device's pixels per millimetre.
    std::size_t m_recordsStart = 0;
    double m_deviceDotsPerMmX = 96.0 / 25.4;
    double m_deviceDotsPerMmY = 96.0 / 25.4;
};

}  // namespace picture
