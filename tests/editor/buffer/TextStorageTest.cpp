#include "editor/buffer/TextStorage.h"

#include <QRandomGenerator>
#include <QStringList>
#include <gtest/gtest.h>

namespace
{

using Kind = LineBreaks::Kind;

// Every reading call against the same text kept as one plain string.
void expectSameAs(const TextStorage &storage, const QString &model)
{
    ASSERT_EQ(storage.length(), model.size());
    ASSERT_EQ(storage.text(), model);
    const QStringList lines = model.split(u'\n');
    ASSERT_EQ(storage.lineCount(), lines.size());
    qsizetype start = 0;
    qsizetype longest = 0;
    for (qsizetype line = 0; line < lines.size(); ++line) {
        ASSERT_EQ(storage.lineStart(line), start) << "line " << line;
        ASSERT_EQ(storage.lineLength(line), lines[line].size()) << "line " << line;
        ASSERT_EQ(storage.lineAt(start), line);
        ASSERT_EQ(storage.lineAt(start + lines[line].size()), line);
        longest = std::max(longest, lines[line].size());
        start += lines[line].size() + 1;
    }
    EXPECT_EQ(storage.longestLineLength(), longest);
}

// Code-like lines, now and then a character outside Latin-1, long enough for many chunks.
QString sampleText(QRandomGenerator &random, qsizetype size)
{
    const QStringList words { "int", "value", "=", "(first,", "second);", "// note", "\u00e9t\u00e9", "\u4e2d" };
    QString text;
    while (text.size() < size) {
        const int count = random.bounded(0, 12);
        for (int w = 0; w < count; ++w)
            text += words[random.bounded(words.size() - (random.bounded(50) == 0 ? 0 : 1))] + u' ';
        text += u'\n';
    }
    return text;
}

// A position near the chunk edges of a text loaded whole, or anywhere.
qsizetype somePosition(QRandomGenerator &random, qsizetype length)
{
    if (random.bounded(3) == 0) {
        const qsizetype edge = 16384 * random.bounded(1, 8) + random.bounded(-2, 3);
        if (edge <= length)
            return edge;
    }
    return random.bounded(length + 1);
}

}

TEST(TextStorageTest, RandomEditsReadTheSameAsAPlainString)
{
    QRandomGenerator random(20261207);
    QString model = sampleText(random, 120000);
    TextStorage storage = TextStorage::fromFileText(model);
    expectSameAs(storage, model);
    for (int round = 0; round < 300; ++round) {
        const qsizetype position = somePosition(random, model.size());
        qsizetype removed = random.bounded(std::min<qsizetype>(model.size() - position, 40) + 1);
        if (random.bounded(20) == 0)
            removed = random.bounded(model.size() - position + 1); // across many chunks
        QString inserted;
        switch (random.bounded(4)) {
        case 0: inserted = QStringLiteral("x"); break;
        case 1: inserted = QStringLiteral("a\nb\n\n"); break;
        case 2: inserted = sampleText(random, random.bounded(70000)); break; // splits a chunk
        default: break;
        }
        const qsizetype linesBefore = storage.lineCount();
        const TextChange change = storage.replace(position, removed, inserted);
        EXPECT_EQ(change.firstLine, qsizetype(QStringView(model).first(position).count(u'\n')));
        EXPECT_EQ(change.linesRemoved, qsizetype(QStringView(model).sliced(position, removed).count(u'\n')));
        EXPECT_EQ(storage.lineCount(), linesBefore - change.linesRemoved + change.linesAdded);
        model.replace(position, removed, inserted);
        if (round % 25 == 0)
            expectSameAs(storage, model);
        else
            ASSERT_EQ(storage.text(), model) << "round " << round;
        const qsizetype probe = random.bounded(model.size() + 1);
        ASSERT_EQ(storage.at(probe), probe < model.size() ? model[probe] : QChar());
    }
    expectSameAs(storage, model);
}

TEST(TextStorageTest, EveryKindOfBreakIsOnePositionAndComesBackInTheFileForm)
{
    const QString file = QStringLiteral("a\r\nb\nc\rd\u2029e\r\n\r\nf\u2028g");
    const TextStorage storage = TextStorage::fromFileText(file);
    EXPECT_EQ(storage.text(), QStringLiteral("a\nb\nc\nd\ne\n\nf\u2028g"));
    EXPECT_EQ(storage.lineCount(), 7);
    EXPECT_EQ(storage.dominantBreak(), Kind::crlf);
    EXPECT_EQ(storage.breakAfter(2), Kind::cr);
    EXPECT_EQ(storage.breakAfter(3), Kind::paragraph);
    EXPECT_EQ(storage.fileText(), file);
}

TEST(TextStorageTest, PiecesSplittingCrLfOrEndingInCrReadAsTheWholeText)
{
    const QString file = QStringLiteral("one\r\ntwo\rthree\r\n\rfour\r");
    for (qsizetype size = 1; size <= 4; ++size) {
        TextStorage storage;
        for (qsizetype at = 0; at < file.size(); at += size)
            storage.append(QStringView(file).sliced(at, std::min(size, file.size() - at)));
        storage.finish();
        EXPECT_EQ(storage.fileText(), file) << "pieces of " << size;
        EXPECT_EQ(storage.lineCount(), 6) << "pieces of " << size;
        EXPECT_EQ(storage.breakAfter(4), Kind::cr);
    }
}

TEST(TextStorageTest, FileFormKeepsEachLineBreakThroughEditsElsewhere)
{
    const QString file = QStringLiteral("first\nsecond\r\nthird\rfourth\u2029fifth\n");
    const qsizetype size = 50000; // several chunks before the mixed lines
    const QString filler = QString(size, u'x') + u'\n';
    TextStorage storage = TextStorage::fromFileText(filler + file);

    storage.replace(10, 5, u"EDIT"); // far from the mixed lines, in another chunk
    QString expected = filler + file;
    expected.replace(10, 5, QStringLiteral("EDIT"));
    EXPECT_EQ(storage.fileText(), expected);

    // A new line in the middle of "second" takes the dominant break; "second" keeps its own.
    const qsizetype secondLine = storage.lineStart(2);
    storage.replace(secondLine + 3, 0, TextStorage::normalized(u"\r\n"));
    EXPECT_EQ(storage.fileText().sliced(size), QStringLiteral("first\nsec\r\nond\nthird\rfourth\u2029fifth\n"));

    QString streamed;
    storage.forEachFileChunk([&](QStringView piece) { streamed += piece; });
    EXPECT_EQ(streamed, storage.fileText());
}

TEST(TextStorageTest, LatinOneTextCostsAboutOneBytePerCharacter)
{
    const QString ascii = QString(1 << 20, u'a');
    const TextStorage narrow = TextStorage::fromFileText(ascii);
    EXPECT_LT(narrow.memoryUsage(), ascii.size() * 11 / 10);
    const QString wide = QString(1 << 20, QChar(0x4e2d));
    const TextStorage wider = TextStorage::fromFileText(wide);
    EXPECT_GT(wider.memoryUsage(), wide.size() * 2);
    EXPECT_EQ(wider.text(), wide);
}
