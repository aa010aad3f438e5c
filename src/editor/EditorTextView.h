#pragma once

#include "LineBreaks.h"

#include <QCursor>
#include <QList>
#include <QPlainTextEdit>
#include <QRect>
#include <QUrl>

#include <functional>
#include <optional>

// The text view of one document, with its own text document, layout and undo history. Beyond
// plain-text editing it opens dropped files instead of inserting them, hands Escape to its owner,
// and draws one dim annotation after the end of a line, with its own hover and click.
class EditorTextView : public QPlainTextEdit
{
    Q_OBJECT
public:
    // Text drawn after the end of the line that holds the UTF-16 offset `location`.
    struct Annotation {
        QString text;
        int location = 0;
    };

    static constexpr int undoLimit = 500;

    explicit EditorTextView(QWidget *parent = nullptr);

    std::function<void(const QList<QUrl> &)> onDrop;
    // When set, Escape calls it instead of doing anything else.
    std::function<void()> onEscape;
    // Set or clear it, then call annotationChanged().
    std::optional<Annotation> annotation;
    // The pointer entered the annotation (with its area) or left it (with none).
    std::function<void(const std::optional<QRect> &)> onAnnotationHover;
    std::function<void()> onAnnotationClick;

    void annotationChanged();

    // Shows a file's text, remembering the break each line ends with.
    void setFileText(const QString &text);
    // The text as the file holds it: every line with its own break, lines made since with the
    // file's most common one.
    QString fileText() const;
    const LineBreaks &lineBreaks() const { return breaks; }
    // Where the annotation was last drawn, in viewport coordinates (map from viewport() to place
    // a card there); none when it was not drawn.
    std::optional<QRect> annotationRect() const { return drawnAnnotation; }
    bool hoveringAnnotation() const { return hovering; }

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Row {
        QRectF used;
        qreal ascent = 0;
    };

    std::optional<Row> annotatedRow() const;
    std::optional<QRect> drawAnnotation();
    void setAnnotationRect(const std::optional<QRect> &rect);
    bool onAnnotation(const QPointF &point) const;
    void hoverAt(const QPoint &point);
    void leaveAnnotation();
    void refreshPointer();
    void showHandCursor(bool hand);
    QList<QUrl> filesIn(const QDropEvent *event) const;
    bool takeFileDrag(QDropEvent *event) const;
    void breaksFollowEdit(int location, int removed, int added);

    std::optional<QRect> drawnAnnotation;
    bool hovering = false;
    bool handCursor = false;
    QCursor cursorBeforeHand;
    LineBreaks breaks;
    int blockCount = 1;
};
