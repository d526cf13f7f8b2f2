// The default ALSA playback device as a PcmOutput.
#include "platform/sound/SoundPlayer.h"

#include <alsa/asoundlib.h>
#include <mutex>

namespace sound {
namespace {

constexpr unsigned LatencyMicroseconds = 100000;  // also bounds how long a cut-off takes

// ALSA reports a missing card on stderr by default; a machine without sound is normal here.
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...)
{
}

class AlsaOutput : public PcmOutput {
public:
    ~AlsaOutput() override { close(); }

    bool open(const WaveFormat& format) override
    {
        static std::once_flag quiet;
        std::call_once(quiet, [] { snd_lib_error_set_handler(ignoreAlsaMessage); });
        close();
        // Opened non-blocking: a blocking open waits for as long as another program holds the
        // device. Writes block, which is what the worker wants.
        if (snd_pcm_open(&m_pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
            m_pcm = nullptr;
            return false;
        }
        const snd_pcm_format_t sampleFormat =
            format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        if (snd_pcm_nonblock(m_pcm, 0) < 0 ||
            snd_pcm_set_params(m_pcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED,
                               unsigned(format.channels), unsigned(format.sampleRate), 1,
                               LatencyMicroseconds) < 0) {
            close();
            return false;
        }
        return true;
    }

    qint64 write(const char* frames, qint64 frameCount) override
    {
        const snd_pcm_sframes_t written =
            snd_pcm_writei(m_pcm, frames, snd_pcm_uframes_t(frameCount));
        if (written >= 0)
            return written;
        // An underrun or a suspend is recoverable; the chunk is then written again.
        return snd_pcm_recover(m_pcm, int(written), 1) < 0 ? -1 : 0;
    }

    void start() override
    {
        if (snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED)
            snd_pcm_start(m_pcm);
    }

    qint64 queuedFrames() override
    {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_state(m_pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(m_pcm, &delay) < 0)
            return 0;
        return delay;
    }

    void drop() override { snd_pcm_drop(m_pcm); }

    void close() override
    {
        if (m_pcm)
            snd_pcm_close(m_pcm);
        m_pcm = nullptr;
    }

private:
    snd_pcm_t* m_pcm = nullptr;
};

}  // namespace

std::unique_ptr<PcmOutput> makeAlsaOutput()
{
    return std::make_unique<AlsaOutput>();
}

}  // namespace sound
