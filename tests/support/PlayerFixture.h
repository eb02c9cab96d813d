#pragma once

#include "app/Player.h"
#include "support/FakeEngine.h"
#include "widgets/ModalDriver.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace quarn::test {

// The player with stand-ins for everything outside its windows: fake engines
// in place of mpv, message boxes and the screen-saver switch recorded instead
// of shown or switched, and an Open dialog answered by the test.
class PlayerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        PlayerServices services;
        services.makeEngine = [this](WId) -> std::unique_ptr<MediaEngine> {
            auto engine = std::make_unique<FakeEngine>();
            engines.push_back(engine.get());
            return engine;
        };
        services.screenSaver = &saver;
        services.message = [this](const QString& text, const QString& title, const QString&) {
            messages << title + ": " + text;
        };
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        services.fileDialogs = std::move(scripted);
        services.programDirectory = folder.path();
        services.paths = {folder.filePath(QStringLiteral("settings.json")), folder.path(),
                          folder.filePath(QStringLiteral("pictures"))};
        services.skinFolders = {QStringLiteral(QUARN_BINARY_DIR "/skins")};
        player = std::make_unique<Player>(std::move(services));
    }

    // A whole click of the left button on a toolbar button, by its name.
    void click(const char* button) {
        QTest::mouseClick(player->Bar().Button(QString::fromLatin1(button)), Qt::LeftButton);
    }

    // A key on a window of the player's, once it is the active one (the
    // player's keys work on its active window).
    static void key(QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key(key), modifiers);
    }

    // The main window's engine: the first one made.
    FakeEngine& engine() { return *engines.front(); }

    // Clicks Open and answers the dialog with the path (nullopt: cancel).
    void open(std::optional<QString> path) {
        dialogs->answers.push_back(std::move(path));
        player->Commands()[Command::Open]->trigger();
    }

    QTemporaryDir folder;
    std::vector<FakeEngine*> engines;
    QStringList messages;
    RecordingSaver saver;
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<Player> player;
};

} // namespace quarn::test
