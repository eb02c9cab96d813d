#pragma once

#include "app/Commands.h"
#include "session/PlaybackSession.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QVariantMap>
#include <optional>

namespace quarn {

// The player on the session bus as an MPRIS media player, so that the
// desktop's media widgets, lock screen and media keys can see and drive its
// playback session. Its transport (play, pause, stop, next, previous) and
// Quit are the player's commands, as the keys and buttons give them.
class Mpris : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    Mpris(PlaybackSession& session, CommandTable& commands, QDBusConnection bus);

    // Puts the player on the bus under its name (the instance form when
    // another player has it). False without a session bus.
    bool Register();
    QString ServiceName() const { return serviceName_; }

    PlaybackSession& Session() { return session_; }
    void Give(Command command) { commands_[command]->trigger(); }
    // The Player interface's properties as they are now.
    QVariantMap PlayerProperties() const;
    QVariantMap Metadata() const;
    QDBusObjectPath TrackId() const;
    // The path of a queue entry, and what the track list tells of it.
    static QDBusObjectPath TrackPath(quint64 id);
    // The queue's row of the entry a track path names; nothing for a path that
    // names none.
    std::optional<qsizetype> RowOf(const QDBusObjectPath& track) const;
    QVariantMap EntryMetadata(qsizetype row) const;

signals:
    void RaiseRequested();
    // Files to play from now on, in place of the queue.
    void PlayRequested(const QStringList& entries);

private:
    // Tells the bus which of the Player interface's properties changed.
    void announce();

    PlaybackSession& session_;
    CommandTable& commands_;
    QDBusConnection bus_;
    QString serviceName_;
    QVariantMap announced_;
};

// org.mpris.MediaPlayer2: the program.
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit MprisRoot(Mpris& mpris);
    QString Identity() const { return QStringLiteral("QUARN Media Player"); }
    QString DesktopEntry() const { return QStringLiteral("quarn-media-player"); }
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return true; }
    QStringList SupportedUriSchemes() const;
    QStringList SupportedMimeTypes() const;

public slots:
    void Raise();
    void Quit();

private:
    Mpris& mpris_;
};

// org.mpris.MediaPlayer2.Player: what plays, and the transport.
class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
    Q_PROPERTY(bool Shuffle READ Shuffle WRITE SetShuffle)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayer(Mpris& mpris);
    QString PlaybackStatus() const;
    QVariantMap Metadata() const { return mpris_.Metadata(); }
    qlonglong Position() const;
    double Volume() const;
    void SetVolume(double volume);
    double Rate() const;
    void SetRate(double rate);
    double MinimumRate() const { return PlaybackSession::kSlowest; }
    double MaximumRate() const { return PlaybackSession::kFastest; }
    QString LoopStatus() const;
    void SetLoopStatus(const QString& status);
    bool Shuffle() const;
    void SetShuffle(bool on);
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;
    bool CanControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath& track, qlonglong position);
    void OpenUri(const QString& uri);

signals:
    void Seeked(qlonglong position);

private:
    Mpris& mpris_;
};

// org.mpris.MediaPlayer2.TrackList: the play queue, read-only.
class MprisTrackList : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.TrackList")
    Q_PROPERTY(QList<QDBusObjectPath> Tracks READ Tracks)
    Q_PROPERTY(bool CanEditTracks READ CanEditTracks)
public:
    explicit MprisTrackList(Mpris& mpris);
    QList<QDBusObjectPath> Tracks() const;
    bool CanEditTracks() const { return false; }

public slots:
    QList<QVariantMap> GetTracksMetadata(const QList<QDBusObjectPath>& tracks) const;
    void GoTo(const QDBusObjectPath& track);
    void AddTrack(const QString& uri, const QDBusObjectPath& after, bool setAsCurrent);
    void RemoveTrack(const QDBusObjectPath& track);

signals:
    void TrackListReplaced(const QList<QDBusObjectPath>& tracks, const QDBusObjectPath& current);
    void TrackMetadataChanged(const QDBusObjectPath& track, const QVariantMap& metadata);

private:
    Mpris& mpris_;
};

} // namespace quarn
