#include "AppFixture.h"

#include "app/MenuCommands.h"

#include <QMenu>
#include <QMenuBar>

#include <map>

namespace {

QStringList titlesOf(const QMenu *menu)
{
    QStringList titles;
    for (const QAction *action : menu->actions())
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return titles;
}

QMenu *menuTitled(const QMenuBar &bar, const QString &title)
{
    for (QAction *action : bar.actions())
        if (action->text() == title)
            return action->menu();
    return nullptr;
}

}

TEST(MenuCommandsTest, BuildsMenusSubmenusAndSeparatorsInTableOrder)
{
    QMenuBar bar;
    int runs = 0;
    QStringList filled;
    MenuCommands menus(&bar, {
        { QStringLiteral("File"), QStringLiteral("Open"), { QKeySequence(QStringLiteral("Ctrl+O")) }, [&] { ++runs; } },
        { QStringLiteral("File"), {} },
        { .menu = QStringLiteral("File"), .title = QStringLiteral("Recent"), .fill = [&](QMenu *menu) { filled << menu->title(); } },
        { QStringLiteral("Edit/Find"), QStringLiteral("Find"), { QKeySequence(QStringLiteral("Ctrl+F")) } },
        { QStringLiteral("File"), QStringLiteral("Quit") },
    });

    QStringList top;
    for (const QAction *action : bar.actions())
        top << action->text();
    EXPECT_EQ(top, QStringList({ "File", "Edit" }));
    QMenu *file = menuTitled(bar, QStringLiteral("File"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(titlesOf(file), QStringList({ "Open", "-", "Recent", "Quit" }));
    QMenu *edit = menuTitled(bar, QStringLiteral("Edit"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(titlesOf(edit), QStringList({ "Find" }));

    QAction *open = menus.action(QStringLiteral("File"), QStringLiteral("Open"));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    open->trigger();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(menus.action(QStringLiteral("File"), QStringLiteral("Find")), nullptr);
    EXPECT_NE(menus.action(QStringLiteral("Edit/Find"), QStringLiteral("Find")), nullptr);

    // A filled submenu gets its items each time it opens, not before.
    EXPECT_TRUE(filled.isEmpty());
    emit file->actions()[2]->menu()->aboutToShow();
    EXPECT_EQ(filled, QStringList({ "Recent" }));
}

TEST(MenuCommandsTest, RulesFollowTheStateWhenValidatedAndWhenAMenuOpens)
{
    QMenuBar bar;
    bool canSave = false;
    bool wrapping = true;
    bool hidden = false;
    MenuCommands menus(&bar, {
        { QStringLiteral("File"), QStringLiteral("Save"), {}, {}, [&] { return canSave; } },
        { .menu = QStringLiteral("View"), .title = QStringLiteral("Wrap"), .checkedWhen = [&] { return wrapping; } },
        { .menu = QStringLiteral("View"), .title = QStringLiteral("Hide Panel"),
          .titleWhen = [&] { return hidden ? QStringLiteral("Show Panel") : QStringLiteral("Hide Panel"); } },
    });
    QAction *save = menus.action(QStringLiteral("File"), QStringLiteral("Save"));
    QAction *wrap = menus.action(QStringLiteral("View"), QStringLiteral("Wrap"));
    QAction *panel = menus.action(QStringLiteral("View"), QStringLiteral("Hide Panel"));
    ASSERT_TRUE(save && wrap && panel);
    QAction button(QStringLiteral("Save button"));
    menus.enableAlong(&button, QStringLiteral("File"), QStringLiteral("Save"));

    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(button.isEnabled());
    EXPECT_TRUE(wrap->isCheckable());
    EXPECT_TRUE(wrap->isChecked());
    EXPECT_FALSE(save->isCheckable());

    canSave = true;
    wrapping = false;
    hidden = true;
    menus.validate();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(button.isEnabled());
    EXPECT_FALSE(wrap->isChecked());
    EXPECT_EQ(panel->text(), QStringLiteral("Show Panel"));
    // The declared title still finds the command after its shown title changed.
    EXPECT_EQ(menus.action(QStringLiteral("View"), QStringLiteral("Hide Panel")), panel);

    canSave = false;
    emit menuTitled(bar, QStringLiteral("View"))->aboutToShow();
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(button.isEnabled());
}

using MenuBarTest = AppFixture;

// Two commands on one shortcut would leave the keys doing nothing at all.
TEST_F(MenuBarTest, NoTwoCommandsShareAShortcut)
{
    AppDelegate &a = launch();
    const QMenuBar *bar = a.window().mainWindow()->menuBar();
    ASSERT_NE(bar, nullptr);
    std::map<QString, QString> owners;
    int shortcuts = 0;
    for (const QAction *action : bar->findChildren<QAction *>())
        for (const QKeySequence &keys : action->shortcuts()) {
            const QString text = keys.toString();
            const auto [at, inserted] = owners.emplace(text, action->text());
            EXPECT_TRUE(inserted) << text.toStdString() << " on both " << at->second.toStdString() << " and "
                                  << action->text().toStdString();
            ++shortcuts;
        }
    EXPECT_GT(shortcuts, 30);
}

TEST_F(MenuBarTest, EditingCommandsNeedADocumentAndTabCommandsTwoTabs)
{
    AppDelegate &a = launch();
    const auto item = [&](const QString &title) -> QAction * {
        for (QAction *action : a.window().mainWindow()->menuBar()->findChildren<QAction *>())
            if (action->text() == title)
                return action;
        return nullptr;
    };
    for (const char *title : { "Save", "Save All", "Indent", "Toggle Bookmark", "Next Tab", "Older Version" }) {
        ASSERT_NE(item(title), nullptr) << title;
        EXPECT_FALSE(item(title)->isEnabled()) << title;
    }
    a.documents().loadDocument(file("one.txt"), false, true, true);
    a.documents().loadDocument(file("two.txt"), false, true, true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.documents().size() == 2 && !a.documents()[1]->loading; }, 60000));
    for (QMenu *menu : a.window().mainWindow()->menuBar()->findChildren<QMenu *>())
        emit menu->aboutToShow();
    for (const char *title : { "Save", "Save All", "Indent", "Toggle Bookmark", "Next Tab", "Older Version" })
        EXPECT_TRUE(item(title)->isEnabled()) << title;
    EXPECT_FALSE(item("Newer Version")->isEnabled());
    EXPECT_FALSE(item("Next Bookmark")->isEnabled());
}
