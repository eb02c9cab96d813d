#pragma once

// The docked window group: the main window and the companions docked to it.
// Its rules:
// - Every companion has its place beside the main window, worked out from the
//   main window's geometry. It goes there whenever the main window moves or
//   resizes, and goes back there whenever anything else moves it.
// - A drag of any window of the group, with any mouse button, moves the
//   whole group at once: the group moves its windows itself as the pointer
//   moves, so every window follows live under any window manager (or none).
// - The main window keeps the size it was given (the size its video gives
//   it): a resize by anything else is undone at once. Minimised, maximised
//   or full screen, it is left alone.
// - Full screen hides the companions; back from it, the main window has
//   exactly its place and size of before and the companions come back.
// - When the main window grows, the group moves as little as it must to lie
//   inside the available area of its screen. Dragged, the whole group stops
//   at the area's edges (no companion is ever left where the window manager
//   would hold it back) and snaps to an edge it comes within 10 pixels of.
// - Asked to, it centres itself on the screen once the main window takes
//   its next size (a file given at launch comes up centred at its video's
//   size); a drag before that leaves it where the user put it.
// - A companion refuses to be closed from the desktop: it goes with the main
//   window.
// All geometry is in pixels on the screen.

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <functional>
#include <vector>

class QWidget;

namespace quarn {

class WindowGroup : public QObject {
    Q_OBJECT
public:
    // Where a companion's top-left corner belongs beside a main window of
    // this geometry.
    using Place = std::function<QPoint(const QRect& main)>;

    explicit WindowGroup(QWidget& main);

    void AddCompanion(QWidget& companion, Place place);
    // Shows the main window and every companion that is not set hidden.
    void Show();
    // Whether a companion is shown with the group (it is hidden in full
    // screen all the same).
    void SetCompanionShown(QWidget& companion, bool shown);
    bool CompanionShown(const QWidget& companion) const;

    // The size the main window is to have.
    void SetMainSize(QSize size);
    // Moves the whole group with the mouse from a press of `button` at
    // `grabbedAt` on one of its windows, until the button is released.
    void Drag(QPoint grabbedAt, Qt::MouseButton button);
    void SetFullScreen(bool on);
    bool FullScreen() const;
    // Puts the main window in the middle of its screen (as CenterForm does),
    // the companions beside it.
    void Center();
    // Every companion at its place now.
    void Dock();
    // Moves the group as little as it must to lie inside its screen's
    // available area.
    void KeepOnScreen();
    // Centres the group on its screen now, and again once the main window
    // takes its next size.
    void CentreOnNextSize();
    // The rectangle the main window and its shown companions cover.
    QRect Bounds() const;

signals:
    // Full screen came or went, or a companion was shown or hidden.
    void Changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Companion {
        QWidget* window = nullptr;
        Place place;
        bool shown = true;
        // A window manager that will not let a window go back would be
        // answered without end: past so many moves a second it is tried again
        // a second later.
        QElapsedTimer clock;
        int snapsBack = 0;
    };

    Companion* find(const QObject* window);
    void dock(Companion& companion);
    void snapBack(Companion& companion);
    void moveGroupTo(QPoint mainTopLeft);
    void keepSize();
    void centreGroup();
    QRect availableArea() const;
    void fullScreenChanged();

    QWidget& main_;
    std::vector<Companion> companions_;
    QSize mainSize_;
    QRect normalGeometry_; // the main window's before full screen
    bool wasFullScreen_ = false;
    bool centreNext_ = false;
    QElapsedTimer resizeClock_;
    int resizesUndone_ = 0;
    QTimer retry_;
};

} // namespace quarn
