#include "widgets/SkinArchive.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <archive.h>
#include <archive_entry.h>
#include <memory>
#include <optional>
#include <vector>

namespace quarn {

namespace {

struct ReaderFree {
    void operator()(archive* reader) const { archive_read_free(reader); }
};

QString entryPath(archive_entry* entry) {
    if (const char* utf8 = archive_entry_pathname_utf8(entry)) {
        return QString::fromUtf8(utf8);
    }
    const char* raw = archive_entry_pathname(entry);
    return raw == nullptr ? QString() : QString::fromLocal8Bit(raw);
}

// The path's folders and file name, or nothing where the path could lead
// outside the archive: absolute (also in Windows' ways), or with a "..".
std::optional<QStringList> partsInside(const QString& path) {
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    const bool absolute = path.isEmpty() || path.startsWith(QLatin1Char('/')) ||
                          path.startsWith(QLatin1Char('\\')) ||
                          (path.size() >= 2 && path[1] == QLatin1Char(':'));
    if (absolute) {
        return std::nullopt;
    }
    QStringList parts;
    for (const QString& part : path.split(separators, Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..")) {
            return std::nullopt;
        }
        if (part != QLatin1String(".")) {
            parts << part;
        }
    }
    return parts;
}

[[noreturn]] void refuse(const QString& problem) {
    throw ArchiveProblem(problem);
}

[[noreturn]] void refuseUnreadable(archive* reader) {
    const char* why = archive_error_string(reader);
    refuse(
        QStringLiteral("the archive cannot be read: %1")
            .arg(why == nullptr ? QStringLiteral("it is damaged") : QString::fromLocal8Bit(why)));
}

const QString kManifest = QStringLiteral("skin.json");

// The folder that holds skin.json ("" for the archive's top, else "name/").
QString skinRoot(const QHash<QString, QByteArray>& files) {
    if (files.contains(kManifest)) {
        return {};
    }
    QStringList folders;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QStringList parts = it.key().split(QLatin1Char('/'));
        if (parts.size() == 2 && parts[1] == kManifest) {
            folders << parts[0];
        }
    }
    if (folders.isEmpty()) {
        refuse(QStringLiteral("the archive holds no skin.json at its top or in a folder there"));
    }
    if (folders.size() > 1) {
        folders.sort();
        refuse(QStringLiteral("the archive holds more than one skin (in \"%1\")")
                   .arg(folders.join(QStringLiteral("\", \""))));
    }
    return folders[0] + QLatin1Char('/');
}

} // namespace

QHash<QString, QByteArray> ReadSkinArchive(const QString& path, const QString& only) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(QStringLiteral("the archive cannot be opened: %1").arg(file.errorString()));
    }
    const QString tooLarge =
        QStringLiteral("the archive is larger than %1 MB").arg(kMaxArchiveBytes / 1000 / 1000);
    if (file.size() > kMaxArchiveBytes) {
        refuse(tooLarge);
    }
    // Read at most one byte more than allowed, whatever size the file claimed.
    const QByteArray bytes = file.read(kMaxArchiveBytes + 1);
    if (bytes.size() > kMaxArchiveBytes) {
        refuse(tooLarge);
    }

    const std::unique_ptr<archive, ReaderFree> reader(archive_read_new());
    archive_read_support_format_zip(reader.get());
    if (archive_read_open_memory(reader.get(), bytes.constData(), size_t(bytes.size())) !=
        ARCHIVE_OK) {
        refuse(QStringLiteral("it is not a zip archive"));
    }

    QHash<QString, QByteArray> files; // by their path in the archive, "folder/name"
    std::vector<char> chunk(64 * 1024);
    qint64 expanded = 0;
    for (int entries = 1;; ++entries) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) {
            break;
        }
        if (status < ARCHIVE_WARN) {
            refuseUnreadable(reader.get());
        }
        if (entries > kMaxArchiveEntries) {
            refuse(
                QStringLiteral("the archive holds more than %1 entries").arg(kMaxArchiveEntries));
        }
        const QString name = entryPath(entry);
        const std::optional<QStringList> parts = partsInside(name);
        if (!parts) {
            refuse(QStringLiteral("the archive holds \"%1\", a path outside it").arg(name));
        }
        const auto type = archive_entry_filetype(entry);
        if (archive_entry_hardlink(entry) != nullptr || archive_entry_symlink(entry) != nullptr ||
            type == AE_IFLNK) {
            refuse(QStringLiteral("the archive holds \"%1\", a link").arg(name));
        }
        if (type == AE_IFDIR) {
            continue;
        }
        if (type != AE_IFREG) {
            refuse(QStringLiteral("the archive holds \"%1\", a device or pipe").arg(name));
        }
        const QString inside = parts->join(QLatin1Char('/'));
        if (files.contains(inside)) {
            refuse(QStringLiteral("the archive holds \"%1\" twice").arg(inside));
        }
        if (!only.isEmpty() && (parts->last() != only || parts->size() > 2)) {
            continue; // its bytes are skipped, never expanded
        }
        // The sizes in the entry's header are the archive's word only: count what comes.
        QByteArray data;
        for (;;) {
            const la_ssize_t got = archive_read_data(reader.get(), chunk.data(), chunk.size());
            if (got < 0) {
                refuseUnreadable(reader.get());
            }
            if (got == 0) {
                break;
            }
            expanded += got;
            if (expanded > kMaxExpandedBytes) {
                refuse(QStringLiteral("the archive expands to more than %1 MB")
                           .arg(kMaxExpandedBytes / 1000 / 1000));
            }
            data.append(chunk.data(), qsizetype(got));
        }
        files.insert(inside, data);
    }

    const QString root = skinRoot(files);
    QHash<QString, QByteArray> skin;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (it.key().startsWith(root) && !it.key().mid(root.size()).contains(QLatin1Char('/'))) {
            skin.insert(it.key().mid(root.size()), it.value());
        }
    }
    return skin;
}

} // namespace quarn
