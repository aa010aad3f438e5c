#pragma once

#include <QAbstractButton>
#include <QColor>

// A borderless status bar item: a small symbol before a title, cut at its tail when narrow. The
// pointing hand shows over the whole item.
class BlameButton : public QAbstractButton
{
    Q_OBJECT
public:
    // symbolDescription names the symbol for accessibility ("Last change", "Remote").
    BlameButton(const QString &symbol, const QString &symbolDescription, QWidget *parent = nullptr);

    // The symbol's colour; an invalid colour stands for the secondary label colour.
    void setTint(const QColor &colour);
    QColor tint() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString symbol;
    QColor symbolTint;
};
