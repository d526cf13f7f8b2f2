// A scripted popup-menu service: records a copy of every menu shown and where, and answers
// with queued ids. Like the real menu it answers 0 for an id the user could not choose
// (missing, greyed, or inside a greyed submenu), and 0 when the queue is empty.
#pragma once

#include "platform/host/PopupMenu.h"
#include "tests/support/ScopedService.h"

#include <deque>
#include <vector>

namespace testsupport {

class FakePopupMenus : public host::PopupMenuService {
public:
    struct Shown {
        host::PopupMenu menu;  // a copy as it stood when shown
        QPoint screenPos;
        QWidget* owner = nullptr;
    };

    FakePopupMenus() : m_scope(host::popupMenuService(), *this) {}

    void choose(int id) { m_choices.push_back(id); }
    void dismiss() { m_choices.push_back(0); }
    const std::vector<Shown>& shown() const { return m_shown; }

    int track(const host::PopupMenu& menu, const QPoint& screenPos, QWidget* owner) override;

private:
    std::deque<int> m_choices;
    std::vector<Shown> m_shown;
    ScopedService<host::PopupMenuService> m_scope;
};

}  // namespace testsupport
