#include "editor/Language.h"
#include "editor/LanguageDetection.h"

#include <QUrl>
#include <gtest/gtest.h>

#include <optional>

namespace
{

QString detectedName(const QString &path, std::optional<QString> firstLine = std::nullopt)
{
    const Language *language = firstLine
        ? detectLanguage(QUrl::fromLocalFile(path), QStringView(*firstLine))
        : detectLanguage(QUrl::fromLocalFile(path));
    return language ? language->name : QStringLiteral("plain");
}

}

TEST(LanguageTable, EachLanguageHasItsFieldsAndKeywordCount)
{
    struct Row {
        const char *name;
        int keywordCount;
        QStringList lineComments;
        bool block;
        std::vector<char16_t> quotes;
        bool triple, types, directives, attributes, variables, functions;
    };
    const Row rows[] = {
        { "Swift", 77, { "//" }, true, { u'"' }, true, true, false, true, false, true },
        { "JavaScript", 47, { "//" }, true, { u'"', u'\'', u'`' }, false, true, false, false, false,
            true },
        { "TypeScript", 78, { "//" }, true, { u'"', u'\'', u'`' }, false, true, false, true, false,
            true },
        { "C/C++", 85, { "//" }, true, { u'"', u'\'' }, false, true, true, true, false, true },
        { "Python", 37, { "#" }, false, { u'"', u'\'' }, true, true, false, true, false, true },
        { "JSON", 3, {}, false, { u'"' }, false, false, false, false, false, false },
        { "Shell", 64, { "#" }, false, { u'"', u'\'', u'`' }, false, false, false, false, true,
            false },
        { "nginx", 95, { "#" }, false, { u'"', u'\'' }, false, false, false, false, true, false },
    };
    ASSERT_EQ(languages().size(), std::size(rows));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Language *language = languageNamed(QString::fromLatin1(row.name));
        ASSERT_NE(language, nullptr);
        EXPECT_EQ(language->keywords.size(), row.keywordCount);
        EXPECT_EQ(language->lineComments, row.lineComments);
        EXPECT_EQ(language->blockComment.has_value(), row.block);
        if (language->blockComment) {
            EXPECT_EQ(language->blockComment->first, "/*");
            EXPECT_EQ(language->blockComment->second, "*/");
        }
        EXPECT_EQ(language->quotes, row.quotes);
        EXPECT_EQ(language->tripleQuotes, row.triple);
        EXPECT_EQ(language->capitalizedAreTypes, row.types);
        EXPECT_EQ(language->directives, row.directives);
        EXPECT_EQ(language->attributes, row.attributes);
        EXPECT_EQ(language->variables, row.variables);
        EXPECT_EQ(language->functions, row.functions);
    }
}

TEST(LanguageTable, TypeScriptExtendsJavaScriptAndTableIsBuiltOnce)
{
    const Language *javaScript = languageNamed(u"JavaScript");
    const Language *typeScript = languageNamed(u"TypeScript");
    ASSERT_TRUE(javaScript && typeScript);
    EXPECT_TRUE(typeScript->keywords.contains(javaScript->keywords));
    EXPECT_FALSE(javaScript->keywords.contains("interface"));
    EXPECT_EQ(&languages(), &languages());
    EXPECT_EQ(languageNamed(u"Cobol"), nullptr);
}

TEST(LanguageTable, KeywordSetSplitsAtBlanksAndLineFeedsOnly)
{
    EXPECT_EQ(keywordSet(u"a  b\n\nc\tx \n"), (QSet<QString> { "a", "b", "c\tx" }));
    EXPECT_TRUE(keywordSet(u"").isEmpty());
}

TEST(LanguageDetection, ByPathAndFirstLine)
{
    struct Row {
        const char *path;
        std::optional<QString> firstLine;
        const char *expected;
    };
    const Row rows[] = {
        { "/src/Main.SWIFT", {}, "Swift" },
        { "/src/app.mjs", {}, "JavaScript" },
        { "/src/view.tsx", {}, "TypeScript" },
        { "/src/View.mm", {}, "C/C++" },
        { "/src/kernel.cu", {}, "C/C++" },
        { "/src/tool.pyw", {}, "Python" },
        { "/src/x.command", {}, "Shell" },
        { "/src/site.nginx", {}, "nginx" },
        { "/src/Makefile", {}, "plain" },
        { "/src/README", {}, "plain" },
        { "/src/notes.txt", {}, "plain" },
        { "/home/me/.zshrc", {}, "Shell" },
        { "/home/me/.ENVRC", {}, "Shell" },
        { "/home/me/bashrc", {}, "plain" },
        { "/home/me/bashrc", "#!/bin/sh", "Shell" },
        { "/etc/nginx/nginx.conf", {}, "nginx" },
        { "/x/NGINX.CONF", {}, "nginx" },
        { "/etc/nginx/app.CONF", {}, "nginx" },
        { "/etc/nginx/mime.types", {}, "plain" },
        { "/etc/nginx/sites-enabled/default", {}, "nginx" },
        { "/etc/nginx/servers/x.y", {}, "nginx" },
        { "/etc/nginx/sites-enabled/a/b", {}, "plain" },
        { "/etc/nginx/other/default", {}, "plain" },
        { "/etc/Nginx/x.conf", {}, "plain" },
        { "/etc/nginx/conf.d/app.json", {}, "JSON" },
        { "/etc/nginx", {}, "plain" },
        { "/x/tool", "#!/usr/bin/env python3", "Python" },
        { "/x/tool", "#!/usr/bin/python3.12", "Python" },
        { "/x/tool", "#!/usr/bin/env -S node --flag", "JavaScript" },
        { "/x/tool", "#!/bin/bash -e", "Shell" },
        { "/x/tool", "#!  /bin/zsh", "Shell" },
        { "/x/tool", "#!/usr/bin/env", "plain" },
        { "/x/tool", "#!/usr/bin/env -S", "plain" },
        { "/x/tool", "#!/usr/bin/perl", "plain" },
        { "/x/tool", "# !/bin/sh", "plain" },
        { "/x/tool", "#!/bin/sh\t-e", "plain" },
        { "/x/tool", "#!/bin/Bash", "plain" },
        { "/x/tool.txt", "#!/bin/sh", "Shell" },
        { "/x/tool.py", "#!/bin/sh", "Python" },
        { "/etc/nginx/nginx.conf", "#!/bin/sh", "nginx" },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.firstLine.value_or("-").toStdString());
        EXPECT_EQ(detectedName(QString::fromUtf8(row.path), row.firstLine), row.expected);
    }
}

TEST(LanguageDetection, TablesHoldTheirEntries)
{
    EXPECT_EQ(extensionLanguages().size(), 28);
    EXPECT_EQ(fileNameLanguages().size(), 12);
    for (const Language *language : fileNameLanguages())
        EXPECT_EQ(language->name, "Shell");
}

TEST(LanguageDetection, EncodedAndEmptyUrls)
{
    const Language *spaced = detectLanguage(QUrl("file:///etc/nginx/my%20site.conf"));
    ASSERT_NE(spaced, nullptr);
    EXPECT_EQ(spaced->name, "nginx");
    EXPECT_FALSE(isNginxConfigPath(QUrl()));
    EXPECT_EQ(detectLanguage(QUrl(), QStringView(u"#!/bin/sh")), languageNamed(u"Shell"));
    EXPECT_EQ(detectLanguage(QUrl()), nullptr);
}

TEST(LanguageDetection, FirstLineIsCutAtLineFeedWithinTwoHundredUnits)
{
    EXPECT_EQ(firstLineOf(u"#!/bin/sh\necho"), u"#!/bin/sh");
    EXPECT_EQ(firstLineOf(u""), u"");
    EXPECT_EQ(firstLineOf(u"\nx"), u"");
    const QString longLine = QStringLiteral("#!/bin/sh ") + QString(300, u'x');
    EXPECT_EQ(firstLineOf(longLine).size(), 200);
    EXPECT_EQ(firstLineOf(QString(250, u'a') + "\nb").size(), 200);
}
