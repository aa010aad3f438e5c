#include "AppFixture.h"

#include "app/FileOperationsController.h"
#include "app/PlacesController.h"

#include "command/OutputPanelView.h"
#include "navigation/ExplorerView.h"
#include "navigation/FileTreeModel.h"
#include "navigation/ExplorerOutline.h"

#include <QDateTime>
#include <QFile>
#include <QLineEdit>

using DiskChangesTest = AppFixture;

namespace {

// Another program rewrites the file; its date moves on even on a coarse clock.
void rewrite(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes);
    out.setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime);
}

bool indexHolds(const AppDelegate &a, const QString &relative)
{
    return std::any_of(a.places().fileIndex().begin(), a.places().fileIndex().end(),
                       [&](const IndexedFile &file) { return file.path == relative; });
}

bool explorerShows(AppDelegate &a, const QString &path)
{
    auto *model = static_cast<FileTreeModel *>(a.window().explorer()->outline()->model());
    return model->find(path, false).isValid();
}

constexpr int patience = 15000;

}

TEST_F(DiskChangesTest, ACleanDocumentReloadsAndADirtyOneIsMarkedWithoutTheWindowTurningActive)
{
    AppDelegate &a = launch();
    const QString clean = file("clean.txt", "old\n");
    const QString dirty = file("dirty.txt", "base\n");
    a.documents().loadDocument(clean, false, true, true);
    a.documents().loadDocument(dirty, false, true, true);
    type(a.documents()[1], "mine ");
    rewrite(clean, "theirs\n");
    rewrite(dirty, "theirs\n");
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.documents()[0]->text() == "theirs\n"; }, patience));
    EXPECT_FALSE(a.documents()[0]->isDirty);
    ASSERT_TRUE(testsupport::waitUntil([&] { return a.documents()[1]->changedOnDisk; }, patience));
    EXPECT_EQ(a.documents()[1]->text(), "mine base\n");
    EXPECT_EQ(a.window().diskNote(*a.documents()[1]), "Changed on disk — saving will ask what to do");
}

TEST_F(DiskChangesTest, TheExplorerAndGoToFileSeeFilesMadeAndRemovedElsewhere)
{
    AppDelegate &a = launch();
    file("ws/kept.txt");
    a.fileOperations().setWorkspace(dir.filePath("ws"));
    const QString made = file("ws/made.txt");
    ASSERT_TRUE(testsupport::waitUntil([&] { return explorerShows(a, made); }, patience));
    ASSERT_TRUE(testsupport::waitUntil([&] { return indexHolds(a, "made.txt"); }, patience));
    QFile::remove(made);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !explorerShows(a, made); }, patience));
    EXPECT_TRUE(testsupport::waitUntil([&] { return !indexHolds(a, "made.txt") && indexHolds(a, "kept.txt"); }, patience));
}

TEST_F(DiskChangesTest, ACommandOfTheOutputPanelRefreshesWhatNobodyWatches)
{
    AppDelegate &a = launch();
    file("ws/closed/old.txt");
    a.fileOperations().setWorkspace(dir.filePath("ws"));
    // The folder is not open in the Explorer, so only the end of the command tells.
    auto *field = a.window().outputPanel()->findChild<QLineEdit *>();
    ASSERT_NE(field, nullptr);
    field->setText("echo x > closed/new.txt");
    a.window().outputPanel()->runCommand();
    EXPECT_TRUE(testsupport::waitUntil([&] { return indexHolds(a, "closed/new.txt"); }, patience));
}
