#include "platform/host/HourglassCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace host {
namespace {

// Scopes holding the hourglass; only the first and the last touch the application's
// override cursor, so that one push is always matched by one pop.
int& holders()
{
    static int count = 0;
    return count;
}

// Whether this module pushed an override cursor that it still has to pop. Kept apart from
// the count so that a scope opened without a GUI application never pops one it did not push.
bool& pushed()
{
    static bool value = false;
    return value;
}

}  // namespace

HourglassCursor::HourglassCursor()
{
    if (holders()++ == 0 && qGuiApp) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        pushed() = true;
    }
}

HourglassCursor::~HourglassCursor()
{
    restore();
}

void HourglassCursor::restore()
{
    if (!m_holding)
        return;
    m_holding = false;
    if (--holders() == 0 && pushed()) {
        pushed() = false;
        if (qGuiApp)
            QGuiApplication::restoreOverrideCursor();
    }
}

bool HourglassCursor::isShown()
{
    return holders() > 0;
}

}  // namespace host
