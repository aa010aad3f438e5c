#pragma once

#include "DiffFill.h"

#include <QPlainTextEdit>

// A read-only view of one file's diff, as tall as its lines so that the commit view scrolls
// it; long lines scroll sideways. Each line's background comes from its kind, looked up by the
// line's start offset.
class DiffTextView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit DiffTextView(QWidget *parent = nullptr);

    void fill(const DiffFill &fill);
    const QList<int> &starts() const { return lineStarts; }
    const QList<DiffLineKind> &kinds() const { return lineKinds; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void colourText();
    void paintBackgrounds(const QRect &area);
    void fitHeight();

    QList<int> lineStarts;
    QList<DiffLineKind> lineKinds;
};
