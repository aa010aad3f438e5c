#pragma once

#include "Language.h"

#include <QHash>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>

// The language of a document, or null for plain text. Only the URL's path is read; the first
// line (when the document has text) lets a "#!" line decide for files the path leaves open.
const Language *detectLanguage(const QUrl &url, std::optional<QStringView> firstLine = {});

// Lower-cased path extension or file name to language.
const QHash<QString, const Language *> &extensionLanguages();
const QHash<QString, const Language *> &fileNameLanguages();

// Configuration files of nginx that carry no telling extension.
bool isNginxConfigPath(const QUrl &url);

// The language of the interpreter a "#!" line names, or null.
const Language *shebangLanguage(QStringView firstLine);

// The text's first line as detection looks at it: searched within its first 200 code units.
QStringView firstLineOf(QStringView text);
