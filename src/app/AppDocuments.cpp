// Opening from outside the editor: dropped files and folders and the open panels.
#include "AppDelegate.h"
#include "DocumentController.h"
#include "DropPlan.h"
#include "WindowController.h"
#include "FileOperationsController.h"
#include "MainWindow.h"
#include "OpenPanel.h"
#include "navigation/ExplorerView.h"

#include <QFileDialog>
#include <QFileInfo>

void AppDelegate::performDrop(const QList<QUrl> &urls)
{
    for (const DropPlan &step : planDrop(urls)) {
        switch (step.action) {
        case DropPlan::Action::openFile:
            documents().loadDocument(step.url.toLocalFile(), false, true, true);
            break;
        case DropPlan::Action::setWorkspace:
            fileOperations().setWorkspace(step.url.toLocalFile());
            break;
        }
    }
}

void AppDelegate::openDocument()
{
    QString start = window().explorer()->root();
    if (start.isEmpty() && fileOperations().workspace())
        start = *fileOperations().workspace();
    auto *panel = new OpenPanel(window().mainWindow(), QStringLiteral("Choose files to open, or a folder to use as the workspace"), start);
    panel->onChoose = [this](const QList<QUrl> &urls) { performDrop(urls); };
    panel->open();
}

void AppDelegate::openFolder()
{
    auto *dialog = new QFileDialog(window().mainWindow(), QStringLiteral("Choose a folder to use as the workspace"),
                                   fileOperations().workspace().value_or(QString()));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog emits no urlSelected: the answer is read from the dialog once accepted.
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const QUrl url = dialog->selectedUrls().value(0);
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
            fileOperations().setWorkspace(url.toLocalFile());
    });
    dialog->open();
}
