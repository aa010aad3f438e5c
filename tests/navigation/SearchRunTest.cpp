#include "navigation/SearchRun.h"
#include "TestSupport.h"
#include "navigation/SearchCommand.h"

#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <optional>

using testsupport::waitUntil;
using testsupport::writeFile;

namespace
{

bool processGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) != 0;
}

QByteArray numberedLines(int count, const QByteArray &word)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += word + ' ' + QByteArray::number(i) + '\n';
    return text;
}

class SearchRunTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Runs grep for the query in the folder until it ends.
    void search(const SearchQuery &query)
    {
        run = std::make_unique<SearchRun>(
            SearchCommand::grepProgram(), SearchCommand::localArguments(query), dir.path());
        run->setLocale(SearchCommand::localLocale());
        runToEnd();
    }
    void runToEnd()
    {
        run->onHits = [this](const QList<SearchHit> &more) { hits += more; };
        run->onFinish = [this](SearchRun::Ending end) {
            EXPECT_FALSE(ending) << "a second end";
            ending = end;
        };
        run->start();
        ASSERT_TRUE(waitUntil([this] { return ending.has_value(); }));
    }
    QSet<QString> hitPaths() const
    {
        QSet<QString> paths;
        for (const SearchHit &hit : hits)
            paths.insert(hit.path);
        return paths;
    }

    QTemporaryDir dir;
    std::unique_ptr<SearchRun> run;
    QList<SearchHit> hits;
    std::optional<SearchRun::Ending> ending;
};

TEST_F(SearchRunTest, FindsHitsAndAQuotedQuery)
{
    writeFile(dir, "a.txt", "Hello world\nhello there\nnothing\n");
    writeFile(dir, "sub/b.txt", "say \"it's\" HELLO\n");
    search({ "hello", false, false });
    EXPECT_EQ(*ending, SearchRun::Ending::Complete);
    EXPECT_EQ(hits.size(), 3);
    EXPECT_EQ(run->hitCount(), 3);
    EXPECT_EQ(hitPaths(), QSet<QString>({ "a.txt", "sub/b.txt" }));
    EXPECT_FALSE(run->isRunning());

    hits.clear(), ending.reset();
    search({ "\"it's\"", true, false });
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0], (SearchHit { "sub/b.txt", 1, "say \"it's\" HELLO" }));
}

TEST_F(SearchRunTest, HeavyAndHiddenFoldersAreSkipped)
{
    for (const char *path : { "src/x.txt", "node_modules/m.txt", ".git/config", "src/build/out.txt",
             "deep/__pycache__/c.txt", ".hidden/h.txt", ".DS_Store", "builds/y.txt" })
        writeFile(dir, path, "needle\n");
    search({ "needle", false, false });
    EXPECT_EQ(
        hitPaths(), QSet<QString>({ "src/x.txt", ".hidden/h.txt", ".DS_Store", "builds/y.txt" }));
}

// Case-insensitive search folds non-ASCII capitals, lines that are not UTF-8 are still searched,
// and a binary file's lines are not hits.
TEST_F(SearchRunTest, CaseFoldingInvalidUtf8AndBinaryFiles)
{
    ASSERT_NE(SearchCommand::localLocale(), "C") << "this machine has no UTF-8 locale";
    writeFile(dir, "german.txt",
        "\xc3\x9c"
        "ber alles\nnothing\n"); // "Über"
    writeFile(dir, "latin1.txt",
        "caf\xe9 needle\n\xdc"
        "ber latin\n");
    writeFile(dir, "program.bin",
        QByteArray("needle \xc3\xbc"
                   "ber")
            + '\0' + "\x01\x02\n");
    search({ QString::fromUtf8("\xc3\xbc"
                               "ber"),
        false, false }); // "über"
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0],
        (SearchHit { "german.txt", 1,
            QString::fromUtf8("\xc3\x9c"
                              "ber alles") }));

    hits.clear(), ending.reset();
    search({ "needle", false, false });
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].path, "latin1.txt");
    EXPECT_EQ(hits[0].text, QString::fromUtf8("caf\xef\xbf\xbd needle"));
}

TEST_F(SearchRunTest, NoMatchIsCompleteAndARefusedPatternSaysWhy)
{
    writeFile(dir, "a.txt", "text\n");
    search({ "absent", false, false });
    EXPECT_EQ(*ending, SearchRun::Ending::Complete);
    EXPECT_TRUE(hits.isEmpty());

    // An unbalanced parenthesis makes grep exit with status 2 and say so.
    ending.reset();
    search({ "(", false, true });
    EXPECT_EQ(*ending, SearchRun::Ending::InvalidPattern);
    EXPECT_EQ(run->problem().toStdString(), "Unmatched ( or \\(");

    // Status 2 for an unreadable file is no verdict on the pattern.
    run = std::make_unique<SearchRun>("/bin/sh",
        QStringList { "-c", "echo \"$0: ./secret: Permission denied\" >&2; exit 2" }, dir.path());
    ending.reset();
    runToEnd();
    EXPECT_EQ(*ending, SearchRun::Ending::Failed);
}

TEST(SearchLocaleTest, TheFirstUtf8LocaleTheMachineHas)
{
    EXPECT_EQ(SearchCommand::firstUtf8Locale({ "xx_NONE.UTF-8", "POSIX", "C.UTF-8" }), "C.UTF-8");
    EXPECT_EQ(SearchCommand::firstUtf8Locale({ "xx_NONE.UTF-8", "POSIX" }), "C");
    EXPECT_EQ(SearchCommand::firstUtf8Locale({}), "C");
}

TEST_F(SearchRunTest, AProgramThatCannotStartFailsFromTheEventLoop)
{
    run = std::make_unique<SearchRun>(dir.filePath("missing"), QStringList(), dir.path());
    run->onFinish = [this](SearchRun::Ending end) { ending = end; };
    run->start();
    EXPECT_FALSE(ending) << "called back inside start";
    ASSERT_TRUE(waitUntil([this] { return ending.has_value(); }));
    EXPECT_EQ(*ending, SearchRun::Ending::Failed);
}

TEST_F(SearchRunTest, ExactlyTheLimitIsCompleteOneMoreIsCapped)
{
    writeFile(dir, "many.txt", numberedLines(searchHitLimit, "needle"));
    search({ "needle", false, false });
    EXPECT_EQ(*ending, SearchRun::Ending::Complete);
    EXPECT_EQ(hits.size(), searchHitLimit);

    writeFile(dir, "one-more.txt", "needle\n");
    hits.clear(), ending.reset();
    search({ "needle", false, false });
    EXPECT_EQ(*ending, SearchRun::Ending::Capped);
    EXPECT_EQ(hits.size(), searchHitLimit);
    EXPECT_EQ(run->hitCount(), searchHitLimit);
}

TEST_F(SearchRunTest, TheCapStopsTheProcess)
{
    // Output that never ends unless the process is stopped.
    run = std::make_unique<SearchRun>("/usr/bin/yes", QStringList { "a.txt:1:x" }, dir.path());
    runToEnd();
    EXPECT_EQ(*ending, SearchRun::Ending::Capped);
    EXPECT_EQ(hits.size(), searchHitLimit);
    EXPECT_TRUE(waitUntil([this] { return processGone(run->processId()); }));
}

TEST_F(SearchRunTest, NothingArrivesAfterCancel)
{
    run = std::make_unique<SearchRun>("/usr/bin/yes", QStringList { "a.txt:1:x" }, dir.path());
    int calls = 0;
    run->onHits = [&](const QList<SearchHit> &) {
        ++calls;
        run->cancel();
    };
    run->onFinish = [&](SearchRun::Ending) { ++calls; };
    run->start();
    ASSERT_TRUE(waitUntil([&] { return calls > 0; }));
    EXPECT_TRUE(waitUntil([&] { return processGone(run->processId()); }));
    for (int turn = 0; turn < 20; ++turn)
        QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(run->isRunning());
}

TEST_F(SearchRunTest, ACallbackMayDestroyTheRun)
{
    run = std::make_unique<SearchRun>("/usr/bin/yes", QStringList { "a.txt:1:x" }, dir.path());
    qint64 pid = 0;
    run->onHits = [&](const QList<SearchHit> &) {
        pid = run->processId();
        run.reset();
    };
    run->start();
    ASSERT_TRUE(waitUntil([&] { return !run; }));
    EXPECT_TRUE(waitUntil([&] { return processGone(pid); }));
}

TEST(SearchSummaryTest, Texts)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    using Ending = SearchRun::Ending;
    EXPECT_EQ(SearchRun::progressText(1234, english), "Searching… 1,234 so far");
    EXPECT_EQ(SearchRun::summaryText(Ending::Complete, 0, 0, {}, english), "No results");
    EXPECT_EQ(SearchRun::summaryText(Ending::Failed, 0, 0, {}, english),
        "Couldn't search. Is the machine reachable?");
    EXPECT_EQ(SearchRun::summaryText(Ending::InvalidPattern, 0, 0, "Unmatched [", english),
        "Invalid pattern: Unmatched [");
    EXPECT_EQ(SearchRun::summaryText(Ending::Complete, 1, 1, {}, english), "1 match in 1 file");
    EXPECT_EQ(
        SearchRun::summaryText(Ending::Complete, 1500, 2, {}, english), "1,500 matches in 2 files");
    EXPECT_EQ(SearchRun::summaryText(Ending::Capped, 2000, 1, {}, english),
        "The first 2,000 matches, in 1 file. Be more specific.");
    EXPECT_EQ(SearchRun::summaryText(Ending::Capped, 2000, 1200, {}, english),
        "The first 2,000 matches, in 1,200 files. Be more specific.");
}

}
