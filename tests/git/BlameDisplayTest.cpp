#include "git/BlameDisplay.h"

#include <gtest/gtest.h>

namespace
{

const QDateTime now(QDate(2024, 3, 10), QTime(12, 0), Qt::UTC);

BlameInfo committed(const QString &author, const QString &email = QStringLiteral("ada@example.com"))
{
    return { QStringLiteral("0123456789abcdef0123456789abcdef01234567"), author, email,
        now.addSecs(-3 * 3'600), QStringLiteral("Fix the parser") };
}

BlameInfo uncommitted()
{
    return { QString(40, u'0'), QStringLiteral("Not Committed Yet"), QString(), now,
        QStringLiteral("Version of file.txt from file.txt") };
}

const QLocale english(QLocale::English, QLocale::UnitedStates);

}

TEST(BlameDisplayTexts, ShortensOnlyNamesOfNineOrMoreCharacters)
{
    EXPECT_EQ(blameStatusText(committed("Ada Love"), now), "3h Ada Love");
    EXPECT_EQ(blameStatusText(committed("Ada Lovel"), now), u"3h Ada Lov\u2026");
    EXPECT_EQ(
        blameAnnotationText(committed("Ada Lovelace"), now), u"3h Ada Lov\u2026 Fix the parser");
}

TEST(BlameDisplayTexts, HoverTitleAndBody)
{
    EXPECT_EQ(blameHoverTitle(committed("Ada Lovelace"), now), "3h  Ada Lovelace  ada@example.com");
    EXPECT_EQ(blameHoverTitle(committed("Ada Lovelace", ""), now), "3h  Ada Lovelace");
    EXPECT_EQ(blameHoverBody(committed("Ada")), "Fix the parser");
    EXPECT_EQ(blameHoverBody(committed("Ada"), " \n\n"), "Fix the parser");
    EXPECT_EQ(blameHoverBody(committed("Ada"), "Fix the parser\n\nIt lost a byte.\n"),
        "Fix the parser\n\nIt lost a byte.");
}

TEST(BlameDisplayTexts, DetailsCardOfACommit)
{
    BlameInfo info = committed("Ada Lovelace");
    info.date = QDateTime(QDate(2024, 1, 5), QTime(15, 4));
    EXPECT_EQ(blameDetailsTitle(info), "Fix the parser");
    EXPECT_EQ(blameDetailsDetail(info, english),
        u"0123456789  \u00B7  Ada Lovelace <ada@example.com>  \u00B7  Jan 5, 2024, 3:04 PM");
    info.email.clear();
    EXPECT_TRUE(blameDetailsDetail(info, english)
                    .startsWith(u"0123456789  \u00B7  Ada Lovelace  \u00B7  Jan 5, 2024"));
    EXPECT_EQ(blameDetailsButtons(info), QStringList({ "Close", "Copy Hash" }));
}

TEST(BlameDisplayTexts, UncommittedLinesSayNotCommitted)
{
    EXPECT_EQ(blameStatusText(uncommitted(), now), "Uncommitted");
    EXPECT_EQ(blameHoverTitle(uncommitted(), now), "Not committed yet");
    EXPECT_EQ(
        blameHoverBody(uncommitted(), "message"), "This line has changes that aren't in a commit.");
    EXPECT_EQ(blameDetailsTitle(uncommitted()), "Not committed yet");
    EXPECT_EQ(blameDetailsDetail(uncommitted()), "This line has changes that aren't in a commit.");
    EXPECT_EQ(blameDetailsButtons(uncommitted()), QStringList({ "Close" }));
}

// Below the anchor when the card fits, above it when not, and 8 points inside the visible
// rectangle (40, 30, 800, 600: right edge 840, bottom 630).
TEST(BlameDisplayPlacement, Table)
{
    const struct {
        const char *what;
        QRect anchor;
        QPoint expected;
    } placements[] = {
        { "fits below", { 100, 200, 200, 16 }, { 100, 220 } },
        { "just fits below", { 100, 506, 200, 16 }, { 100, 526 } },
        { "one point short flips above", { 100, 507, 200, 16 }, { 100, 403 } },
        { "near the bottom flips above", { 100, 600, 200, 16 }, { 100, 496 } },
        { "kept 8 inside the right edge", { 700, 200, 200, 16 }, { 532, 220 } },
        { "kept 8 inside the left edge", { 10, 200, 200, 16 }, { 48, 220 } },
    };
    for (const auto &p : placements)
        EXPECT_EQ(blameCardPosition(p.anchor, QSize(300, 100), QRect(40, 30, 800, 600)), p.expected)
            << p.what;
}
