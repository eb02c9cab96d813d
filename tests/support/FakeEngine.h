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
    bool Playing() const override { return playing; }
    bool Stopped() const override { return stopped || fileName.isEmpty(); }
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
    }
    void End() {
        playing = false;
        stopped = true;
        emit EndOfStream(0);
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
