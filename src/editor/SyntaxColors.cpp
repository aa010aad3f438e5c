#include "SyntaxColors.h"

#include "common/Theme.h"

#include <array>

namespace
{

constexpr int kindCount = int(TokenKind::attribute) + 1;

struct ColorPair {
    QColor dark;
    QColor light;
};

const std::array<ColorPair, kindCount> &colorTable()
{
    static const std::array<ColorPair, kindCount> table {
        ColorPair { QColor::fromRgbF(0.50f, 0.55f, 0.60f), QColor::fromRgbF(0.40f, 0.46f, 0.50f) },
        ColorPair { QColor::fromRgbF(0.99f, 0.42f, 0.36f), QColor::fromRgbF(0.77f, 0.10f, 0.09f) },
        ColorPair { QColor::fromRgbF(0.82f, 0.75f, 0.40f), QColor::fromRgbF(0.11f, 0.00f, 0.81f) },
        ColorPair { QColor::fromRgbF(0.99f, 0.37f, 0.60f), QColor::fromRgbF(0.61f, 0.14f, 0.58f) },
        ColorPair { QColor::fromRgbF(0.36f, 0.85f, 0.85f), QColor::fromRgbF(0.11f, 0.43f, 0.52f) },
        ColorPair { QColor::fromRgbF(0.40f, 0.72f, 1.00f), QColor::fromRgbF(0.19f, 0.37f, 0.60f) },
        ColorPair { QColor::fromRgbF(0.99f, 0.60f, 0.30f), QColor::fromRgbF(0.55f, 0.30f, 0.00f) },
    };
    return table;
}

}

Appearance appearanceOf(const QPalette &palette)
{
    return Theme::isDark(palette) ? Appearance::dark : Appearance::light;
}

QColor syntaxColor(TokenKind kind, Appearance appearance)
{
    const ColorPair &pair = colorTable()[size_t(kind)];
    return appearance == Appearance::dark ? pair.dark : pair.light;
}

QColor syntaxColor(TokenKind kind, const QPalette &palette)
{
    return syntaxColor(kind, appearanceOf(palette));
}
