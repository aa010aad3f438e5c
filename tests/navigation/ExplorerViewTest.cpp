#include "navigation/ExplorerView.h"
#include "TestSupport.h"
#include "navigation/ExplorerCell.h"
#include "navigation/ExplorerOutline.h"
#include "navigation/FileTreeModel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include <optional>
#include <utility>

using testsupport::makeFolder;
using testsupport::waitUntil;
using testsupport::writeFile;

namespace
{

class ExplorerViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        makeFolder(dir, "src/lib");
        writeFile(dir, "src/main.cpp", "x");
        writeFile(dir, "src/lib/util.cpp", "x");
        writeFile(dir, "a.txt", "x");
        writeFile(dir, "b.txt", "x");
        writeFile(dir, "c.txt", "x");
        view.onOpen = [this](const QString &path, bool permanent) {
            opened.append({ path, permanent });
        };
        view.resize(300, 500);
        view.setRoot(dir.path(), false, true);
        view.show();
        ASSERT_TRUE(waitUntil([this] { return view.isVisible(); }));
    }

    FileTreeModel *model() const { return static_cast<FileTreeModel *>(view.outline()->model()); }
    QModelIndex row(const QString &relative) const { return model()->find(path(relative), false); }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    QStringList topRows() const
    {
        QStringList names;
        for (int r = 0; r < model()->rowCount(); ++r)
            names.append(model()->index(r, 0).data().toString());
        return names;
    }

    void mouse(QEvent::Type type, const QModelIndex &index, Qt::MouseButton button = Qt::LeftButton,
        Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *viewport = view.outline()->viewport();
        const QPoint at = view.outline()->visualRect(index).center();
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, modifiers);
        QApplication::sendEvent(viewport, &event);
    }
    void click(const QModelIndex &index, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, index, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, index, Qt::LeftButton, modifiers);
    }
    void doubleClick(const QModelIndex &index)
    {
        click(index);
        mouse(QEvent::MouseButtonDblClick, index);
        mouse(QEvent::MouseButtonRelease, index);
    }
    void key(int code)
    {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(view.outline(), &press);
    }

    QTemporaryDir dir;
    ExplorerView view;
    QList<std::pair<QString, bool>> opened;
};

}

TEST_F(ExplorerViewTest, ShowsTheRootFoldersFirstAndReadsFoldersWhenOpened)
{
    EXPECT_EQ(topRows(), QStringList({ "src", "a.txt", "b.txt", "c.txt" }));
    const QModelIndex src = row("src");
    EXPECT_FALSE(model()->nodeAt(src)->isLoaded());

    writeFile(dir, "src/late.txt", "x");
    click(src);
    EXPECT_TRUE(view.outline()->isExpanded(src));
    EXPECT_EQ(view.expanded(), QSet<QString>({ path("src") }));
    EXPECT_TRUE(row("src/late.txt").isValid()) << "src was read only when it was opened";
    EXPECT_FALSE(model()->nodeAt(row("src/lib"))->isLoaded());

    click(src);
    EXPECT_FALSE(view.outline()->isExpanded(src));
    EXPECT_TRUE(view.expanded().isEmpty());
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(ExplorerViewTest, SameRootKeepsOpenFoldersAnotherRootStartsAfresh)
{
    int changes = 0;
    view.onChange = [&changes] { ++changes; };
    view.outline()->expand(row("src"));
    view.outline()->expand(row("src/lib"));

    view.setRoot(dir.path() + "/./", false, true);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(view.root(), QDir::cleanPath(dir.path()));
    EXPECT_EQ(view.expanded(), QSet<QString>({ path("src"), path("src/lib") }));
    EXPECT_TRUE(view.outline()->isExpanded(row("src/lib")));

    view.setRoot(path("src"), true, true);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(view.expanded().isEmpty());
    EXPECT_EQ(topRows(), QStringList({ "lib", "main.cpp" }));
    EXPECT_FALSE(view.outline()->isExpanded(row("src/lib")));
}

TEST_F(ExplorerViewTest, HeaderShowsTheFolderAndTheWayBack)
{
    int returns = 0;
    view.onReturnToWorkspace = [&returns] { ++returns; };
    struct Case {
        bool outside, workspaceExists, noteShown, backShown;
    };
    for (const Case &c : { Case { false, false, false, false }, Case { false, true, false, false },
             Case { true, false, true, false }, Case { true, true, true, true } }) {
        view.setRoot(path("src"), c.outside, c.workspaceExists);
        EXPECT_EQ(view.noteLabel()->isVisible(), c.noteShown) << c.outside << c.workspaceExists;
        EXPECT_EQ(view.backButton()->isVisible(), c.backShown) << c.outside << c.workspaceExists;
    }
    EXPECT_EQ(view.rootLabel()->text(), "src");
    EXPECT_EQ(view.rootLabel()->toolTip(), path("src"));
    view.backButton()->click();
    EXPECT_EQ(returns, 1);

    view.setRoot("/", false, true);
    EXPECT_EQ(view.rootLabel()->text(), "/");
    EXPECT_EQ(view.rootLabel()->toolTip(), "/");
}

TEST_F(ExplorerViewTest, ReloadKeepsOpenFoldersAndSelectionAndSeesChanges)
{
    ASSERT_TRUE(view.revealFile(path("src/lib/util.cpp")));
    const FileNode *lib = model()->nodeAt(row("src/lib"));

    writeFile(dir, "src/lib/added.cpp", "x");
    writeFile(dir, "new.txt", "x");
    QFile::remove(path("b.txt"));
    view.reload();

    EXPECT_EQ(topRows(), QStringList({ "src", "a.txt", "c.txt", "new.txt" }));
    EXPECT_EQ(model()->nodeAt(row("src/lib")), lib);
    EXPECT_TRUE(view.outline()->isExpanded(row("src")));
    EXPECT_TRUE(view.outline()->isExpanded(row("src/lib")));
    EXPECT_TRUE(row("src/lib/added.cpp").isValid());
    EXPECT_EQ(view.selectedPaths(), QStringList({ path("src/lib/util.cpp") }));
    EXPECT_TRUE(opened.isEmpty());

    // A folder that went away is no longer counted as open.
    QDir(path("src/lib")).removeRecursively();
    view.reload();
    EXPECT_EQ(view.expanded(), QSet<QString>({ path("src") }));
    EXPECT_TRUE(view.selectedPaths().isEmpty());

    // The list stays where it was scrolled to.
    for (int n = 0; n < 80; ++n)
        writeFile(dir, QString("many/%1.txt").arg(n), "x");
    view.outline()->expand(row("many"));
    view.reload();
    view.outline()->expand(row("many"));
    QScrollBar *scroll = view.outline()->verticalScrollBar();
    ASSERT_TRUE(waitUntil([scroll] { return scroll->maximum() > 40; }));
    scroll->setValue(40);
    view.reload();
    QCoreApplication::processEvents();
    EXPECT_EQ(scroll->value(), 40);
}

TEST_F(ExplorerViewTest, RevealSelectsWithoutOpening)
{
    ASSERT_TRUE(view.revealFile(path("src/lib/util.cpp")));
    EXPECT_TRUE(view.outline()->isExpanded(row("src")));
    EXPECT_TRUE(view.outline()->isExpanded(row("src/lib")));
    EXPECT_EQ(view.expanded(), QSet<QString>({ path("src"), path("src/lib") }));
    EXPECT_EQ(view.selectedPaths(), QStringList({ path("src/lib/util.cpp") }));
    EXPECT_EQ(view.outline()->currentIndex(), row("src/lib/util.cpp"));

    EXPECT_TRUE(view.revealFile(path("a.txt")));
    EXPECT_EQ(view.selectedPaths(), QStringList({ path("a.txt") }));
    EXPECT_TRUE(opened.isEmpty());

    // Even while a key press is being handled, the program's own selection opens nothing.
    view.onOpen = [this](const QString &path, bool permanent) {
        opened.append({ path, permanent });
        view.revealFile(this->path("c.txt"));
    };
    key(Qt::Key_Down);
    EXPECT_EQ(opened, (QList<std::pair<QString, bool>> { { path("b.txt"), false } }));
    EXPECT_EQ(view.selectedPaths(), QStringList({ path("c.txt") }));

    EXPECT_FALSE(view.revealFile(dir.path()));
    EXPECT_FALSE(view.revealFile(QDir::tempPath() + "/elsewhere.txt"));
    EXPECT_FALSE(view.revealFile(path("missing.txt")));
    EXPECT_EQ(view.selectedPaths(), QStringList({ path("c.txt") }));
}

TEST_F(ExplorerViewTest, ClicksOpenPreviewsAndDoubleClicksKeep)
{
    click(row("a.txt"));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], std::make_pair(path("a.txt"), false));

    // Shift and Ctrl clicks only select.
    click(row("c.txt"), Qt::ShiftModifier);
    click(row("src"), Qt::ControlModifier);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(view.selectedPaths(),
        QStringList({ path("src"), path("a.txt"), path("b.txt"), path("c.txt") }));

    opened.clear();
    doubleClick(row("b.txt"));
    EXPECT_EQ(opened,
        (QList<std::pair<QString, bool>> { { path("b.txt"), false }, { path("b.txt"), true } }));

    // The first click of a double click opens the folder; the second leaves it open.
    view.outline()->collapse(row("src"));
    doubleClick(row("src"));
    EXPECT_TRUE(view.outline()->isExpanded(row("src")));
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(ExplorerViewTest, ArrowKeysOpenFilesAsPreviews)
{
    click(row("a.txt"));
    opened.clear();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(opened,
        (QList<std::pair<QString, bool>> { { path("b.txt"), false }, { path("c.txt"), false } }));
    EXPECT_EQ(view.selectedPaths(), QStringList({ path("c.txt") }));

    // Onto a folder: nothing to open.
    opened.clear();
    key(Qt::Key_Home);
    EXPECT_EQ(view.selectedPaths(), QStringList({ path("src") }));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(ExplorerViewTest, DeleteKeyReportsTheSelectionInTreeOrder)
{
    QList<QStringList> deletes;
    view.onDeleteKey = [&deletes](const QStringList &paths) { deletes.append(paths); };
    key(Qt::Key_Delete);
    EXPECT_TRUE(deletes.isEmpty()) << "nothing selected";

    click(row("c.txt"));
    click(row("a.txt"), Qt::ControlModifier);
    key(Qt::Key_Delete);
    ASSERT_EQ(deletes.size(), 1);
    EXPECT_EQ(deletes[0], QStringList({ path("a.txt"), path("c.txt") }));

    // Closing a folder drops its hidden rows from the selection.
    view.revealFile(path("src/main.cpp"));
    click(row("a.txt"), Qt::ControlModifier);
    view.outline()->collapse(row("src"));
    key(Qt::Key_Backspace);
    ASSERT_EQ(deletes.size(), 2);
    EXPECT_EQ(deletes[1], QStringList({ path("a.txt") }));
}

TEST_F(ExplorerViewTest, RightClickAsksForTheRowsMenuAndKeepsTheSelection)
{
    QList<std::optional<QString>> asked;
    view.contextMenu = [&asked](const std::optional<QString> &path) -> QMenu * {
        asked.append(path);
        return nullptr;
    };
    click(row("a.txt"));
    mouse(QEvent::MouseButtonPress, row("c.txt"), Qt::RightButton);
    QWidget *viewport = view.outline()->viewport();
    const QPoint onRow = view.outline()->visualRect(row("c.txt")).center();
    QContextMenuEvent onRowEvent(QContextMenuEvent::Mouse, onRow, viewport->mapToGlobal(onRow));
    QApplication::sendEvent(viewport, &onRowEvent);
    const QPoint below(10, viewport->height() - 5);
    QContextMenuEvent belowEvent(QContextMenuEvent::Mouse, below, viewport->mapToGlobal(below));
    QApplication::sendEvent(viewport, &belowEvent);

    EXPECT_EQ(asked, (QList<std::optional<QString>> { path("c.txt"), std::nullopt }));
    EXPECT_EQ(view.selectedPaths(), QStringList({ path("a.txt") }));
}

TEST_F(ExplorerViewTest, HoverReportsTheRowUnderThePointer)
{
    QList<std::pair<std::optional<QString>, QRect>> hovers;
    view.onHover = [&hovers](const std::optional<QString> &path, const QRect &rect) {
        hovers.append({ path, rect });
    };
    QWidget *viewport = view.outline()->viewport();
    const QPoint at = view.outline()->visualRect(row("b.txt")).center();
    for (int step = 0; step < 2; ++step) {
        QMouseEvent move(QEvent::MouseMove, at + QPoint(step, 0), viewport->mapToGlobal(at),
            Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(viewport, &leave);

    ASSERT_EQ(hovers.size(), 2) << "moving within one row reports it once";
    EXPECT_EQ(hovers[0].first, path("b.txt"));
    EXPECT_TRUE(hovers[0].second.contains(viewport->mapToGlobal(at)));
    EXPECT_EQ(hovers[0].second.width(), viewport->width());
    EXPECT_EQ(hovers[1].first, std::nullopt);
}

TEST_F(ExplorerViewTest, DirtyDotsFollowTheDirtyPathsOnFilesOnly)
{
    view.outline()->expand(row("src"));
    const auto dotShown = [this](const QString &relative) {
        const QImage image = view.outline()->viewport()->grab().toImage();
        const QRect dot = ExplorerCell::dotRect(view.outline()->visualRect(row(relative)));
        const QRect empty = dot.translated(-2 * dot.width(), 0);
        return image.pixelColor(dot.center()) != image.pixelColor(empty.center());
    };
    EXPECT_EQ(view.outline()->visualRect(row("a.txt")).height(), ExplorerCell::rowHeight);
    EXPECT_FALSE(dotShown("a.txt"));

    view.setDirtyPaths({ path("a.txt"), path("src/main.cpp"), path("src") });
    EXPECT_TRUE(dotShown("a.txt"));
    EXPECT_TRUE(dotShown("src/main.cpp"));
    EXPECT_FALSE(dotShown("b.txt"));
    EXPECT_FALSE(dotShown("src")) << "folders never show a dot";

    view.setDirtyPaths({ path("src/main.cpp") });
    EXPECT_FALSE(dotShown("a.txt"));
    EXPECT_TRUE(dotShown("src/main.cpp"));
}

TEST_F(ExplorerViewTest, ALinkToAFolderOpensLikeAFolder)
{
    QTemporaryDir elsewhere;
    writeFile(elsewhere, "shared/x.txt", "x");
    ASSERT_TRUE(QFile::link(elsewhere.filePath("shared"), path("linked")));
    view.reload();
    ASSERT_TRUE(row("linked").isValid());
    EXPECT_TRUE(row("linked").data(FileTreeModel::IsDirectoryRole).toBool());
    click(row("linked"));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(view.outline()->isExpanded(row("linked")));
    EXPECT_TRUE(row("linked/x.txt").isValid());
}

TEST_F(ExplorerViewTest, ARootReachedThroughALinkFindsFilesNamedWithTheLinkResolved)
{
    const QString link = QDir(QDir::tempPath()).filePath(QFileInfo(dir.path()).fileName() + "-link");
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(dir.path(), link));
    view.setRoot(link, false, true);
    const QString resolved = QFileInfo(path("src/lib/util.cpp")).canonicalFilePath();
    ASSERT_TRUE(view.revealFile(resolved));
    EXPECT_EQ(view.selectedPaths(), QStringList { link + "/src/lib/util.cpp" });
    view.setDirtyPaths({ resolved });
    EXPECT_TRUE(view.dirtyPaths().contains(link + "/src/lib/util.cpp"));
    QFile::remove(link);
}
