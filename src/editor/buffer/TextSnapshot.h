#pragma once

#include "TextStorage.h"

#include <memory>

// The text as it was when the snapshot was taken: later edits never show in it. Copies share
// the storage, and every call may come from any thread.
class TextSnapshot
{
public:
    TextSnapshot()
        : m_storage(std::make_shared<const TextStorage>())
    {
    }
    explicit TextSnapshot(std::shared_ptr<const TextStorage> storage)
        : m_storage(std::move(storage))
    {
    }

    qsizetype length() const { return m_storage->length(); }
    qsizetype lineCount() const { return m_storage->lineCount(); }
    qsizetype lineStart(qsizetype line) const { return m_storage->lineStart(line); }
    qsizetype lineLength(qsizetype line) const { return m_storage->lineLength(line); }
    qsizetype lineAt(qsizetype position) const { return m_storage->lineAt(position); }
    QString lineText(qsizetype line) const { return m_storage->lineText(line); }
    QString text(qsizetype from, qsizetype to) const { return m_storage->text(from, to); }
    QString text() const { return m_storage->text(); }
    QChar at(qsizetype position) const { return m_storage->at(position); }
    qsizetype longestLineLength() const { return m_storage->longestLineLength(); }
    LineBreaks::Kind dominantBreak() const { return m_storage->dominantBreak(); }
    LineBreaks::Kind breakAfter(qsizetype line) const { return m_storage->breakAfter(line); }
    QString fileText() const { return m_storage->fileText(); }
    void forEachFileChunk(const std::function<void(QStringView)> &take) const { m_storage->forEachFileChunk(take); }

    const TextStorage &storage() const { return *m_storage; }

private:
    std::shared_ptr<const TextStorage> m_storage;
};
