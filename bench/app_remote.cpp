// A 10 MB remote file over a loopback ssh server, from the request to the document shown in
// the editor, through the real controller and widgets offscreen: with the machine's master
// connection already up, and with it closed first. The server's account runs /bin/sh with no
// start-up files, so the figures are ssh's, the scripts' and the editor's own.
#include "BenchApp.h"
#include "BenchMain.h"
#include "BenchText.h"
#include "app/AppDelegate.h"
#include "app/RemoteController.h"
#include "app/RemoteDocumentController.h"
#include "editor/EditorTextView.h"
#include "remote/RemoteHostList.h"
#include "remote/RemoteHostsFile.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"

// The test server lives with the tests; benchmark programs link only their library.
#include "../tests/remote/SshServerFixture.cpp"
#include "../tests/remote/SshServerFixture.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

SshServerFixture *server = nullptr;

QByteArray codeText(qint64 bytes)
{
    const QByteArray line = "    total += compute(values, index) * 2; // keep the running sum\n";
    return repeatedTo(line, bytes);
}

void waitForEvents(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void runTrue(SSHClient &client)
{
    bool done = false;
    client.run(QStringLiteral("true"), std::nullopt, commandOutputLimit, [&](const SSHResult &) { done = true; });
    waitForEvents([&] { return done; });
}

void BM_OpenRemoteFileToShown(benchmark::State &state)
{
    const bool masterUp = state.range(0) == 1;
    const QString path = server->writeFile(QStringLiteral("big.cpp"), codeText(10 * 1000 * 1000));
    for (auto _ : state) {
        state.PauseTiming();
        auto app = launchedEditor();
        const auto client = app->remote().hosts().items().front()->client;
        if (masterUp)
            runTrue(*client);
        else
            SSHClient::disconnectAll({ client });
        QCoreApplication::processEvents();
        // The longest the window went without answering: the longest gap between the ticks
        // of a 1 ms timer, the end of the open counted as one.
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        const auto tick = [&] {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        };
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, tick);
        ticks.start(1);
        clock.start();
        state.ResumeTiming();
        app->remoteDocuments().openRemoteFile(client, path, false);
        waitForEvents([&] { return !app->documents().empty() && app->documents().back()->remote.has_value(); });
        const DocumentPtr shown = app->documents().activeDocument();
        if (shown && shown->textView)
            shown->textView->viewport()->repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        tick();
        ticks.stop();
        state.counters["longest_stall_ms"] = double(longest);
        SSHClient::disconnectAll({ client });
        app.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenRemoteFileToShown)->ArgName("master_up")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

}

int main(int argc, char **argv)
{
    ::signal(SIGPIPE, SIG_IGN);
    SshServerFixture fixture;
    QTemporaryDir home;
    const auto setUp = [&] {
        QString error;
        if (!fixture.start(&error)) {
            std::fprintf(stderr, "no ssh server: %s\n", qPrintable(error));
            return false;
        }
        server = &fixture;
        SSHPrograms programs;
        programs.ssh = fixture.sshProgram();
        setSSHProgramsForTests(programs);
        setHomeForTests(home.path());
        return saveHosts({ RemoteHost { QStringLiteral("bench"), fixture.destination(), fixture.port(),
                                        { QStringLiteral("~") } } },
                         &error);
    };
    return runWidgetBenchmarks(argc, argv, setUp, [&] { fixture.stop(); });
}
