#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <stdexcept>
#include <vector>

namespace quarn {

// The error a media engine raises when it cannot do what it was asked.
class EngineError : public std::runtime_error {
public:
    // The code of a file that cannot be played.
    static constexpr int kCannotPlay = 5;

    EngineError(int code, const QString& reason)
        : std::runtime_error(reason.toStdString()), code_(code), reason_(reason) {}

    int Code() const { return code_; }
    QString Reason() const { return reason_; }

private:
    int code_;
    QString reason_;
};

// A sound or subtitle track of the open file.
struct MediaTrack {
    enum class Kind { Audio, Subtitle };
    Kind kind = Kind::Audio;
    int id = 0;       // the engine's number for it, from 1
    QString language; // as the file names it ("eng", "de"); "" where it says nothing
    QString title;    // "" where it has none
    bool selected = false;
    bool external = false; // loaded from a file of its own

    friend bool operator==(const MediaTrack&, const MediaTrack&) = default;
};

// What a file says of itself in its tags; empty where it says nothing.
struct MediaTags {
    QString title;
    QString artist;
    QString album;

    friend bool operator==(const MediaTags&, const MediaTags&) = default;
};

// What the player asks of a media engine: open a file and play it, transport
// commands, position and length. Positions and lengths are seconds. The
// engine tells of what happens in it through its signals, on the
// user-interface thread; it draws the video into the window it was given and
// leaves the size and place of that window to its owner.
class MediaEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Destroying an engine stops playback at once and releases everything.
    ~MediaEngine() override = default;

    // Starts opening the file (or the http or https stream); it plays as soon
    // as it is open, from `startAt` seconds. What is plainly no media file
    // (missing, empty, a folder, unreadable) is refused at once with
    // EngineError(kCannotPlay, reason). Otherwise the answer comes later,
    // however long the file takes to open: Opened() when it plays, or
    // Refused(), after which what was open before plays on. An empty path
    // closes whatever is open.
    virtual void SetFileName(const QString& path, double startAt = 0) = 0;
    // The file open or being opened; "" before any.
    virtual QString FileName() const = 0;

    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    // A file is open and its time runs (not paused, stopped or ended).
    virtual bool Playing() const = 0;
    // Nothing plays and nothing waits to go on: no file, or one stopped or
    // played to its end. (Neither playing nor stopped is paused.)
    virtual bool Stopped() const = 0;
    // The open file's tags.
    virtual MediaTags Tags() const = 0;

    // Above 0 while something is playing (or paused past its start).
    virtual double CurrentPosition() const = 0;
    virtual void SetCurrentPosition(double seconds) = 0;
    // Length of the open media, 0 when none.
    virtual double Duration() const = 0;

    // Playback speed, 1.0 being normal; the engine's own bounds hold (what is
    // no speed, 0 or less, is ignored).
    virtual void SetSpeed(double factor) = 0;
    virtual double Speed() const = 0;
    // Plays the open file again from its start whenever it ends, instead of
    // ending (no EndOfStream then).
    virtual void SetLoopFile(bool loop) = 0;
    // One frame forward or back; playback stays paused.
    virtual void StepFrame(bool forward) = 0;

    // The open file's sound and subtitle tracks, as the engine lists them.
    virtual std::vector<MediaTrack> Tracks() const = 0;
    // Plays this track of its kind; id 0 plays none (no subtitles). An id the
    // open file has not is ignored.
    virtual void SelectTrack(MediaTrack::Kind kind, int id) = 0;
    // Loads a subtitle file for the open file and shows it; one that cannot
    // be read as subtitles is told of by SubtitleRefused().
    virtual void AddSubtitleFile(const QString& path) = 0;
    // Takes a picture of the frame shown, at the video's own size and without
    // subtitles: ScreenshotTaken() or ScreenshotFailed() tells of it.
    virtual void TakeScreenshot() = 0;

    // The sound's volume, 0 to 100, and whether it is muted; both hold from
    // one file to the next.
    virtual int Volume() const = 0;
    virtual void SetVolume(int volume) = 0;
    virtual bool Muted() const = 0;
    virtual void SetMuted(bool muted) = 0;

    // The engine's video output broke (its connection to the display, say):
    // the engine starts afresh, and whatever was open is reported as Failed.
    virtual void RestartAfterOutputLoss() = 0;

signals:
    // A file is about to be opened: whatever shows its video must be on the
    // screen before the engine's output is made in it.
    void Loading();
    // The file set last (or played again after its end) is open and plays.
    void Opened();
    // The file set last cannot be played; the reason says why.
    void Refused(int code, const QString& reason);
    // Playback of the open file reached its natural end. Not raised by Stop, by
    // replacing the file or by an error. The argument carries nothing.
    void EndOfStream(int result);
    // The open file stopped with an error after it had opened (or the file
    // that played before a refused one could not be taken up again). Nothing
    // is open afterwards.
    void Failed(const QString& reason);
    // The position or the length changed (seconds).
    void PositionChanged(double seconds);
    void DurationChanged(double seconds);
    // The size of the video as it is to be shown, in pixels; an empty size
    // when the open file has no video.
    void VideoSizeChanged(QSize pixels);
    void TagsChanged();
    // Tracks() changed: a file opened or closed, a track was chosen, a
    // subtitle file was added.
    void TracksChanged();
    // The engine plays at this speed now (after SetSpeed, once it does).
    void SpeedChanged(double factor);
    // The subtitle file handed to AddSubtitleFile() is not shown; the reason
    // says why. What plays goes on as it was.
    void SubtitleRefused(const QString& reason);
    // The answers to TakeScreenshot(), one to each call.
    void ScreenshotTaken(const QImage& frame);
    void ScreenshotFailed(const QString& reason);
};

} // namespace quarn
