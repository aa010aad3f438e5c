#pragma once

#include <QFont>

class QWidget;

// Fonts and text colours of the commit view's parts. A tinted widget keeps its tint, so the
// colours follow the palette when the appearance changes.
namespace CommitStyle
{

enum class Tint { label, secondary, tertiary, green, red };

QFont font(const QFont &base, qreal points, QFont::Weight weight = QFont::Normal);
// The monospaced system font at the editor's font size, 11 points at the least.
QFont diffFont();

// Colours the widget's text (window text and text roles) with the tint of the app's palette.
void setTint(QWidget *widget, Tint tint);
// Colours every tinted widget below the root again, after the palette changed.
void refreshTints(QWidget *root);

}
