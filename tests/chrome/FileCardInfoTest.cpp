#include "chrome/FileCardInfo.h"
#include "chrome/FileHoverCard.h"

#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace
{

const QLocale american(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
constexpr QChar zeroWidthSpace(0x200B);

}

TEST(FileCardInfo, OneOfEachIsSingularAndDirtyDocumentsSaySo)
{
    const FileCardInfo info = fileCardInfo("a.txt", "/tmp/a.txt", u"x", false, american);
    EXPECT_EQ(info.lines, "1 line");
    EXPECT_EQ(info.characters, "1 character");
    EXPECT_EQ(info.commit, "");
    const FileCardInfo empty = fileCardInfo("b", "/b", u"", false, american);
    EXPECT_EQ(empty.lines, "1 line");
    EXPECT_EQ(empty.characters, "0 characters");
    const FileCardInfo two = fileCardInfo("c", "/c", u"a\n", true, american);
    EXPECT_EQ(two.lines, "2 lines");
    EXPECT_EQ(two.characters, "2 characters");
    EXPECT_EQ(two.commit, "Unsaved changes");
}

TEST(FileCardInfo, CountsUseTheLocaleGrouping)
{
    const QString text = QString(1'234'566, u'\n');
    EXPECT_EQ(fileCardInfo("f", "/f", text, false, american).lines, "1,234,567 lines");
    EXPECT_EQ(fileCardInfo("f", "/f", text, false, german).lines, "1.234.567 lines");
    EXPECT_EQ(fileCardInfo("f", "/f", text, false, german).characters, "1.234.566 characters");
    // The C locale writes plain digits.
    EXPECT_EQ(fileCardInfo("f", "/f", text, false, QLocale::c()).characters, "1234566 characters");
}

TEST(FileCardInfo, VeryLongTextsGetNoLineCount)
{
    const QString limit(lineCountLimit, u'\n');
    EXPECT_EQ(fileCardInfo("f", "/f", limit, false, american).lines, "3,000,001 lines");
    const QString past(lineCountLimit + 1, u'a');
    EXPECT_EQ(fileCardInfo("f", "/f", past, false, american).lines, "");
}

TEST(FileCardPath, BreaksGoAfterEverySlash)
{
    EXPECT_EQ(withBreaksAtSlashes(""), "");
    EXPECT_EQ(withBreaksAtSlashes("name"), "name");
    EXPECT_EQ(withBreaksAtSlashes("/a//b/"), QString("/%1a/%1/%1b/%1").arg(zeroWidthSpace));
    EXPECT_EQ(withBreaksAtSlashes("web:~/x"), QString("web:~/%1x").arg(zeroWidthSpace));
}

TEST(FileCardPath, LongPathsWrapAtSlashesUpToFourLines)
{
    QFont font = QApplication::font();
    font.setPointSizeF(11);
    const QFontMetrics metrics(font);
    const int width = 260;

    EXPECT_EQ(
        pathLines("/tmp/a.txt", font, width, 4), QStringList { withBreaksAtSlashes("/tmp/a.txt") });

    const QString path = "/home/someone/projects/quite_long_folder_name/another_folder/src/"
                         "module/file.cpp";
    const QStringList lines = pathLines(path, font, width, 4);
    ASSERT_GE(lines.size(), 2);
    ASSERT_LE(lines.size(), 4);
    EXPECT_EQ(lines.join(""), withBreaksAtSlashes(path));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_LE(metrics.horizontalAdvance(lines[i]), width) << i;
        if (i + 1 < lines.size()) {
            EXPECT_TRUE(lines[i].endsWith(QString("/%1").arg(zeroWidthSpace)))
                << lines[i].toStdString();
        }
    }

    const QString deep = QString("/folder-%1").repeated(40).arg("x") + "/end.txt";
    const QStringList cut = pathLines(deep, font, width, 4);
    ASSERT_EQ(cut.size(), 4);
    EXPECT_TRUE(cut.last().endsWith(QChar(0x2026))) << cut.last().toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut.last()), width);
}

TEST(FileCardPath, ANameWithoutSlashesBreaksAnywhere)
{
    QFont font = QApplication::font();
    font.setPointSizeF(11);
    const QString name = QString("x").repeated(200);
    const QStringList lines = pathLines(name, font, 260, 4);
    ASSERT_GE(lines.size(), 2);
    for (const QString &line : lines)
        EXPECT_LE(QFontMetrics(font).horizontalAdvance(line), 260);
}
