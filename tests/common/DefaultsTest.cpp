#include "common/Defaults.h"
#include "common/NameLists.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

class DefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::clearSettings(); }
    void TearDown() override { testsupport::clearSettings(); }
};

TEST_F(DefaultsTest, FirstRunGivesTheTableDefaults)
{
    EXPECT_EQ(Defaults::sidebarMode(), "explorer");
    EXPECT_FALSE(Defaults::explorerHidden());
    EXPECT_TRUE(Defaults::panelHidden());
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 11);
    EXPECT_EQ(Defaults::indentWidth(), 2);
    EXPECT_TRUE(Defaults::wrap());
    EXPECT_TRUE(Defaults::copyIndent());
    EXPECT_TRUE(Defaults::braces());
    EXPECT_TRUE(Defaults::inlineBlame());
    EXPECT_FALSE(Defaults::string(Defaults::Workspace).has_value());
    EXPECT_TRUE(Defaults::stringList(Defaults::OpenFiles).isEmpty());
    EXPECT_TRUE(Defaults::dictionary(Defaults::Bookmarks).isEmpty());
}

TEST_F(DefaultsTest, IllTypedValuesGiveTheDefault)
{
    Defaults::set(Defaults::Wrap, QStringLiteral("perhaps"));
    Defaults::set(Defaults::PanelHidden, 3);
    Defaults::set(Defaults::FontSize, QStringLiteral("large"));
    Defaults::set(Defaults::IndentWidth, true);
    Defaults::set(Defaults::Bookmarks, QStringLiteral("not a dictionary"));
    Defaults::set(Defaults::SidebarMode, QStringList { "git", "ssh" });
    EXPECT_TRUE(Defaults::wrap());
    EXPECT_TRUE(Defaults::panelHidden());
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 11);
    EXPECT_EQ(Defaults::indentWidth(), 2);
    EXPECT_TRUE(Defaults::dictionary(Defaults::Bookmarks).isEmpty());
    EXPECT_EQ(Defaults::sidebarMode(), "explorer");
}

TEST_F(DefaultsTest, ZeroStandsForMissingAndIndentIsClamped)
{
    Defaults::set(Defaults::FontSize, 0.0);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 11);
    Defaults::set(Defaults::FontSize, 14.5);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 14.5);
    Defaults::set(Defaults::IndentWidth, 0);
    EXPECT_EQ(Defaults::indentWidth(), 2);
    Defaults::set(Defaults::IndentWidth, 12);
    EXPECT_EQ(Defaults::indentWidth(), 8);
    Defaults::set(Defaults::IndentWidth, -3);
    EXPECT_EQ(Defaults::indentWidth(), 1);
}

TEST_F(DefaultsTest, StoredValuesOutsideTheirRangeAreClamped)
{
    // A font size of 1e308 left the editor's text invisible.
    const std::vector<std::pair<QVariant, double>> sizes {
        { 1e308, 48 }, { QStringLiteral("1e308"), 48 }, { 3.0, 8 }, { -4.0, 11 },
        { QStringLiteral("nan"), 11 }, { QStringLiteral("inf"), 11 }, { 47.5, 47.5 },
    };
    for (const auto &[stored, read] : sizes) {
        Defaults::set(Defaults::FontSize, stored);
        EXPECT_DOUBLE_EQ(Defaults::fontSize(), read) << stored.toString().toStdString();
    }
    Defaults::set(Defaults::IndentWidth, QStringLiteral("1e308"));
    EXPECT_EQ(Defaults::indentWidth(), 2);
}

TEST_F(DefaultsTest, ValuesReadBackFromTheFileAsText)
{
    // What an earlier run left on disk: the INI store keeps types only as words.
    QSettings settings;
    const QString path = settings.fileName();
    settings.clear();
    settings.sync();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\nQuillmarWrap=false\nQuillmarBraces=yes\nQuillmarIndentWidth=4\n"
               "QuillmarFontSize=13.5\nQuillmarOpenFiles=/only/one\n"
               "QuillmarCommandHistory=make, make test\n");
    file.close();
    settings.sync();
    EXPECT_FALSE(Defaults::wrap());
    EXPECT_TRUE(Defaults::braces()); // "yes" is no boolean word
    EXPECT_EQ(Defaults::indentWidth(), 4);
    EXPECT_DOUBLE_EQ(Defaults::fontSize(), 13.5);
    EXPECT_EQ(Defaults::stringList(Defaults::OpenFiles), QStringList { "/only/one" });
    EXPECT_EQ(Defaults::stringList(Defaults::CommandHistory), (QStringList { "make", "make test" }));
}

TEST_F(DefaultsTest, ListsAndDictionariesRoundTrip)
{
    for (const QStringList &list : { QStringList(), QStringList { "/x, y" }, QStringList { "/a", "/b c" } }) {
        Defaults::set(Defaults::OpenFiles, list);
        EXPECT_EQ(Defaults::stringList(Defaults::OpenFiles), list);
    }
    const QVariantMap bookmarks { { "/a b/c, d.txt", QVariantList { 3, 10 } } };
    Defaults::set(Defaults::Bookmarks, bookmarks);
    EXPECT_EQ(Defaults::dictionary(Defaults::Bookmarks), bookmarks);
}

TEST(NameListsTest, ComparedExactlyAgainstTheName)
{
    EXPECT_TRUE(NameLists::isHidden(u".git"));
    EXPECT_TRUE(NameLists::isHidden(u".DS_Store"));
    EXPECT_FALSE(NameLists::isHidden(u".gitignore"));
    EXPECT_FALSE(NameLists::isHidden(u".GIT"));
    EXPECT_TRUE(NameLists::isHeavy(u"node_modules"));
    EXPECT_FALSE(NameLists::isHeavy(u"Build"));
}
