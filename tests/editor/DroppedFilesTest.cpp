#include "editor/DroppedFiles.h"

#include "TestSupport.h"

#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace
{

std::unique_ptr<QMimeData> textDrag(const QString &text)
{
    auto mime = std::make_unique<QMimeData>();
    mime->setText(text);
    return mime;
}

}

TEST(DroppedFiles, FileUrlsAreTakenAsTheyCome)
{
    QTemporaryDir dir;
    const QString a = testsupport::writeFile(dir, "a.txt", "a");
    const QString b = testsupport::writeFile(dir, "b.txt", "b");
    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(a), QUrl::fromLocalFile(b) });
    mime.setText(a + "\n" + b);
    EXPECT_EQ(droppedFiles(&mime), QList<QUrl>({ QUrl::fromLocalFile(a), QUrl::fromLocalFile(b) }));

    // A web link is not a file; its text is inserted.
    QMimeData link;
    link.setUrls({ QUrl("https://example.org/a.txt") });
    link.setText("https://example.org/a.txt");
    EXPECT_TRUE(droppedFiles(&link).isEmpty());
}

TEST(DroppedFiles, OneExistingPathInATextIsAFile)
{
    QTemporaryDir dir;
    const QString file = testsupport::writeFile(dir, "notes.txt", "x");
    EXPECT_EQ(droppedFiles(textDrag("  " + file + "\n").get()),
        QList<QUrl>({ QUrl::fromLocalFile(file) }));
    EXPECT_EQ(
        droppedFiles(textDrag(dir.path()).get()), QList<QUrl>({ QUrl::fromLocalFile(dir.path()) }));
    EXPECT_EQ(
        droppedFiles(textDrag("~").get()), QList<QUrl>({ QUrl::fromLocalFile(QDir::homePath()) }));
}

TEST(DroppedFiles, AnyOtherTextIsText)
{
    QTemporaryDir dir;
    const QString a = testsupport::writeFile(dir, "a.txt", "a");
    const QString b = testsupport::writeFile(dir, "b.txt", "b");
    EXPECT_TRUE(droppedFiles(textDrag(a + "\n" + b).get()).isEmpty());
    EXPECT_TRUE(droppedFiles(textDrag(dir.filePath("missing.txt")).get()).isEmpty());
    EXPECT_TRUE(droppedFiles(textDrag("a.txt").get()).isEmpty());
    EXPECT_TRUE(droppedFiles(textDrag("~nobody-here/x").get()).isEmpty());
    EXPECT_TRUE(droppedFiles(textDrag("int main() {}").get()).isEmpty());
    EXPECT_TRUE(droppedFiles(textDrag("").get()).isEmpty());
    EXPECT_TRUE(droppedFiles(nullptr).isEmpty());
}
