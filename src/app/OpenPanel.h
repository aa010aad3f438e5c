#pragma once

#include <QFileDialog>
#include <QList>
#include <QUrl>

#include <functional>

// The panel of Open…: files to open and a folder to use as the workspace in one panel. A
// chosen folder (selected or typed, then Open or Return) is an answer, not a place to enter;
// double-clicking a folder still enters it. Qt's own dialog is used, the only one that can
// offer both. Delivers what was chosen through onChoose and deletes itself when closed.
class OpenPanel : public QFileDialog
{
    Q_OBJECT
public:
    OpenPanel(QWidget *parent, const QString &message, const QString &start);

    std::function<void(const QList<QUrl> &)> onChoose;

    void accept() override;
};
