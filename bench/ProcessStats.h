#pragma once

// What the benchmarks read about a process from /proc.

#include <QFile>
#include <QStringList>
#include <optional>
#include <unistd.h>

namespace quarn::bench {

// The fields of /proc/<pid>/stat after the command name (which may hold spaces).
inline QStringList statFields(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString text = QString::fromLatin1(file.readAll());
    return text.mid(text.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
}

// User and system time of the whole process (all its threads), in seconds;
// nullopt once it has gone.
inline std::optional<double> cpuSeconds(qint64 pid) {
    const QStringList fields = statFields(pid);
    if (fields.size() < 13) {
        return std::nullopt;
    }
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// A field of /proc/<pid>/status in kB ("VmRSS:", "VmHWM:"); 0 when unreadable.
inline double statusField(qint64 pid, const char* field) {
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toDouble();
        }
    }
    return 0;
}

} // namespace quarn::bench
