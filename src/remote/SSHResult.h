#pragma once

#include <QByteArray>
#include <QString>

// What one ssh run gave back.
struct SSHResult {
    // ssh's exit status (255: ssh itself failed; anything else is the remote command's), or
    // cutOffStatus when the output passed the caller's limit.
    int status = 255;
    QByteArray stdout; // raw; callers decode
    QString stderr; // UTF-8, invalid sequences replaced

    static constexpr int cutOffStatus = -2;
};
