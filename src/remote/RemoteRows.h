#pragma once

#include "RemoteHostList.h"
#include "RemoteNode.h"

#include <QString>

// What the rows of the Remote pane say, and which commands a folder or file row offers.

// The colour a row's detail is drawn in.
enum class RowTone { secondary, green, orange, red };

struct HostRowText {
    QString title; // the entry's name
    QString detail; // the connection as it stands
    RowTone tone = RowTone::secondary;
    QString toolTip; // the whole failure message of a failed connect
};

HostRowText hostRowText(const HostItem &item);
// The entry's name, with "  …" while it is being listed.
QString nodeTitle(const RemoteNode &node);

// A listed folder that is none of the host's folders yet can become one.
bool offersAddAsFolder(const HostItem &item, const RemoteNode &node);
// A root can go while the host keeps another folder.
bool offersRemoveFolder(const HostItem &item, const RemoteNode &node);
