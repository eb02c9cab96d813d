#pragma once

#include "common/Globals.h"
#include "support/FakeEngine.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace quarn::test {

// Gives each test fresh windows, with fake engines in place of mpv, message
// boxes that are recorded instead of shown and a recorded screen-saver switch.
class WindowsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        services().createEngine = [this](QWidget*) -> std::unique_ptr<MediaEngine> {
            auto engine = std::make_unique<FakeEngine>();
            engines.push_back(engine.get());
            return engine;
        };
        services().messageBox = [this](const QString& text, const QString& title, const QString&) {
            messages << title + ": " + text;
        };
        services().setScreenSaver = [this](bool active) {
            screenSaver << (active ? QStringLiteral("on") : QStringLiteral("off"));
        };
    }

    void TearDown() override {
        UnloadAll();
        ResetServices();
    }

    // The engine of the main window (the first one made, unless the splash was first).
    FakeEngine& theShow();

    std::vector<FakeEngine*> engines;
    QStringList messages;
    QStringList screenSaver;
};

} // namespace quarn::test
