#include "FileHoverCard.h"

#include "CardBandView.h"
#include "common/Theme.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QVBoxLayout>

namespace
{

constexpr qreal cornerRadius = 8;
constexpr int border = 1;
// Text sits 10 points in from the card's edges, inside the 1-point border.
constexpr int sideInset = 10;
constexpr int textWidth = FileHoverCard::cardWidth - 2 * sideInset;
constexpr int headerTop = 8;
constexpr int headerBottom = 8;
constexpr int bandInset = 6;
constexpr int rowSpacing = 2;
constexpr int pathLineLimit = 4;
constexpr QChar zeroWidthSpace(0x200B);

void showRow(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setHidden(text.isEmpty());
}

}

QString withBreaksAtSlashes(const QString &path)
{
    QString text;
    text.reserve(path.size() + path.count(u'/'));
    for (QChar c : path) {
        text.append(c);
        if (c == u'/')
            text.append(zeroWidthSpace);
    }
    return text;
}

QStringList pathLines(const QString &path, const QFont &font, int width, int maxLines)
{
    const QString text = withBreaksAtSlashes(path);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    while (lines.size() < maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        // The last line allowed takes all that is left, cut to fit.
        if (lines.size() == maxLines - 1)
            lines << QFontMetrics(font).elidedText(
                text.mid(line.textStart()), Qt::ElideRight, width);
        else
            lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

FileHoverCard::FileHoverCard(const FileCardInfo &info, QWidget *parent)
    : QWidget(parent)
    , name(makeLabel("name", 12, true))
    , path(makeLabel("path", 11, false))
    , lines(makeLabel("lines", 11, false))
    , characters(makeLabel("characters", 11, false))
    , commit(makeLabel("commit", 11, false))
    , band(new CardBandView(cornerRadius - border, this))
    , bandStack(new QVBoxLayout(band))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(border, 0, border, border);
    column->setSpacing(0);
    auto *header = new QVBoxLayout;
    header->setContentsMargins(sideInset - border, headerTop, sideInset - border, headerBottom);
    header->setSpacing(rowSpacing);
    header->addWidget(name);
    header->addWidget(path);
    column->addLayout(header);
    bandStack->setContentsMargins(sideInset - border, bandInset, sideInset - border, bandInset);
    bandStack->setSpacing(rowSpacing);
    bandStack->addWidget(lines);
    bandStack->addWidget(characters);
    bandStack->addWidget(commit);
    column->addWidget(band);
    applyColours();
    setInfo(info);
}

QLabel *FileHoverCard::makeLabel(const char *objectName, qreal points, bool bold)
{
    auto *label = new QLabel(this);
    label->setObjectName(QLatin1String(objectName));
    label->setTextFormat(Qt::PlainText);
    QFont labelFont = font();
    labelFont.setPointSizeF(points);
    labelFont.setBold(bold);
    label->setFont(labelFont);
    return label;
}

void FileHoverCard::setInfo(const FileCardInfo &info)
{
    shown = info;
    fill();
}

void FileHoverCard::setCommit(const QString &text)
{
    shown.commit = text;
    fill();
}

void FileHoverCard::fill()
{
    showRow(name, QFontMetrics(name->font()).elidedText(shown.name, Qt::ElideMiddle, textWidth));
    showRow(path, pathLines(shown.path, path->font(), textWidth, pathLineLimit).join(u'\n'));
    showRow(lines, shown.lines);
    showRow(characters, shown.characters);
    showRow(
        commit, QFontMetrics(commit->font()).elidedText(shown.commit, Qt::ElideRight, textWidth));
    band->setHidden(lines->isHidden() && characters->isHidden() && commit->isHidden());
    // Off screen the band's size is cached until told otherwise, and the card is sized before
    // it is shown.
    band->updateGeometry();
    layout()->activate();
    resize(cardWidth, layout()->totalSizeHint().height());
}

void FileHoverCard::applyColours()
{
    const QColor secondary = Theme::secondaryLabel(palette());
    for (QLabel *label : { path, lines, characters, commit }) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, secondary);
        label->setPalette(colours);
    }
}

void FileHoverCard::paintEvent(QPaintEvent *)
{
    Theme::paintCardPanel(this, cornerRadius, border);
}

void FileHoverCard::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        applyColours();
    QWidget::changeEvent(event);
}
