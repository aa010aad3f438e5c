#include "OpenDocument.h"

#include "editor/EditorTextView.h"
#include "git/DocumentBlame.h"

#include <QFileInfo>
#include <QTextDocument>

OpenDocument::OpenDocument(const QString &path, EditorTextView *view, TextEncoding encoding)
    : url(QUrl::fromLocalFile(path))
    , textView(view)
    , encoding(encoding)
{
}

OpenDocument::~OpenDocument()
{
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
    QString raw = textView->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

QString OpenDocument::fileText() const
{
    return textView ? textView->fileText() : QString();
}
