// Bookmarks: offsets in open documents that follow edits, line numbers in the settings.
#include "AppDelegate.h"

#include "Bookmarks.h"
#include "common/Defaults.h"
#include "common/Shortcuts.h"
#include "editor/EditorTextView.h"
#include "editor/LineNumberGutter.h"

#include <QTextBlock>
#include <QTextDocument>

namespace {

QList<int> lineNumbers(const OpenDocument &document)
{
    QList<int> lines;
    const QTextDocument *text = document.textView->document();
    for (qsizetype offset : document.bookmarks)
        lines << text->findBlock(int(offset)).blockNumber() + 1;
    return lines;
}

int caretLine(const OpenDocument &document)
{
    const QTextCursor cursor = document.textView->textCursor();
    return cursor.document()->findBlock(cursor.selectionStart()).blockNumber() + 1;
}

}

void AppDelegate::toggleBookmark()
{
    const DocumentPtr active = activeDocument();
    if (!active || !active->textView || active->historyIndex)
        return;
    const QTextCursor cursor = active->textView->textCursor();
    const qsizetype start = cursor.document()->findBlock(cursor.selectionStart()).position();
    auto &marks = active->bookmarks;
    if (const auto found = std::find(marks.begin(), marks.end(), start); found != marks.end())
        marks.erase(found);
    else
        marks.insert(std::upper_bound(marks.begin(), marks.end(), start), start);
    storeBookmarks(*active);
    lineRuler->refresh();
    validateMenus();
}

void AppDelegate::storeBookmarks(const OpenDocument &document)
{
    if (!document.textView)
        return;
    QVariantMap stored = Defaults::dictionary(Defaults::Bookmarks);
    const QList<int> lines = lineNumbers(document);
    if (lines.isEmpty())
        stored.remove(document.path());
    else
        stored.insert(document.path(), QVariant::fromValue(QVariantList(lines.begin(), lines.end())));
    Defaults::set(Defaults::Bookmarks, stored);
}

void AppDelegate::restoreBookmarks(OpenDocument &document, const QList<int> &lines)
{
    document.bookmarks.clear();
    const QTextDocument *text = document.textView->document();
    for (int line : lines) {
        // Lines past the end, and nonsense numbers, are dropped.
        const QTextBlock block = line > 0 ? text->findBlockByNumber(line - 1) : QTextBlock();
        if (block.isValid())
            document.bookmarks.push_back(block.position());
    }
    std::sort(document.bookmarks.begin(), document.bookmarks.end());
    document.bookmarks.erase(std::unique(document.bookmarks.begin(), document.bookmarks.end()),
                             document.bookmarks.end());
}

QList<int> AppDelegate::storedBookmarkLines(const QString &path) const
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

void AppDelegate::followEditWithBookmarks(OpenDocument &document, int location, int removed, int added)
{
    if (document.bookmarks.empty())
        return;
    const QTextDocument *text = document.textView->document();
    document.bookmarks = Bookmarks::followEdit(
        document.bookmarks, location, removed, added - removed, text->characterCount() - 1,
        [text](qsizetype offset) { return qsizetype(text->findBlock(int(offset)).position()); });
}

bool AppDelegate::hasBookmarks() const
{
    for (const DocumentPtr &document : documents)
        if (!document->bookmarks.empty())
            return true;
    const QVariantMap stored = Defaults::dictionary(Defaults::Bookmarks);
    return std::any_of(stored.begin(), stored.end(), [](const QVariant &lines) { return !lines.toList().isEmpty(); });
}

void AppDelegate::stepBookmark(bool forward)
{
    // Open documents count with their current lines, the rest as stored.
    QSet<QString> open;
    std::vector<BookmarkPlace> places;
    for (const DocumentPtr &document : documents) {
        if (!document->textView)
            continue;
        open.insert(document->path());
        for (int line : lineNumbers(*document))
            places.push_back({ document->path(), line });
    }
    const QVariantMap stored = Defaults::dictionary(Defaults::Bookmarks);
    for (auto entry = stored.begin(); entry != stored.end(); ++entry)
        if (!open.contains(entry.key()))
            for (int line : storedBookmarkLines(entry.key()))
                places.push_back({ entry.key(), line });
    std::sort(places.begin(), places.end());
    const DocumentPtr active = activeDocument();
    const BookmarkPlace current = active && !active->historyIndex ? BookmarkPlace { active->path(), caretLine(*active) }
                                                                   : BookmarkPlace {};
    const auto target = Bookmarks::step(places, current, forward);
    if (!target) {
        showNote(QStringLiteral("No bookmarks. %1 adds one.").arg(shortcutText(QKeySequence(QStringLiteral("Ctrl+Alt+K")))));
        return;
    }
    leaveHistory();
    if (!active || active->path() != target->path)
        if (!loadDocument(target->path, false, true, true))
            return;
    const DocumentPtr shownNow = activeDocument();
    if (!shownNow || shownNow->path() != target->path)
        return;
    const QTextBlock block = shownNow->textView->document()->findBlockByNumber(target->line - 1);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    shownNow->textView->setTextCursor(cursor);
    shownNow->textView->centerCursor();
    shownNow->textView->setFocus();
}
