#pragma once

#include "widgets/Label.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"
#include "windows/MeltStep.h"

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <cstdint>

namespace quarn {

// The full-screen melt effect: a borderless window over the whole screen shows
// a picture of the screen taken as it starts, and blocks of that picture are
// copied back one pixel off, again and again, until a click or a typed
// character ends it. Only the window's own picture is ever drawn on.
// A new window is made for each run.
class Melter : public QWidget {
    Q_OBJECT
public:
    // Runs the whole effect and returns when the user has ended it and the
    // window is gone. A call made while the effect runs returns at once.
    static void Run();

    // What the last run did: its steps, the frames it put on screen and how
    // long it took.
    struct Stats {
        std::int64_t steps = 0;
        std::int64_t frames = 0;
        double seconds = 0;
    };
    static Stats LastRun();

    Melter();
    ~Melter() override;

    // Captures the screen, shows it and melts it until the user ends the
    // effect; then hides the window and lets the picture go.
    void Load();

    bool Melting() const { return melting_; }
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void capture();
    void stepOnce();
    void presentIfDue();

    QImage picture_;
    bool melting_ = false;
    ClickDetector click_;
    bool keyboardHeld_ = false;
    std::int16_t width_ = 0;
    std::int16_t height_ = 0;
    melt::RandomSource random_{0};
    melt::DirtyTiles dirty_{QSize()};
    QElapsedTimer clock_;
    std::int64_t frameNs_ = 0;
    std::int64_t nextFrameNs_ = 0;
    Stats stats_;
};

} // namespace quarn
