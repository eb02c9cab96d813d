#pragma once

// The command table: every command the user can give the player is one
// QAction here, with its text, its keys, and its checked and enabled state.
// Keys, the skins' buttons, every menu, the full-screen bar and the desktop's
// media controls all trigger these actions; the composition root connects
// each to what it does and keeps its state in step with the player.

#include <QAction>
#include <QActionGroup>
#include <QHash>
#include <QObject>
#include <vector>

namespace quarn {

enum class Command {
    // Transport
    Play,
    Pause,
    PlayPause,
    Stop,
    Open,
    Previous,
    Next,
    SeekBack,
    SeekForward,
    SeekBackMore,
    SeekForwardMore,
    FrameBack,
    FrameForward,
    // Sound
    VolumeUp,
    VolumeDown,
    Mute,
    NextAudio,
    // Picture and subtitles
    FullScreen,
    LeaveFullScreen,
    HalfSize,
    NormalSize,
    DoubleSize,
    ToggleSubtitles,
    NextSubtitle,
    LoadSubtitle,
    Screenshot,
    // Chapters, timing and the picture
    PreviousChapter,
    NextChapter,
    StartOver,
    SubtitleDelayDown,
    SubtitleDelayUp,
    AudioDelayDown,
    AudioDelayUp,
    ResetTimings,
    SubtitlesLarger,
    SubtitlesSmaller,
    SubtitlesHigher,
    SubtitlesLower,
    NextAspectRatio,
    NextDeinterlace,
    BrightnessUp,
    BrightnessDown,
    ContrastUp,
    ContrastDown,
    SaturationUp,
    SaturationDown,
    GammaUp,
    GammaDown,
    ResetPicture,
    AlwaysOnTop,
    // Speed and loop
    Slower,
    Faster,
    NormalSpeed,
    CycleLoop,
    // Windows, menus and the rest
    Playlist,
    PictureMenu,
    Effects,
    Melt,
    About,
    OpenSkin,
    SkinsFolder,
    AddFiles,
    AddFolder,
    SavePlaylist,
    RemoveEntries,
    UndoRemoval,
    Exit,
};

class CommandTable : public QObject {
    Q_OBJECT
public:
    explicit CommandTable(QObject* parent = nullptr);

    QAction* operator[](Command command) const { return actions_.at(size_t(command)); }
    // The action a skin's button names ("play", "play-pause", "full-screen"...);
    // null for a name that is none of them.
    QAction* Named(const QString& name) const { return byName_.value(name); }
    // Every action that has keys: what the player's windows listen for.
    QList<QAction*> WithKeys() const;

    // Choices of one kind, one of them checked, each carrying its value as
    // its data(): the speeds (0.5 to 2), the loop modes (LoopMode as an int),
    // the skin sizes (0 for the screen's own, 1, 1.5, 2), the aspect ratios
    // (0 for the film's own), deinterlacing and ReplayGain (their enums as ints).
    QActionGroup& Speeds() { return speeds_; }
    QActionGroup& Loops() { return loops_; }
    QActionGroup& SkinSizes() { return skinSizes_; }
    QActionGroup& AspectRatios() { return aspectRatios_; }
    QActionGroup& Deinterlacing() { return deinterlacing_; }
    QActionGroup& ReplayGains() { return replayGains_; }
    // The checked one of a group that holds `value`.
    static void Check(QActionGroup& group, double value);

private:
    std::vector<QAction*> actions_;
    QHash<QString, QAction*> byName_;
    QActionGroup speeds_{this};
    QActionGroup loops_{this};
    QActionGroup skinSizes_{this};
    QActionGroup aspectRatios_{this};
    QActionGroup deinterlacing_{this};
    QActionGroup replayGains_{this};
};

} // namespace quarn
