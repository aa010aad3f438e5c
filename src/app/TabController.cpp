// Which document is on show: activation, remembered places and the tab strip.
#include "TabController.h"

#include "AppDelegate.h"
#include "FileOperationsController.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "RemoteController.h"
#include "HistoryController.h"
#include "BlameController.h"

#include "EditingController.h"

#include "EditorHost.h"
#include "FileNames.h"
#include "remote/LocalCopies.h"
#include "chrome/FileCardInfo.h"
#include "chrome/HoverCards.h"
#include "chrome/TabStripView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/FindBar.h"
#include "editor/LineNumberGutter.h"
#include "editor/PaintScheduler.h"
#include "git/GitParsers.h"
#include "git/GitQueries.h"
#include "git/GitRun.h"
#include "navigation/ExplorerView.h"
#include "navigation/FileListing.h"
#include "remote/RemoteFileOutcomes.h"
#include "common/MainThread.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>

TabController::TabController(AppDelegate &app)
    : app(app)
{
}

void TabController::settleAfterLaunch()
{
    settleUntil = QDateTime::currentDateTime().addSecs(3);
}

void TabController::activateDocument(int index, bool focus)
{
    if (index < 0 || index >= int(app.documents().size()))
        return;
    app.window().closeSettings();
    app.history().closeCommitView();
    rememberPlace();
    app.blame().leaveDocument(app.documents().shown());
    for (const DocumentPtr &document : app.documents()) {
        if (document->historyIndex) {
            document->historyIndex.reset();
            document->historyGeneration += 1;
        }
    }
    app.documents().setActive(index);
    const DocumentPtr document = app.documents()[size_t(index)];
    document->revisions.reset();
    installView(*document);
    if (focus)
        document->textView->setFocus();
    settleOrigin = document->scrollOrigin;
    settleUntil = QDateTime::currentDateTime().addSecs(3);
    revealInExplorer(document->path());
    app.documents().documentsChanged();
}

void TabController::installView(OpenDocument &document)
{
    EditorTextView *view = document.textView;
    app.editing().applyWrap(document);
    app.window().scrollView()->install(view);
    app.window().scrollView()->gutterSlot()->show();
    app.window().lineRuler()->setTextView(view);
    app.window().painter()->show(view, document.url, document.isPlain);
    app.window().findBar()->setTextView(view);
    const qsizetype length = view->buffer()->length();
    const qsizetype location = std::min(document.selectedRange.location, length);
    const qsizetype selected = std::min(document.selectedRange.length, length - location);
    view->setSelection(location, location + selected);
    view->horizontalScrollBar()->setValue(document.scrollOrigin.x());
    view->verticalScrollBar()->setValue(document.scrollOrigin.y());
}

void TabController::rememberPlace()
{
    const DocumentPtr document = app.documents().shown();
    if (!document || !document->textView || document->historyIndex)
        return;
    const EditorTextView *view = document->textView;
    document->selectedRange = { view->selectionStart(), view->selectionEnd() - view->selectionStart() };
    document->scrollOrigin = { document->textView->horizontalScrollBar()->value(),
                               document->textView->verticalScrollBar()->value() };
}

void TabController::revealInExplorer(const QString &path)
{
    if (FileNames::isAtOrUnder(path, remoteCopiesDirectory()))
        return;
    // Documents name their files with links resolved; the folders may be reached through one.
    const QString current = app.window().explorer()->root();
    QString root;
    if (!current.isEmpty() && FileNames::isAtOrUnder(path, canonicalPath(current)))
        root = current;
    else if (app.fileOperations().workspace() && FileNames::isAtOrUnder(path, canonicalPath(*app.fileOperations().workspace())))
        root = *app.fileOperations().workspace();
    else
        root = QFileInfo(path).absolutePath();
    const bool outside = app.fileOperations().workspace() && QDir::cleanPath(root) != *app.fileOperations().workspace();
    app.window().explorer()->setRoot(root, outside, app.fileOperations().workspace().has_value());
    app.window().explorer()->revealFile(path);
}

void TabController::hoverTab(std::optional<int> index, QWidget *tab)
{
    app.window().hoverCards()->hide();
    if (!index || *index < 0 || *index >= int(app.documents().size()))
        return;
    std::weak_ptr<OpenDocument> weak = app.documents()[*index];
    QPointer<QWidget> anchor = tab;
    app.window().hoverCards()->scheduleShow(HoverCards::tabShowDelayMs, [this, weak, anchor] {
        const DocumentPtr document = weak.lock();
        if (!document || !anchor || !document->textView)
            return;
        const QString path = document->remote ? document->remote->hostID + QLatin1Char(':') + document->remote->path
                                              : document->path();
        const QString text = document->text();
        FileHoverCard *card = app.window().hoverCards()->show(fileCardInfo(document->fileName(), path, text, document->isDirty),
                                               app.window().hoverCards()->rectInWindow(anchor), Side::below);
        showLastCommit(*document, card);
    });
}

void TabController::showLastCommit(const OpenDocument &document, FileHoverCard *card)
{
    std::optional<GitSource> source;
    if (!document.remote && gitAvailable())
        source = GitSource::local(QFileInfo(document.path()).absolutePath());
    else if (document.remote && app.remote().isHostAlive(document.remote->hostID))
        if (const auto client = app.remote().clientFor(document.remote->hostID))
            source = GitSource::remote(RemoteRepo { client, remoteFolderOf(document.remote->path) });
    if (!source || !card)
        return;
    const QString name = document.remote ? remoteFileName(document.remote->path) : document.fileName();
    QPointer<FileHoverCard> shownCard = card;
    QPointer<HoverCards> cards = app.window().hoverCards();
    gitWork(*source, [source = *source, name, dirty = document.isDirty, shownCard, cards] {
        const std::optional<LastCommit> commit = GitQueries::lastCommit(source, name);
        if (!commit)
            return;
        const QString summary = GitParsers::lastCommitSummary(*commit, dirty);
        MainThread::post([shownCard, cards, summary] {
            if (cards && shownCard)
                cards->setCommit(shownCard, summary);
        });
    });
}

bool TabController::openAtLine(const QString &path, int line, bool preview)
{
    if (!app.documents().loadDocument(path, preview, true, true))
        return false;
    const DocumentPtr active = app.documents().activeDocument();
    if (!active || !active->textView)
        return false;
    showLine(*active, line);
    return true;
}

void TabController::showLine(OpenDocument &document, int line)
{
    if (line < 1 || line > document.textView->buffer()->lineCount())
        return;
    document.textView->showLine(line - 1);
}

void TabController::editorScrolled()
{
    app.window().hoverCards()->hide();
    app.blame().hideHoverCard();
    app.window().painter()->editorScrolled();
}

void TabController::refreshTabStrip()
{
    app.window().hoverCards()->hide();
    QStringList titles;
    QList<bool> dirty;
    QList<bool> preview;
    for (const DocumentPtr &document : app.documents()) {
        titles << document->fileName();
        dirty << document->isDirty;
        preview << document->isPreview;
    }
    app.window().tabStrip()->setTabs(titles, dirty, preview, app.documents().empty() ? -1 : app.documents().activeIndex());
}

void TabController::holdEditorPlace()
{
    const DocumentPtr active = app.documents().activeDocument();
    if (!active || !active->textView || QDateTime::currentDateTime() >= settleUntil)
        return;
    QScrollBar *bar = active->textView->horizontalScrollBar();
    if (bar->value() == settleOrigin.x())
        return;
    // Never move the text away from a caret the user is typing at.
    const QRect caret = active->textView->cursorRect();
    const int shift = bar->value() - settleOrigin.x();
    if (!active->textView->viewport()->rect().contains(caret.translated(shift, 0).topLeft()))
        return;
    const QString record = QStringLiteral("scrolled to %1").arg(bar->value());
    bar->setValue(settleOrigin.x());
    app.window().showNote(QStringLiteral("Editor offset put right (") + record + QLatin1Char(')'));
}
