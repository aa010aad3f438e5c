#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <functional>

// Runs the benchmarks of a program that drives real widgets offscreen, with settings and
// runtime files in a folder of its own. setUp runs once the application exists and may refuse
// to go on; tearDown runs before it goes.
inline int runWidgetBenchmarks(
    int argc, char **argv, std::function<bool()> setUp = {}, std::function<void()> tearDown = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillmar"));
    QApplication::setApplicationName(QStringLiteral("Quillmar"));
    if (setUp && !setUp())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (tearDown)
        tearDown();
    return 0;
}
