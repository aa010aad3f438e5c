#include "AppFixture.h"

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
    a.goToFile();
    QStringList rows;
    if (!a.quickPick)
        return rows;
    QTest::keyClicks(a.quickPick->field(), query);
    const QAbstractItemModel *model = a.quickPick->table()->model();
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
    a.loadDocument(outside, false, true, true);
    ASSERT_EQ(a.explorer->root(), dir.filePath("elsewhere"));
    EXPECT_EQ(pickRows(a, "nearby"), QStringList({ "nearby.txt" }));
    a.dismissCard();

    a.setWorkspace(dir.filePath("ws"));
    a.loadDocument(outside, false, true, true);
    ASSERT_EQ(a.explorer->root(), dir.filePath("elsewhere"));
    EXPECT_EQ(pickRows(a, "inside"), QStringList({ "src/inside.cpp" }));
    EXPECT_TRUE(pickRows(a, "nearby").isEmpty());
}
