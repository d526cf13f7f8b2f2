#include "platform/sound/SoundPlayer.h"
#include "tests/support/FakeSound.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QTemporaryFile>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

QByteArray le16(int value)
{
    QByteArray out;
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
    return out;
}

QByteArray le32(quint32 value)
{
    return le16(int(value & 0xFFFF)) + le16(int(value >> 16));
}

// A PCM wave of the given shape; the samples are silence.
QByteArray makeWave(int channels, int rate, int bits, int frames)
{
    const int align = channels * bits / 8;
    const QByteArray samples(qsizetype(frames) * align, bits == 8 ? char(0x80) : char(0));
    return "RIFF" + le32(quint32(36 + samples.size())) + "WAVE" + "fmt " + le32(16) + le16(1) +
           le16(channels) + le32(quint32(rate)) + le32(quint32(rate * align)) + le16(align) +
           le16(bits) + "data" + le32(quint32(samples.size())) + samples;
}

// An output that logs what the player does with it; each write takes a while, like a device.
class ScriptedOutput : public sound::PcmOutput {
public:
    struct Log {
        std::mutex mutex;
        QStringList events;
        QStringList snapshot()
        {
            std::lock_guard lock(mutex);
            return events;
        }
    };

    ScriptedOutput(Log& log, bool deviceOpens, std::chrono::milliseconds writeTime)
        : m_log(log), m_deviceOpens(deviceOpens), m_writeTime(writeTime)
    {
    }

    bool open(const sound::WaveFormat& f) override
    {
        add(QStringLiteral("open %1/%2/%3").arg(f.sampleRate).arg(f.channels).arg(f.bitsPerSample));
        return m_deviceOpens;
    }
    qint64 write(const char*, qint64 frames) override
    {
        std::this_thread::sleep_for(m_writeTime);
        add(QStringLiteral("write %1").arg(frames));
        return frames;
    }
    void start() override { add(QStringLiteral("start")); }
    qint64 queuedFrames() override { return 0; }
    void drop() override { add(QStringLiteral("drop")); }
    void close() override { add(QStringLiteral("close")); }

private:
    void add(const QString& event)
    {
        std::lock_guard lock(m_log.mutex);
        m_log.events << event;
    }

    Log& m_log;
    bool m_deviceOpens;
    std::chrono::milliseconds m_writeTime;
};

qint64 framesWritten(const QStringList& events, qsizetype from, qsizetype to)
{
    qint64 total = 0;
    for (qsizetype i = from; i < to; ++i) {
        if (events[i].startsWith(QLatin1String("write ")))
            total += events[i].mid(6).toLongLong();
    }
    return total;
}

}  // namespace

TEST(WavePlayer, PlaysAWholeSoundInChunksThenStartsAndClosesTheDevice)
{
    ScriptedOutput::Log log;
    sound::WavePlayer player(
        std::make_unique<ScriptedOutput>(log, true, std::chrono::milliseconds(0)));
    ASSERT_TRUE(player.play(makeWave(1, 22050, 16, 1079)));
    ASSERT_TRUE(player.waitUntilIdle(5000));
    const QStringList events = log.snapshot();
    ASSERT_GE(events.size(), 4);
    EXPECT_EQ(events.first(), QStringLiteral("open 22050/1/16"));
    EXPECT_EQ(framesWritten(events, 0, events.size()), 1079);
    EXPECT_EQ(events.mid(events.size() - 2), (QStringList{"start", "close"}));
    EXPECT_FALSE(events.contains(QStringLiteral("drop")));
}

TEST(WavePlayer, ANewSoundCutsOffTheOneStillPlaying)
{
    ScriptedOutput::Log log;
    sound::WavePlayer player(
        std::make_unique<ScriptedOutput>(log, true, std::chrono::milliseconds(1)));
    const int longFrames = 8000 * 10;
    ASSERT_TRUE(player.play(makeWave(1, 8000, 8, longFrames)));
    QElapsedTimer waited;
    waited.start();
    while (framesWritten(log.snapshot(), 0, log.snapshot().size()) == 0 && waited.elapsed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(player.play(makeWave(2, 44100, 16, 1000)));
    ASSERT_TRUE(player.waitUntilIdle(10000));

    const QStringList events = log.snapshot();
    const qsizetype second = events.indexOf(QStringLiteral("open 44100/2/16"));
    ASSERT_GT(second, 0);
    EXPECT_EQ(events.first(), QStringLiteral("open 8000/1/8"));
    EXPECT_LT(framesWritten(events, 0, second), longFrames);
    EXPECT_EQ(events.mid(second - 2, 2), (QStringList{"drop", "close"}));
    EXPECT_EQ(framesWritten(events, second, events.size()), 1000);
    EXPECT_EQ(events.last(), QStringLiteral("close"));
}

TEST(WavePlayer, StopAndShutdownCutTheSoundOffPromptly)
{
    ScriptedOutput::Log log;
    QElapsedTimer clock;
    {
        sound::WavePlayer player(
            std::make_unique<ScriptedOutput>(log, true, std::chrono::milliseconds(1)));
        ASSERT_TRUE(player.play(makeWave(1, 8000, 8, 8000 * 60)));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        player.stop();
        ASSERT_TRUE(player.waitUntilIdle(2000));
        EXPECT_EQ(log.snapshot().mid(log.snapshot().size() - 2), (QStringList{"drop", "close"}));

        ASSERT_TRUE(player.play(makeWave(1, 8000, 8, 8000 * 60)));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        clock.start();
    }
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(log.snapshot().last(), QStringLiteral("close"));
}

TEST(WavePlayer, RefusesMalformedBytesAndIsSilentWithoutADevice)
{
    ScriptedOutput::Log log;
    sound::WavePlayer player(
        std::make_unique<ScriptedOutput>(log, false, std::chrono::milliseconds(0)));
    EXPECT_FALSE(player.play(QByteArray("RIFF\x04\0\0\0WAVE", 12)));
    EXPECT_FALSE(player.play({}));
    ASSERT_TRUE(player.waitUntilIdle(1000));
    EXPECT_TRUE(log.snapshot().isEmpty());

    EXPECT_TRUE(player.play(makeWave(1, 11025, 8, 100)));
    ASSERT_TRUE(player.waitUntilIdle(1000));
    EXPECT_EQ(log.snapshot(), QStringList{"open 11025/1/8"});
}

// On machines without sound (build servers) the device does not open; that must cost next to
// nothing and write nothing to the terminal. Where a device exists the click simply plays.
TEST(WavePlayer, TheAlsaPlayerIsQuickAndQuietWhateverTheMachine)
{
    QTemporaryFile capture;
    ASSERT_TRUE(capture.open());
    fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    dup2(capture.handle(), STDERR_FILENO);

    QElapsedTimer clock;
    clock.start();
    bool accepted = false;
    qint64 callTime = 0;
    bool idle = false;
    {
        sound::WavePlayer player(sound::makeAlsaOutput());
        accepted = player.play(makeWave(1, 22050, 16, 1079));
        callTime = clock.elapsed();
        idle = player.waitUntilIdle(3000);
    }
    fflush(stderr);
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);

    EXPECT_TRUE(accepted);
    EXPECT_TRUE(idle);
    EXPECT_LT(callTime, 50);
    EXPECT_LT(clock.elapsed(), 1500);
    QFile written(capture.fileName());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLocal8Bit(written.readAll()), QString());
}

TEST(FakeSound, RecordsPlaysAndStopsInOrderAndAnswersLikeThePlayer)
{
    testsupport::FakeSound fake;
    const QByteArray click = makeWave(1, 22050, 16, 1079);
    EXPECT_TRUE(sound::PlaySound(click));
    sound::soundService().get().stop();
    EXPECT_FALSE(sound::PlaySound("not a wave"));

    ASSERT_EQ(fake.calls().size(), 3u);
    EXPECT_EQ(fake.calls()[1].kind, testsupport::FakeSound::Call::Stop);
    EXPECT_EQ(fake.played(), (std::vector<QByteArray>{click, "not a wave"}));
    EXPECT_EQ(fake.stopCount(), 1);
}
