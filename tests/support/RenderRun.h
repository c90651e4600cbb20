#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// levyc-render run as a user runs it: its status and what it wrote. The
// including test defines LEVYC_RENDER_PATH.
struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline Run Execute(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

inline Run Render(const QStringList &arguments)
{
    return Execute(QStringLiteral(LEVYC_RENDER_PATH), arguments);
}

// A bash script run in `directory`, with levyc-render as $1.
inline Run Shell(const QString &script, const QString &directory)
{
    QProcess shell;
    shell.setWorkingDirectory(directory);
    shell.start(QStringLiteral("bash"),
                {"-c", "set -o pipefail; " + script, "bash", QStringLiteral(LEVYC_RENDER_PATH)});
    if (!shell.waitForFinished(120000) || shell.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {shell.exitCode(), shell.readAllStandardOutput(), shell.readAllStandardError()};
}
