#include "CommitStyle.h"

#include "common/Defaults.h"
#include "common/Theme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QWidget>

#include <algorithm>

namespace
{

constexpr auto tintProperty = "quillmarTint";

QColor colourOf(CommitStyle::Tint tint)
{
    using CommitStyle::Tint;
    const QPalette palette = QApplication::palette();
    switch (tint) {
    case Tint::label:
        return Theme::label(palette);
    case Tint::secondary:
        return Theme::secondaryLabel(palette);
    case Tint::tertiary:
        return Theme::tertiaryLabel(palette);
    case Tint::green:
        return Theme::green(palette);
    case Tint::red:
        return Theme::red(palette);
    }
    return Theme::label(palette);
}

void applyTint(QWidget *widget, CommitStyle::Tint tint)
{
    QPalette palette = widget->palette();
    const QColor colour = colourOf(tint);
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

}

namespace CommitStyle
{

QFont font(const QFont &base, qreal points, QFont::Weight weight)
{
    QFont sized = base;
    sized.setPointSizeF(points);
    sized.setWeight(weight);
    return sized;
}

QFont diffFont()
{
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(std::max(Defaults::fontSize(), 11.0));
    return mono;
}

void setTint(QWidget *widget, Tint tint)
{
    widget->setProperty(tintProperty, int(tint));
    applyTint(widget, tint);
}

void refreshTints(QWidget *root)
{
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        const QVariant tint = widget->property(tintProperty);
        if (tint.isValid())
            applyTint(widget, Tint(tint.toInt()));
    }
}

}
