#include "richtext/common/LongPass.h"

#include "richtext/common/RichTextLibraryState.h"

#include <algorithm>

namespace {

// The time a pass aims to let pass between two polls, well inside the event loop's slice.
constexpr int64_t PollIntervalNanoseconds = 500'000;

}  // namespace

LongPass::LongPass(const bool* stopRequest, EventLoop policy, Progress progress)
    : m_stopRequest(stopRequest),
      m_policy(policy),
      m_progressDone(progress == Progress::Tracked ? &RichTextLibraryState::instance().ProgressDone
                                                   : nullptr),
      m_lastPoll(policy == EventLoop::LetRun ? host::pollClockNanoseconds() : 0)
{
    if (m_progressDone)
        *m_progressDone = 0;
}

LongPass::~LongPass()
{
    // The total stays, so ProgressPercentage reads 0 between passes.
    if (m_progressDone)
        *m_progressDone = 0;
}

void LongPass::setTotal(int64_t total)
{
    m_done = 0;
    if (m_progressDone) {
        RichTextLibraryState::instance().ProgressTotal = total;
        *m_progressDone = 0;
    }
}

void LongPass::poll()
{
    const int64_t interval = host::pollClockNanoseconds() - m_lastPoll;
    if (interval < PollIntervalNanoseconds / 2)
        m_stepsPerPoll = std::min(m_stepsPerPoll * 2, MaxStepsPerPoll);
    else if (interval > PollIntervalNanoseconds)
        m_stepsPerPoll =
            int(std::max<int64_t>(1, m_stepsPerPoll * PollIntervalNanoseconds / interval));
    m_stepsToPoll = m_stepsPerPoll;
    host::GetInputState();
    // The next interval counts the steps only, not the handlers that just ran.
    m_lastPoll = host::pollClockNanoseconds();
}
