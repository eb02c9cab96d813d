#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

namespace quarn::e2e {

// The processes of a private desktop. Each runs in a process group of its own
// that dies with the test, its stdout and stderr in a log of its own under
// <build>/e2e-logs/<suite>.<test>/. They all stop when the object goes, the
// first one started (the X server, on which the others hang) last; then the
// session's own folder (runtime, settings, bus socket) goes too.
class SessionProcesses {
public:
    QString logFile(const QProcess* process) const;
    QString output(const QProcess* process) const; // what the program wrote so far
    QString logDirectory() const { return logDirectory_; }
    std::vector<qint64> processIds() const; // every process the session started

    // Polls `condition` every pollMs (handling Qt events in between, so that
    // QProcess notices exits) until it holds or timeoutMs has passed.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs = 25);
    // Whether a process is running, not merely a zombie waiting for a parent
    // that may be slow to reap it.
    static bool processRunning(qint64 pid);

protected:
    SessionProcesses();
    ~SessionProcesses();
    // Its stdout is left to read when `talks`.
    QProcess* launch(const QString& program, const QStringList& args,
                     const QProcessEnvironment& env, bool talks = false);
    // Waits for `ready`; throws, naming `what` and the log, when the process
    // ends first or the time is up.
    void awaitReady(QProcess* process, const QString& what, const std::function<bool()>& ready);
    QString readLine(QProcess* process, const QString& what);
    QString folder(const QString& name) const { return folder_.filePath(name); }

private:
    struct Child {
        std::unique_ptr<QProcess> process;
        QString log;
        qint64 pid = 0; // kept: QProcess forgets it once the process ends
    };
    std::vector<Child> children_;
    QString logDirectory_;
    QTemporaryDir folder_;
};

} // namespace quarn::e2e
