#pragma once

#include "SearchQuery.h"

#include <QString>
#include <QStringList>

// The command lines of a search in files: grep run directly on this machine, and one sh command
// line for a remote folder.
namespace SearchCommand
{

// "-i" unless case matters, then "-E" for a regular expression or "-F" for plain text.
QStringList optionFlags(const SearchQuery &query);

// The folder names a search skips: the heavy folders and the hidden names that are folders, in
// ascending order.
QStringList excludedFolderNames();

// The arguments of the local grep, which runs in the searched folder with LC_ALL set to
// localLocale(). In a UTF-8 locale "-a" follows "-rnI", so that lines that are not valid UTF-8
// are still searched (grep would skip them as binary data).
QStringList localArguments(const SearchQuery &query);

// The locale of the local grep: a UTF-8 locale the machine has (so that case-insensitive search
// folds non-ASCII letters: "Über" for "über"), "C" only when there is none.
QString localLocale();
// The first UTF-8 locale among the candidates that the machine has, else "C" (for tests).
QString firstUtf8Locale(const QStringList &candidates);

// The program of local searches, "/usr/bin/grep".
QString grepProgram();
// Points local searches at another program; only tests call this.
void setGrepProgramForTesting(const QString &program);

// The command line run over ssh: git grep inside a work tree, grep elsewhere, errors discarded,
// and never more than one line past the hit limit sent back. quotedRoot is the remote folder
// already quoted as one shell word.
QString remoteCommandLine(const QString &quotedRoot, const SearchQuery &query);

}
