// One long pass over a document (link marking, keyword colouring, spelling, replace): its stop
// request, its progress counters and how it treats the event loop, so that every pass stops,
// counts and yields the same way.
#pragma once

#include "platform/host/EventLoop.h"

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

    // `stopRequest` is the flag the pass honours (nullptr: none); it is read, never cleared: a
    // stop request outlives the pass it stopped. A tracked pass owns the library's progress
    // counters while it lives and leaves ProgressDone at 0 when it ends.
    LongPass(const bool* stopRequest, EventLoop policy, Progress progress = Progress::Untracked);
    ~LongPass();
    LongPass(const LongPass&) = delete;
    LongPass& operator=(const LongPass&) = delete;

    // The amount of work of a tracked pass, in its own unit; restarts the count at 0.
    void setTotal(int64_t total);
    // Asked before each step: false once a stop was requested, and from then on.
    bool proceed()
    {
        if (!m_stopped && m_stopRequest && *m_stopRequest)
            m_stopped = true;
        return !m_stopped;
    }
    // After each step: counts it (tracked) and, when the policy allows, lets the event loop run.
    // Inline: a replace pass takes one step per character.
    void stepDone()
    {
        ++m_done;
        if (m_progressDone)
            *m_progressDone = m_done;
        if (m_policy == EventLoop::LetRun && --m_stepsToPoll == 0)
            poll();
    }
    bool stopped() const { return m_stopped; }
    // Whether a stop was requested, also one raised after the last proceed(); it does not end
    // the pass (for end steps that undo a stopped pass).
    bool stopRequested() const { return m_stopped || (m_stopRequest && *m_stopRequest); }
    int64_t done() const { return m_done; }

    // The most steps between two polls: it bounds how late the loop runs when the steps of a
    // pass suddenly take longer.
    static constexpr int MaxStepsPerPoll = 64;

private:
    // Lets waiting input be handled (the pass never skips a step because of it) and sets how
    // many steps go by before the next poll.
    void poll();

    const bool* m_stopRequest;
    EventLoop m_policy;
    // The library's ProgressDone while the pass is tracked, else null.
    int64_t* m_progressDone;
    // A poll reads the clock, which costs more than a short step (a character compared), so
    // the steps between polls grow while the last ones took far less than the poll interval.
    int m_stepsPerPoll = 1;
    int m_stepsToPoll = 1;
    int64_t m_lastPoll;
    int64_t m_done = 0;
    bool m_stopped = false;
};
