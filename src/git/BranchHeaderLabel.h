#pragma once

#include <QLabel>

// The Git log pane's header: one line, cut at its end when the pane is narrow. Where no font on
// the machine has the fork sign the text starts with, the branch symbol is drawn in its place;
// the text itself stays as it is.
class BranchHeaderLabel : public QLabel
{
    Q_OBJECT
public:
    explicit BranchHeaderLabel(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
