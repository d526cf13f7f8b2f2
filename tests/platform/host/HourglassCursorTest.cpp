#include "platform/host/HourglassCursor.h"

#include <gtest/gtest.h>
#include <QCursor>
#include <QGuiApplication>
#include <stdexcept>

using host::HourglassCursor;

namespace {

Qt::CursorShape overrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

// Counts the override cursors pushed on the application's stack.
int overrideDepth()
{
    int depth = 0;
    QList<QCursor> popped;
    while (const QCursor* cursor = QGuiApplication::overrideCursor()) {
        popped.prepend(*cursor);
        QGuiApplication::restoreOverrideCursor();
        ++depth;
    }
    for (const QCursor& cursor : popped)
        QGuiApplication::setOverrideCursor(cursor);
    return depth;
}

}  // namespace

TEST(HourglassCursor, NestedScopesKeepTheHourglassUntilTheOutermostEnds)
{
    {
        HourglassCursor outer;
        EXPECT_EQ(overrideShape(), Qt::WaitCursor);
        {
            HourglassCursor inner;
            HourglassCursor innermost;
            EXPECT_EQ(overrideDepth(), 1);
        }
        EXPECT_TRUE(HourglassCursor::isShown());
        EXPECT_EQ(overrideShape(), Qt::WaitCursor);
    }
    EXPECT_FALSE(HourglassCursor::isShown());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(HourglassCursor, AnExceptionPassingThroughPutsThePointerBack)
{
    try {
        HourglassCursor outer;
        HourglassCursor inner;
        throw std::runtime_error("pass failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(HourglassCursor::isShown());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(HourglassCursor, RestoreEndsTheHoldEarlyOnce)
{
    HourglassCursor outer;
    {
        HourglassCursor inner;
        inner.restore();
        inner.restore();
        EXPECT_TRUE(HourglassCursor::isShown());
    }
    outer.restore();
    EXPECT_FALSE(HourglassCursor::isShown());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        HourglassCursor again;
        EXPECT_EQ(overrideShape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(HourglassCursor, LeavesAnOverrideSetByOthersInPlace)
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    {
        HourglassCursor hourglass;
        EXPECT_EQ(overrideShape(), Qt::WaitCursor);
    }
    EXPECT_EQ(overrideShape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
