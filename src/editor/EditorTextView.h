#pragma once

#include "buffer/TextBuffer.h"
#include "view/TextArea.h"

#include <QCursor>
#include <QList>
#include <QRect>
#include <QUrl>

#include <functional>
#include <optional>

// The text view of one document, over its own TextBuffer (text, line breaks and undo history).
// Beyond plain-text editing it opens dropped files instead of inserting them, hands Escape to
// its owner, draws one dim annotation after the end of a line, with its own hover and click,
// and shows a progress line while its text is still being read.
class EditorTextView : public TextArea
{
    Q_OBJECT
public:
    // Text drawn after the end of the line that holds the UTF-16 offset `location`.
    struct Annotation {
        QString text;
        qsizetype location = 0;
    };

    static constexpr int undoLimit = TextBuffer::undoLimit;

    explicit EditorTextView(QWidget *parent = nullptr);

    std::function<void(const QList<QUrl> &)> onDrop;
    // When set, Escape calls it instead of doing anything else.
    std::function<void()> onEscape;
    // Escape while the text is loading; the owner stops the load.
    std::function<void()> onCancelLoad;
    // Set or clear it, then call annotationChanged().
    std::optional<Annotation> annotation;
    // The pointer entered the annotation (with its area) or left it (with none).
    std::function<void(const std::optional<QRect> &)> onAnnotationHover;
    std::function<void()> onAnnotationClick;

    void annotationChanged();

    // Shows a file's text with its own line breaks, as opened: no undo history, unmodified, the
    // caret at the start.
    void setFileText(const QString &text);
    // Shows text read elsewhere (a worker), the same way.
    void adoptText(TextStorage storage);
    // The text as the file holds it: every line with its own break, lines made since with the
    // file's most common one.
    QString fileText() const;
    // The line of the selection's start (the caret's line when nothing is selected).
    qsizetype caretLine() const;
    // Puts the caret at the start of a line and shows that line in the middle.
    void showLine(qsizetype line);

    // While loading, the view is read-only and shows a progress line instead of text; done and
    // total are bytes. endLoading() goes back to what it was before.
    void showLoading(qint64 done, qint64 total);
    void endLoading();
    bool isLoading() const { return loading.has_value(); }

    // Where the annotation was last drawn, in viewport coordinates (map from viewport() to place
    // a card there); none when it was not drawn.
    std::optional<QRect> annotationRect() const { return drawnAnnotation; }
    bool hoveringAnnotation() const { return hovering; }

protected:
    void paintAfterText(QPainter &painter) override;
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Progress {
        qint64 done = 0;
        qint64 total = 0;
        bool wasReadOnly = false;
    };

    std::optional<QRect> drawAnnotation(QPainter &painter);
    void drawLoading(QPainter &painter);
    void setAnnotationRect(const std::optional<QRect> &rect);
    bool onAnnotation(const QPointF &point) const;
    void hoverAt(const QPoint &point);
    void leaveAnnotation();
    void refreshPointer();
    void showHandCursor(bool hand);
    QList<QUrl> filesIn(const QDropEvent *event) const;
    bool takeFileDrag(QDropEvent *event) const;
    void opened();

    std::optional<QRect> drawnAnnotation;
    bool hovering = false;
    bool handCursor = false;
    QCursor cursorBeforeHand;
    std::optional<Progress> loading;
};
