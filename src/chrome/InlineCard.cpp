#include "InlineCard.h"

#include "ActionButton.h"
#include "common/Theme.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int narrowest = 340;
constexpr int widest = 520;
constexpr int sideInset = 16;
constexpr int topInset = 14;
constexpr int bottomInset = 12;
constexpr int topOffset = 14;
constexpr qreal cornerRadius = 10;
// The field takes the focus back once more if something took it while the card appeared.
constexpr int refocusDelayMs = 80;

QFont sized(QFont font, qreal points, bool bold)
{
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

bool isPlainEscape(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier;
}

}

qsizetype nameSelectionLength(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? dot : name.size();
}

InlineCard::InlineCard(const QString &title, const QString &detail,
    const std::optional<QString> &fieldText, const QList<Button> &buttons, bool dismissesOnClick,
    std::function<void()> onCancel)
    : onCancel(std::move(onCancel))
    , buttons(buttons)
    , title(title)
    , titleLabel(new QLabel(this))
    , detailLabel(new QLabel(this))
    , dismissesOnClick(dismissesOnClick)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setMinimumWidth(narrowest);
    setMaximumWidth(widest);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(sideInset, topInset, sideInset, bottomInset);
    column->setSpacing(0);
    titleLabel->setFont(sized(font(), 13, true));
    // The title is cut to the card's width rather than widening it.
    titleLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->addWidget(titleLabel);
    detailLabel->setFont(sized(font(), 11, false));
    detailLabel->setWordWrap(true);
    detailLabel->setContentsMargins(0, 4, 0, 0);
    column->addWidget(detailLabel);
    setDetail(detail);
    if (fieldText) {
        nameField = new QLineEdit(*fieldText, this);
        nameField->installEventFilter(this);
        column->addSpacing(10);
        column->addWidget(nameField);
        fieldNote = new QLabel(this);
        fieldNote->setFont(sized(font(), 11, false));
        fieldNote->setWordWrap(true);
        fieldNote->setContentsMargins(0, 4, 0, 0);
        fieldNote->hide();
        column->addWidget(fieldNote);
    }
    column->addSpacing(12);
    column->addLayout(buttonRow());
    applyColours();
}

QLayout *InlineCard::buttonRow()
{
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    row->addStretch(1);
    const std::optional<qsizetype> returnButton = buttonForKey(buttons, Qt::Key_Return);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        auto *button = new ActionButton(
            buttons[i].title, [this, i] { press(i); }, this);
        button->setDefault(returnButton == i);
        row->addWidget(button);
    }
    return row;
}

void InlineCard::applyColours()
{
    QPalette colours = detailLabel->palette();
    colours.setColor(QPalette::WindowText, Theme::secondaryLabel(palette()));
    detailLabel->setPalette(colours);
    if (fieldNote) {
        QPalette warning = fieldNote->palette();
        warning.setColor(QPalette::WindowText, Theme::red(palette()));
        fieldNote->setPalette(warning);
    }
}

QString InlineCard::fieldText() const
{
    return nameField ? nameField->text() : QString();
}

void InlineCard::setDetail(const QString &text)
{
    detailLabel->setText(text);
    detailLabel->setHidden(text.isEmpty());
    if (parentWidget())
        place();
}

void InlineCard::setFieldNote(const QString &text)
{
    if (!fieldNote)
        return;
    fieldNote->setText(text);
    fieldNote->setHidden(text.isEmpty());
    if (parentWidget())
        place();
}

void InlineCard::showIn(QWidget *host)
{
    focusBefore = QApplication::focusWidget();
    setParent(host);
    host->installEventFilter(this);
    place();
    show();
    raise();
    // Watching starts after the event that showed the card, which must not close it again.
    if (dismissesOnClick)
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                qApp->installEventFilter(this);
        });
    takeFocus();
}

void InlineCard::place()
{
    QWidget *host = parentWidget();
    const QFontMetrics metrics(titleLabel->font());
    const int wanted
        = std::max(layout()->sizeHint().width(), metrics.horizontalAdvance(title) + 2 * sideInset);
    const int width = std::clamp(wanted, narrowest, widest);
    titleLabel->setText(metrics.elidedText(title, Qt::ElideMiddle, width - 2 * sideInset));
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                     : layout()->totalSizeHint().height();
    setGeometry((host->width() - width) / 2, topOffset, width, height);
}

void InlineCard::takeFocus()
{
    if (!nameField) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    nameField->setFocus(Qt::OtherFocusReason);
    nameField->setSelection(0, int(nameSelectionLength(nameField->text())));
    QTimer::singleShot(refocusDelayMs, nameField, [field = nameField] {
        if (!field->hasFocus()) {
            field->setFocus(Qt::OtherFocusReason);
            field->selectAll();
        }
    });
}

void InlineCard::dismiss(bool restore)
{
    if (restore)
        giveFocusBack();
    close();
}

void InlineCard::giveFocusBack()
{
    if (restoreFocus)
        restoreFocus();
    else if (focusBefore && focusBefore->isVisible())
        focusBefore->setFocus(Qt::OtherFocusReason);
    else if (parentWidget())
        parentWidget()->setFocus(Qt::OtherFocusReason);
}

void InlineCard::closeEvent(QCloseEvent *event)
{
    qApp->removeEventFilter(this);
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
    event->accept();
    if (auto dismissed = std::exchange(onDismiss, {}))
        dismissed();
}

bool InlineCard::answers(const QKeyEvent *event) const
{
    return isPlainEscape(event) || buttonForKey(buttons, event->keyCombination()).has_value();
}

bool InlineCard::answer(const QKeyEvent *event)
{
    if (isPlainEscape(event)) {
        cancel();
        return true;
    }
    const std::optional<qsizetype> index = buttonForKey(buttons, event->keyCombination());
    if (index)
        press(*index);
    return index.has_value();
}

void InlineCard::press(qsizetype index)
{
    // The card may be gone once the action has run; work from a copy.
    const Button button = buttons.at(index);
    if (button.dismisses)
        dismiss(true);
    if (button.action)
        button.action();
}

void InlineCard::cancel()
{
    const std::function<void()> cancelled = onCancel;
    dismiss(true);
    if (cancelled)
        cancelled();
}

bool InlineCard::event(QEvent *event)
{
    // The card's keys win over the window's shortcuts while the focus is in the card.
    if (event->type() == QEvent::ShortcutOverride && answers(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void InlineCard::keyPressEvent(QKeyEvent *event)
{
    if (!answer(event))
        QWidget::keyPressEvent(event);
}

bool InlineCard::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (watched == nameField && answers(static_cast<QKeyEvent *>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        // The field would take some of these keys (Ctrl+A and the like) for itself.
        if (watched == nameField)
            return answer(static_cast<QKeyEvent *>(event));
        break;
    case QEvent::Resize:
        if (watched == parentWidget())
            place();
        break;
    case QEvent::MouseButtonPress:
        noticePress(watched);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void InlineCard::noticePress(QObject *target)
{
    auto *widget = qobject_cast<QWidget *>(target);
    if (!dismissesOnClick || dismissPending || !widget || widget->window() != window())
        return;
    const bool inside = widget == this || isAncestorOf(widget);
    for (QWidget *w = widget; inside && w != this; w = w->parentWidget()) {
        if (qobject_cast<QAbstractButton *>(w))
            return;
    }
    // The press goes on to whatever it was meant for; the card leaves right after.
    dismissPending = true;
    QTimer::singleShot(0, this, [this, inside] { dismiss(inside); });
}

void InlineCard::paintEvent(QPaintEvent *)
{
    Theme::paintCardPanel(this, cornerRadius);
}

void InlineCard::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        applyColours();
    QWidget::changeEvent(event);
}
