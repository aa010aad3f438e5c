#include "remote/SSHView.h"
#include "ServerTest.h"
#include "remote/RemoteOutline.h"
#include "remote/RemoteTreeModel.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QApplication>
#include <QTest>
#include <QToolButton>

#include <memory>

using testsupport::waitUntil;

namespace
{

struct Opened {
    std::shared_ptr<SSHClient> client;
    QString path;
    bool permanent;
};

class SSHViewTest : public ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        if (IsSkipped())
            return;
        testsupport::clearSettings();
        server.writeFile("code/b.txt", "b");
        server.writeFile("code/.env", "e");
        server.writeFile("code/.git/HEAD", "h");
        server.writeFile("code/a/inner.txt", "i");
        home = QDir(server.home()).canonicalPath();
        launch();
    }

    // What a launch does: the saved entry in a fresh list, and a pane showing it.
    void launch()
    {
        view.reset();
        list = std::make_unique<RemoteHostList>();
        RemoteHost entry = host();
        entry.folders = { "~", "~/code", "/nowhere/at all" };
        list->setHosts({ entry });
        list->onItemChanged = [this](const HostItemPtr &item) { view->refresh(item); };
        view = std::make_unique<SSHView>(list.get());
        view->onConnect = [this](const HostItemPtr &item) { list->connect(item); };
        view->onOpenFile = [this](const std::shared_ptr<SSHClient> &client, const QString &path,
                               bool permanent) {
            opened.push_back({ client, path, permanent });
        };
        view->resize(320, 480);
        view->show();
    }

    RemoteTreeModel *model() const { return view->model(); }
    QModelIndex hostRow() const { return model()->index(0, 0); }
    QModelIndex child(const QModelIndex &parent, const QString &path) const
    {
        for (int i = 0; i < model()->rowCount(parent); ++i) {
            const QModelIndex row = model()->index(i, 0, parent);
            if (row.data(RemoteTreeModel::PathRole).toString() == path)
                return row;
        }
        return {};
    }
    QStringList names(const QModelIndex &parent) const
    {
        QStringList shown;
        for (int i = 0; i < model()->rowCount(parent); ++i)
            shown << model()->index(i, 0, parent).data().toString();
        return shown;
    }
    void click(const QModelIndex &row, bool twice = false)
    {
        RemoteOutline *outline = view->outline();
        outline->scrollTo(row);
        const QPoint at = outline->visualRect(row).center();
        // A double click is a click, then the second press as a double click.
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(outline->viewport(), Qt::LeftButton, {}, at);
    }
    bool connected()
    {
        return waitUntil([this] { return model()->rowCount(hostRow()) == 3; }, 30000);
    }
    // Opens a folder row with a click and waits for its listing.
    bool openFolder(const QModelIndex &folder)
    {
        click(folder);
        const QPersistentModelIndex row(folder);
        return waitUntil(
            [&] { return model()->nodeAt(row)->children && !model()->nodeAt(row)->loading; },
            30000);
    }

    std::unique_ptr<RemoteHostList> list;
    std::unique_ptr<SSHView> view;
    std::vector<Opened> opened;
    QString home;
};

TEST_F(SSHViewTest, ConnectingShowsEachFolderAndWhichOneIsMissing)
{
    EXPECT_TRUE(view->notice()->isHidden());
    click(hostRow());
    ASSERT_TRUE(connected()) << list->items().front()->failure.toStdString();
    EXPECT_EQ(names(hostRow()), (QStringList { home, home + "/code", "/nowhere/at all" }));
    EXPECT_EQ(model()->index(2, 0, hostRow()).data(RemoteTreeModel::DetailRole), "No such folder");
    EXPECT_EQ(hostRow().data(RemoteTreeModel::DetailRole), "Connected · " + server.destination());
    // A machine seen for the first time opens onto its folders.
    EXPECT_TRUE(view->outline()->isExpanded(hostRow()));

    list->setHosts({});
    view->reloadHosts();
    EXPECT_FALSE(view->notice()->isHidden());
    EXPECT_TRUE(view->outline()->isHidden());
    // The header and its + stay at the top of a tall, empty pane, the notice just under them.
    view->resize(320, 900);
    QApplication::processEvents();
    const int plusTop = view->addButton()->mapTo(view.get(), QPoint(0, 0)).y();
    EXPECT_LT(plusTop, 30);
    EXPECT_LT(view->notice()->mapTo(view.get(), QPoint(0, 0)).y(), 60);
}

TEST_F(SSHViewTest, FoldersListOverSshAndFilesOpenAsPreviewOrToKeep)
{
    click(hostRow());
    ASSERT_TRUE(connected());
    const QModelIndex code = child(hostRow(), home + "/code");
    ASSERT_TRUE(openFolder(code));
    EXPECT_EQ(names(code), (QStringList { "a", ".env", "b.txt" }));

    click(child(code, home + "/code/b.txt"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].client, list->items().front()->client);
    EXPECT_EQ(opened[0].path, home + "/code/b.txt");
    EXPECT_FALSE(opened[0].permanent);
    click(child(code, home + "/code/.env"), true);
    EXPECT_EQ(opened.back().path, home + "/code/.env");
    EXPECT_TRUE(opened.back().permanent);

    // A listed folder becomes a root of its own, and goes again from the menu.
    const auto trigger = [this](const QModelIndex &row, const QString &title) {
        std::unique_ptr<QMenu> menu(view->outline()->menuForRow(row));
        for (QAction *action : menu->actions())
            if (action->text() == title)
                return action->trigger(), true;
        return false;
    };
    EXPECT_FALSE(trigger(code, "Add as a Folder of the Machine"));
    ASSERT_TRUE(trigger(child(code, home + "/code/a"), "Add as a Folder of the Machine"));
    EXPECT_EQ(list->items().front()->host.folders.back(), home + "/code/a");
    const QModelIndex added = child(hostRow(), home + "/code/a");
    ASSERT_TRUE(added.isValid());
    // What was open stays open, and what was listed stays listed.
    EXPECT_TRUE(view->outline()->isExpanded(hostRow()));
    EXPECT_TRUE(view->outline()->isExpanded(code));
    EXPECT_EQ(names(code), (QStringList { "a", ".env", "b.txt" }));
    ASSERT_TRUE(trigger(added, "Remove Folder"));
    EXPECT_FALSE(child(hostRow(), home + "/code/a").isValid());
    EXPECT_EQ(list->items().front()->host.folders.size(), 3);
    EXPECT_TRUE(view->outline()->isExpanded(code));
}

TEST_F(SSHViewTest, OpenFoldersOpenAgainAfterTheNextLaunchConnects)
{
    click(hostRow());
    ASSERT_TRUE(connected());
    ASSERT_TRUE(openFolder(child(hostRow(), home)));
    click(child(hostRow(), home)); // closed again: stays closed
    ASSERT_TRUE(openFolder(child(hostRow(), home + "/code")));
    ASSERT_TRUE(openFolder(child(child(hostRow(), home + "/code"), home + "/code/a")));

    launch();
    EXPECT_EQ(model()->rowCount(hostRow()), 0);
    list->connect(list->items().front());
    ASSERT_TRUE(connected());
    const QModelIndex code = child(hostRow(), home + "/code");
    ASSERT_TRUE(waitUntil([&] { return child(code, home + "/code/a").isValid(); }, 30000));
    const QModelIndex a = child(code, home + "/code/a");
    EXPECT_TRUE(waitUntil([&] { return names(a) == QStringList { "inner.txt" }; }, 30000));
    EXPECT_TRUE(view->outline()->isExpanded(code));
    EXPECT_TRUE(view->outline()->isExpanded(a));
    EXPECT_FALSE(view->outline()->isExpanded(child(hostRow(), home)));
}

}
