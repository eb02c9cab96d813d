#pragma once

// The playback session: what plays, what plays next and what a refusal means.
// It holds the engine, the play queue, the settings kept between runs, where
// files were left, the recent files and the screen saver's hold, and tells
// the windows what to show through its signals. Every way the user has to
// drive playback (the toolbar, the keys, the menus, drops, the command line,
// the desktop's media controls) calls it. It has no widgets of its own.

#include "common/PlaybackState.h"
#include "common/TimeText.h"
#include "engine/MediaEngine.h"
#include "platform/ScreenSaver.h"
#include "session/PlayQueue.h"
#include "session/RecentFiles.h"
#include "session/ResumeStore.h"
#include "session/Settings.h"
#include "session/TagScanner.h"

#include <QObject>
#include <QSize>
#include <QThreadPool>
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
    QString covers{}; // where copies of the covers shown are kept for the desktop
};

class PlaybackSession : public QObject {
    Q_OBJECT
public:
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
    void SetLoop(LoopMode loop);
    void CycleLoop();
    void SetShuffle(bool on);
    void StepFrame(bool forward);
    void TakeScreenshot();

    void SelectTrack(MediaTrack::Kind kind, int id);
    void ToggleSubtitles();
    void NextTrack(MediaTrack::Kind kind);
    void AddSubtitleFile(const QString& path);

    // Goes back to the file's start and forgets where it was left (what was
    // chosen for it stays).
    void StartOver();
    // Where the Open dialog starts: the folder of the local file playing,
    // else the one a file was last opened from by itself, else "" (the
    // dialog's own).
    QString OpenFolder() const;

    // Chapters: the open file's (titles and starts) and the one playing (-1
    // before the first, or where there are none).
    std::vector<MediaChapter> Chapters() const { return engine_->Chapters(); }
    int CurrentChapter() const { return engine_->CurrentChapter(); }
    void SetChapter(int index);
    void NextChapter();
    // To the start of the chapter playing when more than 3 s into it, else to
    // the one before.
    void PreviousChapter();

    // Timing, in seconds: the delays belong to the file open (and are kept
    // with it), the subtitles' size and place hold from file to file.
    void ChangeSubtitleDelay(double by);
    void ChangeAudioDelay(double by);
    void ResetTimings();
    double SubtitleDelay() const { return engine_->SubtitleDelay(); }
    double AudioDelay() const { return engine_->AudioDelay(); }
    // 1.0 is normal.
    void ChangeSubtitleSize(double by);
    double SubtitleSize() const { return engine_->SubtitleScale(); }
    // In percent of the picture's height from its top: below 0 moves them up.
    void MoveSubtitles(int by);
    int SubtitlePosition() const { return engine_->SubtitlePosition(); }

    // The picture. The aspect ratios offered, by name ("Automatic", 0: the
    // file's own).
    static const std::vector<std::pair<QString, double>>& AspectRatios();
    void SetAspectRatio(double ratio);
    void NextAspectRatio();
    double AspectRatio() const { return engine_->AspectRatio(); }
    void SetDeinterlace(Deinterlace mode);
    Deinterlace DeinterlaceMode() const { return engine_->DeinterlaceMode(); }
    // Each from -100 to 100.
    void ChangeAdjustment(PictureAdjustment which, int by);
    int Adjustment(PictureAdjustment which) const { return engine_->Adjustment(which); }
    // The adjustments and the aspect ratio as the file has them.
    void ResetPicture();

    // Opens a recent file; one that is gone is taken off the list and said so.
    void OpenRecent(const QString& entry);
    QStringList RecentEntries() const { return recent_.Entries(); }

    // Whether the playlist window is shown, and its height, kept between runs.
    void SetPlaylistWindow(bool shown, int height);
    // The skin chosen (its id, or its path) and its size (0: the screen's own), kept between runs.
    void SetSkin(const QString& skin, double size);
    // Whether the player's windows stay above the others, kept between runs.
    void SetAlwaysOnTop(bool on);
    // The loudness the files' ReplayGain tags ask for, kept between runs.
    void SetReplayGain(ReplayGain mode);
    ReplayGain ReplayGainMode() const { return settings_.replayGain; }
    const PlayerSettings& Settings() const { return settings_; }

    // Where playback stands: the engine's state.
    PlaybackState State() const { return engine_->State(); }
    // The file or stream open or last played, else the one kept from the last
    // run, ready to play; "" for none.
    QString CurrentEntry() const;
    // What is known of that entry (also once it is taken out of the queue).
    const PlaylistEntry& CurrentDetails() const { return playing_; }
    double Position() const { return position_; }
    double Duration() const { return duration_; }
    int Volume() const { return engine_->Volume(); }
    bool Muted() const { return engine_->Muted(); }
    double Speed() const { return engine_->Speed(); }
    LoopMode Loop() const { return loop_; }
    bool Shuffle() const { return queue_.Shuffle(); }
    MediaTags Tags() const { return engine_->Tags(); }
    std::vector<MediaTrack> Tracks() const { return engine_->Tracks(); }
    const PlayQueue& Queue() const { return queue_; }
    // The queue entry opened last (its id), once one has opened, or the one
    // kept from the last run that Play opens.
    std::optional<PlayQueue::Id> OpenedEntry() const { return openedId_; }
    // A file URL of a copy of the cover of the entry playing; "" for none.
    QString CoverUrl() const { return coverUrl_; }
    // Whether the file open or opening has sound only (it shows its cover).
    bool SoundOnly() const { return soundOnly_; }
    MediaEngine& Engine() { return *engine_; }

    // What a track is called in menus and notices: its title and language,
    // or its number where the file names neither.
    static QString TrackLabel(const MediaTrack& track);

signals:
    // A file is about to open: whatever shows its video must be on the screen.
    void FileLoading();
    // A file opened and plays (or the next one took over without a gap); its
    // title as the title strip shows it.
    void FileOpened(const QString& title);
    // The entry kept from the last run is the current one: its title as the
    // title strip shows it. Nothing plays until asked.
    void EntryReady(const QString& title);
    // The cover of the sound-only file playing, read off this thread; a null
    // image where it has none. The title is what stands in for it.
    void CoverChanged(const QImage& cover, const QString& title);
    // Nothing plays any more (the end of the last file of the queue).
    void PlaybackEnded();
    void VideoSizeChanged(QSize pixels);
    // What the time label and the seek bar show.
    void ReadoutChanged(const Readout& readout);
    // A short notice for the user ("Vol 80%", "Muted", "Speed 1.5x"), shown
    // for `ms` milliseconds; 0 for the windows' own time.
    void Notice(const QString& text, int ms = 0);
    // Chapters() changed: a file with other chapters opened.
    void ChaptersChanged();
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
    // What is known of the entries in these rows changed (their tags were read).
    void QueueEntriesChanged(qsizetype first, qsizetype last);
    void VolumeChanged();
    // A jump to another place in the file (seconds).
    void Seeked(double seconds);

private:
    void openRow(qsizetype row);
    void openEntry(const PlaylistEntry& entry, std::optional<PlayQueue::Id> id, OpenOrigin origin);
    void opened();
    void movedToNext();
    // The entry (its id, and what is known of it) is the one playing now.
    void becameCurrent(PlayQueue::Id id, const PlaylistEntry& entry);
    // Tells the engine what plays after the entry playing, if anything.
    void updateNext();
    void takeEngineTitle();
    void readCover(const PlaylistEntry& entry);
    void refused(int code, const QString& reason);
    void failed(const QString& reason);
    void ended();
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged();
    void leaveCurrent();
    // The file at `location`, opening from `at` seconds, is the one open now:
    // what was chosen for it is to be chosen again.
    void beginFile(const QString& location, bool part, double at);
    // The stored choices, each once the engine can take it: the timing as
    // soon as the file is open, the tracks once they are listed.
    void restoreTiming();
    void restoreTracks();
    // What is chosen for the file open now, to be kept.
    FileChoices currentChoices() const;
    // A choice of the user's for the file open: it is kept from now on.
    void choiceMade();
    // The path of an external subtitle track: a file loaded for the file open,
    // or the same-name file beside it; "" where neither is.
    QString subtitlePathOf(const MediaTrack& track) const;
    void chapterChanged(int index);
    void chapterNotice(int index, const MediaChapter& chapter);
    int chapterAt(double seconds) const;
    void setDelay(MediaTrack::Kind kind, double seconds);
    void screenshotTaken(const QImage& frame);
    void saveSettings();
    void queueEdited();
    void entryChanged(std::optional<qsizetype> row);
    void saveQueue();
    QString statePath(const char* name) const;
    // The entries from `from` (to the end of the queue, or `count` of them)
    // whose tags are to be read: the current one first.
    std::vector<TagScanner::Job> tagJobs(qsizetype from, qsizetype count = -1,
                                         bool onlyUnknown = false) const;
    void tagsRead(const TagScanner::Results& results);

    std::unique_ptr<MediaEngine> engine_;
    platform::ScreenSaverSwitch& screenSaver_;
    SessionPaths paths_;
    PlayerSettings settings_;
    QTimer saveSettings_;
    QTimer saveQueue_;
    QThreadPool queueWriter_; // one thread: saves are written in the order made
    PlayQueue queue_;
    ResumeStore resume_;
    RecentFiles recent_;
    // The entry being opened, where it came from and where it starts, until
    // the engine answers.
    QString opening_;
    PlaylistEntry openingEntry_;
    std::optional<PlayQueue::Id> openingId_; // none for a file opened by itself
    OpenOrigin openingOrigin_ = OpenOrigin::Single;
    double openingAt_ = 0;
    double position_ = 0;
    double duration_ = 0;
    double savedAt_ = 0; // the position last written to the resume store
    LoopMode loop_ = LoopMode::Off;
    std::optional<PlayQueue::Id> openedId_;
    PlaylistEntry playing_;               // the entry opened last
    std::optional<PlayQueue::Id> nextId_; // the entry the engine plays next
    bool soundOnly_ = false;
    QThreadPool coverReader_; // one thread: the covers, read and copied for the desktop
    quint64 coverSerial_ = 0; // counts the entries opened: an older cover is let go
    QString coverUrl_;
    int lastSubtitle_ = 0; // the subtitle track shown before they were turned off
    static constexpr int kNoChapterYet = -2;
    // What belongs to the file open: what the user chose for it, and what of
    // the choices kept for it is yet to be chosen again.
    struct FileState {
        bool open = false;        // the engine has opened it
        bool choicesMade = false; // by the user, or kept from before
        std::optional<FileChoices> stored;
        bool timingPending = false;
        std::optional<FileChoices> tracksPending; // its tracks and subtitle file only
        QStringList subtitleFiles;                // loaded for it, the last one last
        int chapter = kNoChapterYet;              // the one reported last
        double openedAt = 0;
    };
    FileState file_;
    FileState previousFile_; // the file's before, which plays on should the new one be refused
    TagScanner tags_;
};

} // namespace quarn
