// The real editor, killed with SIGKILL while the user types into three documents (one of them
// 20 MB), gives back at the next launch every edit made up to a second before the kill.
#include "AppFixture.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <csignal>
#include <iostream>
#include <map>

namespace {

// Set only in the typing editor this test starts: the folder with the files and the typing log,
// and the state folder whose journal the test reads back.
constexpr char typingFolderVariable[] = "QUILLMAR_TYPING_FOLDER";
constexpr char typingStateVariable[] = "QUILLMAR_TYPING_STATE";
const QStringList names { "notes.txt", "parser.cpp", "server.log" };

// The n-th word typed into a document; every fifth ends its line.
QString word(int n)
{
    return QStringLiteral("w%1").arg(n) + (n % 5 == 4 ? QStringLiteral("\n") : QStringLiteral(" "));
}

// Typing goes in at the start of the line after the text's middle.
qsizetype typingPlace(const QString &text)
{
    return text.indexOf(u'\n', text.size() / 2) + 1;
}

QString typingLog(const QString &folder)
{
    return folder + QStringLiteral("/typing.log");
}

// The log's whole lines, "document word milliseconds", as times per document and word.
std::map<int, std::vector<qint64>> readTypingLog(const QString &folder)
{
    std::map<int, std::vector<qint64>> times;
    const QByteArray bytes = testsupport::readFile(typingLog(folder));
    for (const QByteArray &line : bytes.left(bytes.lastIndexOf('\n') + 1).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 3)
            continue;
        std::vector<qint64> &document = times[fields[0].toInt()];
        if (fields[1].toLongLong() == qsizetype(document.size()))
            document.push_back(fields[2].toLongLong());
    }
    return times;
}

class RecoveryKillTest : public AppFixture {
protected:
    QByteArray sampleText(int index) const
    {
        if (index == 0)
            return "Shopping\nbread\nmilk\n";
        const QByteArray line = index == 1 ? QByteArray("    if (token.kind == Kind::comma) { advance(); continue; }\n")
                                           : QByteArray("2026-12-07T10:15:02Z worker[3] handled request 4411 in 12 ms\n");
        const qsizetype size = index == 1 ? 200 * 1024 : 20 * 1024 * 1024;
        QByteArray text;
        text.reserve(size + line.size());
        while (text.size() < size)
            text += line;
        return text;
    }

    // Starts this test program as the typing editor; it types until it is killed.
    std::unique_ptr<QProcess> startTypist()
    {
        auto typist = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(typingFolderVariable, dir.path());
        environment.insert(typingStateVariable, qEnvironmentVariable("XDG_STATE_HOME"));
        typist->setProcessEnvironment(environment);
        typist->setStandardOutputFile(QProcess::nullDevice());
        typist->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        typist->start(QCoreApplication::applicationFilePath(), { "--gtest_filter=RecoveryKillTest.TypingEditor" });
        return typist;
    }

    // Kills the typist killAfterMs after its first word; returns the moment of the kill.
    qint64 killWhileTyping(QProcess &typist, int killAfterMs)
    {
        std::optional<qint64> first;
        const bool typing = testsupport::waitUntil([&] {
            const auto times = readTypingLog(dir.path());
            if (!first && times.size() == 3)
                first = times.begin()->second.front();
            return first && QDateTime::currentMSecsSinceEpoch() >= *first + killAfterMs;
        }, 120000);
        EXPECT_TRUE(typing) << "the typist never typed";
        const qint64 killed = QDateTime::currentMSecsSinceEpoch();
        ::kill(pid_t(typist.processId()), SIGKILL);
        EXPECT_TRUE(typist.waitForFinished(10000));
        EXPECT_EQ(typist.exitStatus(), QProcess::CrashExit);
        return killed;
    }

    // Checks the recovered document against what was typed: the file's text with the words
    // typed so far in at their place, all those logged at least a second before the kill among
    // them. Returns how long before the kill the first word that did not come back was typed.
    std::optional<qint64> checkRecovered(int index, const std::vector<qint64> &times, qint64 killed)
    {
        const QString path = dir.filePath(names[index]);
        const auto found = std::find_if(app->documents().begin(), app->documents().end(),
                                        [&](const DocumentPtr &document) { return document->path() == path; });
        if (found == app->documents().end()) {
            ADD_FAILURE() << names[index].toStdString() << " did not come back";
            return std::nullopt;
        }
        const DocumentPtr document = *found;
        EXPECT_TRUE(document->isDirty) << names[index].toStdString();
        const QString original = QString::fromUtf8(sampleText(index));
        // The word after the last logged one may have been typed before its line was.
        QString typed;
        qsizetype required = 0;
        for (int n = 0; n <= int(times.size()); ++n) {
            typed += word(n);
            if (n < int(times.size()) && times[size_t(n)] <= killed - 1000)
                required = typed.size();
        }
        const QString text = document->text();
        const qsizetype added = text.size() - original.size();
        const qsizetype place = typingPlace(original);
        EXPECT_TRUE(added >= required && added <= typed.size()
                    && text == original.left(place) + typed.left(added) + original.mid(place))
            << names[index].toStdString() << ": " << added << " characters came back, " << required
            << " were typed a second before the kill, around the place: "
            << text.mid(place + std::max<qsizetype>(0, added - 40), 80).toStdString();
        int back = 0;
        for (qsizetype length = word(0).size(); length <= added; length += word(++back).size()) {
        }
        if (back >= int(times.size()))
            return std::nullopt;
        return killed - times[size_t(back)];
    }
};

}

// The typing editor: runs only when the test below starts this program as its child.
TEST_F(RecoveryKillTest, TypingEditor)
{
    const QString folder = qEnvironmentVariable(typingFolderVariable);
    if (folder.isEmpty())
        GTEST_SKIP() << "started by EditsOlderThanASecondComeBackAfterSigkill only";
    qputenv("XDG_STATE_HOME", qgetenv(typingStateVariable));
    AppDelegate &a = launch();
    std::vector<EditorTextView *> views;
    for (const QString &name : names) {
        ASSERT_TRUE(a.documents().loadDocument(folder + "/" + name, false, false, true));
        const auto found = std::find_if(a.documents().begin(), a.documents().end(),
                                        [&](const DocumentPtr &document) { return document->path() == folder + "/" + name; });
        ASSERT_NE(found, a.documents().end());
        const DocumentPtr document = *found;
        ASSERT_TRUE(loaded(document));
        document->textView->setCaretPosition(typingPlace(document->text()));
        views.push_back(document->textView.data());
    }
    QFile log(typingLog(folder));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
    QElapsedTimer clock;
    clock.start();
    // Until the test kills it; a typist left alone stops after two minutes.
    for (int n = 0; clock.elapsed() < 120000; ++n) {
        for (int index = 0; index < 3; ++index) {
            QTest::keyClicks(views[size_t(index)], word(n).trimmed());
            QTest::keyClick(views[size_t(index)], word(n).endsWith(u'\n') ? Qt::Key_Return : Qt::Key_Space);
            log.write(QStringLiteral("%1 %2 %3\n").arg(index).arg(n).arg(QDateTime::currentMSecsSinceEpoch()).toUtf8());
        }
        QTest::qWait(50);
    }
}

TEST_F(RecoveryKillTest, EditsOlderThanASecondComeBackAfterSigkill)
{
    // Early (the 20 MB base is still being copied), midway and late in the typing.
    const int killMoments[] = { 1200, 3000, 6000 };
    for (const int moment : killMoments) {
        SCOPED_TRACE(moment);
        for (int index = 0; index < 3; ++index)
            file(names[index], sampleText(index));
        QFile::remove(typingLog(dir.path()));
        const auto typist = startTypist();
        ASSERT_TRUE(typist->waitForStarted(10000));
        const qint64 killed = killWhileTyping(*typist, moment + int(QRandomGenerator::global()->bounded(500)));
        const auto times = readTypingLog(dir.path());
        ASSERT_EQ(times.size(), 3u);

        launch();
        ASSERT_EQ(app->documents().size(), 3u);
        qint64 oldestLost = 0;
        for (int index = 0; index < 3; ++index) {
            const auto lost = checkRecovered(index, times.at(index), killed);
            oldestLost = std::max(oldestLost, lost.value_or(0));
        }
        std::cout << "killed " << moment << " ms into typing, " << times.at(0).size()
                  << " words each; the oldest word lost was typed " << oldestLost << " ms before the kill\n";
        app.reset();
        testsupport::clearSettings();
    }
}
