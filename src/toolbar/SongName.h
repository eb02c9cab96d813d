#pragma once

#include "forms/FormKit.h"

#include <QCloseEvent>
#include <QWidget>

namespace quarn {

// The title strip above the main window: a shaped skin with the scrolling
// title of the open file. Pressing any mouse button on it drags it.
class SongName : public QWidget {
    Q_OBJECT
public:
    SongName();
    void Load();

    PictureBox& PicMainSkin() { return *picMainSkin_; }
    Label& Label1() { return *label1_; }

protected:
    void moveEvent(QMoveEvent* event) override;
    // The companions stay with the main window: a close from the desktop is refused.
    void closeEvent(QCloseEvent* event) override { event->ignore(); }

private:
    void drag(Qt::MouseButton button, QPoint grabbedAt);

    PictureBox* picMainSkin_;
    Label* label1_;
};

} // namespace quarn
