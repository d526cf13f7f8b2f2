#include "platform/sound/WaveFile.h"

#include <gtest/gtest.h>
#include <QRandomGenerator>
#include <initializer_list>

using sound::parseWave;
using sound::WaveError;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out.append(char(value));
    return out;
}

// 22,050 Hz, mono, 16-bit: four samples.
// clang-format off
const QByteArray monoSixteen = bytes({
    'R', 'I', 'F', 'F', 44, 0, 0, 0,  // RIFF chunk: 4 + 24 + 16 bytes follow
    'W', 'A', 'V', 'E',               // form type
    'f', 'm', 't', ' ', 16, 0, 0, 0,  // 12: format chunk of 16 bytes
    1, 0,                             // 20: PCM
    1, 0,                             // 22: one channel
    0x22, 0x56, 0, 0,                 // 24: 22050 samples per second
    0x44, 0xAC, 0, 0,                 // 28: 44100 bytes per second
    2, 0,                             // 32: block alignment
    16, 0,                            // 34: bits per sample
    'd', 'a', 't', 'a', 8, 0, 0, 0,   // 36: data chunk of 8 bytes
    0x01, 0x00, 0xFF, 0x7F,           // 44: samples 1, 32767,
    0x00, 0x80, 0xFE, 0xFF,           //     -32768, -2
});
// clang-format on

QByteArray patched(QByteArray wave, int offset, std::initializer_list<int> values)
{
    for (int value : values)
        wave[offset++] = char(value);
    return wave;
}

}  // namespace

TEST(WaveFile, ReadsFormatAndSamples)
{
    const auto parsed = parseWave(monoSixteen);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.sound.format, (sound::WaveFormat{1, 22050, 16}));
    EXPECT_EQ(parsed.sound.frameCount(), 4);
    EXPECT_EQ(parsed.sound.samples, monoSixteen.mid(44));
}

TEST(WaveFile, SkipsOtherChunksWithTheirPaddingAndAcceptsALongerFormatChunk)
{
    // clang-format off
    const QByteArray wave = bytes({
        'R', 'I', 'F', 'F', 56, 0, 0, 0,  // 4 + 26 + 12 + 14 bytes follow
        'W', 'A', 'V', 'E',               //
        'f', 'm', 't', ' ', 18, 0, 0, 0,  // format chunk with the 2-byte extension size
        1, 0, 2, 0,                       // PCM, stereo
        0x40, 0x1F, 0, 0,                 // 8000 samples per second
        0x80, 0x3E, 0, 0,                 // 16000 bytes per second
        2, 0, 8, 0,                       // block alignment 2, 8 bits
        0, 0,                             // extension size 0
        'L', 'I', 'S', 'T', 3, 0, 0, 0,   // an odd-sized chunk ...
        'a', 'b', 'c', 0,                 // ... and its pad byte
        'd', 'a', 't', 'a', 6, 0, 0, 0,   // three stereo frames
        0x80, 0x80, 0x00, 0xFF, 0x10, 0x20,
    });
    // clang-format on
    const auto parsed = parseWave(wave);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.sound.format, (sound::WaveFormat{2, 8000, 8}));
    EXPECT_EQ(parsed.sound.samples, wave.right(6));
}

TEST(WaveFile, CutsADataChunkThatClaimsMoreThanTheFileHoldsToWholeFrames)
{
    // Data size 0x7FFFFFFF, RIFF size likewise too large, and a stray half frame at the end.
    QByteArray wave = patched(monoSixteen, 40, {0xFF, 0xFF, 0xFF, 0x7F});
    wave = patched(wave, 4, {0xFF, 0xFF, 0xFF, 0xFF});
    wave.append(char(0x55));
    const auto parsed = parseWave(wave);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.sound.samples, monoSixteen.mid(44));
}

TEST(WaveFile, AnOddSizedFormatChunkIsFollowedByItsPadByte)
{
    // A 17-byte format chunk, its pad byte, then the data chunk with a half frame at its end.
    QByteArray wave = patched(monoSixteen, 16, {17});
    wave.insert(36, QByteArray("\x07\x00", 2));
    wave = patched(wave, 42, {9});
    wave.append(char(0x33));
    wave = patched(wave, 4, {47});
    const auto parsed = parseWave(wave);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.sound.samples, monoSixteen.mid(44));
}

TEST(WaveFile, RefusesMalformedAndUnsupportedHeaders)
{
    struct Case {
        const char* what;
        QByteArray wave;
        WaveError error;
    };
    const Case cases[] = {
        {"empty", {}, WaveError::NotRiff},
        {"shorter than the RIFF header", monoSixteen.left(11), WaveError::NotRiff},
        {"big-endian RIFX", patched(monoSixteen, 3, {'X'}), WaveError::NotRiff},
        {"another RIFF form", patched(monoSixteen, 8, {'A', 'V', 'I', ' '}), WaveError::NotWave},
        {"RIFF size covers no chunk", patched(monoSixteen, 4, {4, 0, 0, 0}),
         WaveError::MissingFormat},
        {"format chunk of 14 bytes", patched(monoSixteen, 16, {14}), WaveError::BadFormatChunk},
        {"format chunk past the end", patched(monoSixteen, 16, {0, 1}), WaveError::BadFormatChunk},
        {"IEEE float", patched(monoSixteen, 20, {3}), WaveError::NotPcm},
        {"extensible", patched(monoSixteen, 20, {0xFE, 0xFF}), WaveError::NotPcm},
        {"no channels", patched(monoSixteen, 22, {0}), WaveError::UnsupportedChannels},
        {"six channels", patched(monoSixteen, 22, {6}), WaveError::UnsupportedChannels},
        {"24 bits", patched(monoSixteen, 34, {24}), WaveError::UnsupportedBits},
        {"0 bits", patched(monoSixteen, 34, {0}), WaveError::UnsupportedBits},
        {"rate 0", patched(monoSixteen, 24, {0, 0, 0, 0}), WaveError::UnsupportedRate},
        {"rate 2^32-1", patched(monoSixteen, 24, {0xFF, 0xFF, 0xFF, 0xFF}),
         WaveError::UnsupportedRate},
        {"block alignment 3", patched(monoSixteen, 32, {3}), WaveError::BadBlockAlign},
        {"no data chunk", patched(monoSixteen, 36, {'f', 'a', 'c', 't'}), WaveError::MissingData},
        {"no format chunk", patched(monoSixteen, 12, {'j', 'u', 'n', 'k'}),
         WaveError::MissingFormat},
        {"huge chunk before the format",
         patched(monoSixteen, 12, {'L', 'I', 'S', 'T', 0xFF, 0xFF, 0xFF, 0xFF}),
         WaveError::MissingFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto parsed = parseWave(c.wave);
        EXPECT_EQ(parsed.error, c.error);
        EXPECT_TRUE(parsed.sound.samples.isEmpty());
    }
}

TEST(WaveFile, EveryTruncationAndCorruptionFailsCleanlyOrYieldsWholeFrames)
{
    for (qsizetype length = 0; length <= monoSixteen.size(); ++length) {
        SCOPED_TRACE(length);
        const auto parsed = parseWave(monoSixteen.left(length));
        EXPECT_EQ(parsed.ok(), length >= 44);
        if (parsed.ok()) {
            EXPECT_EQ(parsed.sound.frameCount(), (length - 44) / 2);
        }
    }
    QRandomGenerator random(357);
    for (int round = 0; round < 2000; ++round) {
        QByteArray wave = monoSixteen;
        for (int flips = 0; flips < 3; ++flips)
            wave[random.bounded(int(wave.size()))] = char(random.bounded(256));
        const auto parsed = parseWave(wave);
        if (parsed.ok()) {
            const int frameBytes = parsed.sound.format.bytesPerFrame();
            ASSERT_GT(frameBytes, 0);
            EXPECT_EQ(parsed.sound.samples.size() % frameBytes, 0);
            EXPECT_LE(parsed.sound.samples.size(), wave.size() - 44);
        }
    }
}
