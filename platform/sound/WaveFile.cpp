#include "platform/sound/WaveFile.h"

#include "platform/bytes/ByteReader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>

namespace sound {
namespace {

constexpr int MinSampleRate = 1000;
constexpr int MaxSampleRate = 384000;
constexpr size_t RiffHeaderSize = 12;
constexpr size_t ChunkHeaderSize = 8;
constexpr quint16 PcmFormatTag = 1;

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
    std::optional<std::span<const uint8_t>> data;
};

// The 16 bytes every format chunk starts with; the byte rate at 8 is not used.
std::optional<FormatChunk> readFormat(const bytes::ByteReader& body)
{
    const auto tag = body.u16leAt(0);
    const auto channels = body.u16leAt(2);
    const auto rate = body.u32leAt(4);
    const auto blockAlign = body.u16leAt(12);
    const auto bits = body.u16leAt(14);
    if (!tag || !channels || !rate || !blockAlign || !bits)
        return std::nullopt;
    return FormatChunk{tag.value(), channels.value(), rate.value(), blockAlign.value(),
                       bits.value()};
}

// Walks the chunks of the RIFF body. A "data" chunk that claims more bytes than the file holds
// is cut to what is there (recordings that were never finalised say so); any other chunk
// running past the end ends the walk.
Chunks findChunks(bytes::ByteReader riff)
{
    Chunks found;
    while (riff.remaining() >= ChunkHeaderSize) {
        const bool isFormat = riff.startsWith("fmt ") && !found.format;
        const bool isData = riff.startsWith("data") && !found.data;
        const auto size = riff.u32leAt(riff.position() + 4);
        if (!size || !riff.skip(ChunkHeaderSize))
            break;
        const auto body = riff.subReader(size.value());
        if (isFormat) {
            found.format = body ? readFormat(body.value()) : std::nullopt;
            if (!found.format) {
                found.formatTruncated = true;
                return found;
            }
        } else if (isData) {
            found.data = body ? body.value().data() : riff.rest();
        }
        if (!body)
            break;
        if (size.value() % 2 != 0 && !riff.skip(1))  // chunks are padded to an even length
            break;
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

WaveParse parseWave(QByteArrayView wave)
{
    WaveParse result;
    bytes::ByteReader header(wave);
    const bool isRiff = header.size() >= RiffHeaderSize && header.expect("RIFF");
    const auto riffSize = header.u32le();
    if (!isRiff || !riffSize) {
        result.error = WaveError::NotRiff;
        return result;
    }
    if (!header.expect("WAVE")) {
        result.error = WaveError::NotWave;
        return result;
    }
    // The RIFF size counts from byte 8; a size past the end of the file is cut to the file.
    const uint64_t riffEnd = uint64_t{riffSize.value()} + ChunkHeaderSize;
    bytes::ByteReader riff(header.data().first(std::min<uint64_t>(header.size(), riffEnd)));
    const Chunks chunks = riff.seek(RiffHeaderSize) ? findChunks(riff) : Chunks{};
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
    const std::span<const uint8_t> data = *chunks.data;
    const size_t whole = data.size() - data.size() % size_t(format.bytesPerFrame());
    result.sound.samples = QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(whole));
    return result;
}

}  // namespace sound
