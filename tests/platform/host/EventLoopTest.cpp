#include "platform/host/EventLoop.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {

// Runs a function when a posted event of its own reaches it, as a handler would.
class Handler : public QObject {
public:
    explicit Handler(std::function<void()> work) : m_work(std::move(work)) {}
    static constexpr QEvent::Type kType = QEvent::User;

    bool event(QEvent* event) override
    {
        if (event->type() != kType)
            return QObject::event(event);
        m_work();
        return true;
    }

private:
    std::function<void()> m_work;
};

void letInputPollRunAgain()
{
    QThread::msleep(20);
}

}  // namespace

TEST(EventLoop, DoEventsHandlesPostedEventsAndDueTimers)
{
    int handled = 0;
    bool fired = false;
    Handler handler([&handled] { ++handled; });
    QCoreApplication::postEvent(&handler, new QEvent(Handler::kType));
    QCoreApplication::postEvent(&handler, new QEvent(Handler::kType));
    QTimer::singleShot(0, [&fired] { fired = true; });

    host::DoEvents();
    EXPECT_EQ(handled, 2);
    EXPECT_TRUE(fired);
}

TEST(EventLoop, DoEventsDeletesWhatHandlersReleasedButNotWhatTheCallerHolds)
{
    QPointer<QObject> releasedByHandler = new QObject;
    Handler handler([&releasedByHandler] { releasedByHandler->deleteLater(); });
    QCoreApplication::postEvent(&handler, new QEvent(Handler::kType));

    QPointer<QObject> releasedByCaller = new QObject;
    releasedByCaller->deleteLater();

    host::DoEvents();
    EXPECT_TRUE(releasedByHandler.isNull());
    // The caller may still use it until control goes back to the event loop.
    EXPECT_FALSE(releasedByCaller.isNull());
    // Clean up: a deferred delete posted at this level goes when explicitly asked for.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(releasedByCaller.isNull());
}

TEST(EventLoop, GetInputStateReportsAndHandlesWaitingInput)
{
    QWidget target;
    int keys = 0;
    class KeyCounter : public QObject {
    public:
        explicit KeyCounter(int& keys) : m_keys(keys) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            m_keys += event->type() == QEvent::KeyPress ? 1 : 0;
            return false;
        }

    private:
        int& m_keys;
    } filter(keys);
    target.installEventFilter(&filter);

    letInputPollRunAgain();
    EXPECT_FALSE(host::GetInputState());

    QCoreApplication::postEvent(
        &target, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
    letInputPollRunAgain();
    EXPECT_TRUE(host::GetInputState());
    EXPECT_EQ(keys, 1);
    // The input was handled: nothing waits any more.
    EXPECT_FALSE(host::GetInputState());

    // Input handled by a DoEvents of the pass itself is not reported later.
    QCoreApplication::postEvent(
        &target, new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b")));
    host::DoEvents();
    EXPECT_EQ(keys, 2);
    letInputPollRunAgain();
    EXPECT_FALSE(host::GetInputState());
}

TEST(EventLoop, GetInputStateIgnoresOtherEvents)
{
    int handled = 0;
    Handler handler([&handled] { ++handled; });
    QCoreApplication::postEvent(&handler, new QEvent(Handler::kType));
    letInputPollRunAgain();
    EXPECT_FALSE(host::GetInputState());
    EXPECT_EQ(handled, 1);
}
