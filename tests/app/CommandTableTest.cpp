#include "app/CommandTable.h"
#include "base/AudioFormat.h"

#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QWidget>

#include <gtest/gtest.h>

namespace tonquill {
namespace {

// Each key of the table reaches its command, from a window whose focus is anywhere.
TEST(CommandTableTest, EveryKeyRunsItsCommand) {
    QWidget window;
    CommandTable table(&window);
    std::vector<int> ran;
    for (const CommandRow& row : CommandRows()) {
        table.SetHandler(row.id, [&ran, id = row.id] { ran.push_back(id); });
    }
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int command;
    };
    const Key keys[] = {
        {Qt::Key_F6, Qt::NoModifier, IdAddFiles},
        {Qt::Key_F7, Qt::NoModifier, IdAddFolder},
        {Qt::Key_F8, Qt::NoModifier, IdAddFolderTree},
        {Qt::Key_F3, Qt::NoModifier, IdConvert},
        {Qt::Key_F3, Qt::ShiftModifier, IdConvertSelected},
        {Qt::Key_Delete, Qt::ShiftModifier, IdDeleteFiles},
        {Qt::Key_F1, Qt::NoModifier, IdHelpContent},
        {Qt::Key_O, Qt::ControlModifier, IdOptions},
        {Qt::Key_F5, Qt::NoModifier, IdTreeRefresh},
        {Qt::Key_Delete, Qt::NoModifier, IdRemoveSelected},
        {Qt::Key_F2, Qt::NoModifier, IdRenameFile},
        {Qt::Key_A, Qt::ControlModifier, IdSelectAll},
        {Qt::Key_F9, Qt::NoModifier, IdShowTree},
        {Qt::Key_Down, Qt::ControlModifier, IdMoveDown},
        {Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier, IdMoveToBottom},
        {Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier, IdMoveToTop},
        {Qt::Key_Up, Qt::ControlModifier, IdMoveUp},
    };
    for (const Key& key : keys) {
        ran.clear();
        QTest::keyClick(&window, key.key, key.modifiers);
        EXPECT_EQ(ran, std::vector<int>{key.command}) << FindCommand(key.command)->text;
    }
}

TEST(CommandTableTest, MenusToolbarAndCheckedStates) {
    QWidget window;
    CommandTable table(&window);
    QMenuBar* bar = table.BuildMenuBar(&window);
    QStringList titles;
    for (QAction* menu : bar->actions()) {
        titles << menu->text();
    }
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Operation", "&Help"}));
    QMenu* help = bar->actions().last()->menu();
    QStringList helpItems;
    for (QAction* item : help->actions()) {
        helpItems << item->text();
    }
    // No Format entry in Help: the Format button is its only place.
    EXPECT_EQ(helpItems, QStringList({"Help Content", "", "Support", "", "About"}));
    EXPECT_EQ(help->actions()[2]->menu()->actions()[0]->toolTip(),
              "Mail to support@tonquill.org to ask questions, give advices & comments or report "
              "bugs");

    std::unique_ptr<QMenu> listMenu(table.BuildMenu(ListMenuLayout(), nullptr));
    EXPECT_EQ(listMenu->actions().first(), table.Action(IdConvertSelected));
    EXPECT_EQ(listMenu->actions().last(), table.Action(IdProperties));
    EXPECT_EQ(table.Action(IdMoveToTop)->toolTip(),
              "Move the selected file to the  top of  the current file list");

    QToolBar toolbar;
    table.FillToolBar(&toolbar);
    ASSERT_EQ(toolbar.actions().size(), 8);
    EXPECT_EQ(toolbar.actions()[3], table.Action(IdFormat));
    EXPECT_FALSE(toolbar.actions()[4]->icon().isNull());

    int format = 2;
    table.SetHandler(FormatCommandId(FormatOgg), [&] { format = 4; });
    table.SetCheckedRule(FormatCommandId(FormatMp3), [&] { return format == 2; });
    table.SetCheckedRule(FormatCommandId(FormatOgg), [&] { return format == 4; });
    EXPECT_TRUE(table.Action(FormatCommandId(FormatMp3))->isChecked());
    table.Action(FormatCommandId(FormatOgg))->trigger();
    EXPECT_FALSE(table.Action(FormatCommandId(FormatMp3))->isChecked());
    EXPECT_TRUE(table.Action(FormatCommandId(FormatOgg))->isChecked());
}

}  // namespace
}  // namespace tonquill
