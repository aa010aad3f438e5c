#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QMenu;
class QMenuBar;

// One item of the menu bar, declared once: where it sits, what it does and when it applies.
struct MenuCommand {
    QString menu; // "File", or "Edit/Find" for a submenu
    QString title; // empty: a separator
    QList<QKeySequence> keys = {};
    std::function<void()> run = {};
    std::function<bool()> enabledWhen = {}; // unset: always enabled
    std::function<bool()> checkedWhen = {}; // set: the item is checkable and shows this
    std::function<QString()> titleWhen = {}; // set: the title follows the state
    QAction::MenuRole role = QAction::NoRole;
    std::function<void(QMenu *)> fill = {}; // set: a submenu filled each time it opens
};

// The menu bar built from a table of commands. Every rule is checked again whenever a menu
// opens and when validate() is called, so the items never show stale state.
class MenuCommands : public QObject {
    Q_OBJECT
public:
    MenuCommands(QMenuBar *bar, std::vector<MenuCommand> commands, QObject *parent = nullptr);

    void validate();
    // The action of a command, by its menu and title ("History", "Older Version").
    QAction *action(const QString &menu, const QString &title) const;
    // Another control for the same command (a toolbar button): enabled along with it.
    void enableAlong(QAction *follower, const QString &menu, const QString &title);

private:
    struct Item {
        QAction *action;
        MenuCommand command;
        QList<QAction *> followers;
    };

    QMenu *menuAt(const QString &path);
    void add(MenuCommand command);

    QMenuBar *bar;
    QList<QPair<QString, QMenu *>> menus;
    std::vector<Item> items;
};
