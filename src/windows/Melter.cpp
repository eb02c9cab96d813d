#include "windows/Melter.h"

#include "common/Designs.h"
#include "widgets/Label.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <memory>

namespace quarn {

namespace d = design::theMelter;

namespace {

bool running = false;
Melter::Stats lastRun;

// The screen's own picture rate, within sensible bounds; 60 where it is not known.
std::int64_t frameIntervalNs(const QScreen* screen) {
    double rate = screen != nullptr ? screen->refreshRate() : 0;
    if (!(rate >= 24 && rate <= 480)) {
        rate = 60;
    }
    return static_cast<std::int64_t>(1e9 / rate);
}

// The picture is kept in the screen's own pixels; the window is placed in
// logical ones. Rounded outwards, so nothing changed is left out.
QRegion toLogical(const QRegion& region, qreal ratio) {
    if (ratio == 1.0) {
        return region;
    }
    QRegion logical;
    for (const QRect& r : region) {
        const int left = static_cast<int>(std::floor(r.left() / ratio));
        const int top = static_cast<int>(std::floor(r.top() / ratio));
        const int right = static_cast<int>(std::ceil((r.right() + 1) / ratio));
        const int bottom = static_cast<int>(std::ceil((r.bottom() + 1) / ratio));
        logical += QRect(left, top, right - left, bottom - top);
    }
    return logical;
}

} // namespace

void Melter::Run() {
    if (running) {
        return;
    }
    running = true;
    struct Done {
        ~Done() { running = false; }
    } done;
    auto window = std::make_unique<Melter>();
    window->Load();
}

Melter::Stats Melter::LastRun() {
    return lastRun;
}

Melter::Melter() {
    setObjectName(QStringLiteral("TheMelter"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    MakeBorderless(*this);
    // Nothing else may show through the melting screen.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    SetDesignColours(*this, d::kBackColour, d::kForeColour);
    // Every pixel is painted from the picture: no background fill first.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(PixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
}

Melter::~Melter() = default;

void Melter::Load() {
    stats_ = {};
    capture();
    setGeometry(screen()->geometry());
    showFullScreen();
    raise();
    activateWindow();

    random_ = melt::RandomSource(melt::TimeOfDaySeed());
    dirty_ = melt::DirtyTiles(picture_.size());
    frameNs_ = frameIntervalNs(screen());
    clock_.start();
    nextFrameNs_ = 0;
    melting_ = true;
    while (melting_) {
        stepOnce();
        presentIfDue();
        // The rest of the program (timers, the engine's news, the user's
        // click that ends all this) runs here, between two steps.
        QCoreApplication::processEvents();
    }
    stats_.seconds = static_cast<double>(clock_.nsecsElapsed()) / 1e9;

    if (keyboardHeld_) {
        windowHandle()->setKeyboardGrabEnabled(false);
        keyboardHeld_ = false;
    }
    hide();
    picture_ = QImage();
    lastRun = stats_;
}

void Melter::capture() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    setScreen(screen);
    // The pop-up menu that started the effect has only just closed: give the
    // windows it covered a moment to paint themselves again, so that the
    // picture shows them rather than what the menu left behind.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 50) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    const QRect area = screen->geometry();
    const QPixmap shot = screen->grabWindow(0, 0, 0, area.width(), area.height());
    picture_ = shot.toImage().convertToFormat(QImage::Format_RGB32);
    if (picture_.isNull()) {
        // Nothing to melt but black; the effect still runs until it is ended.
        const QSize pixels = area.size() * screen->devicePixelRatio();
        picture_ = QImage(pixels, QImage::Format_RGB32);
        picture_.fill(Qt::black);
    }
    picture_.setDevicePixelRatio(screen->devicePixelRatio());
    width_ = melt::ScreenExtent(picture_.width());
    height_ = melt::ScreenExtent(picture_.height());
}

void Melter::stepOnce() {
    // Four draws, always in this order: x, y, dx, dy.
    const float r1 = random_.Next();
    const float r2 = random_.Next();
    const float r3 = random_.Next();
    const float r4 = random_.Next();
    const melt::Step step = melt::MakeStep(width_, height_, r1, r2, r3, r4);
    dirty_.Mark(melt::CopyBlock(picture_, step.x, step.y, step.dx, step.dy));
    ++stats_.steps;
}

void Melter::presentIfDue() {
    if (dirty_.IsEmpty()) {
        return;
    }
    const std::int64_t now = clock_.nsecsElapsed();
    if (now < nextFrameNs_) {
        return;
    }
    QWindow* handle = windowHandle();
    if (handle == nullptr || !handle->isExposed()) {
        return; // the first exposure paints the whole picture anyway
    }
    // A key must end the effect even when the focus goes elsewhere while it
    // runs; nothing else can be used meanwhile, so the keyboard is all ours.
    if (!keyboardHeld_) {
        keyboardHeld_ = handle->setKeyboardGrabEnabled(true);
    }
    nextFrameNs_ = now + frameNs_;
    repaint(toLogical(dirty_.Take(), picture_.devicePixelRatio()));
    ++stats_.frames;
}

void Melter::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const qreal ratio = picture_.devicePixelRatio();
    for (const QRect& r : event->region()) {
        if (ratio == 1.0) {
            painter.drawImage(r.topLeft(), picture_, r);
        } else {
            const QRectF source(r.left() * ratio, r.top() * ratio, r.width() * ratio,
                                r.height() * ratio);
            painter.drawImage(QRectF(r), picture_, source);
        }
    }
}

// A click is a press and a release on the window, with any button.
void Melter::mousePressEvent(QMouseEvent* event) {
    click_.Pressed(*event);
    event->accept();
}

void Melter::mouseReleaseEvent(QMouseEvent* event) {
    if (click_.Released(*event, rect())) {
        melting_ = false;
    }
    event->accept();
}

void Melter::keyPressEvent(QKeyEvent* event) {
    if (melt::KeyEndsMelt(event->key(), event->text())) {
        melting_ = false;
    }
    event->accept();
}

// Closed from outside (the window manager), it ends as if clicked; the window
// itself goes only when the run is over.
void Melter::closeEvent(QCloseEvent* event) {
    melting_ = false;
    event->ignore();
}

} // namespace quarn
