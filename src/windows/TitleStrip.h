#pragma once

#include "widgets/Label.h"
#include "widgets/PictureBox.h"

#include <QTimer>

namespace quarn {

// The title strip that docks above the main window: a shaped skin with the
// title of the open file running through it. A press of any mouse button on
// it asks to move it (and the group it belongs to).
class TitleStrip : public QWidget {
    Q_OBJECT
public:
    TitleStrip();

    // Shows the title and starts it running, one character every 100 ms.
    void ShowTitle(const QString& title);
    // Empties the title and stops it.
    void ClearTitle();
    // Shows a notice in place of the title for 2 s; then the title runs on.
    void ShowNotice(const QString& notice);
    QString Title() const { return title_->text(); }
    bool Scrolling() const { return marquee_.isActive(); }

signals:
    void DragRequested(QPoint grabbedAt, Qt::MouseButton button);

private:
    PictureBox* skin_;
    Label* title_;
    QTimer marquee_;
    QTimer notice_;
    QString runningTitle_; // what the title was when a notice took its place
};

} // namespace quarn
