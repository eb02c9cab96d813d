#pragma once

// What the benchmarks read about a process from /proc.

#include <QDir>
#include <QFile>
#include <QStringList>
#include <unistd.h>

namespace quarn::bench {

inline QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

// User and system time of the whole process (all its threads), in seconds;
// 0 once it has gone. (The fields of /proc/<pid>/stat are counted after the
// command name, which may hold spaces.)
inline double cpuSeconds(qint64 pid) {
    const QString stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const QStringList fields = stat.mid(stat.lastIndexOf(QLatin1Char(')')) + 2).split(' ');
    return fields.size() < 13 ? 0.0
                              : (fields.at(11).toDouble() + fields.at(12).toDouble()) /
                                    double(sysconf(_SC_CLK_TCK));
}

// A field of /proc/<pid>/status in kB ("VmRSS:", "VmHWM:"), as MB; 0 when unreadable.
inline double statusMb(qint64 pid, const char* field) {
    for (const QString& line : readFile(QStringLiteral("/proc/%1/status").arg(pid)).split('\n')) {
        if (line.startsWith(QLatin1String(field))) {
            return line.mid(qsizetype(qstrlen(field))).trimmed().section(' ', 0, 0).toDouble() /
                   1024;
        }
    }
    return 0;
}

inline int openDescriptors(qint64 pid) {
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

} // namespace quarn::bench
