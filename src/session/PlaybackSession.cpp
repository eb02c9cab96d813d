#include "session/PlaybackSession.h"

#include "common/FileTitles.h"
#include "common/Rounding.h"
#include "common/StreamUrl.h"
#include "platform/FileNames.h"
#include "session/QueueStore.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

namespace quarn {

namespace {

// Volume, mute and the queue are written this long after their last change.
constexpr int kSaveDelayMs = 500;
// While a file plays, where it is reaches the resume store this often, so
// that a crash loses little.
constexpr double kResumeEverySeconds = 10;

QString speedText(double factor) {
    return std::abs(factor - 1.0) < 1e-9 ? QStringLiteral("Speed normal")
                                         : QStringLiteral("Speed %1x").arg(factor);
}

} // namespace

PlaybackSession::PlaybackSession(std::unique_ptr<MediaEngine> engine,
                                 platform::ScreenSaverSwitch& screenSaver, SessionPaths paths)
    : engine_(std::move(engine)), screenSaver_(screenSaver), paths_(std::move(paths)),
      resume_(statePath("resume.json")), recent_(statePath("recent.json")) {
    MediaEngine* e = engine_.get();
    connect(e, &MediaEngine::Loading, this, &PlaybackSession::FileLoading);
    connect(e, &MediaEngine::Opened, this, &PlaybackSession::opened);
    connect(e, &MediaEngine::Refused, this, &PlaybackSession::refused);
    connect(e, &MediaEngine::EndOfStream, this, &PlaybackSession::ended);
    connect(e, &MediaEngine::Failed, this, &PlaybackSession::failed);
    connect(e, &MediaEngine::PositionChanged, this, &PlaybackSession::positionChanged);
    connect(e, &MediaEngine::DurationChanged, this, &PlaybackSession::durationChanged);
    connect(e, &MediaEngine::VideoSizeChanged, this, &PlaybackSession::VideoSizeChanged);
    connect(e, &MediaEngine::TracksChanged, this, &PlaybackSession::StateChanged);
    connect(e, &MediaEngine::SpeedChanged, this, &PlaybackSession::StateChanged);
    connect(e, &MediaEngine::TagsChanged, this, [this] {
        if (const auto row = queue_.CurrentRow(); row && !engine_->Tags().title.isEmpty()) {
            queue_.SetTitle(*row, engine_->Tags().title);
            entryChanged(row);
        }
        emit StateChanged();
    });
    connect(e, &MediaEngine::SubtitleRefused, this, [this](const QString& reason) {
        emit Notice(QStringLiteral("Subtitles not loaded: ") + reason);
    });
    connect(e, &MediaEngine::ScreenshotTaken, this, &PlaybackSession::screenshotTaken);
    connect(e, &MediaEngine::ScreenshotFailed, this, [this](const QString& reason) {
        emit Notice(QStringLiteral("No screenshot: ") + reason);
    });

    if (!paths_.settings.isEmpty()) {
        settings_ = LoadSettings(paths_.settings);
    }
    engine_->SetVolume(settings_.volume);
    engine_->SetMuted(settings_.muted);
    for (QTimer* timer : {&saveSettings_, &saveQueue_}) {
        timer->setSingleShot(true);
        timer->setInterval(kSaveDelayMs);
    }
    connect(&saveSettings_, &QTimer::timeout, this, &PlaybackSession::saveSettings);
    connect(&saveQueue_, &QTimer::timeout, this, &PlaybackSession::saveQueue);
}

PlaybackSession::~PlaybackSession() {
    leaveCurrent();
    if (saveSettings_.isActive()) {
        saveSettings();
    }
    if (saveQueue_.isActive()) {
        saveQueue();
    }
}

QString PlaybackSession::statePath(const char* name) const {
    return paths_.state.isEmpty() ? QString()
                                  : QDir(paths_.state).filePath(QString::fromLatin1(name));
}

void PlaybackSession::saveSettings() {
    saveSettings_.stop();
    if (paths_.settings.isEmpty()) {
        return;
    }
    if (const platform::WriteOutcome saved = SaveSettings(paths_.settings, settings_);
        !saved.written) {
        // Kept for this run only; said once.
        qWarning("%s; the settings are kept for this run only", qPrintable(saved.problem));
        paths_.settings.clear();
    }
}

void PlaybackSession::saveQueue() {
    saveQueue_.stop();
    if (!paths_.state.isEmpty()) {
        SaveQueue(statePath("queue.json"), {queue_.Entries(), queue_.CurrentRow().value_or(0)});
    }
}

void PlaybackSession::queueEdited() {
    saveQueue_.start();
    emit QueueChanged();
    emit StateChanged();
}

void PlaybackSession::entryChanged(std::optional<qsizetype> row) {
    if (row) {
        emit QueueEntryChanged(*row);
    }
    saveQueue_.start();
}

// The queue ------------------------------------------------------------------

void PlaybackSession::PlayEntries(const QStringList& entries) {
    const Expansion expanded = ExpandEntries(entries);
    for (const QString& problem : expanded.problems) {
        emit ProblemFound({OpenOrigin::Queue, EngineError::kCannotPlay, QString(), problem});
    }
    const auto missing = std::count_if(expanded.entries.begin(), expanded.entries.end(),
                                       [](const PlaylistEntry& e) { return e.missing; });
    if (missing > 0) {
        emit ProblemFound({OpenOrigin::Queue, EngineError::kCannotPlay, QString(),
                           QStringLiteral("%1 of the files listed are missing and are passed over.")
                               .arg(missing)});
    }
    if (expanded.entries.empty()) {
        if (!entries.isEmpty() && expanded.problems.isEmpty()) {
            emit ProblemFound({OpenOrigin::Single, EngineError::kCannotPlay,
                               entries.size() == 1 ? entries.first() : QString(),
                               QStringLiteral("No media files were found there.")});
        }
        return;
    }
    leaveCurrent();
    emit QueueChanging();
    queue_.Replace(expanded.entries);
    queueEdited();
    std::optional<qsizetype> first = queue_.CurrentRow();
    if (first && queue_.At(*first).missing) {
        first = queue_.NextRow(false);
    }
    if (first) {
        queue_.SetCurrent(*first);
        Open(queue_.At(*first).location,
             queue_.Size() > 1 ? OpenOrigin::Queue : OpenOrigin::Single);
    }
}

void PlaybackSession::AddEntries(const QStringList& entries, qsizetype at) {
    const Expansion expanded = ExpandEntries(entries);
    for (const QString& problem : expanded.problems) {
        emit ProblemFound({OpenOrigin::Queue, EngineError::kCannotPlay, QString(), problem});
    }
    const bool idle = engine_->FileName().isEmpty() || PlaybackStatus() == Status::Stopped;
    const qsizetype firstAdded = at >= 0 && at <= queue_.Size() ? at : queue_.Size();
    emit QueueChanging();
    queue_.Insert(firstAdded, expanded.entries);
    queueEdited();
    // Added to a player that plays nothing, they play.
    if (idle && engine_->FileName().isEmpty() && !expanded.entries.empty()) {
        PlayRow(firstAdded);
    }
}

void PlaybackSession::RestoreQueue() {
    const StoredQueue stored = LoadQueue(statePath("queue.json"));
    if (stored.entries.empty()) {
        return;
    }
    emit QueueChanging();
    queue_.Replace(stored.entries, stored.current);
    emit QueueChanged();
    emit StateChanged();
}

void PlaybackSession::PlayRow(qsizetype row) {
    if (row < 0 || row >= queue_.Size()) {
        return;
    }
    const std::optional<qsizetype> before = queue_.CurrentRow();
    queue_.SetCurrent(row);
    entryChanged(before);
    entryChanged(row);
    Open(queue_.At(row).location, OpenOrigin::Queue);
}

void PlaybackSession::openRow(qsizetype row) {
    PlayRow(row);
}

void PlaybackSession::RemoveRows(const QList<qsizetype>& rows) {
    emit QueueChanging();
    queue_.Remove(rows);
    queueEdited();
}

void PlaybackSession::UndoRemoval() {
    emit QueueChanging();
    queue_.UndoRemoval();
    queueEdited();
}

void PlaybackSession::MoveRows(const QList<qsizetype>& rows, qsizetype to) {
    emit QueueChanging();
    queue_.Move(rows, to);
    queueEdited();
}

platform::WriteOutcome PlaybackSession::SaveQueueAs(const QString& path) const {
    return platform::WriteUserFile(path,
                                   WriteM3u8(queue_.Entries(), QFileInfo(path).absolutePath()));
}

void PlaybackSession::Open(const QString& entry, OpenOrigin origin) {
    if (entry.isEmpty()) {
        return; // nothing chosen: whatever plays goes on as it was
    }
    // A playlist chosen by itself is its entries.
    if (origin == OpenOrigin::Single && !IsStreamUrl(entry) && IsPlaylistFileName(entry)) {
        PlayEntries({entry});
        return;
    }
    leaveCurrent();
    opening_ = entry;
    openingOrigin_ = origin;
    openingAt_ = resume_.PositionFor(entry).value_or(0);
    try {
        engine_->SetFileName(entry, openingAt_);
    } catch (const EngineError& error) {
        refused(error.Code(), error.Reason());
    }
}

void PlaybackSession::OpenRecent(const QString& entry) {
    if (!IsStreamUrl(entry) && !platform::InspectFile(entry).exists) {
        recent_.Remove(entry);
        recent_.Save();
        emit ProblemFound({OpenOrigin::Single, EngineError::kCannotPlay, entry,
                           QStringLiteral("The file does not exist.")});
        return;
    }
    PlayEntries({entry});
}

void PlaybackSession::opened() {
    const QString entry = engine_->FileName();
    // A file opened by itself is the queue from now on.
    if (queue_.Current() != entry) {
        PlaylistEntry only;
        only.location = entry;
        only.stream = IsStreamUrl(entry);
        emit QueueChanging();
        queue_.Replace({only});
        queueEdited();
    }
    const bool resumed = !opening_.isEmpty() && openingAt_ > 0;
    savedAt_ = resumed ? openingAt_ : 0;
    opening_.clear();
    screenSaver_.SetActive(false);
    if (const auto row = queue_.CurrentRow()) {
        openedId_ = queue_.IdAt(*row);
    }
    if (!paths_.state.isEmpty()) {
        recent_.Add(entry);
        recent_.Save();
    }
    emit FileOpened(SongTitle(GetFileName(platform::ReadableFileName(entry))));
    if (resumed) {
        emit Notice(QStringLiteral("Resumed at ") + TimeString(RoundToInt32(openingAt_)));
    }
    emit StateChanged();
}

void PlaybackSession::refused(int code, const QString& reason) {
    const QString entry = std::exchange(opening_, QString());
    const OpenOrigin origin = openingOrigin_;
    emit ProblemFound({origin, code, entry, reason});
    const std::optional<qsizetype> row = queue_.CurrentRow();
    if (row && queue_.At(*row).location == entry && !platform::InspectFile(entry).exists &&
        !IsStreamUrl(entry)) {
        queue_.SetMissing(*row, true);
        entryChanged(row);
    }
    // A file of the queue that cannot be played is passed over (once round).
    if (origin == OpenOrigin::Queue) {
        if (const auto next = queue_.NextRow(false)) {
            openRow(*next);
        }
    }
    emit StateChanged();
}

void PlaybackSession::failed(const QString& reason) {
    const bool inQueue = queue_.NextRow(loop_ == Loop::Queue).has_value();
    emit ProblemFound({inQueue ? OpenOrigin::Queue : OpenOrigin::Single, EngineError::kCannotPlay,
                       queue_.Current().value_or(QString()), reason});
    ended();
}

void PlaybackSession::ended() {
    if (const auto entry = queue_.Current()) {
        resume_.Finished(*entry);
        if (!paths_.state.isEmpty()) {
            resume_.Save();
        }
    }
    position_ = 0;
    // The queue goes on; only after its last file is the player reset.
    if (const auto next = queue_.NextRow(loop_ == Loop::Queue)) {
        openRow(*next);
        return;
    }
    // Nothing plays any more: the screen saver may come back.
    screenSaver_.SetActive(true);
    emit PlaybackEnded();
    emit StateChanged();
}

void PlaybackSession::leaveCurrent() {
    const QString entry = engine_->FileName();
    if (entry.isEmpty() || position_ <= 0 || paths_.state.isEmpty()) {
        return;
    }
    resume_.Left(entry, position_, duration_);
    resume_.Save();
}

void PlaybackSession::positionChanged(double seconds) {
    position_ = seconds;
    if (const auto readout = PlaybackReadout(position_, duration_)) {
        emit ReadoutChanged(*readout);
    }
    // Written as it plays, so that a crash loses little.
    if (engine_->Playing() && std::abs(position_ - savedAt_) >= kResumeEverySeconds) {
        savedAt_ = position_;
        leaveCurrent();
    }
}

void PlaybackSession::durationChanged(double seconds) {
    duration_ = seconds;
    if (const auto readout = PlaybackReadout(position_, duration_)) {
        emit ReadoutChanged(*readout);
    }
    if (const auto row = queue_.CurrentRow(); row && seconds > 0) {
        queue_.SetLength(*row, seconds);
        entryChanged(row);
    }
    emit StateChanged();
}

// The transport -------------------------------------------------------------

void PlaybackSession::Play() {
    if (engine_->FileName().isEmpty()) {
        // A queue kept from the last run goes on where it was left.
        if (const auto row = queue_.CurrentRow()) {
            PlayRow(*row);
        }
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
    leaveCurrent();
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
    if (const auto row = queue_.NextRow(loop_ == Loop::Queue)) {
        openRow(*row);
    }
}

void PlaybackSession::Previous() {
    if (const auto row = queue_.PreviousRow(loop_ == Loop::Queue)) {
        openRow(*row);
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

void PlaybackSession::StepFrame(bool forward) {
    if (!engine_->FileName().isEmpty()) {
        engine_->StepFrame(forward);
        emit StateChanged();
    }
}

// The sound and the speed -------------------------------------------------------

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
    settings_.volume = engine_->Volume();
    settings_.muted = engine_->Muted();
    saveSettings_.start();
    emit VolumeChanged();
}

void PlaybackSession::SetPlaylistWindow(bool shown, int height) {
    settings_.playlistShown = shown;
    settings_.playlistHeight = height;
    saveSettings_.start();
}

void PlaybackSession::SetSpeed(double factor) {
    if (std::isnan(factor)) {
        return;
    }
    factor = std::round(std::clamp(factor, kSlowest, kFastest) * 100) / 100;
    engine_->SetSpeed(factor);
    emit Notice(speedText(factor));
    emit StateChanged();
}

void PlaybackSession::ChangeSpeed(double by) {
    SetSpeed(engine_->Speed() + by);
}

void PlaybackSession::SetLoop(Loop loop) {
    loop_ = loop;
    engine_->SetLoopFile(loop == Loop::File);
    const char* texts[] = {"Loop off", "Loop this file", "Loop the queue"};
    emit Notice(QString::fromLatin1(texts[int(loop)]));
    emit StateChanged();
}

void PlaybackSession::CycleLoop() {
    SetLoop(static_cast<Loop>((int(loop_) + 1) % 3));
}

void PlaybackSession::SetShuffle(bool on) {
    queue_.SetShuffle(on, QRandomGenerator::global()->generate());
    emit Notice(on ? QStringLiteral("Shuffle on") : QStringLiteral("Shuffle off"));
    emit StateChanged();
}

// Tracks ----------------------------------------------------------------------

QString PlaybackSession::TrackLabel(const MediaTrack& track) {
    QStringList parts;
    if (!track.title.isEmpty()) {
        parts << track.title;
    }
    if (!track.language.isEmpty()) {
        parts << (parts.isEmpty() ? track.language : QStringLiteral("(%1)").arg(track.language));
    }
    return parts.isEmpty() ? QStringLiteral("Track %1").arg(track.id) : parts.join(u' ');
}

void PlaybackSession::SelectTrack(MediaTrack::Kind kind, int id) {
    const bool subtitles = kind == MediaTrack::Kind::Subtitle;
    QString label;
    for (const MediaTrack& track : engine_->Tracks()) {
        if (track.kind == kind && track.id == id) {
            label = TrackLabel(track);
        }
    }
    if (id != 0 && label.isEmpty()) {
        return; // no such track
    }
    engine_->SelectTrack(kind, id);
    if (subtitles && id != 0) {
        lastSubtitle_ = id;
    }
    emit Notice(id == 0 ? QStringLiteral("Subtitles off")
                        : (subtitles ? QStringLiteral("Subtitles: ") : QStringLiteral("Audio: ")) +
                              label);
    emit StateChanged();
}

void PlaybackSession::ToggleSubtitles() {
    std::vector<int> ids;
    int shown = 0;
    for (const MediaTrack& track : engine_->Tracks()) {
        if (track.kind == MediaTrack::Kind::Subtitle) {
            ids.push_back(track.id);
            shown = track.selected ? track.id : shown;
        }
    }
    if (ids.empty()) {
        emit Notice(QStringLiteral("No subtitles"));
        return;
    }
    if (shown != 0) {
        lastSubtitle_ = shown;
        SelectTrack(MediaTrack::Kind::Subtitle, 0);
        return;
    }
    const bool known = std::find(ids.begin(), ids.end(), lastSubtitle_) != ids.end();
    SelectTrack(MediaTrack::Kind::Subtitle, known ? lastSubtitle_ : ids.front());
}

void PlaybackSession::NextTrack(MediaTrack::Kind kind) {
    // Subtitles go round through "none" too.
    std::vector<int> ids;
    if (kind == MediaTrack::Kind::Subtitle) {
        ids.push_back(0);
    }
    int shown = 0;
    for (const MediaTrack& track : engine_->Tracks()) {
        if (track.kind == kind) {
            ids.push_back(track.id);
            shown = track.selected ? track.id : shown;
        }
    }
    if (ids.size() < 2) {
        emit Notice(kind == MediaTrack::Kind::Subtitle ? QStringLiteral("No subtitles")
                                                       : QStringLiteral("One audio track"));
        return;
    }
    const auto here = std::find(ids.begin(), ids.end(), shown);
    const auto next = here == ids.end() || here + 1 == ids.end() ? ids.begin() : here + 1;
    SelectTrack(kind, *next);
}

void PlaybackSession::AddSubtitleFile(const QString& path) {
    if (engine_->FileName().isEmpty()) {
        emit Notice(QStringLiteral("Subtitles need a film playing"));
        return;
    }
    engine_->AddSubtitleFile(path);
}

// Screenshots -------------------------------------------------------------------

void PlaybackSession::TakeScreenshot() {
    if (engine_->FileName().isEmpty()) {
        emit Notice(QStringLiteral("No picture to take"));
        return;
    }
    engine_->TakeScreenshot();
}

void PlaybackSession::screenshotTaken(const QImage& frame) {
    // Named after the file and the place in it ("film 1-02-05.png"), never
    // over a file that is there already.
    const QString base =
        QFileInfo(GetFileName(platform::ReadableFileName(CurrentEntry()))).completeBaseName();
    const QString at = TimeString(RoundToInt32(position_)).replace(u':', u'-');
    const QDir folder(paths_.pictures);
    QString name = QStringLiteral("%1 %2.png").arg(base, at);
    for (int n = 2; platform::InspectFile(folder.filePath(name)).exists; ++n) {
        name = QStringLiteral("%1 %2 (%3).png").arg(base, at).arg(n);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    frame.save(&buffer, "PNG");
    const platform::WriteOutcome saved =
        paths_.pictures.isEmpty()
            ? platform::WriteOutcome{false, QStringLiteral("no folder for pictures")}
            : platform::WriteUserFile(folder.filePath(name), png);
    emit Notice(saved.written ? QStringLiteral("Saved ") + name : saved.problem);
}

PlaybackSession::Status PlaybackSession::PlaybackStatus() const {
    if (engine_->Playing()) {
        return Status::Playing;
    }
    return engine_->Stopped() ? Status::Stopped : Status::Paused;
}

} // namespace quarn
