#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Where a search runs: a local folder, or a folder on a machine reached through ssh.
struct SearchPlace {
    // What a search on a machine needs: the ssh program and the arguments that run one command
    // line there, and the folder already quoted for the remote shell.
    struct Remote {
        QString machine; // which machine, in the owner's own terms
        QString program;
        QString quotedFolder;
        std::function<QStringList(const QString &commandLine)> arguments;
    };

    QString folder;
    QString label; // the scope line's text
    std::optional<Remote> remote;

    // A local folder, named by its last path component ("/" by itself).
    static SearchPlace local(const QString &folder)
    {
        const QString name = QFileInfo(QDir::cleanPath(folder)).fileName();
        return SearchPlace { folder, name.isEmpty() ? folder : name, std::nullopt };
    }
};
