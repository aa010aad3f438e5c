#pragma once

#include <QString>

// Go to file never offers more files than this from one index, local or remote.
inline constexpr qsizetype fileIndexLimit = 50'000;

// One file of a workspace index, with the lower-cased forms the ranking reads on every keystroke.
struct IndexedFile {
    // The file's absolute path: on this machine, or on the remote machine for a remote index.
    QString url;
    // Relative to the workspace root, "/"-separated, without a leading "./".
    QString path;
    QString lowerPath;
    // The last component of lowerPath.
    QString lowerName;

    static IndexedFile make(QString url, QString path)
    {
        IndexedFile file { std::move(url), std::move(path), {}, {} };
        file.lowerPath = file.path.toLower();
        file.lowerName = file.lowerPath.mid(file.lowerPath.lastIndexOf(u'/') + 1);
        return file;
    }

    bool operator==(const IndexedFile &) const = default;
};
