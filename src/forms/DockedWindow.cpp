#include "forms/DockedWindow.h"

#include <QCloseEvent>
#include <QMoveEvent>

namespace quarn {

namespace {
constexpr int kMostSnapsBackPerSecond = 200;
} // namespace

DockedWindow::DockedWindow(Place place)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), place_(std::move(place)) {
    fightClock_.start();
    retry_.setSingleShot(true);
    retry_.setInterval(1000);
    connect(&retry_, &QTimer::timeout, this, &DockedWindow::dock);
}

void DockedWindow::FollowMain(const QRect& main) {
    main_ = main;
    snapsBack_ = 0;
    dock();
}

void DockedWindow::dock() {
    if (main_) {
        const QPoint target = place_(*main_);
        if (pos() != target) {
            move(target);
        }
    }
}

void DockedWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!main_ || pos() == place_(*main_)) {
        return;
    }
    if (fightClock_.elapsed() > 1000) {
        fightClock_.restart();
        snapsBack_ = 0;
    }
    if (++snapsBack_ <= kMostSnapsBackPerSecond) {
        dock();
    } else {
        retry_.start();
    }
}

void DockedWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace quarn
