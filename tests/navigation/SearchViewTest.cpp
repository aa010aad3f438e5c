#include "navigation/SearchView.h"
#include "TestSupport.h"
#include "navigation/SearchCell.h"
#include "navigation/SearchCommand.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <csignal>

using testsupport::waitUntil;
using testsupport::writeFile;

namespace
{

struct Opened {
    QString place;
    QString path;
    int line;
};

class SearchViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        writeFile(dir, "src/main.cpp", "int main()\n{\n    return hello();\n}\n");
        writeFile(dir, "notes.txt", "Hello there\nnothing\nsay hello\n");
        writeFile(dir, "node_modules/dep.js", "hello\n");
        place = dir.path();
        view.placeProvider = [this]() -> std::optional<SearchPlace> {
            return place ? std::optional(SearchPlace::local(*place)) : std::nullopt;
        };
        view.onOpen = [this](const SearchPlace &where, const QString &path, int line) {
            opened.append({ where.folder, path, line });
        };
        view.resize(300, 500);
        view.show();
    }

    void type(const QString &text)
    {
        view.field()->clear();
        QTest::keyClicks(view.field(), text);
        QTest::keyClick(view.field(), Qt::Key_Return);
    }
    bool searchEnds()
    {
        return waitUntil([this] { return !view.isSearching(); });
    }
    QString summary() const { return view.summaryLabel()->text(); }

    // Each file row's path with the texts of its hit rows.
    QMap<QString, QStringList> rows() const
    {
        QMap<QString, QStringList> out;
        QTreeWidget *tree = view.outline();
        for (int f = 0; f < tree->topLevelItemCount(); ++f) {
            QTreeWidgetItem *file = tree->topLevelItem(f);
            QStringList hits;
            for (int h = 0; h < file->childCount(); ++h)
                hits.append(file->child(h)->data(0, SearchCell::LineRole).toString() + ":"
                    + file->child(h)->text(0));
            out.insert(file->text(0), hits);
        }
        return out;
    }

    QTemporaryDir dir;
    std::optional<QString> place;
    SearchView view;
    QList<Opened> opened;
};

TEST_F(SearchViewTest, ReturnRunsTheQueryAndGroupsHitsByFile)
{
    type("hello");
    EXPECT_TRUE(view.isSearching());
    EXPECT_EQ(summary(), "Searching…");
    ASSERT_TRUE(searchEnds());
    const QMap<QString, QStringList> expected {
        { "src/main.cpp", { "3:return hello();" } },
        { "notes.txt", { "1:Hello there", "3:say hello" } },
    };
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(summary(), "3 matches in 2 files");
    QTreeWidgetItem *notes = view.outline()->findItems("notes.txt", Qt::MatchExactly)[0];
    EXPECT_TRUE(notes->isExpanded());
    EXPECT_EQ(notes->data(0, SearchCell::CountRole).toInt(), 2);
    EXPECT_EQ(view.searchedQuery(), (SearchQuery { "hello", false, false }));
}

TEST_F(SearchViewTest, OptionButtonsSearchAgainAndABadExpressionSaysWhy)
{
    type("hello");
    ASSERT_TRUE(searchEnds());
    view.caseButton()->click();
    ASSERT_TRUE(view.isSearching());
    ASSERT_TRUE(searchEnds());
    EXPECT_EQ(summary(), "2 matches in 2 files");

    type("h.l+o\\(");
    ASSERT_TRUE(searchEnds());
    EXPECT_EQ(summary(), "No results");
    view.regexButton()->click();
    ASSERT_TRUE(searchEnds());
    EXPECT_EQ(summary(), "1 match in 1 file");
    EXPECT_EQ(view.searchedQuery(), (SearchQuery { "h.l+o\\(", true, true }));
    // An expression grep refuses says why.
    type("(");
    ASSERT_TRUE(searchEnds());
    EXPECT_EQ(summary().toStdString(), "Invalid pattern: Unmatched ( or \\(");
}

TEST_F(SearchViewTest, NothingToSearchOrNowhereToSearch)
{
    type("hello");
    ASSERT_TRUE(searchEnds());
    // An empty field clears the results and runs nothing.
    type("");
    EXPECT_FALSE(view.isSearching());
    EXPECT_EQ(view.outline()->topLevelItemCount(), 0);
    EXPECT_EQ(summary(), "");

    place.reset();
    view.prepare();
    EXPECT_EQ(view.scopeLabel()->text(), "Open a folder to search it.");
    type("hello");
    EXPECT_FALSE(view.isSearching());
    EXPECT_EQ(summary(), "Open a folder to search it.");
}

TEST_F(SearchViewTest, HitsShowWhileTheSearchStillRuns)
{
    // A grep that reports one hit and then takes its time.
    const QString slow
        = writeFile(dir, "slow-grep", "#!/bin/sh\nprintf 'a.txt:4:first\\n'\nexec sleep 60\n");
    QFile::setPermissions(slow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SearchCommand::setGrepProgramForTesting(slow);
    type("first");
    SearchCommand::setGrepProgramForTesting("/usr/bin/grep");
    ASSERT_TRUE(waitUntil([this] { return summary() == "Searching… 1 so far"; }));
    EXPECT_TRUE(view.isSearching());
    EXPECT_EQ(rows(), (QMap<QString, QStringList> { { "a.txt", { "4:first" } } }));
    EXPECT_TRUE(view.outline()->topLevelItem(0)->isExpanded());

    // Clearing the field and pressing Return stops it.
    const qint64 pid = view.run()->processId();
    type("");
    EXPECT_FALSE(view.isSearching());
    EXPECT_TRUE(waitUntil([&] { return ::kill(pid_t(pid), 0) != 0; }));
}

TEST_F(SearchViewTest, PrepareNamesThePlaceAndFocusesTheField)
{
    view.activateWindow();
    view.field()->setText("old query");
    view.prepare();
    EXPECT_EQ(view.scopeLabel()->text(), QFileInfo(dir.path()).fileName());
    EXPECT_TRUE(waitUntil([this] { return view.field()->hasFocus(); }));
    EXPECT_EQ(view.field()->selectedText(), "old query");
}

TEST_F(SearchViewTest, ClickingAHitOpensItsLineInThePlaceSearched)
{
    type("return");
    ASSERT_TRUE(searchEnds());
    // The workspace changes; the results still belong to the folder they came from.
    place = QStringLiteral("/elsewhere");
    QTreeWidget *tree = view.outline();
    QTreeWidgetItem *file = tree->topLevelItem(0);
    tree->scrollToItem(file->child(0));
    QTest::mouseClick(
        tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(file->child(0)).center());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].place, dir.path());
    EXPECT_EQ(opened[0].path, "src/main.cpp");
    EXPECT_EQ(opened[0].line, 3);

    // A file row opens nothing.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(file).center());
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(SearchViewTest, ANewSearchReplacesTheOneRunning)
{
    QByteArray lines;
    for (int i = 0; i < 1500; ++i)
        lines += "alpha " + QByteArray::number(i) + "\n";
    writeFile(dir, "big.txt", lines + "beta 1\nbeta 2\n");
    type("alpha");
    ASSERT_TRUE(view.isSearching());
    const qint64 oldProcess = view.run()->processId();
    type("beta");
    ASSERT_TRUE(searchEnds());
    EXPECT_TRUE(waitUntil([&] { return ::kill(pid_t(oldProcess), 0) != 0; }));
    EXPECT_EQ(
        rows(), (QMap<QString, QStringList> { { "big.txt", { "1501:beta 1", "1502:beta 2" } } }));
    EXPECT_EQ(summary(), "2 matches in 1 file");
}

TEST(SearchCellTest, RowTexts)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(SearchCell::fileDetail("src/lib/a.cpp", 1200, english), "src/lib  ·  1,200");
    EXPECT_EQ(SearchCell::fileDetail("a.cpp", 3, english), "  ·  3");

    EXPECT_EQ(SearchCell::shownText("\t  x = 1;  \r"), "x = 1;");
    const QString longLine = "  " + QString(400, u'a');
    EXPECT_EQ(SearchCell::shownText(longLine), QString(300, u'a'));
    // A character outside the basic plane is not cut in half.
    const QString astral = QString(299, u'a') + QString::fromUtf8("\xf0\x9f\x98\x80") + "b";
    EXPECT_EQ(SearchCell::shownText(astral), QString(299, u'a'));
}

TEST(SearchCellTest, OccurrencesOfAPlainQuery)
{
    using Ranges = QList<std::pair<qsizetype, qsizetype>>;
    EXPECT_EQ(SearchCell::occurrences("Hello hello HELLO", { "hello", false, false }),
        (Ranges { { 0, 5 }, { 6, 5 }, { 12, 5 } }));
    EXPECT_EQ(SearchCell::occurrences("Hello hello HELLO", { "hello", true, false }),
        (Ranges { { 6, 5 } }));
    // Occurrences do not overlap.
    EXPECT_EQ(
        SearchCell::occurrences("aaaa", { "aa", true, false }), (Ranges { { 0, 2 }, { 2, 2 } }));
    EXPECT_TRUE(SearchCell::occurrences("hello", { "hel+o", false, true }).isEmpty());
    EXPECT_TRUE(SearchCell::occurrences("hello", { "hello", false, true }).isEmpty());
    EXPECT_TRUE(SearchCell::occurrences("hello", { "", false, false }).isEmpty());
}

}
