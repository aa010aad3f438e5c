#pragma once

#include <QWidget>

// "+added" in green and "−removed" in red, two spaces apart, in a medium font.
class LineCounts : public QWidget
{
    Q_OBJECT
public:
    LineCounts(int added, int removed, qreal points, QWidget *parent = nullptr);
};
