#include "app/SingleInstance.h"

#include "platform/FileNames.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QElapsedTimer>
#include <QThread>

namespace quarn {

namespace {

const QString kInterface = QStringLiteral("org.quarn.MediaPlayer.Instance");
// Between tries while the player is still putting its inbox on the bus.
constexpr int kRetryMs = 50;

} // namespace

bool ClaimPlayerName(QDBusConnection& bus) {
    if (!bus.isConnected()) {
        return true; // without a bus every launch is a player of its own
    }
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    constexpr uint kDoNotQueue = 4;
    request << QString::fromLatin1(kPlayerBusName) << kDoNotQueue;
    const QDBusMessage reply = bus.call(request, QDBus::Block, 1000);
    constexpr uint kPrimaryOwner = 1;
    constexpr uint kAlreadyOwner = 4;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return true; // a bus that does not answer: nobody to hand over to
    }
    const uint answer = reply.arguments().first().toUInt();
    return answer == kPrimaryOwner || answer == kAlreadyOwner;
}

bool HandOver(QDBusConnection& bus, const QStringList& entries, bool enqueue, int timeoutMs) {
    qDBusRegisterMetaType<QList<QByteArray>>();
    QList<QByteArray> names;
    for (const QString& entry : entries) {
        names << platform::FileNameToBytes(entry);
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kPlayerBusName), QString::fromLatin1(InstanceInbox::kObjectPath),
        kInterface, QStringLiteral("PlayFiles"));
    call << QVariant::fromValue(names) << enqueue;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const auto left = static_cast<int>(timeoutMs - clock.elapsed());
        const QDBusMessage reply = bus.call(call, QDBus::Block, std::max(1, left));
        if (reply.type() == QDBusMessage::ReplyMessage) {
            return true;
        }
        // Not on the bus yet (the player is starting): ask again. Anything
        // else (no answer in time, the player gone) is an answer too.
        const QString error = reply.errorName();
        if (!error.endsWith(QLatin1String("UnknownObject")) &&
            !error.endsWith(QLatin1String("UnknownMethod")) &&
            !error.endsWith(QLatin1String("UnknownInterface"))) {
            return false;
        }
        QThread::msleep(kRetryMs);
    }
    return false;
}

bool InstanceInbox::Register(QDBusConnection& bus) {
    qDBusRegisterMetaType<QList<QByteArray>>();
    return bus.isConnected() && bus.registerObject(QString::fromLatin1(kObjectPath), this,
                                                   QDBusConnection::ExportScriptableSlots);
}

void InstanceInbox::PlayFiles(const QList<QByteArray>& entries, bool enqueue) {
    QStringList names;
    for (const QByteArray& entry : entries) {
        names << platform::FileNameFromBytes(entry);
    }
    emit FilesReceived(names, enqueue);
}

} // namespace quarn
