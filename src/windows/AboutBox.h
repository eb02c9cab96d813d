#pragma once

#include "widgets/Label.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace quarn {

// The About box: a borderless picture window with a small animation in
// Picture1, a second picture, the version line and an "OK" that hides it.
// It is loaded once and then only hidden and shown again; its animation goes
// on all the while.
class AboutBox : public QWidget {
    Q_OBJECT
public:
    // The frames' pictures are read from the given folder.
    explicit AboutBox(const QString& frameFolder);

    // The frame shown last.
    std::int32_t AboutFrame() const { return frame_; }

    PictureBox& Picture1() { return *picture1_; }
    PictureBox& Picture2() { return *picture2_; }
    Label& Label1() { return *label1_; }
    Label& MyWinVer() { return *myWinVer_; }
    Label& Label2() { return *label2_; }
    Label& Label3() { return *label3_; }
    QTimer& AnimationTimer() { return animation_; }

    // The next frame of the animation (the timer's tick).
    void NextFrame();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Escape, Enter or Space close it, as "OK" does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The colour word of what the window shows at a pixel; -1 off the window.
    std::int32_t pixelColour(QPoint pixel);

    QImage picture_;
    PictureBox* picture1_;
    PictureBox* picture2_;
    Label* label3_;
    Label* label1_;
    Label* myWinVer_;
    Label* label2_;
    QString frameFolder_;
    std::int32_t frame_ = 1;
    QTimer animation_;
};

} // namespace quarn
