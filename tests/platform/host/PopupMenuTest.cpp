#include "platform/host/PopupMenu.h"

#include "tests/support/FakePopupMenus.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

using host::MF_CHECKED;
using host::MF_GRAYED;
using host::MF_POPUP;
using host::MF_SEPARATOR;
using host::MF_STRING;
using host::PopupMenu;

// Runs `act` on the menu once it pops up; a menu that `act` leaves open is closed, so that a
// failing test ends instead of waiting.
void whenPoppedUp(std::function<void(QMenu*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        act(menu);
        if (QWidget* open = QApplication::activePopupWidget())
            open->close();
    });
    timer->start();
}

void press(QMenu* menu, std::initializer_list<Qt::Key> keys)
{
    for (Qt::Key key : keys)
        QTest::keyClick(
            QApplication::activePopupWidget() ? QApplication::activePopupWidget() : menu, key);
}

// A small context menu: a greyed first entry, a checked one, a separator, a submenu filled
// after it was appended, and a greyed submenu.
struct SampleMenu {
    PopupMenu menu;
    PopupMenu words;
    PopupMenu none;

    SampleMenu()
    {
        menu.AppendMenu(MF_GRAYED, 2, QStringLiteral("Undo"));
        menu.AppendMenu(MF_SEPARATOR, 0);
        menu.AppendMenu(MF_STRING, 4, QStringLiteral("Cut"));
        menu.AppendMenu(MF_CHECKED, 5, QStringLiteral("Copy"));
        menu.AppendMenu(MF_SEPARATOR, 0);
        menu.AppendMenu(MF_POPUP, words, QStringLiteral("Synonyms"));
        menu.AppendMenu(MF_POPUP | MF_GRAYED, none, QStringLiteral("Spell..."));
        words.AppendMenu(MF_STRING, 37, QStringLiteral("quick"));
        words.AppendMenu(MF_STRING, 38, QStringLiteral("fast"));
        none.AppendMenu(MF_STRING, 47, QStringLiteral("hidden"));
    }
};

TEST(PopupMenu, BuildsEntriesAsHandlesAndRefusesMalformedOnes)
{
    SampleMenu sample;
    const auto& items = sample.menu.items();
    ASSERT_EQ(items.size(), 7u);
    EXPECT_FALSE(items[0].isEnabled());
    EXPECT_TRUE(items[1].isSeparator());
    EXPECT_TRUE(items[3].isChecked());
    // The submenu was filled after it was appended; the parent sees its entries.
    ASSERT_TRUE(items[5].isPopup());
    EXPECT_EQ(items[5].submenu->items().size(), 2u);
    EXPECT_TRUE(items[5].submenu->sameMenu(sample.words));

    EXPECT_FALSE(sample.menu.AppendMenu(MF_POPUP, 9, QStringLiteral("no handle")));
    EXPECT_FALSE(sample.menu.AppendMenu(MF_POPUP, sample.menu, QStringLiteral("itself")));
    EXPECT_FALSE(sample.words.AppendMenu(MF_POPUP, sample.menu, QStringLiteral("a cycle")));
    EXPECT_EQ(sample.menu.items().size(), 7u);

    const PopupMenu copy = sample.menu.clone();
    sample.words.AppendMenu(MF_STRING, 39, QStringLiteral("rapid"));
    EXPECT_EQ(copy.items()[5].submenu->items().size(), 2u);
    EXPECT_FALSE(copy.items()[5].submenu->sameMenu(sample.words));
}

TEST(PopupMenu, OnlyEnabledCommandsInEnabledSubmenusAreChoosable)
{
    SampleMenu sample;
    EXPECT_TRUE(sample.menu.isChoosable(4));
    EXPECT_TRUE(sample.menu.isChoosable(5));
    EXPECT_TRUE(sample.menu.isChoosable(38));
    EXPECT_FALSE(sample.menu.isChoosable(2));   // greyed
    EXPECT_FALSE(sample.menu.isChoosable(47));  // inside a greyed submenu
    EXPECT_FALSE(sample.menu.isChoosable(0));   // separators carry no command
    EXPECT_FALSE(sample.menu.isChoosable(99));
}

TEST(PopupMenuScripted, RecordsTheMenuAndAnswersLikeTheRealOne)
{
    testsupport::FakePopupMenus menus;
    SampleMenu sample;
    menus.choose(38);
    menus.choose(2);  // greyed: the user cannot choose it
    menus.dismiss();

    EXPECT_EQ(sample.menu.track(QPoint(40, 50)), 38);
    EXPECT_EQ(sample.menu.track(QPoint(40, 50)), 0);
    EXPECT_EQ(sample.menu.track(QPoint(40, 50)), 0);
    EXPECT_EQ(sample.menu.track(QPoint(40, 50)), 0);  // nothing queued: dismissed

    ASSERT_EQ(menus.shown().size(), 4u);
    EXPECT_EQ(menus.shown()[0].screenPos, QPoint(40, 50));
    // The record is a copy: later changes to the menu do not rewrite it.
    sample.words.AppendMenu(MF_STRING, 40, QStringLiteral("swift"));
    EXPECT_EQ(menus.shown()[0].menu.items()[5].submenu->items().size(), 2u);
    EXPECT_EQ(menus.shown()[0].menu.items()[6].text, QStringLiteral("Spell..."));
}

TEST(PopupMenuReal, ShowsTheStructureAndReturnsTheIdChosenByKeyboard)
{
    SampleMenu sample;
    QStringList texts;
    QList<bool> enabled;
    QList<bool> checked;
    whenPoppedUp([&](QMenu* shown) {
        for (const QAction* action : shown->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
            enabled << action->isEnabled();
            checked << action->isChecked();
        }
        press(shown, {Qt::Key_Down, Qt::Key_Return});  // the greyed first entry is skipped
    });
    EXPECT_EQ(sample.menu.track(QPoint(20, 20)), 4);
    EXPECT_EQ(texts, (QStringList{"Undo", "-", "Cut", "Copy", "-", "Synonyms", "Spell..."}));
    EXPECT_EQ(enabled, (QList<bool>{false, true, true, true, true, true, false}));
    EXPECT_EQ(checked, (QList<bool>{false, false, false, true, false, false, false}));

    whenPoppedUp([](QMenu* shown) {
        press(shown, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down,
                      Qt::Key_Return});
    });
    EXPECT_EQ(sample.menu.track(QPoint(20, 20)), 38);
}

TEST(PopupMenuReal, EitherButtonChoosesAndDismissingOrAGreyedEntryAnswersZero)
{
    SampleMenu sample;
    whenPoppedUp([](QMenu* shown) {
        const QRect cut = shown->actionGeometry(shown->actions().at(2));
        QTest::mouseClick(shown, Qt::RightButton, {}, cut.center());
    });
    EXPECT_EQ(sample.menu.track(QPoint(20, 20)), 4);

    whenPoppedUp([](QMenu* shown) { press(shown, {Qt::Key_Escape}); });
    EXPECT_EQ(sample.menu.track(QPoint(20, 20)), 0);

    bool openAfterClick = false;
    whenPoppedUp([&](QMenu* shown) {
        const QRect greyed = shown->actionGeometry(shown->actions().first());
        QTest::mouseClick(shown, Qt::LeftButton, {}, greyed.center());
        openAfterClick = shown->isVisible();
        press(shown, {Qt::Key_Escape});
    });
    EXPECT_EQ(sample.menu.track(QPoint(20, 20)), 0);
    EXPECT_TRUE(openAfterClick);

    EXPECT_EQ(PopupMenu().track(QPoint(20, 20)), 0);  // an empty menu shows nothing
}

}  // namespace
