#include "tests/support/FakeSound.h"

#include <algorithm>

namespace testsupport {

bool FakeSound::play(const QByteArray& wave)
{
    m_calls.push_back({Call::Play, wave});
    return sound::parseWave(wave).ok();
}

void FakeSound::stop()
{
    m_calls.push_back({Call::Stop, {}});
}

std::vector<QByteArray> FakeSound::played() const
{
    std::vector<QByteArray> waves;
    for (const Call& call : m_calls) {
        if (call.kind == Call::Play)
            waves.push_back(call.wave);
    }
    return waves;
}

int FakeSound::stopCount() const
{
    return int(std::count_if(m_calls.begin(), m_calls.end(),
                             [](const Call& call) { return call.kind == Call::Stop; }));
}

}  // namespace testsupport
