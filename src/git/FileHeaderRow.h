#pragma once

#include "ChangedFile.h"

#include <QWidget>

#include <functional>

class QLabel;

// The header of a file's section: the arrow, the file name, its folder or old path, and the
// line counts or "binary". A click anywhere on it is reported.
class FileHeaderRow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 30;

    explicit FileHeaderRow(const ChangedFile &file, QWidget *parent = nullptr);

    std::function<void()> onClick;

    void setExpanded(bool expanded);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QWidget *counts(const ChangedFile &file);

    QLabel *arrow;
    bool pressed = false;
};
