#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QUuid>
#include <stdexcept>

namespace quarn::test {

namespace {

QString readLine(QProcess& process, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine()) {
        if (timer.elapsed() > timeoutMs || process.state() == QProcess::NotRunning) {
            throw std::runtime_error("no answer from " + process.program().toStdString());
        }
        process.waitForReadyRead(100);
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

void stop(QProcess* process) {
    process->kill();
    process->waitForFinished(2000);
}

} // namespace

PrivateBus::PrivateBus() : daemon_(std::make_unique<QProcess>()) {
    daemon_->start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    address_ = readLine(*daemon_, 5000);
}

PrivateBus::~PrivateBus() {
    stop(daemon_.get());
}

void PrivateBus::becomeSessionBus() const {
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
}

ScreenSaverStandIn::ScreenSaverStandIn(const QString& busAddress, bool answers)
    : address_(busAddress), process_(std::make_unique<QProcess>()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    process_->setProcessEnvironment(env);
    process_->start(QStringLiteral(QUARN_SCREENSAVER_STANDIN_PATH),
                    answers ? QStringList() : QStringList{QStringLiteral("--never-answer")});
    while (readLine(*process_, 5000) != QLatin1String("ready")) {
    }
}

ScreenSaverStandIn::~ScreenSaverStandIn() {
    stop(process_.get());
}

int ScreenSaverStandIn::inhibitions() const {
    // A connection of its own, so that asking is never taken for the player.
    const QString name = QStringLiteral("quarn-test-probe-") + QUuid::createUuid().toString();
    int count = -1;
    {
        QDBusConnection probe = QDBusConnection::connectToBus(address_, name);
        const QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.ScreenSaver"),
            QStringLiteral("/org/freedesktop/ScreenSaver"),
            QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibitions"));
        const QDBusReply<uint> reply = probe.call(call, QDBus::Block, 2000);
        if (reply.isValid()) {
            count = static_cast<int>(reply.value());
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return count;
}

} // namespace quarn::test
