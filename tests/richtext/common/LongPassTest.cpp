// The long-pass object: its stop request, its progress counters and its event-loop policy.
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace {

// A poll clock that moves only as the test's steps say, and counts how often it is read.
struct StepClock {
    static inline int64_t now = 0;
    static inline int64_t reads = 0;
    static int64_t read()
    {
        ++reads;
        return now;
    }
};

// Stands for input: notes when the event loop handled the event posted last.
class InputStandIn : public QObject {
public:
    bool waiting = false;
    int64_t postedAt = 0;
    int64_t longestWait = 0;
    int handled = 0;

    void post()
    {
        waiting = true;
        postedAt = StepClock::now;
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        waiting = false;
        longestWait = std::max(longestWait, StepClock::now - postedAt);
        ++handled;
        return true;
    }
};

class LongPassTest : public testing::Test {
protected:
    LongPassTest() { RichTextLibraryState::instance().reset(); }
    ~LongPassTest() override
    {
        host::setPollClock(nullptr);
        RichTextLibraryState::instance().reset();
    }

    // Runs `steps` steps and counts how often a zero-timer posted before the pass fired.
    int timerShotsDuring(LongPass::EventLoop policy, int steps)
    {
        int shots = 0;
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] { ++shots; });
        timer.start();
        LongPass pass(nullptr, policy);
        for (int step = 0; step < steps && pass.proceed(); ++step) {
            QThread::msleep(2);
            pass.stepDone();
        }
        return shots;
    }

    // Runs a LetRun pass of `steps` steps that each take `stepNanoseconds` on the step clock,
    // with input posted again whenever the last was handled.
    void runSteps(InputStandIn& input, int steps, int64_t stepNanoseconds)
    {
        LongPass pass(nullptr, LongPass::EventLoop::LetRun);
        for (int step = 0; step < steps && pass.proceed(); ++step) {
            if (!input.waiting)
                input.post();
            StepClock::now += stepNanoseconds;
            pass.stepDone();
        }
    }

    static void useStepClock()
    {
        StepClock::now = 1'000'000'000;
        StepClock::reads = 0;
        host::setPollClock(StepClock::read);
    }
};

// The event loop's slice (GetInputState) and the most steps a pass lets go by between polls.
constexpr int64_t Slice = 5'000'000;
constexpr int64_t MaxSteps = LongPass::MaxStepsPerPoll;

}  // namespace

TEST_F(LongPassTest, StopRequestEndsThePassAndIsLeftSet)
{
    bool stop = false;
    LongPass pass(&stop, LongPass::EventLoop::Closed);
    int steps = 0;
    while (pass.proceed() && steps < 100) {
        ++steps;
        if (steps == 3)
            stop = true;
        pass.stepDone();
    }
    EXPECT_EQ(steps, 3);
    EXPECT_TRUE(pass.stopped());
    EXPECT_TRUE(stop);
    // Clearing the flag later does not restart a stopped pass.
    stop = false;
    EXPECT_FALSE(pass.proceed());

    bool alreadySet = true;
    LongPass late(&alreadySet, LongPass::EventLoop::Closed);
    EXPECT_FALSE(late.proceed());
}

TEST_F(LongPassTest, StopRequestedSeesARequestTheLoopHasNotReadYet)
{
    bool stop = false;
    LongPass pass(&stop, LongPass::EventLoop::Closed);
    EXPECT_TRUE(pass.proceed());
    pass.stepDone();
    EXPECT_FALSE(pass.stopRequested());
    // Raised after the last step's proceed(): seen, without stopping the pass.
    stop = true;
    EXPECT_TRUE(pass.stopRequested());
    EXPECT_FALSE(pass.stopped());
    // A stopped pass reports the request even when the flag was cleared since.
    EXPECT_FALSE(pass.proceed());
    stop = false;
    EXPECT_TRUE(pass.stopRequested());

    LongPass unstoppable(nullptr, LongPass::EventLoop::Closed);
    EXPECT_TRUE(unstoppable.proceed());
    EXPECT_FALSE(unstoppable.stopRequested());
}

TEST_F(LongPassTest, TrackedPassKeepsTheLibraryCountersAndEndsAtZeroDone)
{
    auto& library = RichTextLibraryState::instance();
    {
        LongPass pass(nullptr, LongPass::EventLoop::Closed, LongPass::Progress::Tracked);
        pass.setTotal(3);
        EXPECT_EQ(library.ProgressPercentage(), 0);
        pass.stepDone();
        EXPECT_EQ(library.ProgressPercentage(), 33);
        pass.stepDone();
        pass.stepDone();
        EXPECT_EQ(library.ProgressPercentage(), 100);
    }
    EXPECT_EQ(library.ProgressTotal, 3);
    EXPECT_EQ(library.ProgressDone, 0);
    EXPECT_EQ(library.ProgressPercentage(), 0);

    // An untracked pass leaves the counters alone.
    library.ProgressTotal = 10;
    library.ProgressDone = 5;
    {
        LongPass pass(nullptr, LongPass::EventLoop::Closed);
        pass.setTotal(99);
        pass.stepDone();
    }
    EXPECT_EQ(library.ProgressTotal, 10);
    EXPECT_EQ(library.ProgressDone, 5);

    // Byte counts past 2^31 keep an exact percentage.
    LongPass big(nullptr, LongPass::EventLoop::Closed, LongPass::Progress::Tracked);
    big.setTotal(int64_t(6) << 30);
    library.ProgressDone = int64_t(3) << 30;
    EXPECT_EQ(library.ProgressPercentage(), 50);
}

TEST_F(LongPassTest, OnlyALetRunPassLetsTheEventLoopRun)
{
    EXPECT_EQ(timerShotsDuring(LongPass::EventLoop::Closed, 10), 0);
    EXPECT_GT(timerShotsDuring(LongPass::EventLoop::LetRun, 10), 0);
}

TEST_F(LongPassTest, ShortStepsReadTheClockRarelyAndStillYieldWithinTheSlice)
{
    useStepClock();
    InputStandIn input;
    // 20 ms of steps of 100 ns, as a replace pass comparing characters takes.
    constexpr int steps = 200'000;
    runSteps(input, steps, 100);
    EXPECT_LT(StepClock::reads, steps / 16);
    EXPECT_GE(input.handled, 4);
    EXPECT_LE(input.longestWait, Slice + MaxSteps * 100);
}

TEST_F(LongPassTest, LongStepsPollAfterEveryStep)
{
    useStepClock();
    InputStandIn input;
    runSteps(input, 20, 3'000'000);
    EXPECT_GE(input.handled, 9);
    EXPECT_LE(input.longestWait, Slice + 3'000'000);

    // Steps that turn long after many short ones hold the loop back for one stretch of polls
    // at most, then are polled after each again.
    InputStandIn later;
    LongPass pass(nullptr, LongPass::EventLoop::LetRun);
    for (int step = 0; step < 10'000; ++step) {
        StepClock::now += 100;
        pass.stepDone();
    }
    for (int step = 0; step < 200; ++step) {
        StepClock::now += 3'000'000;
        pass.stepDone();
        if (step == 100)
            later.post();
    }
    EXPECT_EQ(later.handled, 1);
    EXPECT_LE(later.longestWait, Slice + 3'000'000);
}
