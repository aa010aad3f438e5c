#include "remote/ConnectionCards.h"

#include <gtest/gtest.h>

namespace
{

const QString badConnect = QStringLiteral(
    "Use user@host, or a name from your ssh config. Add :port if it isn't 22, or :/folder to "
    "start there.");
const QString badEdit = QStringLiteral(
    "Use user@host, or a name from your ssh config. Add :port if it isn't 22, or :/folder to "
    "add a folder.");

TEST(ConnectionCards, ConnectMakesAnEntryNamedAfterItsDestination)
{
    const auto added = acceptConnect(QStringLiteral("me@web:2200/srv/"));
    ASSERT_TRUE(added.value);
    EXPECT_EQ(*added.value, (RemoteHost { "me@web", "me@web", 2200, { "/srv" } }));
    EXPECT_EQ(acceptConnect(QStringLiteral("me@web")).value->folders, QStringList { "~" });
    const auto refused = acceptConnect(QStringLiteral("-x"));
    EXPECT_FALSE(refused.value);
    EXPECT_EQ(refused.error, badConnect);
}

TEST(ConnectionCards, EditingIsRefusedOnlyWhenItBecomesAnotherEntry)
{
    const QList<RemoteHost> hosts { { "Web", "me@web", std::nullopt, { "~" } },
        { "Db", "me@db", 2200, { "/var" } } };
    const auto clash = acceptEdit(hosts, 0, QStringLiteral("me@db:2200"));
    EXPECT_FALSE(clash.value);
    EXPECT_EQ(clash.error, "me@db is already in the list. Remove this entry instead.");
    const auto same = acceptEdit(hosts, 1, editCard(hosts[1]).field.value());
    ASSERT_TRUE(same.value);
    EXPECT_EQ(*same.value, hosts[1]);
    const auto moved = acceptEdit(hosts, 0, QStringLiteral("me@web2:/srv"));
    ASSERT_TRUE(moved.value);
    EXPECT_EQ(*moved.value, (RemoteHost { "Web", "me@web2", std::nullopt, { "~", "/srv" } }));
    const auto invalid = acceptEdit(hosts, 0, QStringLiteral("me@"));
    EXPECT_FALSE(invalid.value);
    EXPECT_EQ(invalid.error, badEdit);
}

TEST(ConnectionCards, FolderAndNameInputs)
{
    const std::vector<std::pair<QString, std::optional<QString>>> folders = {
        { "/etc/nginx", "/etc/nginx" },
        { "  code ", "~/code" },
        { "~/x", "~/x" },
        { "", std::nullopt },
        { "/a\n/b", std::nullopt },
    };
    for (const auto &[text, folder] : folders) {
        const auto checked = acceptFolder(text);
        EXPECT_EQ(checked.value, folder) << text.toStdString();
        if (!folder) {
            EXPECT_EQ(checked.error, "Type a folder on the machine, such as /var/www or ~/code.");
        }
    }
    EXPECT_EQ(acceptRename(QStringLiteral(" Build box\n")).value, "Build box");
    EXPECT_EQ(acceptRename(QStringLiteral(" \n")).error, "A name can't be empty.");
}

}
