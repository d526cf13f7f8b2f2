#include "platform/sound/SoundPlayer.h"

#include <algorithm>
#include <chrono>

namespace sound {
namespace {

constexpr int ChunksPerSecond = 50;  // how often a playing sound looks for a newer one
constexpr auto TailPoll = std::chrono::milliseconds(5);

}  // namespace

host::ServiceSlot<SoundService>& soundService()
{
    static host::ServiceSlot<SoundService> slot([]() -> std::unique_ptr<SoundService> {
        return std::make_unique<WavePlayer>(makeAlsaOutput());
    });
    return slot;
}

bool PlaySound(const QByteArray& wave)
{
    return soundService().get().play(wave);
}

WavePlayer::WavePlayer(std::unique_ptr<PcmOutput> output)
    : m_output(std::move(output)), m_thread([this] { run(); })
{
}

WavePlayer::~WavePlayer()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        ++m_generation;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool WavePlayer::play(const QByteArray& wave)
{
    WaveParse parsed = parseWave(wave);
    if (!parsed.ok())
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(parsed.sound);  // a sound that has not started yet is replaced
        ++m_generation;
    }
    m_wake.notify_all();
    return true;
}

void WavePlayer::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending.reset();
        ++m_generation;
    }
    m_wake.notify_all();
}

bool WavePlayer::waitUntilIdle(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !m_busy && !m_pending; });
}

void WavePlayer::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_pending; });
        if (m_quit)
            break;
        const WaveSound sound = std::move(*m_pending);
        m_pending.reset();
        const quint64 generation = m_generation;
        m_busy = true;
        lock.unlock();
        playOne(sound, generation);
        lock.lock();
        m_busy = false;
        if (!m_pending)
            m_idle.notify_all();
    }
    m_busy = false;
    m_idle.notify_all();
}

bool WavePlayer::superseded(quint64 generation)
{
    std::lock_guard lock(m_mutex);
    return m_generation != generation;
}

void WavePlayer::playOne(const WaveSound& sound, quint64 generation)
{
    if (!m_output->open(sound.format))
        return;
    const bool complete = writeAll(sound, generation);
    if (complete) {
        m_output->start();
        waitForTail(generation);
    }
    if (!complete || superseded(generation))
        m_output->drop();
    m_output->close();
}

// Writes in small chunks so that a newer sound, a stop or the end of the program cuts this
// one off within a chunk's time. False when cut off or when the device failed.
bool WavePlayer::writeAll(const WaveSound& sound, quint64 generation)
{
    const qint64 bytesPerFrame = sound.format.bytesPerFrame();
    const qint64 chunk = std::max(1, sound.format.sampleRate / ChunksPerSecond);
    const qint64 total = sound.frameCount();
    qint64 done = 0;
    while (done < total) {
        if (superseded(generation))
            return false;
        const qint64 written = m_output->write(sound.samples.constData() + done * bytesPerFrame,
                                               std::min(chunk, total - done));
        if (written < 0)
            return false;
        if (written == 0) {
            std::unique_lock lock(m_mutex);
            m_wake.wait_for(lock, TailPoll);
        }
        done += written;
    }
    return true;
}

// Lets what is queued in the device be heard, unless a newer sound or a stop comes first.
void WavePlayer::waitForTail(quint64 generation)
{
    std::unique_lock lock(m_mutex);
    while (m_generation == generation) {
        lock.unlock();
        const bool drained = m_output->queuedFrames() <= 0;
        lock.lock();
        if (drained)
            return;
        m_wake.wait_for(lock, TailPoll, [&] { return m_generation != generation; });
    }
}

}  // namespace sound
