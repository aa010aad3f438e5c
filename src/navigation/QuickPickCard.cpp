#include "QuickPickCard.h"

#include "Ranking.h"
#include "common/Theme.h"

#include <QAbstractListModel>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr int rowHeight = 26;
constexpr int visibleRows = 10;
constexpr int margin = 12;
constexpr int fieldToList = 8;
constexpr int narrowest = 320;
constexpr int widest = 640;
constexpr int topOffset = 14;
constexpr qreal cornerRadius = 10;
constexpr int serverSearchDelayMs = 250;
constexpr int cellPadding = 8;
constexpr int nameToFolder = 8;
constexpr int folderRole = Qt::UserRole;

QFont sized(QFont font, qreal points)
{
    font.setPointSizeF(points);
    return font;
}

// The shown files, one row each: name on display, folder beside it, the whole path as tooltip.
class PickRows : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void show(const QList<IndexedFile> &files, const QList<int> &shown)
    {
        beginResetModel();
        paths.clear();
        for (int index : shown)
            paths.append(files[index].path);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(paths.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        const QString &path = paths.at(index.row());
        const qsizetype slash = path.lastIndexOf(u'/');
        switch (role) {
        case Qt::DisplayRole:
            return path.mid(slash + 1);
        case folderRole:
            return slash < 0 ? QString() : path.left(slash);
        case Qt::ToolTipRole:
            return path;
        default:
            return {};
        }
    }

private:
    QStringList paths;
};

// One row: the name, then its folder in smaller, dimmer type, cut at the end when too long.
class PickCell : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &palette = option.palette;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (selected) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(Theme::accent(palette));
            painter->drawRoundedRect(QRectF(option.rect).adjusted(0, 1, 0, -1), 5, 5);
        }
        const QRect text = option.rect.adjusted(cellPadding, 0, -cellPadding, 0);
        const QFont nameFont = sized(option.font, 13);
        const QString name = QFontMetrics(nameFont).elidedText(
            index.data().toString(), Qt::ElideMiddle, text.width());
        painter->setFont(nameFont);
        painter->setPen(
            selected ? palette.color(QPalette::HighlightedText) : Theme::label(palette));
        QRect used;
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, name, &used);
        const QRect rest = text.adjusted(used.width() + nameToFolder, 0, 0, 0);
        const QFont folderFont = sized(option.font, 11);
        painter->setFont(folderFont);
        QColor folderColour = Theme::secondaryLabel(palette);
        if (selected)
            folderColour = palette.color(QPalette::HighlightedText);
        painter->setPen(folderColour);
        painter->drawText(rest, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(folderFont)
                .elidedText(
                    index.data(folderRole).toString(), Qt::ElideRight, std::max(0, rest.width())));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return { option.rect.width(), rowHeight };
    }
};

// Up, Down, Return and Escape are the card's own, with no modifier (the keypad's aside).
bool isCardKey(const QKeyEvent *event)
{
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}

}

QuickPickCard::QuickPickCard(QList<IndexedFile> files, const QString &prompt)
    : queryField(new QLineEdit(this))
    , noteLabel(new QLabel(this))
    , list(new QListView(this))
    , noMatch(new QLabel(QStringLiteral("No matching files"), this))
    , rows(new PickRows(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(fieldToList);
    queryField->setFont(sized(font(), 14));
    queryField->setPlaceholderText(prompt);
    queryField->installEventFilter(this);
    column->addWidget(queryField);
    noteLabel->setWordWrap(true);
    noteLabel->setForegroundRole(QPalette::PlaceholderText);
    noteLabel->setFont(sized(font(), 11));
    noteLabel->hide();
    column->addWidget(noteLabel);
    list->setModel(rows);
    list->setItemDelegate(new PickCell(list));
    list->setFocusPolicy(Qt::NoFocus);
    list->setFrameShape(QFrame::NoFrame);
    list->setUniformItemSizes(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->viewport()->setAutoFillBackground(false);
    column->addWidget(list);
    noMatch->setFont(sized(font(), 12));
    noMatch->setForegroundRole(QPalette::PlaceholderText);
    noMatch->setContentsMargins(cellPadding, 0, cellPadding, 0);
    noMatch->setFixedHeight(rowHeight);
    column->addWidget(noMatch);
    serverWork.setSingleShot(true);
    serverWork.setInterval(serverSearchDelayMs);
    connect(&serverWork, &QTimer::timeout, this, &QuickPickCard::searchServer);
    connect(queryField, &QLineEdit::textChanged, this, &QuickPickCard::queryChanged);
    connect(
        list, &QListView::clicked, this, [this](const QModelIndex &index) { choose(index.row()); });
    replaceFiles(std::move(files));
}

void QuickPickCard::setFiles(QList<IndexedFile> newFiles, const std::optional<QString> &prompt)
{
    if (prompt)
        queryField->setPlaceholderText(*prompt);
    replaceFiles(std::move(newFiles));
}

void QuickPickCard::setNote(const QString &text)
{
    noteLabel->setText(text);
    noteLabel->setVisible(!text.isEmpty());
    if (parentWidget())
        place();
}

QString QuickPickCard::note() const
{
    return noteLabel->isHidden() ? QString() : noteLabel->text();
}

void QuickPickCard::replaceFiles(QList<IndexedFile> newFiles)
{
    files = std::move(newFiles);
    lowerPaths.clear();
    lowerNames.clear();
    lowerPaths.reserve(files.size());
    lowerNames.reserve(files.size());
    for (const IndexedFile &file : std::as_const(files)) {
        lowerPaths.append(file.lowerPath);
        lowerNames.append(file.lowerName);
    }
    rankFiles();
}

void QuickPickCard::queryChanged()
{
    rankFiles();
    serverWork.stop();
    if (serverSearch && !queryField->text().trimmed().isEmpty())
        serverWork.start();
}

void QuickPickCard::searchServer()
{
    if (!serverSearch)
        return;
    const QString query = queryField->text();
    QPointer<QuickPickCard> self(this);
    serverSearch(query, [self, query](QList<IndexedFile> found) {
        // An answer for text that has since changed would replace a newer ranking.
        if (self && self->queryField->text() == query)
            self->replaceFiles(std::move(found));
    });
}

void QuickPickCard::rankFiles()
{
    shown = rank(queryField->text(), lowerNames, lowerPaths);
    static_cast<PickRows *>(rows)->show(files, shown);
    const int height = int(std::min<qsizetype>(shown.size(), visibleRows)) * rowHeight;
    list->setFixedHeight(height);
    list->setHidden(shown.isEmpty());
    noMatch->setVisible(shown.isEmpty() && !normalizedQuery(queryField->text()).isEmpty());
    select(0);
    if (parentWidget())
        place();
}

void QuickPickCard::select(int row)
{
    if (row < 0 || row >= shown.size())
        return;
    const QModelIndex index = rows->index(row);
    list->setCurrentIndex(index);
    list->scrollTo(index);
}

void QuickPickCard::showIn(QWidget *host)
{
    setParent(host);
    host->installEventFilter(this);
    place();
    show();
    raise();
    queryField->setFocus(Qt::OtherFocusReason);
}

void QuickPickCard::place()
{
    QWidget *host = parentWidget();
    const int width = std::clamp(host->width() - 2 * margin, narrowest, widest);
    // A wrapped note is as tall as the card's width makes it.
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width)
                                                     : layout()->totalSizeHint().height();
    setGeometry((host->width() - width) / 2, topOffset, width, height);
}

void QuickPickCard::dismiss(bool restore)
{
    serverWork.stop();
    if (restore)
        giveFocusBack();
    close();
}

void QuickPickCard::giveFocusBack()
{
    if (restoreFocus)
        restoreFocus();
    else if (parentWidget())
        parentWidget()->setFocus(Qt::OtherFocusReason);
}

void QuickPickCard::closeEvent(QCloseEvent *event)
{
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
    event->accept();
    if (auto dismissed = std::exchange(onDismiss, {}))
        dismissed();
}

void QuickPickCard::choose(int row)
{
    if (row < 0 || row >= shown.size())
        return;
    // The card is closing; work from copies.
    const IndexedFile file = files.at(shown.at(row));
    const auto chosen = onChoose;
    dismiss(true);
    if (chosen)
        chosen(file);
}

void QuickPickCard::cancel()
{
    const auto cancelled = onCancel;
    dismiss(true);
    if (cancelled)
        cancelled();
}

bool QuickPickCard::answer(const QKeyEvent *event)
{
    if (!isCardKey(event))
        return false;
    const int current = list->currentIndex().row();
    switch (event->key()) {
    case Qt::Key_Up:
        select(current - 1);
        break;
    case Qt::Key_Down:
        select(current + 1);
        break;
    case Qt::Key_Escape:
        cancel();
        break;
    default:
        choose(current);
        break;
    }
    return true;
}

void QuickPickCard::keyPressEvent(QKeyEvent *event)
{
    if (!answer(event))
        QWidget::keyPressEvent(event);
}

bool QuickPickCard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == queryField) {
        auto *key = static_cast<QKeyEvent *>(event);
        // The card's keys win over the window's shortcuts and over the field's own use of them.
        if (event->type() == QEvent::ShortcutOverride && isCardKey(key)) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress)
            return answer(key);
    } else if (watched == parentWidget() && event->type() == QEvent::Resize) {
        place();
    }
    return QWidget::eventFilter(watched, event);
}

void QuickPickCard::paintEvent(QPaintEvent *)
{
    Theme::paintCardPanel(this, cornerRadius);
}
