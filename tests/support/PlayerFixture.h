#pragma once

#include "app/Player.h"
#include "support/FakeEngine.h"

#include <QStringList>
#include <QTemporaryDir>
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
    class Dialogs : public FileDialogBackend {
    public:
        explicit Dialogs(PlayerFixture& test) : test_(test) {}
        std::optional<QString> ChooseFile(const Request& request) override {
            test_.requests.push_back(request);
            return test_.answer;
        }
        std::optional<QString> ChooseFolder(const QString&) override { return std::nullopt; }

    private:
        PlayerFixture& test_;
    };

    class ScreenSaver : public platform::ScreenSaverSwitch {
    public:
        explicit ScreenSaver(QStringList& record) : record_(record) {}
        void SetActive(bool active) override { record_ << (active ? "on" : "off"); }

    private:
        QStringList& record_;
    };

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
        services.fileDialogs = std::make_unique<Dialogs>(*this);
        services.programDirectory = folder.path();
        services.paths = {folder.filePath(QStringLiteral("settings.json")), folder.path(),
                          folder.filePath(QStringLiteral("pictures"))};
        player = std::make_unique<Player>(std::move(services));
    }

    // The main window's engine: the first one made.
    FakeEngine& engine() { return *engines.front(); }

    // Clicks Open and answers the dialog with the path (nullopt: cancel).
    void open(std::optional<QString> path) {
        answer = std::move(path);
        emit player->Bar().OpenClicked();
    }

    QTemporaryDir folder;
    std::vector<FakeEngine*> engines;
    QStringList messages;
    QStringList screenSaver;
    ScreenSaver saver{screenSaver};
    std::optional<QString> answer;
    std::vector<FileDialogBackend::Request> requests;
    std::unique_ptr<Player> player;
};

} // namespace quarn::test
