// Playing a WAVE sound from memory without waiting for it (what the system's click sound
// needs); a test installs a recording service in soundService().
#pragma once

#include "platform/host/ServiceSlot.h"
#include "platform/sound/WaveFile.h"

#include <QByteArray>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace sound {

class SoundService {
public:
    virtual ~SoundService() = default;
    // Starts the sound and returns at once; a sound still playing is cut off. False when the
    // bytes are not a playable WAVE sound. A machine without an audio device plays nothing
    // and says nothing.
    virtual bool play(const QByteArray& wave) = 0;
    // Cuts off whatever is playing.
    virtual void stop() = 0;
};

host::ServiceSlot<SoundService>& soundService();

// Plays a WAVE sound held in memory asynchronously with no default sound, through the current
// service.
bool PlaySound(const QByteArray& wave);

// The sound device as the player sees it. Used only from the player's worker thread.
class PcmOutput {
public:
    virtual ~PcmOutput() = default;
    virtual bool open(const WaveFormat& format) = 0;  // false: no usable device
    // Blocks while the device is full; returns the frames accepted, or < 0 when the device
    // failed.
    virtual qint64 write(const char* frames, qint64 frameCount) = 0;
    // Starts playing what is queued, even a sound too short to fill the device's buffer.
    virtual void start() = 0;
    virtual qint64 queuedFrames() = 0;  // written but not heard yet
    virtual void drop() = 0;            // discards what is queued
    virtual void close() = 0;
};

// The default ALSA playback device.
std::unique_ptr<PcmOutput> makeAlsaOutput();

// Plays on a worker thread that owns the output, so that opening the device, which can take a
// while, never holds up the caller.
class WavePlayer : public SoundService {
public:
    explicit WavePlayer(std::unique_ptr<PcmOutput> output);
    ~WavePlayer() override;  // cuts the sound off and ends the worker

    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    bool play(const QByteArray& wave) override;
    void stop() override;

    // Waits until nothing is playing or waiting to play; false when time ran out first.
    bool waitUntilIdle(int timeoutMs);

private:
    void run();
    void playOne(const WaveSound& sound, quint64 generation);
    bool writeAll(const WaveSound& sound, quint64 generation);
    void waitForTail(quint64 generation);
    bool superseded(quint64 generation);

    std::unique_ptr<PcmOutput> m_output;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<WaveSound> m_pending;
    quint64 m_generation = 0;  // bumped by every play and stop: the sound playing is stale
    bool m_busy = false;
    bool m_quit = false;
    std::thread m_thread;  // last: starts once everything above exists
};

}  // namespace sound
