#pragma once

// One launch, one player. The first launch to claim the player's name on the
// session bus is the player; any other launch hands its files to that one
// and ends, or, where it gets no answer in time (a player that is stopped),
// becomes a player of its own.

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

namespace quarn {

inline constexpr const char* kPlayerBusName = "org.mpris.MediaPlayer2.quarn_media_player";

// Claims the player's name on the bus; false when another launch has it.
bool ClaimPlayerName(QDBusConnection& bus);

// Hands the entries to the player that has the name (an empty list only
// brings it to the front); true once it has taken them. Gives up after
// `timeoutMs`, whatever the player does.
bool HandOver(QDBusConnection& bus, const QStringList& entries, bool enqueue, int timeoutMs);

// Where the player takes what other launches hand over. It lives on a thread
// of its own, so a launch gets its answer at once, whatever the player's
// windows are doing; what it takes, it passes on through its signal.
class InstanceInbox : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quarn.MediaPlayer.Instance")
public:
    static constexpr const char* kObjectPath = "/org/quarn/MediaPlayer";

    // Puts the inbox on the bus; false without one.
    bool Register(QDBusConnection& bus);

public slots:
    // The entries as the bytes of their names, so that any name comes
    // through whole.
    Q_SCRIPTABLE void PlayFiles(const QList<QByteArray>& entries, bool enqueue);

signals:
    void FilesReceived(const QStringList& entries, bool enqueue);
};

} // namespace quarn
