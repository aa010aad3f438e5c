#include "OutputPanelView.h"

#include "CommandRun.h"
#include "LaunchSpec.h"
#include "OutputTrim.h"
#include "PanelText.h"
#include "common/Defaults.h"
#include "common/Shortcuts.h"
#include "common/Theme.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

constexpr int flushDelayMs = 50;
constexpr int buttonWidth = 24;
constexpr int followSlack = 24; // points from the end that still count as "at the end"

// The Control key of terminal shells: Ctrl here, the Control key (Qt's Meta) on a Mac.
#if defined(Q_OS_MACOS)
constexpr Qt::KeyboardModifier controlKey = Qt::MetaModifier;
#else
constexpr Qt::KeyboardModifier controlKey = Qt::ControlModifier;
#endif

// A label that cuts a long text at its head ("…/project/src") instead of growing.
class FolderLabel : public QLabel
{
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return { 0, QLabel::minimumSizeHint().height() }; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideLeft, area.width());
        painter.drawText(area, int(Qt::AlignVCenter | Qt::AlignLeft), shown);
    }
};

// The output area, with its text inset from the edges.
class OutputTextView : public QPlainTextEdit
{
public:
    explicit OutputTextView(QWidget *parent)
        : QPlainTextEdit(parent)
    {
        setObjectName(QStringLiteral("output"));
        setReadOnly(true);
        setUndoRedoEnabled(false); // nothing to undo, and no second copy of megabytes of output
        setFrameShape(QFrame::NoFrame);
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
        setMinimumHeight(80);
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        document()->setDocumentMargin(0);
        setViewportMargins(8, 6, 8, 6);
    }
};

bool isControlAlone(const QKeyEvent *event)
{
    return (event->modifiers() & ~Qt::KeypadModifier) == controlKey;
}

bool isControlTableKey(int key)
{
    switch (key) {
    case Qt::Key_W:
    case Qt::Key_U:
    case Qt::Key_A:
    case Qt::Key_E:
    case Qt::Key_C:
    case Qt::Key_L:
        return true;
    default:
        return false;
    }
}

QToolButton *makeButton(QWidget *parent, const QString &objectName)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setAutoRaise(true);
    button->setFixedWidth(buttonWidth);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}

OutputPanelView::OutputPanelView(QWidget *parent)
    : QWidget(parent)
    , commandHistory(Defaults::stringList(Defaults::CommandHistory))
{
    flushTimer.setSingleShot(true);
    flushTimer.setInterval(flushDelayMs);
    connect(&flushTimer, &QTimer::timeout, this, &OutputPanelView::flush);
    buildLayout();
    applyFont();
    showRunButton(false);
}

OutputPanelView::~OutputPanelView() = default;

void OutputPanelView::buildLayout()
{
    field = new QLineEdit(this);
    field->setObjectName(QStringLiteral("commandField"));
    field->installEventFilter(this);
    connect(field, &QLineEdit::returnPressed, this, &OutputPanelView::runCommand);

    folderLabel = new FolderLabel(this);
    folderLabel->setObjectName(QStringLiteral("folderLabel"));
    QFont labelFont = font();
    labelFont.setPointSizeF(11);
    folderLabel->setFont(labelFont);
    folderLabel->setMaximumWidth(240);
    folderLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);

    runButton = makeButton(this, QStringLiteral("runButton"));
    connect(runButton, &QToolButton::clicked, this, [this] {
        if (run)
            stopCommand();
        else
            runCommand();
    });
    clearButton = makeButton(this, QStringLiteral("clearButton"));
    clearButton->setToolTip(tr("Clear the output"));
    connect(clearButton, &QToolButton::clicked, this, &OutputPanelView::clearOutput);
    closeButton = makeButton(this, QStringLiteral("closeButton"));
    closeButton->setToolTip(tr("Close the panel"));
    connect(closeButton, &QToolButton::clicked, this, [this] {
        if (onClose)
            onClose();
    });

    auto *separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Plain);

    output = new OutputTextView(this);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(6, 4, 4, 4);
    row->setSpacing(6);
    row->addWidget(field, 1);
    row->addWidget(folderLabel);
    row->addWidget(runButton);
    row->addWidget(clearButton);
    row->addWidget(closeButton);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(row);
    column->addWidget(separator);
    column->addWidget(output, 1);
    setFocusProxy(field);
}

void OutputPanelView::prepare()
{
    refreshFolderLabel();
    field->setFocus(Qt::OtherFocusReason);
}

// Where a command would run now, and the words the label uses for it: the label and the run
// both come from one answer, so the label never names a place the command will not run in.
OutputPanelView::CommandPlace OutputPanelView::commandPlace() const
{
    CommandPlace place;
    place.remote = remoteContext ? remoteContext() : std::nullopt;
    place.folder = workingDirectory ? workingDirectory() : QString();
    place.label = place.remote ? place.remote->label : PanelText::folderLabel(place.folder, QDir::homePath());
    return place;
}

void OutputPanelView::showPlace(const CommandPlace &place)
{
    folderLabel->setText(place.label);
    folderLabel->setToolTip(place.label);
}

void OutputPanelView::refreshFolderLabel()
{
    showPlace(commandPlace());
}

void OutputPanelView::applyFont()
{
    fontSize = Defaults::fontSize();
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(fontSize);
    mono.setWeight(QFont::Normal);
    output->setFont(mono);
}

void OutputPanelView::stopForQuit()
{
    stopCommand();
}

void OutputPanelView::runCommand()
{
    const QString line = field->text().trimmed();
    if (line.isEmpty() || run)
        return;
    commandHistory.add(line);
    Defaults::set(Defaults::CommandHistory, commandHistory.entries());
    const CommandPlace place = commandPlace();
    showPlace(place);
    const auto &remote = place.remote;
    const QString &folder = place.folder;

    enqueue(QStringLiteral("$ ") + line + QLatin1Char('\n'), OutputTint::Secondary);
    stopRequested = false;

    const std::optional<RemoteLaunch> onMachine = remote ? std::optional(remote->launch(line)) : std::nullopt;
    remoteStop = onMachine ? LaunchSpec { remote->program, onMachine->stopArguments, QString() } : LaunchSpec {};
    run = std::make_unique<CommandRun>(onMachine
            ? LaunchSpec { remote->program, onMachine->arguments, QString() }
            : localLaunch(line, folder, defaultShell()));
    run->onOutput = [this](const QString &text) { received(text); };
    run->onFinish
        = [this](int status, bool stopped, double seconds) { finished(status, stopped, seconds); };
    showRunButton(true);
    QString error;
    if (!run->start(&error)) {
        run.reset();
        showRunButton(false);
        enqueue(QStringLiteral("Couldn't start: ") + error + QLatin1Char('\n'), OutputTint::Red);
    }
    // An undoable replacement, so that Ctrl+Z brings the line back.
    field->clear();
    commandHistory.endBrowsing();
}

void OutputPanelView::stopCommand()
{
    if (!run)
        return;
    stopOnMachine();
    run->stop();
    // After a flood, what waits would keep appearing for seconds after the stop: only the
    // newest of it stays, as much as one append shows.
    stopRequested = true;
    keepTailOnly();
}

// Half an append's worth of the newest output, so that it and the summary go in one append.
void OutputPanelView::keepTailOnly()
{
    pending.keepOutputTail(budget.lines() / 2, AppendBudget::maxUnits / 2);
}

// Ending the local ssh leaves the command running on the machine: it is stopped there, through
// the shared connection, by a process of its own that outlives the panel.
void OutputPanelView::stopOnMachine()
{
    if (remoteStop.program.isEmpty() || !run->isRunning())
        return;
    QProcess stopper;
    stopper.setProgram(remoteStop.program);
    stopper.setArguments(remoteStop.arguments);
    stopper.setStandardInputFile(QProcess::nullDevice());
    stopper.setStandardOutputFile(QProcess::nullDevice());
    stopper.setStandardErrorFile(QProcess::nullDevice());
    stopper.startDetached();
    remoteStop = {};
}

void OutputPanelView::clearOutput()
{
    pending.clear();
    documentCut = 0;
    output->clear();
}

void OutputPanelView::received(const QString &text)
{
    pending.push(text, OutputTint::Label);
    if (stopRequested) {
        keepTailOnly(); // what the command wrote before the stop took hold
    } else if (pending.size() > OutputTrim::limit) {
        // A flood: what waits would be trimmed away anyway; keep memory bounded now.
        trimOutput(nullptr);
    }
    if (!flushTimer.isActive())
        flushTimer.start();
}

void OutputPanelView::enqueue(const QString &text, OutputTint tint)
{
    pending.push(text, tint);
    flush();
}

// Appends what waits, at most one budget's worth, in one edit of the document; the rest follows
// 0.05 seconds later.
void OutputPanelView::flush()
{
    flushTimer.stop();
    if (pending.isEmpty() && documentCut == 0)
        return;
    QElapsedTimer clock;
    clock.start();
    const bool follow = isAtEnd();
    QTextCursor cursor(output->document());
    cursor.beginEditBlock();
    trimOutput(&cursor);
    qsizetype lines = budget.lines();
    qsizetype units = AppendBudget::maxUnits;
    qsizetype appendedLines = 0;
    while (!pending.isEmpty() && lines > 0 && units > 0) {
        const OutputQueue::Run run = pending.takeFront(lines, units);
        const qsizetype runLines = run.text.count(QLatin1Char('\n'));
        lines -= runLines;
        units -= run.text.size();
        appendedLines += runLines;
        QTextCharFormat format;
        format.setForeground(colour(run.tint));
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(run.text, format);
    }
    cursor.endEditBlock();
    if (follow)
        output->verticalScrollBar()->setValue(output->verticalScrollBar()->maximum());
    budget.record(appendedLines, double(clock.nsecsElapsed()) / 1e6);
    if (!pending.isEmpty())
        flushTimer.start();
}

// Keeps the output, together with what waits to be appended, under the trimming limit. Without
// a cursor the document's part of the cut is only noted, and made by the next flush together
// with its append: emptying the document between appends would show a blank panel for as long
// as a flood lasts, when the paint comes before the append.
void OutputPanelView::trimOutput(QTextCursor *cursor)
{
    QTextDocument *document = output->document();
    const qsizetype shown = document->characterCount() - 1 - documentCut;
    const qsizetype cut = OutputTrim::cutLength(shown + pending.size(), [&](qsizetype from) {
        if (from < shown) {
            // In the document, a line feed ends every block but the last.
            const QTextBlock block = document->findBlock(int(from + documentCut));
            if (block.next().isValid())
                return qsizetype(block.position() + block.length() - 1) - documentCut;
            from = shown;
        }
        const qsizetype queued = pending.indexOfLineFeed(from - shown);
        return queued < 0 ? qsizetype(-1) : shown + queued;
    });
    documentCut += std::min(cut, shown);
    if (cut > shown)
        pending.dropFront(cut - shown);
    if (!cursor || documentCut == 0)
        return;
    cursor->setPosition(0);
    cursor->setPosition(int(documentCut), QTextCursor::KeepAnchor);
    cursor->removeSelectedText();
    documentCut = 0;
}

// Whether the visible area reaches to within 24 points of the end of the text.
bool OutputPanelView::isAtEnd() const
{
    const QScrollBar *bar = output->verticalScrollBar();
    const int lineSpacing = std::max(1, output->fontMetrics().lineSpacing());
    return bar->value() >= bar->maximum() - std::max(1, followSlack / lineSpacing);
}

void OutputPanelView::finished(int status, bool stopped, double seconds)
{
    run.reset();
    showRunButton(false);
    const PanelText::Summary summary = PanelText::summary(status, stopped, seconds);
    const OutputTint tint = summary.outcome == PanelText::Outcome::Stopped ? OutputTint::Orange
        : summary.outcome == PanelText::Outcome::Done                      ? OutputTint::Green
                                                                           : OutputTint::Red;
    enqueue(summary.text + QStringLiteral("\n\n"), tint);
    if (onCommandFinished)
        onCommandFinished();
}

QColor OutputPanelView::colour(OutputTint tint) const
{
    const QPalette &colours = palette();
    const bool dark = Theme::isDark(colours);
    switch (tint) {
    case OutputTint::Label:
        return Theme::label(colours);
    case OutputTint::Secondary:
        return Theme::secondaryLabel(colours);
    case OutputTint::Red:
        return dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
    case OutputTint::Orange:
        return dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
    case OutputTint::Green:
        return dark ? QColor(50, 215, 75) : QColor(40, 205, 65);
    }
    return Theme::label(colours);
}

void OutputPanelView::showRunButton(bool running)
{
    const QColor tint = Theme::label(palette());
    runButton->setIcon(Theme::symbolIcon(
        running ? QStringLiteral("stop.fill") : QStringLiteral("play.fill"), tint, 14));
    runButton->setToolTip(running
            ? tr("Stop the command (%1)").arg(shortcutText(QKeySequence(Qt::Key_Escape)))
            : tr("Run (%1)").arg(shortcutText(QKeySequence(Qt::Key_Return))));
    clearButton->setIcon(Theme::symbolIcon(QStringLiteral("trash"), tint, 14));
    closeButton->setIcon(Theme::symbolIcon(QStringLiteral("xmark"), tint, 14));
}

void OutputPanelView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        showRunButton(run != nullptr);
}

void OutputPanelView::browseHistory(int delta)
{
    if (const auto text = commandHistory.browse(delta, field->text())) {
        field->setText(*text);
        field->end(false);
    }
}

void OutputPanelView::handleEscape()
{
    if (run)
        stopCommand();
    else if (onFocusEditor)
        onFocusEditor();
}

bool OutputPanelView::handleControlKey(int key)
{
    switch (key) {
    case Qt::Key_W:
        if (!field->hasSelectedText())
            field->cursorWordBackward(true);
        field->del();
        return true;
    case Qt::Key_U:
        if (!field->hasSelectedText())
            field->home(true);
        field->del();
        return true;
    case Qt::Key_A:
        field->home(false);
        return true;
    case Qt::Key_E:
        field->end(false);
        return true;
    case Qt::Key_C:
        if (run)
            stopCommand();
        else
            field->clear();
        return true;
    case Qt::Key_L:
        clearOutput();
        return true;
    default:
        return false;
    }
}

bool OutputPanelView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != field)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Keys the field answers itself are not menu shortcuts while it is being edited.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape
            || (isControlAlone(key) && isControlTableKey(key->key()))) {
            event->accept();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (isControlAlone(key))
        return handleControlKey(key->key());
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Up:
        browseHistory(-1);
        return true;
    case Qt::Key_Down:
        browseHistory(+1);
        return true;
    case Qt::Key_Escape:
        handleEscape();
        return true;
    default:
        return false;
    }
}
