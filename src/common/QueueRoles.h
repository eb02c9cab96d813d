#pragma once

#include <Qt>

namespace quarn {

// What a list of the play queue tells of each row besides its title (the
// display text): between the queue's model and the views that show it.
enum QueueRole {
    NumberRole = Qt::UserRole + 1,
    LengthRole,  // seconds; -1 when unknown
    CurrentRole, // bool: the entry playing or to play
    MissingRole, // bool
    StreamRole,  // bool
    IdRole,      // the entry's id, which stays with it through edits
    ArtistRole,  // from the file's tags; "" when not known (the title is the display text)
    AlbumRole,   // the same
};

} // namespace quarn
