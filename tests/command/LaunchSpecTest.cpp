#include "command/LaunchSpec.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

struct ShellCase {
    QString shell;
    QStringList arguments;
};

// zsh and bash run as login shells; any other shell, fish among them, gets "-c" and the line.
TEST(LaunchSpec, ShellArgumentsTable)
{
    const QString line = QStringLiteral("make -j4 && echo ok");
    const std::vector<ShellCase> cases = {
        { "/bin/zsh", { "-l", "-c", line } },
        { "/usr/local/bin/zsh", { "-l", "-c", line } },
        { "/bin/bash", { "-l", "-c", line } },
        { "/usr/bin/fish", { "-c", line } },
        { "/bin/sh", { "-c", line } },
        { "/bin/dash", { "-c", line } },
        { "/opt/zsh-5.9", { "-c", line } },
    };
    for (const ShellCase &c : cases) {
        const LaunchSpec launch = localLaunch(line, QStringLiteral("/tmp"), c.shell);
        EXPECT_EQ(launch.program, c.shell);
        EXPECT_EQ(launch.arguments, c.arguments) << c.shell.toStdString();
        EXPECT_EQ(launch.workingFolder, QStringLiteral("/tmp"));
    }
}

struct ChoiceCase {
    QString variable;
    std::set<QString> executables;
    QString expected;
};

TEST(LaunchSpec, DefaultShellChoiceTable)
{
    const std::vector<ChoiceCase> cases = {
        { "/usr/bin/fish", { "/usr/bin/fish", "/bin/zsh" }, "/usr/bin/fish" },
        { "/usr/bin/fish", { "/bin/zsh", "/bin/bash" }, "/bin/zsh" }, // SHELL not executable
        { "", { "/bin/zsh", "/bin/bash" }, "/bin/zsh" },
        { "", { "/bin/bash" }, "/bin/bash" },
        { "/gone", {}, "/bin/sh" },
    };
    for (const ChoiceCase &c : cases) {
        const QString chosen = chooseShell(
            c.variable, [&](const QString &path) { return c.executables.count(path) > 0; });
        EXPECT_EQ(chosen, c.expected) << c.variable.toStdString();
    }
}

}
