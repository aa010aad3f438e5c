#include "SettingsView.h"

#include "common/Defaults.h"
#include "common/Shortcuts.h"
#include "common/Theme.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{

constexpr int pageTop = 24;
constexpr int pageSide = 32;
constexpr int pageBottom = 32;
constexpr int widestStack = 640;
constexpr int spaceAfterHint = 18;
constexpr int spaceAfterHeading = 8;
constexpr int rowPadding = 10;
constexpr int spaceBeforeControl = 16;
constexpr int spaceAfterRow = 14;
constexpr int smallestFont = 8;
constexpr int largestFont = 48;

const char *const secondaryProperty = "secondaryText";
const QString separatorName = QStringLiteral("rowSeparator");

// The checkbox rows: identifier, the setting it writes, how the setting reads, the row's texts
// and the report a change makes (none for the options that only need the write).
struct Option {
    const char *section;
    const char *identifier;
    const char *key;
    bool (*read)();
    const char *label;
    const char *help;
    std::function<void(bool)> SettingsView::*report;
};

const Option options[] = {
    { "Editor", "wrap", Defaults::Wrap, &Defaults::wrap, "Word wrap",
        "Long lines continue on the next row instead of running off the edge.",
        &SettingsView::onWordWrap },
    { "Editor", "copyIndent", Defaults::CopyIndent, &Defaults::copyIndent,
        "Return keeps the indentation", "A new line starts where the one above it did.", nullptr },
    { "Editor", "braces", Defaults::Braces, &Defaults::braces, "Braces",
        "A level more after an opening brace, a level back at a closing one.", nullptr },
    { "Git", "inlineBlame", Defaults::InlineBlame, &Defaults::inlineBlame, "Inline blame",
        "Who last changed the line you are on, in dim type after its end. The status bar still "
        "says it.",
        &SettingsView::onInlineBlame },
};

QLabel *makeLabel(const QString &text, qreal points, QFont::Weight weight, bool secondary)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setPointSizeF(points);
    font.setWeight(weight);
    label->setFont(font);
    label->setProperty(secondaryProperty, secondary);
    return label;
}

QString shortcut(const char *keys)
{
    return shortcutText(QKeySequence(QString::fromLatin1(keys)));
}

}

SettingsView::SettingsView(QWidget *editorArea)
    : QWidget(editorArea)
    , scroll(new QScrollArea(this))
{
    content = buildPage();
    setFocusPolicy(Qt::StrongFocus);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidgetResizable(true);
    // The pane paints the background; the page lies on it.
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    scroll->setWidget(content);
    applyColours();
    hide();
    if (editorArea) {
        editorArea->installEventFilter(this);
        setGeometry(editorArea->rect());
    }
}

QWidget *SettingsView::buildPage()
{
    auto *page = new QWidget;
    auto *margins = new QHBoxLayout(page);
    margins->setContentsMargins(pageSide, pageTop, pageSide, pageBottom);
    auto *column = new QWidget;
    column->setMaximumWidth(widestStack);
    margins->addWidget(column, 1);
    margins->addStretch(0);
    stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    addHeader();
    addSection(QStringLiteral("Editor"));
    addRow(QStringLiteral("Font size"),
        QStringLiteral("Points. %1 and %2 change it too.")
            .arg(shortcut("Ctrl++"), shortcut("Ctrl+-")),
        buildFontStepper());
    addRow(QStringLiteral("Indent width"), QStringLiteral("Spaces in a level of indentation."),
        buildIndentPopup());
    addCheckboxRows("Editor");
    addSection(QStringLiteral("Git"));
    addCheckboxRows("Git");
    stack->addStretch(1);
    return page;
}

void SettingsView::addHeader()
{
    stack->addWidget(makeLabel(QStringLiteral("Settings"), 22, QFont::DemiBold, false));
    stack->addWidget(makeLabel(
        shortcut("Ctrl+,") + QStringLiteral(" or Esc to close"), 11, QFont::Normal, true));
    stack->addSpacing(spaceAfterHint);
}

void SettingsView::addSection(const QString &title)
{
    stack->addWidget(makeLabel(title, 11, QFont::Bold, true));
    stack->addSpacing(spaceAfterHeading);
}

void SettingsView::addRow(const QString &label, const QString &help, QWidget *control)
{
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(makeLabel(label, 13, QFont::Normal, false));
    QLabel *helpLabel = makeLabel(help, 11, QFont::Normal, true);
    helpLabel->setWordWrap(true);
    texts->addWidget(helpLabel);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, rowPadding, 0, rowPadding);
    row->setSpacing(spaceBeforeControl);
    row->addLayout(texts, 1);
    control->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    row->addWidget(control, 0, Qt::AlignVCenter);
    stack->addLayout(row);

    auto *separator = new QWidget;
    separator->setObjectName(separatorName);
    separator->setFixedHeight(1);
    separator->setAutoFillBackground(true);
    stack->addWidget(separator);
    stack->addSpacing(spaceAfterRow);
}

QWidget *SettingsView::buildFontStepper()
{
    fontSize = new QSpinBox;
    fontSize->setRange(smallestFont, largestFont);
    fontSize->setSingleStep(1);
    // A typed size counts once it is complete, not at each digit.
    fontSize->setKeyboardTracking(false);
    QFont digits = fontSize->font();
    digits.setPointSizeF(13);
    fontSize->setFont(digits);
    connect(fontSize, &QSpinBox::valueChanged, this, [this](int size) {
        Defaults::set(Defaults::FontSize, double(size));
        if (onFontSize)
            onFontSize(size);
    });
    return fontSize;
}

QWidget *SettingsView::buildIndentPopup()
{
    indentWidth = new QComboBox;
    for (int width = 1; width <= 8; ++width)
        indentWidth->addItem(QString::number(width));
    // Only the user's choice is reported, never the value set by load().
    connect(indentWidth, &QComboBox::activated, this, [this](int index) {
        bool isNumber = false;
        const int width = indentWidth->itemText(index).toInt(&isNumber);
        if (!isNumber)
            return;
        Defaults::set(Defaults::IndentWidth, width);
        if (onIndentWidth)
            onIndentWidth(width);
    });
    return indentWidth;
}

void SettingsView::addCheckboxRows(const char *section)
{
    for (const Option &option : options) {
        if (qstrcmp(option.section, section) != 0)
            continue;
        auto *box = new QCheckBox;
        checkboxes.insert(QString::fromLatin1(option.identifier), box);
        connect(box, &QCheckBox::clicked, this, [this, &option](bool checked) {
            Defaults::set(option.key, checked);
            if (option.report && this->*option.report)
                (this->*option.report)(checked);
        });
        addRow(QString::fromLatin1(option.label), QString::fromLatin1(option.help), box);
    }
}

void SettingsView::load()
{
    {
        const QSignalBlocker quiet(fontSize);
        fontSize->setValue(qRound(Defaults::fontSize()));
    }
    indentWidth->setCurrentText(QString::number(Defaults::indentWidth()));
    for (const Option &option : options)
        checkboxes.value(QString::fromLatin1(option.identifier))->setChecked(option.read());
}

void SettingsView::present()
{
    load();
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
}

bool SettingsView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void SettingsView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (onClose)
            onClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SettingsView::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), Theme::windowBackground(palette()));
}

void SettingsView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        applyColours();
    QWidget::changeEvent(event);
}

void SettingsView::applyColours()
{
    for (QLabel *label : content->findChildren<QLabel *>()) {
        if (!label->property(secondaryProperty).toBool())
            continue;
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, Theme::secondaryLabel(palette()));
        label->setPalette(colours);
    }
    for (QWidget *separator : content->findChildren<QWidget *>(separatorName)) {
        QPalette colours = separator->palette();
        colours.setColor(QPalette::Window, Theme::separator(palette()));
        separator->setPalette(colours);
    }
}
