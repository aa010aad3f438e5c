#pragma once

#include <QMainWindow>

#include <functional>

// The one window; it asks the controller before closing and hands dropped files over.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    std::function<bool()> onShouldClose;
    std::function<void(const QList<QUrl> &)> onDrop;
    std::function<void()> onPaletteChange;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
