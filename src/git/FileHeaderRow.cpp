#include "FileHeaderRow.h"

#include "CommitStyle.h"
#include "CommitTexts.h"
#include "LineCounts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace
{

constexpr int sideInset = 10;
constexpr int spacing = 6;
constexpr qreal arrowPoints = 10;
constexpr qreal namePoints = 12;
constexpr qreal detailPoints = 11;

QString arrowText(bool expanded)
{
    return expanded ? QStringLiteral("▾") : QStringLiteral("▸");
}

// A one-line label that cuts its text in the middle when it has less room than it wants; text()
// stays whole.
class MiddleElidedLabel : public QLabel
{
public:
    MiddleElidedLabel(const QString &text, QWidget *parent)
        : QLabel(text, parent)
    {
        setTextFormat(Qt::PlainText);
    }

    QSize minimumSizeHint() const override
    {
        return { fontMetrics().horizontalAdvance(QStringLiteral("…")), sizeHint().height() };
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect room = contentsRect();
        painter.drawText(room, Qt::AlignVCenter | Qt::AlignLeft,
            fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width()));
    }
};

}

FileHeaderRow::FileHeaderRow(const ChangedFile &file, QWidget *parent)
    : QWidget(parent)
    , arrow(new QLabel(arrowText(false), this))
{
    setFixedHeight(rowHeight);
    setCursor(Qt::PointingHandCursor);
    arrow->setObjectName(QStringLiteral("arrow"));
    arrow->setFont(CommitStyle::font(font(), arrowPoints));
    CommitStyle::setTint(arrow, CommitStyle::Tint::secondary);

    auto *name = new MiddleElidedLabel(CommitTexts::fileName(file.path), this);
    name->setObjectName(QStringLiteral("name"));
    name->setFont(CommitStyle::font(font(), namePoints, QFont::DemiBold));
    name->setToolTip(file.path);

    auto *detail = new MiddleElidedLabel(CommitTexts::fileDetail(file), this);
    detail->setObjectName(QStringLiteral("detail"));
    detail->setFont(CommitStyle::font(font(), detailPoints));
    detail->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    CommitStyle::setTint(detail, CommitStyle::Tint::secondary);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(sideInset, 0, sideInset, 0);
    row->setSpacing(spacing);
    row->addWidget(arrow);
    row->addWidget(name);
    row->addWidget(detail, 1);
    row->addWidget(counts(file));
}

QWidget *FileHeaderRow::counts(const ChangedFile &file)
{
    if (CommitTexts::hasCounts(file))
        return new LineCounts(*file.added, *file.removed, detailPoints, this);
    auto *binary = new QLabel(QString::fromUtf8(CommitTexts::binary), this);
    binary->setObjectName(QStringLiteral("binary"));
    binary->setFont(CommitStyle::font(font(), detailPoints, QFont::Medium));
    CommitStyle::setTint(binary, CommitStyle::Tint::secondary);
    return binary;
}

void FileHeaderRow::setExpanded(bool expanded)
{
    arrow->setText(arrowText(expanded));
}

void FileHeaderRow::mousePressEvent(QMouseEvent *event)
{
    pressed = event->button() == Qt::LeftButton;
    event->accept();
}

// Like a button: the press and the release both on the row.
void FileHeaderRow::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    pressed = false;
    event->accept();
    if (click && onClick)
        onClick();
}
