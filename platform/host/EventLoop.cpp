#include "platform/host/EventLoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <chrono>
#include <limits>

namespace host {
namespace {

// How long GetInputState lets pass between two runs of the event loop.
constexpr int64_t kInputPollNanoseconds = 5'000'000;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::ShortcutOverride:
            return true;
        default:
            return false;
    }
}

// Counts deliveries of user-input events, wherever they are delivered from (an event that
// propagates to a parent counts again, which does not matter to a "did any arrive" test).
class InputCounter : public QObject {
public:
    using QObject::QObject;
    quint64 count() const { return m_count; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (isUserInput(event->type()))
            ++m_count;
        return QObject::eventFilter(watched, event);
    }

private:
    quint64 m_count = 0;
};

// The counter of the running application, made on first use and gone with it.
InputCounter* inputCounter()
{
    static QPointer<InputCounter> counter;
    QCoreApplication* application = QCoreApplication::instance();
    if (!counter && application) {
        counter = new InputCounter(application);
        application->installEventFilter(counter);
    }
    return counter;
}

int64_t steadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

PollClock pollClock = steadyNanoseconds;

// When DoEvents last ran, on the poll clock; none yet while it holds the lowest value.
constexpr int64_t kNeverRun = std::numeric_limits<int64_t>::min();
int64_t lastRun = kNeverRun;

}  // namespace

void DoEvents()
{
    if (!QCoreApplication::instance())
        return;
    inputCounter();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Events and deferred deletes posted by the handlers that just ran; those posted from the
    // caller's own level stay queued (Qt's rule for deferred deletes).
    QCoreApplication::sendPostedEvents();
    lastRun = pollClockNanoseconds();
}

bool GetInputState()
{
    if (lastRun != kNeverRun && pollClockNanoseconds() - lastRun < kInputPollNanoseconds)
        return false;
    InputCounter* counter = inputCounter();
    if (!counter)
        return false;
    const quint64 before = counter->count();
    DoEvents();
    return counter->count() != before;
}

int64_t pollClockNanoseconds()
{
    return pollClock();
}

void setPollClock(PollClock clock)
{
    pollClock = clock ? clock : steadyNanoseconds;
    // A slice measured on the other clock means nothing on this one.
    lastRun = kNeverRun;
}

}  // namespace host
