#include "app/LoggerSimLauncher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <csignal>
#include <sys/prctl.h>

namespace ml {

LoggerSimLauncher::~LoggerSimLauncher() { Stop(); }

QString LoggerSimLauncher::FindSimulator(const QString& programDir) {
    const QString configured = qEnvironmentVariable("MILELEDGER_LOGGERSIM");
    if (!configured.isEmpty()) return QFileInfo(configured).isExecutable() ? configured : QString();
    // ML_LOGGERSIM_FROM_BIN comes from the install layout (app/CMakeLists.txt).
    const QStringList candidates = {programDir + "/loggersim", programDir + "/" ML_LOGGERSIM_FROM_BIN,
                                    programDir + "/../tools/loggersim/loggersim"};
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isExecutable()) return QDir::cleanPath(candidate);
    }
    return {};
}

QString LoggerSimLauncher::Start(const QString& program, const QString& kind, int timeoutMs, QString& error,
                                 const QStringList& extraArgs) {
    process_.setProgram(program);
    process_.setArguments(QStringList{QStringLiteral("--demo"), kind} + extraArgs);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setReadChannel(QProcess::StandardOutput);
    // The simulator goes with the program, even when the program is killed.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start();
    if (!process_.waitForStarted(timeoutMs)) {
        error = QStringLiteral("%1: %2").arg(program, process_.errorString());
        return {};
    }
    // The first line names the port: "PORT /dev/pts/N".
    QElapsedTimer clock;
    clock.start();
    while (!process_.canReadLine()) {
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0 || process_.state() != QProcess::Running || !process_.waitForReadyRead(left)) break;
    }
    const QString line = QString::fromUtf8(process_.readLine()).trimmed();
    if (!line.startsWith(QStringLiteral("PORT "))) {
        error = QStringLiteral("%1 did not announce its port: %2")
                    .arg(program, QString::fromUtf8(process_.readAllStandardError()));
        Stop();
        return {};
    }
    return line.mid(5).trimmed();
}

void LoggerSimLauncher::Stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(2000)) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

}  // namespace ml
