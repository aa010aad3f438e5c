#include "OpenDocument.h"

#include "editor/EditorTextView.h"
#include "git/DocumentBlame.h"

#include <QFileInfo>

OpenDocument::OpenDocument(const QString &path, EditorTextView *view, TextEncoding encoding)
    : url(QUrl::fromLocalFile(path))
    , textView(view)
    , encoding(encoding)
{
}

OpenDocument::~OpenDocument()
{
    stopLoading();
    // Stopping first means no blame callback reaches a document being torn down.
    if (blame)
        blame->stop();
    // The view (with its text and undo history) dies with the document.
    if (textView)
        textView->deleteLater();
}

QString OpenDocument::fileName() const
{
    return QFileInfo(path()).fileName();
}

QString OpenDocument::text() const
{
    if (!textView)
        return {};
    return textView->buffer()->text();
}

QString OpenDocument::fileText() const
{
    return textView ? textView->fileText() : QString();
}

std::optional<QByteArray> OpenDocument::fileBytes() const
{
    if (!textView)
        return QByteArray();
    const TextBuffer *buffer = textView->buffer();
    return TextFile::encodePieces([buffer](const auto &take) { buffer->forEachFileChunk(take); }, encoding);
}

void OpenDocument::stopLoading()
{
    if (!loading)
        return;
    loading->cancel->store(true);
    loading.reset();
    if (textView)
        textView->endLoading();
}
