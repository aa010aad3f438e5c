#include "LineCounts.h"

#include "CommitStyle.h"
#include "CommitTexts.h"

#include <QHBoxLayout>
#include <QLabel>

namespace
{

QLabel *countLabel(const char *name, const QString &text, const QFont &font, CommitStyle::Tint tint,
    QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    CommitStyle::setTint(label, tint);
    return label;
}

}

LineCounts::LineCounts(int added, int removed, qreal points, QWidget *parent)
    : QWidget(parent)
{
    const QFont font = CommitStyle::font(this->font(), points, QFont::Medium);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(QFontMetrics(font).horizontalAdvance(QStringLiteral("  ")));
    row->addWidget(
        countLabel("added", CommitTexts::addedText(added), font, CommitStyle::Tint::green, this));
    row->addWidget(countLabel(
        "removed", CommitTexts::removedText(removed), font, CommitStyle::Tint::red, this));
}
