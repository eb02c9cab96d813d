#include "session/PlaybackSession.h"

#include "common/FileTitles.h"
#include "platform/FileNames.h"

#include <algorithm>

namespace quarn {

namespace {
// Volume and mute are written this long after their last change.
constexpr int kSettingsDelayMs = 500;
} // namespace

PlaybackSession::PlaybackSession(std::unique_ptr<MediaEngine> engine,
                                 platform::ScreenSaverSwitch& screenSaver, QString settingsPath)
    : engine_(std::move(engine)), screenSaver_(screenSaver),
      settingsPath_(std::move(settingsPath)) {
    MediaEngine* e = engine_.get();
    connect(e, &MediaEngine::Loading, this, &PlaybackSession::FileLoading);
    connect(e, &MediaEngine::Opened, this, &PlaybackSession::opened);
    connect(e, &MediaEngine::Refused, this, &PlaybackSession::refused);
    connect(e, &MediaEngine::EndOfStream, this, &PlaybackSession::ended);
    connect(e, &MediaEngine::Failed, this, &PlaybackSession::failed);
    connect(e, &MediaEngine::PositionChanged, this, &PlaybackSession::positionChanged);
    connect(e, &MediaEngine::DurationChanged, this, &PlaybackSession::durationChanged);
    connect(e, &MediaEngine::VideoSizeChanged, this, &PlaybackSession::VideoSizeChanged);
    connect(e, &MediaEngine::TagsChanged, this, &PlaybackSession::StateChanged);

    if (!settingsPath_.isEmpty()) {
        settings_ = LoadSettings(settingsPath_);
    }
    engine_->SetVolume(settings_.volume);
    engine_->SetMuted(settings_.muted);
    saveSettings_.setSingleShot(true);
    saveSettings_.setInterval(kSettingsDelayMs);
    connect(&saveSettings_, &QTimer::timeout, this, &PlaybackSession::saveSettings);
}

PlaybackSession::~PlaybackSession() {
    if (saveSettings_.isActive()) {
        saveSettings();
    }
}

void PlaybackSession::saveSettings() {
    saveSettings_.stop();
    if (settingsPath_.isEmpty()) {
        return;
    }
    if (const platform::WriteOutcome saved = SaveSettings(settingsPath_, settings_);
        !saved.written) {
        // Kept for this run only; said once.
        qWarning("%s; the settings are kept for this run only", qPrintable(saved.problem));
        settingsPath_.clear();
    }
}

void PlaybackSession::PlayEntries(const QStringList& entries) {
    queue_.Replace(ExpandEntries(entries));
    if (const auto first = queue_.Current()) {
        Open(*first, queue_.Size() > 1 ? OpenOrigin::Queue : OpenOrigin::Single);
    } else if (!entries.isEmpty()) {
        emit ProblemFound({OpenOrigin::Single, EngineError::kCannotPlay,
                           entries.size() == 1 ? entries.first() : QString(),
                           QStringLiteral("No media files were found there.")});
    }
    emit StateChanged();
}

void PlaybackSession::AddEntries(const QStringList& entries) {
    queue_.Append(ExpandEntries(entries));
    emit StateChanged();
}

void PlaybackSession::Open(const QString& entry, OpenOrigin origin) {
    if (entry.isEmpty()) {
        return; // nothing chosen: whatever plays goes on as it was
    }
    opening_ = entry;
    openingOrigin_ = origin;
    try {
        engine_->SetFileName(entry);
    } catch (const EngineError& error) {
        refused(error.Code(), error.Reason());
    }
}

void PlaybackSession::opened() {
    // A file opened by itself is the queue from now on.
    if (queue_.Current() != engine_->FileName()) {
        queue_.Replace({engine_->FileName()});
    }
    opening_.clear();
    screenSaver_.SetActive(false);
    ++track_;
    emit FileOpened(SongTitle(GetFileName(platform::ReadableFileName(engine_->FileName()))));
    emit StateChanged();
}

void PlaybackSession::refused(int code, const QString& reason) {
    const QString entry = std::exchange(opening_, QString());
    const OpenOrigin origin = openingOrigin_;
    emit ProblemFound({origin, code, entry, reason});
    // A file of the queue that cannot be played is passed over.
    if (origin == OpenOrigin::Queue && queue_.HasNext()) {
        Open(*queue_.Next(), OpenOrigin::Queue);
    }
    emit StateChanged();
}

void PlaybackSession::failed(const QString& reason) {
    const bool inQueue = queue_.HasNext();
    emit ProblemFound({inQueue ? OpenOrigin::Queue : OpenOrigin::Single, EngineError::kCannotPlay,
                       queue_.Current().value_or(QString()), reason});
    ended();
}

void PlaybackSession::ended() {
    // The queue goes on; only after its last file is the player reset.
    if (queue_.HasNext()) {
        Open(*queue_.Next(), OpenOrigin::Queue);
        return;
    }
    position_ = 0;
    // Nothing plays any more: the screen saver may come back.
    screenSaver_.SetActive(true);
    emit PlaybackEnded();
    emit StateChanged();
}

void PlaybackSession::positionChanged(double seconds) {
    position_ = seconds;
    if (const auto readout = PlaybackReadout(position_, duration_)) {
        emit ReadoutChanged(*readout);
    }
}

void PlaybackSession::durationChanged(double seconds) {
    duration_ = seconds;
    if (const auto readout = PlaybackReadout(position_, duration_)) {
        emit ReadoutChanged(*readout);
    }
    emit StateChanged();
}

void PlaybackSession::Play() {
    if (engine_->FileName().isEmpty()) {
        return;
    }
    engine_->Play();
    screenSaver_.SetActive(false);
    emit StateChanged();
}

void PlaybackSession::Pause() {
    if (!engine_->FileName().isEmpty()) {
        engine_->Pause();
        emit StateChanged();
    }
}

void PlaybackSession::PlayPause() {
    if (engine_->Playing()) {
        Pause();
    } else {
        Play();
    }
}

void PlaybackSession::Stop() {
    engine_->Stop();
    screenSaver_.SetActive(true);
    // Stopped, the file is held at its start: the time and the seek bar say so.
    position_ = 0;
    if (!engine_->FileName().isEmpty()) {
        emit ReadoutChanged(ReadoutAt(0, duration_));
    }
    emit StateChanged();
}

void PlaybackSession::Next() {
    if (const auto entry = queue_.Next()) {
        Open(*entry, OpenOrigin::Queue);
        emit StateChanged();
    }
}

void PlaybackSession::Previous() {
    if (const auto entry = queue_.Previous()) {
        Open(*entry, OpenOrigin::Queue);
        emit StateChanged();
    }
}

void PlaybackSession::SeekBy(double seconds) {
    SeekTo(position_ + seconds);
}

void PlaybackSession::SeekTo(double seconds) {
    if (engine_->FileName().isEmpty()) {
        return;
    }
    double to = std::max(0.0, seconds);
    if (duration_ > 0) {
        to = std::min(to, duration_);
    }
    engine_->SetCurrentPosition(to);
    position_ = to;
    emit Seeked(to);
}

void PlaybackSession::ChangeVolume(int points) {
    SetVolume(engine_->Volume() + points);
}

void PlaybackSession::SetVolume(int volume) {
    engine_->SetVolume(std::clamp(volume, 0, 100));
    volumeChanged();
}

void PlaybackSession::ToggleMute() {
    engine_->SetMuted(!engine_->Muted());
    volumeChanged();
}

void PlaybackSession::volumeChanged() {
    emit Notice(engine_->Muted() ? QStringLiteral("Muted")
                                 : QStringLiteral("Vol %1%").arg(engine_->Volume()));
    settings_ = {engine_->Volume(), engine_->Muted()};
    saveSettings_.start();
    emit VolumeChanged();
}

void PlaybackSession::SetSpeed(double factor) {
    engine_->SetSpeed(factor);
}

PlaybackSession::Status PlaybackSession::PlaybackStatus() const {
    if (engine_->Playing()) {
        return Status::Playing;
    }
    return engine_->Stopped() ? Status::Stopped : Status::Paused;
}

} // namespace quarn
