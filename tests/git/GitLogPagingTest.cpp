#include "git/GitLogPaging.h"
#include "git/CommitListModel.h"
#include "git/GitLogTexts.h"

#include "FakeSsh.h"
#include "TestRepo.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace
{

Commit commitNamed(const QString &subject)
{
    return Commit { subject + QStringLiteral("0123456789abcdef"), QStringLiteral("Ada"),
        QStringLiteral("ada@example.com"), QDateTime::fromSecsSinceEpoch(1700000000), subject };
}

QList<Commit> commitsNamed(const QString &prefix, int count)
{
    QList<Commit> list;
    for (int i = 0; i < count; ++i)
        list.append(commitNamed(prefix + QString::number(i)));
    return list;
}

TEST(GitLogTexts, HeaderNamesTheBranchAndTheRepository)
{
    const GitSource local = GitSource::local(QStringLiteral("/home/ada/src/app"));
    const GitSource remote = GitSource::remote(
        { FakeSsh::client(QStringLiteral("ada@build.example.org")), QStringLiteral("/srv/app") });
    const struct {
        std::optional<QString> branch;
        GitSource root;
        QString header;
        QString toolTip;
    } cases[] = {
        { QStringLiteral("main"), local, QStringLiteral("⑂ main · app"), "/home/ada/src/app" },
        { QStringLiteral("HEAD"), local, QStringLiteral("⑂ HEAD (detached) · app"),
            "/home/ada/src/app" },
        { std::nullopt, local, QStringLiteral("⑂ no commits · app"), "/home/ada/src/app" },
        { QStringLiteral("feature/x"), remote, QStringLiteral("⑂ feature/x · build.example.o…:app"),
            "build.example.o…:app" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(GitLogTexts::header(c.branch, c.root), c.header);
        EXPECT_EQ(GitLogTexts::headerToolTip(c.root), c.toolTip);
    }
}

TEST(GitLogTexts, CommitDetailIsAuthorAgeAndShortHash)
{
    Commit commit = commitNamed(QStringLiteral("Fix"));
    commit.author = QStringLiteral("Zoë");
    const QDateTime now = commit.date.addDays(3).addSecs(5);
    EXPECT_EQ(GitLogTexts::commitDetail(commit, now), QStringLiteral("Zoë · 3d · Fix0123"));
    EXPECT_EQ(GitLogTexts::notRepository(QStringLiteral("example.org:app")),
        QStringLiteral("example.org:app isn't in a git repository."));
}

// Rows as the pane shows them: each row's text, with "+" marking the "Load more…" row.
QStringList rowTexts(const CommitListModel &model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        texts.append((index.data(CommitListModel::LoadMoreRole).toBool() ? "+" : "")
            + index.data().toString());
    }
    return texts;
}

TEST(CommitListModel, LoadMoreRowFollowsFullPagesOnly)
{
    const int pageSize = 2;
    const struct {
        int first;
        QList<int> further; // sizes of the pages read after it
        QStringList rows;
    } cases[] = {
        { 1, {}, { "a0" } },
        { 2, {}, { "a0", "a1", "+Load more…" } },
        { 2, { 2 }, { "a0", "a1", "b0", "b1", "+Load more…" } },
        { 2, { 2, 1 }, { "a0", "a1", "b0", "b1", "c0" } },
        { 2, { 0 }, { "a0", "a1" } },
        { 0, {}, {} },
    };
    for (const auto &c : cases) {
        CommitListModel model;
        QAbstractItemModelTester tester(
            &model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        model.setCommits(commitsNamed("a", c.first), pageSize);
        QPersistentModelIndex firstRow = model.index(0);
        char prefix = 'b';
        for (int size : c.further)
            model.appendPage(commitsNamed(QString(QChar(prefix++)), size), pageSize);
        EXPECT_EQ(rowTexts(model), c.rows) << c.first << " then " << c.further.size() << " pages";
        EXPECT_EQ(model.canLoadMore(), c.rows.value(c.rows.size() - 1).startsWith('+'));
        // Rows already shown stay (a reset would lose the scroll position) while pages come.
        EXPECT_EQ(firstRow.isValid(), c.first > 0);
    }
}

TEST(CommitListModel, RowsFindTheirCommits)
{
    CommitListModel model;
    const QList<Commit> page = commitsNamed("a", 3);
    model.setCommits(page, 3);
    EXPECT_EQ(model.rowOf(page[2].sha), 2);
    EXPECT_EQ(model.rowOf(QStringLiteral("missing")), -1);
    ASSERT_NE(model.commitAt(1), nullptr);
    EXPECT_EQ(*model.commitAt(1), page[1]);
    EXPECT_EQ(model.commitAt(3), nullptr);
    EXPECT_TRUE(model.isLoadMoreRow(3));
    EXPECT_FALSE(model.isLoadMoreRow(2));
    EXPECT_EQ(model.index(0).data(CommitListModel::DetailRole).toString().section(" · ", 0, 0),
        QStringLiteral("Ada"));
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.canLoadMore());
}

TEST(GitLogPaging, OnlyTheNewestGenerationsAnswersCount)
{
    GitLogPaging paging;
    const GitSource root = GitSource::local(QStringLiteral("/repo"));
    const int first = paging.startLoad(Place::local(QStringLiteral("/repo/src")));
    EXPECT_TRUE(paging.isCurrent(first));
    EXPECT_EQ(paging.startPage(true), std::nullopt); // nothing shown yet

    paging.setRepo(root);
    EXPECT_EQ(paging.startPage(false), std::nullopt); // the last page was not full
    const std::optional<int> page = paging.startPage(true);
    ASSERT_EQ(page, first);
    EXPECT_TRUE(paging.isLoadingMore());
    EXPECT_EQ(paging.startPage(true), std::nullopt); // one page at a time
    EXPECT_TRUE(paging.finishPage(*page));
    EXPECT_FALSE(paging.isLoadingMore());

    // A reload while a page is read: the page goes stale, and so does the first load.
    const std::optional<int> late = paging.startPage(true);
    const int second = paging.startLoad(std::nullopt);
    EXPECT_FALSE(paging.isCurrent(first));
    EXPECT_TRUE(paging.isCurrent(second));
    EXPECT_EQ(paging.lastPlace(), std::nullopt);
    EXPECT_FALSE(paging.finishPage(*late));
    EXPECT_FALSE(paging.isLoadingMore());
}

}
