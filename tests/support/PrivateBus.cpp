#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QThread>
#include <stdexcept>

namespace quarn::test {

namespace {

QString readLine(QProcess& process, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine()) {
        if (timer.elapsed() > timeoutMs || !process.waitForReadyRead(100)) {
            if (timer.elapsed() > timeoutMs || process.state() == QProcess::NotRunning) {
                throw std::runtime_error("no answer from " + process.program().toStdString());
            }
        }
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

PrivateBus::PrivateBus() : daemon_(std::make_unique<QProcess>()) {
    daemon_->start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    address_ = readLine(*daemon_, 5000);
}

PrivateBus::~PrivateBus() {
    for (auto* process : {standIn_.get(), daemon_.get()}) {
        if (process != nullptr && process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(2000);
        }
    }
}

void PrivateBus::becomeSessionBus() const {
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
}

void PrivateBus::startScreenSaverService() {
    standIn_ = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    standIn_->setProcessEnvironment(env);
    standIn_->start(QStringLiteral(QUARN_SCREENSAVER_STANDIN_PATH), {});
    while (readLine(*standIn_, 5000) != QLatin1String("ready")) {
    }
}

int PrivateBus::inhibitions() const {
    // A connection of its own, so that asking never counts as the player's.
    QDBusConnection probe =
        QDBusConnection::connectToBus(address_, QStringLiteral("quarn-test-probe"));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibitions"));
    const QDBusReply<uint> reply = probe.call(call, QDBus::Block, 2000);
    return reply.isValid() ? static_cast<int>(reply.value()) : -1;
}

} // namespace quarn::test
