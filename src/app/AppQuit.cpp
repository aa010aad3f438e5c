// Quitting and closing the window: the unsaved-changes question and the final save of the session.
#include "AppDelegate.h"
#include "DocumentController.h"
#include "WindowController.h"

#include "MainWindow.h"
#include "RemoteController.h"
#include "SessionController.h"
#include "chrome/InlineCard.h"
#include "common/Defaults.h"
#include "command/OutputPanelView.h"
#include "remote/RemoteHostList.h"

#include <QApplication>
#include <QKeySequence>

void AppDelegate::requestQuit()
{
    const auto dirty = documents().dirtyDocuments();
    if (dirty.empty()) {
        terminateNow();
        return;
    }
    confirmUnsaved(dirty, [this] { requestQuit(); });
}

bool AppDelegate::windowShouldClose()
{
    if (terminated)
        return true;
    const auto dirty = documents().dirtyDocuments();
    if (dirty.empty()) {
        willTerminate();
        return true;
    }
    confirmUnsaved(dirty, [this] {
        if (window().mainWindow())
            window().mainWindow()->close();
    });
    return false;
}

void AppDelegate::terminateNow()
{
    willTerminate();
    if (window().mainWindow())
        window().mainWindow()->close();
    QApplication::quit();
}

void AppDelegate::confirmUnsaved(const std::vector<DocumentPtr> &dirty, std::function<void()> continuation)
{
    const QString title = dirty.size() == 1
        ? QStringLiteral("Save changes to %1?").arg(dirty.front()->fileName())
        : QStringLiteral("Save changes to %1 files?").arg(dirty.size());
    std::vector<std::weak_ptr<OpenDocument>> listed(dirty.begin(), dirty.end());
    const auto alive = [listed] {
        std::vector<DocumentPtr> out;
        for (const auto &weak : listed)
            if (DocumentPtr document = weak.lock())
                out.push_back(document);
        return out;
    };
    QList<Button> buttons;
    buttons << Button { QStringLiteral("Cancel"), false, true, QKeySequence(), [] {} };
    buttons << Button { QStringLiteral("Don't Save"), false, true, QKeySequence(Qt::CTRL | Qt::Key_D),
                        [this, alive, continuation] {
                            for (const DocumentPtr &document : alive())
                                document->isDirty = false;
                            documents().documentsChanged();
                            continuation();
                        } };
    buttons << Button { QStringLiteral("Save All"), true, true, QKeySequence(),
                        [this, alive, continuation] {
                            documents().saveInTurn(alive(), [continuation](bool ok) {
                                if (ok)
                                    continuation();
                            });
                        } };
    window().showCard(new InlineCard(title, QStringLiteral("Your changes will be lost if you don't save them."),
                            std::nullopt, buttons));
}

void AppDelegate::willTerminate()
{
    if (terminated)
        return;
    terminated = true;
    // Whatever is still unsaved now (a signal or a logout ended us) is found again at the next launch.
    session().writeForExit();
    if (window().outputPanel())
        window().outputPanel()->stopForQuit();
    remote().hosts().disconnectAll();
    window().saveWindowFrame();
}
