#pragma once

#include "engine/MediaEngine.h"
#include "engine/Timeline.h"

#include <QStringList>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct mpv_handle;
struct mpv_event;
struct mpv_event_end_file;
struct mpv_event_property;

namespace quarn {

// Options handed to mpv before it starts, on top of the player's own.
using MpvOptions = std::vector<std::pair<QString, QString>>;

// The media engine over libmpv. With a video window the video is drawn into it
// (mpv's own output embedded in that native window); without one the engine
// plays sound only.
//
// The user-interface thread never waits for mpv: commands go to mpv without
// waiting for their result, and everything the engine knows of mpv (the
// position, the length, the video's size, the ends of files) comes from mpv's
// events, drained on the user-interface thread.
//
// Each file opens with its own default sound and subtitle tracks (a choice
// made in one file is not carried to the next); the speed and looping hold
// until they are changed. Subtitle files next to a film are not loaded of
// themselves: the player hands them over with AddSubtitleFile().
//
// A next file is appended to mpv's playlist behind the open one, which mpv
// then reads ahead and plays on into without closing the sound device (where
// both have the same sound format). While a stream opens or plays, mpv's log
// is read to tell in plain words why it failed. mpv 0.35 deinterlaces always
// or never: Deinterlace::Automatic switches it on for a file once mpv shows a
// picture of it marked interlaced, and off again for the next file.
class MpvEngine final : public MediaEngine {
    Q_OBJECT
public:
    explicit MpvEngine(WId videoWindow, const MpvOptions& extraOptions = {},
                       QObject* parent = nullptr);
    ~MpvEngine() override;

    void SetFileName(const QString& path, double startAt = 0) override;
    void OpenSegment(const MediaSegment& segment, double startAt = 0) override;
    void SetNextFile(const MediaSegment& next) override;
    QString FileName() const override { return fileName_; }
    void Play() override;
    void Pause() override;
    void Stop() override;
    PlaybackState State() const override;
    MediaTags Tags() const override { return tags_; }
    double CurrentPosition() const override;
    void SetCurrentPosition(double seconds) override;
    double Duration() const override;
    void SetSpeed(double factor) override;
    double Speed() const override { return speed_; }
    void SetLoopFile(bool loop) override;
    void StepFrame(bool forward) override;
    std::vector<MediaTrack> Tracks() const override { return tracks_; }
    void SelectTrack(MediaTrack::Kind kind, int id) override;
    void AddSubtitleFile(const QString& path) override;
    void TakeScreenshot() override;
    std::vector<MediaChapter> Chapters() const override { return chapters_; }
    int CurrentChapter() const override { return currentChapter_; }
    void SetChapter(int index) override;
    double SubtitleDelay() const override { return subtitleDelay_; }
    void SetSubtitleDelay(double seconds) override;
    double AudioDelay() const override { return audioDelay_; }
    void SetAudioDelay(double seconds) override;
    double SubtitleScale() const override { return subtitleScale_; }
    void SetSubtitleScale(double factor) override;
    int SubtitlePosition() const override { return subtitlePosition_; }
    void SetSubtitlePosition(int percent) override;
    int SubtitleMargin() const override { return subtitleMargin_; }
    void SetSubtitleMargin(int pixels) override;
    double AspectRatio() const override { return aspectRatio_; }
    void SetAspectRatio(double ratio) override;
    Deinterlace DeinterlaceMode() const override { return deinterlace_; }
    void SetDeinterlace(Deinterlace mode) override;
    int Adjustment(PictureAdjustment which) const override;
    void SetAdjustment(PictureAdjustment which, int value) override;
    ReplayGain ReplayGainMode() const override { return replayGain_; }
    void SetReplayGain(ReplayGain mode) override;
    int Volume() const override { return volume_; }
    void SetVolume(int volume) override;
    bool Muted() const override { return muted_; }
    void SetMuted(bool muted) override;
    void RestartAfterOutputLoss() override;

    // One of mpv's properties as it stands, as text ("" where there is none):
    // for tests and diagnostics, as it waits for mpv.
    QString PropertyText(const char* name) const;

private:
    // Why a file is being loaded, which decides what its answer means.
    // Next: mpv moved on to the next file by itself.
    enum class Purpose { Open, Replay, Resume, Next };
    enum class Load { None, Waiting, Loaded };
    // What played before an open, taken up again should the open be refused.
    struct Resume {
        QString path;
        MediaSegment segment;
        double position = 0;
        bool paused = false;
        bool stopped = false;
        QByteArray audio = "auto"; // the tracks chosen in it, as mpv's aid and sid
        QByteArray subtitle = "auto";
    };

    void createMpv();
    void command(std::initializer_list<QByteArray> args, std::uint64_t replyTo = 0);
    void setFlag(const char* name, bool value);
    void setText(const char* name, const char* value);
    void scheduleDrain();
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void fileEnded(const mpv_event_end_file& end);
    void loadReplied(const mpv_event& event);
    void subtitleReplied(const mpv_event& event);
    void screenshotReplied(const mpv_event& event);
    void videoSizeReported();
    void durationReported();
    void startLoading(const MediaSegment& what, Purpose purpose, double startAt = 0);
    void beginFile(const QString& path, const MediaSegment& segment);
    void nextReplied(const mpv_event& event);
    void endedStream();
    void movedToNext();
    double segmentLength(double fileLength) const;
    void chaptersReported(const mpv_event_property& change);
    void chaptersChanged();
    void logged(const mpv_event& event);
    QString failureReason(const mpv_event_end_file& end, bool opening) const;
    void setNumber(const char* name, double value);
    void setInteger(const char* name, std::int64_t value);
    void applyAdjustments();
    void applySubtitleMargin();
    void reportState();

    static constexpr double kLongestDelay = 3600;
    static constexpr int kMostMargin = 600;
    void preloaded(std::uint64_t hook);
    void notOpened(const QString& reason);
    void refused(const QString& reason);
    void tracksReported(std::vector<MediaTrack> tracks);

    mpv_handle* mpv_ = nullptr;
    WId videoWindow_ = 0;
    MpvOptions extraOptions_;
    QString fileName_;
    MediaSegment segment_; // the part of fileName_ that plays (its start and end)
    double position_ = 0;
    double duration_ = 0;
    double engineDuration_ = 0; // the length as mpv reports it
    Timeline timeline_;
    std::int64_t videoWidth_ = 0; // mpv's display size of the video, 0 when none
    std::int64_t videoHeight_ = 0;
    QSize reportedSize_;
    MediaTags tags_;
    std::vector<MediaTrack> tracks_;
    double speed_ = 1.0;         // as asked for last
    double reportedSpeed_ = 1.0; // as mpv said last
    bool loopFile_ = false;
    QByteArray audioChoice_ = "auto"; // the open file's chosen tracks, as mpv's aid and sid
    QByteArray subtitleChoice_ = "auto";
    bool sizeChanged_ = false;
    bool paused_ = false;
    bool stopped_ = false;
    int volume_ = 100;
    bool muted_ = false;
    QByteArray appliedOutputs_; // the "vo" option as last handed to mpv

    Load load_ = Load::None;
    Purpose purpose_ = Purpose::Open;
    std::uint64_t loadSerial_ = 0; // of the last loadfile sent
    long long entryId_ = -1;       // mpv's playlist entry of the file set last, once named
    long long startedId_ = -1;     // the entry mpv started last
    std::optional<Resume> resume_;
    // The next file as set last, and the one mpv's playlist holds behind the
    // open one as its replies tell (what it moves on to at the end).
    struct Upcoming {
        MediaSegment segment;
        QString located;
        long long entryId = -1;
        std::uint64_t playlist = 0; // the playlist_ it was appended to
    };
    std::optional<Upcoming> next_;
    std::optional<Upcoming> queuedNext_;
    std::deque<Upcoming> pendingAppends_; // sent to mpv, not answered yet
    std::uint64_t playlist_ = 0; // counts mpv's playlists: each load or stop starts a new one
    PlaybackState reportedState_ = PlaybackState::Stopped;
    std::vector<std::pair<double, QString>> engineChapters_; // as mpv lists them
    std::vector<MediaChapter> chapters_;
    int firstChapter_ = 0; // mpv's index of chapters_[0]
    std::int64_t engineChapter_ = -1;
    int currentChapter_ = -1;
    std::unique_ptr<mpv_event_end_file> streamEnd_; // a stream's end, told once its log is read
    QStringList streamLog_; // what FFmpeg said while the stream open now opened or played
    double subtitleDelay_ = 0;
    double audioDelay_ = 0;
    double subtitleScale_ = 1.0;
    int subtitlePosition_ = 100;
    int subtitleMargin_ = 0;
    std::int64_t osdHeight_ = 0; // the height of mpv's output, pixels (0: none)
    double aspectRatio_ = 0;
    Deinterlace deinterlace_ = Deinterlace::Automatic;
    bool interlacedSeen_ = false; // in the open file, for Deinterlace::Automatic
    int adjustments_[4] = {0, 0, 0, 0};
    ReplayGain replayGain_ = ReplayGain::Off;
    double askedStart_ = 0; // where the file set last was asked to start
    double loadBytes_ = 0;  // its size (0: a stream)
    std::atomic<bool> drainPosted_{false};
};

} // namespace quarn
