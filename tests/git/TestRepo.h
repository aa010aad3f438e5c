#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// A real git repository in a temporary folder, made by the real git with fixed names and dates
// and none of the user's configuration.
class TestRepo
{
public:
    TestRepo();

    QString path() const { return dir.path(); }
    QString filePath(const QString &relative) const { return dir.filePath(relative); }
    // Writes a file (folders made as needed) and answers its path.
    QString write(const QString &relative, const QByteArray &bytes);
    // Stages everything and commits at the given time (seconds since 1970); answers the sha.
    QString commit(const QString &message, qint64 seconds,
        const QString &author = QStringLiteral("Ada Lovelace"));
    // Runs git in the repository; a failure fails the test.
    QByteArray git(const QStringList &arguments, const QByteArray &input = {});

private:
    QTemporaryDir dir;
    qint64 time = 0;
    QString author;
};

// Test failures show texts as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// The bytes of a file in fixtures/, output recorded once from a real git.
QByteArray fixture(const QString &name);
