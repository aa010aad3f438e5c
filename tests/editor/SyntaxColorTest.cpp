#include "editor/SyntaxColors.h"

#include <QSet>
#include <gtest/gtest.h>

namespace
{

const TokenKind allKinds[] = { TokenKind::comment, TokenKind::string, TokenKind::number,
    TokenKind::keyword, TokenKind::type, TokenKind::function, TokenKind::attribute };

QPalette paletteWithWindow(const QColor &window)
{
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    return palette;
}

}

TEST(SyntaxColor, AppearancesDifferAndKindsAreDistinct)
{
    for (Appearance appearance : { Appearance::light, Appearance::dark }) {
        QSet<QRgb> seen;
        for (TokenKind kind : allKinds) {
            const QColor color = syntaxColor(kind, appearance);
            EXPECT_EQ(color.alpha(), 255);
            seen.insert(color.rgb());
        }
        EXPECT_EQ(seen.size(), int(std::size(allKinds)));
    }
    for (TokenKind kind : allKinds)
        EXPECT_NE(syntaxColor(kind, Appearance::light), syntaxColor(kind, Appearance::dark));
}

TEST(SyntaxColor, ValuesFollowTheTable)
{
    EXPECT_EQ(
        syntaxColor(TokenKind::comment, Appearance::dark), QColor::fromRgbF(0.50f, 0.55f, 0.60f));
    EXPECT_EQ(
        syntaxColor(TokenKind::number, Appearance::light), QColor::fromRgbF(0.11f, 0.00f, 0.81f));
    EXPECT_EQ(syntaxColor(TokenKind::attribute, Appearance::light),
        QColor::fromRgbF(0.55f, 0.30f, 0.00f));
}

TEST(SyntaxColor, AppearanceFollowsWindowLightness)
{
    const QPalette dark = paletteWithWindow(QColor(30, 30, 30));
    const QPalette light = paletteWithWindow(QColor(240, 240, 240));
    EXPECT_EQ(appearanceOf(dark), Appearance::dark);
    EXPECT_EQ(appearanceOf(light), Appearance::light);
    EXPECT_EQ(
        syntaxColor(TokenKind::string, dark), syntaxColor(TokenKind::string, Appearance::dark));
    EXPECT_EQ(
        syntaxColor(TokenKind::string, light), syntaxColor(TokenKind::string, Appearance::light));
}
