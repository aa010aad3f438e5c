#include "editor/PaintVersions.h"
#include "editor/Language.h"
#include "editor/SpanCache.h"

#include <QObject>
#include <gtest/gtest.h>

TEST(PaintVersions, OnlyTheNewestScanIsAccepted)
{
    PaintVersions versions;
    versions.request(true);
    const qint64 first = versions.startScan();
    EXPECT_TRUE(versions.isScanning());

    // An edit while the first scan runs: a second scan starts for the new version.
    versions.request(true);
    EXPECT_FALSE(versions.isScanning());
    const qint64 second = versions.startScan();
    EXPECT_GT(second, first);

    EXPECT_FALSE(versions.finishScan(first, true));
    EXPECT_EQ(versions.scanningVersion, second) << "a dropped result leaves the newer scan awaited";
    EXPECT_FALSE(versions.finishScan(second, false)) << "made for a view no longer on show";
    EXPECT_TRUE(versions.finishScan(second, true));
    EXPECT_EQ(versions.scanningVersion, -1);

    // Scrolling asks for no rescan: the accepted spans stay current.
    versions.request(false);
    EXPECT_TRUE(versions.isCurrent(second));
    versions.request(true);
    EXPECT_FALSE(versions.isCurrent(second));
    EXPECT_TRUE(versions.isCurrent(versions.reuse()));
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
    EXPECT_EQ(cache.find(&shown)->version, versions.paintVersion);
    EXPECT_EQ(cache.find(&shown)->spans, spans);
    EXPECT_FALSE(cache.restamp(&other, versions.paintVersion));
}
