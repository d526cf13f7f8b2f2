#include "tests/support/FakePopupMenus.h"

namespace testsupport {

int FakePopupMenus::track(const host::PopupMenu& menu, const QPoint& screenPos, QWidget* owner)
{
    m_shown.push_back(Shown{menu.clone(), screenPos, owner});
    if (m_choices.empty())
        return 0;
    const int id = m_choices.front();
    m_choices.pop_front();
    return menu.isChoosable(id) ? id : 0;
}

}  // namespace testsupport
