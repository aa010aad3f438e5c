#include "editor/SyntaxColors.h"

#include <QSet>
#include <gtest/gtest.h>

// A slip in the colour table would make two kinds, or both appearances, look alike.
TEST(SyntaxColor, KindsAreDistinctAndAppearancesDiffer)
{
    const TokenKind kinds[] = { TokenKind::comment, TokenKind::string, TokenKind::number,
        TokenKind::keyword, TokenKind::type, TokenKind::function, TokenKind::attribute };
    for (Appearance appearance : { Appearance::light, Appearance::dark }) {
        QSet<QRgb> seen;
        for (TokenKind kind : kinds)
            seen.insert(syntaxColor(kind, appearance).rgb());
        EXPECT_EQ(seen.size(), int(std::size(kinds)));
    }
    for (TokenKind kind : kinds)
        EXPECT_NE(syntaxColor(kind, Appearance::light), syntaxColor(kind, Appearance::dark));
}

TEST(SyntaxColor, AppearanceFollowsWindowLightness)
{
    QPalette dark, light;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    EXPECT_EQ(appearanceOf(dark), Appearance::dark);
    EXPECT_EQ(appearanceOf(light), Appearance::light);
    EXPECT_EQ(
        syntaxColor(TokenKind::string, dark), syntaxColor(TokenKind::string, Appearance::dark));
}
