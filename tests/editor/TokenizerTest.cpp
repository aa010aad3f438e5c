#include "editor/Tokenizer.h"
#include "editor/Language.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace
{

const char *kindName(TokenKind kind)
{
    static const char *const names[]
        = { "comment", "string", "number", "keyword", "type", "function", "attribute" };
    return names[int(kind)];
}

// The output's promises: increasing, disjoint, non-empty spans inside the text.
void expectWellFormed(const std::vector<Span> &spans, qsizetype textLength)
{
    qsizetype previousEnd = 0;
    for (const Span &span : spans) {
        ASSERT_GE(span.range.location, previousEnd);
        ASSERT_GE(span.range.length, 1);
        ASSERT_LE(span.end(), textLength);
        previousEnd = span.end();
    }
}

const Language &language(const char *name)
{
    const Language *found = languageNamed(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found ? *found : languages().front();
}

// Each span as "kind:text", which keeps expectations readable.
QStringList scan(const char *languageName, const QString &text)
{
    const std::vector<Span> spans = tokenize(text, language(languageName));
    expectWellFormed(spans, text.size());
    QStringList out;
    for (const Span &span : spans)
        out << QString::fromLatin1(kindName(span.kind)) + u':'
                + text.mid(span.range.location, span.range.length);
    return out;
}

}

TEST(Tokenizer, EmptyAndBlankTextsGiveNoSpans)
{
    EXPECT_TRUE(tokenize(u"", language("C/C++")).empty());
    EXPECT_TRUE(scan("Python", " \t\r\n\n  \n").isEmpty());
}

TEST(Tokenizer, Comments)
{
    EXPECT_EQ(scan("C/C++", "a /* x\n y"), (QStringList { "comment:/* x\n y" }));
    EXPECT_EQ(scan("C/C++", "/* a /* b */ c */"), (QStringList { "comment:/* a /* b */" }));
    EXPECT_EQ(scan("C/C++", "/*/ x"), (QStringList { "comment:/*/ x" }));
    EXPECT_EQ(scan("C/C++", "// if\nif"), (QStringList { "comment:// if", "keyword:if" }));
    EXPECT_EQ(
        scan("Python", "x = 1 # if\n#"), (QStringList { "number:1", "comment:# if", "comment:#" }));
    EXPECT_EQ(scan("Python", "'#' // 2"), (QStringList { "string:'#'", "number:2" }));
    EXPECT_EQ(scan("JSON", "// 1\n# 2"), (QStringList { "number:1", "number:2" }));
    EXPECT_EQ(scan("Shell", "a#b $#"), (QStringList { "comment:#b $#" }));
    EXPECT_EQ(scan("Shell", "echo $# x"), (QStringList { "keyword:echo", "attribute:$#" }));
}

TEST(Tokenizer, OrdinaryStrings)
{
    EXPECT_EQ(scan("C/C++", "\"a\\\"b\""), (QStringList { "string:\"a\\\"b\"" }));
    EXPECT_EQ(scan("C/C++", "\"ab\\"), (QStringList { "string:\"ab\\" }));
    EXPECT_EQ(scan("C/C++", "\"a\\\nb\" 1"), (QStringList { "string:\"a\\\nb\"", "number:1" }));
    EXPECT_EQ(scan("C/C++", "'x\nint"), (QStringList { "string:'x", "keyword:int" }));
    EXPECT_EQ(scan("C/C++", "\"\n"), (QStringList { "string:\"" }));
    EXPECT_EQ(scan("C/C++", "\"it's\""), (QStringList { "string:\"it's\"" }));
    EXPECT_EQ(scan("JavaScript", "`a\nb` if"), (QStringList { "string:`a\nb`", "keyword:if" }));
    EXPECT_EQ(scan("JavaScript", "`a\nif"), (QStringList { "string:`a\nif" }));
    EXPECT_EQ(scan("Swift", "'a'"), QStringList());
}

TEST(Tokenizer, TripleQuotedStrings)
{
    const QString triple = "\"\"\"\nline \"\" one\nline\n\"\"\" x";
    EXPECT_EQ(
        scan("Swift", triple), (QStringList { "string:\"\"\"\nline \"\" one\nline\n\"\"\"" }));
    EXPECT_EQ(scan("JavaScript", triple),
        (QStringList { "string:\"\"", "string:\"", "string:\"\"", "string:\"\"", "string:\" x" }));
    EXPECT_EQ(scan("Python", "'''a\\''''"), (QStringList { "string:'''a\\''''" }));
    EXPECT_EQ(scan("Python", "'''a\nb"), (QStringList { "string:'''a\nb" }));
    EXPECT_EQ(scan("Python", "''"), (QStringList { "string:''" }));
}

TEST(Tokenizer, Numbers)
{
    EXPECT_EQ(scan("C/C++", "0x1F 1_000 3.14.15 1e10"),
        (QStringList { "number:0x1F", "number:1_000", "number:3.14.15", "number:1e10" }));
    EXPECT_EQ(scan("C/C++", "1e-5"), (QStringList { "number:1e", "number:5" }));
    EXPECT_EQ(scan("C/C++", ".5 a.5 x.y ."), (QStringList { "number:.5", "number:.5" }));
    EXPECT_EQ(scan("JSON", "{\"k\": -2, \"v\": [true, null]}"),
        (QStringList {
            "string:\"k\"", "number:2", "string:\"v\"", "keyword:true", "keyword:null" }));
}

TEST(Tokenizer, NamesKeywordsTypesAndFunctions)
{
    EXPECT_EQ(scan("C/C++", "int integer intx _int"), (QStringList { "keyword:int" }));
    EXPECT_EQ(scan("C/C++", "Foo X f( g (if( NULL"),
        (QStringList { "type:Foo", "function:f", "keyword:if", "keyword:NULL" }));
    EXPECT_EQ(scan("Swift", "Foo(self) Self"),
        (QStringList { "type:Foo", "keyword:self", "keyword:Self" }));
    EXPECT_EQ(scan("Python", "None none"), (QStringList { "keyword:None" }));
    EXPECT_EQ(scan("Shell", "Foo f() $x"), (QStringList { "attribute:$x" }));
    EXPECT_EQ(scan("JavaScript", "$el(x) a$b"), (QStringList { "function:$el" }));
}

TEST(Tokenizer, NonAsciiText)
{
    EXPECT_EQ(scan("Python", "größe Ärger Éa Zé"), (QStringList { "type:Zé" }));
    EXPECT_EQ(scan("Python", "naïve(1)"), (QStringList { "function:naïve", "number:1" }));
    const QString emoji = QStringLiteral("x = \"😀\" 7");
    const std::vector<Span> spans = tokenize(emoji, language("Python"));
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].range, (Span::Range { 4, 4 }));
    EXPECT_EQ(spans[1].range, (Span::Range { 9, 1 }));
}

TEST(Tokenizer, Directives)
{
    EXPECT_EQ(scan("C/C++", "#define X 1"), (QStringList { "keyword:#define", "number:1" }));
    EXPECT_EQ(scan("C/C++", "  # include <a.h>\nx"),
        (QStringList { "keyword:# include", "string:<a.h>" }));
    EXPECT_EQ(
        scan("C/C++", "#include <a.h\nint"), (QStringList { "keyword:#include", "keyword:int" }));
    EXPECT_EQ(
        scan("C/C++", "#import \"a.h\""), (QStringList { "keyword:#import", "string:\"a.h\"" }));
    EXPECT_EQ(scan("C/C++", "#include <"), (QStringList { "keyword:#include" }));
    EXPECT_EQ(scan("C/C++", "#include"), (QStringList { "keyword:#include" }));
    EXPECT_EQ(scan("C/C++", "#includes <a>"), (QStringList { "keyword:#includes" }));
    EXPECT_EQ(scan("C/C++", "x # y\n#"), (QStringList { "keyword:#" }));
    EXPECT_EQ(scan("Swift", "#if"), (QStringList { "keyword:if" }));
}

TEST(Tokenizer, ShellAndNginxVariables)
{
    EXPECT_EQ(scan("Shell", "${HOME} ${HOME\nx"),
        (QStringList { "attribute:${HOME}", "attribute:${HOME" }));
    EXPECT_EQ(scan("Shell", "$1 $? $$ $$x $"),
        (QStringList {
            "attribute:$1", "attribute:$?", "attribute:$$", "attribute:$$x", "attribute:$" }));
    EXPECT_EQ(scan("Shell", "${"), (QStringList { "attribute:${" }));
    EXPECT_EQ(scan("nginx", "proxy_pass $host;"),
        (QStringList { "keyword:proxy_pass", "attribute:$host" }));
    EXPECT_EQ(scan("Python", "$x"), QStringList());
}

TEST(Tokenizer, Attributes)
{
    EXPECT_EQ(scan("TypeScript", "@Component({"), (QStringList { "attribute:@Component" }));
    EXPECT_EQ(scan("JavaScript", "@Component({"), (QStringList { "type:Component" }));
    EXPECT_EQ(scan("C/C++", "@interface NSString"),
        (QStringList { "attribute:@interface", "type:NSString" }));
    EXPECT_EQ(
        scan("Python", "@app.route(x) @ 1"), (QStringList { "attribute:@app.route", "number:1" }));
}

TEST(Tokenizer, RandomTextsGiveWellFormedSpans)
{
    const QString alphabet = QStringLiteral("ab_Z$@#`'\"\\/*.09{}()<>\n\t \r#!é😀");
    QRandomGenerator random(7);
    for (const Language &lang : languages()) {
        for (int round = 0; round < 200; ++round) {
            QString text;
            const int length = random.bounded(60);
            for (int i = 0; i < length; ++i)
                text += alphabet[random.bounded(int(alphabet.size()))];
            SCOPED_TRACE(lang.name.toStdString() + ": " + text.toStdString());
            expectWellFormed(tokenize(text, lang), text.size());
        }
    }
}
