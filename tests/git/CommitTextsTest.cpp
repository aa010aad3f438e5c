#include "git/CommitTexts.h"
#include "git/DiffFill.h"
#include "git/MessageLinks.h"

#include "TestRepo.h"

#include <gtest/gtest.h>

namespace
{

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);

}

TEST(CommitTexts, TheBodyIsTheMessageWithoutItsSubject)
{
    const struct {
        const char *message;
        const char *subject;
        const char *body;
    } cases[] = {
        { "Fix the parser", "Fix the parser", "" },
        { "Fix the parser\n\nIt dropped a byte.\n", "Fix the parser", "It dropped a byte." },
        { "Fix the parser\n\n  indented\nlines\n\n", "Fix the parser", "indented\nlines" },
        // A subject that git cut or changed does not start the message: all of it stays.
        { "Other words\n\nbody", "Fix the parser", "Other words\n\nbody" },
        { "", "Fix the parser", "" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(CommitTexts::messageBody(c.message, c.subject), c.body) << c.message;
}

TEST(CommitTexts, MetaLineHasShortHashAuthorEmailAndMediumDate)
{
    const QDateTime local(QDate(2023, 11, 14), QTime(22, 13));
    Commit commit { "0123456789abcdef0123456789abcdef01234567", "Ada Lovelace", "ada@example.com",
        local, "Subject" };
    EXPECT_EQ(CommitTexts::metaLine(commit, english),
        "0123456  ·  Ada Lovelace <ada@example.com>  ·  Nov 14, 2023, 10:13 PM");
    commit.email.clear();
    EXPECT_EQ(CommitTexts::metaLine(commit, english),
        "0123456  ·  Ada Lovelace  ·  Nov 14, 2023, 10:13 PM");
    EXPECT_EQ(CommitTexts::mediumDateTime(local, german), "14. Nov. 2023, 22:13");
    // A date given in another zone is shown in local time.
    EXPECT_EQ(CommitTexts::mediumDateTime(local.toUTC(), english), "Nov 14, 2023, 10:13 PM");
}

TEST(CommitTexts, SummaryCountsAndSums)
{
    EXPECT_EQ(CommitTexts::filesChanged(0, english), "0 files changed  ");
    EXPECT_EQ(CommitTexts::filesChanged(1, english), "1 file changed  ");
    EXPECT_EQ(CommitTexts::filesChanged(1200, english), "1,200 files changed  ");
    EXPECT_EQ(CommitTexts::addedText(1234, english), "+1,234");
    EXPECT_EQ(CommitTexts::removedText(7, english), "\u22127");

    // Files without counts (binary content) add nothing.
    const QList<ChangedFile> files { { "a.c", {}, 3, 1 }, { "logo.png", {}, {}, {} },
        { "b.c", "old/b.c", 10, 0 } };
    EXPECT_EQ(CommitTexts::lineSums(files), (CommitTexts::LineSums { 13, 1 }));
    EXPECT_EQ(CommitTexts::lineSums({}), (CommitTexts::LineSums { 0, 0 }));
    EXPECT_FALSE(CommitTexts::hasCounts(files[1]));
    EXPECT_FALSE(CommitTexts::hasCounts({ "half.bin", {}, 2, {} }));
}

TEST(CommitTexts, HeaderShowsTheNameAndTheFolderOrTheOldPath)
{
    const struct {
        ChangedFile file;
        const char *name;
        const char *detail;
    } cases[] = {
        { { "src/git/a.c", {}, 1, 1 }, "a.c", "src/git" },
        { { "README", {}, 1, 0 }, "README", "" },
        { { "docs/notes.txt", "old/notes.txt", 0, 0 }, "notes.txt", "\u2190 old/notes.txt" },
        { { "top.txt", "top-before.txt", {}, {} }, "top.txt", "\u2190 top-before.txt" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CommitTexts::fileName(c.file.path), c.name);
        EXPECT_EQ(CommitTexts::fileDetail(c.file), c.detail) << c.file.path.toStdString();
    }
}

TEST(DiffFill, LinesJoinWithTheirStartsKindsAndNotes)
{
    using K = DiffLineKind;
    const FileDiff diff { { { K::header, "new file mode 100644" }, { K::hunk, "@@ -0,0 +1,2 @@" },
                              { K::added, "+a" }, { K::context, "" }, { K::removed, "-bc" } },
        0 };
    const DiffFill fill = diffFill(diff, english);
    EXPECT_EQ(fill.text, "new file mode 100644\n@@ -0,0 +1,2 @@\n+a\n\n-bc");
    EXPECT_EQ(fill.starts, QList<int>({ 0, 21, 37, 40, 41 }));
    EXPECT_EQ(fill.kinds, QList<K>({ K::header, K::hunk, K::added, K::context, K::removed }));

    const DiffFill cut = diffFill(FileDiff { { { K::hunk, "@@ -1 +1 @@" } }, 2500 }, english);
    EXPECT_EQ(cut.text, "@@ -1 +1 @@\n\u2026 2,500 more lines not shown");
    EXPECT_EQ(cut.kinds, QList<K>({ K::hunk, K::note }));
    EXPECT_EQ(cut.starts, QList<int>({ 0, 12 }));

    const DiffFill empty = diffFill(FileDiff {}, english);
    EXPECT_EQ(empty.text, "No line changes.");
    EXPECT_EQ(empty.kinds, QList<K>({ K::note }));
    const DiffFill failed = diffFill(std::nullopt, english);
    EXPECT_EQ(failed.text, "Couldn't read this change.");
    EXPECT_EQ(failed.starts, QList<int>({ 0 }));
    EXPECT_EQ(failed.kinds, QList<K>({ K::note }));
}

TEST(DiffFill, AnOffsetBelongsToTheLastLineStartingAtOrBeforeIt)
{
    using K = DiffLineKind;
    const QList<int> starts { 0, 21, 37, 40, 41 };
    const QList<K> kinds { K::header, K::hunk, K::added, K::context, K::removed };
    const struct {
        int offset;
        std::optional<K> kind;
    } cases[] = {
        { -1, std::nullopt },
        { 0, K::header },
        { 20, K::header }, // the line feed ending the first line
        { 21, K::hunk },
        { 39, K::added },
        { 40, K::context }, // an empty line
        { 41, K::removed },
        { 500, K::removed },
    };
    for (const auto &c : cases)
        EXPECT_EQ(lineKindAt(starts, kinds, c.offset), c.kind) << c.offset;
    EXPECT_EQ(lineKindAt({}, {}, 0), std::nullopt);
}

TEST(MessageLinks, AddressesAreFoundWithoutTheirSentencePunctuation)
{
    const struct {
        const char *text;
        QList<MessageLink> links;
    } cases[] = {
        { "See https://example.com/issues/42.", { { 4, 29, "https://example.com/issues/42" } } },
        { "(docs at www.example.org/a_(b)), done", { { 9, 21, "http://www.example.org/a_(b)" } } },
        { "Reported-by: Ada <ada@example.com>", { { 18, 15, "mailto:ada@example.com" } } },
        { "ftp://files.example.net/x and http://a.b/?q=1&r=2!",
            { { 0, 25, "ftp://files.example.net/x" }, { 30, 19, "http://a.b/?q=1&r=2" } } },
        { "no links: file.txt, https:// or www.", {} },
    };
    for (const auto &c : cases)
        EXPECT_EQ(messageLinks(c.text), c.links) << c.text;
}

TEST(MessageLinks, RichTextEscapesTheMessageAndKeepsItsLines)
{
    EXPECT_EQ(linkedMessageHtml("a < b & c\nhttps://x.example/?a=1&b=2"),
        "<div style=\"white-space:pre-wrap\">a &lt; b &amp; c\n"
        "<a href=\"https://x.example/?a=1&amp;b=2\">https://x.example/?a=1&amp;b=2</a></div>");
}
