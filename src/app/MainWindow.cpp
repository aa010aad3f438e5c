#include "MainWindow.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

namespace {

QList<QUrl> localFiles(const QMimeData *mime)
{
    QList<QUrl> urls;
    if (mime && mime->hasUrls())
        for (const QUrl &url : mime->urls())
            if (url.isLocalFile())
                urls << url;
    return urls;
}

}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setAcceptDrops(true);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (onShouldClose && !onShouldClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = localFiles(event->mimeData());
    if (urls.isEmpty() || !onDrop)
        return;
    event->acceptProposedAction();
    onDrop(urls);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && onPaletteChange)
        onPaletteChange();
}
