#include "app/Mpris.h"

#include "app/CommandLine.h"
#include "platform/FileNames.h"
#include "player/MediaTypes.h"
#include "player/Readout.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
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
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().toUInt() == kPrimaryOwner;
}

} // namespace

Mpris::Mpris(Player& player, QDBusConnection bus) : player_(player), bus_(std::move(bus)) {
    new MprisRoot(*this);
    auto* transport = new MprisPlayer(*this);
    new MprisInstance(*this);
    connect(&player_, &Player::playbackChanged, this, &Mpris::announce);
    connect(&player_, &Player::volumeChanged, this, &Mpris::announce);
    connect(&player_, &Player::seeked, transport,
            [transport](double seconds) { emit transport->Seeked(microseconds(seconds)); });
}

bool Mpris::Register() {
    if (!bus_.isConnected() || !bus_.registerObject(QString::fromLatin1(kObjectPath), this,
                                                    QDBusConnection::ExportAdaptors)) {
        return false;
    }
    announced_ = PlayerProperties();
    const QString name = QString::fromLatin1(kServiceName);
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

bool Mpris::HandOver(QDBusConnection bus, const QStringList& entries) {
    if (!bus.isConnected()) {
        return false;
    }
    const QString name = QString::fromLatin1(kServiceName);
    const QString path = QString::fromLatin1(kObjectPath);
    auto call = [&](const QString& interface, const QString& method, const QVariantList& args) {
        QDBusMessage message = QDBusMessage::createMethodCall(name, path, interface, method);
        message.setArguments(args);
        return bus.call(message, QDBus::Block, kCallTimeoutMs).type() == QDBusMessage::ReplyMessage;
    };
    if (!entries.isEmpty() &&
        !call(QString::fromLatin1(kInstanceInterface), QStringLiteral("PlayFiles"), {entries})) {
        return false;
    }
    return call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"), {});
}

QDBusObjectPath Mpris::TrackId() const {
    if (player_.CurrentEntry().isEmpty()) {
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    }
    return QDBusObjectPath(
        QStringLiteral("/org/quarn/MediaPlayer/Track/%1").arg(player_.TrackNumber()));
}

QVariantMap Mpris::Metadata() const {
    QVariantMap metadata;
    const QString entry = player_.CurrentEntry();
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    if (entry.isEmpty()) {
        return metadata;
    }
    MediaEngine& engine = player_.Engine();
    if (engine.Duration() > 0) {
        metadata.insert(QStringLiteral("mpris:length"), microseconds(engine.Duration()));
    }
    const MediaTags tags = engine.Tags();
    metadata.insert(QStringLiteral("xesam:title"),
                    tags.title.isEmpty() ? GetFileName(platform::ReadableFileName(entry))
                                         : tags.title);
    if (!tags.artist.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{tags.artist});
    }
    if (!tags.album.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:album"), tags.album);
    }
    const bool stream = entry.startsWith(QLatin1String("http"), Qt::CaseInsensitive);
    metadata.insert(QStringLiteral("xesam:url"),
                    stream ? entry : QString::fromLatin1(platform::FileUrl(entry)));
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
            {QStringLiteral("CanSeek"), transport->CanSeek()}};
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
    mpris_.Target().Raise();
}

void MprisRoot::Quit() {
    mpris_.Target().Exit();
}

MprisPlayer::MprisPlayer(Mpris& mpris) : QDBusAbstractAdaptor(&mpris), mpris_(mpris) {}

QString MprisPlayer::PlaybackStatus() const {
    switch (mpris_.Target().PlaybackStatus()) {
    case Player::Status::Playing:
        return QStringLiteral("Playing");
    case Player::Status::Paused:
        return QStringLiteral("Paused");
    case Player::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

qlonglong MprisPlayer::Position() const {
    return microseconds(mpris_.Target().Engine().CurrentPosition());
}

double MprisPlayer::Volume() const {
    return mpris_.Target().Engine().Volume() / 100.0;
}

void MprisPlayer::SetVolume(double volume) {
    mpris_.Target().SetVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}

bool MprisPlayer::CanGoNext() const {
    return mpris_.Target().Queue().HasNext();
}

bool MprisPlayer::CanGoPrevious() const {
    return mpris_.Target().Queue().HasPrevious();
}

bool MprisPlayer::CanPlay() const {
    return !mpris_.Target().CurrentEntry().isEmpty();
}

bool MprisPlayer::CanPause() const {
    return CanPlay();
}

bool MprisPlayer::CanSeek() const {
    return CanPlay() && mpris_.Target().Engine().Duration() > 0;
}

void MprisPlayer::Next() {
    mpris_.Target().Next();
}

void MprisPlayer::Previous() {
    mpris_.Target().Previous();
}

void MprisPlayer::Pause() {
    mpris_.Target().Pause();
}

void MprisPlayer::PlayPause() {
    mpris_.Target().PlayPause();
}

void MprisPlayer::Stop() {
    mpris_.Target().Stop();
}

void MprisPlayer::Play() {
    mpris_.Target().Play();
}

void MprisPlayer::Seek(qlonglong offset) {
    Player& player = mpris_.Target();
    player.SeekTo(player.Engine().CurrentPosition() + offset / 1e6);
}

void MprisPlayer::SetPosition(const QDBusObjectPath& track, qlonglong position) {
    // Only for the track that plays, and within it.
    const double duration = mpris_.Target().Engine().Duration();
    if (track == mpris_.TrackId() && position >= 0 && position <= microseconds(duration)) {
        mpris_.Target().SeekTo(position / 1e6);
    }
}

void MprisPlayer::OpenUri(const QString& uri) {
    mpris_.Target().PlayFiles({EntryFor(uri)});
}

MprisInstance::MprisInstance(Mpris& mpris) : QDBusAbstractAdaptor(&mpris), mpris_(mpris) {}

void MprisInstance::PlayFiles(const QStringList& entries) {
    mpris_.Target().PlayFiles(entries);
}

} // namespace quarn
