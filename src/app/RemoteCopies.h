#pragma once

#include <QString>

// The folder that keeps local copies of remote files.
namespace RemoteCopies {

QString directory();
bool contains(const QString &path);

}
