#pragma once

#include "forms/DockedWindow.h"
#include "forms/FormKit.h"

#include <QTimer>

namespace quarn {

// The title strip docked above the main window: a shaped skin with the title
// of the open file running through it. Pressing any mouse button on it drags
// it; it comes back to its place above the main window by itself.
class TitleStrip : public DockedWindow {
    Q_OBJECT
public:
    TitleStrip();

    // Shows the title and starts it running, one character every 100 ms.
    void ShowTitle(const QString& title);
    // Empties the title and stops it.
    void ClearTitle();
    QString Title() const { return title_->text(); }
    bool Scrolling() const { return marquee_.isActive(); }

private:
    void drag(Qt::MouseButton button, QPoint grabbedAt);

    PictureBox* skin_;
    Label* title_;
    QTimer marquee_;
};

} // namespace quarn
