#include "widgets/WindowDrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace quarn {

namespace {

// A drag from a press until its button is released; it ends itself.
class WindowDragging : public QObject {
public:
    WindowDragging(QWidget& window, QPoint grabbedAt, Qt::MouseButton button, DragMove moveTo)
        : QObject(&window), offset_(grabbedAt - window.pos()), button_(button),
          moveTo_(std::move(moveTo)) {
        if (!moveTo_) {
            moveTo_ = [&window](QPoint at) { window.move(at); };
        }
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (move->buttons().testFlag(button_)) {
                moveTo_(move->globalPosition().toPoint() - offset_);
                break;
            }
            finish(); // the button went up where the program could not see it
            break;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == button_) {
                finish();
            }
            break;
        default:
            break;
        }
        // The events go on to the window: the toolkit ends its own hold on
        // the pointer with the release.
        return false;
    }

private:
    void finish() {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    QPoint offset_;
    Qt::MouseButton button_;
    DragMove moveTo_;
};

} // namespace

void DragWindow(QWidget& target, QPoint grabbedAt, Qt::MouseButton button, DragMove moveTo) {
    QWidget& window = *target.window();
    // Under X11 the pointer's motion reaches the window that was pressed until
    // the button is released, whatever window manager runs.
    if (QGuiApplication::platformName() != QLatin1String("xcb") &&
        QGuiApplication::platformName() != QLatin1String("offscreen") &&
        window.windowHandle() != nullptr && window.windowHandle()->startSystemMove()) {
        return;
    }
    new WindowDragging(window, grabbedAt, button, std::move(moveTo));
}

} // namespace quarn
