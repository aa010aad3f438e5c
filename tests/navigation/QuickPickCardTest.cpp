#include "navigation/QuickPickCard.h"
#include "TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace
{

QList<IndexedFile> indexed(const QStringList &relatives)
{
    QList<IndexedFile> files;
    for (const QString &relative : relatives)
        files.append(IndexedFile::make(QStringLiteral("/work/") + relative, relative));
    return files;
}

class QuickPickCardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.resize(800, 600);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    }

    void open(const QStringList &relatives, const QString &prompt = QStringLiteral("Find"))
    {
        card = new QuickPickCard(indexed(relatives), prompt);
        card->onChoose = [this](const IndexedFile &file) {
            events.append(QStringLiteral("choose ") + file.path);
        };
        card->onCancel = [this] { events.append(QStringLiteral("cancel")); };
        card->restoreFocus = [this] { events.append(QStringLiteral("focus")); };
        card->onDismiss = [this] { events.append(QStringLiteral("dismiss")); };
        card->showIn(&host);
    }

    // The rows as the user reads them: each row's whole path.
    QStringList rows() const
    {
        QStringList result;
        const QAbstractItemModel *model = card->table()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            result.append(model->index(r, 0).data(Qt::ToolTipRole).toString());
        return result;
    }
    int selectedRow() const { return card->table()->currentIndex().row(); }
    void type(const QString &text) { QTest::keyClicks(card->field(), text); }
    void key(Qt::Key key) { QTest::keyClick(card->field(), key); }
    bool closed()
    {
        // Outside a running event loop only an explicit send deletes what is due for deletion.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return card.isNull();
    }

    QWidget host;
    QPointer<QuickPickCard> card;
    QStringList events;
};

}

TEST_F(QuickPickCardTest, TypingRanksAndSelectsTheFirstRow)
{
    open({ "docs/xab", "src/ab.txt", "main.cpp" });
    EXPECT_EQ(rows(), QStringList({ "docs/xab", "src/ab.txt", "main.cpp" }));
    type("AB");
    EXPECT_EQ(rows(), QStringList({ "src/ab.txt", "docs/xab" }));
    EXPECT_EQ(selectedRow(), 0);
    const QModelIndex first = card->table()->model()->index(0, 0);
    EXPECT_EQ(first.data().toString(), "ab.txt");
    EXPECT_EQ(card->field()->placeholderText(), "Find");
    EXPECT_TRUE(card->field()->hasFocus());
}

TEST_F(QuickPickCardTest, ShowsAtMostTwoHundredRowsAndTenRowsHigh)
{
    QStringList many;
    for (int i = 0; i < 500; ++i)
        many.append(QStringLiteral("dir/file%1.txt").arg(i));
    many.append(QStringLiteral("lonely.md"));
    open(many);
    EXPECT_EQ(card->table()->model()->rowCount(), 200);
    EXPECT_EQ(card->table()->height(), 260);
    type("lonely");
    EXPECT_EQ(rows(), QStringList({ "lonely.md" }));
    EXPECT_EQ(card->table()->height(), 26);
    type("zzz");
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_TRUE(card->table()->isHidden());
    // The card sits over the host, within it, near its top.
    EXPECT_TRUE(host.rect().contains(card->geometry()));
    EXPECT_LT(card->y(), 30);
}

TEST_F(QuickPickCardTest, ArrowsMoveWithinTheRowsAndReturnChooses)
{
    open({ "a", "b", "c" });
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(selectedRow(), 2);
    key(Qt::Key_Up);
    EXPECT_EQ(selectedRow(), 1);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(selectedRow(), 0);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(events, QStringList({ "focus", "dismiss", "choose b" }));
    EXPECT_TRUE(closed());
}

// A query that fits no file says so in a line where the list would be.
TEST_F(QuickPickCardTest, ReturnWithNoRowsDoesNothingAndEscapeCancels)
{
    open({ "a" });
    EXPECT_FALSE(card->noMatchLine()->isVisibleTo(card));
    type("q");
    EXPECT_FALSE(card->table()->isVisibleTo(card));
    EXPECT_TRUE(card->noMatchLine()->isVisibleTo(card));
    EXPECT_EQ(card->noMatchLine()->text(), "No matching files");
    key(Qt::Key_Return);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_FALSE(card.isNull());
    key(Qt::Key_Escape);
    EXPECT_EQ(events, QStringList({ "focus", "dismiss", "cancel" }));
    EXPECT_TRUE(closed());
}

TEST_F(QuickPickCardTest, ClickChoosesTheRow)
{
    open({ "a", "src/b", "c" });
    QListView *table = card->table();
    const QPoint at = table->visualRect(table->model()->index(1, 0)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(events, QStringList({ "focus", "dismiss", "choose src/b" }));
    EXPECT_TRUE(closed());
}

TEST_F(QuickPickCardTest, SetFilesReplacesTheListUnderTheSameQuery)
{
    open({}, QStringLiteral("Reading…"));
    type("m");
    EXPECT_TRUE(rows().isEmpty());
    card->setFiles(indexed({ "x", "main.c", "readme" }), QStringLiteral("Go to file"));
    EXPECT_EQ(rows(), QStringList({ "main.c", "readme" }));
    EXPECT_EQ(card->field()->placeholderText(), "Go to file");
    card->setFiles(indexed({ "make" }));
    EXPECT_EQ(rows(), QStringList({ "make" }));
    EXPECT_EQ(card->field()->placeholderText(), "Go to file");
}

TEST_F(QuickPickCardTest, ServerSearchAfterAPauseAndOnlyForTheSameText)
{
    open({ "a1", "a2" });
    QList<std::pair<QString, std::function<void(QList<IndexedFile>)>>> asked;
    card->serverSearch = [&asked](const QString &query, auto done) {
        asked.append({ query, std::move(done) });
    };
    type(" ");
    type("a");
    ASSERT_TRUE(waitUntil([&asked] { return !asked.isEmpty(); }));
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].first, " a");

    type("x");
    asked[0].second(indexed({ "stale/ax" }));
    EXPECT_TRUE(rows().isEmpty());
    ASSERT_TRUE(waitUntil([&asked] { return asked.size() == 2; }));
    asked[1].second(indexed({ "deep/ax.txt", "b/a/x" }));
    EXPECT_EQ(rows(), QStringList({ "deep/ax.txt", "b/a/x" }));
}
