#include "session/StoredNames.h"

#include "platform/FileNames.h"

#include <QJsonDocument>

namespace quarn {

namespace {
constexpr int kStoreVersion = 1;
} // namespace

QString StoredName(const QString& entry) {
    return QString::fromLatin1(platform::FileNameToBytes(entry).toPercentEncoding("/:"));
}

QString NameFromStore(const QString& stored) {
    return platform::FileNameFromBytes(QByteArray::fromPercentEncoding(stored.toLatin1()));
}

QJsonObject ReadStore(const QString& path, qint64 largest) {
    const std::optional<QByteArray> bytes = platform::ReadUserFile(path, largest);
    const QJsonObject values = bytes ? QJsonDocument::fromJson(*bytes).object() : QJsonObject();
    return values.value(QLatin1String("version")).toInt() == kStoreVersion ? values : QJsonObject();
}

platform::WriteOutcome WriteStore(const QString& path, QJsonObject values) {
    values.insert(QStringLiteral("version"), kStoreVersion);
    return platform::WriteUserFile(path, QJsonDocument(values).toJson(QJsonDocument::Compact));
}

} // namespace quarn
