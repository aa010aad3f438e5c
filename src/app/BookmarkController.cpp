#include "BookmarkController.h"

#include "AppDelegate.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "Bookmarks.h"
#include "HistoryController.h"
#include "common/Defaults.h"
#include "common/Shortcuts.h"
#include "editor/EditorTextView.h"
#include "editor/LineNumberGutter.h"

namespace {

QList<int> lineNumbers(const OpenDocument &document)
{
    QList<int> lines;
    const TextBuffer *text = document.textView->buffer();
    for (qsizetype offset : document.bookmarks)
        lines << int(text->lineAt(offset)) + 1;
    return lines;
}

}

BookmarkController::BookmarkController(AppDelegate &app)
    : app(app)
{
}

void BookmarkController::toggle()
{
    const DocumentPtr active = app.documents().activeDocument();
    if (!active || !active->textView || active->historyIndex)
        return;
    const qsizetype start = active->textView->buffer()->lineStart(active->textView->caretLine());
    auto &marks = active->bookmarks;
    if (const auto found = std::find(marks.begin(), marks.end(), start); found != marks.end())
        marks.erase(found);
    else
        marks.insert(std::upper_bound(marks.begin(), marks.end(), start), start);
    store(*active);
    app.window().lineRuler()->refresh();
    app.validateMenus();
}

void BookmarkController::store(const OpenDocument &document)
{
    // Until its text is in, a document has no lines to mark: what is stored stays.
    if (!document.textView || document.loading)
        return;
    QVariantMap stored = Defaults::dictionary(Defaults::Bookmarks);
    const QList<int> lines = lineNumbers(document);
    if (lines.isEmpty())
        stored.remove(document.path());
    else
        stored.insert(document.path(), QVariant::fromValue(QVariantList(lines.begin(), lines.end())));
    Defaults::set(Defaults::Bookmarks, stored);
}

void BookmarkController::restore(OpenDocument &document, const QList<int> &lines)
{
    document.bookmarks.clear();
    const TextBuffer *text = document.textView->buffer();
    for (int line : lines) {
        // Lines past the end, and nonsense numbers, are dropped.
        if (line > 0 && line <= text->lineCount())
            document.bookmarks.push_back(text->lineStart(line - 1));
    }
    std::sort(document.bookmarks.begin(), document.bookmarks.end());
    document.bookmarks.erase(std::unique(document.bookmarks.begin(), document.bookmarks.end()),
                             document.bookmarks.end());
}

QList<int> BookmarkController::storedLines(const QString &path) const
{
    QList<int> lines;
    for (const QVariant &value : Defaults::dictionary(Defaults::Bookmarks).value(path).toList()) {
        bool ok = false;
        const int line = value.toInt(&ok);
        if (ok)
            lines << line;
    }
    return lines;
}

void BookmarkController::followEdit(OpenDocument &document, int location, int removed, int added)
{
    if (document.bookmarks.empty())
        return;
    const TextBuffer *text = document.textView->buffer();
    document.bookmarks = Bookmarks::followEdit(
        document.bookmarks, location, removed, added - removed, text->length(),
        [text](qsizetype offset) { return text->lineStart(text->lineAt(offset)); });
}

bool BookmarkController::hasAny() const
{
    for (const DocumentPtr &document : app.documents())
        if (!document->bookmarks.empty())
            return true;
    const QVariantMap stored = Defaults::dictionary(Defaults::Bookmarks);
    return std::any_of(stored.begin(), stored.end(), [](const QVariant &lines) { return !lines.toList().isEmpty(); });
}

void BookmarkController::step(bool forward)
{
    // Open documents count with their current lines, the rest as stored.
    QSet<QString> open;
    std::vector<BookmarkPlace> places;
    for (const DocumentPtr &document : app.documents()) {
        if (!document->textView)
            continue;
        open.insert(document->path());
        for (int line : lineNumbers(*document))
            places.push_back({ document->path(), line });
    }
    const QVariantMap stored = Defaults::dictionary(Defaults::Bookmarks);
    for (auto entry = stored.begin(); entry != stored.end(); ++entry)
        if (!open.contains(entry.key()))
            for (int line : storedLines(entry.key()))
                places.push_back({ entry.key(), line });
    std::sort(places.begin(), places.end());
    const DocumentPtr active = app.documents().activeDocument();
    const BookmarkPlace current = active && !active->historyIndex ? BookmarkPlace { active->path(), int(active->textView->caretLine()) + 1 }
                                                                   : BookmarkPlace {};
    const auto target = Bookmarks::step(places, current, forward);
    if (!target) {
        app.window().showNote(QStringLiteral("No bookmarks. %1 adds one.").arg(shortcutText(QKeySequence(QStringLiteral("Ctrl+Alt+K")))));
        return;
    }
    app.history().leave();
    if (!active || active->path() != target->path)
        if (!app.documents().loadDocument(target->path, false, true, true))
            return;
    const DocumentPtr shownNow = app.documents().activeDocument();
    if (!shownNow || shownNow->path() != target->path)
        return;
    if (target->line < 1 || target->line > shownNow->textView->buffer()->lineCount())
        return;
    shownNow->textView->showLine(target->line - 1);
    shownNow->textView->setFocus();
}
