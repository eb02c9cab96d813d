#pragma once

#include "engine/MediaEngine.h"
#include "platform/UserFiles.h"

#include <QString>

namespace quarn {

// What the player remembers between runs.
struct PlayerSettings {
    int volume = 100; // 0 to 100
    bool muted = false;
    bool playlistShown = false;
    int playlistHeight = 200; // pixels
    // The skin: a bundled or installed skin's id ("classic"), or the path of
    // one opened from elsewhere.
    QString skin = QStringLiteral("classic");
    // The size it is shown at: 1, 1.5 or 2; 0 for the screen's own (Automatic).
    double skinSize = 0;
    ReplayGain replayGain = ReplayGain::Off;
    // The player's windows stay above the others.
    bool alwaysOnTop = false;
    // The folder of the file last opened by itself (the Open dialog starts
    // there); "" for none. Only an absolute path is taken.
    QString lastFolder{};

    friend bool operator==(const PlayerSettings&, const PlayerSettings&) = default;
};

// The settings file under the user's configuration folder.
QString SettingsPath();

// The settings in the file. Each value is read on its own: a number is
// rounded and brought into its range; a value that is missing, of another
// kind or no number at all (NaN) takes its default, as do all of them where
// the file is missing, unreadable, damaged or not a plain file.
PlayerSettings LoadSettings(const QString& path);

// The sizes a skin is shown at: 1, 1.5, 2, and 0 (the screen's own).
bool IsSkinSize(double size);

// Writes the file whole or not at all, only as a plain file of the user's
// own (see WriteUserFile).
platform::WriteOutcome SaveSettings(const QString& path, const PlayerSettings& settings);

} // namespace quarn
