#pragma once

// The playback session: what plays, what plays next and what a refusal means.
// It holds the engine, the play queue, the settings kept between runs, where
// files were left, the recent files and the screen saver's hold, and tells
// the windows what to show through its signals. Every way the user has to
// drive playback (the toolbar, the keys, the menus, drops, the command line,
// the desktop's media controls) calls it. It has no widgets of its own.

#include "common/TimeText.h"
#include "engine/MediaEngine.h"
#include "platform/ScreenSaver.h"
#include "session/PlayQueue.h"
#include "session/RecentFiles.h"
#include "session/ResumeStore.h"
#include "session/Settings.h"

#include <QObject>
#include <QSize>
#include <QTimer>
#include <memory>

namespace quarn {

// Where an entry to open comes from, which decides what a refusal of it means.
enum class OpenOrigin {
    // Chosen by itself (the Open dialog, a command line of one file): a
    // refusal is reported and whatever played before goes on.
    Single,
    // An entry of the queue: a refusal is reported and the queue moves on.
    Queue,
};

// A file that could not be played, and why.
struct PlaybackProblem {
    OpenOrigin origin = OpenOrigin::Single;
    int code = EngineError::kCannotPlay;
    QString entry; // the file or stream; "" when none was named
    QString reason;
};

// Where the session keeps what it keeps; "" keeps nothing there.
struct SessionPaths {
    QString settings; // the settings file
    QString state;    // the folder of the resume positions, the recent files and the queue
    QString pictures; // where screenshots go
};

class PlaybackSession : public QObject {
    Q_OBJECT
public:
    enum class Status { Playing, Paused, Stopped };
    enum class Loop { Off, File, Queue };
    static constexpr double kSlowest = 0.25;
    static constexpr double kFastest = 4.0;

    PlaybackSession(std::unique_ptr<MediaEngine> engine, platform::ScreenSaverSwitch& screenSaver,
                    SessionPaths paths);
    ~PlaybackSession() override;

    // Files, folders (for their media files), playlists (for their entries)
    // and streams to play one after the other from now on, in place of the
    // queue.
    void PlayEntries(const QStringList& entries);
    // The same, added before the queue's row `at` (at the end: -1); what
    // plays goes on.
    void AddEntries(const QStringList& entries, qsizetype at = -1);
    void Open(const QString& entry, OpenOrigin origin);
    void PlayRow(qsizetype row);
    // The queue kept from the last run, ready to go on where it was left.
    void RestoreQueue();
    void RemoveRows(const QList<qsizetype>& rows);
    void UndoRemoval();
    void MoveRows(const QList<qsizetype>& rows, qsizetype to);
    // Writes the queue as an M3U8 playlist.
    platform::WriteOutcome SaveQueueAs(const QString& path) const;

    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void SeekTo(double seconds);
    void SeekBy(double seconds);
    void SetVolume(int volume);
    void ChangeVolume(int points);
    void ToggleMute();
    void SetSpeed(double factor);
    void ChangeSpeed(double by);
    void SetLoop(Loop loop);
    void CycleLoop();
    void SetShuffle(bool on);
    void StepFrame(bool forward);
    void TakeScreenshot();

    void SelectTrack(MediaTrack::Kind kind, int id);
    void ToggleSubtitles();
    void NextTrack(MediaTrack::Kind kind);
    void AddSubtitleFile(const QString& path);

    // Opens a recent file; one that is gone is taken off the list and said so.
    void OpenRecent(const QString& entry);
    QStringList RecentEntries() const { return recent_.Entries(); }

    // Whether the playlist window is shown, and its height, kept between runs.
    void SetPlaylistWindow(bool shown, int height);
    const PlayerSettings& Settings() const { return settings_; }

    Status PlaybackStatus() const;
    // The file or stream open or last played; "" for none.
    QString CurrentEntry() const { return engine_->FileName(); }
    double Position() const { return position_; }
    double Duration() const { return duration_; }
    int Volume() const { return engine_->Volume(); }
    bool Muted() const { return engine_->Muted(); }
    double Speed() const { return engine_->Speed(); }
    Loop LoopMode() const { return loop_; }
    bool Shuffle() const { return queue_.Shuffle(); }
    MediaTags Tags() const { return engine_->Tags(); }
    std::vector<MediaTrack> Tracks() const { return engine_->Tracks(); }
    const PlayQueue& Queue() const { return queue_; }
    // The queue entry opened last (its id), once one has opened.
    std::optional<PlayQueue::Id> OpenedEntry() const { return openedId_; }
    MediaEngine& Engine() { return *engine_; }

    // What a track is called in menus and notices: its title and language,
    // or its number where the file names neither.
    static QString TrackLabel(const MediaTrack& track);

signals:
    // A file is about to open: whatever shows its video must be on the screen.
    void FileLoading();
    // A file opened and plays; its title as the title strip shows it.
    void FileOpened(const QString& title);
    // Nothing plays any more (the end of the last file of the queue).
    void PlaybackEnded();
    void VideoSizeChanged(QSize pixels);
    // What the time label and the seek bar show.
    void ReadoutChanged(const Readout& readout);
    // A short notice for the user ("Vol 80%", "Muted", "Speed 1.5x").
    void Notice(const QString& text);
    void ProblemFound(const PlaybackProblem& problem);
    // What plays changed: its state, the file, its tags or length, the
    // speed, the loop, the tracks.
    void StateChanged();
    // The queue's entries are about to change, and changed: added, removed,
    // moved or replaced.
    void QueueChanging();
    void QueueChanged();
    // What is known of one entry changed (its title, its length, whether it
    // is missing or the current one).
    void QueueEntryChanged(qsizetype row);
    void VolumeChanged();
    // A jump to another place in the file (seconds).
    void Seeked(double seconds);

private:
    void openRow(qsizetype row);
    void opened();
    void refused(int code, const QString& reason);
    void failed(const QString& reason);
    void ended();
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged();
    void leaveCurrent();
    void screenshotTaken(const QImage& frame);
    void saveSettings();
    void queueEdited();
    void entryChanged(std::optional<qsizetype> row);
    void saveQueue();
    QString statePath(const char* name) const;

    std::unique_ptr<MediaEngine> engine_;
    platform::ScreenSaverSwitch& screenSaver_;
    SessionPaths paths_;
    PlayerSettings settings_;
    QTimer saveSettings_;
    QTimer saveQueue_;
    PlayQueue queue_;
    ResumeStore resume_;
    RecentFiles recent_;
    // The entry being opened, where it came from and where it starts, until
    // the engine answers.
    QString opening_;
    OpenOrigin openingOrigin_ = OpenOrigin::Single;
    double openingAt_ = 0;
    double position_ = 0;
    double duration_ = 0;
    double savedAt_ = 0; // the position last written to the resume store
    Loop loop_ = Loop::Off;
    std::optional<PlayQueue::Id> openedId_;
    int lastSubtitle_ = 0; // the subtitle track shown before they were turned off
};

} // namespace quarn
