#pragma once

#include <QAbstractButton>

#include <functional>

// An icon-only button of the activity bar; the pane on show has a full-colour icon and an accent
// marker at its leading edge.
class ActivityButton : public QAbstractButton
{
    Q_OBJECT
public:
    ActivityButton(const QString &symbol, const QString &title, QWidget *parent = nullptr);

    std::function<void()> onClick;

    bool isActive() const { return active; }
    void setActive(bool isActive);
    QWidget *marker() const { return activeMarker; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void paintMarker();

    QString symbol;
    QWidget *activeMarker;
    bool active = false;
};
