#include "app/Commands.h"

#include "common/Designs.h"
#include "common/PlaybackState.h"
#include "engine/MediaEngine.h"
#include "session/PlaybackSession.h"

#include <cmath>

namespace quarn {

namespace {

struct Definition {
    Command command;
    const char* text;    // as menus show it, with its mnemonic
    const char* toolTip; // as buttons tell it, and screen readers say it; "" for the text's
    QList<QKeySequence> keys;
    const char* skinName; // what a skin's button calls it; "" for none
    bool checkable = false;
};

// The keys as the player has always had them; the media keys beside them.
const Definition kDefinitions[] = {
    {Command::Play, "&Play", "Play", {}, "play"},
    {Command::Pause, "P&ause", "Pause", {Qt::Key_MediaPause}, "pause"},
    {Command::PlayPause,
     "Play/Pause",
     "Play",
     // Most keyboards' one Play/Pause key comes as "play".
     {Qt::Key_Space, Qt::Key_MediaTogglePlayPause, Qt::Key_MediaPlay},
     "play-pause",
     true},
    {Command::Stop, "&Stop", "Stop", {Qt::Key_MediaStop}, "stop"},
    {Command::Open, "&Open...", "Open...", {Qt::CTRL | Qt::Key_O}, "open"},
    {Command::Previous,
     "Pre&vious",
     "Previous",
     {Qt::Key_P, Qt::Key_PageUp, Qt::Key_MediaPrevious},
     "previous"},
    {Command::Next, "&Next", "Next", {Qt::Key_N, Qt::Key_PageDown, Qt::Key_MediaNext}, "next"},
    {Command::SeekBack, "Back 5 s", "", {Qt::Key_Left}, ""},
    {Command::SeekForward, "Forward 5 s", "", {Qt::Key_Right}, ""},
    {Command::SeekBackMore, "Back 1 min", "", {Qt::SHIFT | Qt::Key_Left}, ""},
    {Command::SeekForwardMore, "Forward 1 min", "", {Qt::SHIFT | Qt::Key_Right}, ""},
    {Command::FrameBack, "Frame back", "", {Qt::Key_Comma}, ""},
    {Command::FrameForward, "Frame forward", "", {Qt::Key_Period}, ""},
    {Command::VolumeUp, "Volume up", "", {Qt::Key_Up, Qt::Key_VolumeUp}, ""},
    {Command::VolumeDown, "Volume down", "", {Qt::Key_Down, Qt::Key_VolumeDown}, ""},
    {Command::Mute, "&Mute", "Mute", {Qt::Key_M, Qt::Key_VolumeMute}, "mute", true},
    // Signs typed with Shift on some keyboards ("#", "[") are the signs.
    {Command::NextAudio,
     "&Next audio track",
     "",
     {Qt::Key_NumberSign, Qt::SHIFT | Qt::Key_NumberSign},
     ""},
    {Command::FullScreen, "&Full screen", "Full screen", {Qt::Key_F}, "full-screen", true},
    {Command::LeaveFullScreen, "Leave full screen", "", {Qt::Key_Escape}, ""},
    {Command::HalfSize, "Half size", "", {Qt::Key_1}, ""},
    {Command::NormalSize, "Normal size", "", {Qt::Key_2}, ""},
    {Command::DoubleSize, "Double size", "", {Qt::Key_3}, ""},
    {Command::ToggleSubtitles, "&Show subtitles", "", {Qt::Key_V}, "", true},
    {Command::NextSubtitle, "N&ext subtitle track", "", {Qt::Key_J}, ""},
    {Command::LoadSubtitle, "&Load subtitle file...", "", {}, ""},
    {Command::Screenshot, "Scree&nshot", "", {Qt::Key_S}, ""},
    // The keys mpv's users know for chapters ("!" and "@" come with Shift).
    {Command::PreviousChapter,
     "&Previous chapter",
     "",
     {Qt::Key_Exclam, Qt::SHIFT | Qt::Key_Exclam},
     ""},
    {Command::NextChapter, "&Next chapter", "", {Qt::Key_At, Qt::SHIFT | Qt::Key_At}, ""},
    {Command::StartOver, "Start &over", "", {Qt::Key_Home}, ""},
    {Command::SubtitleDelayDown, "Subtitles &earlier (-100 ms)", "", {Qt::Key_Z}, ""},
    {Command::SubtitleDelayUp, "Subtitles &later (+100 ms)", "", {Qt::Key_X}, ""},
    {Command::AudioDelayDown, "Sound e&arlier (-100 ms)", "", {Qt::CTRL | Qt::Key_Minus}, ""},
    {Command::AudioDelayUp,
     "Sound la&ter (+100 ms)",
     "",
     {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal},
     ""},
    {Command::ResetTimings, "&Reset timing", "", {}, ""},
    {Command::SubtitlesLarger, "Subtitles lar&ger", "", {Qt::CTRL | Qt::Key_Up}, ""},
    {Command::SubtitlesSmaller, "Subtitles s&maller", "", {Qt::CTRL | Qt::Key_Down}, ""},
    {Command::SubtitlesHigher, "Subtitles &higher", "", {Qt::Key_R}, ""},
    {Command::SubtitlesLower, "Subtitles l&ower", "", {Qt::SHIFT | Qt::Key_R}, ""},
    {Command::NextAspectRatio, "Next aspect ratio", "", {Qt::Key_A}, ""},
    {Command::NextDeinterlace, "Next deinterlacing", "", {Qt::Key_D}, ""},
    {Command::BrightnessUp, "&Brightness +", "", {}, ""},
    {Command::BrightnessDown, "Brightness -", "", {}, ""},
    {Command::ContrastUp, "&Contrast +", "", {}, ""},
    {Command::ContrastDown, "Contrast -", "", {}, ""},
    {Command::SaturationUp, "&Saturation +", "", {}, ""},
    {Command::SaturationDown, "Saturation -", "", {}, ""},
    {Command::GammaUp, "&Gamma +", "", {}, ""},
    {Command::GammaDown, "Gamma -", "", {}, ""},
    {Command::ResetPicture, "&Reset picture", "", {}, ""},
    {Command::AlwaysOnTop, "Al&ways on top", "Always on top", {Qt::Key_T}, "always-on-top", true},
    {Command::Slower, "&Slower", "", {Qt::Key_BracketLeft, Qt::SHIFT | Qt::Key_BracketLeft}, ""},
    {Command::Faster, "&Faster", "", {Qt::Key_BracketRight, Qt::SHIFT | Qt::Key_BracketRight}, ""},
    {Command::NormalSpeed, "&Normal speed", "", {Qt::Key_Backspace}, ""},
    {Command::CycleLoop, "&Loop", "", {Qt::Key_L}, ""},
    {Command::Playlist, "Pla&ylist", "Playlist", {Qt::Key_E}, "playlist", true},
    {Command::PictureMenu, "Menu", "", {Qt::Key_Menu, Qt::SHIFT | Qt::Key_F10}, ""},
    {Command::Effects, "Screen Effects", "Screen Effects", {}, "effects"},
    {Command::Melt, design::menus::kMelter, "", {}, ""},
    {Command::About, design::menus::kAbout, "", {}, ""},
    {Command::OpenSkin, "&Open skin...", "", {}, ""},
    {Command::SkinsFolder, "Open skins &folder", "", {}, ""},
    {Command::AddFiles, "Add &files...", "", {}, ""},
    {Command::AddFolder, "Add f&older...", "", {}, ""},
    {Command::SavePlaylist, "&Save playlist...", "", {}, ""},
    {Command::RemoveEntries, "&Remove", "", {}, ""},
    {Command::UndoRemoval, "&Undo", "", {}, ""},
    {Command::Exit, "E&xit", "Exit", {}, "exit"},
};

} // namespace

CommandTable::CommandTable(QObject* parent) : QObject(parent) {
    actions_.resize(std::size(kDefinitions));
    for (const Definition& d : kDefinitions) {
        auto* action = new QAction(QString::fromUtf8(d.text), this);
        action->setShortcuts(d.keys);
        // Keys work on whichever of the player's windows is active; the
        // windows list the actions (a dialog, which does not, keeps its keys).
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(d.checkable);
        if (*d.toolTip != '\0') {
            action->setToolTip(QString::fromUtf8(d.toolTip));
        }
        if (*d.skinName != '\0') {
            byName_.insert(QString::fromLatin1(d.skinName), action);
        }
        actions_.at(size_t(d.command)) = action;
    }
    auto choices = [](QActionGroup& group,
                      std::initializer_list<std::pair<const char*, double>> items) {
        for (const auto& [text, value] : items) {
            QAction* action = group.addAction(QString::fromUtf8(text));
            action->setCheckable(true);
            action->setData(value);
        }
    };
    choices(speeds_, {{"0.5x", 0.5},
                      {"0.75x", 0.75},
                      {"&Normal", 1.0},
                      {"1.25x", 1.25},
                      {"1.5x", 1.5},
                      {"2x", 2.0}});
    choices(loops_, {{LoopModeText(LoopMode::Off), double(LoopMode::Off)},
                     {LoopModeText(LoopMode::File), double(LoopMode::File)},
                     {LoopModeText(LoopMode::Queue), double(LoopMode::Queue)}});
    choices(skinSizes_,
            {{"&Automatic size", 0}, {"Size &1x", 1}, {"Size 1.&5x", 1.5}, {"Size &2x", 2}});
    for (const auto& [name, ratio] : PlaybackSession::AspectRatios()) {
        QAction* action = aspectRatios_.addAction(name);
        action->setCheckable(true);
        action->setData(ratio);
    }
    choices(deinterlacing_, {{"&Automatic", double(Deinterlace::Automatic)},
                             {"&On", double(Deinterlace::On)},
                             {"O&ff", double(Deinterlace::Off)}});
    choices(replayGains_, {{"&Off", double(ReplayGain::Off)},
                           {"&Track", double(ReplayGain::Track)},
                           {"&Album", double(ReplayGain::Album)}});
}

QList<QAction*> CommandTable::WithKeys() const {
    QList<QAction*> keyed;
    for (QAction* action : actions_) {
        if (!action->shortcuts().isEmpty()) {
            keyed << action;
        }
    }
    return keyed;
}

void CommandTable::Check(QActionGroup& group, double value) {
    for (QAction* action : group.actions()) {
        if (std::abs(action->data().toDouble() - value) < 1e-6) {
            action->setChecked(true);
            return;
        }
    }
    if (QAction* checked = group.checkedAction()) {
        // No choice holds it (a speed set by the keys): none is checked.
        group.setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        checked->setChecked(false);
        group.setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    }
}

} // namespace quarn
