// A recording sound service: keeps every sound asked for and every stop, in order, and plays
// nothing. It answers play() as the real player would: true for a playable WAVE sound.
#pragma once

#include "platform/sound/SoundPlayer.h"
#include "tests/support/ScopedService.h"

#include <QByteArray>
#include <vector>

namespace testsupport {

class FakeSound : public sound::SoundService {
public:
    struct Call {
        enum Kind { Play, Stop } kind;
        QByteArray wave;  // the bytes of a Play
    };

    FakeSound() : m_scope(sound::soundService(), *this) {}

    bool play(const QByteArray& wave) override;
    void stop() override;

    const std::vector<Call>& calls() const { return m_calls; }
    // The bytes of every play, in order.
    std::vector<QByteArray> played() const;
    int stopCount() const;
    void clear() { m_calls.clear(); }

private:
    std::vector<Call> m_calls;
    ScopedService<sound::SoundService> m_scope;
};

}  // namespace testsupport
