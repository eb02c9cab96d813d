#pragma once

#include "platform/UserFiles.h"
#include "session/Playlists.h"

#include <QString>
#include <vector>

namespace quarn {

// The play queue as it was when the player last ran: its entries and which
// of them was the current one. Kept in a JSON file with a version number,
// written whole or not at all; a missing or damaged file is an empty queue.
struct StoredQueue {
    std::vector<PlaylistEntry> entries;
    qsizetype current = 0;
};
StoredQueue LoadQueue(const QString& path);
platform::WriteOutcome SaveQueue(const QString& path, const StoredQueue& queue);

} // namespace quarn
