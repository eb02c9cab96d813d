#pragma once

#include "widgets/Label.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"

#include <QWidget>

namespace quarn {

// The start-up window: a picture with "Media Player" on it, shown while the
// intro plays. A click on the picture (not on the words, which take their
// own clicks) asks to skip the intro.
class Splash : public QWidget {
    Q_OBJECT
public:
    Splash();

signals:
    void Skipped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    Label* words_;
    ClickDetector click_;
};

} // namespace quarn
