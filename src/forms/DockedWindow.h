#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

namespace quarn {

// A borderless companion that keeps its place beside the main window: it goes
// there whenever the main window moves or resizes, and comes back there
// whenever anything else moves it (the user dragging it away). A close from
// the desktop is refused: it goes with the main window.
class DockedWindow : public QWidget {
    Q_OBJECT
public:
    // Where the window belongs (its top left corner) beside a main window of
    // this geometry, all in pixels.
    using Place = std::function<QPoint(const QRect& main)>;

    explicit DockedWindow(Place place);

    // The main window moved or resized: follow it.
    void FollowMain(const QRect& main);

protected:
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void dock();

    Place place_;
    std::optional<QRect> main_;
    // A window manager that will not let the window go back would otherwise
    // be answered without end: past so many moves a second the window tries
    // again a second later.
    QElapsedTimer fightClock_;
    int snapsBack_ = 0;
    QTimer retry_;
};

} // namespace quarn
