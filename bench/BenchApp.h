#pragma once

#include "app/AppDelegate.h"

#include <QApplication>
#include <QSettings>

#include <memory>

// A controller launched as at a first start: no settings, its window built and shown.
inline std::unique_ptr<AppDelegate> launchedEditor()
{
    QSettings().clear();
    auto app = std::make_unique<AppDelegate>();
    app->didFinishLaunching();
    QApplication::processEvents();
    return app;
}
