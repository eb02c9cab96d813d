#pragma once

#include "support/PlayerWindows.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <memory>

namespace quarn::e2e {

// The end-to-end tests' fixture: a private desktop of the test's own and the
// player on it (PlayerWindows), with the steps that can fail reported as test
// failures. After a failure it saves a screenshot and names the player's log.
class PlayerDriver : public ::testing::Test, protected PlayerWindows {
protected:
    void TearDown() override;

    void startSession(XSession::Options options = {});
    void launch(const QStringList& args = {}, const QProcessEnvironment& env = {},
                const QString& program = kProgram);
    void waitForPlayerWindows(int timeoutMs = 10000);
    void skipIntro(int timeoutMs = 10000);
    void startPlayer(const QStringList& args = {}, const QProcessEnvironment& env = {});
    void open(const QString& path);
    bool playerEnded() const { return !running(); }

    std::unique_ptr<XSession> session;
};

} // namespace quarn::e2e
