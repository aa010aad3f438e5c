#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class BlameButton;
class QLabel;

// The strip under the editor: the remote indicator and the caret text on the left; the indent,
// encoding and version text and the blame item on the right. It shows the texts it is given
// and reports clicks on its two items.
class StatusBarView : public QWidget
{
    Q_OBJECT
public:
    explicit StatusBarView(QWidget *parent = nullptr);

    std::function<void()> onRemoteClick;
    std::function<void()> onBlameClick;

    // Empty texts leave that side blank.
    void setTexts(const QString &left, const QString &right);
    // An empty text hides the blame item.
    void setBlame(const QString &text);
    // An empty title hides the remote indicator; its symbol is green while connected.
    void setRemote(const QString &title, bool connected, const QString &toolTip);

    QString leftText() const { return leftFull; }
    QString rightText() const { return rightFull; }
    QLabel *leftLabel() const { return left; }
    QLabel *rightLabel() const { return right; }
    BlameButton *blameItem() const { return blame; }
    BlameButton *remoteItem() const { return remote; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyColours();
    void placeItems();

    QString leftFull;
    QString rightFull;
    bool remoteConnected = false;
    QLabel *left;
    QLabel *right;
    BlameButton *blame;
    BlameButton *remote;
};
