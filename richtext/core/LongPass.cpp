#include "richtext/core/LongPass.h"

#include "platform/host/EventLoop.h"
#include "richtext/core/RichTextLibraryState.h"

LongPass::LongPass(const bool* stopRequest, EventLoop policy, Progress progress)
    : m_stopRequest(stopRequest), m_policy(policy), m_progress(progress)
{
    if (m_progress == Progress::Tracked)
        RichTextLibraryState::instance().ProgressDone = 0;
}

LongPass::~LongPass()
{
    // The total stays, so ProgressPercentage reads 0 between passes.
    if (m_progress == Progress::Tracked)
        RichTextLibraryState::instance().ProgressDone = 0;
}

void LongPass::setTotal(int64_t total)
{
    m_done = 0;
    if (m_progress == Progress::Tracked) {
        RichTextLibraryState::instance().ProgressTotal = total;
        RichTextLibraryState::instance().ProgressDone = 0;
    }
}

bool LongPass::proceed()
{
    if (!m_stopped && m_stopRequest && *m_stopRequest)
        m_stopped = true;
    return !m_stopped;
}

void LongPass::stepDone()
{
    ++m_done;
    if (m_progress == Progress::Tracked)
        RichTextLibraryState::instance().ProgressDone = m_done;
    // Input that waits is handled here; the pass never skips a step because of it.
    if (m_policy == EventLoop::LetRun)
        host::GetInputState();
}
