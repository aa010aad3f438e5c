#pragma once

#include "ActivityItem.h"

#include <QHash>
#include <QWidget>

#include <functional>

class ActivityButton;
class QVBoxLayout;

// The narrow strip at the window's left edge with one button per sidebar pane. It reports which
// item was clicked and shows whatever active state it is given.
class ActivityBarView : public QWidget
{
    Q_OBJECT
public:
    explicit ActivityBarView(const QList<ActivityItem> &items, QWidget *parent = nullptr);

    std::function<void(const QString &identifier)> onSelect;

    // An identifier the bar does not hold is ignored.
    void setActive(const QString &identifier, bool active);
    ActivityButton *button(const QString &identifier) const { return buttons.value(identifier); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QHash<QString, ActivityButton *> buttons;
    QVBoxLayout *stack;
};
