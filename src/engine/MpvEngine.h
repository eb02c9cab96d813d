#pragma once

#include "engine/MediaEngine.h"
#include "engine/Timeline.h"

#include <QWidget>
#include <atomic>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

struct mpv_handle;
struct mpv_event;
struct mpv_event_end_file;

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
class MpvEngine final : public MediaEngine {
    Q_OBJECT
public:
    explicit MpvEngine(WId videoWindow, const MpvOptions& extraOptions = {},
                       QObject* parent = nullptr);
    ~MpvEngine() override;

    void SetFileName(const QString& path, double startAt = 0) override;
    QString FileName() const override { return fileName_; }
    void Play() override;
    void Pause() override;
    void Stop() override;
    bool Playing() const override;
    bool Stopped() const override;
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
    int Volume() const override { return volume_; }
    void SetVolume(int volume) override;
    bool Muted() const override { return muted_; }
    void SetMuted(bool muted) override;
    void RestartAfterOutputLoss() override;

private:
    // Why a file is being loaded, which decides what its answer means.
    enum class Purpose { Open, Replay, Resume };
    enum class Load { None, Waiting, Loaded };
    // What played before an open, taken up again should the open be refused.
    struct Resume {
        QString path;
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
    void startLoading(const QString& path, Purpose purpose, double startAt = 0);
    void notOpened(const QString& reason);
    void refused(const QString& reason);
    void tracksReported(std::vector<MediaTrack> tracks);

    mpv_handle* mpv_ = nullptr;
    WId videoWindow_ = 0;
    MpvOptions extraOptions_;
    QString fileName_;
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
    std::atomic<bool> drainPosted_{false};
};

} // namespace quarn
