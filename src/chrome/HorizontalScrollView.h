#pragma once

#include <QScrollArea>

// A frameless scroll area that scrolls sideways only. A mouse wheel, which turns vertically,
// scrolls it sideways; a trackpad scrolls it as usual.
class HorizontalScrollView : public QScrollArea
{
    Q_OBJECT
public:
    explicit HorizontalScrollView(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};
