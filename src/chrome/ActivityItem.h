#pragma once

#include <QList>
#include <QString>

// One button of the activity bar: the sidebar pane it shows, its icon and its tooltip.
struct ActivityItem {
    QString identifier; // the sidebar mode it stands for
    QString symbol;
    QString title;
};

// The four panes, top to bottom, with their shortcuts in the titles.
QList<ActivityItem> standardActivityItems();
