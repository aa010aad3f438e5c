// Blame of the caret's line: the status bar text, the dim annotation and the details card.
#include "AppDelegate.h"
#include "RemoteController.h"

#include "chrome/InlineCard.h"
#include "chrome/StatusBarView.h"
#include "chrome/StatusTexts.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "chrome/HoverCards.h"
#include "git/BlameDisplay.h"
#include "git/BlameHoverCard.h"
#include "git/GitQueries.h"
#include "git/GitSource.h"
#include "git/DocumentBlame.h"
#include "git/GitRun.h"
#include "remote/SSHClient.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>

void AppDelegate::attachBlame(const DocumentPtr &document)
{
    document->blame = std::make_unique<DocumentBlame>(document->path());
    std::weak_ptr<OpenDocument> weak = document;
    document->blame->remoteTarget = [this, weak]() -> std::optional<DocumentBlame::RemoteTarget> {
        const DocumentPtr strong = weak.lock();
        if (!strong || !strong->remote)
            return std::nullopt;
        const auto client = remote().clientFor(strong->remote->hostID);
        if (!client)
            return std::nullopt;
        return DocumentBlame::RemoteTarget { client, strong->remote->path };
    };
    document->blame->onChange = [this, weak] {
        if (const DocumentPtr strong = weak.lock(); strong && strong == shown.lock())
            showCaretBlame();
    };
}

void AppDelegate::updateCaretBlame()
{
    const DocumentPtr document = shown.lock();
    if (!document || !document->textView || document->historyIndex || !document->blame || document->loading) {
        clearBlameDisplay();
        return;
    }
    const bool reachable = document->remote ? remote().isHostAlive(document->remote->hostID) : gitAvailable();
    const TextBuffer *buffer = document->textView->buffer();
    const qsizetype length = buffer->length();
    if (!reachable || (document->isDirty && length > DocumentBlame::longestDirtyText)) {
        clearBlameDisplay();
        return;
    }
    const int line = int(document->textView->caretLine()) + 1;
    if (blameLine != line) {
        setAnnotation(document, std::nullopt);
        blameLine = line;
    }
    DocumentBlame &blame = *document->blame;
    if (!blame.isComputing() && !blame.hasFailed() && (!blame.table() || blame.isStale())) {
        std::optional<DocumentBlame::Contents> contents;
        // A snapshot costs a pointer per chunk here; the text is read from it on a worker.
        if (document->isDirty)
            contents = DocumentBlame::Contents { length, [snapshot = buffer->snapshot()] { return snapshot.text(); } };
        blame.start(buffer->lineCount(), std::move(contents));
    }
    showCaretBlame();
}

void AppDelegate::showCaretBlame()
{
    const DocumentPtr document = shown.lock();
    if (!document || !document->textView || document->historyIndex || !document->blame)
        return;
    const EditorTextView *view = document->textView;
    blameInfo = document->blame->lookup(view->caretLine() + 1).shownInfo();
    const QDateTime now = QDateTime::currentDateTime();
    statusBar->setBlame(blameInfo ? blameStatusText(*blameInfo, now) : QString());
    if (blameInfo && !blameInfo->isUncommitted() && Defaults::inlineBlame())
        setAnnotation(document, EditorTextView::Annotation { blameAnnotationText(*blameInfo, now), view->selectionStart() });
    else
        setAnnotation(document, std::nullopt);
}

void AppDelegate::setAnnotation(const DocumentPtr &document, std::optional<EditorTextView::Annotation> annotation)
{
    EditorTextView *view = document->textView;
    if (!view)
        return;
    const bool same = view->annotation.has_value() == annotation.has_value()
        && (!annotation || (view->annotation->text == annotation->text && view->annotation->location == annotation->location));
    if (same)
        return;
    view->annotation = std::move(annotation);
    view->annotationChanged();
}

void AppDelegate::clearBlameDisplay()
{
    blameInfo.reset();
    blameLine.reset();
    statusBar->setBlame({});
    if (const DocumentPtr document = shown.lock())
        setAnnotation(document, std::nullopt);
}

void AppDelegate::showBlameDetails()
{
    if (!blameInfo)
        return;
    const QStringList titles = blameDetailsButtons(*blameInfo);
    const QString sha = blameInfo->sha;
    QList<Button> buttons;
    buttons << Button { titles.value(0), titles.size() == 1, true, QKeySequence(), [] {} };
    if (titles.size() > 1)
        buttons << Button { titles.value(1), true, true, QKeySequence(), [sha] { QApplication::clipboard()->setText(sha); } };
    showCard(new InlineCard(blameDetailsTitle(*blameInfo), blameDetailsDetail(*blameInfo), std::nullopt, buttons));
}

void AppDelegate::markAllBlameStale()
{
    for (const DocumentPtr &document : documents)
        if (document->blame)
            document->blame->markStale();
}

void AppDelegate::watchBlameHover()
{
    blameHover = std::make_unique<HoverCards::EditorHover>(
        [this](const QRect &annotation) { showBlameHoverCard(annotation); },
        [this] {
            if (BlameHoverCard *shownCard = hoverCard)
                shownCard->deleteLater();
            hoverCard = nullptr;
        },
        [this] { return !hoverCard.isNull(); });
}

void AppDelegate::showBlameHoverCard(const QRect &annotation)
{
    const DocumentPtr document = shown.lock();
    if (!blameInfo || !document || !document->textView)
        return;
    auto *shownCard = new BlameHoverCard(*blameInfo, QDateTime::currentDateTimeUtc(), editorContainer);
    hoverCard = shownCard;
    const QRect anchor(document->textView->viewport()->mapTo(editorContainer, annotation.topLeft()), annotation.size());
    const auto place = [this, shownCard, anchor] {
        shownCard->move(blameCardPosition(anchor, shownCard->size(), editorContainer->rect()));
    };
    place();
    shownCard->onEnter = [this] { blameHover->cardEntered(); };
    shownCard->onExit = [this] { blameHover->cardLeft(); };
    const QString sha = blameInfo->sha;
    shownCard->onCopy = [sha] { QApplication::clipboard()->setText(sha); };
    shownCard->onShow = [this, sha, folder = QFileInfo(document->path()).absolutePath()] {
        blameHover->hideNow();
        showCommit(folder, sha);
    };
    shownCard->raise();
    shownCard->show();
    if (blameInfo->isUncommitted() || document->remote)
        return;
    if (messages.contains(sha)) {
        shownCard->setBody(blameHoverBody(*blameInfo, messages.value(sha)));
        place();
        return;
    }
    QPointer<BlameHoverCard> guarded = shownCard;
    const GitSource source = GitSource::local(QFileInfo(document->path()).absolutePath());
    gitWork(source, [this, guarded, source, sha, place] {
        const QString message = GitQueries::fullMessage(source, sha).value_or(QString());
        QMetaObject::invokeMethod(this, [this, guarded, sha, message, place] {
            if (messages.size() >= 201)
                messages.clear();
            messages.insert(sha, message);
            if (guarded && guarded->info().sha == sha) {
                guarded->setBody(blameHoverBody(guarded->info(), message));
                place();
            }
        }, Qt::QueuedConnection);
    });
}
