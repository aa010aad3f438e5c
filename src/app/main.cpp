#include "AppDelegate.h"
#include "MainWindow.h"
#include "SingleInstance.h"
#include "WindowController.h"
#include "common/MainThread.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the editor the way quitting does, with the session written and
// unsaved documents left in the journal.
void handleTerminationSignals(AppDelegate &delegate)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, &delegate, [&delegate] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        delegate.willTerminate();
        QApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

// The controllers live only while the event loop runs.
int runEditor(SingleInstance &instance, const QList<QUrl> &files)
{
    AppDelegate delegate;
    instance.onOpen = [&delegate](const QList<QUrl> &urls) {
        delegate.openURLs(urls);
        if (MainWindow *window = delegate.window().mainWindow()) {
            window->raise();
            window->activateWindow();
        }
    };
    handleTerminationSignals(delegate);
    QObject::connect(qApp, &QApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.willTerminate(); });
    delegate.openURLs(files);
    delegate.didFinishLaunching();
    const int status = QApplication::exec();
    instance.onOpen = nullptr;
    return status;
}

}

int main(int argc, char **argv)
{
    ::signal(SIGPIPE, SIG_IGN);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    // Qt sees none of the arguments: they are all files, and a file named like one of its
    // options ("-reverse") must not become one.
    int qtArgumentCount = 1;
    QApplication app(qtArgumentCount, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillmar"));
    QApplication::setApplicationName(QStringLiteral("Quillmar"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));
    QApplication::setDesktopFileName(QStringLiteral("org.quillmar.Quillmar"));

    const QList<QUrl> files = commandLineFiles(arguments, QDir::currentPath());
    // Without a folder of the user's own there is no safe socket: this editor then runs alone.
    const auto socketPath = SingleInstance::defaultSocketPath();
    SingleInstance instance(socketPath.value_or(QString()));
    if (socketPath) {
        if (instance.forward(files))
            return 0;
        instance.listen();
    }

    const int status = runEditor(instance, files);
    // Threads reading git or ssh output may still be posting; they must be done (or ignored)
    // before the application object goes.
    MainThread::closeDown(std::chrono::seconds(3));
    return status;
}
