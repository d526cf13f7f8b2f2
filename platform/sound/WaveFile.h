// A RIFF/WAVE sound held in memory: its header read with every bound checked and its PCM
// samples taken out for playback.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace sound {

struct WaveFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;  // 8: unsigned samples, 16: signed little-endian

    int bytesPerFrame() const { return channels * bitsPerSample / 8; }
    bool operator==(const WaveFormat&) const = default;
};

enum class WaveError {
    None,
    NotRiff,              // no "RIFF" header
    NotWave,              // a RIFF file of another form type
    MissingFormat,        // no "fmt " chunk
    BadFormatChunk,       // "fmt " shorter than 16 bytes or running past the file
    NotPcm,               // compressed or extensible encodings
    UnsupportedChannels,  // only mono and stereo
    UnsupportedBits,      // only 8 and 16 bits per sample
    UnsupportedRate,
    BadBlockAlign,  // block alignment disagrees with channels and sample size
    MissingData,    // no "data" chunk
};

struct WaveSound {
    WaveFormat format;
    QByteArray samples;  // whole frames only

    qint64 frameCount() const
    {
        return format.bytesPerFrame() > 0 ? samples.size() / format.bytesPerFrame() : 0;
    }
};

struct WaveParse {
    WaveError error = WaveError::None;
    WaveSound sound;

    bool ok() const { return error == WaveError::None; }
};

WaveParse parseWave(QByteArrayView bytes);

}  // namespace sound
