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

Mpris::Mpris(PlaybackSession& session, QDBusConnection bus)
    : session_(session), bus_(std::move(bus)) {
    qDBusRegisterMetaType<QList<QVariantMap>>();
    new MprisRoot(*this);
    auto* transport = new MprisPlayer(*this);
    auto* trackList = new MprisTrackList(*this);
    connect(&session_, &PlaybackSession::QueueChanged, trackList, [this, trackList] {
        emit trackList->TrackListReplaced(trackList->Tracks(), TrackId());
    });
    connect(&session_, &PlaybackSession::QueueEntryChanged, trackList,
            [this, trackList](qsizetype row) {
                if (row < session_.Queue().Size()) {
                    emit trackList->TrackMetadataChanged(TrackPath(session_.Queue().IdAt(row)),
                                                         EntryMetadata(row));
                }
            });
    connect(&session_, &PlaybackSession::StateChanged, this, &Mpris::announce);
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
    return QDBusObjectPath(QStringLiteral("/org/quarn/MediaPlayer/Track/%1").arg(id));
}

QDBusObjectPath Mpris::TrackId() const {
    const auto opened = session_.OpenedEntry();
    if (session_.CurrentEntry().isEmpty() || !opened) {
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    }
    return TrackPath(*opened);
}

QVariantMap Mpris::EntryMetadata(qsizetype row) const {
    const PlayQueue& queue = session_.Queue();
    const PlaylistEntry& entry = queue.At(row);
    QVariantMap metadata{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackPath(queue.IdAt(row)))},
        {QStringLiteral("xesam:title"),
         entry.title.isEmpty() ? GetFileName(platform::ReadableFileName(entry.location))
                               : entry.title},
        {QStringLiteral("xesam:url"),
         entry.stream ? entry.location : QString::fromLatin1(platform::FileUrl(entry.location))}};
    if (entry.length >= 0) {
        metadata.insert(QStringLiteral("mpris:length"), microseconds(entry.length));
    }
    return metadata;
}

QVariantMap Mpris::Metadata() const {
    QVariantMap metadata;
    const QString entry = session_.CurrentEntry();
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    if (entry.isEmpty()) {
        return metadata;
    }
    if (session_.Duration() > 0) {
        metadata.insert(QStringLiteral("mpris:length"), microseconds(session_.Duration()));
    }
    const MediaTags tags = session_.Tags();
    metadata.insert(QStringLiteral("xesam:title"),
                    tags.title.isEmpty() ? GetFileName(platform::ReadableFileName(entry))
                                         : tags.title);
    if (!tags.artist.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{tags.artist});
    }
    if (!tags.album.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:album"), tags.album);
    }
    metadata.insert(QStringLiteral("xesam:url"),
                    IsStreamUrl(entry) ? entry : QString::fromLatin1(platform::FileUrl(entry)));
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
    emit mpris_.QuitRequested();
}

MprisPlayer::MprisPlayer(Mpris& mpris) : QDBusAbstractAdaptor(&mpris), mpris_(mpris) {}

QString MprisPlayer::PlaybackStatus() const {
    switch (mpris_.Session().PlaybackStatus()) {
    case PlaybackSession::Status::Playing:
        return QStringLiteral("Playing");
    case PlaybackSession::Status::Paused:
        return QStringLiteral("Paused");
    case PlaybackSession::Status::Stopped:
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

QString MprisPlayer::LoopStatus() const {
    const char* names[] = {"None", "Track", "Playlist"};
    return QString::fromLatin1(names[int(mpris_.Session().LoopMode())]);
}

void MprisPlayer::SetLoopStatus(const QString& status) {
    const QStringList names{QStringLiteral("None"), QStringLiteral("Track"),
                            QStringLiteral("Playlist")};
    if (const auto mode = names.indexOf(status); mode >= 0) {
        mpris_.Session().SetLoop(PlaybackSession::Loop(mode));
    }
}

bool MprisPlayer::Shuffle() const {
    return mpris_.Session().Shuffle();
}

void MprisPlayer::SetShuffle(bool on) {
    mpris_.Session().SetShuffle(on);
}

bool MprisPlayer::CanGoNext() const {
    return mpris_.Session()
        .Queue()
        .NextRow(mpris_.Session().LoopMode() == PlaybackSession::Loop::Queue)
        .has_value();
}

bool MprisPlayer::CanGoPrevious() const {
    return mpris_.Session()
        .Queue()
        .PreviousRow(mpris_.Session().LoopMode() == PlaybackSession::Loop::Queue)
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
    mpris_.Session().Next();
}

void MprisPlayer::Previous() {
    mpris_.Session().Previous();
}

void MprisPlayer::Pause() {
    mpris_.Session().Pause();
}

void MprisPlayer::PlayPause() {
    mpris_.Session().PlayPause();
}

void MprisPlayer::Stop() {
    mpris_.Session().Stop();
}

void MprisPlayer::Play() {
    mpris_.Session().Play();
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
    const PlayQueue& queue = mpris_.Session().Queue();
    for (const QDBusObjectPath& track : tracks) {
        for (qsizetype row = 0; row < queue.Size(); ++row) {
            if (Mpris::TrackPath(queue.IdAt(row)) == track) {
                found << mpris_.EntryMetadata(row);
            }
        }
    }
    return found;
}

void MprisTrackList::GoTo(const QDBusObjectPath& track) {
    const PlayQueue& queue = mpris_.Session().Queue();
    for (qsizetype row = 0; row < queue.Size(); ++row) {
        if (Mpris::TrackPath(queue.IdAt(row)) == track) {
            mpris_.Session().PlayRow(row);
            return;
        }
    }
}

// The track list cannot be edited from the bus (CanEditTracks is false).
void MprisTrackList::AddTrack(const QString&, const QDBusObjectPath&, bool) {}

void MprisTrackList::RemoveTrack(const QDBusObjectPath&) {}

} // namespace quarn
