#include "git/CommitView.h"
#include "git/DiffTextView.h"
#include "git/FileHeaderRow.h"
#include "git/GitQueries.h"
#include "git/GitRun.h"

#include "TestRepo.h"
#include "TestSupport.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace
{

// Git as the view runs it, with every command line it was given written to a log, so a test can
// count the diffs that were read.
class LoggedGit
{
public:
    LoggedGit()
    {
        const QString log = dir.filePath("log");
        const QString script = testsupport::writeFile(dir, "git",
            "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + log.toUtf8()
                + "'\nexec /usr/bin/git \"$@\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
        setGitProgramForTests(script);
    }
    ~LoggedGit() { setGitProgramForTests(QStringLiteral("/usr/bin/git")); }

    // The logged runs that printed a patch.
    QStringList diffRuns() const
    {
        QStringList runs;
        for (const QString &line :
            QString::fromUtf8(testsupport::readFile(dir.filePath("log"))).split('\n'))
            if (line.contains(" -p "))
                runs << line;
        return runs;
    }

private:
    QTemporaryDir dir;
};

struct ShownCommit {
    TestRepo &repo;
    CommitView view;

    explicit ShownCommit(TestRepo &repo)
        : repo(repo)
    {
        view.resize(800, 600);
        view.show();
    }

    // Shows the commit from the repository and waits until its files are listed.
    void show(const QString &sha)
    {
        const GitSource root = GitSource::local(repo.path());
        view.showCommit(*GitQueries::commit(root, sha), root);
        ASSERT_TRUE(waitUntil([&] { return !label("reading"); }));
    }

    QLabel *label(const char *name) const { return view.findChild<QLabel *>(name); }
    QString text(const char *name) const { return label(name) ? label(name)->text() : "(none)"; }

    // Expands a section with a click on its header and waits for its diff.
    DiffTextView *expand(int index)
    {
        FileSection *section = view.fileSections().at(index);
        QTest::mouseClick(section->header(), Qt::LeftButton);
        waitUntil([&] { return !section->diffView()->toPlainText().isEmpty(); });
        return section->diffView();
    }
};

// Waits until the local git work queued so far has run and answered.
void waitForGitQueue(const TestRepo &repo)
{
    bool done = false;
    gitWork(GitSource::local(repo.path()), [&done] {
        QMetaObject::invokeMethod(
            qApp, [&done] { done = true; }, Qt::QueuedConnection);
    });
    ASSERT_TRUE(waitUntil([&] { return done; }));
}

QPushButton *button(const CommitView &view, const char *title)
{
    return view.findChild<QPushButton *>(title);
}

}

TEST(CommitView, MessageBodyIsShownOnlyBeyondTheSubjectAndItsAddressesAreLinks)
{
    TestRepo repo;
    repo.write("a.txt", "a\n");
    const QString plain = repo.commit("Only a subject", 1700000000);
    repo.write("a.txt", "b\n");
    const QString linked = repo.commit(
        "Fix the crash\n\nSee https://example.com/issues/42 for <details>.", 1700000100);

    ShownCommit shown(repo);
    shown.show(plain);
    EXPECT_EQ(shown.text("subject"), "Only a subject");
    EXPECT_EQ(shown.label("body"), nullptr);
    EXPECT_TRUE(shown.text("meta").startsWith(
        plain.left(7) + "  ·  Ada Lovelace <adalovelace@example.com>  ·  "));

    shown.show(linked);
    QLabel *body = shown.label("body");
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(body->text().contains(
        "See <a href=\"https://example.com/issues/42\">https://example.com/issues/42</a> for "
        "&lt;details&gt;."));
    EXPECT_FALSE(body->text().contains("Fix the crash"));
    EXPECT_TRUE(body->openExternalLinks());
    EXPECT_TRUE(body->textInteractionFlags() & Qt::LinksAccessibleByMouse);
}

TEST(CommitView, SummaryCountsFilesAndLinesAndABinaryFileHasNoCounts)
{
    TestRepo repo;
    repo.write("logo.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const QString binary = repo.commit("Add the logo", 1700000000);
    repo.write("src/a.c", "one\ntwo\nthree\n");
    repo.write("b.txt", "x\n");
    const QString text = repo.commit("Add sources", 1700000100);

    ShownCommit shown(repo);
    shown.show(binary);
    EXPECT_EQ(shown.text("filesChanged"), "1 file changed  ");
    EXPECT_EQ(shown.text("added"), "+0");
    EXPECT_EQ(shown.text("removed"), "\u22120");
    ASSERT_EQ(shown.view.fileSections().size(), 1);
    EXPECT_EQ(shown.view.fileSections()[0]->findChild<QLabel *>("binary")->text(), "binary");
    EXPECT_EQ(shown.view.fileSections()[0]->findChild<QLabel *>("added"), nullptr);

    shown.show(text);
    EXPECT_EQ(shown.text("filesChanged"), "2 files changed  ");
    EXPECT_EQ(shown.text("added"), "+4"); // the summary's, the first in the view
    const auto sections = shown.view.fileSections();
    ASSERT_EQ(sections.size(), 2);
    EXPECT_EQ(sections[1]->findChild<QLabel *>("name")->text(), "a.c");
    EXPECT_EQ(sections[1]->findChild<QLabel *>("detail")->text(), "src");
    EXPECT_EQ(sections[1]->findChild<QLabel *>("added")->text(), "+3");
    for (FileSection *section : sections)
        EXPECT_FALSE(section->isExpanded() || section->isLoaded());
    EXPECT_NE(button(shown.view, "Expand All"), nullptr);
}

TEST(CommitView, NothingToReadShowsNoFilesAndNoButtons)
{
    TestRepo repo;
    repo.write("a.txt", "a\n");
    const QString sha = repo.commit("First", 1700000000);
    const Commit commit = *GitQueries::commit(GitSource::local(repo.path()), sha);
    Commit missing = commit;
    missing.sha = "0123456789abcdef0123456789abcdef01234567";

    ShownCommit shown(repo);
    for (const auto &[what, root] : { std::pair(commit, std::optional<GitSource>()),
             std::pair(missing, std::optional(GitSource::local(repo.path()))) }) {
        shown.view.showCommit(what, root);
        ASSERT_TRUE(waitUntil([&] { return !shown.label("reading"); }));
        EXPECT_EQ(shown.text("filesChanged"), "0 files changed  ");
        EXPECT_EQ(shown.text("added"), "+0");
        EXPECT_TRUE(shown.view.fileSections().isEmpty());
        EXPECT_EQ(button(shown.view, "Expand All"), nullptr);
        EXPECT_EQ(button(shown.view, "Collapse All"), nullptr);
    }
}

TEST(CommitView, AMovedFileShowsItsOldPathAndItsDiffIsReadOnceWithBothPaths)
{
    TestRepo repo;
    repo.write("old/notes.txt", "alpha\nbeta\ngamma\ndelta\n");
    repo.commit("Add notes", 1700000000);
    repo.git({ "mv", "old", "docs" });
    repo.write("docs/notes.txt", "alpha\nbeta\ngamma\ndelta\nepsilon\n");
    const QString moved = repo.commit("Move the notes", 1700000100);

    LoggedGit git;
    ShownCommit shown(repo);
    shown.show(moved);
    ASSERT_EQ(shown.view.fileSections().size(), 1);
    FileSection *section = shown.view.fileSections()[0];
    EXPECT_EQ(section->findChild<QLabel *>("detail")->text(), "\u2190 old/notes.txt");
    EXPECT_EQ(section->findChild<QLabel *>("arrow")->text(), "▸");

    DiffTextView *diff = shown.expand(0);
    EXPECT_TRUE(section->isExpanded());
    EXPECT_EQ(section->findChild<QLabel *>("arrow")->text(), "▾");
    EXPECT_TRUE(diff->toPlainText().contains("rename from old/notes.txt"));
    EXPECT_TRUE(diff->toPlainText().endsWith("+epsilon"));
    EXPECT_EQ(diff->kinds().back(), DiffLineKind::added);
    ASSERT_EQ(git.diffRuns().size(), 1);
    EXPECT_TRUE(git.diffRuns()[0].endsWith(moved + " -- old/notes.txt docs/notes.txt"));

    QTest::mouseClick(section->header(), Qt::LeftButton);
    EXPECT_FALSE(section->isExpanded());
    EXPECT_EQ(section->findChild<QLabel *>("arrow")->text(), "▸");
    QTest::mouseClick(section->header(), Qt::LeftButton);
    button(shown.view, "Collapse All")->click();
    button(shown.view, "Expand All")->click();
    EXPECT_TRUE(section->isExpanded());
    waitForGitQueue(repo);
    EXPECT_EQ(git.diffRuns().size(), 1);
    EXPECT_TRUE(diff->toPlainText().endsWith("+epsilon"));
}

TEST(CommitView, AnswersForAnEarlierCommitAreDropped)
{
    TestRepo repo;
    repo.write("notes.txt", "first\n");
    const QString earlier = repo.commit("First notes", 1700000000);
    repo.write("notes.txt", "first\nsecond\n");
    repo.write("other.txt", "other\n");
    const QString later = repo.commit("Second notes", 1700000100);
    const GitSource root = GitSource::local(repo.path());

    LoggedGit git;
    ShownCommit shown(repo);
    // The earlier commit's files arrive first and are not shown.
    shown.view.showCommit(*GitQueries::commit(root, earlier), root);
    shown.view.showCommit(*GitQueries::commit(root, later), root);
    ASSERT_TRUE(waitUntil([&] { return !shown.label("reading"); }));
    ASSERT_EQ(shown.view.fileSections().size(), 2);
    EXPECT_EQ(shown.view.fileSections()[1]->file().path, "other.txt");

    shown.show(earlier);
    QTest::mouseClick(shown.view.fileSections()[0]->header(), Qt::LeftButton);
    // The earlier diff is being read while the next commit is asked for.
    shown.show(later);
    ASSERT_EQ(git.diffRuns().size(), 1);
    EXPECT_TRUE(git.diffRuns()[0].contains(earlier));

    ASSERT_EQ(shown.view.fileSections().size(), 2);
    FileSection *section = shown.view.fileSections()[0];
    EXPECT_FALSE(section->isLoaded());
    EXPECT_TRUE(section->diffView()->toPlainText().isEmpty());
    DiffTextView *diff = shown.expand(0);
    EXPECT_TRUE(diff->toPlainText().endsWith(" first\n+second"));
    EXPECT_EQ(git.diffRuns().size(), 2);
}

TEST(CommitView, EscapeAnywhereInTheViewAsksToClose)
{
    TestRepo repo;
    repo.write("a.txt", "a\n");
    const QString sha = repo.commit("Add a\n\nWith a body.", 1700000000);
    ShownCommit shown(repo);
    int closes = 0;
    shown.view.onClose = [&] { ++closes; };
    shown.show(sha);
    DiffTextView *diff = shown.expand(0);

    QTest::keyClick(diff, Qt::Key_Escape);
    EXPECT_EQ(closes, 1);
    QTest::keyClick(shown.label("body"), Qt::Key_Escape);
    EXPECT_EQ(closes, 2);
    QTest::keyClick(&shown.view, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(closes, 2);
}

TEST(CommitView, DiffLinesAreTintedByTheirKind)
{
    using K = DiffLineKind;
    DiffTextView view;
    view.resize(400, 20);
    view.fill(diffFill(
        FileDiff { { { K::header, "new file mode 100644" }, { K::hunk, "@@ -1 +1 @@" },
                       { K::removed, "-old" }, { K::added, "+new" }, { K::context, " same" } },
            0 }));
    view.show();
    // Every line is on screen: the view grows as tall as its text and never scrolls down.
    EXPECT_GE(view.height(), 5 * view.fontMetrics().height());
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    const QImage image = view.grab().toImage();
    const auto colourOfLine = [&](int line) {
        const QRect box = view.cursorRect(QTextCursor(view.document()->findBlockByNumber(line)));
        // Far right, past the text: only the background is there.
        return image.pixelColor(image.width() - 3, box.center().y());
    };
    const QColor header = colourOfLine(0), hunk = colourOfLine(1), removed = colourOfLine(2),
                 added = colourOfLine(3), context = colourOfLine(4);
    EXPECT_EQ(header, context);
    EXPECT_GT(hunk.blue(), hunk.red());
    EXPECT_GT(removed.red(), removed.green());
    EXPECT_GT(added.green(), added.red());
    EXPECT_NE(added, context);
}
