#pragma once

#include "SshServerFixture.h"
#include "TestSupport.h"
#include "remote/RemoteFiles.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// A test against its own loopback ssh server, with ssh pointed at the test's configuration.
class ServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        if (!server.start(&error))
            GTEST_SKIP() << "no test ssh server: " << error.toStdString();
        useSSH(server.sshProgram());
    }

    void TearDown() override
    {
        setSSHProgramsForTests({});
        server.stop();
    }

    void useSSH(const QString &program)
    {
        SSHPrograms programs;
        programs.ssh = program;
        setSSHProgramsForTests(programs);
    }

    RemoteHost host(std::optional<int> port = std::nullopt) const
    {
        return { QStringLiteral("test"), server.destination(), port.value_or(server.port()),
            { QStringLiteral("~") } };
    }

    std::shared_ptr<SSHClient> client(std::optional<int> port = std::nullopt) const
    {
        return std::make_shared<SSHClient>(host(port));
    }

    SshServerFixture server;
};

// The value a completion hands over, once it has.
template <typename T> struct Awaited {
    std::optional<T> value;

    std::function<void(const T &)> callback()
    {
        return [this](const T &delivered) { value = delivered; };
    }
    bool wait(int timeoutMs = 60000)
    {
        return testsupport::waitUntil([this] { return value.has_value(); }, timeoutMs);
    }
};

// Runs one command and waits for its result.
inline SSHResult runOn(SSHClient &client, const QString &command,
    const std::optional<QByteArray> &input = {}, qsizetype limit = commandOutputLimit)
{
    Awaited<SSHResult> result;
    client.run(command, input, limit, result.callback());
    EXPECT_TRUE(result.wait());
    return result.value.value_or(SSHResult {});
}

// Reads a remote file and waits for the answer.
inline RemoteRead readOn(SSHClient &client, const QString &path)
{
    Awaited<RemoteRead> result;
    readRemote(client, path, result.callback());
    EXPECT_TRUE(result.wait());
    return result.value.value_or(RemoteRead {});
}

// Saves a remote file and waits for the outcome.
inline SaveOutcome saveOn(SSHClient &client, const QString &path, const QByteArray &bytes,
    std::optional<double> expected, const QString &copy = {})
{
    Awaited<SaveOutcome> result;
    saveRemote(client, path, bytes, expected, copy, result.callback());
    EXPECT_TRUE(result.wait());
    return result.value.value_or(SaveOutcome {});
}
