#include "MenuCommands.h"

#include <QMenu>
#include <QMenuBar>

MenuCommands::MenuCommands(QMenuBar *bar, std::vector<MenuCommand> commands, QObject *parent)
    : QObject(parent)
    , bar(bar)
{
    items.reserve(commands.size());
    for (MenuCommand &command : commands)
        add(std::move(command));
    validate();
}

QMenu *MenuCommands::menuAt(const QString &path)
{
    for (const auto &[known, menu] : menus)
        if (known == path)
            return menu;
    const qsizetype slash = path.lastIndexOf(u'/');
    QMenu *menu = slash < 0 ? bar->addMenu(path) : menuAt(path.left(slash))->addMenu(path.mid(slash + 1));
    // Files come and go, settings change elsewhere: each menu checks its items as it opens.
    connect(menu, &QMenu::aboutToShow, this, [this] { validate(); });
    menus.append({ path, menu });
    return menu;
}

void MenuCommands::add(MenuCommand command)
{
    QMenu *menu = menuAt(command.menu);
    if (command.title.isEmpty()) {
        menu->addSeparator();
        return;
    }
    if (command.fill) {
        QMenu *submenu = menuAt(command.menu + u'/' + command.title);
        connect(submenu, &QMenu::aboutToShow, this, [submenu, fill = command.fill] { fill(submenu); });
        return;
    }
    QAction *action = menu->addAction(command.title);
    action->setShortcuts(command.keys);
    action->setShortcutContext(Qt::ApplicationShortcut);
    action->setMenuRole(command.role);
    action->setCheckable(bool(command.checkedWhen));
    if (command.run)
        connect(action, &QAction::triggered, this, [run = command.run] { run(); });
    items.push_back({ action, std::move(command), {} });
}

void MenuCommands::validate()
{
    for (const Item &item : items) {
        const MenuCommand &command = item.command;
        if (command.enabledWhen) {
            const bool enabled = command.enabledWhen();
            item.action->setEnabled(enabled);
            for (QAction *follower : item.followers)
                follower->setEnabled(enabled);
        }
        if (command.checkedWhen)
            item.action->setChecked(command.checkedWhen());
        if (command.titleWhen)
            item.action->setText(command.titleWhen());
    }
}

QAction *MenuCommands::action(const QString &menu, const QString &title) const
{
    for (const Item &item : items)
        if (item.command.menu == menu && item.command.title == title)
            return item.action;
    return nullptr;
}

void MenuCommands::enableAlong(QAction *follower, const QString &menu, const QString &title)
{
    for (Item &item : items)
        if (item.command.menu == menu && item.command.title == title) {
            item.followers.append(follower);
            follower->setEnabled(item.action->isEnabled());
            return;
        }
}
