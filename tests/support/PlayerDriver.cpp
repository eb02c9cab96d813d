#include "support/PlayerDriver.h"

#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace quarn::e2e {

namespace {

const QString kService = u"org.mpris.MediaPlayer2.quarn_media_player"_s;

} // namespace

void PlayerDriver::TearDown() {
    if (HasFailure() && session) {
        try { // named as the test's logs are
            const QString name = QFileInfo(session->logDirectory()).fileName();
            std::printf("screenshot: %s\n", qPrintable(session->saveScreenshot(name)));
        } catch (const std::exception& error) { // the display may be what failed
            std::printf("no screenshot: %s\n", error.what());
        }
        const QString log = player ? session->logFile(player) : QString();
        std::printf("player log: %s\n", qPrintable(log));
        // Its last lines, where a machine that keeps no logs shows them.
        QFile file(log);
        if (file.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = file.readAll().split('\n');
            for (qsizetype i = std::max<qsizetype>(0, lines.size() - 20); i < lines.size(); ++i) {
                std::printf("| %s\n", lines[i].constData());
            }
        }
    }
}

void PlayerDriver::startSession(XSession::Options options) {
    player = nullptr;
    session = std::make_unique<XSession>(options);
    desktop = session.get();
    screen = options.screen;
}

QDBusConnection PlayerDriver::bus() const {
    return QDBusConnection::connectToBus(session->busAddress(), session->busAddress());
}

QDBusMessage PlayerDriver::mprisCall(const QString& interface, const QString& method,
                                     const QVariantList& args) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kService, u"/org/mpris/MediaPlayer2"_s, interface, method);
    message.setArguments(args);
    return bus().call(message, QDBus::Block, 3000);
}

QVariant PlayerDriver::mpris(const QString& property, const QString& interface) {
    const QDBusMessage reply =
        mprisCall(u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {interface, property});
    return reply.arguments().isEmpty() ? QVariant()
                                       : reply.arguments().first().value<QDBusVariant>().variant();
}

QString PlayerDriver::title() {
    return qdbus_cast<QVariantMap>(mpris(u"Metadata"_s)).value(u"xesam:title"_s).toString();
}

bool PlayerDriver::plays(const QString& expected, int timeoutMs) {
    return waitFor(
        [&] { return title() == expected && mpris(u"PlaybackStatus"_s).toString() == "Playing"; },
        timeoutMs);
}

void PlayerDriver::playFiles(const QStringList& entries) {
    qDBusRegisterMetaType<QList<QByteArray>>();
    QList<QByteArray> names;
    for (const QString& entry : entries) {
        names << QFile::encodeName(entry);
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        kService, u"/org/quarn/MediaPlayer"_s, u"org.quarn.MediaPlayer.Instance"_s, u"PlayFiles"_s);
    message << QVariant::fromValue(names) << false;
    bus().asyncCall(message); // not waited for: the player's answer is what it shows
}

QString PlayerDriver::playerctl(const QStringList& args, const QString& name) {
    QProcess ctl;
    ctl.setProcessEnvironment(session->environment());
    ctl.start(u"playerctl"_s, (name.isEmpty() ? QStringList() : QStringList{u"-p"_s, name}) + args);
    ctl.waitForFinished(5000);
    return QString::fromUtf8(ctl.readAllStandardOutput()).trimmed();
}

qint64 PlayerDriver::helper(const char* name) const {
    for (qint64 pid : session->processIds()) {
        QFile comm(u"/proc/%1/comm"_s.arg(pid));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name) {
            return pid;
        }
    }
    return 0;
}

void PlayerDriver::expectEnded(int status, int timeoutMs) {
    ASSERT_TRUE(waitFor([&] { return !running(); }, timeoutMs)) << "still running";
    EXPECT_EQ(howItEnded(), u"exit status %1"_s.arg(status));
    const QString log = session->output(player);
    for (const char* trouble : {"Segmentation", "XIO", "X Error", "X11 connection broke",
                                "AddressSanitizer", "runtime error"}) {
        EXPECT_FALSE(log.contains(QLatin1String(trouble))) << qPrintable(log);
    }
}

} // namespace quarn::e2e
