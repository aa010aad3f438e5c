#include "SSHRun.h"

#include "RunToken.h"
#include "SSHLogging.h"
#include "common/ChildProcess.h"

#include <cstring>
#include <mutex>

Q_LOGGING_CATEGORY(lcSsh, "quillmar.ssh", QtWarningMsg)

namespace
{

std::mutex programsMutex;
SSHPrograms programs;

}

SSHPrograms sshPrograms()
{
    std::lock_guard lock(programsMutex);
    return programs;
}

void setSSHProgramsForTests(const SSHPrograms &replacement)
{
    std::lock_guard lock(programsMutex);
    programs = replacement;
}

SSHResult runSSH(const QStringList &arguments, const std::optional<QByteArray> &input,
    qsizetype limit, RunToken *token)
{
    ChildProcess child({ sshPrograms().ssh, arguments, {}, std::nullopt });
    const bool started = token ? token->launch(child, input, ChildProcess::Errors::capture)
                               : child.start(input, ChildProcess::Errors::capture);
    if (!started) {
        const QString reason = token && token->cancelled()
            ? QStringLiteral("cancelled")
            : QString::fromLocal8Bit(std::strerror(child.startError()));
        qCWarning(lcSsh) << "ssh did not start:" << reason;
        return { 255, {}, QStringLiteral("Couldn't run ssh: ") + reason };
    }
    SSHResult result;
    bool cutOff = false;
    child.readOutput([&](QByteArrayView chunk) {
        result.stdout.append(chunk);
        cutOff = result.stdout.size() > limit;
        return !cutOff;
    });
    if (cutOff)
        child.terminate();
    const int status = child.wait();
    if (token)
        token->release();
    result.status = cutOff ? SSHResult::cutOffStatus : status;
    result.stderr = QString::fromUtf8(child.errors());
    if (result.status == 255)
        qCDebug(lcSsh) << "ssh failed:" << result.stderr.trimmed();
    return result;
}

std::optional<QByteArray> runTool(
    const QString &program, const QStringList &arguments, const std::optional<QByteArray> &input)
{
    const ChildProcess::Result result = ChildProcess::run(
        { program, arguments, {}, std::nullopt }, input, ChildProcess::Errors::discard);
    if (!result.started || result.status != 0) {
        qCDebug(lcSsh) << program << "gave status" << result.status;
        return std::nullopt;
    }
    return result.output;
}
