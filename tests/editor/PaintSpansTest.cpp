#include "editor/SpanPainter.h"
#include "editor/SyntaxColors.h"

#include <QPlainTextDocumentLayout>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace
{

// A document as an editor view holds it.
struct PlainDocument {
    QTextDocument document;
    explicit PlainDocument(const QString &text)
    {
        document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
        document.setPlainText(text);
    }
};

QPalette lightPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::white);
    return palette;
}

// Each coloured piece of a block as "text:kind-colour-name".
QStringList pieces(const QTextDocument &document, int blockNumber)
{
    const QTextBlock block = document.findBlockByNumber(blockNumber);
    QStringList out;
    for (const QTextLayout::FormatRange &range : block.layout()->formats())
        out << block.text().mid(range.start, range.length) + ":"
                + range.format.foreground().color().name();
    return out;
}

QString light(TokenKind kind)
{
    return syntaxColor(kind, Appearance::light).name();
}

int colouredBlocks(const QTextDocument &document)
{
    int count = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        count += block.layout()->formats().isEmpty() ? 0 : 1;
    return count;
}

}

TEST(PaintSpans, BlocksInTheWindowGetTheirSpansOthersAreLeft)
{
    // Lines: "int a;" (0-5), "/* x" (7-10), "y */" (12-15), "int b;" (17-22)
    PlainDocument text(QStringLiteral("int a;\n/* x\ny */\nint b;"));
    const std::vector<Span> spans {
        { { 0, 3 }, TokenKind::keyword }, { { 7, 9 }, TokenKind::comment },
        { { 17, 3 }, TokenKind::keyword },
        { { 21, 5 }, TokenKind::number }, // left over from a longer text
    };
    SpanPainter *painter = SpanPainter::of(&text.document);
    EXPECT_EQ(SpanPainter::of(&text.document), painter);

    painter->paint(spans, { 9, 13 }, lightPalette());
    EXPECT_TRUE(pieces(text.document, 0).isEmpty());
    EXPECT_EQ(pieces(text.document, 1), QStringList { "/* x:" + light(TokenKind::comment) });
    EXPECT_EQ(pieces(text.document, 2), QStringList { "y */:" + light(TokenKind::comment) });
    EXPECT_TRUE(pieces(text.document, 3).isEmpty());

    painter->paint(spans, { 0, 23 }, lightPalette());
    EXPECT_EQ(pieces(text.document, 0), QStringList { "int:" + light(TokenKind::keyword) });
    EXPECT_EQ(pieces(text.document, 3), QStringList { "int:" + light(TokenKind::keyword) });

    // A window over the last line only replaces that line's colours.
    painter->paint({}, { 20, 21 }, lightPalette());
    EXPECT_TRUE(pieces(text.document, 3).isEmpty());
    EXPECT_EQ(pieces(text.document, 0), QStringList { "int:" + light(TokenKind::keyword) });
}

TEST(PaintSpans, ColoursNeverReachTheDocument)
{
    PlainDocument text(QStringLiteral("int a = 1; // one\nreturn a;\n"));
    QTextCursor(&text.document).insertText(QStringLiteral("x"));
    const int undoSteps = text.document.availableUndoSteps();
    text.document.setModified(false);
    const QString html = text.document.toHtml();
    QSignalSpy changes(&text.document, &QTextDocument::contentsChange);
    QSignalSpy changed(&text.document, &QTextDocument::contentsChanged);

    SpanPainter::of(&text.document)
        ->paint({ { { 1, 3 }, TokenKind::keyword }, { { 12, 6 }, TokenKind::comment } }, { 0, 30 },
            lightPalette());
    ASSERT_FALSE(pieces(text.document, 0).isEmpty());
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(text.document.availableUndoSteps(), undoSteps);
    EXPECT_FALSE(text.document.isModified());
    EXPECT_EQ(text.document.toHtml(), html);
    const QTextBlock first = text.document.firstBlock();
    for (QTextBlock::iterator it = first.begin(); !it.atEnd(); ++it)
        EXPECT_FALSE(it.fragment().charFormat().hasProperty(QTextFormat::ForegroundBrush));
}

TEST(PaintSpans, EditedLineKeepsColoursOnItsCharacters)
{
    PlainDocument text(QStringLiteral("int count = 10;"));
    SpanPainter *painter = SpanPainter::of(&text.document);
    const qint64 before = painter->textStamp();
    painter->paint({ { { 0, 3 }, TokenKind::keyword }, { { 12, 2 }, TokenKind::number } },
        { 0, 15 }, lightPalette());

    QTextCursor cursor(&text.document);
    cursor.setPosition(4);
    cursor.insertText(QStringLiteral("my_")); // "int my_count = 10;"
    EXPECT_EQ(pieces(text.document, 0),
        (QStringList { "int:" + light(TokenKind::keyword), "10:" + light(TokenKind::number) }));
    EXPECT_NE(painter->textStamp(), before);

    cursor.setPosition(16);
    cursor.insertText(QStringLiteral("2")); // inside the number
    EXPECT_EQ(pieces(text.document, 0),
        (QStringList { "int:" + light(TokenKind::keyword), "120:" + light(TokenKind::number) }));
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    EXPECT_EQ(pieces(text.document, 0), QStringList { "120:" + light(TokenKind::number) });

    PlainDocument other(QStringLiteral("int count = 10;"));
    EXPECT_NE(SpanPainter::of(&other.document)->textStamp(), painter->textStamp());
}

TEST(PaintSpans, ClearTakesOffEveryColourAfterEditsWithoutWalkingTheText)
{
    QString source;
    for (int line = 0; line < 4000; ++line)
        source += QStringLiteral("int value%1 = %1;\n").arg(line);
    PlainDocument text(source);
    std::vector<Span> spans;
    for (QTextBlock block = text.document.begin(); block.isValid(); block = block.next())
        spans.push_back({ { block.position(), 3 }, TokenKind::keyword });
    SpanPainter *painter = SpanPainter::of(&text.document);
    painter->paint(spans, { 1000, 3000 }, lightPalette());
    painter->paint(spans, { 60'000, 61'000 }, lightPalette());
    ASSERT_EQ(painter->colouredRanges().size(), 2u);

    // New lines inside, a line joined at the edge, text pasted in front of everything.
    QTextCursor cursor(&text.document);
    cursor.setPosition(2000);
    cursor.insertText(QStringLiteral("\n\nint z;\n"));
    cursor.setPosition(60'500);
    cursor.deletePreviousChar();
    for (const CharRange &range : std::vector<CharRange>(painter->colouredRanges())) {
        for (const qsizetype edge : { range.start, range.end }) {
            cursor.setPosition(int(edge - 3));
            cursor.setPosition(int(edge + 3), QTextCursor::KeepAnchor);
            cursor.insertText(QStringLiteral("a\nb\nc"));
        }
    }
    cursor.setPosition(0);
    cursor.insertText(source.left(5000));
    EXPECT_GT(colouredBlocks(text.document), 0);
    const qsizetype coveredBefore = painter->colouredRanges().back().end;
    EXPECT_LT(coveredBefore - painter->colouredRanges().front().start, 70'000);

    painter->clear();
    EXPECT_EQ(colouredBlocks(text.document), 0);
    EXPECT_TRUE(painter->colouredRanges().empty());

    // Replacing the whole text leaves nothing of the old colours to track.
    painter->paint(spans, { 0, 40'000 }, lightPalette());
    text.document.setPlainText(source + source);
    EXPECT_LE(painter->colouredRanges().size(), 2u);
    for (const CharRange &range : painter->colouredRanges())
        EXPECT_LT(range.length(), 100);
}
