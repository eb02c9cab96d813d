#include "platform/UserFiles.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QStandardPaths>

#if defined(Q_OS_UNIX)
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#else
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#endif

namespace quarn::platform {

namespace {

WriteOutcome notWritten(const QString& path, const QString& why) {
    return {false, QStringLiteral("Could not save %1: %2").arg(ReadableFileName(path), why)};
}

#if defined(Q_OS_UNIX)

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why what is at a path may not be replaced, or nothing when it may.
QString refusal(const struct stat& info) {
    if (S_ISLNK(info.st_mode)) {
        return QStringLiteral("it is a symbolic link, which is left as it is");
    }
    if (S_ISDIR(info.st_mode)) {
        return QStringLiteral("it is a folder");
    }
    if (!S_ISREG(info.st_mode)) {
        return QStringLiteral("it is not a regular file (a device, a pipe or a socket)");
    }
    if (info.st_uid != ::geteuid()) {
        return QStringLiteral("it belongs to another user");
    }
    return {};
}

// Why files may not be written into a folder, or nothing when they may: it
// must be the user's own (reached through links or not), and no one else may
// write in it, so that no other user can put or swap anything there.
QString folderRefusal(const struct stat& info) {
    if (info.st_uid != ::geteuid()) {
        return QStringLiteral("its folder belongs to another user");
    }
    const bool othersWrite = (info.st_mode & S_IWOTH) != 0 ||
                             ((info.st_mode & S_IWGRP) != 0 && info.st_gid != ::getegid());
    if (othersWrite) {
        return QStringLiteral("other users may write in its folder");
    }
    return {};
}

// Makes the folder and the missing ones above it, each for the user alone.
int makeFolders(const QByteArray& folder) {
    struct stat info {};
    if (::stat(folder.constData(), &info) == 0) {
        return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    }
    if (errno != ENOENT) {
        return errno;
    }
    if (const qsizetype slash = folder.lastIndexOf('/'); slash > 0) {
        if (const int error = makeFolders(folder.left(slash)); error != 0) {
            return error;
        }
    }
    return ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

// Writes all of `bytes` and flushes them to the disk; 0 or the error.
int writeAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n == 0 || errno != EINTR) {
            return n == 0 ? EIO : errno;
        }
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

#endif

} // namespace

WriteOutcome WriteUserFile(const QString& path, const QByteArray& bytes) {
#if defined(Q_OS_UNIX)
    const QByteArray full = FileNameToBytes(path);
    const qsizetype slash = full.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : full.left(slash);
    const QByteArray name = full.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..") {
        return notWritten(path, QStringLiteral("that names no file"));
    }
    if (const int error = makeFolders(folder); error != 0) {
        return notWritten(path, reason(error));
    }
    // Everything below is done relative to the folder as opened, so that the
    // file checked, the temporary file and the rename are all in one place.
    const Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0) {
        return notWritten(path, reason(errno));
    }
    struct stat folderInfo {};
    if (::fstat(dir.Get(), &folderInfo) != 0) {
        return notWritten(path, reason(errno));
    }
    if (const QString why = folderRefusal(folderInfo); !why.isEmpty()) {
        return notWritten(path, why);
    }
    mode_t mode = 0600;
    struct stat old {};
    if (::fstatat(dir.Get(), name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const QString why = refusal(old); !why.isEmpty()) {
            return notWritten(path, why);
        }
        mode = old.st_mode & 0777;
    } else if (errno != ENOENT) {
        return notWritten(path, reason(errno));
    }

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temporary = '.' + name.left(200) + ".tmp-" +
                    QByteArray::number(QRandomGenerator::system()->generate64(), 36);
        fd = ::openat(dir.Get(), temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return notWritten(path, reason(errno));
    }
    Descriptor file(fd);
    // The umask must not narrow the mode an existing file had.
    (void)::fchmod(file.Get(), mode);
    int error = writeAll(file.Get(), bytes);
    if (::close(file.Release()) != 0 && error == 0) {
        error = errno;
    }
    // Looked at again just before the rename: the write and the flush can
    // take a while, and something else may have been put at the path since.
    QString why = error != 0 ? reason(error) : QString();
    if (why.isEmpty() && ::fstatat(dir.Get(), name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        why = refusal(old);
    }
    if (why.isEmpty() &&
        ::renameat(dir.Get(), temporary.constData(), dir.Get(), name.constData()) != 0) {
        why = reason(errno);
    }
    if (!why.isEmpty()) {
        ::unlinkat(dir.Get(), temporary.constData(), 0);
        return notWritten(path, why);
    }
    // The rename itself lasts through a power cut only once the folder is flushed.
    (void)::fsync(dir.Get());
    return {true, {}};
#else
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isFile())) {
        return notWritten(path, QStringLiteral("it is not a regular file"));
    }
    if (!QDir().mkpath(info.path())) {
        return notWritten(path, QStringLiteral("its folder could not be made"));
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return notWritten(path, file.errorString());
    }
    return {true, {}};
#endif
}

std::optional<QByteArray> ReadUserFile(const QString& path, qint64 maxBytes) {
#if defined(Q_OS_UNIX)
    const QByteArray name = FileNameToBytes(path);
    // Looked at before it is opened, as opening a device can do things (a
    // tape rewinds), and again once open, in case it was swapped in between.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        return std::nullopt;
    }
    const Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    // Read to the end rather than to the size it had: a file can grow, and
    // the kernel's files give their size as 0.
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(file.Get(), chunk, sizeof chunk);
        if (n == 0) {
            return bytes;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || bytes.size() + n > maxBytes) {
            return std::nullopt;
        }
        bytes.append(chunk, n);
    }
#else
    QFile file(path);
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() > maxBytes ||
        !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        return std::nullopt;
    }
    return bytes;
#endif
}

QString StateFolder() {
    // A relative XDG_STATE_HOME is to be ignored, as the base directory rules say.
    QString base = FileNameFromBytes(qgetenv("XDG_STATE_HOME"));
    if (!QDir::isAbsolutePath(base)) {
        const QByteArray home = qgetenv("HOME");
        base = (home.isEmpty() ? QDir::homePath() : FileNameFromBytes(home)) +
               QStringLiteral("/.local/state");
    }
    return base + QStringLiteral("/quarn-media-player");
}

QString CacheFolder() {
    QString base = FileNameFromBytes(qgetenv("XDG_CACHE_HOME"));
    if (!QDir::isAbsolutePath(base)) {
        const QByteArray home = qgetenv("HOME");
        base = (home.isEmpty() ? QDir::homePath() : FileNameFromBytes(home)) +
               QStringLiteral("/.cache");
    }
    return base + QStringLiteral("/quarn-media-player");
}

QString UserSkinsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/quarn-media-player/skins");
}

QString PicturesFolder() {
    const QString set = qEnvironmentVariable("XDG_PICTURES_DIR");
    if (QDir::isAbsolutePath(set)) {
        return set;
    }
    const QString desktops = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return desktops.isEmpty() || desktops == QDir::homePath()
               ? QDir::home().filePath(QStringLiteral("Pictures"))
               : desktops;
}

} // namespace quarn::platform
