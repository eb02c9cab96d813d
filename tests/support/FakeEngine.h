#pragma once

#include "engine/MediaEngine.h"
#include "platform/ScreenSaver.h"

#include <QStringList>

namespace quarn::test {

// A media engine that plays nothing: it records the commands it is given,
// opens every file at once unless told to refuse, and reports whatever
// position and length the test sets.
class FakeEngine : public MediaEngine {
    Q_OBJECT
public:
    void SetFileName(const QString& path, double startAt = 0) override {
        calls << QStringLiteral("FileName=") + path +
                     (startAt > 0 ? QStringLiteral("@%1").arg(startAt) : QString());
        if (refuse && !path.isEmpty()) {
            throw EngineError(refuseCode, QStringLiteral("refused by the test"));
        }
        fileName = path;
        playing = !path.isEmpty();
        stopped = false;
        if (playing) {
            emit Opened();
        }
    }
    void OpenSegment(const MediaSegment& segment, double startAt = 0) override {
        calls << QStringLiteral("Segment=%1[%2,%3]")
                     .arg(segment.path)
                     .arg(segment.start)
                     .arg(segment.end);
        SetFileName(segment.path, startAt);
    }
    void SetNextFile(const MediaSegment& segment) override { next = segment; }
    QString FileName() const override { return fileName; }
    void Play() override {
        calls << QStringLiteral("Play");
        playing = !fileName.isEmpty();
        stopped = false;
    }
    void Pause() override {
        calls << QStringLiteral("Pause");
        playing = false;
    }
    void Stop() override {
        calls << QStringLiteral("Stop");
        playing = false;
        stopped = true;
    }
    PlaybackState State() const override {
        if (fileName.isEmpty() || stopped) {
            return PlaybackState::Stopped;
        }
        return playing ? PlaybackState::Playing : PlaybackState::Paused;
    }
    MediaTags Tags() const override { return {}; }
    double CurrentPosition() const override { return position; }
    void SetCurrentPosition(double seconds) override {
        calls << QStringLiteral("Seek=%1").arg(seconds);
        position = seconds;
    }
    double Duration() const override { return duration; }
    void SetSpeed(double factor) override {
        speed = factor;
        emit SpeedChanged(factor);
    }
    double Speed() const override { return speed; }
    void SetLoopFile(bool loop) override { calls << QStringLiteral("Loop=%1").arg(loop); }
    void StepFrame(bool forward) override { calls << (forward ? "Step+" : "Step-"); }
    std::vector<MediaTrack> Tracks() const override { return tracks; }
    void SelectTrack(MediaTrack::Kind kind, int id) override {
        for (MediaTrack& track : tracks) {
            if (track.kind == kind) {
                track.selected = track.id == id;
            }
        }
        emit TracksChanged();
    }
    void AddSubtitleFile(const QString& path) override { calls << "Subtitle=" + path; }
    void TakeScreenshot() override { calls << QStringLiteral("Screenshot"); }
    std::vector<MediaChapter> Chapters() const override { return chapters; }
    int CurrentChapter() const override { return chapter; }
    void SetChapter(int index) override {
        calls << QStringLiteral("Chapter=%1").arg(index);
        if (index >= 0 && index < int(chapters.size())) {
            position = chapters[std::size_t(index)].start;
            reportChapter();
        }
    }
    double SubtitleDelay() const override { return subtitleDelay; }
    void SetSubtitleDelay(double seconds) override { subtitleDelay = seconds; }
    double AudioDelay() const override { return audioDelay; }
    void SetAudioDelay(double seconds) override { audioDelay = seconds; }
    double SubtitleScale() const override { return subtitleScale; }
    void SetSubtitleScale(double factor) override { subtitleScale = factor; }
    int SubtitlePosition() const override { return subtitlePosition; }
    void SetSubtitlePosition(int percent) override { subtitlePosition = percent; }
    int SubtitleMargin() const override { return subtitleMargin; }
    void SetSubtitleMargin(int pixels) override { subtitleMargin = pixels; }
    double AspectRatio() const override { return aspectRatio; }
    void SetAspectRatio(double ratio) override { aspectRatio = ratio; }
    Deinterlace DeinterlaceMode() const override { return deinterlace; }
    void SetDeinterlace(Deinterlace mode) override { deinterlace = mode; }
    int Adjustment(PictureAdjustment which) const override { return adjustments[int(which)]; }
    void SetAdjustment(PictureAdjustment which, int value) override {
        adjustments[int(which)] = value;
    }
    ReplayGain ReplayGainMode() const override { return replayGain; }
    void SetReplayGain(ReplayGain mode) override { replayGain = mode; }
    int Volume() const override { return volume; }
    void SetVolume(int level) override { volume = level; }
    bool Muted() const override { return muted; }
    void SetMuted(bool on) override { muted = on; }
    void RestartAfterOutputLoss() override { calls << QStringLiteral("Restart"); }

    // What the real engine reports as a file plays.
    void Report(double newPosition, double newDuration) {
        position = newPosition;
        if (newDuration != duration) {
            duration = newDuration;
            emit DurationChanged(duration);
        }
        emit PositionChanged(position);
        reportChapter();
    }
    // The chapter the position is in, told when it changes.
    void reportChapter() {
        int at = -1;
        while (at + 1 < int(chapters.size()) && chapters[std::size_t(at + 1)].start <= position) {
            ++at;
        }
        if (at != chapter) {
            chapter = at;
            emit ChapterChanged(at);
        }
    }
    void End() {
        playing = false;
        stopped = true;
        emit EndOfStream(0);
    }
    // The next file takes over at the open one's end, without a gap.
    void MoveToNext() {
        fileName = std::exchange(next, MediaSegment{}).path;
        emit MovedToNext();
    }

    QStringList calls;
    QString fileName;
    bool playing = false;
    bool stopped = false;
    std::vector<MediaTrack> tracks;
    bool refuse = false;
    int refuseCode = EngineError::kCannotPlay;
    double position = 0;
    double duration = 0;
    double speed = 1.0;
    int volume = 100;
    bool muted = false;
    MediaSegment next;
    std::vector<MediaChapter> chapters;
    int chapter = -1;
    double subtitleDelay = 0;
    double audioDelay = 0;
    double subtitleScale = 1.0;
    int subtitlePosition = 100;
    int subtitleMargin = 22;
    double aspectRatio = 0;
    Deinterlace deinterlace = Deinterlace::Automatic;
    int adjustments[4] = {0, 0, 0, 0};
    ReplayGain replayGain = ReplayGain::Off;
};

// The screen-saver switch, recording "on" and "off" instead of switching.
class RecordingSaver : public platform::ScreenSaverSwitch {
public:
    void SetActive(bool active) override { record << (active ? "on" : "off"); }
    QStringList record;
};

// The id of the track of this kind that plays, 0 when none does.
inline int SelectedTrack(const std::vector<MediaTrack>& tracks, MediaTrack::Kind kind) {
    for (const MediaTrack& track : tracks) {
        if (track.kind == kind && track.selected) {
            return track.id;
        }
    }
    return 0;
}

} // namespace quarn::test
