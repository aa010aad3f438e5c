#include "editor/PaintScheduler.h"
#include "TestSupport.h"
#include "editor/EditorTextView.h"
#include "editor/ScanWindow.h"
#include "editor/SyntaxColors.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using testsupport::waitUntil;

namespace
{

const QUrl cppFile = QUrl::fromLocalFile(QStringLiteral("/work/src/main.cpp"));

std::unique_ptr<EditorTextView> shownView(const QString &text, const QColor &window = Qt::white)
{
    auto view = std::make_unique<EditorTextView>();
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, window);
    view->setPalette(palette);
    view->setFileText(text);
    view->resize(600, 400);
    view->show();
    return view;
}

// The colour the view gives the character at `position`; invalid when it has none.
QColor colourAt(const EditorTextView &view, qsizetype position)
{
    const qsizetype line = view.buffer()->lineAt(position);
    const qsizetype offset = position - view.buffer()->lineStart(line);
    for (const QTextLayout::FormatRange &range : view.lineFormats(line)) {
        if (offset >= range.start && offset < range.start + range.length)
            return range.format.foreground().color();
    }
    return QColor();
}

bool hasColours(const EditorTextView &view, qsizetype line)
{
    return !view.lineFormats(line).isEmpty();
}

bool hasAnyColours(const EditorTextView &view)
{
    for (qsizetype line = 0; line < view.buffer()->lineCount(); ++line) {
        if (hasColours(view, line))
            return true;
    }
    return false;
}

qsizetype lineStart(const EditorTextView &view, qsizetype line)
{
    return view.buffer()->lineStart(line);
}

QColor light(TokenKind kind)
{
    return syntaxColor(kind, Appearance::light);
}

// C++ lines, cut or padded with a comment so that the text is exactly `length` code units.
QString cppText(qsizetype length)
{
    const QString line = QStringLiteral("int value = compute(1, \"two\"); // three\n");
    QString text;
    text.reserve(length + line.size());
    while (text.size() < length)
        text += line;
    text.truncate(length);
    return text;
}

// Waits for every scan to end and its result to be handed back.
void settle(PaintScheduler &scheduler)
{
    waitUntil([&] { return !scheduler.paintPending(); });
    QThreadPool::globalInstance()->waitForDone(5000);
    QCoreApplication::processEvents();
}

}

TEST(PaintScheduler, ColoursAppearOnTheViewButNeverInTheText)
{
    const QString source = QStringLiteral("#include <vector>\nint main() { return 0; } // done\n");
    auto view = shownView(source);
    PaintScheduler scheduler;
    scheduler.show(view.get(), cppFile, false);
    ASSERT_TRUE(waitUntil([&] { return scheduler.counts().applied == 1; }));

    EXPECT_EQ(colourAt(*view, 0), light(TokenKind::keyword)); // #include
    EXPECT_EQ(colourAt(*view, 10), light(TokenKind::string)); // <vector>
    EXPECT_EQ(colourAt(*view, 18), light(TokenKind::keyword)); // int
    EXPECT_EQ(colourAt(*view, 22), light(TokenKind::function)); // main
    EXPECT_EQ(colourAt(*view, int(source.indexOf(u'0'))), light(TokenKind::number));
    EXPECT_EQ(colourAt(*view, int(source.indexOf(u"//"))), light(TokenKind::comment));
    EXPECT_FALSE(colourAt(*view, 26).isValid()); // the space before "{"

    // What a copy takes is the text alone.
    view->selectAll();
    view->copy();
    const QMimeData *copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->text(), source);
    EXPECT_FALSE(copied->html().contains(light(TokenKind::keyword).name(), Qt::CaseInsensitive));
}

TEST(PaintScheduler, OnlyTheNewestVersionIsApplied)
{
    auto view = shownView(QStringLiteral("int a;"));
    PaintScheduler scheduler;
    scheduler.show(view.get(), cppFile, false);
    scheduler.paint();
    ASSERT_EQ(scheduler.counts().scans, 1);
    // An edit while that scan runs (followed without a word from anyone): its result arrives
    // for an old version.
    view->buffer()->insert(0, QStringLiteral("// "));
    scheduler.paint();
    EXPECT_EQ(scheduler.counts().scans, 2);
    settle(scheduler);

    EXPECT_EQ(scheduler.counts().dropped, 1);
    EXPECT_EQ(scheduler.versions().scanningVersion, -1);
    EXPECT_EQ(scheduler.spanCache().find(view.get())->version, scheduler.versions().paintVersion);
    EXPECT_EQ(colourAt(*view, 5), light(TokenKind::comment)); // "int" is inside the comment now
}

TEST(PaintScheduler, ABurstOfEditsGivesOneScan)
{
    auto view = shownView(QStringLiteral("int a;\n"));
    PaintScheduler scheduler;
    scheduler.show(view.get(), cppFile, false);
    for (const char16_t key : u"return 42;")
        view->buffer()->insert(view->buffer()->length(), QString(QChar(key)));
    settle(scheduler);
    EXPECT_EQ(scheduler.counts().scans, 1);
    EXPECT_EQ(colourAt(*view, 7), light(TokenKind::keyword)); // return
    EXPECT_EQ(colourAt(*view, 14), light(TokenKind::number));

    // A line split inside a coloured word is drawn with its old colours until the next scan.
    view->buffer()->insert(9, QStringLiteral("\n"));
    EXPECT_FALSE(view->grab().isNull());
    settle(scheduler);
    EXPECT_EQ(colourAt(*view, 7), QColor()); // "re" is a plain name now
    EXPECT_EQ(colourAt(*view, 10), QColor());

    // Text read again from the file is coloured afresh.
    view->setFileText(QStringLiteral("// int\n"));
    settle(scheduler);
    EXPECT_EQ(colourAt(*view, 3), light(TokenKind::comment));
}

TEST(PaintScheduler, PlainDocumentsAndTextsWithoutLanguageStayUncoloured)
{
    auto view = shownView(QStringLiteral("# note\nint x = 1;\n"));
    PaintScheduler scheduler;
    scheduler.show(view.get(), cppFile, true);
    settle(scheduler);
    EXPECT_EQ(scheduler.counts().scans, 0);
    EXPECT_FALSE(hasColours(*view, 0));
    EXPECT_FALSE(hasColours(*view, 1));

    // The language is worked out at every paint: a directive in C++, a comment in Python.
    scheduler.show(view.get(), cppFile, false);
    ASSERT_TRUE(waitUntil([&] { return colourAt(*view, 0) == light(TokenKind::keyword); }));
    scheduler.show(view.get(), QUrl::fromLocalFile(QStringLiteral("/work/notes")), false);
    ASSERT_TRUE(waitUntil([&] { return !hasColours(*view, 0) && !hasColours(*view, 1); }));
    scheduler.show(view.get(), QUrl::fromLocalFile(QStringLiteral("/work/notes.py")), false);
    ASSERT_TRUE(waitUntil([&] { return colourAt(*view, 0) == light(TokenKind::comment); }));

    // Emptying the text takes its colours off; an empty text is not scanned.
    const int scans = scheduler.counts().scans;
    view->buffer()->remove(0, view->buffer()->length());
    settle(scheduler);
    EXPECT_EQ(scheduler.counts().scans, scans);
    EXPECT_FALSE(hasColours(*view, 0));
}

TEST(PaintScheduler, EachViewKeepsItsSpansUntilItCloses)
{
    auto first = shownView(QStringLiteral("int a;"));
    auto second = shownView(QStringLiteral("return b;"));
    PaintScheduler scheduler;
    scheduler.show(first.get(), cppFile, false);
    ASSERT_TRUE(waitUntil([&] { return scheduler.counts().applied == 1; }));
    scheduler.show(second.get(), cppFile, false);
    ASSERT_TRUE(waitUntil([&] { return scheduler.counts().applied == 2; }));
    EXPECT_EQ(scheduler.spanCache().size(), 2);

    // Back to an unchanged view: its spans come back without a scan.
    scheduler.show(first.get(), cppFile, false);
    ASSERT_TRUE(waitUntil([&] { return scheduler.counts().applied == 3; }));
    EXPECT_EQ(scheduler.counts().scans, 2);
    EXPECT_EQ(scheduler.spanCache().find(first.get())->version, scheduler.versions().paintVersion);

    // Edited while hidden, which the scheduler does not follow: scanned again when shown.
    second->buffer()->insert(0, QStringLiteral("// "));
    scheduler.show(second.get(), cppFile, false);
    settle(scheduler);
    EXPECT_EQ(scheduler.counts().scans, 3);
    EXPECT_EQ(colourAt(*second, 3), light(TokenKind::comment));

    const QObject *closed = second.get();
    second.reset();
    EXPECT_FALSE(scheduler.spanCache().contains(closed));
    EXPECT_TRUE(scheduler.spanCache().contains(first.get()));
}

TEST(PaintScheduler, ScanOverTakenByAnotherViewIsDropped)
{
    auto first = shownView(QStringLiteral("int a;"));
    auto second = shownView(QStringLiteral("return b;"));
    PaintScheduler scheduler;
    scheduler.show(first.get(), cppFile, false);
    scheduler.paint();
    scheduler.show(second.get(), cppFile, false);
    settle(scheduler);
    EXPECT_EQ(scheduler.counts().scans, 2);
    EXPECT_EQ(scheduler.counts().dropped, 1);
    EXPECT_FALSE(scheduler.spanCache().contains(first.get()));
    EXPECT_FALSE(hasColours(*first, 0));
    EXPECT_TRUE(hasColours(*second, 0));

    // Edits to a view no longer on show do not bring it back.
    first->buffer()->insert(0, QStringLiteral("int "));
    settle(scheduler);
    EXPECT_EQ(scheduler.counts().scans, 2);
    EXPECT_FALSE(hasColours(*first, 0));

    // The placeholder on show: a scan that ends meanwhile is dropped too.
    second->buffer()->insert(0, QStringLiteral("int "));
    scheduler.paint();
    scheduler.showNothing();
    settle(scheduler);
    EXPECT_EQ(scheduler.counts().dropped, 2);
}

TEST(PaintScheduler, LargeTextsAreColouredAroundTheVisibleLinesOnly)
{
    for (const qsizetype length : { qsizetype(40'000), qsizetype(40'001) }) {
        SCOPED_TRACE(length);
        const bool large = length == 40'001;
        auto view = shownView(cppText(length));
        const qsizetype nearEnd = lineStart(*view, view->buffer()->lineAt(length - 100));
        PaintScheduler scheduler;
        scheduler.show(view.get(), cppFile, false);
        ASSERT_TRUE(waitUntil([&] { return scheduler.counts().applied == 1; }));
        EXPECT_EQ(colourAt(*view, 0), light(TokenKind::keyword));
        EXPECT_EQ(colourAt(*view, nearEnd).isValid(), !large);

        // Scrolling is followed; a text coloured whole is not coloured again.
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        ASSERT_TRUE(waitUntil([&] { return colourAt(*view, nearEnd).isValid(); }));
        QCoreApplication::processEvents();
        settle(scheduler);
        EXPECT_EQ(scheduler.counts().applied, large ? 2 : 1);
        EXPECT_EQ(scheduler.counts().scans, 1);
    }
}

// Every way the caret or a jump moves a large text along brings colours to the lines it shows,
// with nobody telling the scheduler that the view scrolled.
TEST(PaintScheduler, KeyboardAndJumpsColourTheLinesTheyBringOnScreen)
{
    auto view = shownView(cppText(400'010)); // the last line is "int value "
    PaintScheduler scheduler;
    scheduler.show(view.get(), cppFile, false);
    ASSERT_TRUE(waitUntil([&] { return scheduler.counts().applied == 1; }));
    const auto colouredOnScreen = [&] {
        return colourAt(*view, lineStart(*view, view->firstVisibleLine()))
            == light(TokenKind::keyword)
            && colourAt(*view, lineStart(*view, view->lastVisibleLine()))
            == light(TokenKind::keyword);
    };
    const auto jumps = std::vector<std::pair<const char *, std::function<void()>>> {
        { "Ctrl+End", [&] { QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier); } },
        { "Ctrl+Home", [&] { QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier); } },
        { "Page Down", [&] {
             for (int i = 0; i < 40; ++i)
                 QTest::keyClick(view.get(), Qt::Key_PageDown);
         } },
        { "go to line", [&] { view->showLine(6000); } },
        { "find", [&] {
             view->buffer()->insert(lineStart(*view, 3000), QStringLiteral("x"));
             settle(scheduler);
             view->setCaretPosition(0);
             const qsizetype found = view->buffer()->text().indexOf(QStringLiteral("xint"));
             ASSERT_GT(found, 0);
             view->setSelection(found, found + 4);
             view->centerOnCaret();
         } },
    };
    for (const auto &[name, jump] : jumps) {
        SCOPED_TRACE(name);
        const qsizetype before = view->firstVisibleLine();
        jump();
        QCoreApplication::processEvents();
        ASSERT_NE(view->firstVisibleLine(), before);
        EXPECT_TRUE(waitUntil(colouredOnScreen)) << "top line " << view->firstVisibleLine();
    }
    EXPECT_EQ(scheduler.counts().scans, 2);
}

TEST(PaintScheduler, TextsOverTheScanLimitAreNeverScanned)
{
    auto view = shownView(cppText(ScanWindow::scanLimit));
    PaintScheduler scheduler;
    scheduler.show(view.get(), cppFile, false);
    ASSERT_TRUE(waitUntil([&] { return scheduler.counts().applied == 1; }, 20000));
    EXPECT_TRUE(hasColours(*view, 0));
    EXPECT_FALSE(colourAt(*view, 1'000'000).isValid()) << "far outside the window";

    // One code unit more: the colours come off and stay off, wherever the view is.
    view->buffer()->insert(0, QStringLiteral(" "));
    ASSERT_TRUE(waitUntil([&] { return !hasColours(*view, 0); }));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    settle(scheduler);
    EXPECT_FALSE(hasColours(*view, view->firstVisibleLine()));
    EXPECT_EQ(scheduler.counts().scans, 1);
    EXPECT_FALSE(hasAnyColours(*view));
}

TEST(PaintScheduler, PaletteSwitchRecoloursWithoutAScan)
{
    auto view = shownView(QStringLiteral("int a; // b"));
    PaintScheduler scheduler;
    scheduler.show(view.get(), cppFile, false);
    ASSERT_TRUE(waitUntil([&] { return scheduler.counts().applied == 1; }));
    ASSERT_EQ(colourAt(*view, 0), light(TokenKind::keyword));

    QPalette dark = view->palette();
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    view->setPalette(dark);
    scheduler.paletteChanged();
    ASSERT_TRUE(waitUntil(
        [&] { return colourAt(*view, 0) == syntaxColor(TokenKind::keyword, Appearance::dark); }));
    EXPECT_EQ(colourAt(*view, 8), syntaxColor(TokenKind::comment, Appearance::dark));
    EXPECT_EQ(scheduler.counts().scans, 1);
}
