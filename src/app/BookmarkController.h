#pragma once

#include "OpenDocument.h"

#include <QList>
#include <QObject>
#include <QString>

class AppDelegate;

// Bookmarks: offsets in open documents that follow edits, line numbers in the settings.
class BookmarkController : public QObject {
    Q_OBJECT
public:
    explicit BookmarkController(AppDelegate &app);

    void toggle(); // on the caret's line of the active document
    void step(bool forward); // Next Bookmark and Previous Bookmark, across files
    void store(const OpenDocument &document);
    void restore(OpenDocument &document, const QList<int> &lines);
    QList<int> storedLines(const QString &path) const;
    void followEdit(OpenDocument &document, int location, int removed, int added);
    bool hasAny() const;

private:
    AppDelegate &app;
};
