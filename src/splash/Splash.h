#pragma once

#include "forms/FormKit.h"

#include <QWidget>
#include <memory>

namespace quarn {

class MediaEngine;

// The start-up window: a picture with "Media Player" on it while a short
// intro sound plays. When the intro ends, or the user clicks the picture, the
// player's windows come up. It stays loaded, hidden, for the whole run: the
// tray icon lives on it.
class Splash : public QWidget {
    Q_OBJECT
public:
    Splash();
    ~Splash() override;
    void Load();

    MediaEngine& Intro() { return *intro_; }
    Label& Label1() { return *label1_; }

    // A file to open in the player as soon as the player's windows are shown.
    void OpenWhenShown(const QString& path) { pendingFile_ = path; }

    // Whether the player's windows have been brought up.
    bool Finished() const { return finished_; }

    // The intro file, beside the program.
    static QString IntroPath();

    // How long the splash stays up when there is no intro to play.
    static constexpr int kNoIntroMs = 500;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Intro_EndOfStream();
    void introMissing();
    void comeUpWithoutIntro();
    void Form_Click();
    void showPlayer();
    void openPendingFile();

    QImage picture_;
    Label* label1_;
    QWidget* introElement_;
    std::unique_ptr<MediaEngine> intro_;
    bool introFailed_ = false;
    bool finished_ = false;
    bool pressedInside_ = false;
    QString pendingFile_;
};

} // namespace quarn
