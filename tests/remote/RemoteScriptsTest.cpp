#include "remote/RemoteCommand.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteScripts.h"
#include "TestSupport.h"
#include "common/ChildProcess.h"
#include "remote/LocalCopies.h"
#include "remote/SSHArguments.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{

// The shells a machine's account may log in with, those installed here.
QStringList installedShells()
{
    QStringList shells;
    for (const QString shell : { "/bin/dash", "/bin/bash", "/usr/bin/fish", "/bin/tcsh", "/bin/csh",
             "/bin/zsh", "/bin/ksh" })
        if (QFileInfo(shell).isExecutable())
            shells << shell;
    return shells;
}

// Runs a remote command line as ssh would: the login shell gets it after -c.
ChildProcess::Result runIn(const QString &shell, const QString &line,
    const std::optional<QByteArray> &input = {}, const QString &folder = {})
{
    const QStringList environment { "PATH=/usr/bin:/bin", "HOME=/tmp", "SHELL=" + shell };
    return ChildProcess::run(
        { shell, { "-c", line }, folder, environment }, input, ChildProcess::Errors::capture);
}

ChildProcess::Result runScript(const QString &script, const std::optional<QByteArray> &input = {})
{
    return runIn("/bin/sh", shellNeutral(script), input);
}

// The words that break a line in one shell or another: quotes, "$", "!", backslashes, a
// leading dash, a line feed, non-ASCII letters, and the decoder's own "@" and "%".
const QStringList hostileWords { "it's", "\"q\"", "$HOME", "!x", "a\\b\\\\c", "-n", "two\nlines",
    "é ü", "50% @home", "`id`", "*" };

TEST(ShellNeutral, EveryLoginShellRunsTheScriptUnderShWithStandardInputFree)
{
    QString script = "printf '%s|' \"$0\"";
    for (const QString &word : hostileWords)
        script += " " + remoteQuote(word);
    script += "; cat";
    QByteArray expected = "sh|";
    for (const QString &word : hostileWords)
        expected += word.toUtf8() + '|';
    expected += "input\n";
    for (const QString &shell : installedShells()) {
        const auto result = runIn(shell, shellNeutral(script), QByteArray("input\n"));
        EXPECT_EQ(result.output, expected) << shell.toStdString() << ": " << result.errors.data();
        EXPECT_EQ(result.status, 0) << shell.toStdString();
    }
    // Every byte a shell could read differently travels escaped.
    const QString line = shellNeutral("a\\'!%@\n\t\x7f" + QString("é"));
    EXPECT_TRUE(line.endsWith("sh 'a@134@047@041@045@100@012@011@177@303@251'")) << line.toStdString();
}

TEST(ShellNeutral, ATypedLineRunsInTheLoginShellInTheFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("it's $x");
    QDir().mkpath(folder);
    for (const QString &shell : installedShells()) {
        // A line the user wrote for fish runs under fish, for tcsh under tcsh.
        QString line = "pwd; echo ok";
        if (shell.endsWith("fish"))
            line = "pwd; set x ok; echo $x";
        else if (shell.endsWith("csh"))
            line = "pwd; set x=ok; echo $x";
        const auto result = runIn(shell, shellNeutral(remoteRunLine(folder, line, QStringLiteral("scripts-test"))));
        EXPECT_EQ(result.output, folder.toUtf8() + "\nok\n")
            << shell.toStdString() << ": " << result.errors.data();
    }
    const auto missing = runIn("/bin/sh", shellNeutral(remoteRunLine("/nowhere/at all", "pwd", QStringLiteral("scripts-test"))));
    EXPECT_NE(missing.status, 0);
    EXPECT_TRUE(missing.output.isEmpty());
}

TEST(RemoteScripts, ReadingGivesAHeaderAndTheBytesOrRefusesWithoutBlocking)
{
    QTemporaryDir dir;
    const QByteArray bytes("a\0b\nc", 5);
    const QString file = testsupport::writeFile(dir, "f's $x", bytes);
    const auto read = runScript(readScript(file));
    ASSERT_EQ(read.status, 0) << read.errors.data();
    const auto parsed = parseReadOutput(read.output);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->content, bytes);
    EXPECT_EQ(parsed->size, 5);
    EXPECT_EQ(parsed->modified, double(QFileInfo(file).lastModified().toSecsSinceEpoch()));

    // Past the limit the header tells the size and no byte follows.
    const auto large = parseReadOutput(runScript(readScript(file, 4)).output);
    ASSERT_TRUE(large);
    EXPECT_EQ(large->size, 5);
    EXPECT_TRUE(large->content.isEmpty());

    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::vector<std::pair<QString, QByteArray>> refused {
        { dir.path(), "This is a folder, not a file" },
        { fifo, "This is not a regular file (a pipe, a device or a socket)" },
        { "/dev/zero", "This is not a regular file (a pipe, a device or a socket)" },
        { dir.filePath("missing"), "No such file" },
    };
    for (const auto &[path, message] : refused) {
        const auto result = runScript(readScript(path));
        EXPECT_EQ(result.status, 1) << path.toStdString();
        EXPECT_EQ(result.errors.trimmed(), message);
        EXPECT_FALSE(parseReadOutput(result.output)) << path.toStdString();
    }
}

TEST(RemoteScripts, SavingReplacesTheFileOnlyWithTheWholeUpload)
{
    QTemporaryDir dir;
    const QString file = testsupport::writeFile(dir, "-n it's", "old\n");
    const auto saved = runScript(writeScript(file, std::nullopt, 4), QByteArray("new\n"));
    EXPECT_EQ(parseWriteOutput(saved.output).kind, WriteReply::Kind::saved) << saved.errors.data();
    EXPECT_EQ(parseWriteOutput(saved.output).modified,
        double(QFileInfo(file).lastModified().toSecsSinceEpoch()));
    EXPECT_EQ(testsupport::readFile(file), "new\n");

    // Fewer bytes than announced: a cut upload, which changes nothing and leaves no litter.
    const auto cut = runScript(writeScript(file, std::nullopt, 10), QByteArray("short"));
    EXPECT_EQ(cut.status, 1);
    EXPECT_EQ(parseWriteOutput(cut.output).kind, WriteReply::Kind::none);
    EXPECT_EQ(cut.errors.trimmed(), "The upload was cut short; the file is as it was");
    EXPECT_EQ(testsupport::readFile(file), "new\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "-n it's" });

    // A file changed since it was read is left alone.
    const auto conflict = runScript(writeScript(file, 1000, 1), QByteArray("x"));
    EXPECT_EQ(parseWriteOutput(conflict.output).kind, WriteReply::Kind::conflict);
    EXPECT_EQ(testsupport::readFile(file), "new\n");

    // Set-id and sticky bits survive the replacement.
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 02755), 0);
    runScript(writeScript(file, std::nullopt, 1), QByteArray("y"));
    struct stat after {
    };
    ::stat(QFile::encodeName(file).constData(), &after);
    EXPECT_EQ(after.st_mode & 07777, 02755u);
}

TEST(RemoteScripts, OutputCountsOnlyWithItsEndMarker)
{
    const auto done = runScript(withEndMarker("printf 'a\\nb'"));
    EXPECT_EQ(markedOutput(done.status, done.output), QByteArray("a\nb"));
    const auto failed = runScript(withEndMarker("printf 'a'; false"));
    EXPECT_EQ(markedOutput(failed.status, failed.output), std::nullopt);
    EXPECT_EQ(markedOutput(0, ""), std::nullopt);
    EXPECT_EQ(confirmedOutput({ 0, "\nquillmar-done\n", "find: denied\n" }), std::nullopt);
    EXPECT_EQ(confirmedOutput({ 0, "x\nquillmar-done\n", "find: denied\n" }), QByteArray("x"));
    EXPECT_EQ(confirmedOutput({ 0, "\nquillmar-done\n", {} }), QByteArray());
    // ssh's note that it recorded a host key says nothing about the script.
    const QString recorded = "Warning: Permanently added '[127.0.0.1]:2222' (ED25519) to the "
                             "list of known hosts.\r\n";
    EXPECT_EQ(confirmedOutput({ 0, "\nquillmar-done\n", recorded }), QByteArray());
    EXPECT_EQ(unconfirmedReason({ 0, {}, recorded }),
        "the machine's shell ran nothing (status 0, no answer)");
    EXPECT_EQ(unconfirmedReason({ 2, {}, recorded + "ls: denied\n" }), "ls: denied");
}

// Streamed a byte at a time, the output comes through whole and the end line never does.
TEST(RemoteScripts, AStreamedMarkedOutputIsPassedOnWithoutItsEndLine)
{
    const auto streamed = [](const QByteArray &output) {
        MarkedStream stream;
        QByteArray passed;
        for (char byte : output)
            passed += stream.take(QByteArrayView(&byte, 1));
        return std::tuple(passed, stream.ended(), stream.hadOutput());
    };
    const auto done = runScript(withEndMarker("printf 'a line\\nmore'"));
    EXPECT_EQ(streamed(done.output), std::tuple(QByteArray("a line\nmore"), true, true));
    EXPECT_EQ(streamed(runScript(withEndMarker("true")).output),
        std::tuple(QByteArray(), true, false));
    EXPECT_EQ(streamed("x\nquillmar-don"), std::tuple(QByteArray(), false, true));
    EXPECT_EQ(streamed(""), std::tuple(QByteArray(), false, false));
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
