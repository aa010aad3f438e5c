#include "LanguageDetection.h"

#include <QList>

#include <initializer_list>

namespace
{

using LanguageTable = QHash<QString, const Language *>;

void addEntries(
    LanguageTable &table, QStringView languageName, std::initializer_list<const char *> keys)
{
    const Language *language = languageNamed(languageName);
    Q_ASSERT(language);
    for (const char *key : keys)
        table.insert(QString::fromLatin1(key), language);
}

LanguageTable buildExtensionTable()
{
    LanguageTable table;
    addEntries(table, u"Swift", { "swift" });
    addEntries(table, u"JavaScript", { "js", "mjs", "cjs", "jsx" });
    addEntries(table, u"TypeScript", { "ts", "mts", "cts", "tsx" });
    addEntries(
        table, u"C/C++", { "c", "h", "cc", "cpp", "cxx", "hpp", "hh", "hxx", "m", "mm", "cu" });
    addEntries(table, u"Python", { "py", "pyw" });
    addEntries(table, u"JSON", { "json" });
    addEntries(table, u"Shell", { "sh", "bash", "zsh", "command" });
    addEntries(table, u"nginx", { "nginx" });
    return table;
}

LanguageTable buildFileNameTable()
{
    LanguageTable table;
    addEntries(table, u"Shell",
        { ".bashrc", ".bash_profile", ".bash_login", ".bash_logout", ".bash_aliases", ".profile",
            ".zshrc", ".zprofile", ".zshenv", ".zlogin", ".zlogout", ".envrc" });
    return table;
}

QList<QStringView> pathComponents(QStringView path)
{
    return path.split(u'/', Qt::SkipEmptyParts);
}

QStringView lastPathComponent(QStringView path)
{
    const QList<QStringView> components = pathComponents(path);
    return components.isEmpty() ? QStringView() : components.last();
}

// A leading dot names a hidden file rather than starting an extension (".zshrc").
QStringView pathExtension(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.mid(dot + 1) : QStringView();
}

bool isNginxConfigDirectory(QStringView name)
{
    static const QStringList names { "sites-available", "sites-enabled", "conf.d", "snippets",
        "servers" };
    return names.contains(name);
}

const Language *interpreterLanguage(QStringView name)
{
    static const QStringList shells { "sh", "bash", "zsh", "dash", "ksh", "ash" };
    static const QStringList javaScriptRuntimes { "node", "nodejs", "deno", "bun" };
    if (shells.contains(name))
        return languageNamed(u"Shell");
    if (javaScriptRuntimes.contains(name))
        return languageNamed(u"JavaScript");
    if (name.startsWith(u"python"))
        return languageNamed(u"Python");
    return nullptr;
}

}

const LanguageTable &extensionLanguages()
{
    static const LanguageTable table = buildExtensionTable();
    return table;
}

const LanguageTable &fileNameLanguages()
{
    static const LanguageTable table = buildFileNameTable();
    return table;
}

bool isNginxConfigPath(const QUrl &url)
{
    const QString path = url.path(QUrl::FullyDecoded);
    const QList<QStringView> components = pathComponents(path);
    if (components.isEmpty())
        return false;
    const qsizetype last = components.size() - 1;
    if (components[last].toString().toLower() == u"nginx.conf")
        return true;
    qsizetype nearest = last;
    while (nearest >= 0 && components[nearest] != u"nginx")
        --nearest;
    if (nearest < 0)
        return false;
    switch (last - nearest) {
    case 1:
        return pathExtension(components[last]).toString().toLower() == u"conf";
    case 2:
        return isNginxConfigDirectory(components[nearest + 1]);
    default:
        return false;
    }
}

const Language *shebangLanguage(QStringView firstLine)
{
    if (!firstLine.startsWith(u"#!"))
        return nullptr;
    QList<QStringView> pieces = firstLine.mid(2).split(u' ', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return nullptr;
    QStringView interpreter = lastPathComponent(pieces.first());
    if (interpreter == u"env") {
        pieces.removeFirst();
        pieces.removeIf([](QStringView piece) { return piece.startsWith(u'-'); });
        if (pieces.isEmpty())
            return nullptr;
        interpreter = lastPathComponent(pieces.first());
    }
    return interpreterLanguage(interpreter);
}

const Language *detectLanguage(const QUrl &url, std::optional<QStringView> firstLine)
{
    const QString path = url.path(QUrl::FullyDecoded);
    const QString fileName = lastPathComponent(path).toString().toLower();
    if (const Language *byExtension
        = extensionLanguages().value(pathExtension(fileName).toString()))
        return byExtension;
    if (const Language *byName = fileNameLanguages().value(fileName))
        return byName;
    if (isNginxConfigPath(url))
        return languageNamed(u"nginx");
    if (firstLine)
        return shebangLanguage(*firstLine);
    return nullptr;
}

QStringView firstLineOf(QStringView text)
{
    const QStringView window = text.first(std::min<qsizetype>(text.size(), 200));
    const qsizetype lineFeed = window.indexOf(u'\n');
    return lineFeed < 0 ? window : window.first(lineFeed);
}
