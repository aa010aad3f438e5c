// Remote files over a loopback ssh server: opening a 10 MB file from the request to the local
// copy written, and one short command, each with the host's master connection already up and
// with it closed first. The server's account runs /bin/sh with no start-up files, so the
// figures are ssh's and the scripts' own, not a login shell's.
#include "remote/RemoteFiles.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"

// The test server lives with the tests; benchmark programs link only their library.
#include "../tests/remote/SshServerFixture.cpp"
#include "../tests/remote/SshServerFixture.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>

namespace
{

SshServerFixture *server = nullptr;

std::shared_ptr<SSHClient> newClient()
{
    return std::make_shared<SSHClient>(RemoteHost {
        QStringLiteral("bench"), server->destination(), server->port(), { QStringLiteral("~") } });
}

// Runs the event loop until the flag is set by a completion.
void waitFor(const bool &done)
{
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void openFile(SSHClient &client, const QString &path)
{
    bool done = false;
    readRemote(client, path, [&](const RemoteRead &read) {
        if (!read.opened)
            std::fprintf(stderr, "read failed: %s\n", qPrintable(read.message));
        done = true;
    });
    waitFor(done);
}

void runCommand(SSHClient &client)
{
    bool done = false;
    client.run(QStringLiteral("true"), std::nullopt, commandOutputLimit,
        [&](const SSHResult &) { done = true; });
    waitFor(done);
}

void closeMaster(benchmark::State &state, const std::shared_ptr<SSHClient> &client)
{
    state.PauseTiming();
    SSHClient::disconnectAll({ client });
    state.ResumeTiming();
}

const QString tenMegabytes = QStringLiteral("ten-megabytes.txt");

void BM_OpenTenMegabytesConnected(benchmark::State &state)
{
    const auto client = newClient();
    runCommand(*client);
    for (auto _ : state)
        openFile(*client, server->path(tenMegabytes));
    state.SetBytesProcessed(state.iterations() * 10'000'000);
}
BENCHMARK(BM_OpenTenMegabytesConnected)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenTenMegabytesFirstConnection(benchmark::State &state)
{
    const auto client = newClient();
    for (auto _ : state) {
        closeMaster(state, client);
        openFile(*client, server->path(tenMegabytes));
    }
}
BENCHMARK(BM_OpenTenMegabytesFirstConnection)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FirstCommand(benchmark::State &state)
{
    const auto client = newClient();
    for (auto _ : state) {
        closeMaster(state, client);
        runCommand(*client);
    }
}
BENCHMARK(BM_FirstCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SecondCommand(benchmark::State &state)
{
    const auto client = newClient();
    runCommand(*client);
    for (auto _ : state)
        runCommand(*client);
}
BENCHMARK(BM_SecondCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

}

int main(int argc, char **argv)
{
    ::signal(SIGPIPE, SIG_IGN);
    QTemporaryDir caches;
    qputenv("XDG_CACHE_HOME", caches.path().toUtf8());
    QCoreApplication app(argc, argv);
    SshServerFixture fixture;
    QString error;
    if (!fixture.start(&error)) {
        std::fprintf(stderr, "no ssh server: %s\n", qPrintable(error));
        return 1;
    }
    server = &fixture;
    QByteArray text;
    for (int line = 0; text.size() < 10'000'000; ++line)
        text += "line " + QByteArray::number(line) + " of a ten megabyte remote text file\n";
    text.truncate(10'000'000);
    fixture.writeFile(tenMegabytes, text);
    SSHPrograms programs;
    programs.ssh = fixture.sshProgram();
    setSSHProgramsForTests(programs);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture.stop();
    return 0;
}
