#include "command/LaunchSpec.h"

#include <gtest/gtest.h>

#include <set>

// zsh and bash run as login shells; any other shell, fish among them, gets "-c" and the line.
TEST(LaunchSpec, ShellArgumentsTable)
{
    const QString line = QStringLiteral("make -j4 && echo ok");
    const std::pair<QString, QStringList> cases[] = {
        { "/bin/zsh", { "-l", "-c", line } },
        { "/usr/local/bin/zsh", { "-l", "-c", line } },
        { "/bin/bash", { "-l", "-c", line } },
        { "/usr/bin/fish", { "-c", line } },
        { "/bin/sh", { "-c", line } },
        { "/opt/zsh-5.9", { "-c", line } },
    };
    for (const auto &[shell, arguments] : cases) {
        const LaunchSpec launch = localLaunch(line, QStringLiteral("/tmp"), shell);
        EXPECT_EQ(launch.program, shell);
        EXPECT_EQ(launch.arguments, arguments) << shell.toStdString();
        EXPECT_EQ(launch.workingFolder, QStringLiteral("/tmp"));
    }
}

TEST(LaunchSpec, DefaultShellChoiceTable)
{
    const struct {
        QString variable;
        std::set<QString> executables;
        QString expected;
    } cases[] = {
        { "/usr/bin/fish", { "/usr/bin/fish", "/bin/zsh" }, "/usr/bin/fish" },
        { "/usr/bin/fish", { "/bin/zsh", "/bin/bash" }, "/bin/zsh" }, // SHELL not executable
        { "", { "/bin/bash" }, "/bin/bash" },
        { "/gone", {}, "/bin/sh" },
    };
    for (const auto &c : cases) {
        const QString chosen = chooseShell(
            c.variable, [&](const QString &path) { return c.executables.count(path) > 0; });
        EXPECT_EQ(chosen, c.expected) << c.variable.toStdString();
    }
}
