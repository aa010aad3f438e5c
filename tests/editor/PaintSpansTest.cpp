#include "editor/SpanPainter.h"
#include "editor/SyntaxColors.h"
#include "editor/buffer/TextBuffer.h"
#include "editor/view/TextArea.h"

#include <QTextLayout>
#include <gtest/gtest.h>

namespace
{

// A view with a text, as opened.
struct View {
    TextArea area;
    TextBuffer &text = *area.buffer();
    explicit View(const QString &source) { text.setFileText(source); }
};

QPalette lightPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::white);
    return palette;
}

// Each coloured piece of a line as "text:kind-colour-name".
QStringList pieces(const View &view, qsizetype line)
{
    const QString text = view.text.lineText(line);
    QStringList out;
    for (const QTextLayout::FormatRange &range : view.area.lineFormats(line))
        out << text.mid(range.start, range.length) + ":"
                + range.format.foreground().color().name();
    return out;
}

QString light(TokenKind kind)
{
    return syntaxColor(kind, Appearance::light).name();
}

qsizetype colouredLines(const View &view)
{
    qsizetype count = 0;
    for (qsizetype line = 0; line < view.text.lineCount(); ++line)
        count += view.area.lineFormats(line).isEmpty() ? 0 : 1;
    return count;
}

// One keyword span at the start of every line.
std::vector<Span> lineStartSpans(const TextBuffer &text)
{
    std::vector<Span> spans;
    for (qsizetype line = 0; line < text.lineCount(); ++line)
        spans.push_back({ { text.lineStart(line), 3 }, TokenKind::keyword });
    return spans;
}

QString numberedLines(int count)
{
    QString source;
    for (int line = 0; line < count; ++line)
        source += QStringLiteral("int value%1 = %1;\n").arg(line);
    return source;
}

}

TEST(PaintSpans, LinesInTheWindowGetTheirSpansOthersAreLeft)
{
    // Lines: "int a;" (0-5), "/* x" (7-10), "y */" (12-15), "int b;" (17-22)
    View view(QStringLiteral("int a;\n/* x\ny */\nint b;"));
    const std::vector<Span> spans {
        { { 0, 3 }, TokenKind::keyword }, { { 7, 9 }, TokenKind::comment },
        { { 17, 3 }, TokenKind::keyword },
        { { 21, 5 }, TokenKind::number }, // left over from a longer text
    };
    SpanPainter *painter = SpanPainter::of(&view.area);
    EXPECT_EQ(SpanPainter::of(&view.area), painter);

    painter->paint(spans, { 9, 13 }, lightPalette());
    EXPECT_TRUE(pieces(view, 0).isEmpty());
    EXPECT_EQ(pieces(view, 1), QStringList { "/* x:" + light(TokenKind::comment) });
    EXPECT_EQ(pieces(view, 2), QStringList { "y */:" + light(TokenKind::comment) });
    EXPECT_TRUE(pieces(view, 3).isEmpty());

    painter->paint(spans, { 0, 23 }, lightPalette());
    EXPECT_EQ(pieces(view, 0), QStringList { "int:" + light(TokenKind::keyword) });
    EXPECT_EQ(pieces(view, 3), QStringList { "int:" + light(TokenKind::keyword) });

    // A window over the last line only replaces that line's colours.
    painter->paint({}, { 20, 21 }, lightPalette());
    EXPECT_TRUE(pieces(view, 3).isEmpty());
    EXPECT_EQ(pieces(view, 0), QStringList { "int:" + light(TokenKind::keyword) });
}

TEST(PaintSpans, ColoursNeverReachTheText)
{
    View view(QStringLiteral("int a = 1; // one\nreturn a;\n"));
    view.text.insert(0, QStringLiteral("x"));
    view.text.setClean();
    const QString before = view.text.text();
    const quint64 revision = view.text.revision();
    int changes = 0;
    QObject::connect(&view.text, &TextBuffer::changed, [&] { ++changes; });

    SpanPainter::of(&view.area)
        ->paint({ { { 1, 3 }, TokenKind::keyword }, { { 12, 6 }, TokenKind::comment } }, { 0, 30 },
            lightPalette());
    ASSERT_FALSE(pieces(view, 0).isEmpty());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(view.text.revision(), revision);
    EXPECT_FALSE(view.text.isModified());
    EXPECT_EQ(view.text.text(), before);
    ASSERT_TRUE(view.text.undo());
    EXPECT_EQ(view.text.text(), before.mid(1)) << "the last undo step is still the edit";
}

TEST(PaintSpans, EditedLineKeepsColoursOnItsCharacters)
{
    View view(QStringLiteral("int count = 10;"));
    SpanPainter *painter = SpanPainter::of(&view.area);
    const qint64 before = painter->textStamp();
    painter->paint({ { { 0, 3 }, TokenKind::keyword }, { { 12, 2 }, TokenKind::number } },
        { 0, 15 }, lightPalette());

    view.text.insert(4, QStringLiteral("my_")); // "int my_count = 10;"
    EXPECT_EQ(pieces(view, 0),
        (QStringList { "int:" + light(TokenKind::keyword), "10:" + light(TokenKind::number) }));
    const qint64 edited = painter->textStamp();
    EXPECT_NE(edited, before);
    EXPECT_EQ(painter->textStamp(), edited) << "asking again is no edit";

    view.text.insert(16, QStringLiteral("2")); // inside the number
    EXPECT_EQ(pieces(view, 0),
        (QStringList { "int:" + light(TokenKind::keyword), "120:" + light(TokenKind::number) }));
    view.text.remove(0, 3);
    EXPECT_EQ(pieces(view, 0), QStringList { "120:" + light(TokenKind::number) });
    // An undo is an edit too, though it brings an earlier text back.
    const qint64 removed = painter->textStamp();
    view.text.undo();
    EXPECT_NE(painter->textStamp(), removed);

    View other(QStringLiteral("int count = 10;"));
    EXPECT_NE(SpanPainter::of(&other.area)->textStamp(), painter->textStamp());
}

TEST(PaintSpans, ClearTakesOffEveryColourAfterEdits)
{
    const QString source = numberedLines(4000);
    View view(source);
    const std::vector<Span> spans = lineStartSpans(view.text);
    SpanPainter *painter = SpanPainter::of(&view.area);
    painter->paint(spans, { 1000, 3000 }, lightPalette());
    painter->paint(spans, { 60'000, 61'000 }, lightPalette());
    ASSERT_GT(colouredLines(view), 100);

    // New lines inside, a line joined, lines split at the window's edges, text pasted in front.
    view.text.insert(2000, QStringLiteral("\n\nint z;\n"));
    view.text.remove(60'499, 1);
    for (const qsizetype edge : { 1000, 3000, 60'000, 61'000 })
        view.text.replace(edge - 3, 6, QStringLiteral("a\nb\nc"));
    view.text.insert(0, source.left(5000));
    EXPECT_GT(colouredLines(view), 100) << "colours left to take off";

    painter->clear();
    EXPECT_EQ(colouredLines(view), 0);

    // Replacing the whole text leaves nothing of the old colours.
    painter->paint(spans, { 0, 40'000 }, lightPalette());
    view.text.setFileText(source + source);
    EXPECT_EQ(colouredLines(view), 0);
}

TEST(PaintSpans, ScrollingThroughALongTextKeepsTheColouredLinesBounded)
{
    View view(numberedLines(60'000));
    const std::vector<Span> spans = lineStartSpans(view.text);
    SpanPainter *painter = SpanPainter::of(&view.area);
    const qsizetype windowLines = 2000;
    for (qsizetype first = 0; first + windowLines < 60'000; first += windowLines) {
        const qsizetype last = first + windowLines - 1;
        painter->paint(spans,
            { view.text.lineStart(first), view.text.lineStart(last) + view.text.lineLength(last) },
            lightPalette());
        ASSERT_LE(colouredLines(view), SpanPainter::lineBudget) << "window from line " << first;
        // The window just painted is whole, however much was taken off before it.
        ASSERT_FALSE(view.area.lineFormats(first).isEmpty());
        ASSERT_FALSE(view.area.lineFormats(last).isEmpty());
    }
}

TEST(PaintSpans, RepaintingTheSameColoursKeepsTheLayouts)
{
    View view(QStringLiteral("int a;\nint b;\n"));
    const std::vector<Span> spans { { { 0, 3 }, TokenKind::keyword } };
    SpanPainter *painter = SpanPainter::of(&view.area);
    painter->paint(spans, { 0, 14 }, lightPalette());
    view.area.cursorRect(0); // lays line 0 out
    ASSERT_TRUE(view.area.isLaidOut(0));

    painter->paint(spans, { 0, 14 }, lightPalette());
    EXPECT_TRUE(view.area.isLaidOut(0));
    painter->paint({ { { 0, 3 }, TokenKind::type } }, { 0, 14 }, lightPalette());
    EXPECT_FALSE(view.area.isLaidOut(0)) << "new colours need a new layout";
}
