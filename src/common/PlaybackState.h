#pragma once

namespace quarn {

// Where playback of the open file stands, as the engine and the layers above
// it tell it.
enum class PlaybackState {
    Stopped, // nothing is open, or the open file is held at its start
    Opening, // a file is being opened; it plays as soon as it is open
    Playing, // the open file's time runs
    Paused,  // the open file is held where it is (also while it opens paused)
    Ended,   // the open file played to its natural end and nothing follows it
};

// What plays again at an end: nothing, the file that ended, or the whole queue.
enum class LoopMode {
    Off,
    File,
    Queue,
};

// What a loop mode is called where the user chooses it.
constexpr const char* LoopModeText(LoopMode mode) {
    switch (mode) {
    case LoopMode::File:
        return "This file";
    case LoopMode::Queue:
        return "The queue";
    case LoopMode::Off:
        break;
    }
    return "Off";
}

} // namespace quarn
