#include "remote/RemoteRoot.h"

#include <gtest/gtest.h>

namespace
{

TEST(RemoteRoot, TheRepositoryWinsThenTheNearestHostFolderThenTheFilesFolder)
{
    const QList<ResolvedFolder> folders { { "/home/me", true }, { "/home/me/web", true },
        { "~/gone", false } };
    // Inside a repository: its root, even under a host folder.
    EXPECT_EQ(chooseRemoteRoot("/home/me/proj/src/a.c", "/home/me/proj", folders), "/home/me/proj");
    // No repository: the nearest host folder that holds the file.
    EXPECT_EQ(chooseRemoteRoot("/home/me/web/css/x.css", "", folders), "/home/me/web");
    EXPECT_EQ(chooseRemoteRoot("/home/me/notes.txt", "", folders), "/home/me");
    // A folder with a common prefix does not hold the file.
    EXPECT_EQ(chooseRemoteRoot("/home/mel/a.txt", "", folders), "/home/mel");
    // Held by nothing: the file's own folder.
    EXPECT_EQ(chooseRemoteRoot("/etc/nginx/nginx.conf", "", folders), "/etc/nginx");
    EXPECT_EQ(chooseRemoteRoot("/srv/a.txt", "", { { "/", true } }), "/");
}

TEST(RemoteRoot, ScriptOutputGivesTheRepositoryThenTheFolders)
{
    const QStringList folders { "~", "/srv" };
    EXPECT_EQ(remoteRoot("/home/me/p/a.c", "/home/me/p\n/home/me\n/srv\n", folders), "/home/me/p");
    EXPECT_EQ(remoteRoot("/home/me/q/a.c", "\n/home/me\n\n", folders), "/home/me");
    EXPECT_EQ(remoteRoot("/opt/a.c", "", folders), "/opt");
    const QString script = remoteRootScript("/srv/it's", folders);
    EXPECT_TRUE(script.startsWith("r=$(cd '/srv/it'\\''s' 2>/dev/null && git rev-parse --show-toplevel"))
        << script.toStdString();
}

}
