#pragma once

// File names as this system keeps them: bytes, most often UTF-8 but not
// always. The program holds names as text; the bytes of a name that are not
// UTF-8 are kept in the text as the code points U+DC80 to U+DCFF (which UTF-8
// text never holds), so that every name comes back to its own bytes.

#include <QByteArray>
#include <QString>

namespace quarn::platform {

QString FileNameFromBytes(const QByteArray& bytes);
QByteArray FileNameToBytes(const QString& name);

// The name as people read it: each kept byte shown as U+FFFD.
QString ReadableFileName(const QString& name);

// What a path names, found without opening it, so nothing blocks (a FIFO, a
// device) and nothing is read.
struct FileFacts {
    bool exists = false;
    bool folder = false;
    // A plain file on a disk: not a FIFO, a socket or a device, nor a file of
    // the kernel's (/proc, /sys) that tells nothing of its contents' size.
    bool regular = false;
    bool readable = false;
    qint64 size = 0;
};
FileFacts InspectFile(const QString& path);

// Whether anything at all has this name: a file, a folder, a link even when
// it leads nowhere. A name that is not taken is free for a new file.
bool NameTaken(const QString& path);

// The file a path stands for. Qt's own dialogs and drops give names whose
// bytes are not UTF-8 with those bytes turned into U+FFFD: such a path is
// matched, part by part, against the names on the disk, and where exactly one
// fits, that name is the answer. Any other path comes back as it is.
QString LocateFile(const QString& path);

// The path as an absolute file:// URL, its bytes percent-encoded.
QByteArray FileUrl(const QString& path);

} // namespace quarn::platform
