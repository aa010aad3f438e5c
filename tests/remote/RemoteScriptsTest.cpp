#include "remote/RemoteScripts.h"
#include "remote/LocalCopies.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

namespace
{

TEST(RemoteScripts, ReadScriptIsExact)
{
    EXPECT_EQ(readScript(QStringLiteral("/srv/it's")),
        R"(m=$({ stat -c %Y -- '/srv/it'\''s' 2>/dev/null || stat -f %m -- '/srv/it'\''s' 2>/dev/null; }); printf '%s\n' "$m"; cat -- '/srv/it'\''s' | head -c 67108865)");
    EXPECT_TRUE(readScript(QStringLiteral("~/x"), 10).endsWith("cat -- ~/'x' | head -c 11"));
}

TEST(RemoteScripts, WriteScriptWithAnExpectedTimeIsExact)
{
    EXPECT_EQ(writeScript(QStringLiteral("~/a b"), 1700000000.9, 5),
        R"(cur=$({ stat -c %Y -- ~/'a b' 2>/dev/null || stat -f %m -- ~/'a b' 2>/dev/null; }); if [ -n "$cur" ] && [ "$cur" != "1700000000" ]; then exit 3; fi; if [ -e ~/'a b' ] && [ ! -w ~/'a b' ]; then echo "No permission to write this file" >&2; exit 4; fi; dir=$(dirname -- ~/'a b'); if [ -w "$dir" ]; then mode=$(stat -c %a -- ~/'a b' 2>/dev/null || stat -f %Lp -- ~/'a b' 2>/dev/null); { cat > ~/'a b.quillmar-tmp' && [ $(wc -c < ~/'a b.quillmar-tmp') -eq 5 ] && { [ -z "$mode" ] || chmod "$mode" ~/'a b.quillmar-tmp'; } && mv -f ~/'a b.quillmar-tmp' ~/'a b'; } || { rm -f ~/'a b.quillmar-tmp' 2>/dev/null; exit 1; }; elif [ -e ~/'a b' ]; then cat > ~/'a b'; else echo "No permission to create files in this folder" >&2; exit 4; fi && { stat -c %Y -- ~/'a b' 2>/dev/null || stat -f %m -- ~/'a b' 2>/dev/null; })");
}

TEST(RemoteScripts, WriteScriptWithoutAnExpectedTimeHasNoConflictCheck)
{
    const QString script = writeScript(QStringLiteral("/f"), std::nullopt, 0);
    EXPECT_TRUE(script.startsWith(
        R"(cur=$({ stat -c %Y -- '/f' 2>/dev/null || stat -f %m -- '/f' 2>/dev/null; }); if [ -e '/f' ])"))
        << script.toStdString();
    EXPECT_FALSE(script.contains("exit 3"));
}

struct ReadOutputCase {
    QByteArray output;
    std::optional<double> modified;
    QByteArray content;
};

TEST(RemoteScripts, ParseReadOutputTable)
{
    const std::vector<ReadOutputCase> cases = {
        { "1700000000\nline one\nline two\n", 1700000000, "line one\nline two\n" },
        { " \t1700000000.25\t \n\n", 1700000000.25, "\n" },
        { "\ncontent", std::nullopt, "content" },
        { "abc\ncontent", std::nullopt, "content" },
        { "no newline at all", std::nullopt, "" },
        { "", std::nullopt, "" },
        { QByteArray("17\n\0\xff", 5), 17, QByteArray("\0\xff", 2) },
    };
    for (const ReadOutputCase &c : cases) {
        const ReadOutput parsed = parseReadOutput(c.output);
        EXPECT_EQ(parsed.modified, c.modified) << c.output.constData();
        EXPECT_EQ(parsed.content, c.content) << c.output.constData();
    }
    EXPECT_EQ(parseSavedTime("\n1700000002\n"), 1700000002);
    EXPECT_EQ(parseSavedTime("stat: nope"), std::nullopt);
    EXPECT_EQ(parseSavedTime(""), std::nullopt);
}

TEST(LocalCopies, LocalCopyURLTable)
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + "/org.quillmar.Quillmar/remote";
    EXPECT_EQ(remoteCopiesDirectory(), root);
    const std::vector<std::tuple<QString, QString, QString>> cases = {
        { "user@host:22", "/srv/app/main.c", "/user@host_22/srv/app/main.c" },
        { "user@host:2200", "/srv/app/main.c", "/user@host_2200/srv/app/main.c" },
        { "box:22", "/a/../b/./c//d.txt", "/box_22/a/b/c/d.txt" },
        { "box:22", "~/notes.md", "/box_22/~/notes.md" },
        { "my box/é:22", "/x", QStringLiteral("/my_box_é_22/x") },
    };
    for (const auto &[id, path, tail] : cases)
        EXPECT_EQ(localCopyURL(id, path), root + tail) << path.toStdString();
}

}
