#pragma once

#include <QString>

namespace quarn {

// A name as the player's stores keep it: its bytes, percent-encoded, so that
// a name that is not UTF-8 comes back exactly.
QString StoredName(const QString& entry);
QString NameFromStore(const QString& stored);

} // namespace quarn
