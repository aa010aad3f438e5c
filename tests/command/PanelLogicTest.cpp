#include "command/CommandHistory.h"
#include "command/OutputTrim.h"
#include "command/PanelText.h"

#include <gtest/gtest.h>

namespace
{

TEST(CommandHistory, AddingAgainMovesTheLineToTheNewestPosition)
{
    CommandHistory history({ "a", "b", "c" });
    history.add("a");
    EXPECT_EQ(history.entries(), (QStringList { "b", "c", "a" }));
}

TEST(CommandHistory, KeepsFiftyDroppingTheOldest)
{
    QStringList fifty;
    for (int i = 0; i < 50; ++i)
        fifty << QString::number(i);
    CommandHistory history(fifty);
    history.add("new");
    EXPECT_EQ(history.entries().size(), 50);
    EXPECT_EQ(history.entries().first(), "1");
    EXPECT_EQ(history.entries().last(), "new");
}

TEST(CommandHistory, ALongerSavedListIsCutToTheNewestFifty)
{
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many << QString::number(i);
    CommandHistory history(many);
    EXPECT_EQ(history.entries().size(), 50);
    EXPECT_EQ(history.entries().first(), "10");
}

TEST(CommandHistory, BrowsingTable)
{
    CommandHistory history({ "one", "two", "three" });
    struct Step {
        int delta;
        const char *field;
        std::optional<QString> shown;
        std::optional<qsizetype> cursor;
    };
    const std::vector<Step> steps = {
        { +1, "draft", std::nullopt, std::nullopt }, // Down before browsing does nothing
        { -1, "draft", "three", 2 },
        { -1, "three", "two", 1 },
        { -1, "two", "one", 0 },
        { -1, "one", "one", 0 }, // never below the oldest
        { +1, "one", "two", 1 },
        { +1, "two", "three", 2 },
        { +1, "three", "draft", std::nullopt }, // past the newest: the draft again
        { +1, "draft", std::nullopt, std::nullopt },
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step &step = steps[i];
        EXPECT_EQ(history.browse(step.delta, step.field), step.shown) << "step " << i;
        EXPECT_EQ(history.cursor(), step.cursor) << "step " << i;
    }
}

TEST(CommandHistory, AddingEndsBrowsing)
{
    CommandHistory history({ "one" });
    history.browse(-1, "x");
    ASSERT_TRUE(history.cursor().has_value());
    history.add("two");
    EXPECT_FALSE(history.cursor().has_value());
}

TEST(CommandHistory, EmptyHistoryIgnoresTheArrows)
{
    CommandHistory history;
    EXPECT_EQ(history.browse(-1, "typed"), std::nullopt);
    EXPECT_EQ(history.browse(+1, "typed"), std::nullopt);
}

qsizetype cutOf(const QString &text)
{
    return OutputTrim::cutLength(
        text.size(), [&](qsizetype from) { return text.indexOf('\n', from); });
}

TEST(OutputTrim, NothingIsCutUpToTheLimit)
{
    EXPECT_EQ(cutOf(QString(2'000'000, 'x')), 0);
}

TEST(OutputTrim, CutEndsAtALineStart)
{
    // Lines of 10 characters and a line feed.
    QString text;
    while (text.size() <= 2'000'000)
        text += QStringLiteral("0123456789\n");
    const qsizetype cut = cutOf(text);
    EXPECT_EQ(text[cut - 1], QLatin1Char('\n'));
    EXPECT_GE(cut, text.size() - 1'500'000);
    EXPECT_LT(cut, text.size() - 1'500'000 + 11);
}

TEST(OutputTrim, LineFeedExactlyAtTheKeepPositionIsDeletedWithIt)
{
    QString text(2'000'001, 'x');
    const qsizetype from = text.size() - 1'500'000;
    text[from] = '\n';
    EXPECT_EQ(cutOf(text), from + 1);
}

TEST(OutputTrim, WithoutALaterLineFeedTheCutIsAtTheKeepPosition)
{
    QString text(2'100'000, 'x');
    text[10] = '\n'; // before the position: does not count
    EXPECT_EQ(cutOf(text), 600'000);
}

struct SummaryCase {
    int status;
    bool stopped;
    double seconds;
    QString text;
    PanelText::Outcome outcome;
};

TEST(PanelText, SummaryTable)
{
    using PanelText::Outcome;
    const std::vector<SummaryCase> cases = {
        { 0, false, 0.04, "done in 0.0 s", Outcome::Done },
        { 0, false, 12.345, "done in 12.3 s", Outcome::Done },
        { 2, false, 1.26, "exit 2 after 1.3 s", Outcome::Failed },
        { 127, false, 0.0, "exit 127 after 0.0 s", Outcome::Failed },
        { 15, true, 3.06, "stopped after 3.1 s", Outcome::Stopped },
        { 0, true, 0.5, "stopped after 0.5 s", Outcome::Stopped },
    };
    for (const SummaryCase &c : cases) {
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

}
