#pragma once

#include "OpenDocument.h"

#include <QDateTime>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

class AppDelegate;
class FileHoverCard;
class QMenu;
class QWidget;

// Which document is on show and the tabs around it: activating, the remembered places, the tab
// strip and its hover cards, closing singly and in groups, reopening, stepping and reordering.
class TabController : public QObject {
    Q_OBJECT
public:
    explicit TabController(AppDelegate &app);

    void activateDocument(int index, bool focus);
    // Puts the document's view in the editor, with its caret and scroll place.
    void installView(OpenDocument &document);
    // Keeps the shown document's caret and scroll place for when it comes back.
    void rememberPlace();
    void refreshTabStrip();
    void hoverTab(std::optional<int> index, QWidget *tab);
    bool openAtLine(const QString &path, int line, bool preview);
    void showLine(OpenDocument &document, int line);
    void revealInExplorer(const QString &path);
    void revealInFileManager(const QString &path);
    QString relativePath(const OpenDocument &document) const;

    // A document's place is kept while the window settles: a view laid out late scrolls back.
    void settleAfterLaunch();
    void editorScrolled();
    void holdEditorPlace();

    void closeDocument(const DocumentPtr &document);
    void closeTab(int index);
    void closeGroup(const DocumentPtr &anchor, bool onlyToTheRight);
    void closeTabOrWindow();
    void reopenClosedTab();
    bool canReopenClosedTab() const;
    void stepTab(int delta); // Next Tab (+1) and Previous Tab (-1), wrapping around
    void onReorderOrder(const QList<int> &order);
    QMenu *menuForTab(int index);

private:
    void showLastCommit(const OpenDocument &document, FileHoverCard *card);

    AppDelegate &app;
    std::vector<QUrl> closedTabs;
    QDateTime settleUntil;
    QPoint settleOrigin;
};
