#include "richtext/common/LongPass.h"

#include "richtext/common/RichTextLibraryState.h"

LongPass::LongPass(const bool* stopRequest, EventLoop policy, Progress progress, int stepsPerPoll)
    : m_stopRequest(stopRequest),
      m_policy(policy),
      m_progressDone(progress == Progress::Tracked ? &RichTextLibraryState::instance().ProgressDone
                                                   : nullptr),
      m_stepsPerPoll(stepsPerPoll > 0 ? stepsPerPoll : 1)
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
