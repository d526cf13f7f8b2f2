// Small writers of WMF and EMF files for tests, and the drawings the fidelity tests compare
// with reference renders (text, lines, polygons, fills, bitmaps inside, clipping, mapping
// modes, EMF+).
#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace metafiles {

inline void put16(QByteArray& out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

inline void put32(QByteArray& out, std::int64_t value)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

inline void putFloat(QByteArray& out, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    put32(out, bits);
}

inline std::uint32_t rgb(int r, int g, int b)
{
    return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16;
}

// A packed 24-bit DIB (40-byte header, bottom-up rows) of `width` × `height` colours given
// top-down.
inline QByteArray packedDib24(int width, int height, const std::vector<std::uint32_t>& topDown)
{
    QByteArray out;
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, 24);
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    const int stride = (width * 3 + 3) & ~3;
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = topDown[std::size_t(y * width + x)];
            row.append(char((c >> 16) & 0xFF));
            row.append(char((c >> 8) & 0xFF));
            row.append(char(c & 0xFF));
        }
        row.resize(stride, '\0');
        out += row;
    }
    return out;
}

// A packed 1-bit DIB (40-byte header, two palette colours, bottom-up rows) of rows given
// top-down as bit strings ("0" for the first colour).
inline QByteArray packedDib1(const std::vector<const char*>& topDown, std::uint32_t zero,
                             std::uint32_t one)
{
    const int width = int(std::strlen(topDown.front()));
    const int height = int(topDown.size());
    QByteArray out;
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, 1);
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    for (const std::uint32_t c : {zero, one}) {
        out.append(char((c >> 16) & 0xFF));
        out.append(char((c >> 8) & 0xFF));
        out.append(char(c & 0xFF));
        out.append('\0');
    }
    const int stride = ((width + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x)
            if (topDown[std::size_t(y)][x] == '1')
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out += row;
    }
    return out;
}

class WmfWriter {
public:
    void record(int function, std::initializer_list<int> words)
    {
        QByteArray params;
        for (int w : words)
            put16(params, w);
        raw(function, params);
    }
    // Parameters as bytes (padded to whole words).
    void raw(int function, QByteArray params)
    {
        if (params.size() % 2)
            params.append('\0');
        put32(m_records, 3 + params.size() / 2);
        put16(m_records, function);
        m_records += params;
    }
    void colourRecord(int function, std::uint32_t colour)
    {
        QByteArray p;
        put32(p, colour);
        raw(function, p);
    }
    void pen(int style, int width, std::uint32_t colour)
    {
        QByteArray p;
        put16(p, style);
        put16(p, width);
        put16(p, 0);
        put32(p, colour);
        raw(0x02FA, p);
    }
    void brush(int style, std::uint32_t colour, int hatch = 0)
    {
        QByteArray p;
        put16(p, style);
        put32(p, colour);
        put16(p, hatch);
        raw(0x02FC, p);
    }
    void font(int height, int weight, const char* face)
    {
        QByteArray p;
        put16(p, height);
        for (int i = 0; i < 3; ++i)
            put16(p, 0);
        put16(p, weight);
        for (int i = 0; i < 8; ++i)
            p.append('\0');
        QByteArray name(face);
        name.resize(32, '\0');
        raw(0x02FB, p + name);
    }
    void points(int function, const std::vector<std::pair<int, int>>& pts)
    {
        QByteArray p;
        put16(p, int(pts.size()));
        for (const auto& [x, y] : pts) {
            put16(p, x);
            put16(p, y);
        }
        raw(function, p);
    }
    void textOut(int x, int y, const QByteArray& text)
    {
        QByteArray p;
        put16(p, int(text.size()));
        QByteArray padded = text;
        if (padded.size() % 2)
            padded.append('\0');
        p += padded;
        put16(p, y);
        put16(p, x);
        raw(0x0521, p);
    }
    void stretchDib(int x, int y, int w, int h, int srcW, int srcH, const QByteArray& dib)
    {
        QByteArray p;
        put32(p, 0x00CC0020);
        put16(p, 0);  // colour usage: RGB
        for (int v : {srcH, srcW, 0, 0, h, w, y, x})
            put16(p, v);
        raw(0x0F43, p + dib);
    }

    // With the placeable header (box in logical units, `inch` units to the inch).
    QByteArray placeable(int left, int top, int right, int bottom, int inch) const
    {
        QByteArray out;
        put32(out, 0x9AC6CDD7);
        put16(out, 0);
        for (int v : {left, top, right, bottom, inch})
            put16(out, v);
        put32(out, 0);
        std::uint16_t checksum = 0;
        for (int i = 0; i < 20; i += 2)
            checksum ^= std::uint16_t(std::uint8_t(out[i]) | std::uint8_t(out[i + 1]) << 8);
        put16(out, checksum);
        return out + bare();
    }
    QByteArray bare() const
    {
        QByteArray body = m_records;
        put32(body, 3);
        put16(body, 0);
        QByteArray out;
        put16(out, 1);
        put16(out, 9);
        put16(out, 0x0300);
        put32(out, (18 + body.size()) / 2);
        put16(out, 16);
        put32(out, 64);
        put16(out, 0);
        return out + body;
    }

private:
    QByteArray m_records;
};

class EmfWriter {
public:
    void record(std::uint32_t type, std::initializer_list<std::int64_t> values)
    {
        QByteArray p;
        for (std::int64_t v : values)
            put32(p, v);
        raw(type, p);
    }
    void raw(std::uint32_t type, QByteArray params)
    {
        while (params.size() % 4)
            params.append('\0');
        put32(m_records, type);
        put32(m_records, 8 + params.size());
        m_records += params;
        ++m_count;
    }
    // A polygon-like record with 32-bit points (bounds left zero).
    void points(std::uint32_t type, const std::vector<std::pair<int, int>>& pts)
    {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        put32(p, std::int64_t(pts.size()));
        for (const auto& [x, y] : pts) {
            put32(p, x);
            put32(p, y);
        }
        raw(type, p);
    }
    void font(std::uint32_t index, int height, int weight, const QString& face)
    {
        QByteArray p;
        put32(p, index);
        put32(p, height);
        for (int i = 0; i < 3; ++i)
            put32(p, 0);
        put32(p, weight);
        put32(p, 0);
        put32(p, 0);
        for (int i = 0; i < 32; ++i)
            put16(p, i < face.size() ? face.at(i).unicode() : 0);
        raw(82, p);
    }
    void textOut(int x, int y, const QString& text)
    {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        put32(p, 1);  // compatible graphics mode
        putFloat(p, 1);
        putFloat(p, 1);
        put32(p, x);
        put32(p, y);
        put32(p, text.size());
        put32(p, 76);  // string right after the fixed part
        put32(p, 0);
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        put32(p, 0);  // no advances
        for (QChar c : text)
            put16(p, c.unicode());
        raw(84, p);
    }
    void stretchDiBits(int x, int y, int w, int h, int srcW, int srcH, const QByteArray& dib,
                       std::uint32_t operation = 0x00CC0020)
    {
        stretchDiBits(x, y, w, h, srcW, srcH, dib.left(40), dib.mid(40), operation);
    }
    // With the info block (header and colour table, perhaps padded) and the bits apart.
    void stretchDiBits(int x, int y, int w, int h, int srcW, int srcH, const QByteArray& info,
                       const QByteArray& bits, std::uint32_t operation)
    {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        for (std::int64_t v : {x, y, 0, 0, srcW, srcH})
            put32(p, v);
        put32(p, 80);
        put32(p, info.size());
        put32(p, 80 + info.size());
        put32(p, bits.size());
        put32(p, 0);
        put32(p, operation);
        put32(p, w);
        put32(p, h);
        raw(81, p + info + bits);
    }
    // SmallTextOut without a box, in 8-bit characters (ETO_NO_RECT | ETO_SMALL_CHARS).
    void smallText(int x, int y, const QByteArray& text)
    {
        QByteArray p;
        for (std::int64_t v :
             {std::int64_t(x), std::int64_t(y), std::int64_t(text.size()), std::int64_t(0x300),
              std::int64_t(1), std::int64_t(0), std::int64_t(0)})
            put32(p, v);
        raw(108, p + text);
    }
    // PolyTextOutW: one wide string drawn at each point.
    void polyText(const std::vector<std::pair<int, int>>& at, const QString& text)
    {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        put32(p, 1);
        putFloat(p, 1);
        putFloat(p, 1);
        put32(p, std::int64_t(at.size()));
        const std::int64_t stringAt = 8 + 32 + 40 * std::int64_t(at.size());
        for (const auto& [x, y] : at)
            for (std::int64_t v : {std::int64_t(x), std::int64_t(y), std::int64_t(text.size()),
                                   stringAt, std::int64_t(0), std::int64_t(0), std::int64_t(0),
                                   std::int64_t(0), std::int64_t(0), std::int64_t(0)})
                put32(p, v);
        for (QChar c : text)
            put16(p, c.unicode());
        raw(97, p);
    }
    struct Vertex {
        int x, y, r, g, b;
    };
    // GradientFill: rectangles across (mode 0) or down (1) by vertex pairs, triangles (2) by
    // threes; the vertices' alpha is 0, which the fill does not use.
    void gradient(int mode, const std::vector<Vertex>& vertices, const std::vector<int>& shapes)
    {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        put32(p, std::int64_t(vertices.size()));
        put32(p, std::int64_t(shapes.size()) / (mode == 2 ? 3 : 2));
        put32(p, mode);
        for (const Vertex& v : vertices) {
            put32(p, v.x);
            put32(p, v.y);
            for (int c : {v.r << 8, v.g << 8, v.b << 8, 0})
                put16(p, c);
        }
        for (int n : shapes)
            put32(p, n);
        raw(118, p);
    }
    // PolyDraw (or PolyDraw16): points and their types.
    void polyDraw(const std::vector<std::pair<int, int>>& pts, const QByteArray& types,
                  bool small = false)
    {
        QByteArray p;
        for (int i = 0; i < 4; ++i)
            put32(p, 0);
        put32(p, std::int64_t(pts.size()));
        for (const auto& [x, y] : pts) {
            if (small) {
                put16(p, x);
                put16(p, y);
            } else {
                put32(p, x);
                put32(p, y);
            }
        }
        raw(small ? 92 : 56, p + types);
    }
    void angleArc(int x, int y, int radius, float start, float sweep)
    {
        QByteArray p;
        for (int v : {x, y, radius})
            put32(p, v);
        putFloat(p, start);
        putFloat(p, sweep);
        raw(41, p);
    }
    // A BitBlt without a bitmap: the raster operation alone.
    void bitBlt(int x, int y, int w, int h, std::uint32_t operation)
    {
        QByteArray p;
        const std::int64_t fields[] = {0, 0, 0, 0, x, y, w, h, std::int64_t(operation), 0, 0};
        for (std::int64_t v : fields)
            put32(p, v);
        for (float v : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f})
            putFloat(p, v);
        for (int i = 0; i < 6; ++i)
            put32(p, 0);
        raw(76, p);
    }
    void plus(const QByteArray& plusRecords)
    {
        QByteArray p;
        put32(p, 4 + plusRecords.size());
        put32(p, 0x2B464D45);
        raw(70, p + plusRecords);
    }

    // The whole file: bounds in device pixels, frame in HIMETRIC, a 96-dpi reference device.
    QByteArray file(int widthPx, int heightPx) const
    {
        QByteArray body = m_records;
        put32(body, 14);
        put32(body, 20);
        for (int v : {0, 0, 20})
            put32(body, v);
        QByteArray head;
        put32(head, 1);
        put32(head, 88);
        for (int v : {0, 0, widthPx - 1, heightPx - 1})
            put32(head, v);
        for (double v : {0.0, 0.0, widthPx * 2540.0 / 96.0, heightPx * 2540.0 / 96.0})
            put32(head, std::int64_t(v + 0.5));
        put32(head, 0x464D4520);
        put32(head, 0x10000);
        put32(head, 88 + body.size());
        put32(head, m_count + 2);
        put16(head, 16);
        put16(head, 0);
        put32(head, 0);
        put32(head, 0);
        put32(head, 0);
        put32(head, 960);
        put32(head, 960);
        put32(head, 254);
        put32(head, 254);
        return head + body;
    }

private:
    QByteArray m_records;
    int m_count = 0;
};

// One EMF+ record, its data padded to whole 32-bit words.
inline QByteArray plusRecord(int type, int flags, QByteArray data)
{
    while (data.size() % 4)
        data.append('\0');
    QByteArray out;
    put16(out, type);
    put16(out, flags);
    put32(out, 12 + data.size());
    put32(out, data.size());
    return out + data;
}

// The header record of an EMF+ file at 96 dpi (`dual` when its own records draw too) and the
// page unit record that makes its coordinates pixels.
inline QByteArray plusOpening(bool dual)
{
    QByteArray header;
    for (std::int64_t v : {0xDBC01002ll, 0ll, 96ll, 96ll})
        put32(header, v);
    QByteArray page;
    putFloat(page, 1);
    return plusRecord(0x4001, dual ? 1 : 0, header) + plusRecord(0x4030, 2, page);
}

// An EMF+ fill of rectangles (x, y, width, height each) in a colour given in the record.
inline QByteArray plusFillRects(std::uint32_t argb, std::initializer_list<float> rectangles)
{
    QByteArray rects;
    put32(rects, argb);
    put32(rects, std::int64_t(rectangles.size() / 4));
    for (float v : rectangles)
        putFloat(rects, v);
    return plusRecord(0x400A, 0x8000, rects);
}

}  // namespace metafiles
