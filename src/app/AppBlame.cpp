// Blame of the caret's line: the status bar text, the dim annotation and the details card.
#include "AppDelegate.h"

#include "chrome/InlineCard.h"
#include "chrome/StatusBarView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "git/BlameDisplay.h"
#include "git/DocumentBlame.h"
#include "git/GitRun.h"
#include "remote/SSHClient.h"

#include <QApplication>
#include <QClipboard>
#include <QTextBlock>

void AppDelegate::attachBlame(const DocumentPtr &document)
{
    document->blame = std::make_unique<DocumentBlame>(document->path());
    std::weak_ptr<OpenDocument> weak = document;
    document->blame->remoteTarget = [this, weak]() -> std::optional<DocumentBlame::RemoteTarget> {
        const DocumentPtr strong = weak.lock();
        if (!strong || !strong->remote)
            return std::nullopt;
        const auto client = clientFor(strong->remote->hostID);
        if (!client)
            return std::nullopt;
        auto target = std::make_shared<const SshTarget>(
            SshTarget { client->host.destination, [client](const QString &command) { return client->process(command); } });
        return DocumentBlame::RemoteTarget { target, strong->remote->path };
    };
    document->blame->onChange = [this, weak] {
        if (const DocumentPtr strong = weak.lock(); strong && strong == shown.lock())
            showCaretBlame();
    };
}

void AppDelegate::updateCaretBlame()
{
    const DocumentPtr document = shown.lock();
    if (!document || !document->textView || document->historyIndex || !document->blame) {
        clearBlameDisplay();
        return;
    }
    const bool reachable = document->remote ? hostAlive.value(document->remote->hostID, false) : gitAvailable();
    const qsizetype length = document->textView->document()->characterCount() - 1;
    if (!reachable || (document->isDirty && length > DocumentBlame::longestDirtyText)) {
        clearBlameDisplay();
        return;
    }
    const int line = document->textView->textCursor().blockNumber() + 1;
    if (blameLine != line) {
        setAnnotation(document, std::nullopt);
        blameLine = line;
    }
    DocumentBlame &blame = *document->blame;
    if (!blame.isComputing() && !blame.hasFailed() && (!blame.table() || blame.isStale()))
        blame.start(document->isDirty ? document->text() : QString(), document->isDirty);
    showCaretBlame();
}

void AppDelegate::showCaretBlame()
{
    const DocumentPtr document = shown.lock();
    if (!document || !document->textView || document->historyIndex || !document->blame)
        return;
    const QTextCursor cursor = document->textView->textCursor();
    blameInfo = document->blame->lookup(cursor.blockNumber() + 1).shownInfo();
    const QDateTime now = QDateTime::currentDateTime();
    statusBar->setBlame(blameInfo ? blameStatusText(*blameInfo, now) : QString());
    if (blameInfo && !blameInfo->isUncommitted() && Defaults::inlineBlame())
        setAnnotation(document, EditorTextView::Annotation { blameAnnotationText(*blameInfo, now), cursor.position() });
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
