#include "remote/RemoteHostsFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

struct DecodeCase {
    const char *json;
    std::optional<QList<RemoteHost>> hosts;
};

TEST(RemoteHostsFile, DecodeTable)
{
    const auto none = std::nullopt;
    const std::vector<DecodeCase> cases = {
        { R"([{"name":"Web","destination":"me@web","port":2200,"folders":["/srv","~"]}])",
            QList<RemoteHost> { { "Web", "me@web", 2200, { "/srv", "~" } } } },
        { R"([{"name":"Old","destination":"box","folder":"/etc"}])",
            QList<RemoteHost> { { "Old", "box", none, { "/etc" } } } },
        { R"([{"name":"Both","destination":"box","folder":"/etc","folders":["/srv"]}])",
            QList<RemoteHost> { { "Both", "box", none, { "/srv" } } } },
        { R"([{"name":"Empty","destination":"box","folders":[],"folder":"/etc"}])",
            QList<RemoteHost> { { "Empty", "box", none, { "/etc" } } } },
        { R"([{"name":"Mixed","destination":"box","folders":["/a",3]}])",
            QList<RemoteHost> { { "Mixed", "box", none, { "~" } } } },
        { R"([{"name":"Bare","destination":"box","port":null}])",
            QList<RemoteHost> { { "Bare", "box", none, { "~" } } } },
        { R"([])", QList<RemoteHost> {} },
        { R"([{"name":"A","destination":"a"},{"destination":"b"}])", none },
        { R"([{"name":"A","destination":7}])", none },
        { R"([{"name":"A","destination":"a","port":"22"}])", none },
        { R"([{"name":"A","destination":"a","port":22.5}])", none },
        { R"([3])", none },
        { R"({"name":"A","destination":"a"})", none },
        { "not json", none },
    };
    for (const DecodeCase &c : cases)
        EXPECT_EQ(decodeHosts(c.json), c.hosts) << c.json;
}

TEST(RemoteHostsFile, EncodingIsPrettySortedAndWritesOnlyFoldersAndAPortWhenThereIsOne)
{
    const QByteArray json = encodeHosts(
        { { "Web", "me@web", 2200, { "/srv" } }, { "Box", "box", std::nullopt, { "~" } } });
    const QByteArray expected = R"([
    {
        "destination": "me@web",
        "folders": [
            "/srv"
        ],
        "name": "Web",
        "port": 2200
    },
    {
        "destination": "box",
        "folders": [
            "~"
        ],
        "name": "Box"
    }
]
)";
    EXPECT_EQ(json, expected);
}

class RemoteHostsHome : public ::testing::Test
{
protected:
    void SetUp() override { setHomeForTests(home.path()); }
    void TearDown() override { setHomeForTests({}); }
    QTemporaryDir home;
};

TEST_F(RemoteHostsHome, TheOldFolderFormIsWrittenBackAsFolders)
{
    testsupport::writeFile(
        home, ".quillmar/remotes.json", R"([{"name":"Old","destination":"box","folder":"/etc"}])");
    EXPECT_EQ(remotesFile(), home.path() + "/.quillmar/remotes.json");
    const QList<RemoteHost> hosts = loadHosts();
    ASSERT_EQ(hosts.size(), 1);
    EXPECT_EQ(hosts[0].folders, QStringList { "/etc" });
    QString error;
    ASSERT_TRUE(saveHosts(hosts, &error)) << error.toStdString();
    const QByteArray written = testsupport::readFile(remotesFile());
    EXPECT_TRUE(written.contains("\"folders\"")) << written.constData();
    EXPECT_FALSE(written.contains("\"folder\"")) << written.constData();
    EXPECT_EQ(loadHosts(), hosts);
}

TEST_F(RemoteHostsHome, SavingCreatesTheFolderAndLeavesNoTemporaryFile)
{
    const QList<RemoteHost> hosts { { "A", "a", 22, { "~" } },
        { "B", "b", std::nullopt, { "/" } } };
    QString error;
    ASSERT_TRUE(saveHosts(hosts, &error)) << error.toStdString();
    EXPECT_EQ(QDir(home.filePath(".quillmar")).entryList(QDir::Files | QDir::Hidden),
        QStringList { "remotes.json" });
    EXPECT_EQ(loadHosts(), hosts);
}

TEST_F(RemoteHostsHome, MissingOrBrokenFilesLoadAsAnEmptyList)
{
    EXPECT_TRUE(loadHosts().isEmpty());
    testsupport::writeFile(home, ".quillmar/remotes.json", R"([{"name":"A"}])");
    EXPECT_TRUE(loadHosts().isEmpty());
}

TEST_F(RemoteHostsHome, AFolderThatCannotBeMadeIsReported)
{
    // A file where the folder should be.
    testsupport::writeFile(home, ".quillmar", "in the way");
    QString error;
    EXPECT_FALSE(saveHosts({ { "A", "a", std::nullopt, { "~" } } }, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(saveHostsFailedNote(error).startsWith("Couldn't save the connection list: "));
}

}
