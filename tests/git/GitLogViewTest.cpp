#include "git/GitLogView.h"
#include "git/CommitListModel.h"
#include "git/GitLogTexts.h"
#include "git/GitRun.h"

#include "FakeSsh.h"
#include "TestRepo.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

using testsupport::waitUntil;

namespace
{

// Adds that many empty commits to the repository's main branch in one go: "Commit 1" (the
// oldest) to "Commit <count>", a minute apart.
void importCommits(TestRepo &repo, int count)
{
    QByteArray stream;
    for (int i = 1; i <= count; ++i) {
        const QByteArray message = "Commit " + QByteArray::number(i);
        const QByteArray when = QByteArray::number(1700000000 + i * 60) + " +0000\n";
        stream += "commit refs/heads/main\n"
                  "author Ada Lovelace <ada@example.com> "
            + when + "committer Ada Lovelace <ada@example.com> " + when + "data "
            + QByteArray::number(message.size()) + "\n" + message + "\n";
    }
    repo.git({ "fast-import", "--quiet" }, stream);
}

// Waits until every answer the local git queue has posted so far has been handled: the queue
// runs in order and the answers arrive in the order they were posted.
bool drainLocalGit()
{
    bool done = false;
    gitWork(GitSource::local(QStringLiteral("/")), [&done] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&done] { done = true; }, Qt::QueuedConnection);
    });
    return waitUntil([&done] { return done; });
}

struct GitProgramSwap {
    explicit GitProgramSwap(const QString &program) { setGitProgramForTests(program); }
    ~GitProgramSwap() { setGitProgramForTests(QStringLiteral("/usr/bin/git")); }
};

struct Chosen {
    Commit commit;
    GitSource root;
};

class GitLogViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.onSelect = [this](const Commit &commit, const GitSource &root) {
            chosen.append({ commit, root });
        };
        view.resize(300, 500);
        view.show();
    }

    // Loads the place and waits until the pane shows the header (or, when empty, the notice).
    bool loadAndWait(const std::optional<Place> &place, const QString &shown)
    {
        view.load(place);
        return waitUntil([&] {
            return view.header()->text() == shown
                || (!view.notice()->isHidden() && view.notice()->text() == shown);
        });
    }
    QString headerFor(const QString &branch, const TestRepo &repo) const
    {
        return QStringLiteral("⑂ ") + branch + " · " + QFileInfo(repo.path()).fileName();
    }

    void clickRow(int row)
    {
        const QModelIndex index = view.model()->index(row);
        view.table()->scrollTo(index);
        QTest::mouseClick(
            view.table()->viewport(), Qt::LeftButton, {}, view.table()->visualRect(index).center());
    }
    int selectedRow() const
    {
        const auto rows = view.table()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.front().row() : -1;
    }
    QString subjectAt(int row) const { return view.model()->index(row).data().toString(); }

    GitLogView view;
    QList<Chosen> chosen;
};

TEST_F(GitLogViewTest, NoticesWhenThereIsNoLogToShow)
{
    TestRepo shown;
    shown.commit("Shown", 1700000000);
    TestRepo unborn;
    QTemporaryDir outside;
    const QString outsideName = QFileInfo(outside.path()).fileName();
    FakeSsh ssh;
    const struct {
        const char *what;
        std::optional<Place> place;
        QString notice;
        bool gitMissing = false;
    } cases[] = {
        { "no workspace", std::nullopt, "Open a folder to see its git log." },
        { "outside a repository", Place::local(outside.path()),
            outsideName + " isn't in a git repository." },
        { "no commits", Place::local(unborn.path()), "No commits yet." },
        { "remote outside a repository", Place::remote(FakeSsh::client(), outside.path()),
            "example.org:" + outsideName + " isn't in a git repository." },
        { "git missing", Place::local(shown.path()),
            "Git isn't installed. Install the git package to read a log.", true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(loadAndWait(Place::local(shown.path()), headerFor("main", shown)));
        std::optional<GitProgramSwap> swap;
        if (c.gitMissing)
            swap.emplace(QStringLiteral("/nonexistent/git"));
        ASSERT_TRUE(loadAndWait(c.place, c.notice));
        EXPECT_TRUE(view.header()->text().isEmpty());
        EXPECT_TRUE(view.header()->toolTip().isEmpty());
        EXPECT_TRUE(view.table()->isHidden());
        EXPECT_EQ(view.model()->rowCount(), 0);
        EXPECT_EQ(view.repo(), std::nullopt);
    }
}

TEST_F(GitLogViewTest, HeaderNamesTheBranchAndTheRepositoryHereAndOverSsh)
{
    TestRepo repo;
    repo.write("src/main.c", "int main;\n");
    const QString first = repo.commit("Add main", 1700000000);
    const QString second = repo.commit("Second thoughts", 1700000100, "Zoë");
    const QString root = QFileInfo(repo.path()).canonicalFilePath();

    ASSERT_TRUE(loadAndWait(Place::local(repo.filePath("src")), headerFor("main", repo)));
    EXPECT_EQ(view.header()->toolTip(), root);
    EXPECT_EQ(view.repo(), GitSource::local(root));
    ASSERT_EQ(view.model()->rowCount(), 2);
    EXPECT_EQ(subjectAt(0), "Second thoughts");
    EXPECT_TRUE(
        view.model()->index(0).data(CommitListModel::DetailRole).toString().startsWith("Zoë · "));
    EXPECT_TRUE(view.model()
                    ->index(1)
                    .data(CommitListModel::DetailRole)
                    .toString()
                    .endsWith(" · " + first.left(7)));
    EXPECT_TRUE(view.notice()->isHidden());

    repo.git({ "checkout", "-q", "--detach", first });
    ASSERT_TRUE(loadAndWait(Place::local(repo.path()), headerFor("HEAD (detached)", repo)));
    EXPECT_EQ(view.model()->rowCount(), 1);

    // Over ssh, even with no git on this machine: the remote place never asks about it.
    repo.git({ "checkout", "-q", "main" });
    FakeSsh ssh;
    GitProgramSwap missing(QStringLiteral("/nonexistent/git"));
    const QString remoteName = "example.org:" + QFileInfo(repo.path()).fileName();
    ASSERT_TRUE(loadAndWait(Place::remote(FakeSsh::client(), repo.filePath("src")),
        QStringLiteral("⑂ main · ") + remoteName));
    EXPECT_EQ(view.header()->toolTip(), remoteName);
    ASSERT_EQ(view.model()->rowCount(), 2);
    EXPECT_EQ(view.model()->commitAt(0)->sha, second);
    ASSERT_TRUE(view.repo().has_value());
    EXPECT_FALSE(view.repo()->isLocal());
}

TEST_F(GitLogViewTest, LoadMoreReadsTheNextPageAndKeepsTheChosenCommit)
{
    const struct {
        int commits;
        int firstRows; // commit rows of the first page
        bool loadMore;
    } cases[] = { { 3, 3, false }, { 200, 200, true }, { 201, 200, true } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.commits);
        TestRepo repo;
        importCommits(repo, c.commits);
        ASSERT_TRUE(loadAndWait(Place::local(repo.path()), headerFor("main", repo)));
        ASSERT_EQ(view.model()->rowCount(), c.firstRows + (c.loadMore ? 1 : 0));
        EXPECT_EQ(view.model()->canLoadMore(), c.loadMore);
        clickRow(1);
        ASSERT_EQ(chosen.size(), 1);
        EXPECT_EQ(chosen.front().commit.subject, "Commit " + QString::number(c.commits - 1));
        if (!c.loadMore) {
            chosen.clear();
            continue;
        }
        EXPECT_EQ(subjectAt(c.firstRows), "Load more…");
        clickRow(c.firstRows);
        EXPECT_EQ(selectedRow(), -1);
        ASSERT_TRUE(waitUntil([&] { return !view.isLoadingMore(); }));
        // Exactly 200 reads an empty page and the row goes; 201 brings the last commit.
        EXPECT_EQ(view.model()->rowCount(), c.commits);
        EXPECT_FALSE(view.model()->canLoadMore());
        EXPECT_EQ(subjectAt(c.commits - 1), "Commit 1");
        EXPECT_EQ(selectedRow(), 1);
        EXPECT_EQ(chosen.size(), 1);
        chosen.clear();
    }
}

TEST_F(GitLogViewTest, AnswersForAnEarlierPlaceAreDropped)
{
    TestRepo repo;
    importCommits(repo, 201);
    // The first page arrives after the pane was pointed at no workspace.
    view.load(Place::local(repo.path()));
    view.load(std::nullopt);
    ASSERT_TRUE(drainLocalGit());
    EXPECT_EQ(view.notice()->text(), GitLogTexts::noWorkspace());
    EXPECT_EQ(view.model()->rowCount(), 0);

    // A further page arrives after the pane was pointed elsewhere.
    ASSERT_TRUE(loadAndWait(Place::local(repo.path()), headerFor("main", repo)));
    clickRow(200);
    ASSERT_TRUE(view.isLoadingMore());
    view.load(std::nullopt);
    ASSERT_TRUE(drainLocalGit());
    EXPECT_FALSE(view.isLoadingMore());
    EXPECT_EQ(view.model()->rowCount(), 0);
    EXPECT_TRUE(view.table()->isHidden());
}

TEST_F(GitLogViewTest, RefreshChoosesTheSameCommitAgainWithoutReportingIt)
{
    TestRepo repo;
    repo.commit("One", 1700000000);
    const QString two = repo.commit("Two", 1700000100);
    repo.commit("Three", 1700000200);
    ASSERT_TRUE(loadAndWait(Place::local(repo.path()), headerFor("main", repo)));
    clickRow(1);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.front().commit.sha, two);
    EXPECT_EQ(chosen.front().root, GitSource::local(QFileInfo(repo.path()).canonicalFilePath()));

    repo.commit("Four", 1700000300);
    view.refreshButton()->click();
    ASSERT_TRUE(waitUntil([&] { return view.model()->rowCount() == 4; }));
    EXPECT_EQ(selectedRow(), 2);
    EXPECT_EQ(chosen.size(), 1);

    // Chosen elsewhere, the commit view already shows it: marked here without a report.
    view.select(view.model()->commitAt(0)->sha);
    EXPECT_EQ(selectedRow(), 0);
    view.select(QStringLiteral("0123456789abcdef0123456789abcdef01234567"));
    EXPECT_EQ(selectedRow(), -1);
    EXPECT_EQ(chosen.size(), 1);
    // A commit the user picks after that is reported again.
    clickRow(3);
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen.back().commit.subject, "One");
}

}
