#include "platform/host/PopupMenu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace host {
namespace {

void fillMenu(QMenu& target, const PopupMenu& source)
{
    // The platform shows every separator where it was appended.
    target.setSeparatorsCollapsible(false);
    for (const PopupMenuItem& item : source.items()) {
        if (item.isSeparator()) {
            target.addSeparator();
        } else if (item.isPopup()) {
            QMenu* submenu = target.addMenu(item.text);
            submenu->menuAction()->setEnabled(item.isEnabled());
            fillMenu(*submenu, *item.submenu);
        } else {
            QAction* action = target.addAction(item.text);
            action->setData(item.id);
            action->setEnabled(item.isEnabled());
            if (item.isChecked()) {
                action->setCheckable(true);
                action->setChecked(true);
            }
        }
    }
}

class QtPopupMenuService : public PopupMenuService {
public:
    int track(const PopupMenu& menu, const QPoint& screenPos, QWidget* owner) override
    {
        if (menu.isEmpty())
            return 0;
        QMenu shown(owner);
        fillMenu(shown, menu);
        const QAction* chosen = shown.exec(screenPos);
        return chosen ? chosen->data().toInt() : 0;
    }
};

}  // namespace

PopupMenu::PopupMenu() : m_items(std::make_shared<std::vector<PopupMenuItem>>())
{
}

bool PopupMenu::AppendMenu(unsigned flags, int id, const QString& text)
{
    if (flags & MF_POPUP)
        return false;
    PopupMenuItem item;
    item.flags = flags;
    item.id = (flags & MF_SEPARATOR) ? 0 : id;
    item.text = (flags & MF_SEPARATOR) ? QString() : text;
    m_items->push_back(item);
    return true;
}

bool PopupMenu::AppendMenu(unsigned flags, const PopupMenu& submenu, const QString& text)
{
    // A menu inside itself would have no end.
    if (submenu.sameMenu(*this) || submenu.contains(*this))
        return false;
    PopupMenuItem item;
    item.flags = (flags | MF_POPUP) & ~unsigned(MF_SEPARATOR | MF_CHECKED);
    item.text = text;
    item.submenu = submenu;
    m_items->push_back(item);
    return true;
}

const std::vector<PopupMenuItem>& PopupMenu::items() const
{
    return *m_items;
}

bool PopupMenu::isEmpty() const
{
    return m_items->empty();
}

bool PopupMenu::contains(const PopupMenu& other) const
{
    for (const PopupMenuItem& item : *m_items) {
        if (item.isPopup() && (item.submenu->sameMenu(other) || item.submenu->contains(other)))
            return true;
    }
    return false;
}

bool PopupMenu::isChoosable(int id) const
{
    for (const PopupMenuItem& item : *m_items) {
        if (!item.isEnabled() || item.isSeparator())
            continue;
        if (item.isPopup() ? item.submenu->isChoosable(id) : item.id == id)
            return true;
    }
    return false;
}

PopupMenu PopupMenu::clone() const
{
    PopupMenu copy;
    for (const PopupMenuItem& item : *m_items) {
        PopupMenuItem entry = item;
        if (item.isPopup())
            entry.submenu = item.submenu->clone();
        copy.m_items->push_back(entry);
    }
    return copy;
}

int PopupMenu::track(const QPoint& screenPos, QWidget* owner) const
{
    return popupMenuService().get().track(*this, screenPos, owner);
}

int PopupMenu::trackAtCursor(QWidget* owner) const
{
    return track(QCursor::pos(), owner);
}

ServiceSlot<PopupMenuService>& popupMenuService()
{
    static ServiceSlot<PopupMenuService> slot([]() -> std::unique_ptr<PopupMenuService> {
        return std::make_unique<QtPopupMenuService>();
    });
    return slot;
}

}  // namespace host
