#pragma once

#include "git/Revision.h"
#include "RemoteFile.h"
#include "TextFile.h"

#include <QDateTime>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class DocumentBlame;
class EditorTextView;

// A selection as the editor counts it: UTF-16 offset and length.
struct TextRange {
    qsizetype location = 0;
    qsizetype length = 0;
};

// One open tab. The controller's document list holds the only strong references.
class OpenDocument {
public:
    OpenDocument(const QString &path, EditorTextView *view, TextEncoding encoding);
    ~OpenDocument();
    OpenDocument(const OpenDocument &) = delete;
    OpenDocument &operator=(const OpenDocument &) = delete;

    QUrl url; // local file, symbolic links resolved (a remote document's local copy)
    QPointer<EditorTextView> textView;
    TextEncoding encoding;
    std::optional<QDateTime> diskDate;
    bool isDirty = false;
    std::optional<RemoteFile> remote;
    int editCount = 0;
    bool isPreview = false;
    bool isPlain = false;
    std::vector<qsizetype> bookmarks; // offsets of the starts of bookmarked lines
    std::unique_ptr<DocumentBlame> blame;
    bool changedOnDisk = false;
    TextRange selectedRange;
    QPoint scrollOrigin; // horizontal and vertical scroll bar values
    // The file's committed versions, newest first; none until asked for again.
    std::optional<QList<Revision>> revisions;
    std::optional<int> historyIndex;
    int historyGeneration = 0;
    // A read of the file running on a worker; its result is taken only while this is its
    // generation. Closing the document stops it.
    struct Loading {
        quint64 generation = 0;
        std::shared_ptr<std::atomic_bool> cancel;
        bool opening = false; // the document has no text of its own yet
    };
    std::optional<Loading> loading;

    QString path() const { return url.toLocalFile(); }
    QString fileName() const;
    // The text exactly as typed (no space stands in for a no-break space), lines ended by
    // line feeds.
    QString text() const;
    // The text as it goes to the file: each line with the break it was read with.
    QString fileText() const;
    // fileText() in the document's encoding, encoded piece by piece; none when the encoding
    // cannot hold every character.
    std::optional<QByteArray> fileBytes() const;
    // Stops a running read, whose result will be dropped, and shows the text again.
    void stopLoading();
};

using DocumentPtr = std::shared_ptr<OpenDocument>;
