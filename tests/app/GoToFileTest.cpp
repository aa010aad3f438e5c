#include "AppFixture.h"

#include "app/FileOperationsController.h"
#include "app/PlacesController.h"

#include "navigation/ExplorerView.h"
#include "navigation/QuickPickCard.h"

#include <QLineEdit>
#include <QListView>
#include <QTest>

using GoToFileTest = AppFixture;

namespace {

// The rows of the open go-to-file card after typing the query, as whole paths.
QStringList pickRows(AppDelegate &a, const QString &query)
{
    PlacesController &places = a.places();
    places.goToFile();
    QStringList rows;
    if (!places.picker())
        return rows;
    QTest::keyClicks(places.picker()->field(), query);
    const QAbstractItemModel *model = places.picker()->table()->model();
    for (int r = 0; r < model->rowCount(); ++r)
        rows << model->index(r, 0).data(Qt::ToolTipRole).toString();
    return rows;
}

}

// Go to file looks where search and the git log look: the workspace, even after the Explorer
// moved to the folder of a file outside it. Without a workspace it uses the Explorer's folder.
TEST_F(GoToFileTest, ListsTheWorkspaceWhereverTheExplorerIs)
{
    file("ws/src/inside.cpp");
    file("elsewhere/nearby.txt");
    const QString outside = file("elsewhere/outside.txt");
    AppDelegate &a = launch();
    a.documents().loadDocument(outside, false, true, true);
    ASSERT_EQ(a.window().explorer()->root(), dir.filePath("elsewhere"));
    EXPECT_EQ(pickRows(a, "nearby"), QStringList({ "nearby.txt" }));
    a.window().dismissCard();

    a.fileOperations().setWorkspace(dir.filePath("ws"));
    a.documents().loadDocument(outside, false, true, true);
    ASSERT_EQ(a.window().explorer()->root(), dir.filePath("elsewhere"));
    EXPECT_EQ(pickRows(a, "inside"), QStringList({ "src/inside.cpp" }));
    EXPECT_TRUE(pickRows(a, "nearby").isEmpty());
}

// One card over the editor at a time: the go-to-file card and the others push each other out.
TEST_F(GoToFileTest, TakesTurnsWithTheOtherCards)
{
    AppDelegate &a = launch();
    PlacesController &places = a.places();
    places.goToFile();
    EXPECT_FALSE(places.picker());
    EXPECT_EQ(a.window().statusText().value_or(""), "Open a folder or file first (Ctrl+O)");

    file("ws/kept.txt");
    a.fileOperations().setWorkspace(dir.filePath("ws"));
    places.goToFile();
    ASSERT_TRUE(places.picker());
    a.fileOperations().newItem(false);
    EXPECT_TRUE(a.window().card());
    EXPECT_FALSE(places.picker());

    places.goToFile();
    EXPECT_TRUE(places.picker());
    EXPECT_FALSE(a.window().card());
    a.window().dismissCard();
    EXPECT_FALSE(places.picker());
}
