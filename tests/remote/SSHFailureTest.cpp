#include "remote/SSHFailure.h"

#include <gtest/gtest.h>

void PrintTo(const SSHFailure &failure, std::ostream *out)
{
    *out << "kind " << int(failure.kind) << " \"" << failure.detail.toStdString() << '"';
}

namespace
{

using Kind = SSHFailure::Kind;

struct FailureCase {
    int status;
    QString stderr;
    std::optional<SSHFailure> failure;
};

TEST(SSHFailure, ClassifyFailureTable)
{
    const std::vector<FailureCase> cases = {
        { 1, "Permission denied", std::nullopt },
        { 0, "", std::nullopt },
        { -2, "", std::nullopt },
        { 255, "", SSHFailure { Kind::other, "ssh failed" } },
        { 255, "\n  \n", SSHFailure { Kind::other, "ssh failed" } },
        { 255,
            "Warning: Permanently added 'box' (ED25519) to the list of known hosts.\n"
            "me@box: Permission denied (publickey).\n",
            SSHFailure { Kind::authentication, "me@box: Permission denied (publickey)." } },
        { 255, "ssh: connect to host box port 22: Connection refused\n",
            SSHFailure {
                Kind::unreachable, "ssh: connect to host box port 22: Connection refused" } },
        { 255, "ssh: Could not resolve hostname nowhere: Name or service not known\n",
            SSHFailure { Kind::unreachable,
                "ssh: Could not resolve hostname nowhere: Name or service not known" } },
        { 255, "ssh: connect to host 10.1.1.1 port 22: Connection timed out\n",
            SSHFailure { Kind::unreachable,
                "ssh: connect to host 10.1.1.1 port 22: Connection timed out" } },
        { 255, "No route to host", SSHFailure { Kind::unreachable, "No route to host" } },
        { 255, "Network is unreachable",
            SSHFailure { Kind::unreachable, "Network is unreachable" } },
        { 255, "Host key verification failed.\n", SSHFailure { Kind::unknownHostKey, {} } },
        // The changed-key banner also says that verification failed; the change wins.
        { 255,
            "@@@ WARNING: REMOTE HOST IDENTIFICATION HAS CHANGED! @@@\n"
            "Host key verification failed.\n",
            SSHFailure { Kind::hostKeyChanged, {} } },
        { 255, "Warning: only a warning\n", SSHFailure { Kind::other, "Warning: only a warning" } },
        { 255, "Couldn't run ssh: No such file or directory",
            SSHFailure { Kind::other, "Couldn't run ssh: No such file or directory" } },
        // A link that dropped under a run speaks in ssh's internals; the user reads plain words.
        { 255, "mux_client_request_session: read from master failed: Broken pipe\n",
            SSHFailure { Kind::unreachable, "The machine stopped answering" } },
        { 255, "Timeout, server 127.0.0.1 not responding.\n",
            SSHFailure { Kind::unreachable, "The machine stopped answering" } },
        { 255, "Connection to 127.0.0.1 closed by remote host.\n",
            SSHFailure { Kind::unreachable, "The machine stopped answering" } },
        { 255, "client_loop: send disconnect: Broken pipe\n",
            SSHFailure { Kind::unreachable, "The machine stopped answering" } },
        // After the shared connection died, ssh tried one of its own, which timed out too.
        { 255,
            "mux_client_request_session: read from master failed: Broken pipe\n"
            "Connection timed out during banner exchange\n",
            SSHFailure { Kind::unreachable, "The machine stopped answering" } },
    };
    for (const FailureCase &c : cases)
        EXPECT_EQ(classifyFailure({ c.status, {}, c.stderr }), c.failure)
            << c.status << " " << c.stderr.toStdString();
}

TEST(SSHFailure, ShortFailureTextTable)
{
    const std::vector<std::pair<QString, QString>> cases = {
        { "ssh: connect to host box port 22: Operation timed out", "Timed out" },
        { "  ssh: Could not resolve hostname box: nodename nor servname\n",
            "Could not resolve hostname" },
        { "me@box: Permission denied (publickey).", "Permission denied" },
        { "connect to host box port 22: Connection refused", "Connection refused" },
        { "No route to host", "No route to host" },
        { "Network is unreachable", "Network is unreachable" },
        { "Host key verification failed.", "Host key verification failed" },
        { "ssh: something else entirely", "something else entirely" },
        { "\n \n", "Couldn't connect" },
        { "The machine stopped answering", "Stopped answering" },
    };
    for (const auto &[text, message] : cases)
        EXPECT_EQ(shortFailureText(text), message) << text.toStdString();
}

}
