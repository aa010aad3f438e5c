#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QMenu;
class QToolButton;

// One tab of the tab strip: a title and a close button. It follows the mouse itself and tells
// the strip what happened: a click, a double-click, a middle-click, a drag, hovering, a menu.
class TabItemView : public QWidget
{
    Q_OBJECT
public:
    // title is the text as shown (with its dirty mark); index is both the current position
    // and the position at the strip's last rebuild.
    TabItemView(
        const QString &title, int index, bool selected, bool preview, QWidget *parent = nullptr);

    std::function<void(int index)> onSelect;
    std::function<void(int index)> onClose;
    std::function<void(int index)> onPromote;
    // A drag began: the tab's index and the press point in the tab's coordinates.
    std::function<void(int index, QPointF grab)> onDragBegan;
    // The pointer moved during a drag, or the drag ended; points in window coordinates.
    std::function<void(QPointF windowPoint)> onDragMoved;
    std::function<void(QPointF windowPoint)> onDragEnded;
    std::function<void(int index, bool entered)> onHover;
    // The context menu for the tab; the tab deletes it once it has closed.
    std::function<QMenu *(int index)> menuProvider;

    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }
    int originIndex() const { return m_originIndex; }
    bool isSelected() const { return m_selected; }
    bool isPreview() const { return m_preview; }
    bool isLifted() const { return m_lifted; }
    // Lifted: drawn above the other tabs, with a shadow, while it is dragged.
    void setLifted(bool lifted);
    // A tab cut by the strip's edge hides its close button rather than show it alone.
    void setCloseShown(bool shown);

    QString title() const { return m_title; }
    QLabel *titleLabel() const { return m_label; }
    QToolButton *closeButton() const { return m_close; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void applyColours();
    void layoutContents();
    void reportHover(bool entered);
    void endTracking();

    QString m_title;
    int m_index;
    int m_originIndex;
    bool m_selected;
    bool m_preview;
    bool m_lifted = false;
    QLabel *m_label;
    QToolButton *m_close;

    // The left button's press, followed until its release.
    bool m_pressed = false;
    bool m_doubleClick = false;
    bool m_dragging = false;
    QPointF m_pressLocal;
    QPointF m_pressWindow;
    bool m_middlePressed = false;
};
