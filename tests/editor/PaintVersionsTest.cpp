#include "editor/PaintVersions.h"
#include "editor/Language.h"
#include "editor/SpanCache.h"

#include <QObject>
#include <gtest/gtest.h>

TEST(PaintVersions, ReasonsChooseRescanAndDelay)
{
    struct Row {
        PaintReason reason;
        bool rescan;
        int delayMs;
    };
    const Row rows[] = {
        { PaintReason::shown, true, 10 },
        { PaintReason::edited, true, 80 },
        { PaintReason::scrolled, false, 50 },
        { PaintReason::restyled, false, 10 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(int(row.reason));
        EXPECT_EQ(PaintVersions::rescans(row.reason), row.rescan);
        EXPECT_EQ(PaintVersions::delayMs(row.reason), row.delayMs);
    }
}

TEST(PaintVersions, OnlyTheNewestScanIsAccepted)
{
    PaintVersions versions;
    EXPECT_EQ(versions.paintVersion, 0);
    EXPECT_TRUE(versions.needsRescan);
    EXPECT_EQ(versions.scanningVersion, -1);

    versions.request(true);
    const qint64 first = versions.startScan();
    EXPECT_EQ(first, 1);
    EXPECT_TRUE(versions.isScanning());
    EXPECT_FALSE(versions.needsRescan);

    // An edit while the first scan runs: a second scan starts for the new version.
    versions.request(true);
    EXPECT_FALSE(versions.isScanning());
    EXPECT_TRUE(versions.needsRescan);
    const qint64 second = versions.startScan();
    EXPECT_EQ(second, 2);

    EXPECT_FALSE(versions.finishScan(first, true));
    EXPECT_EQ(versions.scanningVersion, second) << "a dropped result leaves the newer scan awaited";
    EXPECT_FALSE(versions.finishScan(second, false)) << "made for a view no longer on show";
    EXPECT_TRUE(versions.finishScan(second, true));
    EXPECT_EQ(versions.scanningVersion, -1);
    EXPECT_TRUE(versions.isCurrent(second));

    // Scrolling asks for no rescan: the accepted spans stay current.
    versions.request(false);
    EXPECT_TRUE(versions.isCurrent(second));
    versions.request(true);
    EXPECT_FALSE(versions.isCurrent(second));
    EXPECT_EQ(versions.reuse(), 3);
    EXPECT_TRUE(versions.isCurrent(3));
}

TEST(PaintVersions, SpanCacheReusesOnlyWhatStillFits)
{
    const Language *cpp = languageNamed(u"C/C++");
    const Language *python = languageNamed(u"Python");
    ASSERT_TRUE(cpp && python);
    QObject shown, other;
    PaintVersions versions;
    SpanCache cache;
    auto spans = std::make_shared<const std::vector<Span>>(
        std::vector<Span> { { { 0, 3 }, TokenKind::keyword } });
    versions.request(true);
    cache.store(&shown, { versions.startScan(), spans, cpp, 7 });
    ASSERT_TRUE(versions.finishScan(1, true));

    EXPECT_TRUE(cache.reusable(&shown, versions, cpp, 7));
    EXPECT_FALSE(cache.reusable(&other, versions, cpp, 7));

    // Shown again: a rescan is asked for, but the same text in the same language needs none.
    versions.request(true);
    EXPECT_TRUE(cache.reusable(&shown, versions, cpp, 7));
    EXPECT_FALSE(cache.reusable(&shown, versions, cpp, 8)) << "the text changed";
    EXPECT_FALSE(cache.reusable(&shown, versions, python, 7)) << "renamed to another language";

    EXPECT_TRUE(cache.restamp(&shown, versions.reuse()));
    EXPECT_EQ(cache.find(&shown)->version, 2);
    EXPECT_EQ(cache.find(&shown)->spans, spans);
    EXPECT_FALSE(cache.restamp(&other, 2));

    cache.store(&other, { 2, spans, python, 9 });
    EXPECT_EQ(cache.size(), 2);
    cache.drop(&shown);
    EXPECT_FALSE(cache.contains(&shown));
    EXPECT_TRUE(cache.contains(&other));
}
