#include "BranchHeaderLabel.h"

#include "common/Theme.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

namespace
{

constexpr char16_t forkSign = u'\u2442';
constexpr int symbolGap = 4;

// Whether the font, or one Qt falls back to, has a glyph for the character.
bool showsCharacter(const QFont &font, QChar character)
{
    QTextLayout layout(QString(character), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    for (const QGlyphRun &run : runs)
        for (quint32 glyph : run.glyphIndexes())
            if (glyph == 0)
                return false;
    return !runs.isEmpty();
}

}

BranchHeaderLabel::BranchHeaderLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void BranchHeaderLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor colour = palette().color(foregroundRole());
    QRect area = contentsRect();
    QString shown = text();
    if (shown.startsWith(QChar(forkSign)) && !showsCharacter(font(), QChar(forkSign))) {
        const int side = fontMetrics().ascent();
        const QPixmap sign = Theme::symbol(
            QStringLiteral("arrow.triangle.branch"), colour, side, devicePixelRatioF());
        painter.drawPixmap(area.left(), area.top() + (area.height() - side) / 2, sign);
        area.setLeft(area.left() + side + symbolGap);
        shown = shown.mid(1).trimmed();
    }
    painter.setPen(colour);
    painter.setFont(font());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
        fontMetrics().elidedText(shown, Qt::ElideRight, area.width()));
}
