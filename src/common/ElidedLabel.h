#pragma once

#include <QLabel>

// A one-line label for a narrow place: a text too long for its width is drawn ending in "…"
// instead of being cut off mid-word, and its whole shows as the tooltip when the label has none
// of its own. text() stays the whole text. It asks for room for all of it but makes do with as
// little as an ellipsis, so a long text never widens the pane it is in.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);
    explicit ElidedLabel(const QString &text, QWidget *parent = nullptr);

    bool isElided() const;
    // What the label shows.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect textRect() const;
};
