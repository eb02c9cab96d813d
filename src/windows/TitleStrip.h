#pragma once

#include "widgets/Label.h"
#include "widgets/Skin.h"

#include <QTimer>

namespace quarn {

// The title strip that docks above the main window: its skin's picture, cut
// to its outline, with the title of the open file running through it. A
// press of any mouse button on it asks to move it (and the group it belongs
// to).
class TitleStrip : public QWidget {
    Q_OBJECT
public:
    TitleStrip(const Skin& skin, double scale);

    // Takes the skin's picture, outline, and the title's place and look.
    void ApplySkin(const Skin& skin, double scale);
    // Shows the title and starts it running, one character every 100 ms.
    void ShowTitle(const QString& title);
    // Shows the title standing still (what is ready to play, not playing).
    void ShowStillTitle(const QString& title);
    // Empties the title and stops it.
    void ClearTitle();
    // Shows a notice in place of the title for 2 s; then the title runs on.
    void ShowNotice(const QString& notice, int ms = 0);
    QString Title() const { return title_->text(); }
    bool Scrolling() const { return marquee_.isActive(); }

signals:
    void DragRequested(QPoint grabbedAt, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    Label* title_;
    QTimer marquee_;
    QTimer notice_;
    QString runningTitle_; // what the title was when a notice took its place
};

} // namespace quarn
