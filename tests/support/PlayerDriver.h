#pragma once

#include "support/PlayerWindows.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quarn::e2e {

// The end-to-end tests' fixture: a private desktop of the test's own and the
// player on it (PlayerWindows, whose steps throw: gtest reports that as the
// test's failure), with what several tests ask of the player through the
// desktop's session bus. After a failure it saves a screenshot and names the
// player's log.
class PlayerDriver : public ::testing::Test, protected PlayerWindows {
protected:
    void TearDown() override;

    void startSession(XSession::Options options = {});
    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = 3000 * kSlowdown) {
        return XSession::waitUntil(condition, timeoutMs);
    }
    // Holds while `condition` stays true for the whole time.
    static bool holdsFor(int ms, const std::function<bool()>& condition) {
        return !XSession::waitUntil([&] { return !condition(); }, ms);
    }

    // The player's MPRIS object: a call, a property of the Player interface
    // (or another), and the title of what it plays.
    QDBusConnection bus() const;
    QDBusMessage mprisCall(const QString& interface, const QString& method,
                           const QVariantList& args = {});
    QVariant mpris(const QString& property,
                   const QString& interface = QStringLiteral("org.mpris.MediaPlayer2.Player"));
    QString title();
    // Waits until the player plays the file or entry of this title.
    bool plays(const QString& title, int timeoutMs = 8000 * kSlowdown);
    // Hands files to the player as a second launch does, without waiting for an answer.
    void playFiles(const QStringList& entries);
    // playerctl on the session's bus: a desktop's own media controls.
    QString playerctl(const QStringList& args,
                      const QString& player = QStringLiteral("quarn_media_player"));
    // A process the session started, by its command name ("Xvfb", "trayer").
    qint64 helper(const char* name) const;

    // Expects the player to have ended by itself within `timeoutMs`, with
    // this status, and to have told of no crash or X trouble.
    void expectEnded(int status = 0, int timeoutMs = 3000);

    std::unique_ptr<XSession> session;
};

} // namespace quarn::e2e
