#pragma once

#include <QString>

// Texts the output panel shows, kept apart from the widget so that they are tested alone.
namespace PanelText
{

enum class Outcome { Stopped, Done, Failed };

struct Summary {
    QString text; // without the line feeds that follow it
    Outcome outcome;
};

// The line that ends a command: "stopped after 1.2 s", "done in 0.3 s" or "exit 2 after 0.3 s".
Summary summary(int status, bool stopped, double seconds);

// A local folder as the folder label shows it: the home folder abbreviated to "~".
QString folderLabel(const QString &folder, const QString &home);

}
