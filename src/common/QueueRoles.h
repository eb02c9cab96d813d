#pragma once

#include <Qt>

namespace quarn {

// What a list of the play queue tells of each row besides its title (the
// display text): between the queue's model and the views that show it.
enum QueueRole {
    kNumberRole = Qt::UserRole + 1,
    kLengthRole,  // seconds; -1 when unknown
    kCurrentRole, // bool: the entry playing or to play
    kMissingRole, // bool
    kStreamRole,  // bool
    kIdRole,      // the entry's id, which stays with it through edits
};

} // namespace quarn
