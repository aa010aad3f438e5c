#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QString>

class QWidget;

// Semantic colours taken from the palette, and the editor's own tinted symbol icons.
namespace Theme
{

QColor label(const QPalette &palette);
QColor secondaryLabel(const QPalette &palette); // label at about 55 %
QColor tertiaryLabel(const QPalette &palette); // label at about 30 %
QColor separator(const QPalette &palette);
QColor accent(const QPalette &palette);
QColor windowBackground(const QPalette &palette);
QColor textBackground(const QPalette &palette);
bool isDark(const QPalette &palette);
// Status tints: trouble, going on, all well. Lighter on a dark palette.
QColor red(const QPalette &palette);
QColor orange(const QPalette &palette);
QColor green(const QPalette &palette);

// The base font at another size in points, and weight.
QFont pointFont(const QFont &base, qreal points, QFont::Weight weight = QFont::Normal);

// The rounded, bordered panel behind every floating card. Opaque: without a blur behind it, any
// see-through would let the code under a card show between the letters of its text.
void paintCardPanel(QWidget *card, qreal cornerRadius, qreal border = 1);

// A symbol ("folder", "doc.text", "server.rack", ...) drawn in one colour at the given size.
QPixmap symbol(const QString &name, const QColor &tint, int pointSize, qreal devicePixelRatio = 1);
QIcon symbolIcon(const QString &name, const QColor &tint, int pointSize);
bool hasSymbol(const QString &name);

}
