#include "AppFixture.h"

#include "../remote/SshServerFixture.h"
#include "common/Defaults.h"
#include "remote/RemoteHostsFile.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"

#include <QFile>

// The controller against a real ssh server on 127.0.0.1.
class RemoteDocumentTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        QString error;
        if (!server.start(&error))
            GTEST_SKIP() << "no test ssh server: " << error.toStdString();
        SSHPrograms programs;
        programs.ssh = server.sshProgram();
        setSSHProgramsForTests(programs);
        setHomeForTests(home.path());
        QString saveError;
        ASSERT_TRUE(saveHosts({ RemoteHost { "box", server.destination(), server.port(), { "~" } } }, &saveError));
    }

    void TearDown() override
    {
        app.reset();
        setSSHProgramsForTests({});
        server.stop();
        AppFixture::TearDown();
    }

    DocumentPtr openRemote(const QString &relative)
    {
        app->openRemoteFile(app->remoteClients.front(), server.path(relative), false);
        if (!testsupport::waitUntil([&] { return !app->documents.empty() && app->documents.back()->remote; }, 30000))
            return nullptr;
        return app->documents.back();
    }

    QByteArray remoteBytes(const QString &relative) { return testsupport::readFile(server.path(relative)); }

    SshServerFixture server;
    QTemporaryDir home;
};

TEST_F(RemoteDocumentTest, OpensEditsAndSavesBack)
{
    server.writeFile("notes.txt", "hello\n");
    AppDelegate &a = launch();
    ASSERT_EQ(a.remoteClients.size(), 1u);
    const DocumentPtr document = openRemote("notes.txt");
    ASSERT_TRUE(document);
    EXPECT_EQ(document->textView->toPlainText(), "hello\n");
    EXPECT_EQ(document->remote->path, server.path("notes.txt"));
    type(document, "edited ");
    bool saved = false;
    a.saveFile(document, false, [&](bool ok) { saved = ok; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return saved; }, 30000));
    EXPECT_EQ(remoteBytes("notes.txt"), "edited hello\n");
    EXPECT_FALSE(document->isDirty);
    // The local copy holds the same bytes.
    EXPECT_EQ(testsupport::readFile(document->path()), "edited hello\n");
}

TEST_F(RemoteDocumentTest, AFileChangedOnTheMachineAsksBeforeOverwriting)
{
    server.writeFile("shared.txt", "base\n");
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("shared.txt");
    ASSERT_TRUE(document);
    type(document, "mine ");
    server.writeFile("shared.txt", "theirs\n");
    QFile touched(server.path("shared.txt"));
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    touched.setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime);
    touched.close();
    std::optional<bool> result;
    a.saveFile(document, false, [&](bool ok) { result = ok; });
    ASSERT_TRUE(testsupport::waitUntil([&] { return bool(a.card); }, 30000));
    EXPECT_EQ(cardTexts().value(0), "shared.txt changed on the machine");
    EXPECT_EQ(remoteBytes("shared.txt"), "theirs\n");
    ASSERT_TRUE(pressCardButton("Overwrite"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return result.value_or(false); }, 30000));
    EXPECT_EQ(remoteBytes("shared.txt"), "mine base\n");
}

TEST_F(RemoteDocumentTest, RemoteDocumentsComeBackAfterARestart)
{
    server.writeFile("kept.txt", "kept\n");
    {
        AppDelegate &a = launch();
        ASSERT_TRUE(openRemote("kept.txt"));
        a.willTerminate();
    }
    app.reset();
    AppDelegate &a = launch();
    ASSERT_EQ(a.documents.size(), 1u);
    ASSERT_TRUE(a.documents[0]->remote.has_value());
    EXPECT_EQ(a.documents[0]->remote->path, server.path("kept.txt"));
    EXPECT_EQ(a.documents[0]->textView->toPlainText(), "kept\n");
}

TEST_F(RemoteDocumentTest, AMachineNoLongerSavedRefusesTheSave)
{
    server.writeFile("gone.txt", "x\n");
    AppDelegate &a = launch();
    const DocumentPtr document = openRemote("gone.txt");
    ASSERT_TRUE(document);
    type(document, "y");
    a.remoteClients.clear();
    EXPECT_FALSE(a.saveFile(document, false));
    EXPECT_TRUE(document->isDirty);
    EXPECT_FALSE(a.statusText.value_or("").isEmpty());
}
