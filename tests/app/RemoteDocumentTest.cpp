#include "AppFixture.h"

#include "app/PlacesController.h"

#include "../remote/SshServerFixture.h"
#include "app/BlameController.h"
#include "app/RemoteController.h"
#include "app/RemoteDocumentController.h"
#include "common/Defaults.h"
#include "git/CommitListModel.h"
#include "git/DocumentBlame.h"
#include "git/GitLogView.h"
#include "navigation/QuickPickCard.h"
#include "navigation/SearchView.h"
#include "remote/RemoteHostList.h"
#include "remote/RemoteOutline.h"
#include "remote/RemoteTreeModel.h"
#include "remote/SSHView.h"
#include "remote/RemoteHostsFile.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"
#include "remote/SSHArguments.h"

#include "chrome/BlameButton.h"
#include "chrome/InlineCard.h"
#include "chrome/StatusBarView.h"
#include "command/OutputPanelView.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QTreeWidget>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

// The controller against a real ssh server on 127.0.0.1.
class RemoteDocumentTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        QString error;
        if (!server.start(&error))
            GTEST_SKIP() << "no test ssh server: " << error.toStdString();
        SSHPrograms programs;
        programs.ssh = server.sshProgram();
        setSSHProgramsForTests(programs);
        setHomeForTests(home.path());
        QString saveError;
        ASSERT_TRUE(saveHosts({ RemoteHost { "box", server.destination(), server.port(), { "~" } } }, &saveError));
    }

    void TearDown() override
    {
        app.reset();
        setSSHProgramsForTests({});
        server.stop();
        AppFixture::TearDown();
    }

    DocumentPtr openRemote(const QString &relative)
    {
        app->remoteDocuments().openRemoteFile(app->remote().hosts().items().front()->client, server.path(relative), false);
        if (!testsupport::waitUntil([&] { return !app->documents().empty() && app->documents().back()->remote; }, 30000))
            return nullptr;
        return app->documents().back();
    }

    QByteArray remoteBytes(const QString &relative) { return testsupport::readFile(server.path(relative)); }

    SshServerFixture server;
    QTemporaryDir home;
};

TEST_F(RemoteDocumentTest, OpensEditsAndSavesBack)
{
    server.writeFile("notes.txt", "hello\n");
    AppDelegate &a = launch();
    ASSERT_EQ(a.remote().hosts().items().size(), 1u);
    const DocumentPtr document = openRemote("notes.txt");
    ASSERT_TRUE(document);
    EXPECT_EQ(document->textView->buffer()->text(), "hello\n");
    EXPECT_EQ(document->remote->path, server.path("notes.txt"));
    type(document, "edited ");
    bool saved = false;
    a.documents().saveFile(document, false, [&](bool ok) { saved = ok; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return saved; }, 30000));
    EXPECT_EQ(remoteBytes("notes.txt"), "edited hello\n");
    EXPECT_FALSE(document->isDirty);
    // The local copy holds the same bytes.
    EXPECT_EQ(testsupport::readFile(document->path()), "edited hello\n");
}

TEST_F(RemoteDocumentTest, AFileChangedOnTheMachineAsksBeforeOverwriting)
{
    server.writeFile("shared.txt", "base\n");
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("shared.txt");
    ASSERT_TRUE(document);
    type(document, "mine ");
    server.writeFile("shared.txt", "theirs\n");
    QFile touched(server.path("shared.txt"));
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    touched.setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime);
    touched.close();
    std::optional<bool> result;
    a.documents().saveFile(document, false, [&](bool ok) { result = ok; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(a.window().card()); }, 30000));
    EXPECT_EQ(cardTexts().value(0), "shared.txt changed on the machine");
    EXPECT_EQ(remoteBytes("shared.txt"), "theirs\n");
    ASSERT_TRUE(pressCardButton("Overwrite"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return result.value_or(false); }, 30000));
    EXPECT_EQ(remoteBytes("shared.txt"), "mine base\n");
}

TEST_F(RemoteDocumentTest, RemoteDocumentsComeBackAfterARestart)
{
    server.writeFile("kept.txt", "kept\n");
    {
        AppDelegate &a = launch();
        ASSERT_TRUE(openRemote("kept.txt"));
        a.willTerminate();
    }
    app.reset();
    AppDelegate &a = launch();
    ASSERT_EQ(a.documents().size(), 1u);
    ASSERT_TRUE(a.documents()[0]->remote.has_value());
    EXPECT_EQ(a.documents()[0]->remote->path, server.path("kept.txt"));
    EXPECT_EQ(a.documents()[0]->textView->buffer()->text(), "kept\n");
}

TEST_F(RemoteDocumentTest, AMachineNoLongerSavedRefusesTheSave)
{
    server.writeFile("gone.txt", "x\n");
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("gone.txt");
    ASSERT_TRUE(document);
    type(document, "y");
    // A save already on its way still ends and reports truly how it went: removing the machine
    // closes its connection, which may cut the upload off.
    std::optional<bool> inFlight;
    a.documents().saveFile(document, false, [&](bool ok) { inFlight = ok; });
    a.remote().hosts().remove(a.remote().hosts().items().front());
    ASSERT_TRUE(testsupport::waitUntil([&] { return inFlight.has_value(); }, 30000));
    EXPECT_EQ(remoteBytes("gone.txt"), *inFlight ? "yx\n" : "x\n");
    EXPECT_EQ(document->isDirty, !*inFlight);

    type(document, "z");
    EXPECT_FALSE(a.documents().saveFile(document, false));
    EXPECT_TRUE(document->isDirty);
    EXPECT_EQ(a.window().statusText().value_or(""), "That machine isn't in the Remote pane any more. Add it there to save.");
    EXPECT_TRUE(loadHosts().isEmpty());
}

TEST_F(RemoteDocumentTest, AReadOnlyFileKeepsTheTabUnsaved)
{
    const QString path = server.writeFile("locked.txt", "keep\n");
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("locked.txt");
    ASSERT_TRUE(document);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    type(document, "mine ");
    std::optional<bool> result;
    a.documents().saveFile(document, false, [&](bool ok) { result = ok; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return result.has_value(); }, 30000));
    EXPECT_FALSE(*result);
    EXPECT_TRUE(document->isDirty);
    EXPECT_EQ(a.window().statusText().value_or(""),
              "No permission to write locked.txt as " + server.destination() + ". The tab stays unsaved.");
    EXPECT_EQ(remoteBytes("locked.txt"), "keep\n");
}

TEST_F(RemoteDocumentTest, TheIndicatorFollowsTheConnectionAndAClickConnects)
{
    server.writeFile("shown.txt", "x\n");
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("shown.txt");
    ASSERT_TRUE(document);
    // The file is in no repository: its blame over ssh ends failed, and no run is left to open a
    // new connection after the one closed below.
    ASSERT_TRUE(testsupport::waitUntil([&] { return document->blame->hasFailed(); }, 30000));
    const auto indicator = [&] { return a.window().statusBar()->remoteItem()->text(); };
    EXPECT_TRUE(testsupport::waitUntil([&] { return indicator() == "127.0.0.1 — connected"; }, 10000)) << indicator().toStdString();

    const HostItemPtr item = a.remote().hosts().items().front();
    item->client->disconnect();
    ASSERT_TRUE(testsupport::waitUntil([&] { return server.connectionCount() == 0; }, 10000));
    a.remote().hosts().checkLiveness(hostID(item->host), true);
    EXPECT_TRUE(testsupport::waitUntil(
        [&] { return indicator() == "127.0.0.1 — not connected. Click to connect; saving does it too."; }, 10000))
        << indicator().toStdString();

    a.window().statusBar()->remoteItem()->click();
    EXPECT_TRUE(testsupport::waitUntil([&] { return indicator() == "127.0.0.1 — connected"; }, 30000))
        << indicator().toStdString();
    EXPECT_EQ(item->state, HostItem::State::connected);
}

// The saved connections' menu, as the user walks it: the first host's submenu, then an action.
class ConnectionsMenuTest : public RemoteDocumentTest {
protected:
    void choose(const QString &action)
    {
        QMenu menu;
        app->remote().fillConnectionsMenu(&menu);
        QMenu *host = menu.actions().front()->menu();
        ASSERT_TRUE(host);
        for (QAction *item : host->actions())
            if (item->text() == action) {
                item->trigger();
                return;
            }
        FAIL() << "no " << action.toStdString();
    }

    void answerCard(const QString &text, const QString &button)
    {
        ASSERT_TRUE(app->window().card());
        app->window().card()->field()->setText(text);
        ASSERT_TRUE(pressCardButton(button));
    }
};

TEST_F(ConnectionsMenuTest, EditingMovesTheOpenDocumentsToTheNewPlace)
{
    server.writeFile("moved.txt", "x\n");
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("moved.txt");
    ASSERT_TRUE(document);
    const QString otherPlace = server.destination() + ':' + QString::number(server.secondPort());

    choose("Edit Connection…");
    answerCard("-bad", "Save");
    EXPECT_TRUE(a.window().card()); // refused: the card stays with the reason
    answerCard(otherPlace + "/srv", "Save");
    EXPECT_FALSE(a.window().card());
    EXPECT_EQ(a.window().statusText().value_or(""), "Changed box. It connects the next time it is used.");
    const QString newID = otherPlace;
    EXPECT_EQ(document->remote->hostID, newID);
    const QStringList stored = Defaults::dictionary(Defaults::RemoteFiles).value(document->path()).toStringList();
    EXPECT_EQ(stored.value(0), newID);
    const QList<RemoteHost> saved = loadHosts();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0].port, server.secondPort());
    EXPECT_EQ(saved[0].folders, (QStringList { "~", "/srv" }));

    // The document still saves, now through the second port.
    type(document, "y");
    bool saved2 = false;
    a.documents().saveFile(document, false, [&](bool ok) { saved2 = ok; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return saved2; }, 30000));
    EXPECT_EQ(remoteBytes("moved.txt"), "yx\n");
}

TEST_F(ConnectionsMenuTest, RenamingAndAddingAFolderChangeOnlyTheList)
{
    AppDelegate &a = launch();
    choose("Rename…");
    answerCard("  ", "Rename");
    // The reason goes under the field; the card's own words stay.
    EXPECT_TRUE(cardTexts().contains("A name can't be empty."));
    EXPECT_TRUE(cardTexts().contains("Only the name in this list. Where it is stays as it was."));
    answerCard(" Build box ", "Rename");
    EXPECT_EQ(a.window().statusText().value_or(""), "Renamed to Build box");

    QDir(server.home()).mkdir("code");
    server.giveToUser(server.path("code"));
    choose("Add Folder…");
    answerCard("code", "Add");
    const HostItemPtr item = a.remote().hosts().items().front();
    ASSERT_TRUE(testsupport::waitUntil([&] { return item->state == HostItem::State::connected; }, 30000));
    const QList<RemoteHost> saved = loadHosts();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0].name, "Build box");
    EXPECT_EQ(saved[0].folders, (QStringList { "~", "~/code" }));
    EXPECT_EQ(a.window().statusText().value_or(""), "Connected to 127.0.0.1");
    ASSERT_EQ(item->roots.size(), 2);
    EXPECT_TRUE(item->roots[1].found);
}

TEST_F(RemoteDocumentTest, BlameOfACommittedFileComesFromTheMachine)
{
    if (!QFileInfo(QStringLiteral("/usr/bin/git")).isExecutable())
        GTEST_SKIP() << "git is not installed";
    AppDelegate &a = launch();
    // The repository belongs to the account, as on a real server.
    std::optional<SSHResult> made;
    a.remote().hosts().items().front()->client->run(
        "mkdir proj && cd proj && git init -q && printf 'first = 1\\nsecond = 2\\n' > tool.py && git add tool.py"
        " && git -c user.name='Ada Lovelace' -c user.email=ada@example.org commit -q -m 'Add the tool'",
        std::nullopt, 4096, [&](const SSHResult &result) { made = result; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return made.has_value(); }, 30000));
    ASSERT_EQ(made->status, 0) << made->stderr.toStdString();

    const DocumentPtr document = openRemote("proj/tool.py");
    ASSERT_TRUE(document);
    const auto shownBlame = [&] {
        return a.window().statusBar()->blameItem()->isVisibleTo(a.window().statusBar()) ? a.window().statusBar()->blameItem()->text() : QString();
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return !shownBlame().isEmpty(); }, 30000));
    EXPECT_EQ(shownBlame(), "now Ada Lov…");
    ASSERT_TRUE(document->textView->annotation.has_value());
    EXPECT_EQ(document->textView->annotation->text, "now Ada Lov… Add the tool");
}

// The Remote pane in the window, clicked as the user would.
TEST_F(RemoteDocumentTest, TheRemotePaneOpensAFileOfTheMachine)
{
    server.writeFile("site/index.html", "<p>hi</p>\n");
    AppDelegate &a = launch();
    a.window().showPane("ssh");
    ASSERT_TRUE(a.remote().pane()->isVisible());
    RemoteTreeModel *model = a.remote().pane()->model();
    RemoteOutline *outline = a.remote().pane()->outline();
    const auto click = [&](const QModelIndex &row) {
        outline->scrollTo(row);
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, outline->visualRect(row).center());
    };
    const auto childNamed = [&](const QModelIndex &parent, const QString &name) {
        for (int i = 0; i < model->rowCount(parent); ++i)
            if (model->index(i, 0, parent).data().toString().endsWith(name))
                return model->index(i, 0, parent);
        return QModelIndex();
    };
    const QModelIndex host = model->index(0, 0);
    click(host);
    ASSERT_TRUE(testsupport::waitUntil([&] { return model->rowCount(host) == 1; }, 30000));
    const QModelIndex home = model->index(0, 0, host);
    outline->expand(home);
    ASSERT_TRUE(testsupport::waitUntil([&] { return childNamed(home, "site").isValid(); }, 30000));
    const QModelIndex site = childNamed(home, "site");
    outline->expand(site);
    ASSERT_TRUE(testsupport::waitUntil([&] { return childNamed(site, "index.html").isValid(); }, 30000));
    click(childNamed(site, "index.html"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.documents().empty() && a.documents().back()->remote; }, 30000));
    const DocumentPtr document = a.documents().back();
    EXPECT_TRUE(document->isPreview);
    EXPECT_EQ(document->remote->path, QDir(server.home()).canonicalPath() + "/site/index.html");
    EXPECT_EQ(document->textView->buffer()->text(), "<p>hi</p>\n");
    EXPECT_EQ(a.tabs().relativePath(*document), "site/index.html"); // under the machine's home folder

    // Removing the machine from its menu empties the pane and the saved list.
    QMenu menu;
    a.remote().fillHostMenu(&menu, a.remote().hosts().items().front());
    for (QAction *action : menu.actions())
        if (action->text() == "Remove")
            action->trigger();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_FALSE(a.remote().pane()->notice()->isHidden());
    EXPECT_TRUE(loadHosts().isEmpty());
}

TEST_F(RemoteDocumentTest, CommandsRunInTheRemoteFilesFolderOnItsMachine)
{
    server.writeFile("work/notes.txt", "x\n");
    AppDelegate &a = launch();
    ASSERT_TRUE(openRemote("work/notes.txt"));
    const QString folder = server.path("work");
    auto *label = a.window().outputPanel()->findChild<QLabel *>(QStringLiteral("folderLabel"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), server.destination() + ':' + folder);
    a.window().outputPanel()->findChild<QLineEdit *>(QStringLiteral("commandField"))->setText("pwd; id -un");
    a.window().outputPanel()->runCommand();
    auto *output = a.window().outputPanel()->findChild<QPlainTextEdit *>(QStringLiteral("output"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.window().outputPanel()->isRunning(); }, 30000));
    EXPECT_TRUE(testsupport::waitUntil(
        [&] { return output->toPlainText().contains(QDir(folder).canonicalPath() + "\n" + server.user() + "\n"); }, 10000))
        << output->toPlainText().toStdString();
}

TEST_F(RemoteDocumentTest, GoToFileListsTheFilesOfTheRemoteFilesPlace)
{
    server.writeFile("proj/a.txt", "a\n");
    server.writeFile("proj/src/deep.txt", "deep\n");
    AppDelegate &a = launch();
    PlacesController &places = a.places();
    ASSERT_TRUE(openRemote("proj/a.txt"));
    places.goToFile();
    ASSERT_TRUE(places.picker());
    EXPECT_EQ(places.picker()->field()->placeholderText(), "Reading the files of 127.0.0.1…");
    // No repository: the machine's folder that holds the file, its home here.
    const QString home = QDir(server.home()).canonicalPath().section('/', -1);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return places.picker() && places.picker()->field()->placeholderText() == "Go to file in 127.0.0.1:" + home; },
        30000));
    EXPECT_EQ(places.picker()->table()->model()->rowCount(), 2);
    QTest::keyClicks(places.picker()->field(), "deep");
    QTest::keyClick(places.picker()->field(), Qt::Key_Return);
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.documents().size() == 2 && a.documents().back()->remote; }, 30000));
    EXPECT_EQ(a.documents().back()->remote->path, server.path("proj/src/deep.txt"));
    EXPECT_EQ(places.knownRemoteListings(), 1);
}

TEST_F(RemoteDocumentTest, SearchInFilesRunsOnTheMachineAndOpensItsHits)
{
    server.writeFile("proj/a.txt", "x\n");
    server.writeFile("proj/lib/b.txt", "one\ntwo needle\n");
    AppDelegate &a = launch();
    ASSERT_TRUE(openRemote("proj/a.txt"));
    a.window().showPane("search");
    QTest::keyClicks(a.window().searchView()->field(), "needle");
    QTest::keyClick(a.window().searchView()->field(), Qt::Key_Return);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.window().searchView()->isSearching(); }, 30000));
    QTreeWidget *tree = a.window().searchView()->outline();
    ASSERT_EQ(tree->topLevelItemCount(), 1) << a.window().searchView()->summaryLabel()->text().toStdString();
    QTreeWidgetItem *file = tree->topLevelItem(0);
    EXPECT_EQ(file->text(0), "lib/b.txt");
    tree->scrollToItem(file->child(0));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(file->child(0)).center());
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.documents().size() == 2 && a.documents().back()->remote; }, 30000));
    const DocumentPtr opened = a.documents().back();
    EXPECT_EQ(opened->remote->path, server.path("proj/lib/b.txt"));
    EXPECT_EQ(opened->textView->caretLine(), 1); // the hit's line
}

// A remote file in a repository under the machine's home folder, which is its saved folder.
class RemotePlaceTest : public RemoteDocumentTest {
protected:
    bool makeRepository(AppDelegate &a)
    {
        if (!QFileInfo(QStringLiteral("/usr/bin/git")).isExecutable())
            return false;
        std::optional<SSHResult> made;
        a.remote().hosts().items().front()->client->run(
            "mkdir -p proj/src notes && cd proj && git init -q && echo a > src/a.txt && echo b > b.txt && git add ."
            " && git -c user.name=Ada -c user.email=ada@example.org commit -q -m 'First' && echo n > ../notes/n.txt",
            std::nullopt, 4096, [&](const SSHResult &result) { made = result; });
        return testsupport::waitUntil([&] { return made.has_value(); }, 30000) && made->status == 0;
    }
};

TEST_F(RemotePlaceTest, GoToFileListsTheRepositoryWhetherOrNotThePaneIsConnected)
{
    AppDelegate &a = launch();
    PlacesController &places = a.places();
    if (!makeRepository(a))
        GTEST_SKIP() << "no git on the test machine";
    ASSERT_TRUE(openRemote("proj/src/a.txt"));
    // Not connected in the pane: the repository, not the file's own folder.
    ASSERT_EQ(a.remote().hosts().items().front()->state, HostItem::State::idle);
    ASSERT_TRUE(places.picker() == nullptr);
    places.goToFile();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return places.picker() && places.picker()->field()->placeholderText() == "Go to file in 127.0.0.1:proj"; },
        30000));
    EXPECT_EQ(places.picker()->table()->model()->rowCount(), 2); // b.txt and src/a.txt
    places.picker()->dismiss(false);
    QApplication::processEvents();

    // Connected, with the home folder as the machine's folder: still the repository.
    a.remote().connectHost(a.remote().hosts().items().front());
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return a.remote().hosts().items().front()->state == HostItem::State::connected; }, 30000));
    places.forgetRemoteListings();
    places.goToFile();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return places.picker() && places.picker()->field()->placeholderText() == "Go to file in 127.0.0.1:proj"; },
        30000));
    EXPECT_EQ(places.picker()->table()->model()->rowCount(), 2);
    ASSERT_TRUE(places.searchPlace());
    EXPECT_EQ(places.searchPlace()->folder, QDir(server.path("proj")).canonicalPath());
}

// A file back from the last session uses its own folder, and says so, until its machine
// answers; once connected it takes the same place as go to file: here its repository.
TEST_F(RemotePlaceTest, ARestoredFileTakesItsPlaceOnceItsMachineIsConnected)
{
    {
        AppDelegate &a = launch();
        if (!makeRepository(a))
            GTEST_SKIP() << "no git on the test machine";
        ASSERT_TRUE(openRemote("proj/src/a.txt"));
        a.willTerminate();
    }
    app.reset();
    ASSERT_TRUE(testsupport::waitUntil([&] { return server.connectionCount() == 0; }, 30000));
    AppDelegate &a = launch();
    PlacesController &places = a.places();
    ASSERT_EQ(a.documents().size(), 1u);
    ASSERT_TRUE(a.documents()[0]->remote);
    a.window().showPane("search");
    ASSERT_TRUE(places.searchPlace());
    EXPECT_EQ(places.searchPlace()->folder, server.path("proj/src"));
    EXPECT_EQ(places.searchPlace()->label, "127.0.0.1:src · own folder");

    const HostItemPtr item = a.remote().hosts().items().front();
    a.remote().connectHost(item);
    const QString repository = QDir(server.path("proj")).canonicalPath();
    EXPECT_TRUE(testsupport::waitUntil([&] { return places.searchPlace()->folder == repository; }, 30000))
        << places.searchPlace()->folder.toStdString();
    EXPECT_EQ(places.searchPlace()->label, "127.0.0.1:proj");
    EXPECT_EQ(a.window().searchView()->scopeLabel()->text(), "127.0.0.1:proj");
}

TEST_F(RemotePlaceTest, AFileOutsideARepositoryUsesTheSavedFolderThatHoldsIt)
{
    AppDelegate &a = launch();
    PlacesController &places = a.places();
    if (!makeRepository(a))
        GTEST_SKIP() << "no git on the test machine";
    ASSERT_TRUE(openRemote("notes/n.txt"));
    places.goToFile();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return places.picker() && places.picker()->field()->placeholderText().startsWith("Go to file in"); }, 30000));
    EXPECT_EQ(places.picker()->field()->placeholderText(),
              "Go to file in 127.0.0.1:" + QDir(server.home()).canonicalPath().section('/', -1));
}

TEST_F(RemotePlaceTest, TheGitLogFindsTheRepositoryOfTheRemoteFileWhileConnected)
{
    AppDelegate &a = launch();
    if (!makeRepository(a))
        GTEST_SKIP() << "no git on the test machine";
    const HostItemPtr item = a.remote().hosts().items().front();
    a.remote().connectHost(item);
    ASSERT_TRUE(testsupport::waitUntil([&] { return item->state == HostItem::State::connected; }, 30000));
    ASSERT_TRUE(openRemote("proj/src/a.txt"));
    a.window().showPane("git");
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.window().gitLog()->header()->text().contains("proj"); }, 30000))
        << a.window().gitLog()->notice()->text().toStdString();
    EXPECT_EQ(a.window().gitLog()->model()->rowCount(), 1);
}

// The output panel's label says where a command runs, and a command runs where it says.
TEST_F(RemoteDocumentTest, TheCommandLabelFollowsTheMachinesRemoval)
{
    server.writeFile("work/notes.txt", "x\n");
    AppDelegate &a = launch();
    ASSERT_TRUE(openRemote("work/notes.txt"));
    auto *label = a.window().outputPanel()->findChild<QLabel *>(QStringLiteral("folderLabel"));
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->text().startsWith(server.destination() + ':'));
    QMenu menu;
    a.remote().fillHostMenu(&menu, a.remote().hosts().items().front());
    for (QAction *action : menu.actions())
        if (action->text() == "Remove")
            action->trigger();
    EXPECT_FALSE(label->text().contains(server.destination())) << label->text().toStdString();
    // Run locally: the label names this machine's folder, and that is where the command ran.
    a.window().outputPanel()->findChild<QLineEdit *>(QStringLiteral("commandField"))->setText("pwd");
    a.window().outputPanel()->runCommand();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.window().outputPanel()->isRunning(); }, 30000));
    auto *output = a.window().outputPanel()->findChild<QPlainTextEdit *>(QStringLiteral("output"));
    QString shown = label->text();
    if (shown.startsWith('~'))
        shown = QDir::homePath() + shown.mid(1);
    EXPECT_TRUE(testsupport::waitUntil([&] { return output->toPlainText().contains(shown + "\n"); }, 10000))
        << output->toPlainText().toStdString() << " / " << shown.toStdString();
}

// Stopping a command on the machine ends it there, with what it started.
TEST_F(RemoteDocumentTest, StopEndsTheRemoteCommandAndItsChildrenOnTheMachine)
{
    server.writeFile("work/notes.txt", "x\n");
    AppDelegate &a = launch();
    ASSERT_TRUE(openRemote("work/notes.txt"));
    const auto client = a.remote().hosts().items().front()->client;
    const auto sleepers = [&] {
        std::optional<SSHResult> listed;
        client->run("ps -A -o args= | grep -c '^sleep 4321'", std::nullopt, 4096,
                    [&](const SSHResult &result) { listed = result; });
        testsupport::waitUntil([&] { return listed.has_value(); }, 30000);
        return listed ? listed->stdout.trimmed().toInt() : -1;
    };
    a.window().outputPanel()->findChild<QLineEdit *>(QStringLiteral("commandField"))->setText("sleep 4321 & sleep 4321; echo never");
    a.window().outputPanel()->runCommand();
    ASSERT_TRUE(testsupport::waitUntil([&] { return sleepers() == 2; }, 30000));
    a.window().outputPanel()->stopCommand();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.window().outputPanel()->isRunning(); }, 30000));
    EXPECT_TRUE(testsupport::waitUntil([&] { return sleepers() == 0; }, 30000)) << sleepers();
    auto *output = a.window().outputPanel()->findChild<QPlainTextEdit *>(QStringLiteral("output"));
    EXPECT_TRUE(output->toPlainText().contains("stopped after")) << output->toPlainText().toStdString();
    EXPECT_FALSE(output->toPlainText().contains("\nnever\n")) << output->toPlainText().toStdString();
}

// The Remote pane: a double click keeps the tab the first click previewed.
TEST_F(RemoteDocumentTest, ADoubleClickKeepsTheTab)
{
    server.writeFile("kept.txt", "k\n");
    AppDelegate &a = launch();
    const auto client = a.remote().hosts().items().front()->client;
    const QString path = QDir(server.home()).canonicalPath() + "/kept.txt";
    a.remoteDocuments().openRemoteFile(client, path, true); // the click
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.documents().empty() && a.documents().back()->remote; }, 30000));
    EXPECT_TRUE(a.documents().back()->isPreview);
    a.remoteDocuments().openRemoteFile(client, path, false); // the double click
    EXPECT_FALSE(a.documents().back()->isPreview);
    EXPECT_EQ(a.documents().size(), 1u);
}

TEST_F(RemoteDocumentTest, OpenFileFromTheHostMenuSelectsNothingOfTheName)
{
    AppDelegate &a = launch();
    a.remoteDocuments().openRemoteFilePrompt(a.remote().hosts().items().front());
    ASSERT_TRUE(a.window().card() && a.window().card()->field());
    QApplication::processEvents();
    EXPECT_EQ(a.window().card()->field()->text(), "box:~/");
    EXPECT_FALSE(a.window().card()->field()->hasSelectedText()) << a.window().card()->field()->selectedText().toStdString();
    EXPECT_EQ(a.window().card()->field()->cursorPosition(), 6);
}

// A list cut at its limit says so under the field, where the words fit.
TEST_F(RemoteDocumentTest, TheCutListPromptFitsInTheField)
{
    server.writeFile("proj/a.txt", "a\n");
    AppDelegate &a = launch();
    PlacesController &places = a.places();
    ASSERT_TRUE(openRemote("proj/a.txt"));
    places.goToFile();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return places.picker() && places.picker()->field()->placeholderText().startsWith("Go to file in"); }, 30000));
    RemoteFileList list;
    list.truncated = true;
    places.fillRemotePicker(places.picker(), list, "127.0.0.1:proj", a.remote().hosts().items().front()->client, "/p");
    QLineEdit *field = places.picker()->field();
    const int room = field->width() - 12;
    EXPECT_LE(field->fontMetrics().horizontalAdvance(field->placeholderText()), room) << field->placeholderText().toStdString();
    EXPECT_EQ(places.picker()->note(), "The first 50,000 are listed; typing searches them all");
}

// A save that waits on a machine keeps saying so past the five seconds of an ordinary note;
// the save's own end replaces it.
TEST_F(RemoteDocumentTest, TheSavingNoteStaysUntilTheSaveEnds)
{
    AppDelegate &a = launch();
    a.window().showLastingNote("Saving to box…");
    testsupport::waitUntil([] { return false; }, 6000);
    EXPECT_EQ(a.window().statusText().value_or(QString()), "Saving to box…");
    a.window().showNote("Saved to box");
    EXPECT_EQ(a.window().statusText().value_or(QString()), "Saved to box");
    EXPECT_TRUE(testsupport::waitUntil([&] { return !a.window().statusText(); }, 10000));
}

// Ctrl+S, typing, Ctrl+S while the first upload runs: the second save waits for the first and
// compares with the time it left, so no "changed on the machine" card comes up.
TEST_F(RemoteDocumentTest, ASecondSaveDuringTheFirstWaitsAndSeesNoConflict)
{
    const QString path = server.writeFile("quick.txt", QByteArray(4'000'000, 'a') + "\n");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    old.setFileTime(QDateTime::currentDateTime().addSecs(-100), QFileDevice::FileModificationTime);
    old.close();
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("quick.txt");
    ASSERT_TRUE(document);
    type(document, "1");
    std::optional<bool> first;
    std::optional<bool> second;
    a.documents().saveFile(document, false, [&](bool ok) { first = ok; });
    type(document, "2");
    a.documents().saveFile(document, false, [&](bool ok) { second = ok; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return first && second; }, 60000));
    EXPECT_TRUE(*first);
    EXPECT_TRUE(*second);
    EXPECT_FALSE(a.window().card());
    EXPECT_TRUE(remoteBytes("quick.txt").startsWith("12a"));
    EXPECT_FALSE(document->isDirty);
}

// What is not a readable regular file opens no tab and says why; a login shell that runs
// nothing fails the open and leaves an edited tab unsaved.
TEST_F(RemoteDocumentTest, NothingOpensOrSavesWithoutTheMachinesWord)
{
    server.writeFile("folder/inside.txt", "x\n");
    server.writeFile("kept.txt", "kept\n");
    ASSERT_TRUE(server.setLoginShell("/bin/bash"));
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("kept.txt");
    ASSERT_TRUE(document);
    a.remoteDocuments().openRemoteFile(a.remote().hosts().items().front()->client, server.path("folder"), false);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return a.window().statusText().value_or("") == "Couldn't read folder: This is a folder, not a file"; }, 30000))
        << a.window().statusText().value_or("").toStdString();
    EXPECT_EQ(a.documents().size(), 1u);

    // The shell is chosen when a connection logs in: a new one takes the silent shell.
    ASSERT_TRUE(server.setLoginShell(server.silentShell()));
    server.cutConnections();
    const QStringList check = controlArguments(server.destination(), server.port(), controlDirectory(), "check");
    ASSERT_TRUE(testsupport::waitUntil([&] { return runSSH(check, std::nullopt, 4096).status != 0; }, 30000));
    type(document, "mine ");
    std::optional<bool> saved;
    a.documents().saveFile(document, false, [&](bool ok) { saved = ok; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return saved.has_value(); }, 30000));
    EXPECT_FALSE(*saved);
    EXPECT_TRUE(document->isDirty);
    // The reason is ssh's own line when it wrote one (a stale control socket, for instance).
    EXPECT_TRUE(a.window().statusText().value_or("").startsWith("Couldn't save: ")) << a.window().statusText().value_or("").toStdString();
    EXPECT_EQ(remoteBytes("kept.txt"), "kept\n");
}

// A shell that runs nothing finds no place and lists no files: go to file says so, and the
// machine is not taken for one that answered.
TEST_F(RemoteDocumentTest, GoToFileUnderAShellThatRunsNothingSaysSo)
{
    server.writeFile("proj/kept.txt", "kept\n");
    AppDelegate &a = launch();
    PlacesController &places = a.places();
    ASSERT_TRUE(openRemote("proj/kept.txt"));
    ASSERT_TRUE(server.setLoginShell(server.silentShell()));
    const HostItemPtr item = a.remote().hosts().items().front();
    item->client->disconnect();
    ASSERT_TRUE(testsupport::waitUntil([&] { return server.connectionCount() == 0; }, 30000));
    a.remote().hosts().checkLiveness(hostID(item->host), true);
    ASSERT_TRUE(testsupport::waitUntil([&] { return item->alive == false; }, 30000));
    places.forgetRemotePlaces();
    places.goToFile();
    const QString note = "Couldn't list the files of 127.0.0.1:proj · own folder: "
                         "the machine's shell ran nothing (status 0, no answer)";
    EXPECT_TRUE(testsupport::waitUntil([&] { return a.window().statusText().value_or("") == note; }, 30000))
        << a.window().statusText().value_or("").toStdString();
    EXPECT_EQ(places.knownRemotePlaces(), 0);
    EXPECT_NE(item->alive, true);
}

// Blame that git refuses (a file in no repository) stays quiet; blame the machine never
// answered says why.
TEST_F(RemoteDocumentTest, BlameWithoutTheMachinesWordSaysWhy)
{
    server.writeFile("kept.txt", "kept\n");
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("kept.txt");
    ASSERT_TRUE(document);
    ASSERT_TRUE(testsupport::waitUntil([&] { return document->blame->hasFailed(); }, 30000));
    QApplication::processEvents();
    EXPECT_FALSE(a.window().statusText().value_or("").startsWith("Couldn't blame")) << a.window().statusText().value_or("").toStdString();

    ASSERT_TRUE(server.setLoginShell(server.silentShell()));
    a.remote().hosts().items().front()->client->disconnect();
    ASSERT_TRUE(testsupport::waitUntil([&] { return server.connectionCount() == 0; }, 30000));
    document->blame->reset();
    a.blame().updateCaretBlame();
    EXPECT_TRUE(testsupport::waitUntil(
        [&] {
            return a.window().statusText().value_or("")
                   == "Couldn't blame kept.txt: the machine's shell ran nothing (status 0, no answer)";
        },
        30000))
        << a.window().statusText().value_or("").toStdString();
    EXPECT_TRUE(document->blame->hasFailed());
}
