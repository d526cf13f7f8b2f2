// What the language dialogs' tests share: running a modal dialog opened through the control
// with a script, finding its controls by name, clicking, and saving a picture of it to the
// folder named by SCRIVET_SHOTS (when set) to be looked at.
#pragma once

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <functional>

namespace testsupport {

// Runs `open` (a control's Show... member) and, once the dialog of that class is up, the
// script on it; a dialog still open after the script is closed, and a dialog that never came up
// is reported and whatever modal window is up closed, so a test cannot hang.
template <class Dialog>
bool runModalDialog(const std::function<void()>& open, const std::function<void(Dialog&)>& script)
{
    // Timers still pending when the dialog has gone (it closed itself) die with this object.
    QObject context;
    bool ran = false;
    std::function<void(int)> attempt = [&](int triesLeft) {
        Dialog* dialog = nullptr;
        if (auto* modal = QApplication::activeModalWidget())
            dialog = qobject_cast<Dialog*>(modal);
        if (!dialog) {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* found = qobject_cast<Dialog*>(widget); found && found->isVisible())
                    dialog = found;
            }
        }
        if (!dialog || !dialog->isVisible()) {
            if (triesLeft > 0) {
                QTimer::singleShot(10, &context, [&, triesLeft] { attempt(triesLeft - 1); });
                return;
            }
            ADD_FAILURE() << "the dialog is not shown";
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        script(*dialog);
        ran = true;
        if (dialog->isVisible())
            dialog->close();
    };
    QTimer::singleShot(0, &context, [&] { attempt(300); });
    open();
    return ran;
}

template <class Widget>
Widget* child(QWidget& parent, const char* name)
{
    auto* widget = parent.findChild<Widget*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

inline void clickButton(QWidget& parent, const char* name)
{
    auto* button = child<QAbstractButton>(parent, name);
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks the list's entry at that row as the user would.
inline void clickListEntry(QListWidget& list, int row)
{
    QListWidgetItem* item = list.item(row);
    ASSERT_NE(item, nullptr) << row;
    list.scrollToItem(item);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(item).center());
}

inline QStringList listEntries(const QListWidget& list)
{
    QStringList entries;
    for (int row = 0; row < list.count(); ++row)
        entries << list.item(row)->text();
    return entries;
}

inline void saveShot(QWidget& widget, const QString& name)
{
    const QByteArray folder = qgetenv("SCRIVET_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    widget.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name + ".png"));
}

}  // namespace testsupport
