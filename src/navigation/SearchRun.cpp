#include "SearchRun.h"

#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <utility>

namespace
{

constexpr qsizetype errorBytesKept = 4096;

QProcessEnvironment searchEnvironment(const QString &locale)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), locale);
    return environment;
}

}

SearchRun::SearchRun(QString program, QStringList arguments, QString workingFolder, QObject *parent)
    : QObject(parent)
    , m_program(std::move(program))
    , m_arguments(std::move(arguments))
    , m_workingFolder(std::move(workingFolder))
{
}

SearchRun::~SearchRun()
{
    cancel();
}

void SearchRun::start()
{
    if (m_started)
        return;
    m_started = true;
    auto *process = new QProcess(this);
    m_process = process;
    process->setProgram(m_program);
    process->setArguments(m_arguments);
    process->setWorkingDirectory(m_workingFolder);
    process->setProcessEnvironment(searchEnvironment(m_locale));
    process->setStandardInputFile(QProcess::nullDevice());
    connect(process, &QProcess::readyReadStandardOutput, this,
        [this] { take(m_process->readAllStandardOutput()); });
    connect(process, &QProcess::readyReadStandardError, this, [this] {
        const QByteArray more = m_process->readAllStandardError();
        m_errors += more.first(std::min(more.size(), errorBytesKept - m_errors.size()));
    });
    connect(process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        end(status == QProcess::NormalExit ? code : -1);
    });
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // Reported from the event loop, so that the caller is never called back inside start.
        if (error == QProcess::FailedToStart)
            QMetaObject::invokeMethod(
                this, [this] { end(-1); }, Qt::QueuedConnection);
    });
    process->start();
    m_processId = process->processId();
}

void SearchRun::take(QByteArrayView bytes)
{
    if (m_finished || bytes.isEmpty())
        return;
    QList<SearchHit> hits = m_marked ? m_parser.feed(m_marked->take(bytes)) : m_parser.feed(bytes);
    const bool capped = m_hitCount + hits.size() > searchHitLimit;
    if (capped) {
        hits.resize(searchHitLimit - m_hitCount);
        releaseProcess();
    }
    m_hitCount += int(hits.size());
    if (!hits.isEmpty() && onHits) {
        QPointer<SearchRun> self(this);
        auto callback = onHits;
        callback(hits);
        if (!self)
            return;
    }
    if (capped)
        finish(Ending::Capped);
}

void SearchRun::end(int status)
{
    if (m_finished)
        return;
    if (m_process) {
        QPointer<SearchRun> self(this);
        take(m_process->readAllStandardOutput());
        if (!self || m_finished)
            return;
    }
    const bool failed = (m_hitCount == 0 && status != 0 && status != 1) || !endLineArrived();
    // grep's status 2 also follows an unreadable file; its message then starts with the path.
    const QString message = problem();
    const bool refused = failed && status == 2 && !message.isEmpty()
        && !message.startsWith(QLatin1String("./")) && !message.startsWith(QLatin1String(".:"));
    releaseProcess();
    finish(refused ? Ending::InvalidPattern : failed ? Ending::Failed : Ending::Complete);
}

bool SearchRun::endLineArrived() const
{
    return !m_marked || m_marked->ended();
}

void SearchRun::finish(Ending ending)
{
    if (std::exchange(m_finished, true))
        return;
    // The callback may destroy the run: call a copy and touch nothing afterwards.
    if (auto callback = onFinish)
        callback(ending);
}

void SearchRun::cancel()
{
    m_finished = true;
    releaseProcess();
}

void SearchRun::releaseProcess()
{
    QProcess *process = std::exchange(m_process, nullptr);
    if (!process)
        return;
    // This may run inside one of the process's own signals, and QProcess's destructor would
    // wait for the child: the process goes away by itself once it is reaped.
    process->disconnect(this);
    process->setParent(nullptr);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Reaped, or found never to have started.
    connect(process, &QProcess::stateChanged, process, [process](QProcess::ProcessState state) {
        if (state == QProcess::NotRunning)
            process->deleteLater();
    });
    process->kill();
}

QString SearchRun::problem() const
{
    QString line = QString::fromUtf8(m_errors.left(m_errors.indexOf('\n'))).trimmed();
    // "/usr/bin/grep: Unmatched ( or \(": the program's name says nothing to the user.
    for (const QString &name : { m_program, m_program.section(u'/', -1) }) {
        if (line.startsWith(name + QStringLiteral(": "))) {
            line.remove(0, name.size() + 2);
            break;
        }
    }
    return line;
}

QString SearchRun::progressText(int hitCount, const QLocale &locale)
{
    return QStringLiteral("Searching… ") + locale.toString(hitCount) + QStringLiteral(" so far");
}

QString SearchRun::summaryText(
    Ending ending, int hitCount, int fileCount, const QString &problem, const QLocale &locale)
{
    if (ending == Ending::InvalidPattern)
        return problem.isEmpty() ? QStringLiteral("Invalid pattern")
                                 : QStringLiteral("Invalid pattern: ") + problem;
    if (ending == Ending::Failed)
        return QStringLiteral("Couldn't search. Is the machine reachable?");
    if (hitCount == 0)
        return QStringLiteral("No results");
    const QString files = fileCount == 1 ? QStringLiteral("1 file")
                                         : locale.toString(fileCount) + QStringLiteral(" files");
    if (ending == Ending::Capped)
        return QStringLiteral("The first ") + locale.toString(searchHitLimit)
            + QStringLiteral(" matches, in ") + files + QStringLiteral(". Be more specific.");
    const QString matches = hitCount == 1 ? QStringLiteral("1 match")
                                          : locale.toString(hitCount) + QStringLiteral(" matches");
    return matches + QStringLiteral(" in ") + files;
}
