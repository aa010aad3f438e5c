#include "BlameController.h"

#include "AppDelegate.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "RemoteController.h"
#include "HistoryController.h"
#include "chrome/InlineCard.h"
#include "chrome/StatusBarView.h"
#include "chrome/StatusTexts.h"
#include "common/Defaults.h"
#include "git/BlameDisplay.h"
#include "git/BlameHoverCard.h"
#include "git/DocumentBlame.h"
#include "git/GitQueries.h"
#include "git/GitRun.h"
#include "git/GitSource.h"
#include "remote/SSHClient.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>

BlameController::BlameController(AppDelegate &app)
    : app(app)
    , hover([this](const QRect &annotation) { showHoverCard(annotation); },
            [this] {
                if (BlameHoverCard *shownCard = m_hoverCard)
                    shownCard->deleteLater();
                m_hoverCard = nullptr;
            },
            [this] { return !m_hoverCard.isNull(); })
{
}

BlameController::~BlameController() = default;

void BlameController::attach(const DocumentPtr &document)
{
    document->blame = std::make_unique<DocumentBlame>(document->path());
    std::weak_ptr<OpenDocument> weak = document;
    document->blame->remoteTarget = [this, weak]() -> std::optional<DocumentBlame::RemoteTarget> {
        const DocumentPtr strong = weak.lock();
        if (!strong || !strong->remote)
            return std::nullopt;
        const auto client = app.remote().clientFor(strong->remote->hostID);
        if (!client)
            return std::nullopt;
        return DocumentBlame::RemoteTarget { client, strong->remote->path };
    };
    document->blame->onChange = [this, weak] {
        if (const DocumentPtr strong = weak.lock(); strong && strong == app.documents().shown())
            showCaretBlame();
    };
}

void BlameController::updateCaretBlame()
{
    const DocumentPtr document = app.documents().shown();
    if (!document || !document->textView || document->historyIndex || !document->blame || document->loading) {
        clearDisplay();
        return;
    }
    const bool reachable = document->remote ? app.remote().isHostAlive(document->remote->hostID) : gitAvailable();
    const TextBuffer *buffer = document->textView->buffer();
    const qsizetype length = buffer->length();
    if (!reachable || (document->isDirty && length > DocumentBlame::longestDirtyText)) {
        clearDisplay();
        return;
    }
    const int caretLine = int(document->textView->caretLine()) + 1;
    if (line != caretLine) {
        setAnnotation(document, std::nullopt);
        line = caretLine;
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

void BlameController::showCaretBlame()
{
    const DocumentPtr document = app.documents().shown();
    if (!document || !document->textView || document->historyIndex || !document->blame)
        return;
    const EditorTextView *view = document->textView;
    m_caretInfo = document->blame->lookup(view->caretLine() + 1).shownInfo();
    const QDateTime now = QDateTime::currentDateTime();
    app.window().statusBar()->setBlame(m_caretInfo ? blameStatusText(*m_caretInfo, now) : QString());
    if (m_caretInfo && !m_caretInfo->isUncommitted() && Defaults::inlineBlame())
        setAnnotation(document, EditorTextView::Annotation { blameAnnotationText(*m_caretInfo, now), view->selectionStart() });
    else
        setAnnotation(document, std::nullopt);
}

void BlameController::setAnnotation(const DocumentPtr &document, std::optional<EditorTextView::Annotation> annotation)
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

void BlameController::clearDisplay()
{
    m_caretInfo.reset();
    line.reset();
    app.window().statusBar()->setBlame({});
    if (const DocumentPtr document = app.documents().shown())
        setAnnotation(document, std::nullopt);
}

void BlameController::leaveDocument(const DocumentPtr &previous)
{
    if (previous)
        setAnnotation(previous, std::nullopt);
    line.reset();
    hover.hideNow();
}

void BlameController::showDetails()
{
    if (!m_caretInfo)
        return;
    const QStringList titles = blameDetailsButtons(*m_caretInfo);
    const QString sha = m_caretInfo->sha;
    QList<Button> buttons;
    buttons << Button { titles.value(0), titles.size() == 1, true, QKeySequence(), [] {} };
    if (titles.size() > 1)
        buttons << Button { titles.value(1), true, true, QKeySequence(), [sha] { QApplication::clipboard()->setText(sha); } };
    app.window().showCard(new InlineCard(blameDetailsTitle(*m_caretInfo), blameDetailsDetail(*m_caretInfo), std::nullopt, buttons));
}

void BlameController::markAllStale()
{
    for (const DocumentPtr &document : app.documents())
        if (document->blame)
            document->blame->markStale();
}

void BlameController::hoverAnnotation(const std::optional<QRect> &area)
{
    area ? hover.pointerEntered(*area) : hover.pointerLeft();
}

void BlameController::hideHoverCard()
{
    hover.hideNow();
}

BlameHoverCard *BlameController::hoverCard() const
{
    return m_hoverCard;
}

std::optional<QString> BlameController::knownMessage(const QString &sha) const
{
    if (!messages.contains(sha))
        return std::nullopt;
    return messages.value(sha);
}

void BlameController::showHoverCard(const QRect &annotation)
{
    const DocumentPtr document = app.documents().shown();
    if (!m_caretInfo || !document || !document->textView)
        return;
    QWidget *container = app.window().editorContainer();
    auto *shownCard = new BlameHoverCard(*m_caretInfo, QDateTime::currentDateTimeUtc(), container);
    m_hoverCard = shownCard;
    const QRect anchor(document->textView->viewport()->mapTo(container, annotation.topLeft()), annotation.size());
    const auto place = [container, shownCard, anchor] {
        shownCard->move(blameCardPosition(anchor, shownCard->size(), container->rect()));
    };
    place();
    shownCard->onEnter = [this] { hover.cardEntered(); };
    shownCard->onExit = [this] { hover.cardLeft(); };
    const QString sha = m_caretInfo->sha;
    shownCard->onCopy = [sha] { QApplication::clipboard()->setText(sha); };
    shownCard->onShow = [this, sha, folder = QFileInfo(document->path()).absolutePath()] {
        hover.hideNow();
        app.history().showCommit(folder, sha);
    };
    shownCard->raise();
    shownCard->show();
    if (m_caretInfo->isUncommitted() || document->remote)
        return;
    if (messages.contains(sha)) {
        shownCard->setBody(blameHoverBody(*m_caretInfo, messages.value(sha)));
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
