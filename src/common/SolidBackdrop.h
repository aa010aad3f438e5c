#pragma once

#include <QWidget>

// A plain view filled with the window background; it follows palette changes by itself.
class SolidBackdrop : public QWidget {
    Q_OBJECT
public:
    explicit SolidBackdrop(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
