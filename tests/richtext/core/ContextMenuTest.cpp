// The control's context menu opened by a right click and by the Apps key: its entries, ids and
// greying, the word submenus, the commands it runs and the events around it.
#include "richtext/core/ContextMenu.h"

#include "platform/richedit/view/RichTextView.h"
#include "tests/richtext/core/XrRTBTestSupport.h"
#include "tests/support/FakeCommonDialogs.h"
#include "tests/support/FakePopupMenus.h"
#include "tests/support/QStringPrinting.h"
#include "tests/support/SignalRecorder.h"

#include <gtest/gtest.h>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <functional>

class ContextMenuTest : public testsupport::XrRTBTestBase {
protected:
    ContextMenuTest()
    {
        m_control.resize(600, 300);
        m_control.show();
    }

    void select(const QString& text, qsizetype start, qsizetype length)
    {
        m_control.LetText(text);
        m_control.LetSelStart(int32_t(start));
        m_control.LetSelLength(int32_t(length));
    }
    void rightClick()
    {
        QWidget* viewport = testsupport::editingWindow(m_control).view().viewport();
        QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(5, 5));
    }
    void pressApps()
    {
        QTest::keyClick(&testsupport::editingWindow(m_control).view(), Qt::Key_Menu);
    }
    const host::PopupMenu& lastMenu() const { return m_menus.shown().back().menu; }

    // The entries as "text=id", greyed ones marked "(grey)", submenus by their text only.
    static QStringList entries(const host::PopupMenu& menu)
    {
        QStringList result;
        for (const host::PopupMenuItem& item : menu.items()) {
            if (item.isSeparator()) {
                result << QStringLiteral("-");
                continue;
            }
            QString entry =
                item.isPopup() ? item.text : item.text + u'=' + QString::number(item.id);
            if (!item.isEnabled())
                entry += QStringLiteral("(grey)");
            result << entry;
        }
        return result;
    }
    const host::PopupMenu& submenu(const QString& text) const { return submenu(lastMenu(), text); }
    static const host::PopupMenu& submenu(const host::PopupMenu& menu, const QString& text)
    {
        for (const host::PopupMenuItem& item : menu.items()) {
            if (item.isPopup() && item.text == text)
                return *item.submenu;
        }
        static host::PopupMenu none;
        ADD_FAILURE() << text.toStdString();
        return none;
    }

    XrRTB m_control;
    testsupport::FakePopupMenus m_menus;
    testsupport::FakeCommonDialogs m_dialogs;

    void runCommand(int id, const ContextMenu::MenuState& state)
    {
        m_control.runContextMenuCommand(id, m_control.SelText(), state);
    }
};

TEST_F(ContextMenuTest, RightClickShowsEveryEntryWithItsIdAndGreying)
{
    m_control.LetText(QStringLiteral("Some text"));
    m_control.LetSelStart(0);
    testsupport::SignalRecorder events(&m_control);
    rightClick();
    ASSERT_EQ(m_menus.shown().size(), 1u);
    EXPECT_EQ(m_menus.shown().back().owner, &m_control);
    EXPECT_EQ(entries(lastMenu()),
              (QStringList{"Undo=2(grey)", "-", "Cut=4(grey)", "Copy=5(grey)", "Paste=6(grey)",
                           "Delete=7(grey)", "-", "Select All=8", "-", "Font=9", "Font Color=10",
                           "-", "Highlight=11(grey)", "Highlight Color=13", "-", "Synonyms(grey)",
                           "Spell...(grey)"}));
    EXPECT_TRUE(submenu(QStringLiteral("Synonyms")).isEmpty());
    // Dismissed: nothing runs, the command bracket is still raised.
    QStringList bracket = events.names();
    bracket.removeAll(QStringLiteral("MouseUp"));
    bracket.removeAll(QStringLiteral("MouseDown"));
    bracket.removeAll(QStringLiteral("Click"));
    bracket.removeAll(QStringLiteral("SelChange"));
    EXPECT_EQ(bracket, (QStringList{"Begin", "Begin", "Finish", "Ready", "Finish"}));
    EXPECT_EQ(m_control.Text(), QStringLiteral("Some text"));

    // With the VB6 command shown, and with a selection.
    m_control.LetShowVB6Syntax(true);
    m_control.LetSelStart(0);
    m_control.LetSelLength(4);
    pressApps();
    ASSERT_EQ(m_menus.shown().size(), 2u);
    const QStringList withSelection = entries(lastMenu());
    EXPECT_EQ(withSelection.mid(2, 4),
              (QStringList{"Cut=4", "Copy=5", "Paste=6(grey)", "Delete=7"}));
    EXPECT_EQ(withSelection.mid(12),
              (QStringList{"Highlight=11", "Highlight Color=13", "-", "Synonyms", "Spell...", "-",
                           "Apply VB6 Syntax=99"}));
    // AutoVMenu off: neither way opens it.
    m_control.LetAutoVMenu(false);
    rightClick();
    pressApps();
    EXPECT_EQ(m_menus.shown().size(), 2u);
}

TEST_F(ContextMenuTest, SubmenusHoldSynonymsAndWordsOrAGreyedNote)
{
    select(QStringLiteral("Taken aback by it"), 6, 5);
    rightClick();
    EXPECT_EQ(entries(submenu(QStringLiteral("Synonyms"))),
              (QStringList{"confused=37", "surprised=38"}));
    const QStringList spelled = entries(submenu(QStringLiteral("Spell...")));
    ASSERT_FALSE(spelled.isEmpty());
    EXPECT_EQ(spelled.front(), QStringLiteral("aback=47"));
    EXPECT_LE(spelled.size(), 10);

    // The word is looked up as it shows: a hidden run inside it is left out.
    m_control.LetTextRTF(QStringLiteral("{\\rtf1\\ansi\\pard Taken ab{\\v zz}ack by it\\par}"));
    m_control.LetSelStart(6);
    m_control.LetSelLength(7);
    rightClick();
    EXPECT_EQ(entries(submenu(QStringLiteral("Synonyms"))),
              (QStringList{"confused=37", "surprised=38"}));

    select(QStringLiteral("a qzxv b"), 2, 4);
    rightClick();
    EXPECT_EQ(entries(submenu(QStringLiteral("Synonyms"))),
              QStringList{"No Synonyms Found=0(grey)"});
    EXPECT_EQ(entries(submenu(QStringLiteral("Spell..."))), QStringList{"No Spell Help=0(grey)"});

    // 38 characters or more grey both submenus; 37 do not.
    const QString longText = QString(60, u'a');
    select(longText, 0, 38);
    rightClick();
    EXPECT_TRUE(entries(lastMenu()).contains("Synonyms(grey)"));
    EXPECT_TRUE(entries(lastMenu()).contains("Spell...(grey)"));
    select(longText, 0, 37);
    rightClick();
    EXPECT_TRUE(entries(lastMenu()).contains("Synonyms"));
}

TEST_F(ContextMenuTest, WordEntriesReplaceTheSelection)
{
    // A synonym keeps the selection's trailing space.
    select(QStringLiteral("Taken aback by it"), 6, 6);
    m_menus.choose(38);
    rightClick();
    EXPECT_EQ(m_control.Text(), QStringLiteral("Taken surprised by it"));

    // "etc." before "." leaves one period.
    select(QStringLiteral("and so on etc. The end"), 10, 3);
    rightClick();
    int etcId = 0;
    for (const host::PopupMenuItem& item : submenu(QStringLiteral("Spell...")).items()) {
        if (item.text == QStringLiteral("etc."))
            etcId = item.id;
    }
    ASSERT_GE(etcId, 47);
    m_menus.choose(etcId);
    rightClick();
    EXPECT_EQ(m_control.Text(), QStringLiteral("and so on etc. The end"));
    EXPECT_EQ(m_control.SelStart(), 14);

    // A word for a selection ending in a space keeps the space.
    select(QStringLiteral("aba and"), 0, 4);
    rightClick();
    const QString first = submenu(QStringLiteral("Spell...")).items().front().text;
    ASSERT_TRUE(first.startsWith(QStringLiteral("aba"), Qt::CaseInsensitive));
    m_menus.choose(47);
    rightClick();
    EXPECT_EQ(m_control.Text(), first + QStringLiteral(" and"));
}

TEST_F(ContextMenuTest, EveryShownSynonymActsAndTheRangesStaySeparate)
{
    ContextMenu::MenuState state;
    state.canGetSynonym = true;
    state.canGetSpelling = true;
    for (int k = 0; k < 12; ++k)
        state.synonyms << QStringLiteral("syn%1").arg(k);
    state.spellings << QStringLiteral("word");
    const host::PopupMenu menu = ContextMenu::Build(state);
    // Ten synonyms are shown, each with an id of its own below the first word's.
    EXPECT_EQ(submenu(menu, QStringLiteral("Synonyms")).items().size(), 10u);
    for (int k = 0; k < ContextMenu::MaxSynonyms; ++k)
        EXPECT_TRUE(menu.isChoosable(37 + k)) << k;
    EXPECT_TRUE(menu.isChoosable(47));
    EXPECT_EQ(submenu(menu, QStringLiteral("Spell...")).items().front().text, "word");

    // The eighth synonym acts like the first; id 47 stays the first word.
    state.synonyms = state.synonyms.mid(0, 10);
    select(QStringLiteral("x pick y"), 2, 4);
    runCommand(44, state);
    EXPECT_EQ(m_control.Text(), QStringLiteral("x syn7 y"));
    select(QStringLiteral("x pick y"), 2, 4);
    runCommand(47, state);
    EXPECT_EQ(m_control.Text(), QStringLiteral("x word y"));
}

TEST_F(ContextMenuTest, CommandsRunThroughTheControl)
{
    // Undo with nothing in the editing window but a snapshot held runs the whole-document undo.
    select(QStringLiteral("one two"), 0, 3);
    m_control.SaveSpecialUndoData();
    m_control.LetText(QStringLiteral("changed"));
    m_control.EmptyRTBUndoRedoBuffer();
    ASSERT_FALSE(m_control.CanUndo());
    m_menus.choose(2);
    rightClick();
    EXPECT_EQ(m_control.Text(), QStringLiteral("one two"));

    // Font colour: the chosen colour becomes MyFontColor and is reported.
    testsupport::SignalRecorder events(&m_control);
    m_dialogs.answer(host::DialogAnswer::withColor(0x00FF00));
    m_menus.choose(10);
    rightClick();
    EXPECT_EQ(m_control.MyFontColor(), 0x00FF00u);
    EXPECT_EQ(events.count(QStringLiteral("MenuFontColorClick")), 1);

    // Highlight colour: stored and reported, the selection is not highlighted.
    m_dialogs.answer(host::DialogAnswer::withColor(0x0000FF));
    m_menus.choose(13);
    rightClick();
    EXPECT_EQ(m_control.MyHLColor(), 0x0000FFu);
    EXPECT_EQ(events.count(QStringLiteral("MenuHLColorClick")), 1);

    // Delete and Select All.
    select(QStringLiteral("abc def"), 0, 4);
    m_menus.choose(7);
    rightClick();
    EXPECT_EQ(m_control.Text(), QStringLiteral("def"));
    m_menus.choose(8);
    rightClick();
    EXPECT_EQ(m_control.SelLength(), 3);

    // The VB6 command is bracketed by its two events.
    m_control.LetShowVB6Syntax(true);
    events.clear();
    m_menus.choose(99);
    rightClick();
    const QStringList names = events.names();
    EXPECT_LT(names.indexOf(QStringLiteral("MenuVBSyntaxClickStart")),
              names.indexOf(QStringLiteral("MenuVBSyntaxClickEnd")));
    EXPECT_EQ(names.count(QStringLiteral("MenuVBSyntaxClickEnd")), 1);
    EXPECT_EQ(names.back(), QStringLiteral("Finish"));
}

// The menu as the platform shows it: both submenus open on screen, and a synonym clicked
// there replaces the selection.
TEST(ContextMenuOnScreen, ShownMenuOpensItsSubmenusAndActsOnAClick)
{
    RichTextLibraryState::instance().reset();
    testsupport::RedirectedAppData appData;
    XrRTB control;
    control.resize(600, 300);
    control.show();
    control.LetText(QStringLiteral("Taken aback by it"));
    control.LetSelStart(6);
    control.LetSelLength(5);

    QStringList synonymTexts;
    QStringList spellTexts;
    // Looks for the shown menu until it is up, then works on it.
    std::function<void(int)> onMenu = [&](int triesLeft) {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            if (triesLeft > 0)
                QTimer::singleShot(10, &control, [&, triesLeft] { onMenu(triesLeft - 1); });
            else
                ADD_FAILURE() << "no menu was shown";
            return;
        }
        QMenu* synonyms = nullptr;
        QMenu* spell = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == QStringLiteral("Synonyms"))
                synonyms = action->menu();
            if (action->text() == QStringLiteral("Spell..."))
                spell = action->menu();
        }
        if (!synonyms || !spell) {
            menu->close();
            FAIL() << "the submenus are missing";
        }
        for (QAction* action : synonyms->actions())
            synonymTexts << action->text();
        for (QAction* action : spell->actions())
            spellTexts << action->text();
        // Each submenu opened beside the menu, as the user sees it.
        for (auto [submenu, name] : {std::pair{spell, "context-menu-spell"},
                                     std::pair{synonyms, "context-menu-synonyms"}}) {
            menu->setActiveAction(submenu->menuAction());
            submenu->popup(menu->geometry().topRight() +
                           QPoint(0, menu->actionGeometry(submenu->menuAction()).top()));
            QTest::qWait(50);
            QImage shot(menu->width() + submenu->width(),
                        std::max(menu->height(), submenu->y() - menu->y() + submenu->height()),
                        QImage::Format_RGB32);
            shot.fill(Qt::white);
            QPainter painter(&shot);
            painter.drawPixmap(0, 0, menu->grab());
            painter.drawPixmap(menu->width(), submenu->y() - menu->y(), submenu->grab());
            painter.end();
            if (const QByteArray folder = qgetenv("SCRIVET_SHOTS"); !folder.isEmpty())
                shot.save(
                    QDir(QString::fromLocal8Bit(folder)).filePath(name + QStringLiteral(".png")));
        }
        QAction* surprised = synonyms->actions().at(1);
        QTest::mouseClick(synonyms, Qt::LeftButton, {},
                          synonyms->actionGeometry(surprised).center());
        // Whatever is still open is closed, so that the test cannot hang.
        QTimer::singleShot(200, &control, [] {
            while (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
    };
    QTimer::singleShot(0, &control, [&] { onMenu(200); });
    QTest::mouseClick(testsupport::editingWindow(control).view().viewport(), Qt::RightButton, {},
                      QPoint(5, 5));
    EXPECT_EQ(synonymTexts, (QStringList{"confused", "surprised"}));
    ASSERT_FALSE(spellTexts.isEmpty());
    EXPECT_EQ(spellTexts.front(), QStringLiteral("aback"));
    EXPECT_EQ(control.Text(), QStringLiteral("Taken surprised by it"));
    RichTextLibraryState::instance().reset();
}
