#pragma once

// The playback session: what plays, what plays next and what a refusal means.
// It holds the engine, the play queue, the settings kept between runs and the
// screen saver's hold, and tells the windows what to show through its
// signals. Every way the user has to drive playback (the toolbar, the keys,
// the menus, drops, the command line, the desktop's media controls) calls it.
// It has no widgets of its own.

#include "common/TimeText.h"
#include "engine/MediaEngine.h"
#include "platform/ScreenSaver.h"
#include "session/PlayQueue.h"
#include "session/Settings.h"

#include <QObject>
#include <QSize>
#include <QTimer>
#include <memory>

namespace quarn {

// Where an entry to open comes from, which decides what a refusal of it means.
enum class OpenOrigin {
    // Chosen by itself (the Open dialog, a command line of one file): a
    // refusal is reported in a box and whatever played before goes on.
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

class PlaybackSession : public QObject {
    Q_OBJECT
public:
    enum class Status { Playing, Paused, Stopped };

    // `settingsPath` "" keeps nothing between runs.
    PlaybackSession(std::unique_ptr<MediaEngine> engine, platform::ScreenSaverSwitch& screenSaver,
                    QString settingsPath);
    ~PlaybackSession() override;

    // Files, folders (for their media files) and streams to play one after
    // the other from now on, in place of the queue.
    void PlayEntries(const QStringList& entries);
    // The same, added to the end of the queue; what plays goes on.
    void AddEntries(const QStringList& entries);
    void Open(const QString& entry, OpenOrigin origin);
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

    Status PlaybackStatus() const;
    // The file or stream open or last played; "" for none.
    QString CurrentEntry() const { return engine_->FileName(); }
    double Position() const { return position_; }
    double Duration() const { return duration_; }
    int Volume() const { return engine_->Volume(); }
    bool Muted() const { return engine_->Muted(); }
    MediaTags Tags() const { return engine_->Tags(); }
    const PlayQueue& Queue() const { return queue_; }
    // Counts the files opened: each new one is a new track.
    int TrackNumber() const { return track_; }
    MediaEngine& Engine() { return *engine_; }

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
    // A short notice for the user ("Vol 80%", "Muted").
    void Notice(const QString& text);
    void ProblemFound(const PlaybackProblem& problem);
    // What plays changed: its state, the file, its tags or length, the queue.
    void StateChanged();
    void VolumeChanged();
    // A jump to another place in the file (seconds).
    void Seeked(double seconds);

private:
    void opened();
    void refused(int code, const QString& reason);
    void failed(const QString& reason);
    void ended();
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void showReadout(double position);
    void volumeChanged();
    void saveSettings();

    std::unique_ptr<MediaEngine> engine_;
    platform::ScreenSaverSwitch& screenSaver_;
    QString settingsPath_;
    PlayerSettings settings_;
    QTimer saveSettings_;
    PlayQueue queue_;
    // The entry being opened and where it came from, until the engine answers.
    QString opening_;
    OpenOrigin openingOrigin_ = OpenOrigin::Single;
    double position_ = 0;
    double duration_ = 0;
    int track_ = 0;
};

} // namespace quarn
