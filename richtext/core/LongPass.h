// One long pass over a document (link marking, keyword colouring, spelling, replace): its stop
// request, its progress counters and how it treats the event loop, so that every pass stops,
// counts and yields the same way.
#pragma once

#include <cstdint>

class LongPass {
public:
    enum class EventLoop {
        // The pass runs to its end inside one call without letting any message through.
        Closed,
        // The pass lets the event loop run between steps (so a stop command can be clicked)
        // and goes on with every step whatever input was waiting.
        LetRun,
    };
    enum class Progress { Untracked, Tracked };

    // `stopRequest` is the library-wide flag the pass honours (nullptr: none); it is read, never
    // cleared: a stop request outlives the pass it stopped. A tracked pass owns the library's
    // progress counters while it lives and leaves ProgressDone at 0 when it ends.
    LongPass(const bool* stopRequest, EventLoop policy, Progress progress = Progress::Untracked);
    ~LongPass();
    LongPass(const LongPass&) = delete;
    LongPass& operator=(const LongPass&) = delete;

    // The amount of work of a tracked pass, in its own unit; restarts the count at 0.
    void setTotal(int64_t total);
    // Asked before each step: false once a stop was requested, and from then on.
    bool proceed();
    // After each step: counts it (tracked) and, when the policy allows, lets the event loop run.
    void stepDone();
    bool stopped() const { return m_stopped; }
    int64_t done() const { return m_done; }

private:
    const bool* m_stopRequest;
    EventLoop m_policy;
    Progress m_progress;
    int64_t m_done = 0;
    bool m_stopped = false;
};
