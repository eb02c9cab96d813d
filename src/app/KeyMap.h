#pragma once

#include <Qt>
#include <optional>

namespace quarn {

// What a key does while one of the player's windows is active.
struct KeyAction {
    enum class Kind {
        PlayPause,
        Play,
        Pause,
        Stop,
        Seek,   // by `amount` seconds
        Volume, // by `amount` points
        Mute,
        FullScreen,
        LeaveFullScreen,
        Open,
        Next,
        Previous,
        Zoom, // to `amount` per cent of the video's own size
        ToggleSubtitles,
        NextSubtitle,
        NextAudio,
        Speed, // by `amount` per cent of normal speed; 0: normal
        CycleLoop,
        Screenshot,
        Frame, // `amount` 1 forward, -1 back
        TogglePlaylist,
    };
    Kind kind;
    int amount = 0;

    friend bool operator==(const KeyAction&, const KeyAction&) = default;
};

std::optional<KeyAction> ActionForKey(int key, Qt::KeyboardModifiers modifiers);

} // namespace quarn
