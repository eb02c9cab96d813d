#include "session/StoredNames.h"

#include "platform/FileNames.h"

namespace quarn {

QString StoredName(const QString& entry) {
    return QString::fromLatin1(platform::FileNameToBytes(entry).toPercentEncoding("/:"));
}

QString NameFromStore(const QString& stored) {
    return platform::FileNameFromBytes(QByteArray::fromPercentEncoding(stored.toLatin1()));
}

} // namespace quarn
