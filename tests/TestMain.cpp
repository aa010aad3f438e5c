#include "common/MainThread.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::signal(SIGPIPE, SIG_IGN);
    // Settings, caches and the runtime folder of each test process live in a folder of its own,
    // never in the user's (Qt's test mode would share one folder between parallel tests).
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Quillmar");
    QApplication::setApplicationName("Quillmar");
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    // As the editor does: threads still reading git or ssh output finish, or are ignored,
    // before the application object goes.
    MainThread::closeDown(std::chrono::seconds(5));
    return status;
}
