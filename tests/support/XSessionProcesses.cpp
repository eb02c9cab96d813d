// The processes a session starts, their logs and their ends.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <span>
#include <sys/prctl.h>
#include <unistd.h>

// Last: Xlib's macros clash with names in Qt and gtest.
#include "support/XConnection.h"

using namespace Qt::Literals::StringLiterals;

namespace quarn::e2e {

// Processes ---------------------------------------------------------------------

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 1500;

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

XSession::~XSession() {
    x_.reset();
    auto stop = [](std::span<Child> children) {
        for (const Child& c : children) {
            ::kill(-c.pid, SIGTERM);
        }
        for (const Child& c : children) {
            c.process->waitForFinished(kStopTimeoutMs);
            ::kill(-c.pid, SIGKILL); // whatever is left of its group
            c.process->waitForFinished(kStopTimeoutMs);
        }
    };
    const size_t server = std::min<size_t>(children_.size(), 1);
    stop(std::span(children_).subspan(server));
    stop(std::span(children_).first(server));
}

QProcess* XSession::launch(const QString& program, const QStringList& args,
                           const QProcessEnvironment& env, bool talks, bool tidies) {
    static int launched = 0; // numbers the logs of all the process's sessions
    Child& child = children_.emplace_back();
    child.log = u"%1/%2-%3.log"_s.arg(logDirectory_)
                    .arg(++launched, 2, 10, QLatin1Char('0'))
                    .arg(QFileInfo(program).fileName());
    child.process = std::make_unique<QProcess>();
    QProcess& p = *child.process;
    p.setProgram(program);
    p.setArguments(args);
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(talks ? QString() : child.log, QIODevice::Append);
    p.setStandardErrorFile(child.log, QIODevice::Append);
    // Its own process group, so that stopping it reaches its children; and it
    // dies with the test, even when the test crashes: the X server (the first)
    // by SIGTERM, which lets it remove its lock file, and so does one that
    // tidies up (its children left alone would outlive the test).
    p.setChildProcessModifier([parent = ::getpid(), gentle = tidies || children_.size() == 1] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, gentle ? SIGTERM : SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
    });
    p.start();
    if (!p.waitForStarted(kStartTimeoutMs)) {
        const QString error = p.errorString();
        children_.pop_back(); // with no process id: stopping it would reach our own group
        Fail("could not start " + program + ": " + error);
    }
    child.pid = p.processId();
    return &p;
}

void XSession::awaitReady(QProcess* process, const QString& what,
                          const std::function<bool()>& ready) {
    bool ended = false;
    auto readyOrEnded = [&] {
        return ready() || (ended = process->state() == QProcess::NotRunning);
    };
    if (!waitUntil(readyOrEnded, kStartTimeoutMs, 10) || ended) {
        Fail(u"%1 %2 %3 (log %4):\n%5"_s.arg(QFileInfo(process->program()).fileName(),
                                             ended ? u"ended before it got to"_s
                                                   : u"did not in time get to"_s,
                                             what, logFile(process), output(process).right(2000)));
    }
}

QString XSession::readLine(QProcess* process, const QString& what) {
    awaitReady(process, what, [&] {
        process->waitForReadyRead(0);
        return process->canReadLine();
    });
    return QString::fromUtf8(process->readLine().trimmed());
}

QString XSession::logFile(const QProcess* process) const {
    const auto c = std::find_if(children_.begin(), children_.end(),
                                [&](const Child& c) { return c.process.get() == process; });
    return c == children_.end() ? QString() : c->log;
}

QString XSession::output(const QProcess* process) const {
    return readFile(logFile(process));
}

std::vector<qint64> XSession::processIds() const {
    std::vector<qint64> pids;
    for (const Child& c : children_) {
        pids.push_back(c.pid);
    }
    return pids;
}

bool XSession::waitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0) {
            return false;
        }
        if (QCoreApplication::instance()) {
            QCoreApplication::processEvents();
        }
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(pollMs, left)));
    }
    return true;
}

bool XSession::processRunning(qint64 pid) {
    const QString stat = readFile(u"/proc/%1/stat"_s.arg(pid));
    const qsizetype state = stat.lastIndexOf(u") "_s) + 2;
    return state >= 2 && state < stat.size() && stat[state] != 'Z' && stat[state] != 'X';
}

} // namespace quarn::e2e
