#include "remote/RemoteHostsFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

struct DecodeCase {
    const char *json;
    QList<RemoteHost> hosts;
    int unreadable = 0;
};

TEST(RemoteHostsFile, DecodeTable)
{
    const auto none = std::nullopt;
    const std::vector<DecodeCase> cases = {
        { R"([{"name":"Web","destination":"me@web","port":2200,"folders":["/srv","~"]}])",
            { { "Web", "me@web", 2200, { "/srv", "~" } } } },
        { R"([{"name":"Old","destination":"box","folder":"/etc"}])", { { "Old", "box", none, { "/etc" } } } },
        { R"([{"name":"Both","destination":"box","folder":"/etc","folders":["/srv"]}])",
            { { "Both", "box", none, { "/srv" } } } },
        { R"([{"name":"Empty","destination":"box","folders":[],"folder":"/etc"}])",
            { { "Empty", "box", none, { "/etc" } } } },
        { R"([{"name":"Mixed","destination":"box","folders":["/a",3]}])", { { "Mixed", "box", none, { "~" } } } },
        { R"([{"name":"Bare","destination":"box","port":null}])", { { "Bare", "box", none, { "~" } } } },
        { R"([])", {} },
        // One bad entry no longer spoils the others.
        { R"([{"name":"A","destination":"a"},{"destination":"b"}])", { { "A", "a", none, { "~" } } }, 1 },
        { R"([{"name":"A","destination":7},{"name":"B","destination":"b"}])", { { "B", "b", none, { "~" } } }, 1 },
        { R"([{"name":"A","destination":"a","port":"22"}])", {}, 1 },
        { R"([{"name":"A","destination":"a","port":22.5}])", {}, 1 },
        { R"([{"name":"A","destination":"a","port":0}])", {}, 1 },
        { R"([{"name":"A","destination":"a","port":65536}])", {}, 1 },
        // ssh would read these as options or as something else than one machine.
        { R"([{"name":"A","destination":"-oProxyCommand=touch /tmp/x"}])", {}, 1 },
        { R"([{"name":"A","destination":"two words"}])", {}, 1 },
        { R"([3, {"name":"B","destination":"b"}])", { { "B", "b", none, { "~" } } }, 1 },
    };
    for (const DecodeCase &c : cases) {
        const HostsRead read = decodeHosts(c.json);
        EXPECT_TRUE(read.isList) << c.json;
        EXPECT_EQ(read.hosts, c.hosts) << c.json;
        EXPECT_EQ(read.unreadable.size(), c.unreadable) << c.json;
        EXPECT_EQ(read.problems.size(), c.unreadable) << c.json;
    }
    EXPECT_FALSE(decodeHosts(R"({"name":"A","destination":"a"})").isList);
    EXPECT_FALSE(decodeHosts("not json").isList);
    EXPECT_TRUE(decodeHosts("").isList);
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
    QString note = "stale";
    EXPECT_TRUE(loadHosts(&note).isEmpty());
    EXPECT_EQ(note, "");
    testsupport::writeFile(home, ".quillmar/remotes.json", R"([{"name":"A"}])");
    EXPECT_TRUE(loadHosts().isEmpty());
}

TEST_F(RemoteHostsHome, AnIllTypedEntryIsSkippedNamedAndKeptInTheFile)
{
    // Once, one such entry emptied the list and the next change wrote back only the new machine.
    testsupport::writeFile(home, ".quillmar/remotes.json",
        R"([{"name":"Web","destination":"web"},{"name":"Db","destination":"db","port":"5432"},)"
        R"({"name":"Ci","destination":"ci","folders":["/srv"]}])");
    QString note;
    QList<RemoteHost> hosts = loadHosts(&note);
    ASSERT_EQ(hosts.size(), 2);
    EXPECT_EQ(hosts[1].name, "Ci");
    EXPECT_TRUE(note.contains("connection 2 (Db)")) << note.toStdString();
    hosts << RemoteHost { "New", "new", std::nullopt, { "~" } };
    QString error;
    ASSERT_TRUE(saveHosts(hosts, &error)) << error.toStdString();
    const HostsRead again = decodeHosts(testsupport::readFile(remotesFile()));
    EXPECT_EQ(again.hosts, hosts);
    ASSERT_EQ(again.unreadable.size(), 1);
    EXPECT_EQ(again.unreadable[0].toObject().value("port").toString(), "5432");
}

TEST_F(RemoteHostsHome, AFileThatIsNoListIsNeitherUsedNorReplaced)
{
    const QByteArray broken = R"([{"name":"Web","destination":"web"},])";
    testsupport::writeFile(home, ".quillmar/remotes.json", broken);
    QString note;
    EXPECT_TRUE(loadHosts(&note).isEmpty());
    EXPECT_TRUE(note.contains("remotes.json")) << note.toStdString();
    QString error;
    EXPECT_FALSE(saveHosts({ { "New", "new", std::nullopt, { "~" } } }, &error));
    EXPECT_TRUE(error.contains("left as it is")) << error.toStdString();
    EXPECT_EQ(testsupport::readFile(remotesFile()), broken);
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
