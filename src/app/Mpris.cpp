#include "app/Mpris.h"

#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "common/FileTitles.h"
#include "common/MediaTypes.h"
#include "common/StreamUrl.h"
#include "platform/FileNames.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QUrl>
#include <cmath>

namespace quarn {

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
// A call on the bus never holds the player up for longer than this.
constexpr int kCallTimeoutMs = 1000;

// A request for the metadata of more tracks than this is answered for the
// first ones: each answer costs the player's main thread, and a desktop
// widget asking for all of a 100,000-entry queue would hold it up for seconds.
constexpr qsizetype kMostTracksAnswered = 1000;

constexpr qsizetype kMostEntriesTold = 50;

const QString kTrackPathPrefix = QStringLiteral("/org/quarn/MediaPlayer/Track/");

qlonglong microseconds(double seconds) {
    return static_cast<qlonglong>(std::llround(seconds * 1e6));
}

// Asks the bus for a name, without waiting in a queue for it.
bool requestName(QDBusConnection& bus, const QString& name) {
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    constexpr uint kDoNotQueue = 4;
    request << name << kDoNotQueue;
    const QDBusMessage reply = bus.call(request, QDBus::Block, kCallTimeoutMs);
    constexpr uint kPrimaryOwner = 1;
    constexpr uint kAlreadyOwner = 4; // claimed at start-up
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           (reply.arguments().first().toUInt() == kPrimaryOwner ||
            reply.arguments().first().toUInt() == kAlreadyOwner);
}

} // namespace

Mpris::Mpris(PlaybackSession& session, CommandTable& commands, QDBusConnection bus)
    : session_(session), commands_(commands), bus_(std::move(bus)) {
    qDBusRegisterMetaType<QList<QVariantMap>>();
    new MprisRoot(*this);
    auto* transport = new MprisPlayer(*this);
    auto* trackList = new MprisTrackList(*this);
    connect(&session_, &PlaybackSession::QueueChanged, trackList, [this, trackList] {
        emit trackList->TrackListReplaced(trackList->Tracks(), TrackId());
    });
    auto entryChanged = [this, trackList](qsizetype row) {
        if (row < session_.Queue().Size()) {
            emit trackList->TrackMetadataChanged(TrackPath(session_.Queue().IdAt(row)),
                                                 EntryMetadata(row));
        }
    };
    connect(&session_, &PlaybackSession::QueueEntryChanged, trackList, entryChanged);
    // Tags read for a few entries are told entry by entry; for many at once
    // (a large queue being read) the bus is spared a storm of signals: what
    // asks for the tracks' metadata gets it as it is now.
    connect(&session_, &PlaybackSession::QueueEntriesChanged, trackList,
            [entryChanged](qsizetype first, qsizetype last) {
                for (qsizetype row = first; last - first < kMostEntriesTold && row <= last; ++row) {
                    entryChanged(row);
                }
            });
    connect(&session_, &PlaybackSession::StateChanged, this, &Mpris::announce);
    // The tags of the entry playing may come after it opened.
    connect(&session_, &PlaybackSession::QueueEntriesChanged, this, &Mpris::announce);
    connect(&session_, &PlaybackSession::VolumeChanged, this, &Mpris::announce);
    connect(&session_, &PlaybackSession::Seeked, transport,
            [transport](double seconds) { emit transport->Seeked(microseconds(seconds)); });
}

bool Mpris::Register() {
    if (!bus_.isConnected() || !bus_.registerObject(QString::fromLatin1(kObjectPath), this,
                                                    QDBusConnection::ExportAdaptors)) {
        return false;
    }
    announced_ = PlayerProperties();
    const QString name = QString::fromLatin1(kPlayerBusName);
    const QString instance =
        name + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
    for (const QString& candidate : {name, instance}) {
        if (requestName(bus_, candidate)) {
            serviceName_ = candidate;
            return true;
        }
    }
    return false;
}

QDBusObjectPath Mpris::TrackPath(quint64 id) {
    return QDBusObjectPath(kTrackPathPrefix + QString::number(id));
}

std::optional<qsizetype> Mpris::RowOf(const QDBusObjectPath& track) const {
    // Read from the path itself: what is not one of ours costs no more than
    // a look at its beginning, however long it is.
    const QString path = track.path();
    if (!path.startsWith(kTrackPathPrefix) || path.size() > kTrackPathPrefix.size() + 20) {
        return std::nullopt;
    }
    bool number = false;
    const quint64 id = QStringView(path).mid(kTrackPathPrefix.size()).toULongLong(&number);
    return number ? session_.Queue().RowOf(id) : std::nullopt;
}

QDBusObjectPath Mpris::TrackId() const {
    const auto opened = session_.OpenedEntry();
    if (session_.CurrentEntry().isEmpty() || !opened) {
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    }
    return TrackPath(*opened);
}

namespace {

// What the desktop is told of an entry: its title (else its file's name), its
// tags and its length, as far as they are known.
QVariantMap entryFields(const PlaylistEntry& entry) {
    QVariantMap metadata{
        {QStringLiteral("xesam:title"),
         entry.title.isEmpty() ? GetFileName(platform::ReadableFileName(entry.location))
                               : entry.title},
        {QStringLiteral("xesam:url"),
         entry.stream ? entry.location : QString::fromLatin1(platform::FileUrl(entry.location))}};
    if (!entry.artist.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{entry.artist});
    }
    if (!entry.album.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:album"), entry.album);
    }
    if (entry.trackNumber > 0) {
        metadata.insert(QStringLiteral("xesam:trackNumber"), entry.trackNumber);
    }
    if (entry.length >= 0) {
        metadata.insert(QStringLiteral("mpris:length"), microseconds(entry.length));
    }
    return metadata;
}

} // namespace

QVariantMap Mpris::EntryMetadata(qsizetype row) const {
    const PlayQueue& queue = session_.Queue();
    QVariantMap metadata = entryFields(queue.At(row));
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(TrackPath(queue.IdAt(row))));
    return metadata;
}

QVariantMap Mpris::Metadata() const {
    const QString entry = session_.CurrentEntry();
    if (entry.isEmpty()) {
        return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId())}};
    }
    // The entry as the queue knows it (it may have been taken out of it since),
    // the engine's title and length winning for what it has open.
    const auto row =
        session_.OpenedEntry() ? session_.Queue().RowOf(*session_.OpenedEntry()) : std::nullopt;
    PlaylistEntry details = row ? session_.Queue().At(*row) : session_.CurrentDetails();
    if (details.location != entry) {
        details = PlaylistEntry{};
        details.location = entry;
        details.stream = IsStreamUrl(entry);
    }
    const MediaTags tags = session_.Tags();
    // A file playing is called as its tags (or its name) call it; a cue
    // sheet's track as the sheet does.
    if (!IsFilePart(details)) {
        details.title = tags.title;
        details.artist = details.artist.isEmpty() ? tags.artist : details.artist;
        details.album = details.album.isEmpty() ? tags.album : details.album;
    }
    if (session_.Duration() > 0) {
        details.length = session_.Duration();
    }
    QVariantMap metadata = entryFields(details);
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    if (!session_.CoverUrl().isEmpty()) {
        metadata.insert(QStringLiteral("mpris:artUrl"), session_.CoverUrl());
    }
    return metadata;
}

QVariantMap Mpris::PlayerProperties() const {
    const auto* transport = findChild<MprisPlayer*>();
    return {{QStringLiteral("PlaybackStatus"), transport->PlaybackStatus()},
            {QStringLiteral("Metadata"), Metadata()},
            {QStringLiteral("Volume"), transport->Volume()},
            {QStringLiteral("CanGoNext"), transport->CanGoNext()},
            {QStringLiteral("CanGoPrevious"), transport->CanGoPrevious()},
            {QStringLiteral("CanPlay"), transport->CanPlay()},
            {QStringLiteral("CanPause"), transport->CanPause()},
            {QStringLiteral("CanSeek"), transport->CanSeek()},
            {QStringLiteral("Rate"), transport->Rate()},
            {QStringLiteral("LoopStatus"), transport->LoopStatus()},
            {QStringLiteral("Shuffle"), transport->Shuffle()}};
}

void Mpris::announce() {
    const QVariantMap now = PlayerProperties();
    QVariantMap changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        if (announced_.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    announced_ = now;
    if (changed.isEmpty() || serviceName_.isEmpty()) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus_.send(signal);
}

MprisRoot::MprisRoot(Mpris& mpris) : QDBusAbstractAdaptor(&mpris), mpris_(mpris) {}

QStringList MprisRoot::SupportedUriSchemes() const {
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https")};
}

QStringList MprisRoot::SupportedMimeTypes() const {
    return MediaMimeTypes();
}

void MprisRoot::Raise() {
    emit mpris_.RaiseRequested();
}

void MprisRoot::Quit() {
    mpris_.Give(Command::Exit);
}

MprisPlayer::MprisPlayer(Mpris& mpris) : QDBusAbstractAdaptor(&mpris), mpris_(mpris) {}

QString MprisPlayer::PlaybackStatus() const {
    switch (mpris_.Session().State()) {
    case PlaybackState::Playing:
    case PlaybackState::Opening:
        return QStringLiteral("Playing");
    case PlaybackState::Paused:
        return QStringLiteral("Paused");
    case PlaybackState::Stopped:
    case PlaybackState::Ended:
        break;
    }
    return QStringLiteral("Stopped");
}

qlonglong MprisPlayer::Position() const {
    return microseconds(mpris_.Session().Position());
}

double MprisPlayer::Volume() const {
    return mpris_.Session().Volume() / 100.0;
}

void MprisPlayer::SetVolume(double volume) {
    if (std::isnan(volume)) {
        return; // no number: the volume stays as it is
    }
    mpris_.Session().SetVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

double MprisPlayer::Rate() const {
    return mpris_.Session().Speed();
}

void MprisPlayer::SetRate(double rate) {
    mpris_.Session().SetSpeed(rate);
}

// The protocol's names of the loop modes.
namespace {
constexpr std::pair<LoopMode, const char*> kLoopStatus[] = {
    {LoopMode::Off, "None"}, {LoopMode::File, "Track"}, {LoopMode::Queue, "Playlist"}};
} // namespace

QString MprisPlayer::LoopStatus() const {
    for (const auto& [mode, name] : kLoopStatus) {
        if (mode == mpris_.Session().Loop()) {
            return QString::fromLatin1(name);
        }
    }
    return QStringLiteral("None");
}

void MprisPlayer::SetLoopStatus(const QString& status) {
    for (const auto& [mode, name] : kLoopStatus) {
        if (status == QLatin1String(name)) {
            mpris_.Session().SetLoop(mode);
        }
    }
}

bool MprisPlayer::Shuffle() const {
    return mpris_.Session().Shuffle();
}

void MprisPlayer::SetShuffle(bool on) {
    mpris_.Session().SetShuffle(on);
}

bool MprisPlayer::CanGoNext() const {
    return mpris_.Session().Queue().NextRow(mpris_.Session().Loop() == LoopMode::Queue).has_value();
}

bool MprisPlayer::CanGoPrevious() const {
    return mpris_.Session()
        .Queue()
        .PreviousRow(mpris_.Session().Loop() == LoopMode::Queue)
        .has_value();
}

bool MprisPlayer::CanPlay() const {
    return !mpris_.Session().CurrentEntry().isEmpty();
}

bool MprisPlayer::CanPause() const {
    return CanPlay();
}

bool MprisPlayer::CanSeek() const {
    return CanPlay() && mpris_.Session().Duration() > 0;
}

void MprisPlayer::Next() {
    mpris_.Give(Command::Next);
}

void MprisPlayer::Previous() {
    mpris_.Give(Command::Previous);
}

void MprisPlayer::Pause() {
    mpris_.Give(Command::Pause);
}

void MprisPlayer::PlayPause() {
    mpris_.Give(Command::PlayPause);
}

void MprisPlayer::Stop() {
    mpris_.Give(Command::Stop);
}

void MprisPlayer::Play() {
    mpris_.Give(Command::Play);
}

void MprisPlayer::Seek(qlonglong offset) {
    mpris_.Session().SeekBy(offset / 1e6);
}

void MprisPlayer::SetPosition(const QDBusObjectPath& track, qlonglong position) {
    // Only for the track that plays, and within it.
    const double duration = mpris_.Session().Duration();
    if (track == mpris_.TrackId() && position >= 0 && position <= microseconds(duration)) {
        mpris_.Session().SeekTo(position / 1e6);
    }
}

void MprisPlayer::OpenUri(const QString& uri) {
    emit mpris_.PlayRequested({EntryFor(uri)});
}

MprisTrackList::MprisTrackList(Mpris& mpris) : QDBusAbstractAdaptor(&mpris), mpris_(mpris) {}

QList<QDBusObjectPath> MprisTrackList::Tracks() const {
    QList<QDBusObjectPath> tracks;
    const PlayQueue& queue = mpris_.Session().Queue();
    for (qsizetype row = 0; row < queue.Size(); ++row) {
        tracks << Mpris::TrackPath(queue.IdAt(row));
    }
    return tracks;
}

QList<QVariantMap> MprisTrackList::GetTracksMetadata(const QList<QDBusObjectPath>& tracks) const {
    QList<QVariantMap> found;
    for (const QDBusObjectPath& track :
         tracks.first(std::min(tracks.size(), kMostTracksAnswered))) {
        if (const auto row = mpris_.RowOf(track)) {
            found << mpris_.EntryMetadata(*row);
        }
    }
    return found;
}

void MprisTrackList::GoTo(const QDBusObjectPath& track) {
    if (const auto row = mpris_.RowOf(track)) {
        mpris_.Session().PlayRow(*row);
    }
}

// The track list cannot be edited from the bus (CanEditTracks is false).
void MprisTrackList::AddTrack(const QString&, const QDBusObjectPath&, bool) {}

void MprisTrackList::RemoveTrack(const QDBusObjectPath&) {}

} // namespace quarn
