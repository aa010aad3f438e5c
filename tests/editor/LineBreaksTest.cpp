#include "editor/EditorTextView.h"
#include "editor/LineBreaks.h"

#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

using Kind = LineBreaks::Kind;

// What the text view holds for text: its lines, separated the way it separates them.
QString viewText(const QString &text)
{
    QString lines;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        const bool isBreak = c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator
            || c == QChar(0xFDD0) || c == QChar(0xFDD1);
        lines.append(isBreak ? QChar::ParagraphSeparator : c);
    }
    return lines;
}

QString roundTrip(const QString &text)
{
    return LineBreaks::scan(text).join(viewText(text), QChar::ParagraphSeparator);
}

// The start or end of a line of the view, by number.
qsizetype atLine(EditorTextView &view, int line, bool atEnd)
{
    const TextBuffer &text = *view.buffer();
    return text.lineStart(line) + (atEnd ? text.lineLength(line) : 0);
}

void insertAt(EditorTextView &view, qsizetype position, const QString &text)
{
    view.setCaretPosition(position);
    view.insertText(text);
}

void pressKey(EditorTextView &view, Qt::Key key)
{
    QTest::keyClick(&view, key);
}

}

TEST(LineBreaksTest, ScanCountsEveryBreakTheViewSplitsAtAndPicksTheCommonestKind)
{
    const LineBreaks mixed = LineBreaks::scan(u"a\r\nb\nc\r\n");
    EXPECT_EQ(mixed.lineCount(), 4);
    EXPECT_EQ(mixed.dominant(), Kind::crlf);
    EXPECT_EQ(mixed.breakAfter(1), Kind::lf);

    const LineBreaks tie = LineBreaks::scan(u"a\rb\nc");
    EXPECT_EQ(tie.dominant(), Kind::cr);

    const QString odd = QStringLiteral("a") + QChar(0x2029) + "b" + QChar(0xFDD0) + "c" + QChar(0x2028) + "d";
    const LineBreaks unusual = LineBreaks::scan(odd);
    EXPECT_EQ(unusual.lineCount(), 3); // a line separator stays inside its line
    EXPECT_EQ(unusual.breakAfter(0), Kind::paragraph);
    EXPECT_EQ(unusual.breakAfter(1), Kind::frameStart);

    EXPECT_EQ(LineBreaks::scan(u"no break").dominant(), Kind::lf);
}

TEST(LineBreaksTest, JoinGivesBackEveryTextItScanned)
{
    const QStringList texts { QStringLiteral("progress 10%\rprogress 100%\nline two\n"),
        QStringLiteral("a\r\nb\nc\r\n"), QStringLiteral("\r\r\n\n\r"), QStringLiteral("end\r"),
        QStringLiteral("x") + QChar(0x2029) + "y" + QChar(0x2028) + "z\n", QString() };
    for (const QString &text : texts)
        EXPECT_EQ(roundTrip(text), text) << text.toStdString();
}

TEST(LineBreaksTest, EditsMoveTheBreaksAfterThemAndNewLinesTakeTheCommonKind)
{
    LineBreaks breaks = LineBreaks::scan(u"a\rb\nc\nd\re\n");
    ASSERT_EQ(breaks.dominant(), Kind::lf);
    // A new line after line 0, typed at its end: line 0 keeps its carriage return.
    breaks.edit(0, false, 0, 1);
    EXPECT_EQ(breaks.join(u"a|x|b|c|d|e|", u'|'), "a\rx\nb\nc\nd\re\n");
    // Taken away again: as before.
    breaks.edit(0, false, 1, 0);
    EXPECT_EQ(breaks.join(u"a|b|c|d|e|", u'|'), "a\rb\nc\nd\re\n");
    // A new line typed at the start of line 3 pushes it down with its break.
    breaks.edit(3, true, 0, 1);
    EXPECT_EQ(breaks.join(u"a|b|c|x|d|e|", u'|'), "a\rb\nc\nx\nd\re\n");
    // Lines 2 and 3 removed whole.
    breaks.edit(2, true, 2, 0);
    EXPECT_EQ(breaks.join(u"a|b|d|e|", u'|'), "a\rb\nd\re\n");
    // A replace over two lines that keeps their number keeps their breaks.
    breaks.edit(0, false, 2, 2);
    EXPECT_EQ(breaks.join(u"A|B|D|e|", u'|'), "A\rB\nD\re\n");
}

TEST(LineBreaksTest, TheViewWritesUntouchedLinesWithTheirOwnBytes)
{
    EditorTextView view;
    view.setFileText(QStringLiteral("progress 10%\rprogress 100%\nline two\n"));
    view.insertText(QStringLiteral("!"));
    EXPECT_EQ(view.fileText(), "!progress 10%\rprogress 100%\nline two\n");

    view.setFileText(QStringLiteral("a\r\nb\nc\r\n"));
    insertAt(view, atLine(view, 1, true), QStringLiteral("\nnew"));
    EXPECT_EQ(view.fileText(), "a\r\nb\nnew\r\nc\r\n");
    view.undo();
    EXPECT_EQ(view.fileText(), "a\r\nb\nc\r\n");

    const QString paragraphs = QStringLiteral("one") + QChar(0x2029) + "two\n";
    view.setFileText(paragraphs);
    insertAt(view, atLine(view, 1, true), QStringLiteral("!"));
    EXPECT_EQ(view.fileText(), QStringLiteral("one") + QChar(0x2029) + "two!\n");
}

TEST(LineBreaksTest, KeysThatJoinAndSplitLinesKeepTheOtherLinesBreaks)
{
    EditorTextView view;
    view.setFileText(QStringLiteral("a\rb\nc\r\nd\n"));
    view.setCaretPosition(atLine(view, 0, true));
    pressKey(view, Qt::Key_Return);
    QTest::keyClicks(&view, QStringLiteral("new"));
    EXPECT_EQ(view.fileText(), "a\rnew\nb\nc\r\nd\n");
    // Backspace through the new line joins it back into line 0.
    for (int i = 0; i < 4; ++i)
        pressKey(view, Qt::Key_Backspace);
    EXPECT_EQ(view.fileText(), "a\rb\nc\r\nd\n");
    // Delete at the end of line 1 joins line 2 into it.
    view.setCaretPosition(atLine(view, 1, true));
    pressKey(view, Qt::Key_Delete);
    EXPECT_EQ(view.fileText(), "a\rbc\nd\n");
    view.undo();
    // Undo gives back the exact break the line had, not the common one.
    EXPECT_EQ(view.fileText(), "a\rb\nc\r\nd\n");
}
