#pragma once

#include <QString>

namespace quarn {

// What the player remembers between runs.
struct PlayerSettings {
    int volume = 100; // 0 to 100
    bool muted = false;

    friend bool operator==(const PlayerSettings&, const PlayerSettings&) = default;
};

// The settings file under the user's configuration folder.
QString SettingsPath();

// The settings in the file; where it is missing, unreadable or damaged, the
// defaults (and for a value out of its range, the nearest that is in it).
PlayerSettings LoadSettings(const QString& path);

// Writes the file whole or not at all, so that a crash or a full disk never
// leaves half a file. False when it could not be written.
bool SaveSettings(const QString& path, const PlayerSettings& settings);

} // namespace quarn
