#pragma once

#include "app/AppDelegate.h"
#include "app/DocumentController.h"
#include "app/TabController.h"
#include "app/WindowController.h"
#include "app/FileOperationsController.h"
#include "app/EditingController.h"
#include "app/SessionController.h"

#include <QApplication>
#include <QSettings>

#include <memory>

// Runs the event loop until no document is still being read in the background.
inline void waitForLoads(AppDelegate &app)
{
    const auto loading = [&app] {
        for (const DocumentPtr &document : app.documents())
            if (document->loading)
                return true;
        return false;
    };
    while (loading())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// A controller launched as at a first start: no settings, its window built and shown.
inline std::unique_ptr<AppDelegate> launchedEditor()
{
    QSettings().clear();
    auto app = std::make_unique<AppDelegate>();
    app->didFinishLaunching();
    QApplication::processEvents();
    return app;
}
