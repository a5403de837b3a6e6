#pragma once
// Starts the logger simulator when no serial port exists, so that a first
// read-log works without a logger: the simulator plays a logger on a
// pseudo-terminal whose path the connect dialog then offers.
#include <QProcess>
#include <QString>

namespace ml {

class LoggerSimLauncher {
public:
    LoggerSimLauncher() = default;
    ~LoggerSimLauncher();
    LoggerSimLauncher(const LoggerSimLauncher&) = delete;
    LoggerSimLauncher& operator=(const LoggerSimLauncher&) = delete;

    // MILELEDGER_LOGGERSIM, else "loggersim" beside the program, where the
    // package installs it (libexec/mileledger) or where the build tree puts
    // it; empty when there is none.
    static QString FindSimulator(const QString& programDir);

    // Starts `program --demo kind` (plus `extraArgs`) and waits (at most
    // `timeoutMs`) for the port it announces. Empty with `error` set when
    // that failed.
    QString Start(const QString& program, const QString& kind, int timeoutMs, QString& error,
                  const QStringList& extraArgs = {});
    void Stop();

private:
    QProcess process_;
};

}  // namespace ml
