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

TEST(Tokenizer, Table)
{
    const QString triple = "\"\"\"\nline \"\" one\nline\n\"\"\" x";
    const struct {
        const char *language;
        QString text;
        QStringList expected;
    } rows[] = {
        { "C/C++", "", {} },
        { "Python", " \t\r\n\n  \n", {} },
        // Comments
        { "C/C++", "a /* x\n y", { "comment:/* x\n y" } },
        { "C/C++", "/* a /* b */ c */", { "comment:/* a /* b */" } },
        { "C/C++", "/*/ x", { "comment:/*/ x" } },
        { "C/C++", "// if\nif", { "comment:// if", "keyword:if" } },
        { "Python", "x = 1 # if\n#", { "number:1", "comment:# if", "comment:#" } },
        { "Python", "'#' // 2", { "string:'#'", "number:2" } },
        { "JSON", "// 1\n# 2", { "number:1", "number:2" } },
        { "Shell", "a#b $#", { "comment:#b $#" } },
        { "Shell", "echo $# x", { "keyword:echo", "attribute:$#" } },
        // Strings
        { "C/C++", "\"a\\\"b\"", { "string:\"a\\\"b\"" } },
        { "C/C++", "\"ab\\", { "string:\"ab\\" } },
        { "C/C++", "\"a\\\nb\" 1", { "string:\"a\\\nb\"", "number:1" } },
        { "C/C++", "'x\nint", { "string:'x", "keyword:int" } },
        { "C/C++", "\"\n", { "string:\"" } },
        { "C/C++", "\"it's\"", { "string:\"it's\"" } },
        { "JavaScript", "`a\nb` if", { "string:`a\nb`", "keyword:if" } },
        { "JavaScript", "`a\nif", { "string:`a\nif" } },
        { "Swift", "'a'", {} },
        { "Swift", triple, { "string:\"\"\"\nline \"\" one\nline\n\"\"\"" } },
        { "JavaScript", triple,
            { "string:\"\"", "string:\"", "string:\"\"", "string:\"\"", "string:\" x" } },
        { "Python", "'''a\\''''", { "string:'''a\\''''" } },
        { "Python", "'''a\nb", { "string:'''a\nb" } },
        { "Python", "''", { "string:''" } },
        // Numbers
        { "C/C++", "0x1F 1_000 3.14.15 1e10",
            { "number:0x1F", "number:1_000", "number:3.14.15", "number:1e10" } },
        { "C/C++", "1e-5", { "number:1e", "number:5" } },
        { "C/C++", ".5 a.5 x.y .", { "number:.5", "number:.5" } },
        { "JSON", "{\"k\": -2, \"v\": [true, null]}",
            { "string:\"k\"", "number:2", "string:\"v\"", "keyword:true", "keyword:null" } },
        // Names, keywords, types and functions
        { "C/C++", "int integer intx _int", { "keyword:int" } },
        { "C/C++", "Foo X f( g (if( NULL",
            { "type:Foo", "function:f", "keyword:if", "keyword:NULL" } },
        { "Swift", "Foo(self) Self", { "type:Foo", "keyword:self", "keyword:Self" } },
        { "Python", "None none", { "keyword:None" } },
        { "Shell", "Foo f() $x", { "attribute:$x" } },
        { "JavaScript", "$el(x) a$b", { "function:$el" } },
        { "Python", "größe Ärger Éa Zé", { "type:Zé" } },
        { "Python", "naïve(1)", { "function:naïve", "number:1" } },
        // Directives
        { "C/C++", "#define X 1", { "keyword:#define", "number:1" } },
        { "C/C++", "  # include <a.h>\nx", { "keyword:# include", "string:<a.h>" } },
        { "C/C++", "#include <a.h\nint", { "keyword:#include", "keyword:int" } },
        { "C/C++", "#import \"a.h\"", { "keyword:#import", "string:\"a.h\"" } },
        { "C/C++", "#include <", { "keyword:#include" } },
        { "C/C++", "#include", { "keyword:#include" } },
        { "C/C++", "#includes <a>", { "keyword:#includes" } },
        { "C/C++", "x # y\n#", { "keyword:#" } },
        { "Swift", "#if", { "keyword:if" } },
        // Variables
        { "Shell", "${HOME} ${HOME\nx", { "attribute:${HOME}", "attribute:${HOME" } },
        { "Shell", "$1 $? $$ $$x $",
            { "attribute:$1", "attribute:$?", "attribute:$$", "attribute:$$x", "attribute:$" } },
        { "Shell", "${", { "attribute:${" } },
        { "nginx", "proxy_pass $host;", { "keyword:proxy_pass", "attribute:$host" } },
        { "Python", "$x", {} },
        // Attributes
        { "TypeScript", "@Component({", { "attribute:@Component" } },
        { "JavaScript", "@Component({", { "type:Component" } },
        { "C/C++", "@interface NSString", { "attribute:@interface", "type:NSString" } },
        { "Python", "@app.route(x) @ 1", { "attribute:@app.route", "number:1" } },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.language) + ": " + row.text.toStdString());
        EXPECT_EQ(scan(row.language, row.text), row.expected);
    }
}

TEST(Tokenizer, SpansCountUtf16CodeUnits)
{
    const QString emoji = QStringLiteral("x = \"😀\" 7");
    const std::vector<Span> spans = tokenize(emoji, language("Python"));
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].range, (Span::Range { 4, 4 }));
    EXPECT_EQ(spans[1].range, (Span::Range { 9, 1 }));
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
