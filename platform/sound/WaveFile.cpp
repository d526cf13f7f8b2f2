#include "platform/sound/WaveFile.h"

#include <algorithm>
#include <optional>

namespace sound {
namespace {

constexpr int MinSampleRate = 1000;
constexpr int MaxSampleRate = 384000;
constexpr qint64 ChunkHeaderSize = 8;
constexpr qint64 FormatChunkSize = 16;
constexpr quint16 PcmFormatTag = 1;

// Little-endian reads; callers have checked that the bytes are there.
quint16 readU16(QByteArrayView bytes, qint64 at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    return static_cast<quint16>(p[0] | (p[1] << 8));
}

quint32 readU32(QByteArrayView bytes, qint64 at)
{
    return readU16(bytes, at) | (static_cast<quint32>(readU16(bytes, at + 2)) << 16);
}

bool tagAt(QByteArrayView bytes, qint64 at, const char (&tag)[5])
{
    return bytes.sliced(at, 4) == QByteArrayView(tag, 4);
}

struct FormatChunk {
    quint16 formatTag;
    quint16 channels;
    quint32 sampleRate;
    quint16 blockAlign;
    quint16 bitsPerSample;
};

struct Chunks {
    std::optional<FormatChunk> format;
    bool formatTruncated = false;
    std::optional<QByteArrayView> data;
};

// Walks the chunks inside the RIFF body. A "data" chunk that claims more bytes than the
// file holds is cut to what is there (recordings that were never finalised say so); any
// other chunk running past the end ends the walk.
Chunks findChunks(QByteArrayView bytes, qint64 end)
{
    Chunks found;
    qint64 pos = 12;
    while (pos + ChunkHeaderSize <= end) {
        const qint64 size = readU32(bytes, pos + 4);
        const qint64 body = pos + ChunkHeaderSize;
        const qint64 available = end - body;
        if (tagAt(bytes, pos, "fmt ") && !found.format) {
            if (size < FormatChunkSize || size > available) {
                found.formatTruncated = true;
                return found;
            }
            found.format = FormatChunk{readU16(bytes, body), readU16(bytes, body + 2),
                                       readU32(bytes, body + 4), readU16(bytes, body + 12),
                                       readU16(bytes, body + 14)};
        } else if (tagAt(bytes, pos, "data") && !found.data) {
            found.data = bytes.sliced(body, std::min(size, available));
        }
        if (size > available)
            break;
        pos = body + size + (size & 1);  // chunks are padded to an even length
    }
    return found;
}

WaveError checkFormat(const FormatChunk& format)
{
    // The byte rate is not checked: it is redundant and often wrong in files found in the wild.
    if (format.formatTag != PcmFormatTag)
        return WaveError::NotPcm;
    if (format.channels != 1 && format.channels != 2)
        return WaveError::UnsupportedChannels;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return WaveError::UnsupportedBits;
    if (format.sampleRate < MinSampleRate || format.sampleRate > MaxSampleRate)
        return WaveError::UnsupportedRate;
    if (format.blockAlign != format.channels * format.bitsPerSample / 8)
        return WaveError::BadBlockAlign;
    return WaveError::None;
}

}  // namespace

WaveParse parseWave(QByteArrayView bytes)
{
    WaveParse result;
    if (bytes.size() < 12 || !tagAt(bytes, 0, "RIFF")) {
        result.error = WaveError::NotRiff;
        return result;
    }
    if (!tagAt(bytes, 8, "WAVE")) {
        result.error = WaveError::NotWave;
        return result;
    }
    const qint64 end = std::min<qint64>(bytes.size(), qint64(readU32(bytes, 4)) + ChunkHeaderSize);
    const Chunks chunks = findChunks(bytes, end);
    if (chunks.formatTruncated) {
        result.error = WaveError::BadFormatChunk;
        return result;
    }
    if (!chunks.format) {
        result.error = WaveError::MissingFormat;
        return result;
    }
    result.error = checkFormat(*chunks.format);
    if (!result.ok())
        return result;
    if (!chunks.data) {
        result.error = WaveError::MissingData;
        return result;
    }
    WaveFormat& format = result.sound.format;
    format = WaveFormat{chunks.format->channels, int(chunks.format->sampleRate),
                        chunks.format->bitsPerSample};
    const qint64 whole = chunks.data->size() - chunks.data->size() % format.bytesPerFrame();
    result.sound.samples = chunks.data->first(whole).toByteArray();
    return result;
}

}  // namespace sound
