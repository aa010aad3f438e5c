#include "TestRepo.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

TestRepo::TestRepo()
{
    git({ QStringLiteral("init"), QStringLiteral("-q"), QStringLiteral("-b"),
        QStringLiteral("main") });
}

QString TestRepo::write(const QString &relative, const QByteArray &bytes)
{
    return testsupport::writeFile(dir, relative, bytes);
}

QString TestRepo::commit(const QString &message, qint64 seconds, const QString &name)
{
    time = seconds;
    author = name;
    git({ QStringLiteral("add"), QStringLiteral("-A") });
    git({ QStringLiteral("commit"), QStringLiteral("-q"), QStringLiteral("--allow-empty"),
        QStringLiteral("-m"), message });
    return QString::fromUtf8(git({ QStringLiteral("rev-parse"), QStringLiteral("HEAD") }))
        .trimmed();
}

QByteArray TestRepo::git(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    QProcessEnvironment environment;
    const QString date = QStringLiteral("@%1 +0000").arg(time);
    const QString email
        = QString(author).remove(QLatin1Char(' ')).toLower() + QStringLiteral("@example.com");
    for (const auto &[key, value] : std::initializer_list<std::pair<const char *, QString>> {
             { "PATH", QStringLiteral("/usr/bin:/bin") }, { "HOME", path() },
             { "GIT_CONFIG_NOSYSTEM", QStringLiteral("1") },
             { "GIT_CONFIG_GLOBAL", QStringLiteral("/dev/null") }, { "GIT_AUTHOR_NAME", author },
             { "GIT_AUTHOR_EMAIL", email }, { "GIT_COMMITTER_NAME", author },
             { "GIT_COMMITTER_EMAIL", email }, { "GIT_AUTHOR_DATE", date },
             { "GIT_COMMITTER_DATE", date } })
        environment.insert(QString::fromLatin1(key), value);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(path());
    process.start(QStringLiteral("/usr/bin/git"), arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    const QByteArray errors = process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 0)
        << arguments.join(QLatin1Char(' ')).toStdString() << ": " << errors.toStdString();
    return process.readAllStandardOutput();
}

QByteArray fixture(const QString &name)
{
    const QString folder = QStringLiteral(QUILLMAR_TESTS_DIR "/git");
    const QByteArray bytes = testsupport::readFile(folder + QStringLiteral("/fixtures/") + name);
    EXPECT_FALSE(bytes.isEmpty()) << "missing fixture " << name.toStdString();
    return bytes;
}
