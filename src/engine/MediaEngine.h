#pragma once

#include "common/PlaybackState.h"

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

// A chapter of the open file: where it starts (seconds, on the time shown)
// and its title ("" where the file names none).
struct MediaChapter {
    double start = 0;
    QString title;

    friend bool operator==(const MediaChapter&, const MediaChapter&) = default;
};

// A file, or the part of it from `start` to `end` seconds (a cue sheet's
// track): what is shown of it then is that part alone, its time running from 0
// to end - start. An end of -1 is the file's own end.
struct MediaSegment {
    QString path;
    double start = 0;
    double end = -1;

    friend bool operator==(const MediaSegment&, const MediaSegment&) = default;
};

// How interlaced video is shown: Automatic deinterlaces a file once its
// decoder marks a picture of it as interlaced.
enum class Deinterlace { Automatic, On, Off };
// The loudness a file's ReplayGain tags ask for: none, the track's, or the
// album's (the track's where the file names no album gain).
enum class ReplayGain { Off, Track, Album };
// The picture's equalizer, each -100 to 100 (0 leaves the picture as it is).
enum class PictureAdjustment { Brightness, Contrast, Saturation, Gamma };

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
    // As SetFileName(), for a part of a file: positions, the length, chapters
    // and `startAt` are then on the part's own time. A start that is no time
    // or below 0 is the file's start; an end at or before the start, its end.
    virtual void OpenSegment(const MediaSegment& segment, double startAt = 0) = 0;
    // What plays once the open file (or the one opening) reaches its end: it
    // follows without a gap, and MovedToNext() tells when it has taken over,
    // in place of EndOfStream(). A new next file replaces the one set before;
    // an empty path takes it back. Only a file of the same kind as the open
    // one (both local, or both streams) follows this way, and only one that is
    // plainly a file: for any other the open file ends as usual, and the
    // caller opens that one then and learns what is wrong with it. Opening
    // another file, closing, or the open file's end with nothing taken over
    // forgets the next file.
    virtual void SetNextFile(const MediaSegment& next) = 0;
    // The file open or being opened; "" before any.
    virtual QString FileName() const = 0;

    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual PlaybackState State() const = 0;
    // A file is open, or opening, and its time runs (or will once it is open).
    bool Playing() const {
        return State() == PlaybackState::Playing || State() == PlaybackState::Opening;
    }
    // Nothing plays and nothing waits to go on: no file, or one stopped or
    // played to its end. (Neither playing nor stopped is paused.)
    bool Stopped() const {
        return State() == PlaybackState::Stopped || State() == PlaybackState::Ended;
    }
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

    // The open file's chapters, in order; CurrentChapter() is the index of the
    // one playing, -1 before the first or where there are none. SetChapter()
    // goes to the start of one; an index out of range is ignored.
    virtual std::vector<MediaChapter> Chapters() const = 0;
    virtual int CurrentChapter() const = 0;
    virtual void SetChapter(int index) = 0;

    // The delays (seconds; above 0 shows subtitles, or plays the sound, later)
    // and the aspect ratio belong to the open file: each file opens with none,
    // so a correction made for one file is not carried to the next. The rest
    // of the settings below hold from one file to the next until changed.
    // AdjustmentsChanged() tells of every change.
    virtual double SubtitleDelay() const = 0;
    virtual void SetSubtitleDelay(double seconds) = 0;
    virtual double AudioDelay() const = 0;
    virtual void SetAudioDelay(double seconds) = 0;
    // The subtitles' size, 1.0 being normal, from 0.5 to 3.
    virtual double SubtitleScale() const = 0;
    virtual void SetSubtitleScale(double factor) = 0;
    // Where subtitles stand, in percent of the picture's height from its top:
    // 100 (normal) at the bottom, 0 to 150.
    virtual int SubtitlePosition() const = 0;
    virtual void SetSubtitlePosition(int percent) = 0;
    // Room kept free below the subtitles, in pixels of the window (or the
    // screen), above where they would stand: full-screen controls push them
    // above themselves this way. 0 (none) to 600.
    virtual int SubtitleMargin() const = 0;
    virtual void SetSubtitleMargin(int pixels) = 0;
    // The picture's width over its height as shown; 0 takes the file's own.
    virtual double AspectRatio() const = 0;
    virtual void SetAspectRatio(double ratio) = 0;
    virtual Deinterlace DeinterlaceMode() const = 0;
    virtual void SetDeinterlace(Deinterlace mode) = 0;
    virtual int Adjustment(PictureAdjustment which) const = 0;
    virtual void SetAdjustment(PictureAdjustment which, int value) = 0;
    // Loudness from the files' ReplayGain tags, lowered where it would clip;
    // files without tags play as they are.
    virtual ReplayGain ReplayGainMode() const = 0;
    virtual void SetReplayGain(ReplayGain mode) = 0;

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
    // The next file (SetNextFile) took over from the one that ended: its name
    // is FileName() now, and its length, tracks, tags and position follow
    // as they do after Opened(). Should it not open after all, Refused() tells.
    void MovedToNext();
    // State() changed.
    void StateChanged(PlaybackState state);
    // The file set last cannot be played; the reason says why. For a stream
    // the reason tells what failed ("The address could not be reached.").
    void Refused(int code, const QString& reason);
    // Playback of the open file reached its natural end. Not raised by Stop, by
    // replacing the file, by an error or where a next file takes over. The
    // argument carries nothing.
    void EndOfStream(int result);
    // The open file stopped with an error after it had opened (or the file
    // that played before a refused one could not be taken up again, or a
    // stream broke off before its end). Nothing is open afterwards.
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
    // Chapters() changed (a file opened or closed), or the chapter playing.
    void ChaptersChanged();
    void ChapterChanged(int index);
    // One of the timing, picture or loudness settings changed.
    void AdjustmentsChanged();
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
