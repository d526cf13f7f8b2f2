// Feeds arbitrary bytes to the WAV parser and checks what every result must satisfy: a sound in
// a supported format holding whole frames taken from the input, or an error and no samples.
#include "fuzz/FuzzTarget.h"
#include "platform/sound/WaveFile.h"

#include <QByteArrayView>

int fuzzOne(std::span<const uint8_t> data)
{
    const QByteArrayView input(data.data(), static_cast<qsizetype>(data.size()));
    const sound::WaveParse parsed = sound::parseWave(input);
    const QByteArray& samples = parsed.sound.samples;
    if (!parsed.ok()) {
        fuzz::require(samples.isEmpty(), "a failed parse holds no samples");
        return 0;
    }
    const sound::WaveFormat& format = parsed.sound.format;
    fuzz::require(format.channels == 1 || format.channels == 2, "mono or stereo");
    fuzz::require(format.bitsPerSample == 8 || format.bitsPerSample == 16, "8 or 16 bits");
    fuzz::require(samples.size() % format.bytesPerFrame() == 0, "whole frames only");
    fuzz::require(samples.size() <= input.size() - 44, "samples come after the headers");
    fuzz::require(input.indexOf(samples) >= 0, "samples are bytes of the input");
    return 0;
}
