#include "shaping/WindowShaping.h"

#include "forms/FormKit.h"
#include "platform/Desktop.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace quarn {

std::vector<QRect> SkinRuns(const QImage& picture) {
    std::vector<QRect> runs;
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
        return runs;
    }
    const QImage image =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const QRgb key = reinterpret_cast<const QRgb*>(image.constScanLine(0))[0] & 0xFFFFFFu;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < width) {
            while (x < width && (row[x] & 0xFFFFFFu) == key) {
                ++x;
            }
            if (x == width) {
                break;
            }
            const int start = x;
            while (x < width && (row[x] & 0xFFFFFFu) != key) {
                ++x;
            }
            runs.emplace_back(start, y, x - start, 1);
        }
    }
    return runs;
}

QRegion GetSkinRegion(const QImage& picture) {
    const std::vector<QRect> runs = SkinRuns(picture);
    QRegion region;
    // One step: the runs are already sorted and banded the way a region keeps them.
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

namespace {

void prepare(PictureBox& picture) {
    picture.SetBorder(false);
    picture.AutoSize();
}

void applyRegion(QWidget& widget, const QRegion& region) {
    if (region.isEmpty()) {
        widget.clearMask();
    } else {
        widget.setMask(region);
    }
}

// A drag of a window from a press until its button is released. A left-button
// drag is the window manager's own move where there is one. The window manager
// takes the pointer only a moment after the press; a release that comes
// before (a quick click) reaches the window instead, and then the move is
// called off, or the window would follow the mouse with no button down. The
// window manager is told of the left button only, so other buttons, and
// desktops without a window manager, move the window here.
class WindowDrag : public QObject {
public:
    WindowDrag(QWidget& window, QPoint grabbedAt, Qt::MouseButton button)
        : QObject(&window), window_(window), offset_(grabbedAt - window.pos()), button_(button) {
        QWindow* handle = window.windowHandle();
        bySystem_ = button == Qt::LeftButton && handle != nullptr && handle->startSystemMove();
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove:
            if (!bySystem_) {
                const auto* move = static_cast<QMouseEvent*>(event);
                window_.move(move->globalPosition().toPoint() - offset_);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == button_) {
                if (bySystem_) {
                    platform::CancelSystemMove(window_);
                }
                finish();
            }
            break;
        case QEvent::MouseButtonPress:
            // The window manager's move has come and gone: this is a new press.
            finish();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void finish() {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    QWidget& window_;
    QPoint offset_;
    Qt::MouseButton button_;
    bool bySystem_ = false;
};

} // namespace

void ShapeForm(PictureBox& picture, QWidget& window) {
    prepare(picture);
    window.resize(picture.size());
    applyRegion(window, GetSkinRegion(picture.Picture()));
}

void ShapeControl(PictureBox& picture) {
    prepare(picture);
    applyRegion(picture, GetSkinRegion(picture.Picture()));
}

void DragWindow(QWidget& target, QPoint grabbedAt, Qt::MouseButton button) {
    new WindowDrag(*target.window(), grabbedAt, button);
}

} // namespace quarn
