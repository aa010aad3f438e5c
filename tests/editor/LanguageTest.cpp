#include "editor/Language.h"
#include "editor/LanguageDetection.h"

#include <QUrl>
#include <gtest/gtest.h>

#include <optional>

TEST(LanguageTable, KeywordSetsSplitAtBlanksAndLineFeedsOnly)
{
    EXPECT_EQ(keywordSet(u"a  b\n\nc\tx \n"), (QSet<QString> { "a", "b", "c\tx" }));
    EXPECT_TRUE(keywordSet(u"").isEmpty());
    // TypeScript's words are JavaScript's and more.
    const Language *javaScript = languageNamed(u"JavaScript");
    const Language *typeScript = languageNamed(u"TypeScript");
    ASSERT_TRUE(javaScript && typeScript);
    EXPECT_TRUE(typeScript->keywords.contains(javaScript->keywords));
    EXPECT_FALSE(javaScript->keywords.contains("interface"));
}

TEST(LanguageDetection, ByPathAndFirstLine)
{
    const struct {
        const char *path;
        std::optional<QString> firstLine;
        const char *expected;
    } rows[] = {
        { "/src/Main.SWIFT", {}, "Swift" },
        { "/src/view.tsx", {}, "TypeScript" },
        { "/src/kernel.cu", {}, "C/C++" },
        { "/src/Makefile", {}, "plain" },
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
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.path) + " " + row.firstLine.value_or("-").toStdString());
        const QUrl url = QUrl::fromLocalFile(QString::fromUtf8(row.path));
        const Language *language = row.firstLine ? detectLanguage(url, QStringView(*row.firstLine))
                                                 : detectLanguage(url);
        EXPECT_EQ(language ? language->name : QStringLiteral("plain"), row.expected);
    }
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
    EXPECT_EQ(firstLineOf(QStringLiteral("#!/bin/sh ") + QString(300, u'x')).size(), 200);
    EXPECT_EQ(firstLineOf(QString(250, u'a') + "\nb").size(), 200);
}
