#include "platform/FileNames.h"

#include <QDir>
#include <cerrno>

#if defined(Q_OS_UNIX)
#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#endif

namespace quarn::platform {

namespace {

constexpr char16_t kKeptByte = 0xDC00;
constexpr char16_t kReplacement = 0xFFFD;

// The length of the valid UTF-8 sequence at `at`, or 0.
int utf8Length(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = byte(at);
    int length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and what lies beyond Unicode are no UTF-8.
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool isKeptByte(QChar c) {
    return c.unicode() >= kKeptByte + 0x80 && c.unicode() <= kKeptByte + 0xFF;
}

QString absolute(const QString& path) {
    if (path.startsWith(u'/')) {
        return path;
    }
#if defined(Q_OS_UNIX)
    char here[4096];
    if (::getcwd(here, sizeof here) != nullptr) {
        return FileNameFromBytes(QByteArray(here)) + u'/' + path;
    }
#endif
    return QDir::current().absoluteFilePath(path);
}

} // namespace

QString FileNameFromBytes(const QByteArray& bytes) {
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        if (const int length = utf8Length(bytes, at); length > 0) {
            name += QString::fromUtf8(bytes.constData() + at, length);
            at += length;
        } else {
            name += QChar(char16_t(kKeptByte + static_cast<unsigned char>(bytes.at(at))));
            ++at;
        }
    }
    return name;
}

QByteArray FileNameToBytes(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype from = 0;
    for (qsizetype at = 0; at <= name.size(); ++at) {
        if (at == name.size() || isKeptByte(name.at(at))) {
            bytes += name.mid(from, at - from).toUtf8();
            if (at < name.size()) {
                bytes += static_cast<char>(name.at(at).unicode() - kKeptByte);
            }
            from = at + 1;
        }
    }
    return bytes;
}

QString ReadableFileName(const QString& name) {
    QString readable = name;
    for (QChar& c : readable) {
        if (isKeptByte(c)) {
            c = QChar(kReplacement);
        }
    }
    return readable;
}

FileFacts InspectFile(const QString& path) {
    FileFacts facts;
#if defined(Q_OS_UNIX)
    const QByteArray bytes = FileNameToBytes(path);
    struct stat info {};
    if (::stat(bytes.constData(), &info) != 0) {
        return facts;
    }
    facts.exists = true;
    facts.folder = S_ISDIR(info.st_mode);
    facts.size = info.st_size;
    facts.readable = ::access(bytes.constData(), R_OK) == 0;
    facts.regular = S_ISREG(info.st_mode);
    struct statfs system {};
    // The kernel's own files (/proc/self/mem, /sys/...) pass for plain ones.
    constexpr long kProcMagic = 0x9fa0;
    constexpr long kSysMagic = 0x62656572;
    if (facts.regular && ::statfs(bytes.constData(), &system) == 0 &&
        (system.f_type == kProcMagic || system.f_type == kSysMagic)) {
        facts.regular = false;
    }
#else
    const QFileInfo info(path);
    facts.exists = info.exists();
    facts.folder = info.isDir();
    facts.regular = info.isFile();
    facts.readable = info.isReadable();
    facts.size = info.size();
#endif
    return facts;
}

bool NameTaken(const QString& path) {
#if defined(Q_OS_UNIX)
    struct stat info {};
    return ::lstat(FileNameToBytes(path).constData(), &info) == 0 ||
           (errno != ENOENT && errno != ENOTDIR);
#else
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
#endif
}

QString LocateFile(const QString& path) {
    if (!path.contains(QChar(kReplacement)) || InspectFile(path).exists) {
        return path;
    }
#if defined(Q_OS_UNIX)
    // Part by part from the root, each part with a U+FFFD matched against
    // the names in its folder as Qt reads them.
    const QStringList parts = absolute(path).split(u'/');
    QString found;
    for (const QString& part : parts.mid(1)) {
        if (!part.contains(QChar(kReplacement))) {
            found += u'/' + part;
            continue;
        }
        QString match;
        int matches = 0;
        if (DIR* folder = ::opendir(
                FileNameToBytes(found.isEmpty() ? QStringLiteral("/") : found).constData())) {
            while (const dirent* entry = ::readdir(folder)) {
                const QByteArray name(entry->d_name);
                if (QString::fromLocal8Bit(name) == part) {
                    match = FileNameFromBytes(name);
                    ++matches;
                }
            }
            ::closedir(folder);
        }
        if (matches != 1) {
            return path;
        }
        found += u'/' + match;
    }
    return found;
#else
    return path;
#endif
}

QByteArray FileUrl(const QString& path) {
    QString full = absolute(path);
    return QByteArrayLiteral("file://") + FileNameToBytes(full).toPercentEncoding("/");
}

} // namespace quarn::platform
