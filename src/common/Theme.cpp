#include "Theme.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>

static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace Theme
{

namespace
{

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(alpha);
    return color;
}

QString symbolPath(const QString &name)
{
    static const bool loaded = (initIconResources(), true);
    Q_UNUSED(loaded);
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

}

QColor label(const QPalette &palette)
{
    return palette.color(QPalette::WindowText);
}
QColor secondaryLabel(const QPalette &palette)
{
    return withAlpha(label(palette), 0.55);
}
QColor tertiaryLabel(const QPalette &palette)
{
    return withAlpha(label(palette), 0.30);
}
QColor separator(const QPalette &palette)
{
    return palette.color(QPalette::Mid);
}
QColor accent(const QPalette &palette)
{
    return palette.color(QPalette::Highlight);
}
QColor windowBackground(const QPalette &palette)
{
    return palette.color(QPalette::Window);
}
QColor textBackground(const QPalette &palette)
{
    return palette.color(QPalette::Base);
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

void paintCardPanel(QWidget *card, qreal cornerRadius, qreal border)
{
    QPainter painter(card);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor background = windowBackground(card->palette());
    background.setAlpha(255);
    painter.setPen(QPen(separator(card->palette()), border));
    painter.setBrush(background);
    painter.drawRoundedRect(
        QRectF(card->rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

bool hasSymbol(const QString &name)
{
    return QFile::exists(symbolPath(name));
}

QFont pointFont(const QFont &base, qreal points, QFont::Weight weight)
{
    QFont font = base;
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

QPixmap symbol(const QString &name, const QColor &tint, int pointSize, qreal devicePixelRatio)
{
    const int side = qMax(1, qRound(pointSize * devicePixelRatio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(symbolPath(name));
    if (!renderer.isValid())
        return pixmap;
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    // The drawings are black; keep their shape, take the tint.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), tint);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon symbolIcon(const QString &name, const QColor &tint, int pointSize)
{
    QIcon icon;
    icon.addPixmap(symbol(name, tint, pointSize, 1));
    icon.addPixmap(symbol(name, tint, pointSize, 2));
    return icon;
}

}

QColor Theme::red(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 105, 97) : QColor(215, 0, 21);
}

QColor Theme::orange(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 179, 64) : QColor(201, 52, 0);
}

QColor Theme::green(const QPalette &palette)
{
    return isDark(palette) ? QColor(49, 222, 75) : QColor(36, 138, 61);
}
