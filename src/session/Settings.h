#pragma once

#include "platform/UserFiles.h"

#include <QString>

namespace quarn {

// What the player remembers between runs.
struct PlayerSettings {
    int volume = 100; // 0 to 100
    bool muted = false;
    bool playlistShown = false;
    int playlistHeight = 200; // pixels

    friend bool operator==(const PlayerSettings&, const PlayerSettings&) = default;
};

// The settings file under the user's configuration folder.
QString SettingsPath();

// The settings in the file. Each value is read on its own: a number is
// rounded and brought into its range; a value that is missing, of another
// kind or no number at all (NaN) takes its default, as do all of them where
// the file is missing, unreadable, damaged or not a plain file.
PlayerSettings LoadSettings(const QString& path);

// Writes the file whole or not at all, only as a plain file of the user's
// own (see WriteUserFile).
platform::WriteOutcome SaveSettings(const QString& path, const PlayerSettings& settings);

} // namespace quarn
