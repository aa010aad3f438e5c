#pragma once

#include <QWidget>

// The lower band of a hover card: a faint wash of the label colour whose bottom corners follow
// the card's rounded corners.
class CardBandView : public QWidget
{
    Q_OBJECT
public:
    explicit CardBandView(qreal cornerRadius, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal cornerRadius;
};
