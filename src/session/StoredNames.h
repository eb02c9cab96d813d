#pragma once

#include "platform/UserFiles.h"

#include <QJsonObject>
#include <QString>

namespace quarn {

// A name as the player's stores keep it: its bytes, percent-encoded, so that
// a name that is not UTF-8 comes back exactly.
QString StoredName(const QString& entry);
QString NameFromStore(const QString& stored);

// A store of the player's (the queue, the recent files, where files were
// left): a JSON object with a version, read whole or not at all. Missing, too
// large, damaged or of another version, it reads as an empty object.
QJsonObject ReadStore(const QString& path, qint64 largest);
// Writes the store's values with its version, as the user's files are written.
platform::WriteOutcome WriteStore(const QString& path, QJsonObject values);

} // namespace quarn
