// Owns org.freedesktop.ScreenSaver on the session bus and keeps the
// inhibitions it is given (or, given --never-answer, answers none), as a desktop would: each ends
// with UnInhibit or when the client that asked for it leaves the bus. Tests ask it how many are
// held with Inhibitions().

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QMap>
#include <QObject>
#include <cstdio>

class StandIn : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    // Given --never-answer it takes Inhibit calls and never replies to them.
    explicit StandIn(bool answers) : answers_(answers) {
        watcher_.setConnection(QDBusConnection::sessionBus());
        watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
                [this](const QString& client) {
                    for (auto it = holders_.begin(); it != holders_.end();) {
                        it = it.value() == client ? holders_.erase(it) : std::next(it);
                    }
                });
    }

public slots:
    uint Inhibit(const QString& /*application*/, const QString& /*reason*/) {
        if (!answers_) {
            setDelayedReply(true);
            return 0;
        }
        const uint cookie = next_++;
        const QString client = message().service();
        holders_.insert(cookie, client);
        watcher_.addWatchedService(client);
        return cookie;
    }
    void UnInhibit(uint cookie) { holders_.remove(cookie); }
    uint Inhibitions() { return static_cast<uint>(holders_.size()); }

private:
    bool answers_;
    QMap<uint, QString> holders_;
    uint next_ = 1;
    QDBusServiceWatcher watcher_;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    StandIn standIn(!app.arguments().contains(QStringLiteral("--never-answer")));
    bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &standIn,
                       QDBusConnection::ExportAllSlots);
    bus.registerObject(QStringLiteral("/ScreenSaver"), &standIn, QDBusConnection::ExportAllSlots);
    if (!bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"))) {
        std::fprintf(stderr, "cannot own org.freedesktop.ScreenSaver\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "ScreenSaverStandIn.moc"
