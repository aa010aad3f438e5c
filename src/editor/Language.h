#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

// What the highlighter needs to know about one keyword-based language.
struct Language {
    QString name;
    QSet<QString> keywords; // matched whole and case-sensitively
    QStringList lineComments; // tried in list order
    std::optional<std::pair<QString, QString>> blockComment; // open, close
    std::vector<char16_t> quotes; // each opens a string that the same code unit closes
    bool tripleQuotes = false;
    bool capitalizedAreTypes = false;
    bool directives = false;
    bool attributes = false;
    bool variables = false;
    bool functions = false;
};

// The eight built-in languages, created on first use and never changed.
const std::vector<Language> &languages();

// The built-in language of that name ("Swift", "C/C++", "nginx", ...), or null.
const Language *languageNamed(QStringView name);

// A keyword set from words separated by blanks and line feeds.
QSet<QString> keywordSet(QStringView words);
