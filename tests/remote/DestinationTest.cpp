#include "remote/Destination.h"

#include <gtest/gtest.h>

namespace
{

struct DestinationCase {
    QString text;
    std::optional<Destination> parsed;
};

std::optional<Destination> valid(
    const QString &destination, std::optional<int> port, std::optional<QString> folder)
{
    return Destination { destination, port, folder };
}

TEST(Destination, ParseDestinationTable)
{
    const auto none = std::nullopt;
    const std::vector<DestinationCase> cases = {
        { "ssh://user@host:2200/var/www/", valid("user@host", 2200, "/var/www") },
        { "ssh://user@host", valid("user@host", none, none) },
        { "ssh://host/", valid("host", none, "/") },
        { "ssh://host:22", valid("host", 22, none) },
        { "ssh://host:", none },
        { "ssh://host:x/srv", none },
        { "ssh://", none },
        { "ssh://-host", none },
        { "host:0", none },
        { "host:65536", none },
        { "host:65535", valid("host", 65535, none) },
        { "host:99999999999999999999", none },
        { "host:", valid("host", none, none) },
        { "  me@host \n", valid("me@host", none, none) },
        { "-oProxyCommand=x", none },
        { "user@", none },
        { "user@:22", none },
        { "my host", none },
        { "", none },
        { " \n ", none },
        { ":22", none },
        { "host:code", valid("host", none, "~/code") },
        { "host:/", valid("host", none, "/") },
        { "host:/srv///", valid("host", none, "/srv") },
        { "host:/var/www", valid("host", none, "/var/www") },
        { "host:~/code", valid("host", none, "~/code") },
        { "host:~", valid("host", none, "~") },
        { "host:2222", valid("host", 2222, none) },
        { "host:2222/srv", valid("host", 2222, "/srv") },
        { "host:2222/", valid("host", 2222, "/") },
        { "host:8080abc", valid("host", none, "~/8080abc") },
        { "host:a:b", valid("host", none, "~/a:b") },
        { "box.example.com", valid("box.example.com", none, none) },
    };
    for (const DestinationCase &c : cases)
        EXPECT_EQ(parseDestination(c.text), c.parsed) << c.text.toStdString();
}

}
