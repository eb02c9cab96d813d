#include "widgets/WindowGroup.h"

#include "common/Layout.h"
#include "widgets/WindowDrag.h"
#include "widgets/WindowLook.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quarn {

namespace {

constexpr int kMostCorrectionsPerSecond = 200;
constexpr int kRetryMs = 1000;
// A dragged group snaps to a screen edge it comes this near.
constexpr int kSnapDistance = 10;

// Whether a window moved or resized by others may be put right again now:
// at most so many times a second.
bool mayCorrect(QElapsedTimer& clock, int& count) {
    if (!clock.isValid() || clock.elapsed() > 1000) {
        clock.start();
        count = 0;
    }
    return ++count <= kMostCorrectionsPerSecond;
}

bool normalState(const QWidget& window) {
    return !(window.windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

} // namespace

WindowGroup::WindowGroup(QWidget& main) : main_(main), mainSize_(main.size()) {
    main_.installEventFilter(this);
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] {
        keepSize();
        Dock();
    });
}

void WindowGroup::AddCompanion(QWidget& companion, Place place) {
    Companion added;
    added.window = &companion;
    added.place = std::move(place);
    companions_.push_back(std::move(added));
    companion.installEventFilter(this);
    dock(companions_.back());
}

void WindowGroup::Show() {
    main_.show();
    for (Companion& companion : companions_) {
        companion.window->setVisible(companion.shown && !FullScreen());
    }
    Dock();
}

void WindowGroup::SetCompanionShown(QWidget& companion, bool shown) {
    if (Companion* c = find(&companion)) {
        c->shown = shown;
        c->window->setVisible(shown && main_.isVisible() && !FullScreen());
        if (shown) {
            dock(*c);
            KeepOnScreen();
        }
        emit Changed();
    }
}

bool WindowGroup::CompanionShown(const QWidget& companion) const {
    for (const Companion& c : companions_) {
        if (c.window == &companion) {
            return c.shown;
        }
    }
    return false;
}

void WindowGroup::SetMainSize(QSize size) {
    const bool grew = size.width() > mainSize_.width() || size.height() > mainSize_.height();
    const bool changed = size != mainSize_;
    mainSize_ = size;
    keepSize();
    if (centreNext_ && changed) {
        centreNext_ = false;
        centreGroup();
    } else if (grew) {
        KeepOnScreen();
    }
}

void WindowGroup::CentreOnNextSize() {
    centreNext_ = true;
    centreGroup();
}

void WindowGroup::centreGroup() {
    const QRect area = availableArea();
    if (area.isEmpty() || !normalState(main_)) {
        return;
    }
    const QRect bounds = Bounds();
    moveGroupTo(main_.pos() + area.center() - bounds.center());
    KeepOnScreen();
}

QRect WindowGroup::availableArea() const {
    const QScreen* screen =
        main_.screen() != nullptr ? main_.screen() : QGuiApplication::primaryScreen();
    return screen == nullptr ? QRect() : screen->availableGeometry();
}

void WindowGroup::keepSize() {
    if (normalState(main_) && main_.size() != mainSize_) {
        main_.resize(mainSize_);
    }
}

void WindowGroup::Drag(QPoint grabbedAt, Qt::MouseButton button) {
    if (FullScreen()) {
        return;
    }
    centreNext_ = false;
    DragWindow(main_, grabbedAt, button, [this](QPoint at) {
        // The whole group stops at the screen's edges, and snaps to them.
        const QRect bounds = Bounds().translated(at - main_.pos());
        moveGroupTo(at + SnapIntoArea(bounds, availableArea(), kSnapDistance));
    });
}

void WindowGroup::moveGroupTo(QPoint mainTopLeft) {
    main_.move(mainTopLeft);
    const QRect main(mainTopLeft, main_.size());
    for (Companion& companion : companions_) {
        const QPoint target = companion.place(main);
        if (companion.window->pos() != target) {
            companion.window->move(target);
        }
    }
}

void WindowGroup::SetFullScreen(bool on) {
    if (on == FullScreen()) {
        return;
    }
    if (on) {
        normalGeometry_ = main_.geometry();
        main_.showFullScreen();
    } else {
        main_.showNormal();
    }
}

bool WindowGroup::FullScreen() const {
    return main_.isFullScreen();
}

void WindowGroup::fullScreenChanged() {
    const bool full = FullScreen();
    if (full == wasFullScreen_) {
        return;
    }
    wasFullScreen_ = full;
    emit Changed();
    if (full) {
        for (Companion& companion : companions_) {
            companion.window->hide();
        }
        return;
    }
    if (normalGeometry_.isValid()) {
        main_.setGeometry(QRect(normalGeometry_.topLeft(), mainSize_));
    }
    for (Companion& companion : companions_) {
        companion.window->setVisible(companion.shown);
    }
    Dock();
}

void WindowGroup::Center() {
    CenterForm(main_);
    Dock();
}

void WindowGroup::Dock() {
    for (Companion& companion : companions_) {
        dock(companion);
    }
}

void WindowGroup::dock(Companion& companion) {
    const QPoint target = companion.place(main_.geometry());
    if (companion.window->pos() != target) {
        companion.window->move(target);
    }
}

void WindowGroup::snapBack(Companion& companion) {
    if (companion.window->pos() == companion.place(main_.geometry())) {
        return;
    }
    if (mayCorrect(companion.clock, companion.snapsBack)) {
        dock(companion);
    } else {
        retry_.start();
    }
}

QRect WindowGroup::Bounds() const {
    QRect bounds = main_.geometry();
    for (const Companion& companion : companions_) {
        if (companion.shown) {
            bounds |= QRect(companion.place(main_.geometry()), companion.window->size());
        }
    }
    return bounds;
}

void WindowGroup::KeepOnScreen() {
    const QRect area = availableArea();
    if (area.isEmpty() || !normalState(main_)) {
        return;
    }
    const QPoint by = ShiftIntoArea(Bounds(), area);
    if (!by.isNull()) {
        moveGroupTo(main_.pos() + by);
    }
}

WindowGroup::Companion* WindowGroup::find(const QObject* window) {
    for (Companion& companion : companions_) {
        if (companion.window == window) {
            return &companion;
        }
    }
    return nullptr;
}

bool WindowGroup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &main_) {
        switch (event->type()) {
        case QEvent::Move:
            Dock();
            break;
        case QEvent::Resize:
            if (normalState(main_) && main_.size() != mainSize_) {
                if (mayCorrect(resizeClock_, resizesUndone_)) {
                    // Undone once the toolkit has finished with this resize.
                    QMetaObject::invokeMethod(this, &WindowGroup::keepSize, Qt::QueuedConnection);
                } else {
                    retry_.start();
                }
            }
            Dock();
            break;
        case QEvent::WindowStateChange:
            fullScreenChanged();
            break;
        default:
            break;
        }
        return false;
    }
    if (Companion* companion = find(watched)) {
        switch (event->type()) {
        case QEvent::Move:
            snapBack(*companion);
            break;
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace quarn
