#include "FakeSsh.h"

#include "TestSupport.h"

#include "remote/SSHRun.h"

#include <QFile>

FakeSsh::FakeSsh()
{
    const QByteArray log = QFile::encodeName(dir.filePath("lines"));
    const QString script = testsupport::writeFile(dir, "ssh",
        "#!/bin/sh\n"
        "for line; do :; done\n"
        "printf '%s\\000' \"$line\" >> '"
            + log
            + "'\n"
              "exec /bin/sh -c \"$line\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
    SSHPrograms programs;
    programs.ssh = script;
    setSSHProgramsForTests(programs);
}

FakeSsh::~FakeSsh()
{
    setSSHProgramsForTests(SSHPrograms());
}

std::shared_ptr<SSHClient> FakeSsh::client(const QString &destination)
{
    return std::make_shared<SSHClient>(RemoteHost { "test", destination, std::nullopt, { "~" } });
}

QStringList FakeSsh::commandLines() const
{
    const QByteArray bytes = testsupport::readFile(dir.filePath("lines"));
    QStringList lines = QString::fromUtf8(bytes).split(QChar(0));
    lines.removeLast(); // after the last terminator
    return lines;
}
