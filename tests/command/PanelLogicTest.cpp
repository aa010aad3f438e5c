#include "command/AppendBudget.h"
#include "command/CommandHistory.h"
#include "command/OutputQueue.h"
#include "command/OutputTrim.h"
#include "command/PanelText.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{

TEST(CommandHistory, ALongerSavedListIsCutToTheNewestFifty)
{
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many << QString::number(i);
    CommandHistory history(many);
    EXPECT_EQ(history.entries().size(), 50);
    EXPECT_EQ(history.entries().first(), "10");
    EXPECT_EQ(CommandHistory().browse(-1, "typed"), std::nullopt);
}

TEST(CommandHistory, BrowsingTable)
{
    CommandHistory history({ "one", "two", "three" });
    const struct {
        int delta;
        const char *field;
        std::optional<QString> shown;
        std::optional<qsizetype> cursor;
    } steps[] = {
        { +1, "draft", std::nullopt, std::nullopt }, // Down before browsing does nothing
        { -1, "draft", "three", 2 },
        { -1, "three", "two", 1 },
        { -1, "two", "one", 0 },
        { -1, "one", "one", 0 }, // never below the oldest
        { +1, "one", "two", 1 },
        { +1, "two", "three", 2 },
        { +1, "three", "draft", std::nullopt }, // past the newest: the draft again
        { +1, "draft", std::nullopt, std::nullopt },
        { -1, "draft", "three", 2 },
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_EQ(history.browse(steps[i].delta, steps[i].field), steps[i].shown) << "step " << i;
        EXPECT_EQ(history.cursor(), steps[i].cursor) << "step " << i;
    }
    // Adding ends browsing.
    history.add("four");
    EXPECT_FALSE(history.cursor().has_value());
}

qsizetype cutOf(const QString &text)
{
    return OutputTrim::cutLength(
        text.size(), [&](qsizetype from) { return text.indexOf('\n', from); });
}

// The output keeps its last 1,500,000 characters once it passes 2,000,000, from a line start.
TEST(OutputTrim, CutEndsAtALineStart)
{
    EXPECT_EQ(cutOf(QString(2'000'000, 'x')), 0);

    QString lines; // of 10 characters and a line feed
    while (lines.size() <= 2'000'000)
        lines += QStringLiteral("0123456789\n");
    const qsizetype cut = cutOf(lines);
    EXPECT_EQ(lines[cut - 1], QLatin1Char('\n'));
    EXPECT_GE(cut, lines.size() - 1'500'000);
    EXPECT_LT(cut, lines.size() - 1'500'000 + 11);

    // A line feed exactly at the keep position goes with the cut.
    QString exact(2'000'001, 'x');
    const qsizetype from = exact.size() - 1'500'000;
    exact[from] = '\n';
    EXPECT_EQ(cutOf(exact), from + 1);

    // Without a later line feed the cut is at the keep position; one before it does not count.
    QString oneLine(2'100'000, 'x');
    oneLine[10] = '\n';
    EXPECT_EQ(cutOf(oneLine), 600'000);
}

TEST(PanelText, SummaryTable)
{
    using PanelText::Outcome;
    const struct {
        int status;
        bool stopped;
        double seconds;
        QString text;
        PanelText::Outcome outcome;
    } cases[] = {
        { 0, false, 0.04, "done in 0.0 s", Outcome::Done },
        { 0, false, 12.345, "done in 12.3 s", Outcome::Done },
        { 2, false, 1.26, "exit 2 after 1.3 s", Outcome::Failed },
        { 127, false, 0.0, "exit 127 after 0.0 s", Outcome::Failed },
        { 15, true, 3.06, "stopped after 3.1 s", Outcome::Stopped },
        { 0, true, 0.5, "stopped after 0.5 s", Outcome::Stopped },
    };
    for (const auto &c : cases) {
        const PanelText::Summary summary = PanelText::summary(c.status, c.stopped, c.seconds);
        EXPECT_EQ(summary.text, c.text);
        EXPECT_EQ(summary.outcome, c.outcome) << c.text.toStdString();
    }
}

TEST(PanelText, FolderLabelTable)
{
    const QString home = QStringLiteral("/home/ada");
    const std::vector<std::pair<QString, QString>> cases = {
        { "", "" },
        { "/home/ada", "~" },
        { "/home/ada/src/quillmar", "~/src/quillmar" },
        { "/home/adam/x", "/home/adam/x" },
        { "/srv/www", "/srv/www" },
    };
    for (const auto &[folder, label] : cases)
        EXPECT_EQ(PanelText::folderLabel(folder, home), label) << folder.toStdString();
}

TEST(OutputQueue, JoinsRunsOfOneColourAndKeepsTheOrder)
{
    OutputQueue queue;
    queue.push("$ make\n", OutputTint::Secondary);
    queue.push("a\n", OutputTint::Label);
    queue.push("b\n", OutputTint::Label);
    queue.push("done\n", OutputTint::Green);
    EXPECT_EQ(queue.size(), 16);
    const OutputQueue::Run first = queue.takeFront(100, 100);
    EXPECT_EQ(first.text, "$ make\n");
    EXPECT_EQ(first.tint, OutputTint::Secondary);
    const OutputQueue::Run second = queue.takeFront(100, 100);
    EXPECT_EQ(second.text, "a\nb\n");
    EXPECT_EQ(queue.takeFront(100, 100).tint, OutputTint::Green);
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.size(), 0);
}

TEST(OutputQueue, TakesAtMostTheBudgetOfLinesOrUnits)
{
    OutputQueue queue;
    queue.push("1\n22\n333\n4444\n", OutputTint::Label);
    EXPECT_EQ(queue.takeFront(2, 1000).text, "1\n22\n");
    EXPECT_EQ(queue.takeFront(1000, 3).text, "333");
    EXPECT_EQ(queue.size(), 6);
    EXPECT_EQ(queue.takeFront(1, 1000).text, "\n");
    EXPECT_EQ(queue.takeFront(1, 1000).text, "4444\n");
    EXPECT_TRUE(queue.isEmpty());
}

TEST(OutputQueue, FindsLineFeedsAndDropsAcrossRuns)
{
    OutputQueue queue;
    queue.push("ab", OutputTint::Secondary);
    queue.push("cd\nef", OutputTint::Label);
    queue.push("\n", OutputTint::Red);
    EXPECT_EQ(queue.indexOfLineFeed(0), 4);
    EXPECT_EQ(queue.indexOfLineFeed(5), 7);
    EXPECT_EQ(queue.indexOfLineFeed(8), -1);
    queue.dropFront(3);
    EXPECT_EQ(queue.size(), 5);
    const OutputQueue::Run front = queue.takeFront(10, 10);
    EXPECT_EQ(front.text, "d\nef");
    EXPECT_EQ(front.tint, OutputTint::Label);
}

// Everything a queue holds, as (colour, text) pairs.
std::vector<std::pair<OutputTint, QString>> drain(OutputQueue &queue)
{
    std::vector<std::pair<OutputTint, QString>> runs;
    while (!queue.isEmpty()) {
        OutputQueue::Run run = queue.takeFront(1'000'000, 1'000'000);
        runs.emplace_back(run.tint, run.text);
    }
    return runs;
}

// Only the newest command output stays, from a line start; command lines and summaries stay.
TEST(OutputQueue, KeepOutputTailTable)
{
    using Runs = std::vector<std::pair<OutputTint, QString>>;
    const auto label = OutputTint::Label;
    const auto grey = OutputTint::Secondary;
    const struct {
        const char *why;
        Runs before;
        qsizetype lines;
        qsizetype units;
        Runs after;
    } cases[] = {
        { "the last two lines", { { label, "1\n2\n3\n4\n" } }, 2, 100, { { label, "3\n4\n" } } },
        { "an unfinished line counts with the one before it", { { label, "1\n2\n3\n4" } }, 1, 100,
            { { label, "3\n4" } } },
        { "all of it fits", { { label, "1\n2\n" } }, 5, 100, { { label, "1\n2\n" } } },
        { "the unit cap starts at the next line start", { { label, "aaaa\nbb\ncc\n" } }, 100, 8,
            { { label, "bb\ncc\n" } } },
        { "a line longer than the cap keeps its end", { { label, "abcdefgh" } }, 100, 3,
            { { label, "fgh" } } },
        { "other colours stay where they are",
            { { label, "old\n" }, { grey, "$ yes\n" }, { label, "y\ny\ny\n" } }, 2, 100,
            { { grey, "$ yes\n" }, { label, "y\ny\n" } } },
        { "the tail spans runs", { { label, "a\nb\n" }, { grey, "$ x\n" }, { label, "c\n" } }, 2,
            100, { { label, "b\n" }, { grey, "$ x\n" }, { label, "c\n" } } },
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.why);
        OutputQueue queue;
        for (const auto &[tint, text] : row.before)
            queue.push(text, tint);
        queue.keepOutputTail(row.lines, row.units);
        qsizetype size = 0;
        for (const auto &run : row.after)
            size += run.second.size();
        EXPECT_EQ(queue.size(), size);
        EXPECT_EQ(drain(queue), row.after);
    }
}

TEST(AppendBudget, FollowsTheMeasuredCostWithinBounds)
{
    AppendBudget budget;
    const qsizetype start = budget.lines();
    budget.record(4000, 40); // twice the target: the budget shrinks
    EXPECT_LT(budget.lines(), start);
    for (int i = 0; i < 50; ++i)
        budget.record(budget.lines(), budget.lines() * 0.002); // 2 microseconds a line
    EXPECT_NEAR(double(budget.lines()), AppendBudget::targetMilliseconds / 0.002, 100);
    for (int i = 0; i < 50; ++i)
        budget.record(1000, 1000); // a very slow machine
    EXPECT_EQ(budget.lines(), 500);
    const qsizetype before = budget.lines();
    budget.record(10, 500); // too few lines to say anything
    EXPECT_EQ(budget.lines(), before);
}

}
