// The library's click sound: the resource it carries and how it is played.
#include "richtext/language/SoundMod.h"

#include "platform/host/Resources.h"
#include "platform/sound/WaveFile.h"
#include "tests/support/FakeSound.h"

#include <gtest/gtest.h>

TEST(SoundModTest, ClickIsAShortMonoSoundPlayedFromTheResource)
{
    const std::optional<QByteArray> wave =
        host::resourceData(QStringLiteral("XrRichTextBox"), QStringLiteral("WAVE"), 101);
    ASSERT_TRUE(wave.has_value());
    EXPECT_EQ(wave->size(), 2202);
    const sound::WaveParse parsed = sound::parseWave(*wave);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.sound.format, (sound::WaveFormat{1, 22050, 16}));
    EXPECT_EQ(parsed.sound.frameCount(), 1079);

    testsupport::FakeSound player;
    const int16_t click = 101;
    EXPECT_TRUE(SoundMod::PlayResourceSound(click));
    EXPECT_TRUE(SoundMod::PlayResourceSound(click));
    ASSERT_EQ(player.played().size(), 2u);
    EXPECT_EQ(player.played()[0], *wave);

    // A missing sound plays nothing and says so only through the result.
    const int16_t missing = 102;
    EXPECT_FALSE(SoundMod::PlayResourceSound(missing));
    EXPECT_EQ(player.played().size(), 2u);
}
