// The real editor program, ended by signals and by SIGKILL, keeps the unsaved work it found.
#include "app/Journal.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

class RecoveryProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        binary = QCoreApplication::applicationDirPath() + "/../quillmar";
        ASSERT_TRUE(QFileInfo(binary).isExecutable()) << binary.toStdString();
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        for (const char *name : { "config", "cache", "state", "data", "runtime" })
            QDir().mkpath(home.filePath(name));
        QFile::setPermissions(home.filePath("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_CACHE_HOME", home.filePath("cache"));
        environment.insert("XDG_STATE_HOME", home.filePath("state"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        environment.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        folder = home.filePath("state/org.quillmar.Quillmar/recovery");
    }

    void TearDown() override
    {
        for (const auto &editor : editors) {
            if (editor->state() != QProcess::NotRunning) {
                editor->kill();
                editor->waitForFinished(10000);
            }
        }
    }

    QProcess *startEditor()
    {
        auto editor = std::make_unique<QProcess>();
        editor->setProcessEnvironment(environment);
        editor->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        editor->start(binary, {});
        editor->waitForStarted(10000);
        editors.push_back(std::move(editor));
        return editors.back().get();
    }

    // The process that holds the entry's lock, as its lock file says.
    qint64 owner(const QString &key) const
    {
        QFile lock(folder + "/" + key + ".lock");
        if (!lock.open(QIODevice::ReadOnly))
            return 0;
        return lock.readLine().trimmed().toLongLong();
    }

    bool waitForOwner(const QString &key, QProcess *editor)
    {
        return testsupport::waitUntil([&] { return owner(key) == editor->processId(); }, 60000);
    }

    QString journaledText(const QString &key) const
    {
        Journal journal(folder);
        const auto record = journal.read(key);
        return record ? record->text : QString();
    }

    QString binary;
    QTemporaryDir home;
    QTemporaryDir dir;
    QString folder;
    QProcessEnvironment environment;
    std::vector<std::unique_ptr<QProcess>> editors;
};

}

TEST_F(RecoveryProcessTest, KilledOrSignalledTheEditorKeepsTheUnsavedText)
{
    const QString path = testsupport::writeFile(dir, "draft.txt", "on disk\n");
    const QString key = "left-by-a-crash";
    {
        // What an editor that was killed while typing leaves behind.
        JournalState state;
        state.path = path;
        state.diskDate = QFileInfo(path).lastModified();
        Journal journal(folder);
        journal.writeText(key, state,
                          TextSnapshot(std::make_shared<const TextStorage>(
                              TextStorage::fromFileText(u"typed before the crash\n"))));
        journal.wait();
    }

    QProcess *first = startEditor();
    ASSERT_TRUE(waitForOwner(key, first)) << "the editor never took the entry up";
    ::kill(pid_t(first->processId()), SIGKILL);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(journaledText(key), "typed before the crash\n");

    // The lock of a killed editor does not keep the next one from the entry.
    QProcess *second = startEditor();
    ASSERT_TRUE(waitForOwner(key, second));
    ::kill(pid_t(second->processId()), SIGTERM);
    ASSERT_TRUE(second->waitForFinished(30000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(journaledText(key), "typed before the crash\n");
    // The session was written on the way out: the document is part of it.
    QSettings session(home.filePath("config/Quillmar/Quillmar.conf"), QSettings::IniFormat);
    EXPECT_TRUE(session.value("QuillmarOpenFiles").toStringList().contains(path))
        << session.value("QuillmarOpenFiles").toStringList().join(' ').toStdString();

    QProcess *third = startEditor();
    ASSERT_TRUE(waitForOwner(key, third));
    ::kill(pid_t(third->processId()), SIGHUP);
    ASSERT_TRUE(third->waitForFinished(30000));
    EXPECT_EQ(third->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(journaledText(key), "typed before the crash\n");
    EXPECT_EQ(testsupport::readFile(path), "on disk\n");
}
