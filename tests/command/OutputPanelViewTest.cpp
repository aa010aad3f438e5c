#include "command/OutputPanelView.h"

#include "TestSupport.h"
#include "command/AppendBudget.h"
#include "common/Defaults.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace
{

// Waits for child processes: generous, for a machine whose cores are busy with other work.
constexpr int longWaitMs = 30000;

// Calls back before each paint of the widget it watches.
class PaintProbe : public QObject
{
public:
    explicit PaintProbe(std::function<void()> onPaint)
        : onPaint(std::move(onPaint))
    {
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            onPaint();
        return false;
    }

private:
    std::function<void()> onPaint;
};

class OutputPanel : public ::testing::Test
{
protected:
    // Commands run in a plain sh: a login shell's profile (which may take seconds on a busy
    // machine) is the user's, not the panel's; LaunchSpecTest covers the choice of shell.
    void SetUp() override
    {
        testsupport::clearSettings();
        savedShell = qgetenv("SHELL");
        qputenv("SHELL", "/bin/sh");
    }
    void TearDown() override { qputenv("SHELL", savedShell); }

    std::unique_ptr<OutputPanelView> makePanel()
    {
        auto panel = std::make_unique<OutputPanelView>();
        panel->resize(700, 300);
        panel->onCommandFinished = [this] { ++finishedCount; };
        return panel;
    }
    static QLineEdit *field(OutputPanelView &panel)
    {
        return panel.findChild<QLineEdit *>(QStringLiteral("commandField"));
    }
    static QPlainTextEdit *output(OutputPanelView &panel)
    {
        return panel.findChild<QPlainTextEdit *>(QStringLiteral("output"));
    }
    static QString text(OutputPanelView &panel) { return output(panel)->toPlainText(); }
    static void key(QWidget *target, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QApplication::sendEvent(target, &press);
    }
    static void control(QWidget *target, int code) { key(target, code, Qt::ControlModifier); }
    // Types a command line and presses Return.
    void submit(OutputPanelView &panel, const QString &line)
    {
        field(panel)->setText(line);
        key(field(panel), Qt::Key_Return);
    }
    // Whether the output ends with a summary line and the empty line after it.
    static bool summaryShown(OutputPanelView &panel)
    {
        const QString last = output(panel)->document()->lastBlock().previous().previous().text();
        return last.startsWith(QLatin1String("done in ")) || last.startsWith(QLatin1String("exit "))
            || last.startsWith(QLatin1String("stopped after "));
    }
    // Runs a command line and waits until it has ended and all its output is shown.
    bool runToEnd(OutputPanelView &panel, const QString &line, int timeoutMs = longWaitMs)
    {
        const int before = finishedCount;
        submit(panel, line);
        return waitUntil([&] { return finishedCount > before && summaryShown(panel); }, timeoutMs);
    }

    int finishedCount = 0;
    QByteArray savedShell;
};

TEST_F(OutputPanel, RunShowsTheCommandItsOutputAndASummary)
{
    auto panel = makePanel();
    ASSERT_TRUE(runToEnd(*panel, QStringLiteral("  echo hello  ")));
    const QString shown = text(*panel);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("$ echo hello\n"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("hello\ndone in "))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral(" s\n\n")) || shown.endsWith(QStringLiteral(" s\n")))
        << shown.toStdString();
    EXPECT_TRUE(field(*panel)->text().isEmpty());
    EXPECT_FALSE(panel->isRunning());
}

TEST_F(OutputPanel, SummaryLinesHaveTheirColours)
{
    auto panel = makePanel();
    ASSERT_TRUE(runToEnd(*panel, QStringLiteral("exit 3")));
    QTextDocument *document = output(*panel)->document();
    const QTextBlock summary = document->findBlockByNumber(1);
    ASSERT_TRUE(summary.text().startsWith(QStringLiteral("exit 3 after ")))
        << summary.text().toStdString();
    const QColor red = summary.begin().fragment().charFormat().foreground().color();
    EXPECT_GT(red.red(), 200);
    EXPECT_LT(red.green(), 100);

    ASSERT_TRUE(runToEnd(*panel, QStringLiteral("true")));
    const QTextBlock done = document->lastBlock().previous().previous();
    ASSERT_TRUE(done.text().startsWith(QStringLiteral("done in "))) << done.text().toStdString();
    const QColor green = done.begin().fragment().charFormat().foreground().color();
    EXPECT_GT(green.green(), 150);
    EXPECT_LT(green.red(), 100);
}

TEST_F(OutputPanel, ReturnWhileRunningIsIgnored)
{
    auto panel = makePanel();
    submit(*panel, QStringLiteral("exec sleep 30"));
    ASSERT_TRUE(panel->isRunning());
    submit(*panel, QStringLiteral("echo second"));
    EXPECT_EQ(field(*panel)->text(), QStringLiteral("echo second"));
    EXPECT_EQ(panel->history(), QStringList { QStringLiteral("exec sleep 30") });
    panel->stopForQuit();
    ASSERT_TRUE(waitUntil([&] { return !panel->isRunning(); }, longWaitMs));
}

TEST_F(OutputPanel, ReturnWithOnlySpacesRunsNothing)
{
    auto panel = makePanel();
    submit(*panel, QStringLiteral("   \t  "));
    EXPECT_FALSE(panel->isRunning());
    EXPECT_TRUE(text(*panel).isEmpty());
    EXPECT_TRUE(panel->history().isEmpty());
    EXPECT_FALSE(Defaults::contains(Defaults::CommandHistory));
}

// The history keeps one entry per command, the newest fifty, and is saved after each run.
TEST_F(OutputPanel, HistoryKeepsOneEntryPerCommandAndTheNewestFifty)
{
    QStringList saved;
    for (int i = 1; i <= 50; ++i)
        saved << QStringLiteral("echo %1").arg(i);
    Defaults::set(Defaults::CommandHistory, saved);
    auto panel = makePanel();
    EXPECT_EQ(panel->history(), saved);
    ASSERT_TRUE(runToEnd(*panel, QStringLiteral("echo 51")));
    ASSERT_TRUE(runToEnd(*panel, QStringLiteral("echo 3")));
    QStringList expected = saved.sliced(1);
    expected.removeOne(QStringLiteral("echo 3"));
    expected << QStringLiteral("echo 51") << QStringLiteral("echo 3");
    EXPECT_EQ(panel->history(), expected);
    EXPECT_EQ(Defaults::stringList(Defaults::CommandHistory), expected);
}

// Browsing is CommandHistory's; the field shows each entry with the caret at its end.
TEST_F(OutputPanel, UpAndDownBrowseTheHistoryAndComeBackToTheDraft)
{
    Defaults::set(Defaults::CommandHistory, QStringList { "make", "make test" });
    auto panel = makePanel();
    QLineEdit *line = field(*panel);
    line->setText(QStringLiteral("git st"));
    key(line, Qt::Key_Up);
    EXPECT_EQ(line->text(), QStringLiteral("make test"));
    EXPECT_EQ(line->cursorPosition(), line->text().size());
    key(line, Qt::Key_Up);
    EXPECT_EQ(line->text(), QStringLiteral("make"));
    key(line, Qt::Key_Down);
    key(line, Qt::Key_Down);
    EXPECT_EQ(line->text(), QStringLiteral("git st"));
}

TEST_F(OutputPanel, EscapeWithNoCommandGivesTheFocusToTheEditor)
{
    auto panel = makePanel();
    int focusRequests = 0;
    panel->onFocusEditor = [&] { ++focusRequests; };
    key(field(*panel), Qt::Key_Escape);
    EXPECT_EQ(focusRequests, 1);
}

TEST_F(OutputPanel, ControlKeysEditTheFieldLikeAShell)
{
    auto panel = makePanel();
    QLineEdit *line = field(*panel);
    line->setText(QStringLiteral("git commit --amend"));
    line->end(false);
    control(line, Qt::Key_W);
    EXPECT_EQ(line->text(), QStringLiteral("git commit --"));
    control(line, Qt::Key_A);
    EXPECT_EQ(line->cursorPosition(), 0);
    control(line, Qt::Key_E);
    EXPECT_EQ(line->cursorPosition(), line->text().size());
    line->setCursorPosition(4);
    control(line, Qt::Key_U);
    EXPECT_EQ(line->text(), QStringLiteral("commit --"));
    line->setSelection(0, 3);
    control(line, Qt::Key_W); // a selection goes, whatever the caret
    EXPECT_EQ(line->text(), QStringLiteral("mit --"));
    control(line, Qt::Key_C); // nothing runs: empties the field
    EXPECT_TRUE(line->text().isEmpty());
}

TEST_F(OutputPanel, ControlKeysWinOverMenuShortcutsInTheField)
{
    auto panel = makePanel();
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_W, Qt::ControlModifier);
    override.ignore();
    QApplication::sendEvent(field(*panel), &override);
    EXPECT_TRUE(override.isAccepted());
    QKeyEvent other(QEvent::ShortcutOverride, Qt::Key_S, Qt::ControlModifier);
    other.ignore();
    QApplication::sendEvent(field(*panel), &other);
    EXPECT_FALSE(other.isAccepted());
}

// The run button (a stop button meanwhile), Escape and Ctrl+C each stop a running command; the
// field keeps both the focus and what was typed into it.
TEST_F(OutputPanel, ButtonEscapeAndControlCStopARunningCommand)
{
    auto panel = makePanel();
    int focusRequests = 0;
    panel->onFocusEditor = [&] { ++focusRequests; };
    panel->show();
    panel->activateWindow();
    panel->prepare();
    ASSERT_TRUE(waitUntil([&] { return field(*panel)->hasFocus(); }));
    auto *button = panel->findChild<QToolButton *>(QStringLiteral("runButton"));
    const std::pair<const char *, std::function<void()>> stops[] = {
        { "button", [&] { button->click(); } },
        { "Escape", [&] { key(field(*panel), Qt::Key_Escape); } },
        { "Ctrl+C", [&] { control(field(*panel), Qt::Key_C); } },
    };
    for (const auto &[name, stop] : stops) {
        SCOPED_TRACE(name);
        submit(*panel, QStringLiteral("echo ready; exec sleep 30"));
        EXPECT_EQ(button->toolTip(), QStringLiteral("Stop the command (Esc)"));
        ASSERT_TRUE(waitUntil(
            [&] { return text(*panel).endsWith(QStringLiteral("ready\n")); }, longWaitMs));
        field(*panel)->setText(QStringLiteral("next"));
        stop();
        ASSERT_TRUE(waitUntil([&] { return !panel->isRunning(); }, longWaitMs));
        EXPECT_TRUE(waitUntil([&] { return summaryShown(*panel); }, longWaitMs));
        EXPECT_TRUE(text(*panel).contains(QStringLiteral("stopped after ")));
        EXPECT_EQ(field(*panel)->text(), QStringLiteral("next"));
        EXPECT_TRUE(field(*panel)->hasFocus());
        EXPECT_EQ(button->toolTip(), QStringLiteral("Run (Return)"));
    }
    EXPECT_EQ(focusRequests, 0);
    control(field(*panel), Qt::Key_L);
    EXPECT_TRUE(text(*panel).isEmpty());
}

TEST_F(OutputPanel, CommandThatCannotStartIsReportedInRed)
{
    auto panel = makePanel();
    panel->workingDirectory = [] { return QStringLiteral("/no/such/folder"); };
    submit(*panel, QStringLiteral("echo hi"));
    EXPECT_FALSE(panel->isRunning());
    const QString shown = text(*panel);
    EXPECT_TRUE(shown.contains(
        QStringLiteral("Couldn't start: /no/such/folder: No such file or directory")))
        << shown.toStdString();
    const QTextBlock failure = output(*panel)->document()->findBlockByNumber(1);
    EXPECT_GT(failure.begin().fragment().charFormat().foreground().color().red(), 200);
    EXPECT_TRUE(field(*panel)->text().isEmpty());
    // The panel stays usable.
    panel->workingDirectory = {};
    EXPECT_TRUE(runToEnd(*panel, QStringLiteral("echo again")));
}

TEST_F(OutputPanel, ThreeMillionCharactersLeaveTheLastMillionAndAHalfFromALineStart)
{
    auto panel = makePanel();
    panel->show();
    // 200,000 lines of 15 characters: 3,000,000 characters.
    ASSERT_TRUE(runToEnd(*panel, QStringLiteral("seq -f 'line %09g' 1 200000"), 60000));
    const QString shown = text(*panel);
    EXPECT_LE(shown.size(), 2'000'000);
    // The last cut may come with the last piece of output: it starts at the line start just
    // after 1,500,000 characters from the end, up to one line (15 characters) short of them.
    EXPECT_GE(shown.size(), 1'500'000 - 15);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("line "))) << shown.left(40).toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("line 000200000\ndone in ")));
    // Every remaining line is whole.
    const QStringList lines
        = shown.left(shown.indexOf(QStringLiteral("done in "))).split('\n', Qt::SkipEmptyParts);
    for (const QString &line : lines)
        ASSERT_EQ(line.size(), 14) << line.toStdString();
}

// A flood of short lines shows while it streams; once stopped, no more than one append of what it
// wrote before the stop appears, then the summary.
TEST_F(OutputPanel, AFloodShowsWhileItRunsAndStopsShowingAtOnce)
{
    auto panel = makePanel();
    panel->show();
    int appends = 0;
    bool stopping = false;
    qsizetype addedAfterStop = 0;
    QObject::connect(
        output(*panel)->document(), &QTextDocument::contentsChange, [&](int, int, int added) {
            appends += added > 0 ? 1 : 0;
            addedAfterStop += stopping ? added : 0;
        });
    // Paints of the output while it runs: none may find it empty once output has shown.
    int paints = 0;
    int blankPaints = 0;
    bool shown = false;
    PaintProbe probe([&] {
        if (!panel->isRunning() || stopping)
            return;
        ++paints;
        const bool blank = output(*panel)->document()->characterCount() <= 1;
        shown = shown || !blank;
        blankPaints += shown && blank ? 1 : 0;
    });
    output(*panel)->viewport()->installEventFilter(&probe);
    submit(*panel, QStringLiteral("yes"));
    ASSERT_TRUE(
        waitUntil([&] { return text(*panel).count(QStringLiteral("y\n")) >= 1000; }, longWaitMs));
    EXPECT_TRUE(panel->isRunning());
    // A few more appends, so that a backlog builds up behind them.
    const int seen = appends;
    ASSERT_TRUE(waitUntil([&] { return appends >= seen + 3; }, longWaitMs));
    ASSERT_TRUE(panel->isRunning());
    stopping = true;
    panel->stopCommand();
    ASSERT_TRUE(waitUntil([&] { return summaryShown(*panel); }, longWaitMs));
    EXPECT_TRUE(text(*panel).contains(QStringLiteral("y\nstopped after ")));
    EXPECT_LE(addedAfterStop, AppendBudget::maxUnits / 2 + 100);
    EXPECT_GT(paints, 0);
    EXPECT_EQ(blankPaints, 0);
}

TEST_F(OutputPanel, OutputFollowsTheEndOnlyWhenTheUserWasThere)
{
    auto panel = makePanel();
    panel->show();
    QScrollBar *bar = output(*panel)->verticalScrollBar();
    ASSERT_TRUE(runToEnd(*panel, QStringLiteral("seq 1 500")));
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    ASSERT_TRUE(runToEnd(*panel, QStringLiteral("seq 1 500")));
    EXPECT_EQ(bar->value(), 0);
}

}
