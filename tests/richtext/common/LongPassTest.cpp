// The long-pass object: its stop request, its progress counters and its event-loop policy.
#include "richtext/common/LongPass.h"
#include "richtext/common/RichTextLibraryState.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace {

class LongPassTest : public testing::Test {
protected:
    LongPassTest() { RichTextLibraryState::instance().reset(); }
    ~LongPassTest() override { RichTextLibraryState::instance().reset(); }

    // Runs `steps` steps and counts how often a zero-timer posted before the pass fired.
    int timerShotsDuring(LongPass::EventLoop policy, int steps, int stepsPerPoll = 1)
    {
        int shots = 0;
        QTimer timer;
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [&] { ++shots; });
        timer.start();
        LongPass pass(nullptr, policy, LongPass::Progress::Untracked, stepsPerPoll);
        for (int step = 0; step < steps && pass.proceed(); ++step) {
            QThread::msleep(2);
            pass.stepDone();
        }
        return shots;
    }
};

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

TEST_F(LongPassTest, ShortStepsLetTheEventLoopRunEveryFewSteps)
{
    // Fewer steps than the interval: the loop never runs, however long they take.
    EXPECT_EQ(timerShotsDuring(LongPass::EventLoop::LetRun, 3, 4), 0);
    EXPECT_GT(timerShotsDuring(LongPass::EventLoop::LetRun, 4, 4), 0);
    // A Closed pass stays closed whatever its interval; an interval below 1 means every step.
    EXPECT_EQ(timerShotsDuring(LongPass::EventLoop::Closed, 8, 4), 0);
    EXPECT_GT(timerShotsDuring(LongPass::EventLoop::LetRun, 1, 0), 0);
}
