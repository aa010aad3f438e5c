#pragma once

#include "OpenDocument.h"
#include "TextFile.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AppDelegate;
class DiskWatcher;
struct JournalRecord;

// The open documents in tab order and the active one: opening, loading in the background,
// saving, reloading, and what other programs change on disk. It reads like a list of the
// documents: size, indexing and iteration.
class DocumentController : public QObject {
    Q_OBJECT
public:
    explicit DocumentController(AppDelegate &app);
    ~DocumentController() override;

    size_t size() const { return list.size(); }
    bool empty() const { return list.empty(); }
    const DocumentPtr &operator[](size_t index) const { return list[index]; }
    const DocumentPtr &front() const { return list.front(); }
    const DocumentPtr &back() const { return list.back(); }
    auto begin() const { return list.cbegin(); }
    auto end() const { return list.cend(); }
    const std::vector<DocumentPtr> &all() const { return list; }

    int activeIndex() const { return active; }
    DocumentPtr activeDocument() const;
    // The document whose view the editor shows; it outlives a tab switch by nothing.
    DocumentPtr shown() const { return shownDocument.lock(); }
    int indexOfPath(const QString &path) const;
    QSet<QString> dirtyPaths() const;
    std::vector<DocumentPtr> dirtyDocuments() const;

    // The tabs' changes to the list.
    void setActive(int index);
    void removeAt(int index);
    // order: the old index of each document in its new place; false when it is no permutation.
    bool reorder(const QList<int> &order);
    void clear();

    bool loadDocument(const QString &path, bool preview, bool focus, bool activate);
    bool openLoaded(const QString &path, LoadedText loaded, bool preview, bool focus, bool activate);
    // A file's text as a document gets it; without it, the note that says why. Any thread.
    static std::optional<LoadedText> readText(const QString &path, QString *failureNote);
    // Stops the document's running read; a tab still waiting for its first text closes.
    void cancelLoading(const DocumentPtr &document);
    DocumentPtr openRecovered(const JournalRecord &record);
    void promote(int index);
    // The list, a document's state or its file changed: tabs, title, journal, watches, session.
    void documentsChanged();

    bool saveFile(const DocumentPtr &document, bool force, std::function<void(bool)> completion = {});
    void saveInTurn(std::vector<DocumentPtr> pending, std::function<void(bool)> done);
    void saveDocument();
    void saveAll();
    void reloadDocument(const DocumentPtr &document);
    bool changedSinceRead(const OpenDocument &document) const;

    void watchDisk();
    void updateDiskWatches();
    // Reloads clean documents whose files changed; marks dirty ones changed on disk.
    void checkDocumentsOnDisk();

private:
    DocumentPtr makeDocument(const QString &path, TextEncoding encoding);
    void fillDocument(OpenDocument &document, LoadedText loaded);
    void noteVeryLongLines(const OpenDocument &document);
    void showDocument(const DocumentPtr &document, bool preview, bool focus, bool activate);
    // Reads the file on a worker while the view shows how far it got; then runs on the main
    // thread unless the document was closed, cancelled or read again meanwhile.
    void startLoading(const DocumentPtr &document, qint64 size, bool opening,
                      std::function<void(const DocumentPtr &, FileLoad)> then);
    void takeReloaded(const DocumentPtr &document, LoadedText loaded);
    void placeDocument(const DocumentPtr &document, bool preview);
    void watchEdits(const DocumentPtr &document);
    void textDidChange(OpenDocument *document);
    bool writeLocally(OpenDocument &document, QString *error);
    void showChangedOnDiskCard(const DocumentPtr &document);
    // changed: the watched paths that changed; empty when anything may have.
    void diskChanged(const QSet<QString> &changed);

    AppDelegate &app;
    std::vector<DocumentPtr> list;
    int active = -1;
    std::weak_ptr<OpenDocument> shownDocument;
    bool replacingText = false;
    DiskWatcher *diskWatcher = nullptr;
};
