#include "session/PlaybackSession.h"

#include "common/FileTitles.h"
#include "common/MediaTypes.h"
#include "common/Rounding.h"
#include "common/StreamUrl.h"
#include "platform/FileNames.h"
#include "session/CueSheet.h"
#include "session/QueueStore.h"
#include "session/TrackInfo.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace quarn {

namespace {

// Volume, mute and the queue are written this long after their last change.
constexpr int kSaveDelayMs = 500;
// "Resumed at ..." stays long enough to read how to start over.
constexpr int kResumedNoticeMs = 4000;
// Previous goes to the start of the chapter playing this far into it.
constexpr double kChapterRestartSeconds = 3;
// The delays go in steps of a tenth of a second.
constexpr double kDelayStep = 0.1;
constexpr double kLongestDelay = ResumeStore::kLongestDelay;
// The engine's bounds of the subtitles' size and place, and of the picture's adjustments.
constexpr double kSmallestSubtitles = 0.5;
constexpr double kLargestSubtitles = 3;
constexpr int kLowestSubtitles = 150;
constexpr int kMostAdjustment = 100;
// While a file plays, where it is reaches the resume store this often, so
// that a crash loses little.
constexpr double kResumeEverySeconds = 10;

QString speedText(double factor) {
    return std::abs(factor - 1.0) < 1e-9 ? QStringLiteral("Speed normal")
                                         : QStringLiteral("Speed %1x").arg(factor);
}

// "+500", "-100", "0".
QString signedNumber(long number) {
    return (number > 0 ? QStringLiteral("+") : QString()) + QString::number(number);
}

// A subtitle file the engine loads by itself with the film: beside it, named
// as it is with another extension ("film.srt", "film.en.srt" for "film.mkv").
bool isSidecar(const QString& film, const QString& subtitles) {
    const QFileInfo filmInfo(film);
    const QFileInfo subtitleInfo(subtitles);
    return subtitleInfo.absolutePath() == filmInfo.absolutePath() &&
           subtitleInfo.fileName().startsWith(filmInfo.completeBaseName() + u'.');
}

// What an external subtitle track is called: the name of its file.
QString subtitleTitle(const QString& path) {
    return platform::ReadableFileName(QFileInfo(path).fileName());
}

// What the title strip shows for an entry: a cue sheet's track by its title,
// a file by its name.
QString stripTitle(const PlaylistEntry& entry) {
    if (IsFilePart(entry) && !entry.title.isEmpty()) {
        return entry.title + QStringLiteral("    ");
    }
    return SongTitle(GetFileName(platform::ReadableFileName(entry.location)));
}

// What stands in for a missing cover: "Artist – Title", the title, or the file's name.
QString coverTitle(const PlaylistEntry& entry, const MediaTags& tags) {
    const QString title = !tags.title.isEmpty() && !IsFilePart(entry) ? tags.title
                          : !entry.title.isEmpty()
                              ? entry.title
                              : GetFileName(platform::ReadableFileName(entry.location));
    const QString artist = entry.artist.isEmpty() ? tags.artist : entry.artist;
    return artist.isEmpty() ? title : artist + QStringLiteral(" \u2013 ") + title;
}

// The cover of a sound file: its own picture, else its folder's; and a copy of
// it for the desktop in `folder`, named after its bytes ("" where it is not
// written).
struct ReadCover {
    QImage image;
    QString url;
};
ReadCover readCoverOf(const QString& path, const QString& folder) {
    QByteArray bytes = ReadCoverArt(path);
    if (bytes.isEmpty()) {
        if (const QString beside = FindFolderCover(path); !beside.isEmpty()) {
            constexpr qint64 kLargestCover = 16 * 1024 * 1024;
            bytes = platform::ReadUserFile(beside, kLargestCover).value_or(QByteArray());
        }
    }
    ReadCover cover{QImage::fromData(bytes), {}};
    if (cover.image.isNull() || folder.isEmpty()) {
        return cover;
    }
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()) +
        (bytes.startsWith("\x89PNG") ? QStringLiteral(".png") : QStringLiteral(".jpg"));
    const QString copy = QDir(folder).filePath(name);
    // The same picture is written once.
    if (platform::InspectFile(copy).exists || platform::WriteUserFile(copy, bytes).written) {
        cover.url = QUrl::fromLocalFile(copy).toString(QUrl::FullyEncoded);
    }
    return cover;
}

} // namespace

PlaybackSession::PlaybackSession(std::unique_ptr<MediaEngine> engine,
                                 platform::ScreenSaverSwitch& screenSaver, SessionPaths paths)
    : engine_(std::move(engine)), screenSaver_(screenSaver), paths_(std::move(paths)),
      resume_(statePath("resume.json")), recent_(statePath("recent.json")) {
    MediaEngine* e = engine_.get();
    connect(e, &MediaEngine::Loading, this, &PlaybackSession::FileLoading);
    connect(e, &MediaEngine::Opened, this, &PlaybackSession::opened);
    connect(e, &MediaEngine::MovedToNext, this, &PlaybackSession::movedToNext);
    connect(e, &MediaEngine::StateChanged, this, &PlaybackSession::StateChanged);
    connect(e, &MediaEngine::Refused, this, &PlaybackSession::refused);
    connect(e, &MediaEngine::EndOfStream, this, &PlaybackSession::ended);
    connect(e, &MediaEngine::Failed, this, &PlaybackSession::failed);
    connect(e, &MediaEngine::PositionChanged, this, &PlaybackSession::positionChanged);
    connect(e, &MediaEngine::DurationChanged, this, &PlaybackSession::durationChanged);
    connect(e, &MediaEngine::VideoSizeChanged, this, &PlaybackSession::VideoSizeChanged);
    connect(e, &MediaEngine::TracksChanged, this, [this] {
        restoreTracks();
        emit StateChanged();
    });
    connect(e, &MediaEngine::ChaptersChanged, this, [this] {
        emit ChaptersChanged();
        emit StateChanged();
    });
    connect(e, &MediaEngine::ChapterChanged, this, &PlaybackSession::chapterChanged);
    connect(e, &MediaEngine::AdjustmentsChanged, this, &PlaybackSession::StateChanged);
    connect(e, &MediaEngine::SpeedChanged, this, &PlaybackSession::StateChanged);
    connect(e, &MediaEngine::TagsChanged, this, [this] {
        takeEngineTitle();
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
    engine_->SetReplayGain(settings_.replayGain);
    queueWriter_.setMaxThreadCount(1);
    coverReader_.setMaxThreadCount(1);
    for (QTimer* timer : {&saveSettings_, &saveQueue_}) {
        timer->setSingleShot(true);
        timer->setInterval(kSaveDelayMs);
    }
    connect(&saveSettings_, &QTimer::timeout, this, &PlaybackSession::saveSettings);
    connect(&saveQueue_, &QTimer::timeout, this, &PlaybackSession::saveQueue);
    connect(&tags_, &TagScanner::Read, this, &PlaybackSession::tagsRead);
}

PlaybackSession::~PlaybackSession() {
    leaveCurrent();
    if (saveSettings_.isActive()) {
        saveSettings();
    }
    if (saveQueue_.isActive()) {
        saveQueue();
    }
    queueWriter_.waitForDone();
    coverReader_.waitForDone();
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
    if (paths_.state.isEmpty()) {
        return;
    }
    // Written on a thread of its own, one save after another: a queue of
    // 100,000 entries takes a tenth of a second to write, which the user
    // interface and the desktop's calls must not wait for.
    // The entry playing taken out, the one that follows it is the one to go on with.
    StoredQueue stored{queue_.Entries(),
                       queue_.CurrentRow().value_or(queue_.NextRow(false).value_or(0))};
    queueWriter_.start(
        [path = statePath("queue.json"), stored = std::move(stored)] { SaveQueue(path, stored); });
}

void PlaybackSession::queueEdited() {
    saveQueue_.start();
    updateNext();
    emit QueueChanged();
    emit StateChanged();
}

std::vector<TagScanner::Job> PlaybackSession::tagJobs(qsizetype from, qsizetype count,
                                                      bool onlyUnknown) const {
    const qsizetype to = count < 0 ? queue_.Size() : std::min(queue_.Size(), from + count);
    std::vector<TagScanner::Job> jobs;
    for (qsizetype row = std::max<qsizetype>(from, 0); row < to; ++row) {
        const PlaylistEntry& entry = queue_.At(row);
        // A cue sheet's track knows its own; a whole file's tags are not its.
        if (entry.stream || entry.missing || IsFilePart(entry) ||
            (onlyUnknown && entry.length >= 0 && !entry.title.isEmpty())) {
            continue;
        }
        const TagScanner::Job job{queue_.IdAt(row), entry.location};
        if (row == queue_.CurrentRow()) {
            jobs.insert(jobs.begin(), job);
        } else {
            jobs.push_back(job);
        }
    }
    return jobs;
}

// What entries' tags tell goes into the queue; for the entry that plays,
// what the engine learnt as it opened stays.
void PlaybackSession::tagsRead(const TagScanner::Results& results) {
    qsizetype first = queue_.Size();
    qsizetype last = -1;
    for (const auto& [id, info] : results) {
        const std::optional<qsizetype> row = queue_.RowOf(id);
        if (!row || !info.Known()) {
            continue;
        }
        const bool playing = openedId_ == id && engine_->FileName() == queue_.At(*row).location;
        if (!info.title.isEmpty() && !(playing && !engine_->Tags().title.isEmpty())) {
            queue_.SetTitle(*row, info.title);
        }
        if (info.length >= 0 && !(playing && duration_ > 0)) {
            queue_.SetLength(*row, info.length);
            // The entry kept from the last run shows its length before it plays.
            if (openedId_ == id && engine_->FileName().isEmpty() && !IsFilePart(queue_.At(*row))) {
                duration_ = info.length;
                playing_ = queue_.At(*row);
                emit ReadoutChanged(ReadoutAt(position_, duration_));
                emit StateChanged();
            }
        }
        queue_.SetTags(*row, info.artist, info.album, info.track);
        first = std::min(first, *row);
        last = std::max(last, *row);
    }
    if (last >= first) {
        emit QueueEntriesChanged(first, last);
        saveQueue_.start();
    }
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
    // Read once the first file is on its way, so as not to hold it up.
    tags_.Replace(tagJobs(0));
}

void PlaybackSession::AddEntries(const QStringList& entries, qsizetype at) {
    const Expansion expanded = ExpandEntries(entries);
    for (const QString& problem : expanded.problems) {
        emit ProblemFound({OpenOrigin::Queue, EngineError::kCannotPlay, QString(), problem});
    }
    const bool idle = engine_->FileName().isEmpty() || State() == PlaybackState::Stopped;
    const qsizetype firstAdded = at >= 0 && at <= queue_.Size() ? at : queue_.Size();
    emit QueueChanging();
    queue_.Insert(firstAdded, expanded.entries);
    queueEdited();
    // Added to a player that plays nothing, they play.
    if (idle && engine_->FileName().isEmpty() && !expanded.entries.empty()) {
        PlayRow(firstAdded);
    }
    tags_.Scan(tagJobs(firstAdded, qsizetype(expanded.entries.size())));
}

void PlaybackSession::RestoreQueue() {
    const StoredQueue stored = LoadQueue(statePath("queue.json"));
    if (stored.entries.empty()) {
        return;
    }
    emit QueueChanging();
    queue_.Replace(stored.entries, stored.current);
    emit QueueChanged();
    // The entry left is the current one for everyone: its title, where it was
    // left and its length; Play opens it there.
    if (const auto row = queue_.CurrentRow()) {
        openedId_ = queue_.IdAt(*row);
        playing_ = queue_.At(*row);
        position_ = IsFilePart(playing_) ? 0 : resume_.PositionFor(playing_.location).value_or(0);
        duration_ = std::max(0.0, playing_.length);
        emit EntryReady(stripTitle(playing_));
        emit ReadoutChanged(ReadoutAt(position_, duration_));
        soundOnly_ = !playing_.stream && IsSoundFileName(playing_.location);
        readCover(playing_);
    }
    emit StateChanged();
    tags_.Replace(tagJobs(0, -1, true));
}

void PlaybackSession::PlayRow(qsizetype row) {
    if (row < 0 || row >= queue_.Size()) {
        return;
    }
    const std::optional<qsizetype> before = queue_.CurrentRow();
    queue_.SetCurrent(row);
    entryChanged(before);
    entryChanged(row);
    openEntry(queue_.At(row), queue_.IdAt(row), OpenOrigin::Queue);
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
    if (origin == OpenOrigin::Single && !IsStreamUrl(entry) &&
        (IsPlaylistFileName(entry) || IsCueSheetName(entry))) {
        PlayEntries({entry});
        return;
    }
    PlaylistEntry whole;
    whole.location = entry;
    whole.stream = IsStreamUrl(entry);
    // The queue's own entry opened by its name is that entry.
    const auto row = queue_.CurrentRow();
    const bool current = row && queue_.At(*row).location == entry;
    openEntry(current ? queue_.At(*row) : whole,
              current ? std::optional(queue_.IdAt(*row)) : std::nullopt, origin);
}

void PlaybackSession::openEntry(const PlaylistEntry& entry, std::optional<PlayQueue::Id> id,
                                OpenOrigin origin) {
    leaveCurrent();
    opening_ = entry.location;
    openingEntry_ = entry;
    openingId_ = id;
    openingOrigin_ = origin;
    // A track of a cue sheet starts at its own start, not where its file was left.
    openingAt_ = IsFilePart(entry) ? 0 : resume_.PositionFor(entry.location).value_or(0);
    soundOnly_ = !entry.stream && IsSoundFileName(entry.location);
    previousFile_ = file_;
    if (file_.open && file_.choicesMade) {
        // Should the new file be refused, the engine takes this one up again
        // afresh: its timing is to be set again.
        previousFile_.stored = currentChoices();
        previousFile_.timingPending = true;
    }
    beginFile(entry.location, IsFilePart(entry), openingAt_);
    try {
        if (IsFilePart(entry)) {
            engine_->OpenSegment({entry.location, entry.start, entry.end}, openingAt_);
        } else {
            engine_->SetFileName(entry.location, openingAt_);
        }
    } catch (const EngineError& error) {
        refused(error.Code(), error.Reason());
        return;
    }
    updateNext();
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
    const QString file = engine_->FileName();
    std::optional<PlayQueue::Id> id = openingId_;
    PlaylistEntry entry = openingEntry_;
    if (opening_.isEmpty()) {
        // Played again after its end.
        id = openedId_;
        entry = playing_;
    }
    // A file opened by itself is the queue from now on.
    if (!id) {
        PlaylistEntry only;
        only.location = file;
        only.stream = IsStreamUrl(file);
        emit QueueChanging();
        queue_.Replace({only});
        queueEdited();
        tags_.Replace(tagJobs(0));
        id = queue_.IdAt(0);
        entry = only;
    }
    const bool resumed = !opening_.isEmpty() && openingAt_ > 0;
    savedAt_ = resumed ? openingAt_ : 0;
    if (opening_ != file) {
        beginFile(file, IsFilePart(entry), 0); // played again: the engine starts it afresh
    } else if (openingOrigin_ == OpenOrigin::Single && !IsStreamUrl(file) &&
               QDir::isAbsolutePath(file)) {
        // The Open dialog starts there next time.
        settings_.lastFolder = QFileInfo(file).absolutePath();
        saveSettings_.start();
    }
    opening_.clear();
    openingId_.reset();
    screenSaver_.SetActive(false);
    becameCurrent(*id, entry);
    file_.open = true;
    restoreTiming();
    restoreTracks();
    if (resumed) {
        emit Notice(QStringLiteral("Resumed at %1 \u2014 Home starts over")
                        .arg(TimeString(RoundToInt32(openingAt_))),
                    kResumedNoticeMs);
    }
    emit StateChanged();
}

void PlaybackSession::movedToNext() {
    // The entry that played reached its end; the next one plays as if opened.
    if (!playing_.location.isEmpty() && !IsFilePart(playing_)) {
        resume_.ForgetPosition(playing_.location);
        if (!paths_.state.isEmpty()) {
            resume_.Save();
        }
    }
    const auto row = nextId_ ? queue_.RowOf(*nextId_) : std::nullopt;
    if (!row) {
        opened(); // nothing of the queue: the file that plays stands alone
        return;
    }
    const std::optional<qsizetype> before = queue_.CurrentRow();
    queue_.SetCurrent(*row);
    entryChanged(before);
    entryChanged(row);
    position_ = 0;
    savedAt_ = 0;
    // The engine may have told the new length already.
    duration_ =
        engine_->Duration() > 0 ? engine_->Duration() : std::max(0.0, queue_.At(*row).length);
    soundOnly_ = !queue_.At(*row).stream && IsSoundFileName(queue_.At(*row).location);
    previousFile_ = file_;
    beginFile(queue_.At(*row).location, IsFilePart(queue_.At(*row)), 0);
    becameCurrent(queue_.IdAt(*row), queue_.At(*row));
    file_.open = true;
    restoreTiming();
    restoreTracks();
    // Should it not open after all, the engine refuses it as it does an entry opened.
    opening_ = playing_.location;
    openingEntry_ = playing_;
    openingId_ = openedId_;
    openingOrigin_ = OpenOrigin::Queue;
    openingAt_ = 0;
    if (const auto readout = PlaybackReadout(position_, duration_)) {
        emit ReadoutChanged(*readout);
    }
    emit StateChanged();
}

void PlaybackSession::becameCurrent(PlayQueue::Id id, const PlaylistEntry& entry) {
    openedId_ = id;
    const auto row = queue_.RowOf(id);
    playing_ = row ? queue_.At(*row) : entry;
    if (!paths_.state.isEmpty()) {
        recent_.Add(playing_.location);
        recent_.Save();
    }
    emit FileOpened(stripTitle(playing_));
    takeEngineTitle();
    updateNext();
    readCover(playing_);
}

// The title the engine read goes to the entry playing, once that is the
// engine's file (the tags may come before the session hears of the file).
void PlaybackSession::takeEngineTitle() {
    if (const auto row = openedId_ ? queue_.RowOf(*openedId_) : std::nullopt;
        row && !engine_->Tags().title.isEmpty() && !IsFilePart(queue_.At(*row)) &&
        queue_.At(*row).location == engine_->FileName()) {
        queue_.SetTitle(*row, engine_->Tags().title);
        if (engine_->Duration() > 0) {
            queue_.SetLength(*row, engine_->Duration());
        }
        entryChanged(row);
    }
}

void PlaybackSession::updateNext() {
    if (engine_->FileName().isEmpty()) {
        return; // told as the first file opens
    }
    // Looping the file, the engine plays it again instead.
    const std::optional<qsizetype> row =
        loop_ == LoopMode::File ? std::nullopt : queue_.NextRow(loop_ == LoopMode::Queue);
    nextId_ = row ? std::optional(queue_.IdAt(*row)) : std::nullopt;
    if (!row) {
        engine_->SetNextFile({});
        return;
    }
    const PlaylistEntry& next = queue_.At(*row);
    engine_->SetNextFile(
        {next.location, IsFilePart(next) ? next.start : 0, IsFilePart(next) ? next.end : -1});
}

void PlaybackSession::readCover(const PlaylistEntry& entry) {
    const quint64 serial = ++coverSerial_;
    coverUrl_.clear();
    if (!soundOnly_ || entry.stream) {
        return;
    }
    const QString title = coverTitle(entry, engine_->Tags());
    coverReader_.start([this, serial, title, path = entry.location, folder = paths_.covers] {
        ReadCover cover = readCoverOf(path, folder);
        QMetaObject::invokeMethod(
            this,
            [this, serial, title, cover = std::move(cover)] {
                if (serial != coverSerial_) {
                    return; // another entry plays now
                }
                coverUrl_ = cover.url;
                emit CoverChanged(cover.image, title);
                emit StateChanged();
            },
            Qt::QueuedConnection);
    });
}

QString PlaybackSession::CurrentEntry() const {
    if (!engine_->FileName().isEmpty()) {
        return engine_->FileName();
    }
    return openedId_ && queue_.RowOf(*openedId_) ? playing_.location : QString();
}

void PlaybackSession::refused(int code, const QString& reason) {
    const QString entry = std::exchange(opening_, QString());
    const OpenOrigin origin = openingOrigin_;
    // What played before plays on, with what was chosen for it; its chapter
    // is told anew.
    file_ = previousFile_;
    file_.chapter = kNoChapterYet;
    file_.openedAt = position_;
    if (!engine_->FileName().isEmpty()) {
        restoreTiming();
    }
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
            emit StateChanged();
            return;
        }
    }
    updateNext(); // what was open before plays on
    emit StateChanged();
}

void PlaybackSession::failed(const QString& reason) {
    const bool inQueue = queue_.NextRow(loop_ == LoopMode::Queue).has_value();
    emit ProblemFound({inQueue ? OpenOrigin::Queue : OpenOrigin::Single, EngineError::kCannotPlay,
                       queue_.Current().value_or(QString()), reason});
    ended();
}

void PlaybackSession::ended() {
    if (const QString file = engine_->FileName(); !file.isEmpty() && !IsFilePart(playing_)) {
        if (file_.choicesMade) {
            resume_.Chose(file, currentChoices());
        }
        resume_.ForgetPosition(file);
        if (!paths_.state.isEmpty()) {
            resume_.Save();
        }
    }
    position_ = 0;
    // The queue goes on; only after its last file is the player reset.
    if (const auto next = queue_.NextRow(loop_ == LoopMode::Queue)) {
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
    // A cue sheet's track is a stretch of its file: where it was left is not the file's.
    if (entry.isEmpty() || paths_.state.isEmpty() ||
        (IsFilePart(playing_) && playing_.location == entry)) {
        return;
    }
    if (file_.choicesMade) {
        resume_.Chose(entry, currentChoices());
    }
    // At 0 it has not played yet (or was stopped): where it was left stays.
    if (position_ > 0) {
        resume_.Left(entry, position_, duration_);
    }
    if (file_.choicesMade || position_ > 0) {
        resume_.Save();
    }
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
    if (const auto row = openedId_ ? queue_.RowOf(*openedId_) : std::nullopt;
        row && seconds > 0 && !IsFilePart(queue_.At(*row)) &&
        queue_.At(*row).location == engine_->FileName()) {
        queue_.SetLength(*row, seconds);
        entryChanged(row);
    }
    emit StateChanged();
}

// The transport -------------------------------------------------------------

void PlaybackSession::Play() {
    if (engine_->FileName().isEmpty()) {
        // A queue kept from the last run goes on where it was left.
        if (const auto row = queue_.CurrentRow() ? queue_.CurrentRow() : queue_.NextRow(false)) {
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
    if (const auto row = queue_.NextRow(loop_ == LoopMode::Queue)) {
        openRow(*row);
    }
}

void PlaybackSession::Previous() {
    if (const auto row = queue_.PreviousRow(loop_ == LoopMode::Queue)) {
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

void PlaybackSession::SetAlwaysOnTop(bool on) {
    settings_.alwaysOnTop = on;
    saveSettings_.start();
    emit Notice(on ? QStringLiteral("Always on top") : QStringLiteral("Not on top"));
}

void PlaybackSession::SetSkin(const QString& skin, double size) {
    settings_.skin = skin;
    settings_.skinSize = IsSkinSize(size) ? size : 0;
    saveSettings_.start();
}

void PlaybackSession::SetReplayGain(ReplayGain mode) {
    engine_->SetReplayGain(mode);
    settings_.replayGain = mode;
    saveSettings_.start();
    const char* texts[] = {"ReplayGain off", "ReplayGain: track", "ReplayGain: album"};
    emit Notice(QString::fromLatin1(texts[int(mode)]));
    emit StateChanged();
}

void PlaybackSession::SetSpeed(double factor) {
    if (std::isnan(factor)) {
        return;
    }
    factor = std::round(std::clamp(factor, kSlowest, kFastest) * 100) / 100;
    engine_->SetSpeed(factor);
    choiceMade();
    file_.timingPending = false;
    emit Notice(speedText(factor));
    emit StateChanged();
}

void PlaybackSession::ChangeSpeed(double by) {
    SetSpeed(engine_->Speed() + by);
}

void PlaybackSession::SetLoop(LoopMode loop) {
    loop_ = loop;
    engine_->SetLoopFile(loop == LoopMode::File);
    updateNext();
    emit Notice(QStringLiteral("Loop ") + QString::fromLatin1(LoopModeText(loop)).toLower());
    emit StateChanged();
}

void PlaybackSession::CycleLoop() {
    SetLoop(static_cast<LoopMode>((int(loop_) + 1) % 3));
}

void PlaybackSession::SetShuffle(bool on) {
    queue_.SetShuffle(on, QRandomGenerator::global()->generate());
    updateNext();
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
    choiceMade();
    file_.tracksPending.reset(); // the user's choice comes before the one kept
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
    choiceMade();
    file_.tracksPending.reset();
    // By the name on the disk, as the engine shows it (see subtitlePathOf).
    file_.subtitleFiles << platform::LocateFile(path);
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
    // A folder that cannot be looked into leaves every name taken: the writer
    // then says why it cannot write there.
    for (int n = 2; n < 1000 && platform::NameTaken(folder.filePath(name)); ++n) {
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

// What was chosen for each file -----------------------------------------------

void PlaybackSession::beginFile(const QString& location, bool part, double at) {
    file_ = FileState{};
    file_.openedAt = at;
    // A cue sheet's track is a stretch of its file: what was chosen is the file's.
    file_.stored = part ? std::nullopt : resume_.ChoicesFor(location);
    if (file_.stored) {
        file_.choicesMade = true;
        file_.timingPending = true;
        FileChoices tracks;
        tracks.audioTrack = file_.stored->audioTrack;
        tracks.subtitleTrack = file_.stored->subtitleTrack;
        tracks.subtitleFile = file_.stored->subtitleFile;
        if (!tracks.Empty()) {
            file_.tracksPending = tracks;
        }
    }
}

void PlaybackSession::restoreTiming() {
    if (!std::exchange(file_.timingPending, false) || !file_.stored) {
        return;
    }
    engine_->SetSubtitleDelay(file_.stored->subtitleDelay);
    engine_->SetAudioDelay(file_.stored->audioDelay);
    if (file_.stored->speed) {
        engine_->SetSpeed(std::clamp(*file_.stored->speed, kSlowest, kFastest));
    }
}

void PlaybackSession::restoreTracks() {
    // Only once the file is open: until then the engine may list the tracks
    // of the file before.
    if (!file_.tracksPending || !file_.open) {
        return;
    }
    using Kind = MediaTrack::Kind;
    FileChoices& wanted = *file_.tracksPending;
    const std::vector<MediaTrack> tracks = engine_->Tracks();
    const auto listed = [&](auto fits) {
        const auto found = std::find_if(tracks.begin(), tracks.end(), fits);
        return found == tracks.end() ? std::optional<int>() : std::optional(found->id);
    };
    std::vector<std::pair<Kind, int>> picks;
    QString load;
    if (wanted.audioTrack) {
        if (const auto id = listed([&](const MediaTrack& t) {
                return t.kind == Kind::Audio && t.id == *wanted.audioTrack;
            })) {
            picks.emplace_back(Kind::Audio, *id);
            wanted.audioTrack.reset();
        }
    }
    if (!wanted.subtitleFile.isEmpty()) {
        const QString file = wanted.subtitleFile;
        if (!platform::InspectFile(file).exists) {
            wanted.subtitleFile.clear(); // gone: the subtitles the engine chooses
        } else if (!isSidecar(engine_->FileName(), file)) {
            load = std::exchange(wanted.subtitleFile, QString());
        } else if (const auto id = listed([&](const MediaTrack& t) {
                       return t.kind == Kind::Subtitle && t.external &&
                              t.title == subtitleTitle(file);
                   })) {
            picks.emplace_back(Kind::Subtitle, *id);
            wanted.subtitleFile.clear();
        }
    } else if (wanted.subtitleTrack) {
        const int chosen = *wanted.subtitleTrack;
        if (const auto id = chosen == 0 ? std::optional(0) : listed([&](const MediaTrack& t) {
                return t.kind == Kind::Subtitle && !t.external && t.id == chosen;
            })) {
            picks.emplace_back(Kind::Subtitle, *id);
            wanted.subtitleTrack.reset();
        }
    }
    // Done before the engine is told, which may tell of its tracks at once.
    if (wanted.Empty()) {
        file_.tracksPending.reset();
    }
    for (const auto& [kind, id] : picks) {
        engine_->SelectTrack(kind, id);
    }
    if (!load.isEmpty()) {
        file_.subtitleFiles << load;
        engine_->AddSubtitleFile(load);
    }
}

QString PlaybackSession::subtitlePathOf(const MediaTrack& track) const {
    for (auto file = file_.subtitleFiles.crbegin(); file != file_.subtitleFiles.crend(); ++file) {
        if (subtitleTitle(*file) == track.title) {
            return *file;
        }
    }
    const QString film = engine_->FileName();
    if (track.title.isEmpty() || !QDir::isAbsolutePath(film)) {
        return {};
    }
    const QString beside =
        platform::LocateFile(QFileInfo(film).absolutePath() + u'/' + track.title);
    return isSidecar(film, beside) && platform::InspectFile(beside).exists ? beside : QString();
}

FileChoices PlaybackSession::currentChoices() const {
    FileChoices choices;
    const std::vector<MediaTrack> tracks = engine_->Tracks();
    if (file_.tracksPending || tracks.empty()) {
        // Not chosen again yet, or not listed yet: as they were kept.
        if (file_.stored) {
            choices.audioTrack = file_.stored->audioTrack;
            choices.subtitleTrack = file_.stored->subtitleTrack;
            choices.subtitleFile = file_.stored->subtitleFile;
        }
    } else {
        choices.subtitleTrack = 0; // off, unless one is shown
        for (const MediaTrack& track : tracks) {
            if (!track.selected) {
                continue;
            }
            if (track.kind == MediaTrack::Kind::Audio) {
                choices.audioTrack = track.id;
            } else if (!track.external) {
                choices.subtitleTrack = track.id;
            } else if (const QString file = subtitlePathOf(track); !file.isEmpty()) {
                choices.subtitleFile = file;
                choices.subtitleTrack.reset();
            } else {
                choices.subtitleTrack.reset(); // a file of unknown place: left to the engine
            }
        }
    }
    const bool timingKept = file_.timingPending && file_.stored;
    choices.subtitleDelay = timingKept ? file_.stored->subtitleDelay : engine_->SubtitleDelay();
    choices.audioDelay = timingKept ? file_.stored->audioDelay : engine_->AudioDelay();
    choices.speed = timingKept ? file_.stored->speed : engine_->Speed();
    return choices;
}

void PlaybackSession::choiceMade() {
    // A stream's are not kept: it is another stream next time.
    if (!engine_->FileName().isEmpty() && !IsStreamUrl(engine_->FileName())) {
        file_.choicesMade = true;
    }
}

void PlaybackSession::StartOver() {
    const QString file = engine_->FileName();
    if (file.isEmpty()) {
        return;
    }
    SeekTo(0);
    savedAt_ = 0;
    if (!paths_.state.isEmpty() && !IsFilePart(playing_)) {
        if (file_.choicesMade) {
            resume_.Chose(file, currentChoices());
        }
        resume_.ForgetPosition(file);
        resume_.Save();
    }
    emit Notice(QStringLiteral("From the start"));
}

QString PlaybackSession::OpenFolder() const {
    const QString playing = CurrentEntry();
    if (!IsStreamUrl(playing) && QDir::isAbsolutePath(playing)) {
        if (const QString folder = QFileInfo(playing).absolutePath();
            platform::InspectFile(folder).folder) {
            return folder;
        }
    }
    return platform::InspectFile(settings_.lastFolder).folder ? settings_.lastFolder : QString();
}

// Chapters ----------------------------------------------------------------------

int PlaybackSession::chapterAt(double seconds) const {
    const std::vector<MediaChapter> chapters = engine_->Chapters();
    int at = -1;
    // A hundredth of a second's leeway: a seek to a chapter's start lands there.
    while (at + 1 < int(chapters.size()) && chapters[std::size_t(at + 1)].start <= seconds + 0.01) {
        ++at;
    }
    return at;
}

void PlaybackSession::chapterChanged(int index) {
    const int before = file_.chapter;
    // Before the first one, at the file's start, is no chapter to come from.
    if (index >= 0 || before != kNoChapterYet) {
        file_.chapter = index;
    }
    emit StateChanged();
    const std::vector<MediaChapter> chapters = engine_->Chapters();
    if (index < 0 || index == before || index >= int(chapters.size())) {
        return;
    }
    // The chapter the file opened in is told by no notice; one played into is.
    const MediaChapter& chapter = chapters[std::size_t(index)];
    if (before == kNoChapterYet && chapter.start <= file_.openedAt + 1) {
        return;
    }
    chapterNotice(index, chapter);
}

void PlaybackSession::chapterNotice(int index, const MediaChapter& chapter) {
    emit Notice(chapter.title.isEmpty()
                    ? QStringLiteral("Chapter %1").arg(index + 1)
                    : QStringLiteral("Chapter %1: %2").arg(index + 1).arg(chapter.title));
}

void PlaybackSession::SetChapter(int index) {
    const std::vector<MediaChapter> chapters = engine_->Chapters();
    if (engine_->FileName().isEmpty() || chapters.empty()) {
        emit Notice(QStringLiteral("No chapters"));
        return;
    }
    if (index < 0 || index >= int(chapters.size())) {
        return;
    }
    if (file_.chapter == kNoChapterYet) {
        file_.chapter = chapterAt(position_);
    }
    const bool again = index == file_.chapter;
    engine_->SetChapter(index);
    // Where it goes now: a second Previous at once goes a chapter further.
    position_ = chapters[std::size_t(index)].start;
    emit Seeked(position_);
    if (again) {
        chapterNotice(index, chapters[std::size_t(index)]); // the engine tells of no change
    }
}

void PlaybackSession::NextChapter() {
    const int at = chapterAt(position_);
    if (!engine_->FileName().isEmpty() && at + 1 >= int(engine_->Chapters().size()) && at >= 0) {
        emit Notice(QStringLiteral("Last chapter"));
        return;
    }
    SetChapter(at + 1);
}

void PlaybackSession::PreviousChapter() {
    const std::vector<MediaChapter> chapters = engine_->Chapters();
    const int at = chapterAt(position_);
    if (at < 0) {
        if (chapters.empty()) {
            SetChapter(0); // says there are none
        } else {
            SeekTo(0); // before the first chapter
        }
        return;
    }
    const bool into = position_ - chapters[std::size_t(at)].start > kChapterRestartSeconds;
    SetChapter(into ? at : std::max(at - 1, 0));
}

// Timing ------------------------------------------------------------------------

void PlaybackSession::setDelay(MediaTrack::Kind kind, double seconds) {
    if (engine_->FileName().isEmpty() || !std::isfinite(seconds)) {
        return; // each file opens with none
    }
    seconds =
        std::clamp(std::round(seconds / kDelayStep) * kDelayStep, -kLongestDelay, kLongestDelay);
    const bool subtitles = kind == MediaTrack::Kind::Subtitle;
    if (subtitles) {
        engine_->SetSubtitleDelay(seconds);
    } else {
        engine_->SetAudioDelay(seconds);
    }
    choiceMade();
    file_.timingPending = false;
    emit Notice((subtitles ? QStringLiteral("Subtitle delay ") : QStringLiteral("Audio delay ")) +
                signedNumber(std::lround(seconds * 1000)) + QStringLiteral(" ms"));
    emit StateChanged();
}

void PlaybackSession::ChangeSubtitleDelay(double by) {
    setDelay(MediaTrack::Kind::Subtitle, engine_->SubtitleDelay() + by);
}

void PlaybackSession::ChangeAudioDelay(double by) {
    setDelay(MediaTrack::Kind::Audio, engine_->AudioDelay() + by);
}

void PlaybackSession::ResetTimings() {
    if (engine_->FileName().isEmpty()) {
        return;
    }
    engine_->SetSubtitleDelay(0);
    engine_->SetAudioDelay(0);
    choiceMade();
    file_.timingPending = false;
    emit Notice(QStringLiteral("Delays reset"));
    emit StateChanged();
}

void PlaybackSession::ChangeSubtitleSize(double by) {
    if (!std::isfinite(by)) {
        return;
    }
    const double scale = std::clamp(std::round((engine_->SubtitleScale() + by) * 100) / 100,
                                    kSmallestSubtitles, kLargestSubtitles);
    engine_->SetSubtitleScale(scale);
    emit Notice(QStringLiteral("Subtitle size %1%").arg(std::lround(scale * 100)));
    emit StateChanged();
}

void PlaybackSession::MoveSubtitles(int by) {
    const int position = std::clamp(engine_->SubtitlePosition() + by, 0, kLowestSubtitles);
    engine_->SetSubtitlePosition(position);
    emit Notice(
        (by < 0 ? QStringLiteral("Subtitles higher ") : QStringLiteral("Subtitles lower ")) +
        QStringLiteral("%1%").arg(position));
    emit StateChanged();
}

// The picture -------------------------------------------------------------------

const std::vector<std::pair<QString, double>>& PlaybackSession::AspectRatios() {
    static const std::vector<std::pair<QString, double>> ratios{{QStringLiteral("Automatic"), 0},
                                                                {QStringLiteral("4:3"), 4.0 / 3},
                                                                {QStringLiteral("16:9"), 16.0 / 9},
                                                                {QStringLiteral("1.85:1"), 1.85},
                                                                {QStringLiteral("2.35:1"), 2.35}};
    return ratios;
}

void PlaybackSession::SetAspectRatio(double ratio) {
    ratio = std::isfinite(ratio) && ratio > 0 ? ratio : 0;
    engine_->SetAspectRatio(ratio);
    QString name = QString::number(ratio, 'g', 3) + QStringLiteral(":1");
    for (const auto& [known, value] : AspectRatios()) {
        if (std::abs(value - ratio) < 1e-3) {
            name = known;
        }
    }
    emit Notice(QStringLiteral("Aspect ratio ") + name);
    emit StateChanged();
}

void PlaybackSession::NextAspectRatio() {
    const auto& ratios = AspectRatios();
    const auto here = std::find_if(ratios.begin(), ratios.end(), [&](const auto& ratio) {
        return std::abs(ratio.second - engine_->AspectRatio()) < 1e-3;
    });
    // One of no name (or the last) is followed by the file's own.
    const auto next = here == ratios.end() || here + 1 == ratios.end() ? ratios.begin() : here + 1;
    SetAspectRatio(next->second);
}

void PlaybackSession::SetDeinterlace(Deinterlace mode) {
    engine_->SetDeinterlace(mode);
    const char* texts[] = {"Deinterlace automatic", "Deinterlace on", "Deinterlace off"};
    emit Notice(QString::fromLatin1(texts[int(mode)]));
    emit StateChanged();
}

void PlaybackSession::ChangeAdjustment(PictureAdjustment which, int by) {
    const int value =
        std::clamp(engine_->Adjustment(which) + by, -kMostAdjustment, kMostAdjustment);
    engine_->SetAdjustment(which, value);
    const char* names[] = {"Brightness ", "Contrast ", "Saturation ", "Gamma "};
    emit Notice(QString::fromLatin1(names[int(which)]) + signedNumber(value));
    emit StateChanged();
}

void PlaybackSession::ResetPicture() {
    for (const PictureAdjustment which :
         {PictureAdjustment::Brightness, PictureAdjustment::Contrast, PictureAdjustment::Saturation,
          PictureAdjustment::Gamma}) {
        engine_->SetAdjustment(which, 0);
    }
    engine_->SetAspectRatio(0);
    emit Notice(QStringLiteral("Picture reset"));
    emit StateChanged();
}

} // namespace quarn
