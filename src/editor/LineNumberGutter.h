#pragma once

#include <QList>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <functional>
#include <vector>

class TextArea;

// The narrow strip beside the editor with the number of every line in view. It follows one text
// view at a time: its scrolling, caret and edits. The caret's line is numbered in the label
// colour, the others dimmer; bookmarked lines get a dot. Without a view it is 0 wide.
class LineNumberGutter : public QWidget
{
    Q_OBJECT
public:
    // One numbered line as drawn: its first visual row, in gutter coordinates.
    struct Row {
        qsizetype line = 1;
        qsizetype start = 0; // UTF-16 offset of the line's first character
        QRectF rect;
        bool caret = false;
        bool bookmarked = false;
    };
    // The UTF-16 offsets of the bookmarked line starts of the shown text.
    using BookmarkProvider = std::function<std::vector<qsizetype>()>;

    explicit LineNumberGutter(QWidget *parent = nullptr);

    // The view whose lines are numbered; none while no document is on show.
    void setTextView(TextArea *view);
    TextArea *textView() const { return client; }

    void setFontSize(double points);
    double fontSize() const { return points; }

    // Asked once per paint.
    void setBookmarkProvider(BookmarkProvider provider);

    // Re-measures the width and repaints: for changes the gutter cannot see, such as bookmarks.
    void refresh();

    // The lines in view, top to bottom, including a line only partly in view.
    std::vector<Row> rows() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateWidth();
    void scheduleRefresh();
    void drawRow(QPainter &painter, const Row &row) const;
    qreal viewportTop() const;
    std::vector<qsizetype> sortedBookmarks() const;

    QPointer<TextArea> client;
    QList<QMetaObject::Connection> links;
    BookmarkProvider bookmarks;
    double points = 11;
    bool refreshPending = false;
};
