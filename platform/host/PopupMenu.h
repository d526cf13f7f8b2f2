// Popup menus built entry by entry with command ids, shown at a screen point; the call waits for
// the choice and answers the chosen id, or 0 when the menu is dismissed.
#pragma once

#include "platform/host/ServiceSlot.h"

#include <QPoint>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace host {

// Entry flags as the platform's menus number them.
enum MenuFlags : unsigned {
    MF_STRING = 0x0,
    MF_ENABLED = 0x0,
    MF_UNCHECKED = 0x0,
    MF_GRAYED = 0x1,
    MF_DISABLED = 0x2,
    MF_CHECKED = 0x8,
    MF_POPUP = 0x10,
    MF_SEPARATOR = 0x800,
};

struct PopupMenuItem;

// A menu handle: copies refer to the same menu, so entries appended to a submenu after it was
// appended to its parent still show, as with the platform's menu handles.
class PopupMenu {
public:
    PopupMenu();

    // Appends a command (MF_STRING, optionally MF_GRAYED / MF_DISABLED / MF_CHECKED) or a
    // separator (MF_SEPARATOR). MF_POPUP needs the overload below; false when refused.
    bool AppendMenu(unsigned flags, int id, const QString& text = {});
    // Appends a submenu entry; false when the submenu is this menu or holds it.
    bool AppendMenu(unsigned flags, const PopupMenu& submenu, const QString& text);

    const std::vector<PopupMenuItem>& items() const;
    bool isEmpty() const;
    bool sameMenu(const PopupMenu& other) const { return m_items == other.m_items; }
    bool contains(const PopupMenu& other) const;
    // True when the user could choose the id: an enabled command, reached through enabled
    // submenus only.
    bool isChoosable(int id) const;
    // An independent copy of the whole tree as it stands now.
    PopupMenu clone() const;

    // Shows the menu at a screen point (or at the mouse cursor) and waits for the choice. The
    // right button chooses as well as the left. Returns the chosen id, 0 when dismissed.
    int track(const QPoint& screenPos, QWidget* owner = nullptr) const;
    int trackAtCursor(QWidget* owner = nullptr) const;

private:
    std::shared_ptr<std::vector<PopupMenuItem>> m_items;
};

struct PopupMenuItem {
    unsigned flags = MF_STRING;
    int id = 0;
    QString text;
    std::optional<PopupMenu> submenu;  // set for MF_POPUP entries

    bool isSeparator() const { return flags & MF_SEPARATOR; }
    bool isPopup() const { return submenu.has_value(); }
    bool isEnabled() const { return !(flags & (MF_GRAYED | MF_DISABLED)); }
    bool isChecked() const { return flags & MF_CHECKED; }
};

class PopupMenuService {
public:
    virtual ~PopupMenuService() = default;
    // Shows the menu and returns the chosen command id, 0 when the menu was dismissed.
    virtual int track(const PopupMenu& menu, const QPoint& screenPos, QWidget* owner) = 0;
};

ServiceSlot<PopupMenuService>& popupMenuService();

}  // namespace host
